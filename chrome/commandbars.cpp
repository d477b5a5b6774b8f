// The menu bar and the toolbars: making them, their contents and building their buttons.
#include "chrome/commandbars.h"

#include "chrome/commandbarsinternal.h"
#include "chrome/customizedialog.h"
#include "framework/commandrouter.h"
#include "resources/commandids.h"
#include "resources/resources.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>
#include <QWidgetAction>
#include <algorithm>

namespace pw {

using detail::kMainBarName;
using detail::kUserBarPrefix;

namespace detail {

QString plainText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += text.at(i);
    }
    return out;
}

bool explicitlyHidden(const QWidget *widget)
{
    return widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

} // namespace detail

CommandBars::CommandBars(QMainWindow *window, CommandRouter *router)
    : QObject(window), m_window(window), m_router(router)
{}

CommandBars::~CommandBars()
{
    // The owner may be half destroyed by now: nobody hears about the dialog going away.
    m_closedHandler = nullptr;
    blockSignals(true);
    if (m_dialog)
        delete m_dialog.data();
}

QList<int> CommandBars::defaultContents()
{
    constexpr int separator = 0;
    return {// Files
            Cmd::FileNew, Cmd::FileOpen, Cmd::FileSave, Cmd::FileSaveAll, separator, Cmd::FilePrint,
            separator,
            // Clipboard and undo
            Cmd::EditCut, Cmd::EditCopy, Cmd::EditPaste, separator, Cmd::EditUndo, Cmd::EditRedo,
            separator,
            // Search
            Cmd::ToolbarFindBox, Cmd::EditFind, Cmd::FindNext, Cmd::EditReplace, separator,
            // Bookmarks
            Cmd::ToggleBookmark, Cmd::PreviousBookmark, Cmd::NextBookmark, Cmd::ClearBookmarks,
            separator,
            // Source editing and view options
            Cmd::CommentLines, Cmd::UnCommentLines, separator, Cmd::ViewWordWrap,
            Cmd::ViewWhitespace, Cmd::ViewLineNumbers, separator,
            // Language and external tools
            Cmd::ColorDocumentAs, separator, Cmd::ToolsPlaceholder, Cmd::StopUserTool};
}

QString CommandBars::commandText(int id)
{
    switch (id) {
    case Cmd::ToolbarFindBox:
        return QStringLiteral("Find Box");
    case Cmd::ToolsPlaceholder:
        return QStringLiteral("Tools");
    case Cmd::ColorDocumentAs:
        return QStringLiteral("Color Document As");
    default:
        break;
    }
    const res::CommandInfo *info = res::findCommand(id);
    return info ? detail::plainText(QString::fromUtf8(info->text)) : QString::number(id);
}

bool CommandBars::create(int menuId)
{
    if (!m_window || !m_router || !res::findMenu(menuId))
        return false;
    QMenuBar *menuBar = m_window->menuBar();
    if (!menuBar)
        return false;
    menuBar->setObjectName(QStringLiteral("MenuBar"));
    menuBar->setWindowTitle(QStringLiteral("Menu Bar"));
    m_menuId = 0;
    if (!setMenu(menuId))
        return false;
    if (m_bars.empty()) {
        Bar bar;
        bar.toolBar = makeToolBar(kMainBarName, kMainBarName);
        bar.contents = defaultContents();
        m_bars.push_back(bar);
        rebuild(m_bars.back());
    }
    return m_bars.front().toolBar != nullptr;
}

bool CommandBars::setMenu(int menuId)
{
    if (!m_window || !m_router || !res::findMenu(menuId))
        return false;
    if (menuId == m_menuId)
        return true;
    m_menuId = menuId;
    m_router->buildMenuBar(m_window->menuBar(), menuId);
    refreshMenuShortcuts();
    return true;
}

void CommandBars::resetMenu()
{
    const int menuId = m_menuId;
    m_menuId = 0;
    setMenu(menuId);
}

QToolBar *CommandBars::makeToolBar(const QString &objectName, const QString &title)
{
    auto *bar = new QToolBar(title, m_window);
    bar->setObjectName(objectName);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const int size = m_largeIcons ? 24 : 16;
    bar->setIconSize(QSize(size, size));
    m_window->addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

CommandBars::Bar *CommandBars::findBar(const QToolBar *bar)
{
    for (Bar &b : m_bars) {
        if (b.toolBar == bar)
            return &b;
    }
    return nullptr;
}

const CommandBars::Bar *CommandBars::findBar(const QToolBar *bar) const
{
    for (const Bar &b : m_bars) {
        if (b.toolBar == bar)
            return &b;
    }
    return nullptr;
}

QToolBar *CommandBars::toolBar() const
{
    return m_bars.empty() ? nullptr : m_bars.front().toolBar;
}

QList<QToolBar *> CommandBars::toolBars() const
{
    QList<QToolBar *> bars;
    for (const Bar &b : m_bars)
        bars.append(b.toolBar);
    return bars;
}

bool CommandBars::isUserToolBar(const QToolBar *bar) const
{
    const Bar *b = findBar(bar);
    return b && b->user;
}

bool CommandBars::nameTaken(const QString &name, const QToolBar *except) const
{
    for (const Bar &b : m_bars) {
        if (b.toolBar != except && b.toolBar->windowTitle().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString CommandBars::nextUserObjectName() const
{
    for (int n = 1;; ++n) {
        const QString name = kUserBarPrefix + QString::number(n);
        const bool used = std::any_of(m_bars.begin(), m_bars.end(), [&](const Bar &b) {
            return b.toolBar->objectName() == name;
        });
        if (!used)
            return name;
    }
}

QToolBar *CommandBars::addUserToolBar(const QString &name)
{
    const QString title = name.trimmed();
    if (!m_window || m_bars.empty() || title.isEmpty() || nameTaken(title, nullptr))
        return nullptr;
    Bar bar;
    bar.user = true;
    bar.toolBar = makeToolBar(nextUserObjectName(), title);
    m_bars.push_back(bar);
    emit changed();
    return bar.toolBar;
}

bool CommandBars::renameUserToolBar(QToolBar *bar, const QString &name)
{
    const QString title = name.trimmed();
    Bar *b = findBar(bar);
    if (!b || !b->user || title.isEmpty() || nameTaken(title, bar))
        return false;
    bar->setWindowTitle(title);
    emit changed();
    return true;
}

bool CommandBars::removeUserToolBar(QToolBar *bar)
{
    const auto it = std::find_if(m_bars.begin(), m_bars.end(),
                                 [bar](const Bar &b) { return b.toolBar == bar && b.user; });
    if (it == m_bars.end())
        return false;
    // Controls go back to waiting for a toolbar instead of dying with this one.
    for (QAction *act : bar->actions())
        bar->removeAction(act);
    m_window->removeToolBar(bar);
    m_bars.erase(it);
    delete bar;
    emit changed();
    return true;
}

QList<int> CommandBars::contents(const QToolBar *bar) const
{
    const Bar *b = findBar(bar);
    return b ? b->contents : QList<int>();
}

void CommandBars::setContents(QToolBar *bar, const QList<int> &ids)
{
    Bar *target = findBar(bar);
    if (!target)
        return;
    QList<int> clean;
    for (int id : ids) {
        if (id != 0 && clean.contains(id))
            continue;
        if (id != 0 && !res::findCommand(id) && !isControlId(id))
            continue;
        clean.append(id);
    }
    target->contents = clean;
    for (Bar &other : m_bars) {
        if (&other == target)
            continue;
        bool moved = false;
        for (int id : clean) {
            if (id != 0 && isControlId(id) && other.contents.removeAll(id) > 0)
                moved = true;
        }
        if (moved)
            rebuild(other);
    }
    rebuild(*target);
    emit changed();
}

void CommandBars::resetToolBar(QToolBar *bar)
{
    Bar *b = findBar(bar);
    if (!b)
        return;
    setContents(bar, b->user ? QList<int>() : defaultContents());
    if (!b->user)
        bar->setVisible(true);
    emit changed();
}

void CommandBars::setToolBarVisible(QToolBar *bar, bool visible)
{
    if (!findBar(bar) || isToolBarVisible(bar) == visible)
        return;
    bar->setVisible(visible);
    emit changed();
}

bool CommandBars::isToolBarVisible(const QToolBar *bar) const
{
    return bar && !detail::explicitlyHidden(bar);
}

void CommandBars::rebuildContaining(int id)
{
    for (Bar &b : m_bars) {
        if (b.contents.contains(id))
            rebuild(b);
    }
}

void CommandBars::rebuild(Bar &bar)
{
    QToolBar *tb = bar.toolBar;
    for (QAction *act : tb->actions())
        tb->removeAction(act);
    qDeleteAll(bar.separators);
    bar.separators.clear();
    for (int id : std::as_const(bar.contents)) {
        if (id == 0) {
            auto *separator = new QAction(tb);
            separator->setSeparator(true);
            tb->addAction(separator);
            bar.separators.append(separator);
            continue;
        }
        if (isControlId(id)) {
            QWidgetAction *act = controlAction(id, tb);
            if (!act)
                continue;
            // A control's widget can sit on one toolbar only.
            const bool elsewhere = std::any_of(m_bars.begin(), m_bars.end(), [&](const Bar &b) {
                return b.toolBar != tb && b.toolBar->actions().contains(act);
            });
            if (!elsewhere)
                tb->addAction(act);
            continue;
        }
        QAction *act = m_router->action(id);
        prepareAction(act, id);
        tb->addAction(act);
        if (QWidget *button = tb->widgetForAction(act))
            button->installEventFilter(this);
    }
}

} // namespace pw
