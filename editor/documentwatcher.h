// DocumentWatcher: notices files of open text documents changed or deleted by other programs.
#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QPointer>

namespace pw {

class CRidereDoc;

// One watcher for every open document (each inotify instance is a scarce resource). A change
// reported by the system, or a check asked for when the main window comes back to the front,
// makes each document concerned compare its file with what it loaded or saved last.
class DocumentWatcher : public QObject
{
    Q_OBJECT
public:
    explicit DocumentWatcher(QObject *parent = nullptr);

    // Starts (or, after a save that replaced the file, resumes) watching the document's file.
    void watch(CRidereDoc *document);
    void unwatch(CRidereDoc *document);
    // Every watched document checks its file now.
    void checkAll();

private:
    void fileChanged(const QString &path);
    void check(const QList<QPointer<CRidereDoc>> &documents);

    QFileSystemWatcher m_watcher;
    QHash<QString, QList<QPointer<CRidereDoc>>> m_documents;
    // A check asks the user; while it waits, activations and reports must not ask again.
    bool m_checking = false;
};

} // namespace pw
