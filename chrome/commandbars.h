// The main window's menu bar and toolbars, their user customisation and its saved state.
#pragma once

#include "chrome/themes.h"

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMainWindow;
class QToolBar;
class QWidget;
class QWidgetAction;

namespace pw {

class CommandRouter;
class CustomizeDialog;
struct CommandBarState;

// Owns the menu bar ("Menu Bar") and the toolbars of one main window: the built-in "Toolbar" and
// any toolbars the user made. Toolbar buttons are the router's own actions, so enabling,
// checking and shortcuts stay one thing with the menus. A few ids stand for custom controls
// (the find box, the external tools list, the language list) that the owner supplies through
// factories. Everything the user can change here is captured by saveState().
class CommandBars : public QObject
{
    Q_OBJECT
public:
    // The pages of the customisation dialog. The numbers are the ones the customise commands
    // ask for; further pages get numbers from FirstExtraPage up and never shift these.
    enum Page {
        ToolbarsPage = 0,
        CommandsPage = 1,
        KeyboardPage = 2,
        MenusPage = 3,
        OptionsPage = 4,
        PresentationPage = 5,
        FirstExtraPage = 6
    };

    // How dialogs look: the theme id (720-724) and the semi-transparent dialog rule.
    struct Presentation
    {
        int theme = kThemeDefault;
        bool transparentDialogs = true;
        int transparentPercent = 75;
        friend bool operator==(const Presentation &, const Presentation &) = default;
    };

    using ControlFactory = std::function<QWidget *(QWidget *parent)>;
    using PageFactory = std::function<QWidget *(QWidget *parent)>;

    // The bars belong to window; the object is a child of it.
    CommandBars(QMainWindow *window, CommandRouter *router);
    ~CommandBars() override;

    // Builds the menu bar from a menu resource and the toolbar with its default buttons. False
    // when the menu resource does not exist or there is no window or router.
    bool create(int menuId);
    // Shows another menu resource in the menu bar; false (and the old menu stays) when it does
    // not exist.
    bool setMenu(int menuId);
    int currentMenu() const { return m_menuId; }
    // Builds the current menu again from its resource, dropping whatever was added to it.
    void resetMenu();

    // Custom controls: while a factory is set for an id, the id stands for a control on the
    // toolbars instead of a button. The ids of the find box (5000), the external tools list
    // (1227) and the language list (25102) are controls even before their factory is known, so a
    // saved layout keeps their place; without a factory they show nothing.
    void setControlFactory(int id, ControlFactory factory);
    bool hasControlFactory(int id) const;
    bool isControlId(int id) const;
    // The live control on a toolbar, or null.
    QWidget *control(int id) const;

    // The built-in toolbar, then the user's toolbars in the order they were made.
    QToolBar *toolBar() const;
    QList<QToolBar *> toolBars() const;
    bool isUserToolBar(const QToolBar *bar) const;
    // A new empty toolbar docked at the top; null when the name is blank or already taken.
    QToolBar *addUserToolBar(const QString &name);
    bool renameUserToolBar(QToolBar *bar, const QString &name);
    bool removeUserToolBar(QToolBar *bar);
    // Command ids in button order, 0 for a separator.
    QList<int> contents(const QToolBar *bar) const;
    // Duplicates are dropped; a control moves here from any other toolbar that held it.
    void setContents(QToolBar *bar, const QList<int> &ids);
    // The built-in toolbar gets its default buttons back and is shown; a user toolbar is emptied.
    void resetToolBar(QToolBar *bar);
    void setToolBarVisible(QToolBar *bar, bool visible);
    bool isToolBarVisible(const QToolBar *bar) const;
    static QList<int> defaultContents();
    // A command's name as lists show it: the menu text without its mnemonic markup, or the
    // control's name for a control id.
    static QString commandText(int id);

    // Toolbar icons: 24 by 24 when large, else 16 by 16.
    void setLargeIcons(bool large);
    bool largeIcons() const { return m_largeIcons; }
    void setShowToolTips(bool show);
    bool showToolTips() const { return m_showToolTips; }
    void setShortcutsInToolTips(bool show);
    bool shortcutsInToolTips() const { return m_shortcutsInToolTips; }
    // The tooltip a toolbar button of the command shows (without the key when that is off).
    QString toolTip(int id) const;

    // Keyboard shortcuts of the commands; the command table gives the defaults.
    QList<QKeySequence> shortcuts(int id) const;
    static QList<QKeySequence> defaultShortcuts(int id);
    void setShortcuts(int id, const QList<QKeySequence> &keys);
    // The command that has key among its shortcuts, ignoring except; 0 when the key is free.
    int commandForShortcut(const QKeySequence &key, int except = 0) const;
    void resetShortcuts();
    QList<int> customizedShortcutIds() const;

    // The user's layout: toolbar contents, places and visibility, user toolbars, custom
    // shortcuts and the tooltip options (CommandBarState). saveState() gives its versioned
    // binary form; restoreState() returns false and changes nothing when the data is not a
    // layout it can read, and leaves out commands and controls this program does not know.
    CommandBarState currentState() const;
    QByteArray saveState() const;
    bool restoreState(const QByteArray &state);

    // The presentation options the dialog shows. setPresentation() only records them (the owner
    // applies the theme); a change made in the dialog applies the theme and is reported through
    // the handler, as is a change of the icon size.
    void setPresentation(const Presentation &presentation);
    Presentation presentation() const { return m_presentation; }
    void setPresentationChangedHandler(std::function<void(const Presentation &)> handler);
    void setLargeIconsChangedHandler(std::function<void(bool large)> handler);
    // The user's choice, as the dialog makes it: applied (a new theme included) and reported
    // through the handlers when it differs from the current one.
    void chooseLargeIcons(bool large);
    void choosePresentation(const Presentation &presentation);

    // Shows the modal customisation dialog on a page without blocking the caller and returns it
    // (the same one when it is already open). An unknown page opens the first page.
    CustomizeDialog *showCustomizeDialog(int page);
    CustomizeDialog *customizeDialog() const;
    bool isCustomizing() const;
    // A further page, made each time the dialog opens and destroyed when it closes. It is
    // placed before the page beforePageId, or last when that is -1 or unknown.
    void addCustomizePage(int pageId, const QString &title, PageFactory factory,
                          int beforePageId = -1);
    void setCustomizeClosedHandler(std::function<void()> handler);

    QMainWindow *window() const { return m_window; }
    CommandRouter *router() const { return m_router; }

signals:
    // Something the saved state holds has changed.
    void changed();
    void customizingChanged(bool active);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class CustomizeDialog;

    struct Bar
    {
        QToolBar *toolBar = nullptr;
        QList<int> contents;
        bool user = false;
        QList<QAction *> separators;
    };
    struct ExtraPage
    {
        int id;
        QString title;
        PageFactory factory;
        int before;
    };

    Bar *findBar(const QToolBar *bar);
    const Bar *findBar(const QToolBar *bar) const;
    QToolBar *makeToolBar(const QString &objectName, const QString &title);
    void rebuild(Bar &bar);
    void rebuildContaining(int id);
    QWidgetAction *controlAction(int id, QWidget *parent);
    void prepareAction(QAction *action, int id);
    void refreshToolTips();
    void refreshMenuShortcuts();
    QString nextUserObjectName() const;
    bool nameTaken(const QString &name, const QToolBar *except) const;
    void applyShortcuts(int id, const QList<QKeySequence> &keys);

    void dialogClosed();
    const std::vector<ExtraPage> &extraPages() const { return m_extraPages; }

    QMainWindow *m_window;
    CommandRouter *m_router;
    int m_menuId = 0;
    std::vector<Bar> m_bars; // the built-in toolbar first
    QHash<int, ControlFactory> m_factories;
    QHash<int, QWidgetAction *> m_controls;
    QHash<int, QList<QKeySequence>> m_shortcuts; // only those that differ from the defaults
    bool m_largeIcons = true;
    bool m_showToolTips = true;
    bool m_shortcutsInToolTips = true;
    Presentation m_presentation;
    std::function<void(const Presentation &)> m_presentationHandler;
    std::function<void(bool)> m_largeIconsHandler;
    std::function<void()> m_closedHandler;
    std::vector<ExtraPage> m_extraPages;
    QPointer<CustomizeDialog> m_dialog;
};

} // namespace pw
