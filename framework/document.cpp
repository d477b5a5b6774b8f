// CDocument and CMDIChildFrame: the shared behaviour of documents and their windows.
#include "framework/document.h"

#include "framework/host.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/stringids.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>

namespace pw {

CDocument::CDocument(Host &host, QObject *parent) : QObject(parent), m_host(host)
{
    onCommand(Cmd::FileSave, [this] { doFileSave(); });
    onCommand(Cmd::FileSaveAs, [this] { doSave(QString()); });
    onCommand(Cmd::FileClose, [this] {
        if (m_frame)
            m_frame->close();
    });
}

void CDocument::setPathName(const QString &path, bool addToRecent)
{
    if (addToRecent)
        m_host.addRecentFile(path);
    m_pathName = path;
    setTitle(QFileInfo(path).fileName());
    emit pathChanged(path);
}

void CDocument::setTitle(const QString &title)
{
    m_title = title;
    // A file name that is not UTF-8 carries its stray bytes as lone low surrogates so that it can
    // be opened and saved; people see them as replacement characters.
    for (qsizetype i = 0; i < m_title.size(); ++i) {
        if (m_title.at(i).isLowSurrogate() && (i == 0 || !title.at(i - 1).isHighSurrogate()))
            m_title[i] = QChar(QChar::ReplacementCharacter);
    }
    emit titleChanged();
}

void CDocument::setModifiedFlag(bool modified)
{
    m_modified = modified;
    emit titleChanged();
}

bool CDocument::doFileSave()
{
    return doSave(m_pathName);
}

bool CDocument::saveModified()
{
    if (!isModified())
        return true;
    const QString name = m_pathName.isEmpty() ? m_title : m_pathName;
    switch (showMessage(frame(), MessageIcon::Exclamation,
                        resourceText(Str::SaveChangesQuestion).arg(name),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return doFileSave();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

CMDIChildFrame::CMDIChildFrame(CDocument *document, QWidget *parent)
    : QMdiSubWindow(parent), m_document(document)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The workspace's own window-menu keys (Ctrl+F4, Ctrl+W) would make the program's
    // accelerators ambiguous, and an ambiguous shortcut fires neither.
    if (QMenu *menu = systemMenu()) {
        for (QAction *action : menu->actions())
            action->setShortcut(QKeySequence());
    }
    document->setParent(this);
    document->setFrame(this);
    connect(document, &CDocument::titleChanged, this, &CMDIChildFrame::refreshTitle);
}

CMDIChildFrame::~CMDIChildFrame() = default;

int CMDIChildFrame::menuId() const
{
    return MenuId::TextDocument;
}

void CMDIChildFrame::refreshTitle()
{
    setWindowTitle(m_document->decoratedTitle());
}

void CMDIChildFrame::closeWithoutAsking()
{
    m_skipSaveQuestion = true;
    close();
}

void CMDIChildFrame::closeEvent(QCloseEvent *event)
{
    if (!m_skipSaveQuestion && !m_document->saveModified()) {
        event->ignore();
        return;
    }
    // Deletion is deferred; from here on the window no longer counts as open.
    setProperty("closing", true);
    m_document->onCloseDocument();
    QMdiSubWindow::closeEvent(event);
}

} // namespace pw
