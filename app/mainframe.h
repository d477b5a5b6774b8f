// CMainFrame: the top-level window with its workspace, panes, status bar and window-wide commands.
#pragma once

#include "editor/doccore/navigationhistory.h"
#include "framework/commandtarget.h"
#include "languages/engine/languagelist.h"

#include <QHash>
#include <QMainWindow>
#include <QMarginsF>
#include <QPointer>
#include <QTabWidget>
#include <array>
#include <functional>
#include <memory>

class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QTabBar;
class QTimer;

namespace pw {

class CommandBars;
class CommandRouter;
class CMDIChildFrame;
class CDocument;
class CRidereView;
class MainFrameHost;
class PenwrightApp;
class StatusPanes;
struct FrameSettings;

class CMainFrame : public QMainWindow, public CommandTarget
{
    Q_OBJECT
public:
    explicit CMainFrame(PenwrightApp *app);
    ~CMainFrame() override;

    // The window creation steps, wiring in the subsystems through host; false ends start-up.
    bool create(MainFrameHost &host);
    // Shows the window with the stored placement (maximised when none is stored).
    void showWithPlacement();

    QMdiArea *mdiArea() const { return m_mdiArea; }
    CommandRouter *router() const { return m_router; }
    CommandBars *commandBars() const { return m_commandBars; }
    StatusPanes *statusPanes() const { return m_status; }
    // A subsystem's commands: asked after the active window's and before the main frame's own.
    void addCommandTarget(CommandTarget *target);

    void addFrame(CMDIChildFrame *frame);
    QList<CMDIChildFrame *> documentFrames() const;
    QList<CRidereView *> textViews() const;
    CMDIChildFrame *activeFrame() const;
    // A window already showing path is restored and activated; returns its document.
    CDocument *isAlreadyOpen(const QString &path);
    void activateFrame(CMDIChildFrame *frame);

    // The in-memory copy of the preferences, loaded at creation and written back at close.
    FrameSettings &settings() const { return *m_settings; }
    QString settingsFile() const { return m_settingsFile; }
    QString layoutFile() const { return m_layoutFile; }

    // Docking panes, by pane id. The content widget is where each subsystem puts its pane.
    QDockWidget *pane(int paneId) const { return m_docks.value(paneId); }
    void setPaneWidget(int paneId, QWidget *widget);
    void showPane(int paneId);
    void togglePane(int paneId);
    bool isPaneShown(int paneId) const;

    // The document tab row.
    bool tabsShown() const { return m_tabsShown; }
    void setTabsShown(bool shown);
    QTabWidget::TabPosition tabPosition() const { return m_tabPosition; }
    QTabBar *tabBar() const;

    NavigationHistory &navigation() { return m_navigation; }
    // The languages documents are coloured with; positions are the language numbers.
    LanguageList &languages() { return m_languages; }
    // Loads the list again; with applyToOpen every open text window applies its language anew.
    void reloadLanguages(bool applyToOpen);
    void navigate(bool backward);

    bool closingWithReopen() const { return m_closingWithReopen; }
    void addRecentFile(const QString &path);
    QStringList recentFiles() const;

    // The four print margins, in hundredths of a millimetre or thousandths of an inch.
    QMarginsF printMargins() const { return m_printMargins; }
    // The printer Page Setup chose, or null before the first Page Setup.
    QPrinter *printer() const { return m_printer.get(); }

    // Tests answer the font and page setup dialogs through these.
    using FontDialogHook = std::function<bool(QFont &font)>;
    void setFontDialogHook(FontDialogHook hook) { m_fontHook = std::move(hook); }
    using PageSetupHook = std::function<bool(QPrinter &printer)>;
    void setPageSetupHook(PageSetupHook hook) { m_pageSetupHook = std::move(hook); }

signals:
    // The close sequence is about to write the settings: panes and dialogs store their state.
    void aboutToWriteSettings();
    // A document window opened, closed or changed its title.
    void documentFramesChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void childEvent(QChildEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::vector<CommandTarget *> commandChain() const;
    void onSubWindowActivated(QMdiSubWindow *window);
    void refreshTitle();
    QString wantedTitle() const;
    void rebuildMenus();
    void fillRecentFiles(QMenu *menu, QAction *marker);
    void fillWindowList(QMenu *menu);
    void fillLanguageMenu(QMenu *menu, QAction *marker);
    void createPanes();
    void saveLayout();
    void restoreLayout();
    void registerPaneCommands();
    void registerViewCommands();
    void registerWindowCommands();
    void registerHelpCommands();
    void createCommandBars();
    QWidget *createLanguageBox(QWidget *parent);
    void toggleViewSetting(bool FrameSettings::*field, void (CRidereView::*apply)(bool));
    void chooseFont();
    void pageSetup();
    void closeAllButActive();
    void showTabContextMenu(const QPoint &globalPos, int tabIndex);
    void writeCloseState();

    PenwrightApp *m_app;
    QMdiArea *m_mdiArea = nullptr;
    CommandRouter *m_router = nullptr;
    CommandBars *m_commandBars = nullptr;
    StatusPanes *m_status = nullptr;
    std::vector<CommandTarget *> m_subsystemTargets;
    int m_menuShown = 0;
    std::unique_ptr<FrameSettings> m_settings;
    QString m_settingsFile;
    QString m_layoutFile;
    QHash<int, QDockWidget *> m_docks;
    bool m_tabsShown = false;
    QTabWidget::TabPosition m_tabPosition = QTabWidget::North;
    QPointer<QTabBar> m_watchedTabBar;
    // Held as a plain object: a frame being destroyed is no longer a frame.
    QPointer<QObject> m_lastActivated;
    NavigationHistory m_navigation;
    LanguageList m_languages;
    bool m_closingWithReopen = false;
    QMarginsF m_printMargins;
    std::unique_ptr<QPrinter> m_printer;
    QTimer *m_idleTimer = nullptr;
    FontDialogHook m_fontHook;
    PageSetupHook m_pageSetupHook;
    bool m_fixingTitle = false;
};

} // namespace pw
