// CMainFrame: window creation, the status bar, the workspace and closing.
#include "app/mainframe.h"

#include "app/appfolders.h"
#include "app/commandrouter.h"
#include "app/document.h"
#include "app/penwrightapp.h"
#include "app/settings/framesettings.h"
#include "app/settings/xmlsettingsstore.h"
#include "resources/commandids.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>

namespace pw {

namespace {
constexpr int kMenuNoDocument = 128;
constexpr int kMenuTextDocument = 129;

QString canonicalPath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}
} // namespace

CMainFrame::CMainFrame(PenwrightApp *app)
    : m_app(app), m_settings(std::make_unique<FrameSettings>())
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Penwright"));
    setAcceptDrops(true);
    onCommand(Cmd::AppExit, [this] { close(); });
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::create()
{
    // Restored size: 80 % of the screen, centred; the window itself opens maximised.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize size(area.width() * 8 / 10, area.height() * 8 / 10);
        setGeometry(QRect(area.topLeft() + QPoint((area.width() - size.width()) / 2,
                                                  (area.height() - size.height()) / 2),
                          size));
    }

    m_settingsFile = AppFolders::settingsFile();
    m_layoutFile = AppFolders::layoutFile();
    XmlSettingsStore store(m_settingsFile);
    m_settings->loadView(store);

    // Status bar: message, caret position, INS, CAP, NUM, SCRL, progress.
    QStatusBar *bar = statusBar();
    for (int pane = 0; pane < PaneProgress; ++pane) {
        m_panes[pane] = new QLabel(bar);
        m_panes[pane]->setObjectName(QStringLiteral("StatusPane%1").arg(pane));
        if (pane == PaneMessage)
            bar->addWidget(m_panes[pane], 1);
        else
            bar->addPermanentWidget(m_panes[pane]);
    }
    m_panes[PanePosition]->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("Ln 99999 Col 999")));
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("StatusProgress"));
    m_progress->setFixedWidth(150);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 0);
    m_progress->setValue(0);
    m_progress->setRange(0, 1);
    bar->addPermanentWidget(m_progress);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("Workspace"));
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);

    m_router = new CommandRouter(
        this, [this] { return commandChain(); }, this);
    rebuildMenus();

    m_settings->loadRest(store, AppFolders::backupFolder(), AppFolders::dictionaryFolder(),
                         isMetricLocale());
    return true;
}

std::vector<CommandTarget *> CMainFrame::commandChain() const
{
    std::vector<CommandTarget *> chain;
    if (CMDIChildFrame *frame = activeFrame()) {
        chain.push_back(frame->activeView());
        chain.push_back(frame->document());
        chain.push_back(frame);
    }
    chain.push_back(const_cast<CMainFrame *>(this));
    chain.push_back(m_app);
    return chain;
}

void CMainFrame::rebuildMenus()
{
    const int wanted = activeFrame() ? kMenuTextDocument : kMenuNoDocument;
    if (wanted == m_menuShown)
        return;
    m_menuShown = wanted;
    m_router->buildMenuBar(menuBar(), wanted);
    if (menuBar()->actions().isEmpty())
        m_router->buildMenuBar(menuBar(), kMenuTextDocument);
}

void CMainFrame::setStatusText(int pane, const QString &text)
{
    if (pane >= 0 && pane < PaneProgress && m_panes[pane])
        m_panes[pane]->setText(text);
}

QString CMainFrame::statusText(int pane) const
{
    return pane >= 0 && pane < PaneProgress && m_panes[pane] ? m_panes[pane]->text() : QString();
}

void CMainFrame::progress(bool active, qint64 total, qint64 done)
{
    if (!m_progress)
        return;
    if (!active) {
        m_progressActive = false;
        m_progress->setRange(0, 0);
        m_progress->setValue(0);
        m_progress->setRange(0, 1);
        m_progress->reset();
        return;
    }
    // The bar counts in int; larger totals are scaled down so files over 2 GiB still move it.
    const int scale = total > INT_MAX ? int(total / INT_MAX + 1) : 1;
    if (!m_progressActive) {
        m_progressActive = true;
        m_progressTotal = total;
        m_progress->setRange(0, int(total / scale));
        m_progress->setValue(0);
        return;
    }
    const int value = int(std::min(done, m_progressTotal) / scale);
    if (value == m_progress->value())
        return;
    m_progress->setValue(value);
    // Loading runs on the UI thread, so repaint the bar directly instead of waiting for events.
    if (m_progress->isVisible())
        m_progress->repaint();
}

void CMainFrame::addFrame(CMDIChildFrame *frame)
{
    m_mdiArea->addSubWindow(frame);
    connect(frame->document(), &CDocument::titleChanged, this, &CMainFrame::refreshTitle);
}

QList<CMDIChildFrame *> CMainFrame::documentFrames() const
{
    QList<CMDIChildFrame *> frames;
    if (!m_mdiArea)
        return frames;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList()) {
        if (auto *frame = qobject_cast<CMDIChildFrame *>(window))
            frames.append(frame);
    }
    return frames;
}

CMDIChildFrame *CMainFrame::activeFrame() const
{
    if (!m_mdiArea)
        return nullptr;
    // The active sub-window is null while the main window itself is inactive, which happens
    // under a bare X server or offscreen; the current one is still the user's document.
    QMdiSubWindow *window = m_mdiArea->activeSubWindow();
    if (!window)
        window = m_mdiArea->currentSubWindow();
    return qobject_cast<CMDIChildFrame *>(window);
}

CDocument *CMainFrame::isAlreadyOpen(const QString &path)
{
    const QString wanted = canonicalPath(path);
    const Qt::CaseSensitivity cs =
#ifdef Q_OS_WIN
        Qt::CaseInsensitive;
#else
        Qt::CaseSensitive;
#endif
    for (CMDIChildFrame *frame : documentFrames()) {
        const QString open = frame->document()->pathName();
        if (!open.isEmpty() && canonicalPath(open).compare(wanted, cs) == 0) {
            activateFrame(frame);
            return frame->document();
        }
    }
    return nullptr;
}

void CMainFrame::activateFrame(CMDIChildFrame *frame)
{
    if (frame->isMinimized())
        frame->showNormal();
    m_mdiArea->setActiveSubWindow(frame);
    if (QWidget *view = frame->viewWidget())
        view->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow *)
{
    rebuildMenus();
    refreshTitle();
    if (!activeFrame())
        setStatusText(PanePosition, QString());
    m_router->updateAll();
}

void CMainFrame::refreshTitle()
{
    CMDIChildFrame *frame = activeFrame();
    setWindowTitle(frame ? frame->document()->decoratedTitle() + QStringLiteral(" - Penwright")
                         : QStringLiteral("Penwright"));
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    XmlSettingsStore store(m_settingsFile);
    m_settings->save(store);
    // Each window asks about its own unsaved changes; a cancel keeps the program running.
    for (CMDIChildFrame *frame : documentFrames()) {
        if (!frame->close()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

} // namespace pw
