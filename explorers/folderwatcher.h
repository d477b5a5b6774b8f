// FolderWatcher: tells when entries appear in or vanish from folders named by their native bytes.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>

class QFileSystemWatcher;
class QSocketNotifier;

namespace pw {

// Watches folders alone, not what is below them. On Linux it asks inotify directly, so a folder
// whose own path is not UTF-8 is watched like any other. Elsewhere it sits on QFileSystemWatcher,
// which takes paths as strings: such a folder is then not watched (watch() returns false) and is
// only brought up to date by Refresh.
class FolderWatcher : public QObject
{
    Q_OBJECT
public:
    explicit FolderWatcher(QObject *parent = nullptr);
    ~FolderWatcher() override;

    // False when the folder cannot be watched (gone, no rights, or the system's limit reached).
    bool watch(const QByteArray &folder);
    void unwatch(const QByteArray &folder);
    bool isWatching(const QByteArray &folder) const;

signals:
    // An entry of folder was created, deleted or renamed; a burst of changes may come as one.
    void folderChanged(const QByteArray &folder);

private:
#ifdef Q_OS_LINUX
    void readEvents();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<QByteArray, int> m_watches;        // folder → watch descriptor
    QHash<int, QList<QByteArray>> m_folders; // two paths (a link and its target) share one
#else
    QFileSystemWatcher *m_watcher = nullptr;
#endif
};

} // namespace pw
