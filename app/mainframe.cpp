// CMainFrame: window creation, the status bar, the workspace, menus and the window title.
#include "app/mainframe.h"

#include "app/mainframehost.h"
#include "app/penwrightapp.h"
#include "app/subsystems.h"
#include "chrome/appicon.h"
#include "chrome/commandbars.h"
#include "chrome/focusreturn.h"
#include "chrome/customizedialog.h"
#include "chrome/statuspanes.h"
#include "chrome/themes.h"
#include "editor/documentwatcher.h"
#include "editor/rideredoc.h"
#include "editor/ridereframe.h"
#include "editor/ridereview.h"
#include "framework/commandrouter.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/stringids.h"
#include "settings/appfolders.h"
#include "settings/framesettings.h"
#include "settings/recentfilelist.h"
#include "settings/registrysettings.h"
#include "settings/xmlsettingsstore.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>

namespace pw {

namespace {
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
    // Document windows and dialogs take the application's icon unless they set their own.
    QApplication::setWindowIcon(appIcon());
    setWindowIcon(QApplication::windowIcon());
    setAcceptDrops(true);
    onCommand(Cmd::AppExit, [this] { close(); });
}

CMainFrame::~CMainFrame()
{
    // Panes hide as the window goes; nothing may ask for command states any more.
    for (QDockWidget *dock : std::as_const(m_docks))
        dock->disconnect(this);
    if (m_mdiArea)
        m_mdiArea->disconnect(this);
}

bool CMainFrame::create(MainFrameHost &host)
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
    // An empty colour in a language file means the window's own background.
    const QColor window = QApplication::palette().color(QPalette::Base);
    setWindowColour(quint32(window.red() | window.green() << 8 | window.blue() << 16));
    reloadLanguages(false);

    // Status bar: message, caret position, INS, CAP, NUM, SCRL, progress.
    m_status = new StatusPanes(statusBar());
    m_status->refreshLockKeys();
    new FocusReturn(this);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("Workspace"));
    m_mdiArea->setDocumentMode(true);
    m_mdiArea->setTabsClosable(true);
    m_mdiArea->setTabsMovable(true);
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);

    m_router = new CommandRouter(
        this, [this] { return commandChain(); }, this);
    // Idle work: refresh the enabled state of toolbar buttons while the window is in use.
    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(250);
    connect(m_idleTimer, &QTimer::timeout, this, [this] {
        if (isActiveWindow())
            m_router->updateAll();
    });
    m_idleTimer->start();
    m_router->setDynamicMenu(
        Cmd::FileMru1, [this](QMenu *menu, QAction *marker) { fillRecentFiles(menu, marker); });
    m_router->setDynamicMenu(Cmd::ColorDocumentAs, [this](QMenu *menu, QAction *marker) {
        fillLanguageMenu(menu, marker);
    });
    registerPaneCommands();
    registerViewCommands();
    registerWindowCommands();
    registerHelpCommands();
    createCommandBars();
    rebuildMenus();

    if (m_settings->mdiTabsActive) {
        m_settings->mdiTabsActive = false;
        setTabsShown(true);
    }

    createPanes();
    wireSubsystems(*this, host);

    m_settings->loadRest(store, AppFolders::backupFolder(), AppFolders::dictionaryFolder(),
                         isMetricLocale());
    const qreal margin = m_settings->printMargin;
    m_printMargins = QMarginsF(margin, margin, margin, margin);

    return true;
}

void CMainFrame::showWithPlacement()
{
    RegistrySettings registry;
    if (const auto placement = registry.windowPosition()) {
        const QRect normal = placement->normalGeometry();
        if (normal.isValid())
            setGeometry(normal);
        if (placement->opensMaximized())
            showMaximized();
        else
            showNormal();
    } else {
        showMaximized();
    }
    activateWindow();
    raise();
}

void CMainFrame::addCommandTarget(CommandTarget *target)
{
    m_subsystemTargets.push_back(target);
}

std::vector<CommandTarget *> CMainFrame::commandChain() const
{
    std::vector<CommandTarget *> chain;
    if (CMDIChildFrame *frame = activeFrame()) {
        chain.push_back(frame->activeView());
        chain.push_back(frame->document());
        chain.push_back(frame);
    }
    chain.insert(chain.end(), m_subsystemTargets.begin(), m_subsystemTargets.end());
    chain.push_back(const_cast<CMainFrame *>(this));
    chain.push_back(m_app);
    return chain;
}

void CMainFrame::rebuildMenus()
{
    const int wanted = activeFrame() ? activeFrame()->menuId() : MenuId::MainFrame;
    if (wanted == m_menuShown)
        return;
    m_menuShown = wanted;
    m_commandBars->setMenu(wanted);
    // The framework's Window menu lists the open document windows at its end.
    for (QAction *top : menuBar()->actions()) {
        if (top->menu() && top->text() == QLatin1String("&Window")) {
            QMenu *window = top->menu();
            connect(window, &QMenu::aboutToShow, this, [this, window] { fillWindowList(window); });
        }
    }
}

void CMainFrame::fillRecentFiles(QMenu *menu, QAction *marker)
{
    for (QAction *act : menu->actions()) {
        if (act->property("recentFile").isValid())
            menu->removeAction(act), act->deleteLater();
    }
    const QStringList files = recentFiles();
    for (int i = 0; i < files.size() && i < 4; ++i) {
        auto *act = new QAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(files.at(i))), menu);
        act->setProperty("recentFile", files.at(i));
        const int id = Cmd::FileMru1 + i;
        connect(act, &QAction::triggered, this, [this, id] { m_router->execute(id); });
        menu->insertAction(marker, act);
    }
    if (files.isEmpty()) {
        auto *none = new QAction(QStringLiteral("Recent File"), menu);
        none->setProperty("recentFile", QString());
        none->setEnabled(false);
        menu->insertAction(marker, none);
    }
}

void CMainFrame::createCommandBars()
{
    m_commandBars = new CommandBars(this, m_router);
    m_commandBars->create(MenuId::MainFrame);
    m_menuShown = MenuId::MainFrame;
    m_commandBars->setControlFactory(Cmd::ColorDocumentAs,
                                     [this](QWidget *parent) { return createLanguageBox(parent); });
    m_commandBars->restoreState(RegistrySettings().commandBars());
    m_commandBars->setLargeIcons(m_settings->largeTBIcons);
    m_commandBars->setPresentation(
        {m_settings->theme, m_settings->transparentDialogs, m_settings->transparentPercent});
    applyTheme(m_settings->theme);
    m_commandBars->setLargeIconsChangedHandler(
        [this](bool large) { m_settings->largeTBIcons = large; });
    m_commandBars->setPresentationChangedHandler([this](const CommandBars::Presentation &look) {
        m_settings->theme = look.theme;
        m_settings->transparentDialogs = look.transparentDialogs;
        m_settings->transparentPercent = look.transparentPercent;
    });
    static const std::pair<int, int> pages[] = {
        {Cmd::Customize, CommandBars::OptionsPage},
        {Cmd::CustomizeAlt, CommandBars::OptionsPage},
        {Cmd::CustomizeToolbars, CommandBars::ToolbarsPage},
        {Cmd::CustomizeMenus, CommandBars::MenusPage},
        {Cmd::CustomizeKeyboard, CommandBars::KeyboardPage},
        {Cmd::CustomizePresentation, CommandBars::PresentationPage},
    };
    for (const auto &[id, page] : pages) {
        const int shown = page;
        onCommand(id, [this, shown] { m_commandBars->showCustomizeDialog(shown); });
    }
}

// The toolbar's language list: the active text document's language, chosen as from the menu.
QWidget *CMainFrame::createLanguageBox(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("LanguageBox"));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setFocusPolicy(Qt::ClickFocus);
    const auto refill = [this, box] {
        const QSignalBlocker quiet(box);
        box->clear();
        for (int i = 0; i < m_languages.count(); ++i)
            box->addItem(m_languages.get(i).menuLabel);
        auto *text = qobject_cast<CRidereFrame *>(activeFrame());
        box->setEnabled(text && m_languages.count() > 0);
        box->setCurrentIndex(text ? text->view()->languageIndex() : -1);
    };
    refill();
    connect(m_mdiArea, &QMdiArea::subWindowActivated, box, refill);
    connect(m_idleTimer, &QTimer::timeout, box, [this, box] {
        auto *text = qobject_cast<CRidereFrame *>(activeFrame());
        if (box->count() != m_languages.count())
            return;
        const QSignalBlocker quiet(box);
        box->setEnabled(text != nullptr);
        if (text && box->currentIndex() != text->view()->languageIndex())
            box->setCurrentIndex(text->view()->languageIndex());
    });
    connect(box, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index <= Cmd::ColorDocumentAsLast - Cmd::ColorDocumentAs)
            m_router->execute(Cmd::ColorDocumentAs + index);
        else if (auto *text = qobject_cast<CRidereFrame *>(activeFrame()))
            text->view()->setLanguage(index);
        if (QWidget *view = activeFrame() ? activeFrame()->viewWidget() : nullptr)
            view->setFocus();
    });
    return box;
}

void CMainFrame::reloadLanguages(bool applyToOpen)
{
    const QString folder = AppFolders::configFolder();
    if (!m_languages.load(folder) && QFileInfo(AppFolders::installedConfigFolder()).isDir())
        m_languages.load(AppFolders::installedConfigFolder());
    if (!applyToOpen)
        return;
    for (CRidereView *view : textViews())
        view->setLanguage(view->document()->languageIndex());
}

// "Color Document As": the first 21 languages, the document's own checked; the rest are
// reached through "More ...".
void CMainFrame::fillLanguageMenu(QMenu *menu, QAction *marker)
{
    for (QAction *act : menu->actions()) {
        if (act->property("languageEntry").isValid())
            menu->removeAction(act), act->deleteLater();
    }
    auto *text = qobject_cast<CRidereFrame *>(activeFrame());
    const int count =
        std::min(m_languages.count(), Cmd::ColorDocumentAsLast - Cmd::ColorDocumentAs);
    if (!text || count == 0) {
        auto *none = new QAction(resourceText(Str::ColoringNotAvailable), menu);
        none->setProperty("languageEntry", true);
        none->setEnabled(false);
        menu->insertAction(marker, none);
        return;
    }
    for (int i = 0; i < count && i < 21; ++i) {
        auto *act = new QAction(m_languages.get(i).menuLabel, menu);
        act->setProperty("languageEntry", true);
        act->setCheckable(true);
        act->setChecked(i == text->view()->languageIndex());
        const int id = Cmd::ColorDocumentAs + i;
        connect(act, &QAction::triggered, this, [this, id] { m_router->execute(id); });
        menu->insertAction(marker, act);
    }
}

void CMainFrame::fillWindowList(QMenu *menu)
{
    for (QAction *act : menu->actions()) {
        if (act->property("windowEntry").isValid())
            menu->removeAction(act), act->deleteLater();
    }
    const QList<CMDIChildFrame *> frames = documentFrames();
    if (frames.isEmpty())
        return;
    QAction *separator = menu->addSeparator();
    separator->setProperty("windowEntry", true);
    CMDIChildFrame *active = activeFrame();
    for (int i = 0; i < frames.size(); ++i) {
        CMDIChildFrame *frame = frames.at(i);
        const QString label = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(frame->windowTitle())
                                    : QStringLiteral("%1 %2").arg(i + 1).arg(frame->windowTitle());
        QAction *act = menu->addAction(label);
        act->setProperty("windowEntry", true);
        act->setCheckable(true);
        act->setChecked(frame == active);
        QPointer<CMDIChildFrame> target(frame);
        connect(act, &QAction::triggered, this, [this, target] {
            if (target)
                activateFrame(target);
        });
    }
}

void CMainFrame::addFrame(CMDIChildFrame *frame)
{
    m_mdiArea->addSubWindow(frame);
    connect(frame->document(), &CDocument::titleChanged, this, &CMainFrame::refreshTitle);
    connect(frame->document(), &CDocument::titleChanged, this, &CMainFrame::documentFramesChanged);
    // The frame is half destroyed when the signal comes, so note its view now.
    const void *view = frame->viewWidget();
    connect(frame, &QObject::destroyed, this, [this, view] {
        m_navigation.remove(view);
        emit documentFramesChanged();
        QTimer::singleShot(0, this, [this] {
            rebuildMenus();
            refreshTitle();
        });
    });
    emit documentFramesChanged();
}

QList<CMDIChildFrame *> CMainFrame::documentFrames() const
{
    QList<CMDIChildFrame *> frames;
    if (!m_mdiArea)
        return frames;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList()) {
        auto *frame = qobject_cast<CMDIChildFrame *>(window);
        // A window closing with deferred deletion is gone for every purpose but memory.
        if (frame && !frame->property("closing").toBool())
            frames.append(frame);
    }
    return frames;
}

QList<CRidereView *> CMainFrame::textViews() const
{
    QList<CRidereView *> views;
    for (CMDIChildFrame *frame : documentFrames()) {
        if (auto *text = qobject_cast<CRidereFrame *>(frame))
            views.append(text->view());
    }
    return views;
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
    // In tabbed view the workspace keeps no current window until the main window has once been
    // active; the window last brought forward is then the user's document.
    if (!window) {
        // Asked by type, as the window may be part way through its destruction.
        auto *last = qobject_cast<QMdiSubWindow *>(m_lastActivated.data());
        if (last && m_mdiArea->subWindowList().contains(last))
            window = last;
    }
    auto *frame = qobject_cast<CMDIChildFrame *>(window);
    return frame && !frame->property("closing").toBool() ? frame : nullptr;
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
    if (m_lastActivated != frame && !m_mdiArea->activeSubWindow()) {
        // The workspace activates nothing while it is inactive itself; menus, title and status
        // follow the window brought forward all the same.
        m_lastActivated = frame;
        onSubWindowActivated(frame);
    }
    if (QWidget *view = frame->viewWidget())
        view->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow *window)
{
    if (auto *frame = qobject_cast<CMDIChildFrame *>(window))
        m_lastActivated = frame;
    rebuildMenus();
    refreshTitle();
    auto *text = qobject_cast<CRidereFrame *>(activeFrame());
    m_status->setText(StatusPane::Position, text ? text->view()->positionText() : QString());
    m_router->updateAll();
}

QString CMainFrame::wantedTitle() const
{
    CMDIChildFrame *frame = activeFrame();
    if (!frame)
        return QStringLiteral("Penwright");
    // A maximised window's name is bracketed, as the workspace itself writes it.
    const QString name = frame->document()->decoratedTitle();
    if (frame->isMaximized() && !m_tabsShown)
        return QStringLiteral("Penwright - [") + name + QLatin1Char(']');
    return QStringLiteral("Penwright - ") + name;
}

void CMainFrame::refreshTitle()
{
    const QString wanted = wantedTitle();
    if (windowTitle() != wanted)
        setWindowTitle(wanted);
}

void CMainFrame::childEvent(QChildEvent *event)
{
    QMainWindow::childEvent(event);
    // Panes tabbed together get a tab bar from the window; their names stay whole (with scroll
    // arrows when they do not fit) rather than shrinking to a letter and an ellipsis.
    if (event->polished()) {
        if (auto *tabs = qobject_cast<QTabBar *>(event->child())) {
            tabs->setElideMode(Qt::ElideNone);
            tabs->setUsesScrollButtons(true);
        }
    }
}

void CMainFrame::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // The workspace rewrites the title when a window is maximised or restored; keep ours.
    if (event->type() == QEvent::WindowTitleChange && !m_fixingTitle) {
        m_fixingTitle = true;
        refreshTitle();
        m_fixingTitle = false;
    }
    // Back from another program: its changes to open files are looked at now, once the
    // activation has run its course.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_app->host())
        QTimer::singleShot(0, this, [this] {
            if (MainFrameHost *host = m_app->host())
                host->documentWatcher().checkAll();
        });
}

void CMainFrame::addRecentFile(const QString &path)
{
    RegistrySettings registry;
    RecentFileList list;
    list.setEntries(registry.recentFiles());
    list.add(path);
    registry.setRecentFiles(list.entries());
}

QStringList CMainFrame::recentFiles() const
{
    return RegistrySettings().recentFiles();
}

} // namespace pw
