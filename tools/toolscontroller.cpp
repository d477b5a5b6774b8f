// ToolsController: the tool list and its icons, the Tools menu entries, RunTool and Stop User Tool.
#include "tools/toolscontroller.h"

#include "chrome/commandbars.h"
#include "editor/editorhost.h"
#include "editor/mfcscintilla.h"
#include "editor/ridereframe.h"
#include "editor/ridereview.h"
#include "framework/commandrouter.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/xmlsettingsstore.h"
#include "tools/engine/toolcommand.h"
#include "tools/processoutputview.h"
#include "tools/toolspage.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QtDebug>
#include <algorithm>

namespace pw {

namespace {

const char kToolEntry[] = "toolEntry";

// The picture of a program: the icon theme's for its name (most desktop programs ship one), else
// the file's own as the desktop shows it, else a generic program icon.
QIcon programIcon(const QString &path)
{
    const QFileInfo info(path);
    QIcon icon = QIcon::fromTheme(info.completeBaseName());
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (icon.isNull())
        icon = QFileIconProvider().icon(info);
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

} // namespace

ToolsController::ToolsController(EditorHost &host, CommandBars *bars, CProcessOutputView *pane,
                                 std::function<void()> showPane, QObject *parent)
    : QObject(parent), m_host(host), m_bars(bars), m_pane(pane), m_showPane(std::move(showPane))
{
    XmlSettingsStore store(m_host.settingsFile());
    if (loadTools(store, m_tools) == ToolLoadResult::Absent)
        appendDefaultTools(m_tools);
    // Images are made anew each run rather than kept with the toolbars, so the stored ids are
    // recomputed from the commands; the numbering rule gives the same ids for the same list.
    refreshToolIcons();

    m_pane->setFinishedHandler([this] { captureFinished(); });
    onCommand(
        Cmd::StopUserTool, [this] { stopUserTool(); },
        [this](CommandUi &ui) { ui.enabled = toolRunning(); });

    CommandRouter *router = m_host.router();
    router->setDynamicMenu(Cmd::ToolsPlaceholder,
                           [this](QMenu *menu, QAction *marker) { fillToolsMenu(menu, marker); });
    if (m_bars) {
        // The menu bar was built before the tools joined; build it again with their entries.
        m_bars->resetMenu();
        m_bars->setControlFactory(Cmd::ToolsPlaceholder,
                                  [this](QWidget *parent) { return createToolbarButton(parent); });
        m_bars->addCustomizePage(CommandBars::FirstExtraPage, resourceText(Str::ToolsPageTitle),
                                 [this](QWidget *parent) { return makeToolsPage(this, parent); });
    }
}

ToolsController::~ToolsController()
{
    // The sinks go before the pane's handler could reach this object.
    m_documentSinks.clear();
    if (m_pane)
        m_pane->setFinishedHandler({});
}

void ToolsController::setTools(const ToolList &tools)
{
    m_tools = tools;
    refreshToolIcons();
}

bool ToolsController::saveTools() const
{
    XmlSettingsStore store(m_host.settingsFile());
    return pw::saveTools(store, m_tools);
}

void ToolsController::refreshToolIcons()
{
    m_icons.clear();
    int next = FirstIconId;
    for (ExternalTool &tool : m_tools) {
        tool.icon = 0;
        const ResolvedProgram program = resolveProgram(tool.cmd, QString());
        const QString path = program.path.isEmpty() ? tool.cmd : program.path;
        // A program that is not there has no picture; it keeps 0 and still runs as typed.
        if (path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        m_icons.insert(next, programIcon(path));
        tool.icon = next++;
    }
}

void ToolsController::fillToolsMenu(QMenu *menu, QAction *marker)
{
    for (QAction *act : menu->actions()) {
        if (act->property(kToolEntry).isValid())
            menu->removeAction(act), act->deleteLater();
    }
    const bool customizing = m_bars && m_bars->isCustomizing();
    if (customizing || m_tools.isEmpty()) {
        // The placeholder itself: a reminder where tools go, enabled only while customising.
        auto *placeholder = new QAction(CommandBars::commandText(Cmd::ToolsPlaceholder), menu);
        placeholder->setProperty(kToolEntry, Cmd::ToolsPlaceholder);
        placeholder->setData(Cmd::ToolsPlaceholder);
        placeholder->setEnabled(customizing);
        menu->insertAction(marker, placeholder);
        return;
    }
    for (const ExternalTool &tool : std::as_const(m_tools)) {
        auto *act = new QAction(toolIcon(tool.icon), tool.name, menu);
        act->setProperty(kToolEntry, Cmd::RunTool);
        act->setData(Cmd::RunTool);
        // The entry carries its own copy: an edit of the list while the menu is open changes
        // nothing that is already shown.
        connect(act, &QAction::triggered, this, [this, tool] { runTool(tool); });
        menu->insertAction(marker, act);
    }
}

QWidget *ToolsController::createToolbarButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("ToolsButton"));
    button->setText(CommandBars::commandText(Cmd::ToolsPlaceholder));
    button->setToolTip(button->text());
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(button);
    QAction *marker = menu->addSeparator();
    marker->setVisible(false);
    connect(menu, &QMenu::aboutToShow, this, [this, menu, marker] { fillToolsMenu(menu, marker); });
    button->setMenu(menu);
    return button;
}

void ToolsController::runTool(const ExternalTool &tool)
{
    const std::optional<ToolOutputMode> mode = outputModeOf(tool);
    if (!mode)
        return;
    ToolVariables variables;
    variables.appDir = QDir::currentPath();
    if (CMDIChildFrame *frame = m_host.activeFrame()) {
        if (CDocument *document = frame->document())
            variables.filePath = document->pathName();
    }
    const ToolLaunch launch = expandTool(tool, variables);
    switch (*mode) {
    case ToolOutputMode::OutputWindow:
        if (m_showPane)
            m_showPane();
        if (m_pane)
            m_pane->start(launch);
        break;
    case ToolOutputMode::EditorDocument:
        runIntoDocument(launch);
        break;
    case ToolOutputMode::RunExternally:
        if (const int error = startDetached(launch))
            m_host.setStatusText(StatusPane::Message,
                                 ConsoleRedirector::startErrorText(error).trimmed());
        break;
    }
    m_host.router()->update(Cmd::StopUserTool);
}

void ToolsController::runIntoDocument(const ToolLaunch &launch)
{
    CMDIChildFrame *before = m_host.activeFrame();
    m_host.router()->execute(Cmd::FileNew);
    auto *frame = qobject_cast<CRidereFrame *>(m_host.activeFrame());
    if (!frame || frame == before || !frame->view() || !frame->document()->pathName().isEmpty()) {
        qDebug().noquote() << resourceText(Str::ToolNewDocumentFailed);
        return;
    }
    sinkFor(frame->view()->editor())->redirector().open(launch);
}

EditorOutputSink *ToolsController::sinkFor(CMFCScintilla *editor)
{
    for (const auto &sink : m_documentSinks) {
        if (sink->key() == editor)
            return sink.get();
    }
    m_documentSinks.push_back(
        std::make_unique<EditorOutputSink>(editor, [this] { captureFinished(); }));
    // The sink goes with its editor; its capture ends without a word to the departed window.
    connect(editor, &QObject::destroyed, this, [this, editor] {
        std::erase_if(m_documentSinks, [editor](const std::unique_ptr<EditorOutputSink> &sink) {
            return sink->key() == editor;
        });
        m_host.router()->update(Cmd::StopUserTool);
    });
    return m_documentSinks.back().get();
}

bool ToolsController::stopUserTool()
{
    // The Tool Window's tool and the active document's; when neither runs, the command was
    // enabled for tools of other documents, and it stops those rather than doing nothing.
    EditorOutputSink *active = nullptr;
    if (auto *frame = qobject_cast<CRidereFrame *>(m_host.activeFrame())) {
        for (const auto &sink : m_documentSinks) {
            if (frame->view() && sink->key() == frame->view()->editor())
                active = sink.get();
        }
    }
    const bool near =
        (m_pane && m_pane->isRunning()) || (active && active->redirector().isRunning());
    const bool any = toolRunning();
    if (near) {
        if (m_pane)
            m_pane->stop();
        if (active)
            active->redirector().close();
    } else {
        for (const auto &sink : m_documentSinks)
            sink->redirector().close();
    }
    m_host.router()->update(Cmd::StopUserTool);
    return any;
}

bool ToolsController::toolRunning() const
{
    if (m_pane && m_pane->isRunning())
        return true;
    return std::any_of(m_documentSinks.begin(), m_documentSinks.end(),
                       [](const auto &sink) { return sink->redirector().isRunning(); });
}

QList<qint64> ToolsController::runningProcessIds() const
{
    QList<qint64> ids;
    if (m_pane && m_pane->isRunning())
        ids.append(m_pane->processId());
    for (const auto &sink : m_documentSinks) {
        if (sink->redirector().isRunning())
            ids.append(sink->redirector().processId());
    }
    return ids;
}

void ToolsController::captureFinished()
{
    // Called from inside the capture's last call: the command's state is refreshed afterwards.
    QMetaObject::invokeMethod(
        this, [this] { m_host.router()->update(Cmd::StopUserTool); }, Qt::QueuedConnection);
}

} // namespace pw
