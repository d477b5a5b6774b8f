// Toolbar buttons and custom controls: control factories, icons, icon size and tooltips.
#include "chrome/commandbars.h"
#include "chrome/commandbarsinternal.h"
#include "chrome/toolbaricons.h"
#include "framework/commandrouter.h"
#include "resources/commandids.h"
#include "resources/resources.h"

#include <QAction>
#include <QEvent>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>
#include <algorithm>

namespace pw {

namespace detail {

bool isBuiltInControl(int id)
{
    constexpr int builtIn[] = {Cmd::ToolbarFindBox, Cmd::ToolsPlaceholder, Cmd::ColorDocumentAs};
    return std::find(std::begin(builtIn), std::end(builtIn), id) != std::end(builtIn);
}

} // namespace detail

bool CommandBars::isControlId(int id) const
{
    return detail::isBuiltInControl(id) || m_factories.contains(id);
}

bool CommandBars::hasControlFactory(int id) const
{
    return m_factories.contains(id);
}

void CommandBars::setControlFactory(int id, ControlFactory factory)
{
    if (id <= 0)
        return;
    if (QWidgetAction *old = m_controls.take(id))
        delete old; // takes its widget along
    if (factory)
        m_factories.insert(id, std::move(factory));
    else
        m_factories.remove(id);
    rebuildContaining(id);
}

QWidgetAction *CommandBars::controlAction(int id, QWidget *parent)
{
    if (QWidgetAction *existing = m_controls.value(id))
        return existing;
    const ControlFactory factory = m_factories.value(id);
    if (!factory)
        return nullptr;
    QWidget *widget = factory(parent);
    if (!widget)
        return nullptr;
    auto *act = new QWidgetAction(this);
    act->setData(id);
    act->setText(m_router ? m_router->action(id)->text() : QString());
    act->setDefaultWidget(widget);
    m_controls.insert(id, act);
    return act;
}

QWidget *CommandBars::control(int id) const
{
    QWidgetAction *act = m_controls.value(id);
    if (!act || !act->defaultWidget())
        return nullptr;
    for (const Bar &b : m_bars) {
        if (b.toolBar->actions().contains(act))
            return act->defaultWidget();
    }
    return nullptr;
}

void CommandBars::prepareAction(QAction *act, int id)
{
    if (act->icon().isNull())
        act->setIcon(commandIcon(id));
    act->setToolTip(toolTip(id));
}

QString CommandBars::toolTip(int id) const
{
    QString tip;
    if (const res::CommandInfo *info = res::findCommand(id)) {
        const QString status = QString::fromUtf8(info->tip ? info->tip : "");
        const qsizetype newline = status.indexOf(QLatin1Char('\n'));
        tip = newline >= 0 ? status.mid(newline + 1)
                           : detail::plainText(QString::fromUtf8(info->text));
        // Update handlers may rename a command ("Hide Tabs" / "Show Tabs"): name it as it is now.
        if (newline < 0 && m_router) {
            const QString current = detail::plainText(m_router->action(id)->text());
            if (!current.isEmpty())
                tip = current;
        }
    } else {
        tip = QString::number(id);
    }
    if (tip.endsWith(QStringLiteral("...")))
        tip.chop(3);
    if (m_shortcutsInToolTips) {
        const QList<QKeySequence> keys = shortcuts(id);
        if (!keys.isEmpty())
            tip += QStringLiteral(" (") + keys.first().toString(QKeySequence::NativeText) +
                   QLatin1Char(')');
    }
    return tip;
}

void CommandBars::refreshToolTips()
{
    for (const Bar &b : m_bars) {
        for (int id : b.contents) {
            if (id != 0 && !isControlId(id))
                m_router->action(id)->setToolTip(toolTip(id));
        }
    }
}

bool CommandBars::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        if (!m_showToolTips)
            return true;
        // The text may have changed since the tip was set; the button copies it from its action.
        if (auto *button = qobject_cast<QToolButton *>(watched)) {
            QAction *act = button->defaultAction();
            bool ok = false;
            const int id = act ? act->data().toInt(&ok) : 0;
            if (ok && id > 0 && !isControlId(id))
                act->setToolTip(toolTip(id));
        }
    }
    return QObject::eventFilter(watched, event);
}

void CommandBars::setLargeIcons(bool large)
{
    m_largeIcons = large;
    const int size = large ? 24 : 16;
    for (const Bar &b : m_bars)
        b.toolBar->setIconSize(QSize(size, size));
}

void CommandBars::setShowToolTips(bool show)
{
    if (m_showToolTips == show)
        return;
    m_showToolTips = show;
    emit changed();
}

void CommandBars::setShortcutsInToolTips(bool show)
{
    if (m_shortcutsInToolTips == show)
        return;
    m_shortcutsInToolTips = show;
    refreshToolTips();
    emit changed();
}

} // namespace pw
