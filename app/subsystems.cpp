// wireSubsystems: each subsystem's commands, panes and toolbar controls, where the build has it.
#include "app/subsystems.h"

#include "app/dockpanes.h"
#include "app/mainframe.h"
#include "app/mainframehost.h"
#include "app/workspace.h"
#include "chrome/commandbars.h"
#include "chrome/customizedialog.h"
#include "resources/commandids.h"
#include "settings/settingkeys.h"

#include <QPointer>

#ifdef PENWRIGHT_WITH_SEARCH
#include "search/findreplacecontroller.h"
#include "search/toolbarfindcombobox.h"
#endif
#ifdef PENWRIGHT_WITH_FUNCTIONLIST
#include "functionlist/functionlistcontroller.h"
#include "functionlist/functionlistpane.h"
#endif
#ifdef PENWRIGHT_WITH_COMPARE
#include "compare/comparecommands.h"
#endif
#ifdef PENWRIGHT_WITH_BACKUP
#include "backup/backupmanager.h"
#endif
#ifdef PENWRIGHT_WITH_HEX
#include "hex/hexcommands.h"
#endif
#ifdef PENWRIGHT_WITH_MACROS
#include "macros/macrocommands.h"
#endif
#ifdef PENWRIGHT_WITH_EXPLORERS
#include "explorers/solutionbarfs.h"
#include "explorers/solutionbarlist.h"
#include "explorers/solutionbaropenfiles.h"
#include "explorers/solutionbarproject.h"
#include "framework/document.h"
#include <QTimer>
#endif
#ifdef PENWRIGHT_WITH_FINDINFILES
#include "findinfiles/findinfilescontroller.h"
#include "findinfiles/findinfilesresults.h"
#endif
#ifdef PENWRIGHT_WITH_TOOLS
#include "tools/processoutputview.h"
#include "tools/toolscontroller.h"
#endif
#ifdef PENWRIGHT_WITH_SPELL
#include "spell/spellcommands.h"
#endif
#ifdef PENWRIGHT_WITH_MARKUP
#include "markup/markupcommands.h"
#endif
#ifdef PENWRIGHT_WITH_WEBPREVIEW
#include "markup/previewcommands.h"
#endif
#ifdef PENWRIGHT_WITH_RECOVERY
#include "recovery/recoverymanager.h"
#endif
#ifdef PENWRIGHT_WITH_PRINTING
#include "printing/printcommands.h"
#endif
#ifdef PENWRIGHT_WITH_PREFERENCES
#include "preferences/preferencescommands.h"
#endif

namespace pw {

namespace {

#ifdef PENWRIGHT_WITH_SEARCH
void wireSearch(CMainFrame &frame, MainFrameHost &host)
{
    auto *search = new FindReplaceController(host, &frame);
    host.services().registerService(search);
    frame.addCommandTarget(search);
    frame.commandBars()->setControlFactory(
        Cmd::ToolbarFindBox,
        [search](QWidget *parent) -> QWidget * { return search->createToolbarBox(parent); });
    // The dialogs store their placement as they go, before the settings are written.
    QObject::connect(&frame, &CMainFrame::aboutToWriteSettings, search,
                     &FindReplaceController::destroyDialogs);
}
#endif

#ifdef PENWRIGHT_WITH_FUNCTIONLIST
void wireFunctionList(CMainFrame &frame, MainFrameHost &host)
{
    auto *pane = new CFunctionList(&frame);
    frame.panes().setPaneWidget(Cmd::PaneFunctionList, pane);
    auto *list = new FunctionListController(host, pane, &frame);
    host.setFunctionList(list);
    // The host outlives nothing the frame owns: forget the service before the pane goes.
    QObject::connect(list, &QObject::destroyed, [&host] { host.setFunctionList(nullptr); });
}
#endif

#ifdef PENWRIGHT_WITH_COMPARE
// The compare window's template is the application's; here are the commands that open it.
void wireCompare(CMainFrame &frame, MainFrameHost &host)
{
    frame.addCommandTarget(new CompareCommands(host, &frame));
}
#endif

#ifdef PENWRIGHT_WITH_BACKUP
void wireBackup(CMainFrame &frame, MainFrameHost &host)
{
    auto *backups = new BackupManager(host, &frame);
    host.setBackups(backups);
    QObject::connect(backups, &QObject::destroyed, [&host] { host.setBackups(nullptr); });
}
#endif

#ifdef PENWRIGHT_WITH_HEX
// "Open as Hex..." and the hex find dialog; the hex windows find the commands in the host's
// services.
void wireHex(CMainFrame &frame, MainFrameHost &host)
{
    auto *hex = new HexCommands(host, &frame);
    host.services().registerService(hex);
    frame.addCommandTarget(hex);
    QObject::connect(&frame, &CMainFrame::aboutToWriteSettings, hex, &HexCommands::destroyDialogs);
#ifdef PENWRIGHT_WITH_SEARCH
    // The toolbar box searches a hex window as hex, and Find Next there reads the box.
    if (auto *search = host.services().service<FindReplaceController>()) {
        search->setHexFindHandler([hex](const QString &text) { return hex->toolbarFind(text); });
        hex->setBoxTextProvider([search] { return search->findText(); });
    }
#endif
}
#endif

#ifdef PENWRIGHT_WITH_TOOLS
void wireTools(CMainFrame &frame, MainFrameHost &host)
{
    auto *view = new CProcessOutputView(&frame);
    frame.panes().setPaneWidget(Cmd::PaneToolWindow, view);
    auto *tools = new ToolsController(
        host, frame.commandBars(), view, [&frame] { frame.panes().showPane(Cmd::PaneToolWindow); }, &frame);
    host.services().registerService(tools);
    frame.addCommandTarget(tools);
    QObject::connect(&frame, &CMainFrame::aboutToWriteSettings, tools, &ToolsController::saveTools);
}
#endif

#ifdef PENWRIGHT_WITH_SPELL
// Binds Aspell at start-up; a missing library leaves the command to say it cannot spell.
void wireSpell(CMainFrame &frame, MainFrameHost &host)
{
    frame.addCommandTarget(new SpellCommands(host, &frame));
}
#endif

#ifdef PENWRIGHT_WITH_MACROS
// Recording, running, renaming and deleting macros in the active text window.
void wireMacros(CMainFrame &frame, MainFrameHost &host)
{
    frame.addCommandTarget(new MacroCommands(host, &frame));
}
#endif

#ifdef PENWRIGHT_WITH_MARKUP
// Tidy's reports replace the Tool Window's text; a build without the Tool Window shows them in
// the status bar.
void wireMarkup(CMainFrame &frame, MainFrameHost &host)
{
    MarkupCommands::OutputFn output = [&host](const QString &text) {
        host.setStatusText(StatusPane::Message, text.section(QLatin1Char('\n'), 0, 0));
    };
#ifdef PENWRIGHT_WITH_TOOLS
    if (auto *tools = host.services().service<ToolsController>()) {
        QPointer<ToolsController> controller(tools);
        output = [&frame, controller](const QString &text) {
            if (!controller || !controller->outputView())
                return;
            frame.panes().showPane(Cmd::PaneToolWindow);
            controller->outputView()->clearOutput();
            controller->outputView()->writeStdOut(text);
        };
    }
#endif
    frame.addCommandTarget(new MarkupCommands(host, std::move(output), &frame));
}
#endif

#ifdef PENWRIGHT_WITH_WEBPREVIEW
void wireWebPreview(CMainFrame &frame, MainFrameHost &host)
{
    frame.addCommandTarget(new PreviewCommands(host, &frame));
}
#endif

#ifdef PENWRIGHT_WITH_EXPLORERS
// The four panes on the left: project folders, the disk, the open windows and the insertion lists.
void wireExplorers(CMainFrame &frame, MainFrameHost &host)
{
    auto *project = new CSolutionBarProject(host, &frame);
    frame.panes().setPaneWidget(Cmd::PaneProjectExplorer, project);
    frame.addCommandTarget(project);
    auto *files = new CSolutionBarFSContainer(host, &frame);
    frame.panes().setPaneWidget(Cmd::PaneFileExplorer, files);
    frame.addCommandTarget(files);
    files->setPaneShower([&frame] { frame.panes().showPane(Cmd::PaneFileExplorer); });
    frame.panes().setPaneWidget(Cmd::PaneListExplorer, new CSolutionBarList(host, &frame));
    auto *open = new CSolutionBarOpenFiles(
        [&frame] { return frame.workspace().documentFrames(); },
        [&frame](CMDIChildFrame *child) { frame.workspace().activateFrame(child); }, &frame);
    frame.panes().setPaneWidget(Cmd::PaneDocumentSelector, open);
    // Titles settle after the signal, so the list is read once the event loop comes round.
    auto *refill = new QTimer(open);
    refill->setSingleShot(true);
    refill->setInterval(0);
    QObject::connect(refill, &QTimer::timeout, open, [open] { open->refill(); });
    QObject::connect(&frame.workspace(), &Workspace::documentFramesChanged, refill,
                     qOverload<>(&QTimer::start));
}
#endif

#ifdef PENWRIGHT_WITH_FINDINFILES
void wireFindInFiles(CMainFrame &frame, MainFrameHost &host)
{
    auto *results = new CFindInFilesResults(&frame);
    frame.panes().setPaneWidget(Cmd::PaneFindInFiles, results);
    auto *findInFiles = new FindInFilesController(
        host, results, [&frame] { frame.panes().showPane(Cmd::PaneFindInFiles); }, &frame);
    frame.addCommandTarget(findInFiles);
#ifdef PENWRIGHT_WITH_SEARCH
    // The toolbar box shows what the dialog added to the search history.
    if (auto *search = host.services().service<FindReplaceController>()) {
        QObject::connect(findInFiles, &FindInFilesController::dialogDestroyed, search, [search] {
            if (CToolbarFindComboBox *box = search->toolbarBox())
                box->loadHistory(QString::fromLatin1(settings::section::SearchHistory));
        });
    }
#endif
}
#endif

#ifdef PENWRIGHT_WITH_RECOVERY
// Snapshots of modified documents, and the offer of a previous run's once the window is up.
void wireRecovery(CMainFrame &frame, MainFrameHost &host)
{
    auto *recovery = new RecoveryManager(host, &frame);
    host.setRecovery(recovery);
    QObject::connect(recovery, &QObject::destroyed, [&host] { host.setRecovery(nullptr); });
}
#endif

#ifdef PENWRIGHT_WITH_PRINTING
// Print and Print Preview on the printer and margins Page Setup keeps.
void wirePrinting(CMainFrame &frame, MainFrameHost &host)
{
    PrintCommands::PageSetup pageSetup{[&frame] { return frame.printer(); },
                                       [&frame] { return frame.printMargins(); }};
    auto *print = new PrintCommands(host, std::move(pageSetup), &frame);
    // The command line's print switches and the bench print through these commands.
    host.services().registerService(print);
    frame.addCommandTarget(print);
}
#endif

#ifdef PENWRIGHT_WITH_PREFERENCES
// "Editor Properties": the sheet applies the theme and icon size through the command bars.
void wirePreferences(CMainFrame &frame, MainFrameHost &host)
{
    frame.addCommandTarget(new PreferencesCommands(host, frame.commandBars(), &frame));
}
#endif

} // namespace

void wireSubsystems([[maybe_unused]] CMainFrame &frame, [[maybe_unused]] MainFrameHost &host)
{
#ifdef PENWRIGHT_WITH_SEARCH
    wireSearch(frame, host);
#endif
#ifdef PENWRIGHT_WITH_FUNCTIONLIST
    wireFunctionList(frame, host);
#endif
#ifdef PENWRIGHT_WITH_COMPARE
    wireCompare(frame, host);
#endif
#ifdef PENWRIGHT_WITH_BACKUP
    wireBackup(frame, host);
#endif
#ifdef PENWRIGHT_WITH_HEX
    wireHex(frame, host);
#endif
#ifdef PENWRIGHT_WITH_TOOLS
    wireTools(frame, host);
#endif
#ifdef PENWRIGHT_WITH_SPELL
    wireSpell(frame, host);
#endif
#ifdef PENWRIGHT_WITH_MACROS
    wireMacros(frame, host);
#endif
#ifdef PENWRIGHT_WITH_MARKUP
    wireMarkup(frame, host); // after the Tool Window, which shows its reports
#endif
#ifdef PENWRIGHT_WITH_WEBPREVIEW
    wireWebPreview(frame, host);
#endif
#ifdef PENWRIGHT_WITH_EXPLORERS
    wireExplorers(frame, host);
#endif
#ifdef PENWRIGHT_WITH_FINDINFILES
    wireFindInFiles(frame, host);
#endif
#ifdef PENWRIGHT_WITH_RECOVERY
    wireRecovery(frame, host);
#endif
#ifdef PENWRIGHT_WITH_PRINTING
    wirePrinting(frame, host);
#endif
#ifdef PENWRIGHT_WITH_PREFERENCES
    wirePreferences(frame, host);
#endif
}

} // namespace pw
