// FolderWatcher: inotify on Linux, QFileSystemWatcher elsewhere.
#include "explorers/folderwatcher.h"

#ifdef Q_OS_LINUX
#include <QSet>
#include <QSocketNotifier>
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>
#else
#include "editor/encoding/nativepath.h"
#include <QFileSystemWatcher>
#endif

namespace pw {

#ifdef Q_OS_LINUX

namespace {

constexpr quint32 kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

} // namespace

FolderWatcher::FolderWatcher(QObject *parent) : QObject(parent)
{
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatcher::readEvents);
}

FolderWatcher::~FolderWatcher()
{
    if (m_fd >= 0) {
        delete m_notifier;
        ::close(m_fd);
    }
}

bool FolderWatcher::watch(const QByteArray &folder)
{
    if (m_fd < 0)
        return false;
    if (m_watches.contains(folder))
        return true;
    const int wd = ::inotify_add_watch(m_fd, folder.constData(),
                                       kEntryEvents | IN_ONLYDIR | IN_EXCL_UNLINK);
    if (wd < 0)
        return false;
    m_watches.insert(folder, wd);
    m_folders[wd].append(folder);
    return true;
}

void FolderWatcher::unwatch(const QByteArray &folder)
{
    const auto found = m_watches.constFind(folder);
    if (found == m_watches.cend())
        return;
    const int wd = *found;
    m_watches.erase(found);
    QList<QByteArray> &folders = m_folders[wd];
    folders.removeAll(folder);
    if (folders.isEmpty()) {
        m_folders.remove(wd);
        ::inotify_rm_watch(m_fd, wd);
    }
}

bool FolderWatcher::isWatching(const QByteArray &folder) const
{
    return m_watches.contains(folder);
}

void FolderWatcher::readEvents()
{
    QSet<QByteArray> changed;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: every folder may have changed.
                for (const QList<QByteArray> &folders : std::as_const(m_folders))
                    for (const QByteArray &folder : folders)
                        changed.insert(folder);
                continue;
            }
            if (event->mask & IN_IGNORED) {
                // The folder went away; its parent's watch reports that.
                for (const QByteArray &folder : m_folders.take(event->wd))
                    m_watches.remove(folder);
                continue;
            }
            if (event->mask & kEntryEvents) {
                for (const QByteArray &folder : m_folders.value(event->wd))
                    changed.insert(folder);
            }
        }
    }
    for (const QByteArray &folder : std::as_const(changed))
        emit folderChanged(folder);
}

#else

FolderWatcher::FolderWatcher(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this))
{
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString &path) { emit folderChanged(enc::nativeFromPath(path)); });
}

FolderWatcher::~FolderWatcher() = default;

bool FolderWatcher::watch(const QByteArray &folder)
{
    const QString path = enc::pathFromNative(folder);
    if (enc::hasEscapedBytes(path))
        return false;
    return m_watcher->directories().contains(path) || m_watcher->addPath(path);
}

void FolderWatcher::unwatch(const QByteArray &folder)
{
    m_watcher->removePath(enc::pathFromNative(folder));
}

bool FolderWatcher::isWatching(const QByteArray &folder) const
{
    return m_watcher->directories().contains(enc::pathFromNative(folder));
}

#endif

} // namespace pw
