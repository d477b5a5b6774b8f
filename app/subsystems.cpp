// wireSubsystems: each subsystem's commands, panes and toolbar controls, where the build has it.
#include "app/subsystems.h"

#include "app/mainframe.h"
#include "app/mainframehost.h"
#include "chrome/commandbars.h"
#include "chrome/customizedialog.h"
#include "resources/commandids.h"

#ifdef PENWRIGHT_WITH_SEARCH
#include "search/findreplacecontroller.h"
#include "search/toolbarfindcombobox.h"
#endif
#ifdef PENWRIGHT_WITH_FUNCTIONLIST
#include "functionlist/functionlistcontroller.h"
#include "functionlist/functionlistpane.h"
#endif

namespace pw {

namespace {

#ifdef PENWRIGHT_WITH_SEARCH
void wireSearch(CMainFrame &frame, MainFrameHost &host)
{
    auto *search = new FindReplaceController(host, &frame);
    frame.addCommandTarget(search);
    frame.commandBars()->setControlFactory(
        Cmd::ToolbarFindBox, [search](QWidget *parent) -> QWidget * { return search->createToolbarBox(parent); });
    // The dialogs store their placement as they go, before the settings are written.
    QObject::connect(&frame, &CMainFrame::aboutToWriteSettings, search,
                     &FindReplaceController::destroyDialogs);
}
#endif

#ifdef PENWRIGHT_WITH_FUNCTIONLIST
void wireFunctionList(CMainFrame &frame, MainFrameHost &host)
{
    auto *pane = new CFunctionList(&frame);
    frame.setPaneWidget(Cmd::PaneFunctionList, pane);
    auto *list = new FunctionListController(host, pane, &frame);
    host.setFunctionList(list);
    // The host outlives nothing the frame owns: forget the service before the pane goes.
    QObject::connect(list, &QObject::destroyed, [&host] { host.setFunctionList(nullptr); });
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
}

} // namespace pw
