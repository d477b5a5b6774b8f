// Instance locks over QLockFile, which recognises the lock of a process that is gone.
#include "recovery/engine/instancelock.h"

#include <QDir>
#include <QRandomGenerator>

namespace pw::recovery {

namespace {
const QString LockSuffix = QStringLiteral(".lock");
}

QString filePrefix(const QString &id)
{
    return id + QLatin1Char('-');
}

InstanceLock::InstanceLock(const QString &folder) : m_folder(folder)
{
    QDir().mkpath(folder);
    // A few tries in case a random id is taken already.
    for (int attempt = 0; attempt < 4 && !isLocked(); ++attempt) {
        m_id = QString::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 16)
                   .rightJustified(12, QLatin1Char('0'));
        auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(m_id + LockSuffix));
        lock->setStaleLockTime(0); // only a lock whose process is gone is stale
        if (lock->tryLock(0))
            m_lock = std::move(lock);
    }
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::isLocked() const
{
    return m_lock && m_lock->isLocked();
}

QString InstanceLock::fileFor(int n) const
{
    return QDir(m_folder).filePath(filePrefix(m_id) + QString::number(n) + QStringLiteral(".pwrec"));
}

QStringList InstanceLock::liveInstances(const QString &folder)
{
    QStringList live;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*") + LockSuffix}, QDir::Files)) {
        QLockFile lock(dir.filePath(name));
        lock.setStaleLockTime(0);
        // Taking a stale lock removes it, and releasing it leaves nothing behind.
        if (lock.tryLock(0))
            lock.unlock();
        else if (lock.error() == QLockFile::LockFailedError)
            live << name.chopped(LockSuffix.size());
    }
    return live;
}

} // namespace pw::recovery
