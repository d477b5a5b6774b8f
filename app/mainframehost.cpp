// MainFrameHost: each request of the windows below, answered by the main frame or the application.
#include "app/mainframehost.h"

#include "app/dockpanes.h"
#include "app/mainframe.h"
#include "app/penwrightapp.h"
#include "app/workspace.h"
#include "chrome/statuspanes.h"
#include "editor/documentwatcher.h"
#include "settings/recentfilelist.h"
#include "settings/registrysettings.h"

namespace pw {

MainFrameHost::MainFrameHost(PenwrightApp &app, CMainFrame &frame)
    : m_app(app), m_frame(frame), m_watcher(std::make_unique<DocumentWatcher>())
{}

MainFrameHost::~MainFrameHost() = default;

QWidget *MainFrameHost::window() const
{
    return &m_frame;
}

FrameSettings &MainFrameHost::settings() const
{
    return m_frame.settings();
}

QString MainFrameHost::settingsFile() const
{
    return m_frame.settingsFile();
}

void MainFrameHost::setStatusText(StatusPane pane, const QString &text)
{
    if (StatusPanes *panes = m_frame.statusPanes())
        panes->setText(pane, text);
}

// A run that starts before the status bar exists (none does today) still gets a report to poll.
std::unique_ptr<Progress> MainFrameHost::startProgress(qint64 total, bool stoppable)
{
    if (StatusPanes *panes = m_frame.statusPanes())
        return panes->startProgress(total, stoppable);
    struct Silent : Progress
    {
        void step(qint64) override {}
        bool stopRequested() const override { return false; }
    };
    return std::make_unique<Silent>();
}

std::unique_ptr<Progress> MainFrameHost::startBackgroundProgress(qint64 total)
{
    if (StatusPanes *panes = m_frame.statusPanes())
        return panes->startBackgroundProgress(total);
    return startProgress(total, false);
}

void MainFrameHost::addRecentFile(const QString &path)
{
    RegistrySettings registry;
    RecentFileList list;
    list.setEntries(registry.recentFiles());
    list.add(path);
    registry.setRecentFiles(list.entries());
}

CommandRouter *MainFrameHost::router() const
{
    return m_frame.router();
}

CMDIChildFrame *MainFrameHost::activeFrame() const
{
    return m_frame.workspace().activeFrame();
}

CDocument *MainFrameHost::openDocument(const QString &path, const OpenRequest &request)
{
    return m_app.openDocumentFile(path, request);
}

CDocument *MainFrameHost::openWithAutomaticChoice(const QString &path)
{
    return m_app.openWithAutomaticChoice(path);
}

CDocument *MainFrameHost::openCompare(const QString &first, const QString &second)
{
    return m_app.openCompare(first, second);
}

bool MainFrameHost::closingWithReopen() const
{
    return m_frame.closingWithReopen();
}

bool MainFrameHost::isPaneShown(int paneId) const
{
    return m_frame.panes().isPaneShown(paneId);
}

const LanguageList &MainFrameHost::languages() const
{
    return m_frame.languages();
}

void MainFrameHost::reloadLanguages(bool applyToOpen)
{
    m_frame.reloadLanguages(applyToOpen);
}

QList<CRidereView *> MainFrameHost::textViews() const
{
    return m_frame.workspace().textViews();
}

NavigationHistory &MainFrameHost::navigation()
{
    return m_frame.navigation();
}

} // namespace pw
