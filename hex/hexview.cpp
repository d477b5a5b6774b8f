// The hex window: its document's load and save, the view's commands, status and search, the frame.
#include "hex/hexview.h"

#include "editor/doccore/doccore.h"
#include "framework/commandrouter.h"
#include "framework/host.h"
#include "framework/messages.h"
#include "hex/engine/hexsearch.h"
#include "hex/hexcommands.h"
#include "hex/hexdialogs.h"
#include "hex/hexeditorwin.h"
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/stringids.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace pw {

// ---- CHexDocument

CHexDocument::CHexDocument(Host &host) : CDocument(host) {}

void CHexDocument::setSaveAsHook(SaveAsHook hook)
{
    s_saveAsHook = std::move(hook);
}

bool CHexDocument::onOpenDocument(const QString &path, const OpenRequest &request)
{
    if (!m_view || path.isEmpty())
        return false;
    QString error;
    if (!m_view->control()->loadFile(path, &error)) {
        showMessage(host().window(), MessageIcon::Exclamation,
                    QStringLiteral("Cannot open \"%1\" as bytes.\n\n%2")
                        .arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    m_readOnly = request.readOnly;
    m_view->control()->setReadOnly(request.readOnly);
    setPathName(QFileInfo(path).absoluteFilePath());
    setModifiedFlag(false);
    return true;
}

QString CHexDocument::askSavePath() const
{
    const QString proposed =
        QDir(QFileInfo(pathName()).absolutePath()).filePath(resourceText(Str::HexDefaultSaveName));
    if (s_saveAsHook)
        return s_saveAsHook(proposed);
    QFileDialog dialog(host().window(), QStringLiteral("Save As"), proposed);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool CHexDocument::doSave(const QString &path, bool replace)
{
    if (!m_view)
        return false;
    QString target = path;
    const bool asked = target.isEmpty();
    if (asked) {
        target = askSavePath();
        if (target.isEmpty())
            return false;
    }
    // A long save shows its progress and can be stopped; stopped, the file stays as it was.
    HexEditorWin *control = m_view->control();
    const std::unique_ptr<Progress> progress = host().startProgress(control->length(), true);
    std::stop_source stop;
    hex::SaveOptions options;
    options.stop = stop.get_token();
    options.progress = [&progress, &stop](hex::Offset written, hex::Offset) {
        progress->step(written);
        if (progress->stopRequested())
            stop.request_stop();
    };
    QString error;
    if (!control->saveFile(target, &error, options)) {
        if (stop.stop_requested())
            return false;
        showMessage(host().window(), MessageIcon::Exclamation,
                    resourceText(Str::FailedCreateFileOnSave) + QStringLiteral("\n\n") +
                        resourceText(Str::SaveFailedReason).arg(error));
        return false;
    }
    if (replace || asked)
        setPathName(QFileInfo(target).absoluteFilePath());
    setModifiedFlag(m_view->control()->isModified());
    return true;
}

QString CHexDocument::decoratedTitle() const
{
    return doc::decorateTitle(title(), isModified(), m_readOnly);
}

// ---- CHexEditView

CHexEditView::CHexEditView(Host &host, CHexDocument &document, HexCommands *commands,
                           QWidget *parent)
    : QWidget(parent), m_host(host), m_document(document), m_commands(commands)
{
    setObjectName(QStringLiteral("HexView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_control = new HexEditorWin(this);
    m_control->setProperty("controlId", 1);
    layout->addWidget(m_control);
    setFocusProxy(m_control);
    m_control->sendMessage(HexEditorWin::SetupMessage, 1);
    connect(m_control, &HexEditorWin::notify, this, &CHexEditView::onNotify);
    connect(m_control, &HexEditorWin::searchFinished, this, &CHexEditView::onSearchFinished);
    connect(m_control, &HexEditorWin::contextMenuRequested, this, &CHexEditView::showContextMenu);
    connect(m_control, &HexEditorWin::readFailed, this, [this](const QString &message) {
        showMessage(m_host.window(), MessageIcon::Exclamation, message);
    });
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(50);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        if (!m_progress)
            return;
        m_progress->step(m_control->searchDone());
        if (m_progress->stopRequested())
            m_control->stopSearch();
    });
    registerCommands();
}

CHexEditView::~CHexEditView() = default;

void CHexEditView::registerCommands()
{
    HexEditorWin *c = m_control;
    const auto when = [c](unsigned message) {
        return [c, message](CommandUi &ui) { ui.enabled = c->sendMessage(message) != 0; };
    };
    onCommand(
        Cmd::EditCopy, [c] { c->sendMessage(HexEditorWin::CopyMessage); },
        when(HexEditorWin::CanCopyMessage));
    onCommand(
        Cmd::EditCut, [c] { c->sendMessage(HexEditorWin::CutMessage); },
        [c](CommandUi &ui) {
            ui.enabled = c->sendMessage(HexEditorWin::CanCopyMessage) != 0 &&
                         c->sendMessage(HexEditorWin::PasteBlockedMessage) == 0;
        });
    onCommand(
        Cmd::EditPaste, [c] { c->sendMessage(HexEditorWin::PasteMessage); },
        [c](CommandUi &ui) {
            const QMimeData *mime = QApplication::clipboard()->mimeData();
            const bool text = mime && mime->hasText();
            ui.enabled = !(c->sendMessage(HexEditorWin::PasteBlockedMessage) != 0 && text);
        });
    onCommand(
        Cmd::EditUndo, [c] { c->sendMessage(HexEditorWin::UndoMessage); },
        when(HexEditorWin::CanUndoMessage));
    onCommand(
        Cmd::EditRedo, [c] { c->sendMessage(HexEditorWin::RedoMessage); },
        when(HexEditorWin::CanRedoMessage));
    onCommand(
        Cmd::EditFind,
        [this] {
            if (m_commands)
                m_commands->showFindDialog();
        },
        [this](CommandUi &ui) { ui.enabled = m_commands != nullptr; });
    onCommand(Cmd::GotoLine, [this] { gotoOffset(); });
    onCommand(
        Cmd::FindNext,
        [this] {
            if (m_commands)
                m_commands->toolbarFind(m_commands->boxText());
        },
        [this](CommandUi &ui) { ui.enabled = m_commands && m_commands->hasBoxText(); });
    const auto whenPath = [this](CommandUi &ui) { ui.enabled = !m_document.pathName().isEmpty(); };
    onCommand(
        Cmd::CopyFilePath, [this] { QApplication::clipboard()->setText(m_document.pathName()); },
        whenPath);
    onCommand(
        Cmd::OpenContainingFolder,
        [this] {
            QDesktopServices::openUrl(
                QUrl::fromLocalFile(QFileInfo(m_document.pathName()).absolutePath()));
        },
        whenPath);
}

QString CHexEditView::positionText() const
{
    QString text = resourceText(Str::HexStatusPosition);
    return text.replace(QStringLiteral("%d"),
                        QString::number(m_control->sendMessage(HexEditorWin::GetPositionMessage)));
}

void CHexEditView::showStatus()
{
    m_host.setStatusText(StatusPane::Position, positionText());
    m_host.setStatusText(StatusPane::Insert,
                         m_control->sendMessage(HexEditorWin::IsInsertModeMessage)
                             ? resourceText(Str::IndicatorInsert)
                             : QString());
}

void CHexEditView::onNotify(int code)
{
    const bool active = m_document.frame() && m_host.activeFrame() == m_document.frame();
    switch (code) {
    case HexEditorWin::PositionChanged:
        if (active)
            m_host.setStatusText(StatusPane::Position, positionText());
        break;
    case HexEditorWin::ModifiedChanged:
        m_document.setModifiedFlag(m_control->sendMessage(HexEditorWin::IsModifiedMessage) != 0);
        break;
    case HexEditorWin::InsertModeChanged:
        if (active)
            showStatus();
        break;
    default:
        break;
    }
}

void CHexEditView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    showStatus();
}

void CHexEditView::showContextMenu(const QPoint &globalPos)
{
    CommandRouter *router = m_host.router();
    if (!router)
        return;
    QMenu *menu = router->buildPopupMenu(MenuId::HexContext, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void CHexEditView::gotoOffset()
{
    CHexGoto dialog(m_host, m_control->position(), m_control->length(), m_host.window());
    if (dialog.run() != QDialog::Accepted)
        return;
    m_control->sendMessage(HexEditorWin::SetPositionMessage, quintptr(dialog.offset()));
    m_control->sendMessage(HexEditorWin::EnsureVisibleMessage, quintptr(dialog.offset()));
    m_control->viewport()->update();
    m_control->setFocus();
}

bool CHexEditView::isSearching() const
{
    return m_control->isSearching();
}

bool CHexEditView::hexSearch(const QString &text, bool up, bool matchCase, bool ascii,
                             SearchOrigin origin)
{
    if (m_control->isSearching())
        return false;
    const QByteArray raw = text.toUtf8();
    const hex::SearchPattern pattern = hex::makeSearchPattern(
        std::string_view(raw.constData(), std::size_t(raw.size())), ascii, matchCase);
    const HexEditorWin::PatternRecord record{pattern.bytes.data(), qint64(pattern.bytes.size()), up,
                                             pattern.caseSensitive};
    if (m_control->sendMessage(HexEditorWin::SetPatternMessage, quintptr(&record)) == 0)
        return false;
    // Down from the caret, past a match already selected; up from before the selection.
    const hex::Offset start = m_control->selectionStart();
    const hex::Offset from = up ? start : start + (m_control->selectionLength() > 0 ? 1 : 0);
    const HexEditorWin::SearchRecord request{nullptr, from, up};
    if (m_control->sendMessage(HexEditorWin::SearchMessage, quintptr(&request)) == 0)
        return false;
    m_origin = origin;
    m_progress = m_host.startBackgroundProgress(m_control->searchTotal());
    m_progressTimer->start();
    return true;
}

void CHexEditView::onSearchFinished(const hex::SearchResult &result)
{
    m_progressTimer->stop();
    m_progress.reset();
    if (result.status == hex::SearchStatus::NotFound) {
        showMessage(m_host.window(), MessageIcon::Information,
                    m_origin == SearchOrigin::Dialog ? Str::HexNotFound : Str::SearchTextNotFound);
    } else if (result.found()) {
        m_control->viewport()->update();
    }
    emit searchEnded();
}

// ---- CHexFrame

CHexFrame::CHexFrame(Host &host, HexCommands *commands, QWidget *parent)
    : CMDIChildFrame(new CHexDocument(host), parent)
{
    m_view = new CHexEditView(host, *hexDocument(), commands, this);
    hexDocument()->setView(m_view);
    setWidget(m_view);
    setFocusProxy(m_view);
    // The main frame clears the panes when a window activates; the view fills them after that.
    // Text windows leave the insert pane alone, so a hex window takes its "INS" with it.
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this, &host](Qt::WindowStates before, Qt::WindowStates now) {
                if (now & Qt::WindowActive)
                    QTimer::singleShot(0, m_view, [this, &host] {
                        if (host.activeFrame() == this)
                            m_view->showStatus();
                    });
                else if (before & Qt::WindowActive)
                    host.setStatusText(StatusPane::Insert, QString());
            });
}

CommandTarget *CHexFrame::activeView() const
{
    return m_view;
}

QWidget *CHexFrame::viewWidget() const
{
    return m_view;
}

int CHexFrame::menuId() const
{
    return MenuId::HexDocument;
}

CHexDocument *CHexFrame::hexDocument() const
{
    return static_cast<CHexDocument *>(document());
}

} // namespace pw
