// Command routing and the menus built from the resource tables.
#include "framework/commandrouter.h"

#include "resources/resources.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace pw {

CommandRouter::CommandRouter(QWidget *shortcutHost, ChainProvider chain, QObject *parent)
    : QObject(parent), m_host(shortcutHost), m_chain(std::move(chain))
{
    // Shortcuts fire only for enabled actions, so every key press first refreshes the state of
    // the actions that carry one; otherwise a stale "disabled" would swallow Ctrl+V.
    qApp->installEventFilter(this);
}

CommandRouter::~CommandRouter()
{
    qApp->removeEventFilter(this);
}

QAction *CommandRouter::action(int id)
{
    if (QAction *existing = m_actions.value(id))
        return existing;
    auto *act = new QAction(m_host);
    const res::CommandInfo *info = res::findCommand(id);
    const QString text = info ? QString::fromUtf8(info->text) : QString::number(id);
    act->setText(text);
    m_defaultTexts.insert(id, text);
    if (info && info->shortcut && *info->shortcut) {
        act->setShortcut(QKeySequence(QString::fromLatin1(info->shortcut)));
        act->setShortcutContext(Qt::WindowShortcut);
    }
    if (info && info->tip && *info->tip)
        act->setStatusTip(QString::fromUtf8(info->tip));
    act->setData(id);
    connect(act, &QAction::triggered, this, [this, id] { execute(id); });
    m_host->addAction(act);
    m_actions.insert(id, act);
    update(id);
    return act;
}

bool CommandRouter::execute(int id)
{
    // Refuse what the update handlers would refuse: a shortcut may fire between refreshes.
    if (!state(id).enabled)
        return false;
    for (CommandTarget *target : m_chain()) {
        if (target && target->runCommand(id)) {
            updateAll();
            return true;
        }
    }
    return false;
}

CommandUi CommandRouter::state(int id)
{
    CommandUi ui;
    for (CommandTarget *target : m_chain()) {
        if (target && target->updateCommand(id, ui))
            return ui;
    }
    ui.enabled = false;
    return ui;
}

void CommandRouter::applyState(QAction *act, int id, const CommandUi &ui)
{
    act->setEnabled(ui.enabled);
    act->setCheckable(ui.checkable || ui.checked);
    if (act->isCheckable())
        act->setChecked(ui.checked);
    act->setText(ui.text.isEmpty() ? m_defaultTexts.value(id) : ui.text);
}

void CommandRouter::update(int id)
{
    if (QAction *act = m_actions.value(id))
        applyState(act, id, state(id));
}

void CommandRouter::updateAll()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        applyState(it.value(), it.key(), state(it.key()));
    for (QAction *act : std::as_const(m_entryActions)) {
        const int id = act->data().toInt();
        CommandUi ui = state(id);
        if (ui.text.isEmpty())
            ui.text = act->property("entryText").toString();
        applyState(act, id, ui);
    }
}

// A menu entry whose text differs from the command's own gets an action of its own, so the
// other menus keep the command table's text.
QAction *CommandRouter::entryAction(int id, const char *text, QObject *owner)
{
    auto *act = new QAction(QString::fromUtf8(text), owner);
    act->setData(id);
    act->setProperty("entryText", act->text());
    if (QAction *main = action(id))
        act->setShortcut(main->shortcut());
    // The main action already carries the shortcut on the window; this one only shows it.
    act->setShortcutContext(Qt::WidgetShortcut);
    connect(act, &QAction::triggered, this, [this, id] { execute(id); });
    connect(act, &QObject::destroyed, this, [this, act] { m_entryActions.removeAll(act); });
    m_entryActions.append(act);
    return act;
}

bool CommandRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
            if (!it.value()->shortcut().isEmpty())
                applyState(it.value(), it.key(), state(it.key()));
        }
    }
    return QObject::eventFilter(watched, event);
}

void CommandRouter::setDynamicMenu(int placeholderId, DynamicMenuFiller filler)
{
    m_dynamicMenus.insert(placeholderId, std::move(filler));
}

// Adds entries [begin, end) of the menu resource that sit at the given depth, recursing into
// popups.
void CommandRouter::addEntries(QMenu *menu, int menuId, int begin, int end, int depth)
{
    const res::MenuResource *resource = res::findMenu(menuId);
    const auto entries = resource->entries;
    for (int i = begin; i < end; ++i) {
        const res::MenuEntry &entry = entries[i];
        if (entry.depth != depth)
            continue;
        switch (entry.kind) {
        case res::MenuEntry::Separator:
            menu->addSeparator();
            break;
        case res::MenuEntry::Command:
            if (m_dynamicMenus.contains(entry.id)) {
                // The placeholder stands for entries made when the menu opens.
                const DynamicMenuFiller filler = m_dynamicMenus.value(entry.id);
                QAction *marker = menu->addSeparator();
                marker->setVisible(false);
                connect(menu, &QMenu::aboutToShow, this,
                        [menu, marker, filler] { filler(menu, marker); });
            } else {
                menu->addAction(entry.text ? entryAction(entry.id, entry.text, menu)
                                           : action(entry.id));
            }
            break;
        case res::MenuEntry::Popup: {
            int childEnd = i + 1;
            while (childEnd < end && entries[childEnd].depth > depth)
                ++childEnd;
            QMenu *sub = menu->addMenu(QString::fromUtf8(entry.text));
            addEntries(sub, menuId, i + 1, childEnd, depth + 1);
            connect(sub, &QMenu::aboutToShow, this, &CommandRouter::updateAll);
            i = childEnd - 1;
            break;
        }
        }
    }
}

void CommandRouter::buildMenuBar(QMenuBar *bar, int menuId)
{
    bar->clear();
    const res::MenuResource *resource = res::findMenu(menuId);
    if (!resource)
        return;
    const auto entries = resource->entries;
    const int count = int(entries.size());
    for (int i = 0; i < count; ++i) {
        if (entries[i].depth != 0 || entries[i].kind != res::MenuEntry::Popup)
            continue;
        int end = i + 1;
        while (end < count && entries[end].depth > 0)
            ++end;
        QMenu *menu = bar->addMenu(QString::fromUtf8(entries[i].text));
        addEntries(menu, menuId, i + 1, end, 1);
        connect(menu, &QMenu::aboutToShow, this, &CommandRouter::updateAll);
        i = end - 1;
    }
}

void CommandRouter::fillMenu(QMenu *menu, int menuId, int popupIndex)
{
    const res::MenuResource *resource = res::findMenu(menuId);
    if (!resource)
        return;
    const auto entries = resource->entries;
    const int count = int(entries.size());
    int seen = -1;
    for (int i = 0; i < count; ++i) {
        if (entries[i].depth != 0 || entries[i].kind != res::MenuEntry::Popup)
            continue;
        if (++seen != popupIndex)
            continue;
        int end = i + 1;
        while (end < count && entries[end].depth > 0)
            ++end;
        addEntries(menu, menuId, i + 1, end, 1);
        return;
    }
}

QMenu *CommandRouter::buildPopupMenu(int menuId, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    fillMenu(menu, menuId, 0);
    updateAll();
    return menu;
}

} // namespace pw
