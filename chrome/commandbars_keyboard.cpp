// Keyboard shortcuts of the commands: the user's keys over the command table's defaults.
#include "chrome/commandbars.h"
#include "framework/commandrouter.h"
#include "resources/resources.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <functional>

namespace pw {

QList<QKeySequence> CommandBars::defaultShortcuts(int id)
{
    const res::CommandInfo *info = res::findCommand(id);
    if (!info || !info->shortcut || !*info->shortcut)
        return {};
    return {QKeySequence(QString::fromLatin1(info->shortcut), QKeySequence::PortableText)};
}

QList<QKeySequence> CommandBars::shortcuts(int id) const
{
    const auto it = m_shortcuts.constFind(id);
    return it != m_shortcuts.constEnd() ? *it : defaultShortcuts(id);
}

QList<int> CommandBars::customizedShortcutIds() const
{
    QList<int> ids = m_shortcuts.keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

void CommandBars::applyShortcuts(int id, const QList<QKeySequence> &keys)
{
    if (!m_router)
        return;
    QAction *act = m_router->action(id);
    act->setShortcuts(keys);
    act->setShortcutContext(Qt::WindowShortcut);
}

void CommandBars::setShortcuts(int id, const QList<QKeySequence> &keys)
{
    if (!res::findCommand(id))
        return;
    QList<QKeySequence> clean;
    for (const QKeySequence &key : keys) {
        if (!key.isEmpty() && !clean.contains(key))
            clean.append(key);
    }
    if (clean == shortcuts(id))
        return;
    if (clean == defaultShortcuts(id))
        m_shortcuts.remove(id);
    else
        m_shortcuts.insert(id, clean);
    applyShortcuts(id, clean);
    refreshToolTips();
    refreshMenuShortcuts();
    emit changed();
}

int CommandBars::commandForShortcut(const QKeySequence &key, int except) const
{
    if (key.isEmpty())
        return 0;
    for (const res::CommandInfo &info : res::commands()) {
        if (info.id != except && shortcuts(info.id).contains(key))
            return info.id;
    }
    return 0;
}

void CommandBars::resetShortcuts()
{
    if (m_shortcuts.isEmpty())
        return;
    const QList<int> ids = m_shortcuts.keys();
    m_shortcuts.clear();
    for (int id : ids)
        applyShortcuts(id, defaultShortcuts(id));
    refreshToolTips();
    refreshMenuShortcuts();
    emit changed();
}

// Menu entries with a text of their own are separate actions that only show the key (the
// router's action carries the live shortcut); keep what they show in step.
void CommandBars::refreshMenuShortcuts()
{
    if (!m_window || !m_window->menuBar())
        return;
    std::function<void(const QList<QAction *> &)> walk = [&](const QList<QAction *> &actions) {
        for (QAction *act : actions) {
            if (QMenu *menu = act->menu()) {
                walk(menu->actions());
                continue;
            }
            bool ok = false;
            const int id = act->data().toInt(&ok);
            if (ok && id > 0 && act->shortcutContext() == Qt::WidgetShortcut &&
                res::findCommand(id))
                act->setShortcuts(shortcuts(id));
        }
    };
    walk(m_window->menuBar()->actions());
}

} // namespace pw
