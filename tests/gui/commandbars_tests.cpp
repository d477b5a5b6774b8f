// Command bars: toolbar controls, icons, the saved layout, shortcuts, the customise dialog, themes.
#include "chrome/commandbars.h"
#include "chrome/customizedialog.h"
#include "chrome/engine/commandbarstate.h"
#include "chrome/themes.h"
#include "chrome/toolbaricons.h"
#include "framework/commandrouter.h"
#include "resources/commandids.h"
#include "resources/menuids.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace pw;

namespace {

// The last link of a small command chain: answers a few commands and counts their runs.
struct CountingTarget : CommandTarget
{
    CountingTarget()
    {
        for (int id : {Cmd::FileNew, Cmd::FileOpen, Cmd::FileSave, Cmd::EditFind, Cmd::FindNext,
                       Cmd::EditUndo})
            onCommand(id, [this, id] { ++runs[id]; });
    }
    QHash<int, int> runs;
};

QKeySequence key(const char *portable)
{
    return QKeySequence(QString::fromLatin1(portable), QKeySequence::PortableText);
}

// Command ids of the buttons and controls a toolbar shows, in order.
QList<int> shownIds(QToolBar *bar)
{
    QList<int> ids;
    for (QAction *act : bar->actions())
        if (!act->isSeparator())
            ids.append(act->data().toInt());
    return ids;
}

class CommandBarsTest : public ::testing::Test
{
protected:
    // A window with fresh bars; the test's own window, or another one to restore a layout into.
    struct Bars
    {
        std::unique_ptr<QMainWindow> window;
        CommandRouter *router = nullptr;
        CommandBars *bars = nullptr;
    };
    Bars makeBars()
    {
        Bars b;
        b.window = std::make_unique<QMainWindow>();
        b.window->setCentralWidget(new QWidget);
        b.router = new CommandRouter(
            b.window.get(), [this] { return std::vector<CommandTarget *>{&m_target}; },
            b.window.get());
        b.bars = new CommandBars(b.window.get(), b.router);
        EXPECT_TRUE(b.bars->create(MenuId::MainFrame));
        return b;
    }

    void SetUp() override
    {
        m_main = makeBars();
        m_window = m_main.window.get();
        m_router = m_main.router;
        m_bars = m_main.bars;
    }

    void TearDown() override
    {
        if (CustomizeDialog *dialog = m_bars->customizeDialog())
            dialog->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_main.window.reset();
    }

    static void expectDefaults(CommandBars *bars)
    {
        EXPECT_EQ(bars->toolBars().size(), 1);
        EXPECT_EQ(bars->contents(bars->toolBar()), CommandBars::defaultContents());
        EXPECT_TRUE(bars->isToolBarVisible(bars->toolBar()));
        EXPECT_TRUE(bars->customizedShortcutIds().isEmpty());
        EXPECT_TRUE(bars->showToolTips());
        EXPECT_EQ(bars->router()->action(Cmd::FileNew)->shortcuts(),
                  CommandBars::defaultShortcuts(Cmd::FileNew));
    }

    void activate()
    {
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    }

    CustomizeDialog *openDialog(int page)
    {
        CustomizeDialog *dialog = m_bars->showCustomizeDialog(page);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    static void closeDialog(CustomizeDialog *dialog)
    {
        dialog->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T> static T *child(QWidget *parent, const char *name)
    {
        T *found = parent->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    CountingTarget m_target;
    Bars m_main;
    QMainWindow *m_window = nullptr;
    CommandRouter *m_router = nullptr;
    CommandBars *m_bars = nullptr;
};

// How many pixels of an icon are not transparent.
int inkedPixels(const QImage &image)
{
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                ++inked;
    return inked;
}

} // namespace

TEST_F(CommandBarsTest, CreateBuildsTheNamedBarsOrFails)
{
    EXPECT_FALSE(m_window->menuBar()->actions().isEmpty());
    ASSERT_NE(m_bars->toolBar(), nullptr);
    QList<int> expected = CommandBars::defaultContents();
    expected.removeIf([this](int id) { return id == 0 || m_bars->isControlId(id); });
    EXPECT_EQ(shownIds(m_bars->toolBar()), expected)
        << "without factories the controls hold their place but show nothing";

    QMainWindow window;
    CommandRouter router(&window, [] { return std::vector<CommandTarget *>{}; });
    CommandBars noMenu(&window, &router);
    EXPECT_FALSE(noMenu.create(4242));
    EXPECT_EQ(noMenu.toolBar(), nullptr);
    CommandBars noRouter(&window, nullptr);
    EXPECT_FALSE(noRouter.create(MenuId::MainFrame));
}

TEST_F(CommandBarsTest, ControlsTakeTheirPlaceOnceTheirFactoriesAreSetAndMoveWhenPut)
{
    for (int id : {Cmd::ToolbarFindBox, Cmd::ToolsPlaceholder, Cmd::ColorDocumentAs}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(m_bars->control(id), nullptr);
        m_bars->setControlFactory(id, [id](QWidget *parent) {
            auto *box = new QComboBox(parent);
            box->setObjectName(QStringLiteral("control%1").arg(id));
            return box;
        });
        QWidget *control = m_bars->control(id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->objectName(), QStringLiteral("control%1").arg(id));
        EXPECT_EQ(control->parentWidget(), m_bars->toolBar());
    }
    QList<int> layout = m_bars->contents(m_bars->toolBar());
    layout.removeAll(0);
    EXPECT_EQ(shownIds(m_bars->toolBar()), layout) << "each control stands where the layout says";

    // A new factory replaces the live control.
    QPointer<QWidget> old = m_bars->control(Cmd::ToolbarFindBox);
    m_bars->setControlFactory(Cmd::ToolbarFindBox,
                              [](QWidget *parent) { return new QLineEdit(parent); });
    EXPECT_TRUE(old.isNull());
    EXPECT_NE(qobject_cast<QLineEdit *>(m_bars->control(Cmd::ToolbarFindBox)), nullptr);

    // Put on the user's toolbar, a control leaves the built-in one, and outlives its toolbar.
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    m_bars->setContents(mine, {Cmd::ToolsPlaceholder, Cmd::EditUndo});
    EXPECT_FALSE(m_bars->contents(m_bars->toolBar()).contains(Cmd::ToolsPlaceholder));
    QPointer<QWidget> control = m_bars->control(Cmd::ToolsPlaceholder);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), mine);
    EXPECT_TRUE(m_bars->removeUserToolBar(mine));
    EXPECT_FALSE(control.isNull());
    EXPECT_EQ(m_bars->control(Cmd::ToolsPlaceholder), nullptr);
    m_bars->resetToolBar(m_bars->toolBar());
    EXPECT_EQ(m_bars->control(Cmd::ToolsPlaceholder), control.data());
}

TEST_F(CommandBarsTest, EveryToolbarButtonHasAVisibleIconOfItsOwn)
{
    QList<int> ids = CommandBars::defaultContents();
    // Pictures that are mirrors or near copies of each other, and commands with only a badge.
    ids << Cmd::FindPrevious << Cmd::IndentLeft << Cmd::IndentRight << Cmd::NavigateBackward
        << Cmd::NavigateForward << Cmd::ViewFont << Cmd::CustomizeKeyboard << Cmd::XmlPrettyPrint;
    QHash<QByteArray, int> seen;
    for (int id : ids) {
        if (id == 0 || m_bars->isControlId(id))
            continue;
        SCOPED_TRACE(id);
        const QIcon icon = commandIcon(id);
        ASSERT_FALSE(icon.isNull());
        for (int size : {16, 24}) {
            const QImage image = icon.pixmap(size, size).toImage();
            EXPECT_GT(inkedPixels(image), size * size / 10) << size;
            if (size != 16)
                continue;
            const QByteArray pixels(reinterpret_cast<const char *>(image.constBits()),
                                    image.sizeInBytes());
            EXPECT_FALSE(seen.contains(pixels)) << "looks like command " << seen.value(pixels);
            seen.insert(pixels, id);
        }
    }
    for (QAction *act : m_bars->toolBar()->actions()) {
        if (!act->isSeparator()) {
            EXPECT_FALSE(act->icon().isNull()) << act->data().toInt();
        }
    }
}

TEST_F(CommandBarsTest, ToolTipsNameTheCommandAndItsKey)
{
    const auto withKey = [](const char *name, const char *keys) -> QString {
        return QString::fromUtf8(name) + QStringLiteral(" (") +
               key(keys).toString(QKeySequence::NativeText) + QLatin1Char(')');
    };
    const struct
    {
        int id;
        bool withKeys;
        QString tip;
    } rows[] = {
        {Cmd::FileSave, true, withKey("Save", "Ctrl+S")},
        {Cmd::FileSave, false, QStringLiteral("Save")},
        {Cmd::StopUserTool, true, QStringLiteral("Stop Tool")}, // the tip after the status text
        {Cmd::EditFind, true, withKey("Find", "Ctrl+F")},       // no trailing dots
    };
    for (const auto &row : rows) {
        m_bars->setShortcutsInToolTips(row.withKeys);
        EXPECT_EQ(m_bars->toolTip(row.id), row.tip) << row.id;
        if (row.id == Cmd::FileSave) {
            EXPECT_EQ(m_router->action(row.id)->toolTip(), row.tip) << "the button follows";
        }
    }
    m_bars->setShortcutsInToolTips(true);
    // A command an update handler renames is named as it reads now.
    m_target.onCommand(
        Cmd::ToggleTabs, [] {}, [](CommandUi &ui) { ui.text = QStringLiteral("Show &Tabs"); });
    m_router->updateAll();
    EXPECT_EQ(m_bars->toolTip(Cmd::ToggleTabs), QStringLiteral("Show Tabs"));
    m_bars->setShortcuts(Cmd::FileSave, {key("Ctrl+Alt+W")});
    EXPECT_EQ(m_router->action(Cmd::FileSave)->toolTip(), withKey("Save", "Ctrl+Alt+W"));
}

TEST_F(CommandBarsTest, SavedLayoutComesBackInAnotherWindow)
{
    m_bars->setControlFactory(Cmd::ToolbarFindBox,
                              [](QWidget *parent) { return new QLineEdit(parent); });
    QList<int> main = m_bars->contents(m_bars->toolBar());
    main.removeAll(Cmd::EditCut);
    m_bars->setContents(m_bars->toolBar(), main);
    m_bars->setToolBarVisible(m_bars->toolBar(), false);
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("My Tools"));
    const QList<int> mineContents = {Cmd::FindNext, 0, Cmd::EditUndo, Cmd::ToolbarFindBox};
    m_bars->setContents(mine, mineContents);
    m_window->addToolBar(Qt::LeftToolBarArea, mine);
    QToolBar *below = m_bars->addUserToolBar(QStringLiteral("Below"));
    m_window->addToolBarBreak(Qt::TopToolBarArea);
    m_window->addToolBar(Qt::TopToolBarArea, below);
    m_bars->setShortcuts(Cmd::FileNew, {key("Ctrl+Alt+J"), key("F12")});
    m_bars->setShortcuts(Cmd::FileOpen, {});
    m_bars->setShowToolTips(false);
    main = m_bars->contents(m_bars->toolBar());
    const QByteArray state = m_bars->saveState();

    Bars f = makeBars();
    f.bars->setControlFactory(Cmd::ToolbarFindBox,
                              [](QWidget *parent) { return new QLineEdit(parent); });
    ASSERT_TRUE(f.bars->restoreState(state));
    EXPECT_EQ(f.bars->contents(f.bars->toolBar()), main);
    EXPECT_FALSE(f.bars->isToolBarVisible(f.bars->toolBar()));
    ASSERT_EQ(f.bars->toolBars().size(), 3);
    QToolBar *restored = f.bars->toolBars().at(1);
    EXPECT_TRUE(f.bars->isUserToolBar(restored));
    EXPECT_EQ(restored->windowTitle(), QStringLiteral("My Tools"));
    EXPECT_TRUE(f.bars->isToolBarVisible(restored));
    EXPECT_EQ(f.window->toolBarArea(restored), Qt::LeftToolBarArea);
    EXPECT_EQ(f.bars->contents(restored), mineContents);
    EXPECT_EQ(f.bars->control(Cmd::ToolbarFindBox)->parentWidget(), restored);
    QToolBar *restoredBelow = f.bars->toolBars().at(2);
    EXPECT_EQ(restoredBelow->windowTitle(), QStringLiteral("Below"));
    EXPECT_TRUE(f.window->toolBarBreak(restoredBelow)) << "it starts a row of its own";
    EXPECT_FALSE(f.window->toolBarBreak(f.bars->toolBar()));
    EXPECT_EQ(f.router->action(Cmd::FileNew)->shortcuts(),
              (QList<QKeySequence>{key("Ctrl+Alt+J"), key("F12")}));
    EXPECT_TRUE(f.router->action(Cmd::FileOpen)->shortcuts().isEmpty());
    EXPECT_FALSE(f.bars->showToolTips());
    EXPECT_EQ(f.bars->saveState(), state) << "a restored layout saves the same";

    // Restoring the default layout over a changed one removes the user's toolbars again.
    Bars plain = makeBars();
    ASSERT_TRUE(f.bars->restoreState(plain.bars->saveState()));
    expectDefaults(f.bars);
}

TEST_F(CommandBarsTest, AnUnreadableLayoutChangesNothing)
{
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    m_bars->setContents(mine, {Cmd::EditUndo});
    const QByteArray good = m_bars->saveState();
    Bars f = makeBars();
    for (const QByteArray &bad :
         {QByteArray(), QByteArray("noise"), good.chopped(1), QByteArray(good + 'x')}) {
        EXPECT_FALSE(f.bars->restoreState(bad)) << bad.size();
        expectDefaults(f.bars);
    }
    ASSERT_TRUE(f.bars->restoreState(good));
    EXPECT_EQ(f.bars->toolBars().size(), 2);
}

TEST_F(CommandBarsTest, CommandsThisProgramLacksAndDuplicatesAreLeftOut)
{
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    m_bars->setContents(mine, {Cmd::EditUndo, 0, 987654, Cmd::EditUndo, 0, Cmd::EditRedo});
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditUndo, 0, 0, Cmd::EditRedo}));
    EXPECT_EQ(shownIds(mine), (QList<int>{Cmd::EditUndo, Cmd::EditRedo}));

    // A saved layout from a build with other commands keeps the rest.
    CommandBarState state = m_bars->currentState();
    state.toolbars[0].buttons = {987654, Cmd::EditUndo, 0, Cmd::ToolbarFindBox, -3};
    state.shortcuts.insert(987654, {QStringLiteral("F9")});
    state.shortcuts.insert(Cmd::FileSave, {QStringLiteral("F9")});
    ASSERT_TRUE(m_bars->restoreState(state.serialise()));
    EXPECT_EQ(m_bars->contents(m_bars->toolBar()),
              (QList<int>{Cmd::EditUndo, 0, Cmd::ToolbarFindBox}));
    EXPECT_EQ(m_bars->customizedShortcutIds(), QList<int>{Cmd::FileSave});
    EXPECT_EQ(m_router->action(Cmd::FileSave)->shortcuts(), QList<QKeySequence>{key("F9")});
}

TEST_F(CommandBarsTest, KeyboardPageMovesAKeyThatAnotherCommandHad)
{
    CustomizeDialog *dialog = openDialog(CommandBars::KeyboardPage);
    auto *search = child<QLineEdit>(dialog, "keySearch");
    auto *commands = child<QTreeWidget>(dialog, "keyCommands");
    auto *edit = child<QKeySequenceEdit>(dialog, "newKey");
    auto *conflict = child<QLabel>(dialog, "keyConflict");
    auto *assign = child<QPushButton>(dialog, "assignKey");
    auto *keys = child<QListWidget>(dialog, "currentKeys");
    auto *remove = child<QPushButton>(dialog, "removeKey");
    ASSERT_TRUE(search && commands && edit && conflict && assign && keys && remove);

    search->setText(QStringLiteral("new file"));
    QTreeWidgetItem *newFile = nullptr;
    int shown = 0;
    for (int i = 0; i < commands->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = commands->topLevelItem(i);
        if (item->isHidden())
            continue;
        ++shown;
        if (item->data(0, Qt::UserRole).toInt() == Cmd::FileNew)
            newFile = item;
    }
    ASSERT_NE(newFile, nullptr);
    EXPECT_LT(shown, 5) << "the search narrows the list";
    commands->setCurrentItem(newFile);
    ASSERT_EQ(keys->count(), 1);
    EXPECT_EQ(keys->item(0)->text(), key("Ctrl+N").toString(QKeySequence::NativeText));

    // Ctrl+O belongs to Open: the page says so, and assigning moves it.
    edit->setKeySequence(key("Ctrl+O"));
    EXPECT_TRUE(conflict->text().contains(QStringLiteral("Open")))
        << conflict->text().toStdString();
    ASSERT_TRUE(assign->isEnabled());
    assign->click();
    EXPECT_TRUE(m_bars->shortcuts(Cmd::FileNew).contains(key("Ctrl+O")));
    EXPECT_TRUE(m_bars->shortcuts(Cmd::FileOpen).isEmpty());
    EXPECT_EQ(keys->count(), 2);
    EXPECT_EQ(m_bars->commandForShortcut(key("Ctrl+O")), Cmd::FileNew);

    // Remove the first key (Ctrl+N) of New.
    keys->setCurrentRow(0);
    remove->click();
    EXPECT_EQ(m_bars->shortcuts(Cmd::FileNew), QList<QKeySequence>{key("Ctrl+O")});

    closeDialog(dialog);

    // The keys work in the window, and Reset All gives every command its own back.
    const auto press = [this](Qt::Key k) {
        activate();
        QTest::keyClick(m_window, k, Qt::ControlModifier);
    };
    press(Qt::Key_O);
    press(Qt::Key_N);
    EXPECT_EQ(m_target.runs.value(Cmd::FileNew), 1);
    EXPECT_EQ(m_target.runs.value(Cmd::FileOpen), 0);
    dialog = openDialog(CommandBars::KeyboardPage);
    child<QPushButton>(dialog, "resetKeys")->click();
    EXPECT_TRUE(m_bars->customizedShortcutIds().isEmpty());
    closeDialog(dialog);
    press(Qt::Key_O);
    press(Qt::Key_N);
    EXPECT_EQ(m_target.runs.value(Cmd::FileNew), 2);
    EXPECT_EQ(m_target.runs.value(Cmd::FileOpen), 1);
}

TEST_F(CommandBarsTest, DialogOpensOnTheAskedPageAndAnAddedPageKeepsTheNumbers)
{
    QStringList log;
    m_bars->setCustomizeClosedHandler([&] { log << QStringLiteral("closed"); });
    m_bars->addCustomizePage(
        CommandBars::FirstExtraPage, QStringLiteral("Tools"),
        [&log](QWidget *parent) {
            auto *page = new QWidget(parent);
            (new QWidget(page))->setObjectName(QStringLiteral("extraControl"));
            QObject::connect(page, &QObject::destroyed,
                             [&log] { log << QStringLiteral("page gone"); });
            return page;
        },
        CommandBars::MenusPage);
    // Each page number shows the page that holds these controls.
    const struct
    {
        int page;
        const char *control;
    } rows[] = {{CommandBars::ToolbarsPage, "toolbarList"},
                {CommandBars::CommandsPage, "commandCategories"},
                {CommandBars::KeyboardPage, "keyCommands"},
                {CommandBars::MenusPage, "menuTree"},
                {CommandBars::OptionsPage, "largeIcons"},
                {CommandBars::PresentationPage, "themeChoice"},
                {CommandBars::FirstExtraPage, "extraControl"},
                {99, "toolbarList"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.page);
        log.clear();
        QSignalSpy spy(m_bars, &CommandBars::customizingChanged);
        CustomizeDialog *dialog = openDialog(row.page);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->isModal());
        EXPECT_TRUE(m_bars->isCustomizing());
        QTabWidget *tabs = dialog->tabWidget();
        EXPECT_NE(tabs->currentWidget()->findChild<QWidget *>(QString::fromLatin1(row.control)),
                  nullptr);
        EXPECT_EQ(dialog->currentPage(), row.page == 99 ? CommandBars::ToolbarsPage : row.page);
        EXPECT_EQ(tabs->indexOf(dialog->page(CommandBars::FirstExtraPage)) + 1,
                  tabs->indexOf(dialog->page(CommandBars::MenusPage)))
            << "the added page stands before Menus";
        // Asking again while open switches the page of the same dialog.
        EXPECT_EQ(m_bars->showCustomizeDialog(CommandBars::OptionsPage), dialog);
        EXPECT_EQ(dialog->currentPage(), CommandBars::OptionsPage);
        closeDialog(dialog);
        EXPECT_EQ(m_bars->customizeDialog(), nullptr);
        EXPECT_FALSE(m_bars->isCustomizing());
        EXPECT_EQ(log, (QStringList{QStringLiteral("page gone"), QStringLiteral("closed")}))
            << "pages go before the owner hears that customising is over";
        EXPECT_EQ(spy.count(), 2);
    }
}

TEST_F(CommandBarsTest, ToolbarsPageMakesRenamesHidesAndDeletesToolbars)
{
    CustomizeDialog *dialog = openDialog(CommandBars::ToolbarsPage);
    auto *list = child<QListWidget>(dialog, "toolbarList");
    auto *name = child<QLineEdit>(dialog, "toolbarName");
    auto *message = child<QLabel>(dialog, "toolbarMessage");
    ASSERT_TRUE(list && name && message);
    const auto titles = [this] {
        QStringList out;
        for (QToolBar *bar : m_bars->toolBars())
            out << bar->windowTitle();
        return out.join(QLatin1Char(','));
    };
    // Names are required and unique ignoring case, the built-in toolbar's included.
    const struct
    {
        const char *button;
        const char *name;
        const char *titles; // afterwards
        bool refused;
    } rows[] = {
        {"newToolbar", "  ", "Toolbar", true},
        {"newToolbar", "toolbar", "Toolbar", true},
        {"newToolbar", "Markup", "Toolbar,Markup", false},
        {"newToolbar", "MARKUP", "Toolbar,Markup", true},
        {"newToolbar", "Web", "Toolbar,Markup,Web", false},
        {"renameToolbar", "markup", "Toolbar,Markup,Web", true},
        {"renameToolbar", "Html", "Toolbar,Markup,Html", false},
        {"deleteToolbar", "", "Toolbar,Markup", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        name->setText(QString::fromUtf8(row.name));
        child<QPushButton>(dialog, row.button)->click();
        EXPECT_EQ(titles(), QString::fromUtf8(row.titles));
        EXPECT_EQ(!message->text().isEmpty(), row.refused) << message->text().toStdString();
        EXPECT_EQ(list->count(), m_bars->toolBars().size());
    }
    const QList<QToolBar *> bars = m_bars->toolBars();
    EXPECT_NE(bars[0]->objectName(), bars[1]->objectName());

    // The built-in toolbar can be hidden, never renamed or deleted.
    list->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(m_bars->isToolBarVisible(m_bars->toolBar()));
    list->setCurrentRow(0);
    EXPECT_FALSE(child<QPushButton>(dialog, "deleteToolbar")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(dialog, "renameToolbar")->isEnabled());
    EXPECT_FALSE(m_bars->renameUserToolBar(m_bars->toolBar(), QStringLiteral("D")));
    EXPECT_FALSE(m_bars->removeUserToolBar(m_bars->toolBar()));
    closeDialog(dialog);
}

TEST_F(CommandBarsTest, CommandsPageAddsMovesDropsAndRemovesButtons)
{
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    CustomizeDialog *dialog = openDialog(CommandBars::CommandsPage);
    auto *categories = child<QListWidget>(dialog, "commandCategories");
    auto *commands = child<QListWidget>(dialog, "commandList");
    auto *bar = child<QComboBox>(dialog, "commandsToolbar");
    auto *contents = child<QListWidget>(dialog, "toolbarContents");
    auto *add = child<QPushButton>(dialog, "addCommand");
    auto *separator = child<QPushButton>(dialog, "addSeparator");
    auto *up = child<QPushButton>(dialog, "moveUp");
    auto *remove = child<QPushButton>(dialog, "removeCommand");
    ASSERT_TRUE(categories && commands && bar && contents && add && separator && up && remove);
    bar->setCurrentIndex(bar->findText(QStringLiteral("Mine")));
    EXPECT_EQ(contents->count(), 0);
    const QList<QListWidgetItem *> all =
        categories->findItems(QStringLiteral("All Commands"), Qt::MatchExactly);
    ASSERT_EQ(all.size(), 1);
    categories->setCurrentItem(all.first());
    const auto rowOf = [](QListWidget *list, int id) {
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->data(Qt::UserRole).toInt() == id)
                return i;
        return -1;
    };

    commands->setCurrentRow(rowOf(commands, Cmd::EditUndo));
    add->click();
    separator->click();
    commands->setCurrentRow(rowOf(commands, Cmd::EditRedo));
    add->click();
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditUndo, 0, Cmd::EditRedo}));
    EXPECT_EQ(shownIds(mine), (QList<int>{Cmd::EditUndo, Cmd::EditRedo}));
    up->click(); // Redo is selected after adding it
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditUndo, Cmd::EditRedo, 0}));
    contents->setCurrentRow(0);
    remove->click();
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditRedo, 0}));

    contents->resize(300, 300);
    auto drop = [&](QListWidget *from, int id, const QPoint &at) {
        const QModelIndex index = from->model()->index(rowOf(from, id), 0);
        ASSERT_TRUE(index.isValid()) << id;
        std::unique_ptr<QMimeData> mime(from->model()->mimeData({index}));
        ASSERT_NE(mime, nullptr);
        // The application hands a drop only to a widget that took the drag when it entered.
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(contents->viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(at), Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(contents->viewport(), &event);
        EXPECT_TRUE(event.isAccepted());
    };
    // On the upper half of the first row: before it.
    const QRect first = contents->visualItemRect(contents->item(0));
    drop(commands, Cmd::FindNext, first.center() - QPoint(0, first.height() / 4));
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::FindNext, Cmd::EditRedo, 0}));
    // Below the last row: at the end; a command already there moves instead of doubling.
    drop(contents, Cmd::FindNext, QPoint(5, contents->viewport()->height() - 2));
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditRedo, 0, Cmd::FindNext}));
    EXPECT_EQ(contents->count(), 3);
    closeDialog(dialog);
}

TEST_F(CommandBarsTest, OptionsAndPresentationPagesReportToTheOwner)
{
    std::vector<bool> iconChanges;
    std::vector<CommandBars::Presentation> looks;
    m_bars->setLargeIconsChangedHandler([&](bool large) { iconChanges.push_back(large); });
    m_bars->setPresentationChangedHandler(
        [&](const CommandBars::Presentation &p) { looks.push_back(p); });
    m_bars->setLargeIcons(true);
    m_bars->setPresentation({721, true, 75});

    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    m_bars->setContents(mine, {Cmd::EditUndo});
    auto *undo =
        qobject_cast<QToolButton *>(mine->widgetForAction(m_router->action(Cmd::EditUndo)));
    ASSERT_NE(undo, nullptr);

    CustomizeDialog *dialog = openDialog(CommandBars::OptionsPage);
    auto *large = child<QCheckBox>(dialog, "largeIcons");
    auto *tips = child<QCheckBox>(dialog, "showToolTips");
    ASSERT_TRUE(large && tips);
    EXPECT_TRUE(large->isChecked());
    for (const bool on : {false, true}) {
        large->setChecked(on);
        const QSize size = on ? QSize(24, 24) : QSize(16, 16);
        for (QToolBar *bar : m_bars->toolBars())
            EXPECT_EQ(bar->iconSize(), size) << bar->windowTitle().toStdString();
        EXPECT_EQ(undo->iconSize(), size);
    }
    EXPECT_EQ(iconChanges, (std::vector<bool>{false, true}));
    tips->setChecked(false);
    EXPECT_FALSE(m_bars->showToolTips());

    dialog->setCurrentPage(CommandBars::PresentationPage);
    auto *theme = child<QComboBox>(dialog, "themeChoice");
    auto *transparent = child<QCheckBox>(dialog, "transparentDialogs");
    auto *percent = child<QSlider>(dialog, "transparentPercent");
    ASSERT_TRUE(theme && transparent && percent);
    EXPECT_EQ(theme->currentData().toInt(), 721);
    EXPECT_EQ(percent->value(), 75);
    theme->setCurrentIndex(theme->findData(724));
    ASSERT_FALSE(looks.empty());
    EXPECT_EQ(looks.back().theme, 724);
    EXPECT_EQ(currentTheme(), 724);
    percent->setValue(40);
    transparent->setChecked(false);
    EXPECT_EQ(looks.back(), (CommandBars::Presentation{724, false, 40}));
    EXPECT_EQ(m_bars->presentation(), looks.back());
    closeDialog(dialog);
    applyTheme(kThemeDefault);
}

TEST_F(CommandBarsTest, MenuSwitchesBetweenResourcesAndResets)
{
    auto titles = [this] {
        QStringList out;
        for (QAction *act : m_window->menuBar()->actions())
            out << act->text();
        return out;
    };
    const QStringList noDocument = titles();
    ASSERT_TRUE(m_bars->setMenu(MenuId::TextDocument));
    EXPECT_EQ(m_bars->currentMenu(), MenuId::TextDocument);
    const QStringList text = titles();
    EXPECT_NE(text, noDocument);
    EXPECT_FALSE(m_bars->setMenu(4242));
    EXPECT_EQ(titles(), text);
    m_window->menuBar()->addAction(QStringLiteral("Stray"));
    m_bars->resetMenu();
    EXPECT_EQ(titles(), text);

    CustomizeDialog *dialog = openDialog(CommandBars::MenusPage);
    auto *shown = child<QLabel>(dialog, "menuShown");
    auto *tree = child<QTreeWidget>(dialog, "menuTree");
    ASSERT_TRUE(shown && tree);
    EXPECT_EQ(shown->text(), QStringLiteral("Text document"));
    EXPECT_EQ(tree->topLevelItemCount(), text.size());
    closeDialog(dialog);
}

TEST_F(CommandBarsTest, MenuEntriesShowTheCustomKeys)
{
    // Every entry of the command in the menu bar, whether it is the router's action or an entry
    // with a text of its own, shows the key.
    auto expectMenuKey = [this](int id, const QKeySequence &expected) {
        int seen = 0;
        std::function<void(QMenu *)> walk = [&](QMenu *menu) {
            for (QAction *act : menu->actions()) {
                if (act->menu()) {
                    walk(act->menu());
                } else if (act->data().toInt() == id) {
                    ++seen;
                    EXPECT_EQ(act->shortcut(), expected) << act->text().toStdString();
                }
            }
        };
        for (QAction *top : m_window->menuBar()->actions()) {
            if (top->menu())
                walk(top->menu());
        }
        EXPECT_GT(seen, 0) << id;
    };
    m_bars->setShortcuts(Cmd::FileOpen, {key("Ctrl+Alt+K")});
    ASSERT_TRUE(m_bars->setMenu(MenuId::HexDocument));
    expectMenuKey(Cmd::FileOpen, key("Ctrl+Alt+K"));
    // The hex menu shows Goto as "Go To Offset...", an entry of its own.
    m_bars->setShortcuts(Cmd::GotoLine, {key("Ctrl+Alt+G")});
    expectMenuKey(Cmd::GotoLine, key("Ctrl+Alt+G"));
    m_bars->resetShortcuts();
    expectMenuKey(Cmd::FileOpen, CommandBars::defaultShortcuts(Cmd::FileOpen).value(0));
    expectMenuKey(Cmd::GotoLine, CommandBars::defaultShortcuts(Cmd::GotoLine).value(0));
}

TEST(Themes, EachThemeHasItsOwnLookAndUnknownIdsGetTheDefault)
{
    QHash<QRgb, int> windows;
    QHash<int, QPalette> palettes;
    for (int id = kThemeFirst; id <= kThemeLast; ++id) {
        SCOPED_TRACE(id);
        EXPECT_EQ(applyTheme(id), id);
        EXPECT_EQ(currentTheme(), id);
        ASSERT_NE(QApplication::style(), nullptr);
        EXPECT_EQ(QApplication::style()->objectName(), themeName(id));
        const QRgb window = QApplication::palette().color(QPalette::Window).rgb();
        EXPECT_FALSE(windows.contains(window)) << "same window colour as " << windows.value(window);
        windows.insert(window, id);
        palettes.insert(id, QApplication::palette());
    }
    for (int id : {0, 719, 725}) {
        SCOPED_TRACE(id);
        applyTheme(724);
        EXPECT_EQ(applyTheme(id), kThemeDefault);
        EXPECT_EQ(currentTheme(), kThemeDefault);
        EXPECT_EQ(QApplication::style()->objectName(), themeName(kThemeDefault));
        EXPECT_EQ(QApplication::palette().color(QPalette::Window),
                  palettes.value(kThemeDefault).color(QPalette::Window));
        EXPECT_EQ(themeName(id), themeName(kThemeDefault));
    }
}

TEST(Themes, DialogOpacityIsThePercentageOf255InWholeSteps)
{
    const struct
    {
        bool transparent;
        int percent;
        int alpha; // of 255
    } rows[] = {
        {true, 75, 191},
        {true, 10, 63}, // raised to the 25 the preferences offer at least, then rounded down
        {true, 150, 255},
        {false, 25, 255},
    };
    for (const auto &row : rows) {
        QDialog dialog;
        applyDialogTransparency(&dialog, row.transparent, row.percent);
        EXPECT_DOUBLE_EQ(dialog.windowOpacity(), row.alpha / 255.0)
            << row.transparent << " " << row.percent;
        dialog.show();
        EXPECT_DOUBLE_EQ(dialog.windowOpacity(), row.alpha / 255.0) << "still when shown";
    }
    QDialog dialog;
    applyDialogTransparency(&dialog, true, 50);
    applyDialogTransparency(&dialog, false, 50);
    EXPECT_DOUBLE_EQ(dialog.windowOpacity(), 1.0) << "turning it off makes the dialog opaque again";
    applyDialogTransparency(nullptr, true, 50); // no dialog: nothing happens
}
