// CMainFrame: the top-level window with its workspace, panes, status bar and window-wide commands.
#pragma once

#include "editor/doccore/navigationhistory.h"
#include "framework/commandtarget.h"
#include "languages/engine/languagelist.h"

#include <QMainWindow>
#include <QMarginsF>
#include <functional>
#include <memory>

class QMenu;
class QPrinter;
class QTimer;

namespace pw {

class CommandBars;
class CommandRouter;
class CRidereView;
class DockPanes;
class MainFrameHost;
class PenwrightApp;
class StatusPanes;
class Workspace;
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

    CommandRouter *router() const { return m_router; }
    CommandBars *commandBars() const { return m_commandBars; }
    StatusPanes *statusPanes() const { return m_status; }
    // A subsystem's commands: asked after the active window's and before the main frame's own.
    void addCommandTarget(CommandTarget *target);

    // The document windows, and the docking panes around them.
    Workspace &workspace() const { return *m_workspace; }
    DockPanes &panes() const { return *m_panes; }

    // The in-memory copy of the preferences, loaded at creation and written back at close.
    FrameSettings &settings() const { return *m_settings; }
    QString settingsFile() const { return m_settingsFile; }

    NavigationHistory &navigation() { return m_navigation; }
    // The languages documents are coloured with; positions are the language numbers.
    LanguageList &languages() { return m_languages; }
    // Loads the list again; with applyToOpen every open text window applies its language anew.
    void reloadLanguages(bool applyToOpen);

    bool closingWithReopen() const { return m_closingWithReopen; }

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

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void childEvent(QChildEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::vector<CommandTarget *> commandChain() const;
    void onActiveFrameChanged();
    void onFrameRemoved(const void *view);
    void refreshTitle();
    QString wantedTitle() const;
    void rebuildMenus();
    void fillRecentFiles(QMenu *menu, QAction *marker);
    void fillWindowList(QMenu *menu);
    void fillLanguageMenu(QMenu *menu, QAction *marker);
    void registerViewCommands();
    void registerWindowCommands();
    void registerHelpCommands();
    void createCommandBars();
    QWidget *createLanguageBox(QWidget *parent);
    void toggleViewSetting(bool FrameSettings::*field, void (CRidereView::*apply)(bool));
    void chooseFont();
    void pageSetup();
    void navigate(bool backward);
    void showTabContextMenu(const QPoint &globalPos);
    void writeCloseState();

    PenwrightApp *m_app;
    Workspace *m_workspace;
    DockPanes *m_panes;
    CommandRouter *m_router = nullptr;
    CommandBars *m_commandBars = nullptr;
    StatusPanes *m_status = nullptr;
    std::vector<CommandTarget *> m_subsystemTargets;
    int m_menuShown = 0;
    std::unique_ptr<FrameSettings> m_settings;
    QString m_settingsFile;
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
