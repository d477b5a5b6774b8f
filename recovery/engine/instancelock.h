// Instance locks: which recovery files belong to a running copy of the program.
#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

namespace pw::recovery {

// Each running copy holds "<id>.lock" in the recovery folder and names its files "<id>-<n>". A
// lock whose process is gone (a crash, a kill) counts as stale and can be taken over.
class InstanceLock
{
public:
    // Creates the folder and takes a fresh lock with a random id; isLocked() says whether it worked.
    explicit InstanceLock(const QString &folder);
    ~InstanceLock(); // releases the lock

    bool isLocked() const;
    QString id() const { return m_id; }
    QString folder() const { return m_folder; }
    // The recovery file for document number n of this instance.
    QString fileFor(int n) const;

    // Ids of the instances of folder whose lock is held by a living process, this one included.
    static QStringList liveInstances(const QString &folder);

private:
    QString m_folder;
    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
};

// The prefix ("<id>-") of the files of instance id.
QString filePrefix(const QString &id);

} // namespace pw::recovery
