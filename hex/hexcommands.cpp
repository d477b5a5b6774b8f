// HexCommands: the files chosen for "Open as Hex...", the hex find dialog and the find requests.
#include "hex/hexcommands.h"

#include "framework/document.h"
#include "framework/host.h"
#include "framework/messages.h"
#include "hex/hexdialogs.h"
#include "hex/hexview.h"
#include "resources/commandids.h"
#include "resources/stringids.h"

#include <QFileDialog>

namespace pw {

HexCommands::HexCommands(Host &host, QObject *parent) : QObject(parent), m_host(host)
{
    setObjectName(QStringLiteral("HexCommands"));
    onCommand(Cmd::FileOpenHex, [this] { openAsHex(); });
    onCommand(
        Cmd::HexFindNext,
        [this] {
            if (m_find)
                m_find->find();
        },
        [this](CommandUi &ui) { ui.enabled = m_find && activeHexView(); });
}

HexCommands::~HexCommands()
{
    destroyDialogs();
}

void HexCommands::setChooseFilesHook(ChooseFilesHook hook)
{
    s_chooseFilesHook = std::move(hook);
}

CHexEditView *HexCommands::activeHexView() const
{
    CMDIChildFrame *frame = m_host.activeFrame();
    return frame ? qobject_cast<CHexEditView *>(frame->viewWidget()) : nullptr;
}

QStringList HexCommands::chooseFiles() const
{
    if (s_chooseFilesHook)
        return s_chooseFilesHook();
    QFileDialog dialog(m_host.window(), QStringLiteral("Open as Hex"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(QStringLiteral("All Files (*)"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void HexCommands::openAsHex()
{
    OpenRequest request;
    request.mode = OpenHex;
    for (const QString &path : chooseFiles())
        m_host.openDocument(path, request);
}

CHexFindDialog *HexCommands::showFindDialog()
{
    if (!m_find) {
        m_find = new CHexFindDialog(*this, m_host.window());
        m_find->show();
    }
    return m_find;
}

CHexFindDialog *HexCommands::findDialog() const
{
    return m_find;
}

void HexCommands::destroyDialogs()
{
    delete m_find.data();
}

void HexCommands::hexFind(const QString &text, bool up, bool matchCase, bool ascii)
{
    m_lastText = text;
    if (!m_host.activeFrame()) {
        showMessage(m_host.window(), MessageIcon::Information, Str::HexNoActiveDocument);
        return;
    }
    if (CHexEditView *view = activeHexView())
        view->hexSearch(text, up, matchCase, ascii, CHexEditView::SearchOrigin::Dialog);
}

bool HexCommands::toolbarFind(const QString &text)
{
    CHexEditView *view = activeHexView();
    if (!view)
        return false;
    if (text.isEmpty() || view->isSearching())
        return true;
    if (!view->hexSearch(text, false, false, false, CHexEditView::SearchOrigin::Toolbar))
        showMessage(m_host.window(), MessageIcon::Information, Str::SearchTextNotFound);
    return true;
}

} // namespace pw
