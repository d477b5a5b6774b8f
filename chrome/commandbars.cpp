// The menu bar and toolbars: building, custom controls, shortcuts and the saved layout.
#include "chrome/commandbars.h"

#include "framework/commandrouter.h"
#include "chrome/customizedialog.h"
#include "chrome/toolbaricons.h"
#include "resources/commandids.h"
#include "resources/resources.h"

#include <QAction>
#include <QDataStream>
#include <QEvent>
#include <QIODevice>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>
#include <algorithm>
#include <optional>

namespace pw {

namespace {

constexpr quint32 kStateMagic = 0x50574342; // "PWCB"
constexpr quint16 kStateVersion = 1;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
// Limits that no real layout reaches; larger counts mean the data is not ours.
constexpr quint32 kMaxBars = 256;
constexpr quint32 kMaxButtons = 4096;
constexpr quint32 kMaxShortcutEntries = 4096;
constexpr quint32 kMaxKeysPerCommand = 16;

const QString kMainBarName = QStringLiteral("Toolbar");
const QString kUserBarPrefix = QStringLiteral("UserToolbar");

constexpr int kBuiltInControls[] = {Cmd::ToolbarFindBox, Cmd::ToolsPlaceholder,
                                    Cmd::ColorDocumentAs};

bool isBuiltInControl(int id)
{
    return std::find(std::begin(kBuiltInControls), std::end(kBuiltInControls), id) !=
           std::end(kBuiltInControls);
}

// The text without its mnemonic markup: "&&" shows one ampersand, a single "&" nothing.
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

bool isDockArea(qint32 area)
{
    return area == Qt::LeftToolBarArea || area == Qt::RightToolBarArea ||
           area == Qt::TopToolBarArea || area == Qt::BottomToolBarArea;
}

bool explicitlyHidden(const QWidget *widget)
{
    return widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

struct SavedBar
{
    QString objectName;
    QString title;
    bool user = false;
    bool visible = true;
    qint32 area = Qt::TopToolBarArea;
    bool lineBreak = false;
    QList<int> contents;
};

struct SavedState
{
    bool showToolTips = true;
    bool shortcutsInToolTips = true;
    std::vector<SavedBar> bars;
    QHash<int, QList<QKeySequence>> shortcuts;
};

} // namespace

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
    return info ? plainText(QString::fromUtf8(info->text)) : QString::number(id);
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
    return bar && !explicitlyHidden(bar);
}

bool CommandBars::isControlId(int id) const
{
    return isBuiltInControl(id) || m_factories.contains(id);
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
        tip = newline >= 0 ? status.mid(newline + 1) : plainText(QString::fromUtf8(info->text));
        // Update handlers may rename a command ("Hide Tabs" / "Show Tabs"): name it as it is now.
        if (newline < 0 && m_router) {
            const QString current = plainText(m_router->action(id)->text());
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

QByteArray CommandBars::saveState() const
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kStateMagic << kStateVersion;
    out << m_showToolTips << m_shortcutsInToolTips;

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
    out << quint32(ordered.size());
    for (const Bar *b : ordered) {
        out << b->toolBar->objectName() << b->toolBar->windowTitle() << b->user
            << !explicitlyHidden(b->toolBar)
            << qint32(m_window ? m_window->toolBarArea(b->toolBar) : Qt::TopToolBarArea)
            << (m_window && m_window->toolBarBreak(b->toolBar));
        out << quint32(b->contents.size());
        for (int id : b->contents)
            out << qint32(id);
    }

    const QList<int> ids = customizedShortcutIds();
    out << quint32(ids.size());
    for (int id : ids) {
        const QList<QKeySequence> keys = m_shortcuts.value(id);
        out << qint32(id) << quint32(keys.size());
        for (const QKeySequence &key : keys)
            out << key.toString(QKeySequence::PortableText);
    }
    return data;
}

namespace {

// Reads a layout without touching anything; nullopt when the data is not one.
std::optional<SavedState> parseState(const QByteArray &data,
                                     const std::function<bool(int)> &knownButton)
{
    QDataStream in(data);
    in.setVersion(kStreamVersion);
    quint32 magic = 0;
    quint16 version = 0;
    in >> magic >> version;
    if (in.status() != QDataStream::Ok || magic != kStateMagic || version != kStateVersion)
        return std::nullopt;

    SavedState state;
    in >> state.showToolTips >> state.shortcutsInToolTips;
    quint32 barCount = 0;
    in >> barCount;
    if (in.status() != QDataStream::Ok || barCount == 0 || barCount > kMaxBars)
        return std::nullopt;
    QStringList names;
    QStringList titles;
    int mainBars = 0;
    for (quint32 i = 0; i < barCount; ++i) {
        SavedBar bar;
        quint32 count = 0;
        in >> bar.objectName >> bar.title >> bar.user >> bar.visible >> bar.area >> bar.lineBreak >>
            count;
        if (in.status() != QDataStream::Ok || count > kMaxButtons || !isDockArea(bar.area))
            return std::nullopt;
        for (quint32 k = 0; k < count; ++k) {
            qint32 id = 0;
            in >> id;
            if (in.status() != QDataStream::Ok)
                return std::nullopt;
            // Commands this program does not know (an older or newer program's layout) are
            // left out rather than refusing the whole layout.
            if (id == 0 || knownButton(id)) {
                if (id != 0 && bar.contents.contains(id))
                    continue;
                bar.contents.append(id);
            }
        }
        if (bar.user) {
            if (!bar.objectName.startsWith(kUserBarPrefix) || bar.title.trimmed().isEmpty())
                return std::nullopt;
        } else if (bar.objectName == kMainBarName) {
            ++mainBars;
        } else {
            return std::nullopt;
        }
        if (names.contains(bar.objectName) || titles.contains(bar.title, Qt::CaseInsensitive))
            return std::nullopt;
        names.append(bar.objectName);
        titles.append(bar.title);
        state.bars.push_back(std::move(bar));
    }
    if (mainBars != 1)
        return std::nullopt;

    quint32 shortcutCount = 0;
    in >> shortcutCount;
    if (in.status() != QDataStream::Ok || shortcutCount > kMaxShortcutEntries)
        return std::nullopt;
    for (quint32 i = 0; i < shortcutCount; ++i) {
        qint32 id = 0;
        quint32 keyCount = 0;
        in >> id >> keyCount;
        if (in.status() != QDataStream::Ok || keyCount > kMaxKeysPerCommand)
            return std::nullopt;
        QList<QKeySequence> keys;
        for (quint32 k = 0; k < keyCount; ++k) {
            QString text;
            in >> text;
            if (in.status() != QDataStream::Ok)
                return std::nullopt;
            const QKeySequence key(text, QKeySequence::PortableText);
            if (!key.isEmpty() && !keys.contains(key))
                keys.append(key);
        }
        if (res::findCommand(id))
            state.shortcuts.insert(id, keys);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return state;
}

} // namespace

bool CommandBars::restoreState(const QByteArray &data)
{
    if (!m_window || !m_router || m_bars.empty())
        return false;
    const std::optional<SavedState> parsed =
        parseState(data, [this](int id) { return res::findCommand(id) || isControlId(id); });
    if (!parsed)
        return false;
    const SavedState &state = *parsed;

    // Start from the built-in toolbar alone, then lay the saved bars out in their order.
    while (m_bars.size() > 1)
        removeUserToolBar(m_bars.back().toolBar);
    QToolBar *main = m_bars.front().toolBar;
    m_window->removeToolBarBreak(main);
    for (const SavedBar &saved : state.bars) {
        QToolBar *bar = main;
        if (saved.user) {
            Bar b;
            b.user = true;
            b.toolBar = makeToolBar(saved.objectName, saved.title.trimmed());
            m_bars.push_back(b);
            bar = b.toolBar;
        }
        m_window->addToolBar(Qt::ToolBarArea(saved.area), bar);
        if (saved.lineBreak)
            m_window->insertToolBarBreak(bar);
    }
    for (const SavedBar &saved : state.bars) {
        QToolBar *bar = main;
        for (const Bar &b : m_bars) {
            if (b.toolBar->objectName() == saved.objectName)
                bar = b.toolBar;
        }
        findBar(bar)->contents = saved.contents;
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
        if (it.value() == defaultShortcuts(it.key()))
            continue;
        m_shortcuts.insert(it.key(), it.value());
        applyShortcuts(it.key(), it.value());
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
