// The customisation state: the saved layout through the layout engine, the presentation choices
// and the customise dialog's life.
#include "chrome/commandbars.h"
#include "chrome/commandbarsinternal.h"
#include "chrome/customizedialog.h"
#include "chrome/engine/commandbarstate.h"
#include "chrome/themes.h"
#include "framework/commandrouter.h"
#include "resources/resources.h"

#include <QMainWindow>
#include <QToolBar>
#include <algorithm>

namespace pw {

CommandBarState CommandBars::currentState() const
{
    CommandBarState state;
    state.showToolTips = m_showToolTips;
    state.shortcutsInToolTips = m_shortcutsInToolTips;

    // Bars in the order they stand in the window, so that restoring them one after the other
    // puts them back in place.
    std::vector<const Bar *> ordered;
    for (const Bar &b : m_bars)
        ordered.push_back(&b);
    if (m_window) {
        std::stable_sort(ordered.begin(), ordered.end(), [this](const Bar *a, const Bar *b) {
            const Qt::ToolBarArea areaA = m_window->toolBarArea(a->toolBar);
            const Qt::ToolBarArea areaB = m_window->toolBarArea(b->toolBar);
            if (areaA != areaB)
                return areaA < areaB;
            const QPoint pa = a->toolBar->pos();
            const QPoint pb = b->toolBar->pos();
            const bool across = areaA == Qt::TopToolBarArea || areaA == Qt::BottomToolBarArea;
            return across ? std::pair(pa.y(), pa.x()) < std::pair(pb.y(), pb.x())
                          : std::pair(pa.x(), pa.y()) < std::pair(pb.x(), pb.y());
        });
    }
    for (const Bar *b : ordered) {
        ToolbarState bar;
        bar.objectName = b->toolBar->objectName();
        bar.title = b->toolBar->windowTitle();
        bar.user = b->user;
        bar.visible = !detail::explicitlyHidden(b->toolBar);
        bar.area =
            ToolbarState::Area(m_window ? m_window->toolBarArea(b->toolBar) : Qt::TopToolBarArea);
        bar.lineBreak = m_window && m_window->toolBarBreak(b->toolBar);
        bar.buttons = b->contents;
        state.toolbars.push_back(std::move(bar));
    }
    for (auto it = m_shortcuts.cbegin(); it != m_shortcuts.cend(); ++it) {
        QStringList keys;
        for (const QKeySequence &key : it.value())
            keys.append(key.toString(QKeySequence::PortableText));
        state.shortcuts.insert(it.key(), keys);
    }
    return state;
}

QByteArray CommandBars::saveState() const
{
    return currentState().serialise();
}

bool CommandBars::restoreState(const QByteArray &data)
{
    if (!m_window || !m_router || m_bars.empty())
        return false;
    QString error;
    std::optional<CommandBarState> parsed = CommandBarState::parse(data, &error);
    if (!parsed) {
        // Nothing stored yet is the usual first start, not a fault worth a word.
        if (!data.isEmpty())
            qWarning("The saved toolbar layout is ignored: %s", qPrintable(error));
        return false;
    }
    // Commands this program does not know (an older or newer program's layout) are left out
    // rather than refusing the whole layout.
    parsed->keepOnly([this](int id) { return res::findCommand(id) || isControlId(id); },
                     [](int id) { return res::findCommand(id) != nullptr; });
    const CommandBarState &state = *parsed;

    // Start from the built-in toolbar alone, then lay the saved bars out in their order.
    while (m_bars.size() > 1)
        removeUserToolBar(m_bars.back().toolBar);
    QToolBar *main = m_bars.front().toolBar;
    m_window->removeToolBarBreak(main);
    for (const ToolbarState &saved : state.toolbars) {
        QToolBar *bar = main;
        if (saved.user) {
            Bar b;
            b.user = true;
            b.toolBar = makeToolBar(saved.objectName, saved.title);
            m_bars.push_back(b);
            bar = b.toolBar;
        }
        m_window->addToolBar(Qt::ToolBarArea(saved.area), bar);
        if (saved.lineBreak)
            m_window->insertToolBarBreak(bar);
    }
    for (const ToolbarState &saved : state.toolbars) {
        QToolBar *bar = main;
        for (const Bar &b : m_bars) {
            if (b.toolBar->objectName() == saved.objectName)
                bar = b.toolBar;
        }
        findBar(bar)->contents = saved.buttons;
        bar->setVisible(saved.visible);
    }
    // A control listed twice keeps the first place; rebuild() enforces that.
    for (Bar &b : m_bars)
        rebuild(b);

    m_showToolTips = state.showToolTips;
    m_shortcutsInToolTips = state.shortcutsInToolTips;
    const QList<int> previous = m_shortcuts.keys();
    m_shortcuts.clear();
    for (int id : previous)
        applyShortcuts(id, defaultShortcuts(id));
    for (auto it = state.shortcuts.cbegin(); it != state.shortcuts.cend(); ++it) {
        QList<QKeySequence> keys;
        for (const QString &text : it.value()) {
            const QKeySequence key(text, QKeySequence::PortableText);
            if (!key.isEmpty() && !keys.contains(key))
                keys.append(key);
        }
        if (keys == defaultShortcuts(it.key()))
            continue;
        m_shortcuts.insert(it.key(), keys);
        applyShortcuts(it.key(), keys);
    }
    refreshToolTips();
    refreshMenuShortcuts();
    emit changed();
    return true;
}

void CommandBars::setPresentation(const Presentation &presentation)
{
    m_presentation = presentation;
}

void CommandBars::setPresentationChangedHandler(std::function<void(const Presentation &)> handler)
{
    m_presentationHandler = std::move(handler);
}

void CommandBars::setLargeIconsChangedHandler(std::function<void(bool)> handler)
{
    m_largeIconsHandler = std::move(handler);
}

void CommandBars::chooseLargeIcons(bool large)
{
    if (large == m_largeIcons)
        return;
    setLargeIcons(large);
    if (m_largeIconsHandler)
        m_largeIconsHandler(large);
}

void CommandBars::choosePresentation(const Presentation &presentation)
{
    if (presentation == m_presentation)
        return;
    const bool themeChanged = presentation.theme != m_presentation.theme;
    m_presentation = presentation;
    if (themeChanged)
        m_presentation.theme = applyTheme(presentation.theme);
    if (m_presentationHandler)
        m_presentationHandler(m_presentation);
}

CustomizeDialog *CommandBars::showCustomizeDialog(int page)
{
    if (!m_window)
        return nullptr;
    if (!m_dialog) {
        m_dialog = new CustomizeDialog(this, m_window);
        emit customizingChanged(true);
    }
    m_dialog->setCurrentPage(page);
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    return m_dialog;
}

CustomizeDialog *CommandBars::customizeDialog() const
{
    return m_dialog;
}

bool CommandBars::isCustomizing() const
{
    return !m_dialog.isNull();
}

void CommandBars::addCustomizePage(int pageId, const QString &title, PageFactory factory,
                                   int beforePageId)
{
    if (pageId < FirstExtraPage || !factory)
        return;
    m_extraPages.erase(std::remove_if(m_extraPages.begin(), m_extraPages.end(),
                                      [pageId](const ExtraPage &p) { return p.id == pageId; }),
                       m_extraPages.end());
    m_extraPages.push_back({pageId, title, std::move(factory), beforePageId});
}

void CommandBars::setCustomizeClosedHandler(std::function<void()> handler)
{
    m_closedHandler = std::move(handler);
}

void CommandBars::dialogClosed()
{
    m_dialog = nullptr;
    emit customizingChanged(false);
    if (m_closedHandler)
        m_closedHandler();
}

} // namespace pw
