// DocumentWatcher: the system's change reports and window activations, turned into checks.
#include "editor/documentwatcher.h"

#include "editor/rideredoc.h"

#include <QFileInfo>

namespace pw {

DocumentWatcher::DocumentWatcher(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &DocumentWatcher::fileChanged);
}

void DocumentWatcher::watch(CRidereDoc *document)
{
    const QString path = document->pathName();
    if (path.isEmpty())
        return;
    unwatch(document);
    QList<QPointer<CRidereDoc>> &list = m_documents[path];
    list.append(document);
    // A file replaced by a rename (as editors and version control save) is no longer the one
    // watched; adding the path again follows the new file.
    if (QFileInfo::exists(path) && !m_watcher.files().contains(path))
        m_watcher.addPath(path);
}

void DocumentWatcher::unwatch(CRidereDoc *document)
{
    for (auto it = m_documents.begin(); it != m_documents.end();) {
        it->removeAll(document);
        it->removeAll(nullptr);
        if (it->isEmpty()) {
            m_watcher.removePath(it.key());
            it = m_documents.erase(it);
        } else {
            ++it;
        }
    }
}

void DocumentWatcher::fileChanged(const QString &path)
{
    if (QFileInfo::exists(path) && !m_watcher.files().contains(path))
        m_watcher.addPath(path);
    check(m_documents.value(path));
}

void DocumentWatcher::checkAll()
{
    QList<QPointer<CRidereDoc>> all;
    for (const auto &list : std::as_const(m_documents))
        all += list;
    check(all);
}

void DocumentWatcher::check(const QList<QPointer<CRidereDoc>> &documents)
{
    if (m_checking)
        return;
    m_checking = true;
    for (const QPointer<CRidereDoc> &document : documents)
        if (document)
            document->checkFileOnDisk();
    m_checking = false;
}

} // namespace pw
