// One QAction per command id, routed along the command chain and refreshed by update handlers.
#pragma once

#include "framework/commandtarget.h"

#include <QHash>
#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace pw {

class CommandRouter : public QObject
{
    Q_OBJECT
public:
    // The chain is asked anew for every command: active view, its document, its child frame,
    // the main frame and the application, skipping links that do not exist.
    using ChainProvider = std::function<std::vector<CommandTarget *>()>;

    CommandRouter(QWidget *shortcutHost, ChainProvider chain, QObject *parent = nullptr);
    ~CommandRouter() override;

    // The action of a command id, created on first use from the command table. Its shortcut is
    // live on the shortcut host window.
    QAction *action(int id);

    // Runs the command through the chain; false when no link handles it.
    bool execute(int id);
    // Asks the chain for the command's state and applies it to its action. A command nobody
    // handles is disabled, never a silent no-op.
    CommandUi state(int id);
    void update(int id);
    void updateAll();

    // Builds a menu resource into a menu bar (depth-0 popups become menus) or a context menu.
    void buildMenuBar(QMenuBar *bar, int menuId);
    QMenu *buildPopupMenu(int menuId, QWidget *parent);
    // Populates menu with the entries of the popup found at depth 1 of the menu resource.
    void fillMenu(QMenu *menu, int menuId, int popupIndex = 0);

    // Hook for entries made at run time ("Color Document As", recent files): when the menu opens,
    // the filler replaces whatever it inserted last time, inserting its actions before marker.
    using DynamicMenuFiller = std::function<void(QMenu *menu, QAction *marker)>;
    void setDynamicMenu(int placeholderId, DynamicMenuFiller filler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addEntries(QMenu *menu, int menuId, int begin, int end, int depth);
    void applyState(QAction *action, int id, const CommandUi &ui);
    QAction *entryAction(int id, const char *text, QObject *owner);

    QWidget *m_host;
    ChainProvider m_chain;
    QHash<int, QAction *> m_actions;
    QHash<int, QString> m_defaultTexts;
    QHash<int, DynamicMenuFiller> m_dynamicMenus;
    QList<QAction *> m_entryActions;
    bool m_executing = false;
};

} // namespace pw
