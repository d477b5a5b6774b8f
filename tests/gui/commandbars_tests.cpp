// Command bars: toolbar controls, icons, the saved layout, shortcuts, the customise dialog, themes.
#include "chrome/commandbars.h"
#include "framework/commandrouter.h"
#include "chrome/customizedialog.h"
#include "chrome/themes.h"
#include "chrome/toolbaricons.h"
#include "resources/commandids.h"
#include "resources/menuids.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QDialog>
#include <QDropEvent>
#include <QIODevice>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QProxyStyle>
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

class CommandBarsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window = std::make_unique<QMainWindow>();
        m_window->setCentralWidget(new QWidget);
        m_router = new CommandRouter(
            m_window.get(), [this] { return std::vector<CommandTarget *>{&m_target}; },
            m_window.get());
        m_bars = new CommandBars(m_window.get(), m_router);
        ASSERT_TRUE(m_bars->create(MenuId::MainFrame));
    }

    void TearDown() override
    {
        if (CustomizeDialog *dialog = m_bars->customizeDialog())
            dialog->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_window.reset();
    }

    // A second window with fresh bars, to restore a saved layout into.
    struct Fresh
    {
        std::unique_ptr<QMainWindow> window;
        CommandRouter *router = nullptr;
        CommandBars *bars = nullptr;
    };
    Fresh freshBars()
    {
        Fresh f;
        f.window = std::make_unique<QMainWindow>();
        f.router = new CommandRouter(
            f.window.get(), [this] { return std::vector<CommandTarget *>{&m_target}; },
            f.window.get());
        f.bars = new CommandBars(f.window.get(), f.router);
        EXPECT_TRUE(f.bars->create(MenuId::MainFrame));
        return f;
    }

    static void expectDefaults(CommandBars *bars)
    {
        EXPECT_EQ(bars->toolBars().size(), 1);
        EXPECT_EQ(bars->contents(bars->toolBar()), CommandBars::defaultContents());
        EXPECT_TRUE(bars->isToolBarVisible(bars->toolBar()));
        EXPECT_TRUE(bars->customizedShortcutIds().isEmpty());
        EXPECT_TRUE(bars->showToolTips());
        EXPECT_EQ(bars->router()->action(Cmd::FileNew)->shortcut(),
                  QKeySequence(QStringLiteral("Ctrl+N")));
    }

    void activate()
    {
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
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

    CountingTarget m_target;
    std::unique_ptr<QMainWindow> m_window;
    CommandRouter *m_router = nullptr;
    CommandBars *m_bars = nullptr;
};

// Whether an icon draws something at the given size rather than an empty square.
int inkedPixels(const QIcon &icon, int size)
{
    const QImage image = icon.pixmap(size, size).toImage();
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                ++inked;
    return inked;
}

QList<int> toolbarCommandIds(QToolBar *bar)
{
    QList<int> ids;
    for (QAction *act : bar->actions())
        if (!act->isSeparator())
            ids.append(act->data().toInt());
    return ids;
}

} // namespace

TEST_F(CommandBarsTest, MenuBarAndToolbarCarryTheirNames)
{
    EXPECT_EQ(m_window->menuBar()->windowTitle(), QStringLiteral("Menu Bar"));
    EXPECT_FALSE(m_window->menuBar()->actions().isEmpty());
    ASSERT_NE(m_bars->toolBar(), nullptr);
    EXPECT_EQ(m_bars->toolBar()->windowTitle(), QStringLiteral("Toolbar"));
    EXPECT_EQ(m_window->toolBarArea(m_bars->toolBar()), Qt::TopToolBarArea);
    QList<int> expected = CommandBars::defaultContents();
    expected.removeAll(0);
    for (int control : {Cmd::ToolbarFindBox, Cmd::ToolsPlaceholder, Cmd::ColorDocumentAs})
        expected.removeAll(control);
    EXPECT_EQ(toolbarCommandIds(m_bars->toolBar()), expected)
        << "without factories the controls hold their place but show nothing";
}

TEST_F(CommandBarsTest, CreateFailsForAMenuThatDoesNotExist)
{
    QMainWindow window;
    CommandRouter router(&window, [] { return std::vector<CommandTarget *>{}; });
    CommandBars bars(&window, &router);
    EXPECT_FALSE(bars.create(4242));
    EXPECT_EQ(bars.toolBar(), nullptr);
    CommandBars noRouter(&window, nullptr);
    EXPECT_FALSE(noRouter.create(MenuId::MainFrame));
}

TEST_F(CommandBarsTest, ToolbarHoldsTheCustomControlsOnceTheirFactoriesAreSet)
{
    const int ids[] = {Cmd::ToolbarFindBox, Cmd::ToolsPlaceholder, Cmd::ColorDocumentAs};
    for (int id : ids) {
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
    // They stand where the default layout puts them: the find box right before Find.
    const QList<QAction *> actions = m_bars->toolBar()->actions();
    const QList<int> order = toolbarCommandIds(m_bars->toolBar());
    const qsizetype box = order.indexOf(Cmd::ToolbarFindBox);
    ASSERT_GE(box, 0);
    EXPECT_EQ(order.value(box + 1), Cmd::EditFind);
    EXPECT_GE(order.indexOf(Cmd::ColorDocumentAs), 0);
    EXPECT_GE(order.indexOf(Cmd::ToolsPlaceholder), 0);

    // A new factory replaces the live control.
    QPointer<QWidget> old = m_bars->control(Cmd::ToolbarFindBox);
    m_bars->setControlFactory(Cmd::ToolbarFindBox,
                              [](QWidget *parent) { return new QLineEdit(parent); });
    EXPECT_TRUE(old.isNull());
    EXPECT_NE(qobject_cast<QLineEdit *>(m_bars->control(Cmd::ToolbarFindBox)), nullptr);
}

TEST_F(CommandBarsTest, AControlMovesToTheToolbarItIsPutOn)
{
    m_bars->setControlFactory(Cmd::ToolsPlaceholder,
                              [](QWidget *parent) { return new QComboBox(parent); });
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    ASSERT_NE(mine, nullptr);
    m_bars->setContents(mine, {Cmd::ToolsPlaceholder, Cmd::EditUndo});
    EXPECT_FALSE(m_bars->contents(m_bars->toolBar()).contains(Cmd::ToolsPlaceholder));
    ASSERT_NE(m_bars->control(Cmd::ToolsPlaceholder), nullptr);
    EXPECT_EQ(m_bars->control(Cmd::ToolsPlaceholder)->parentWidget(), mine);
    // Removing the toolbar keeps the control alive for its next place.
    QPointer<QWidget> control = m_bars->control(Cmd::ToolsPlaceholder);
    EXPECT_TRUE(m_bars->removeUserToolBar(mine));
    EXPECT_FALSE(control.isNull());
    EXPECT_EQ(m_bars->control(Cmd::ToolsPlaceholder), nullptr);
    m_bars->resetToolBar(m_bars->toolBar());
    EXPECT_EQ(m_bars->control(Cmd::ToolsPlaceholder), control.data());
}

TEST_F(CommandBarsTest, EveryToolbarButtonHasAVisibleIconAtBothSizes)
{
    QList<int> ids = CommandBars::defaultContents();
    // A command with no picture of its own still gets one.
    ids << Cmd::ViewFont << Cmd::CustomizeKeyboard << Cmd::XmlPrettyPrint;
    for (int id : ids) {
        if (id == 0 || m_bars->isControlId(id))
            continue;
        SCOPED_TRACE(id);
        const QIcon icon = commandIcon(id);
        ASSERT_FALSE(icon.isNull());
        EXPECT_GT(inkedPixels(icon, 16), 16 * 16 / 10);
        EXPECT_GT(inkedPixels(icon, 24), 24 * 24 / 10);
    }
    for (QAction *act : m_bars->toolBar()->actions()) {
        if (!act->isSeparator()) {
            EXPECT_FALSE(act->icon().isNull()) << act->data().toInt();
        }
    }
}

TEST_F(CommandBarsTest, IconSizeFollowsTheLargeIconsOption)
{
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    m_bars->setContents(mine, {Cmd::EditUndo});
    const struct
    {
        bool large;
        int size;
    } rows[] = {{false, 16}, {true, 24}, {false, 16}};
    for (const auto &row : rows) {
        m_bars->setLargeIcons(row.large);
        EXPECT_EQ(m_bars->largeIcons(), row.large);
        for (QToolBar *bar : m_bars->toolBars())
            EXPECT_EQ(bar->iconSize(), QSize(row.size, row.size))
                << bar->windowTitle().toStdString();
        auto *button =
            qobject_cast<QToolButton *>(mine->widgetForAction(m_router->action(Cmd::EditUndo)));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->iconSize(), QSize(row.size, row.size));
    }
}

TEST_F(CommandBarsTest, ToolTipsNameTheCommandAndItsKey)
{
    const struct
    {
        int id;
        bool withKeys;
        const char *name;
        const char *key;
    } rows[] = {
        {Cmd::FileSave, true, "Save", "Ctrl+S"},
        {Cmd::FileSave, false, "Save", nullptr},
        {Cmd::StopUserTool, true, "Stop Tool", nullptr}, // the short tip after the status text
        {Cmd::EditFind, true, "Find", "Ctrl+F"},         // no trailing dots
    };
    for (const auto &row : rows) {
        m_bars->setShortcutsInToolTips(row.withKeys);
        QString expected = QString::fromUtf8(row.name);
        if (row.key)
            expected +=
                QStringLiteral(" (") +
                QKeySequence(QString::fromLatin1(row.key)).toString(QKeySequence::NativeText) +
                QLatin1Char(')');
        EXPECT_EQ(m_bars->toolTip(row.id), expected) << row.id;
        if (row.id == Cmd::FileSave) {
            EXPECT_EQ(m_router->action(Cmd::FileSave)->toolTip(), expected)
                << "the button follows the option";
        }
    }
    m_bars->setShortcutsInToolTips(true);
    // A command an update handler renames is named as it reads now.
    m_target.onCommand(
        Cmd::ToggleTabs, [] {}, [](CommandUi &ui) { ui.text = QStringLiteral("Show &Tabs"); });
    m_router->updateAll();
    EXPECT_EQ(m_bars->toolTip(Cmd::ToggleTabs), QStringLiteral("Show Tabs"));
    m_bars->setShortcuts(Cmd::FileSave, {QKeySequence(QStringLiteral("Ctrl+Alt+W"))});
    EXPECT_EQ(m_router->action(Cmd::FileSave)->toolTip(),
              QStringLiteral("Save (") +
                  QKeySequence(QStringLiteral("Ctrl+Alt+W")).toString(QKeySequence::NativeText) +
                  QLatin1Char(')'));
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
    m_bars->setContents(mine, {Cmd::FindNext, 0, Cmd::EditUndo, Cmd::ToolbarFindBox});
    m_window->addToolBar(Qt::LeftToolBarArea, mine);
    m_bars->setShortcuts(Cmd::FileNew, {QKeySequence(QStringLiteral("Ctrl+Alt+J")),
                                        QKeySequence(QStringLiteral("F12"))});
    m_bars->setShortcuts(Cmd::FileOpen, {});
    m_bars->setShowToolTips(false);
    main = m_bars->contents(m_bars->toolBar());
    EXPECT_FALSE(main.contains(Cmd::ToolbarFindBox)) << "the find box moved to the user's toolbar";
    const QByteArray state = m_bars->saveState();

    Fresh f = freshBars();
    f.bars->setControlFactory(Cmd::ToolbarFindBox,
                              [](QWidget *parent) { return new QLineEdit(parent); });
    ASSERT_TRUE(f.bars->restoreState(state));
    EXPECT_EQ(f.bars->contents(f.bars->toolBar()), main);
    EXPECT_FALSE(f.bars->isToolBarVisible(f.bars->toolBar()));
    ASSERT_EQ(f.bars->toolBars().size(), 2);
    QToolBar *restored = f.bars->toolBars().at(1);
    EXPECT_TRUE(f.bars->isUserToolBar(restored));
    EXPECT_EQ(restored->windowTitle(), QStringLiteral("My Tools"));
    EXPECT_TRUE(f.bars->isToolBarVisible(restored));
    EXPECT_EQ(f.window->toolBarArea(restored), Qt::LeftToolBarArea);
    EXPECT_EQ(f.bars->contents(restored),
              (QList<int>{Cmd::FindNext, 0, Cmd::EditUndo, Cmd::ToolbarFindBox}));
    EXPECT_EQ(f.bars->control(Cmd::ToolbarFindBox)->parentWidget(), restored);
    EXPECT_EQ(f.router->action(Cmd::FileNew)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Alt+J")),
                                   QKeySequence(QStringLiteral("F12"))}));
    EXPECT_TRUE(f.router->action(Cmd::FileOpen)->shortcuts().isEmpty());
    EXPECT_FALSE(f.bars->showToolTips());
    EXPECT_EQ(f.bars->saveState(), state) << "a restored layout saves the same";

    // Restoring the default layout over a changed one removes the user's toolbar again.
    Fresh plain = freshBars();
    ASSERT_TRUE(f.bars->restoreState(plain.bars->saveState()));
    expectDefaults(f.bars);
}

TEST_F(CommandBarsTest, UnreadableLayoutsChangeNothing)
{
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    m_bars->setContents(mine, {Cmd::EditUndo});
    const QByteArray good = m_bars->saveState();

    QByteArray wrongVersion = good;
    wrongVersion[5] = char(wrongVersion[5] + 1);
    QByteArray trailing = good + QByteArray("x");
    QByteArray foreign;
    {
        QDataStream out(&foreign, QIODevice::WriteOnly);
        out << quint32(0x12345678) << QStringLiteral("some other program's toolbars");
    }
    const struct
    {
        const char *name;
        QByteArray data;
    } rows[] = {
        {"empty", QByteArray()},
        {"noise", QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9)},
        {"foreign data", foreign},
        {"other version", wrongVersion},
        {"trailing bytes", trailing},
    };
    Fresh f = freshBars();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(f.bars->restoreState(row.data));
        expectDefaults(f.bars);
    }
    // Every cut-short copy of a good layout is refused too.
    for (qsizetype length = 0; length < good.size(); ++length) {
        ASSERT_FALSE(f.bars->restoreState(good.left(length))) << length;
    }
    expectDefaults(f.bars);
    ASSERT_TRUE(f.bars->restoreState(good));
    EXPECT_EQ(f.bars->toolBars().size(), 2);
}

TEST_F(CommandBarsTest, ContentsDropDuplicatesAndUnknownCommands)
{
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    m_bars->setContents(mine, {Cmd::EditUndo, 0, 987654, Cmd::EditUndo, 0, Cmd::EditRedo});
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditUndo, 0, 0, Cmd::EditRedo}));
    EXPECT_EQ(toolbarCommandIds(mine), (QList<int>{Cmd::EditUndo, Cmd::EditRedo}));
}

TEST_F(CommandBarsTest, UserToolbarNamesAreRequiredAndUnique)
{
    EXPECT_EQ(m_bars->addUserToolBar(QStringLiteral("  ")), nullptr);
    EXPECT_EQ(m_bars->addUserToolBar(QStringLiteral("toolbar")), nullptr)
        << "the built-in toolbar's name, in other case";
    QToolBar *a = m_bars->addUserToolBar(QStringLiteral("A"));
    QToolBar *b = m_bars->addUserToolBar(QStringLiteral("B"));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->objectName(), b->objectName());
    EXPECT_FALSE(m_bars->renameUserToolBar(b, QStringLiteral("a")));
    EXPECT_TRUE(m_bars->renameUserToolBar(b, QStringLiteral("C")));
    EXPECT_FALSE(m_bars->renameUserToolBar(m_bars->toolBar(), QStringLiteral("D")));
    EXPECT_FALSE(m_bars->removeUserToolBar(m_bars->toolBar()));
    EXPECT_TRUE(m_bars->removeUserToolBar(a));
    EXPECT_EQ(m_bars->toolBars().size(), 2);
}

TEST_F(CommandBarsTest, CustomShortcutRunsItsCommandAndTheOldKeyNoLonger)
{
    m_bars->setShortcuts(Cmd::FileNew, {QKeySequence(QStringLiteral("Ctrl+Alt+J"))});
    activate();
    QTest::keyClick(m_window.get(), Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(m_target.runs.value(Cmd::FileNew), 1);
    QTest::keyClick(m_window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(m_target.runs.value(Cmd::FileNew), 1);

    m_bars->resetShortcuts();
    QTest::keyClick(m_window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(m_target.runs.value(Cmd::FileNew), 2);
    QTest::keyClick(m_window.get(), Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(m_target.runs.value(Cmd::FileNew), 2);
}

TEST_F(CommandBarsTest, KeyboardPageMovesAKeyThatAnotherCommandHad)
{
    CustomizeDialog *dialog = openDialog(CommandBars::KeyboardPage);
    auto *search = dialog->findChild<QLineEdit *>(QStringLiteral("keySearch"));
    auto *commands = dialog->findChild<QTreeWidget *>(QStringLiteral("keyCommands"));
    auto *edit = dialog->findChild<QKeySequenceEdit *>(QStringLiteral("newKey"));
    auto *conflict = dialog->findChild<QLabel *>(QStringLiteral("keyConflict"));
    auto *assign = dialog->findChild<QPushButton *>(QStringLiteral("assignKey"));
    auto *keys = dialog->findChild<QListWidget *>(QStringLiteral("currentKeys"));
    auto *remove = dialog->findChild<QPushButton *>(QStringLiteral("removeKey"));
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
    EXPECT_EQ(keys->item(0)->text(),
              QKeySequence(QStringLiteral("Ctrl+N")).toString(QKeySequence::NativeText));

    // Ctrl+O belongs to Open: the page says so, and assigning moves it.
    edit->setKeySequence(QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_TRUE(conflict->text().contains(QStringLiteral("Open")))
        << conflict->text().toStdString();
    ASSERT_TRUE(assign->isEnabled());
    assign->click();
    EXPECT_TRUE(m_bars->shortcuts(Cmd::FileNew).contains(QKeySequence(QStringLiteral("Ctrl+O"))));
    EXPECT_TRUE(m_bars->shortcuts(Cmd::FileOpen).isEmpty());
    EXPECT_EQ(keys->count(), 2);
    EXPECT_EQ(m_bars->commandForShortcut(QKeySequence(QStringLiteral("Ctrl+O"))), Cmd::FileNew);

    // Remove the first key (Ctrl+N) of New.
    keys->setCurrentRow(0);
    remove->click();
    EXPECT_EQ(m_bars->shortcuts(Cmd::FileNew),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+O"))}));
    closeDialog(dialog);

    activate();
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(m_target.runs.value(Cmd::FileNew), 1);
    EXPECT_EQ(m_target.runs.value(Cmd::FileOpen), 0);
}

TEST_F(CommandBarsTest, DialogOpensOnTheAskedPage)
{
    bool closed = false;
    m_bars->setCustomizeClosedHandler([&] { closed = true; });
    const struct
    {
        int page;
        const char *title;
    } rows[] = {{0, "Toolbars"}, {1, "Commands"},     {2, "Keyboard"}, {3, "Menus"},
                {4, "Options"},  {5, "Presentation"}, {99, "Toolbars"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.page);
        closed = false;
        QSignalSpy spy(m_bars, &CommandBars::customizingChanged);
        CustomizeDialog *dialog = openDialog(row.page);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->isModal());
        EXPECT_TRUE(m_bars->isCustomizing());
        QTabWidget *tabs = dialog->tabWidget();
        EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QString::fromUtf8(row.title));
        // Asking again while open switches the page of the same dialog.
        EXPECT_EQ(m_bars->showCustomizeDialog(CommandBars::OptionsPage), dialog);
        EXPECT_EQ(dialog->currentPage(), CommandBars::OptionsPage);
        closeDialog(dialog);
        EXPECT_EQ(m_bars->customizeDialog(), nullptr);
        EXPECT_FALSE(m_bars->isCustomizing());
        EXPECT_TRUE(closed);
        EXPECT_EQ(spy.count(), 2);
    }
}

TEST_F(CommandBarsTest, AnAddedPageKeepsTheNumbersOfTheOthers)
{
    QStringList log;
    m_bars->setCustomizeClosedHandler([&] { log << QStringLiteral("closed"); });
    m_bars->addCustomizePage(
        CommandBars::FirstExtraPage, QStringLiteral("Tools"),
        [&log](QWidget *parent) {
            auto *page = new QWidget(parent);
            QObject::connect(page, &QObject::destroyed,
                             [&log] { log << QStringLiteral("page gone"); });
            return page;
        },
        CommandBars::MenusPage);
    CustomizeDialog *dialog = openDialog(CommandBars::FirstExtraPage);
    QTabWidget *tabs = dialog->tabWidget();
    ASSERT_EQ(tabs->count(), 7);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("Tools"));
    EXPECT_EQ(tabs->currentIndex(), 3) << "placed before Menus";
    for (int page = CommandBars::ToolbarsPage; page <= CommandBars::PresentationPage; ++page) {
        dialog->setCurrentPage(page);
        EXPECT_EQ(dialog->currentPage(), page);
    }
    dialog->setCurrentPage(CommandBars::MenusPage);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("Menus"));
    closeDialog(dialog);
    EXPECT_EQ(log, (QStringList{QStringLiteral("page gone"), QStringLiteral("closed")}));
}

TEST_F(CommandBarsTest, ToolbarsPageMakesRenamesHidesAndDeletesToolbars)
{
    CustomizeDialog *dialog = openDialog(CommandBars::ToolbarsPage);
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("toolbarList"));
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("toolbarName"));
    auto *create = dialog->findChild<QPushButton *>(QStringLiteral("newToolbar"));
    auto *rename = dialog->findChild<QPushButton *>(QStringLiteral("renameToolbar"));
    auto *remove = dialog->findChild<QPushButton *>(QStringLiteral("deleteToolbar"));
    auto *message = dialog->findChild<QLabel *>(QStringLiteral("toolbarMessage"));
    ASSERT_TRUE(list && name && create && rename && remove && message);
    EXPECT_EQ(list->count(), 1);
    EXPECT_FALSE(remove->isEnabled()) << "the built-in toolbar cannot be deleted";

    name->setText(QStringLiteral("Markup"));
    create->click();
    ASSERT_EQ(m_bars->toolBars().size(), 2);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("Markup"));
    EXPECT_TRUE(remove->isEnabled());

    create->click(); // the same name again
    EXPECT_EQ(m_bars->toolBars().size(), 2);
    EXPECT_FALSE(message->text().isEmpty());

    name->setText(QStringLiteral("Web"));
    rename->click();
    EXPECT_EQ(m_bars->toolBars().at(1)->windowTitle(), QStringLiteral("Web"));

    list->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(m_bars->isToolBarVisible(m_bars->toolBar()));
    list->setCurrentRow(1);
    remove->click();
    EXPECT_EQ(m_bars->toolBars().size(), 1);
    EXPECT_EQ(list->count(), 1);
    closeDialog(dialog);
}

TEST_F(CommandBarsTest, CommandsPageAddsMovesAndRemovesButtons)
{
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    CustomizeDialog *dialog = openDialog(CommandBars::CommandsPage);
    auto *categories = dialog->findChild<QListWidget *>(QStringLiteral("commandCategories"));
    auto *commands = dialog->findChild<QListWidget *>(QStringLiteral("commandList"));
    auto *bar = dialog->findChild<QComboBox *>(QStringLiteral("commandsToolbar"));
    auto *contents = dialog->findChild<QListWidget *>(QStringLiteral("toolbarContents"));
    auto *add = dialog->findChild<QPushButton *>(QStringLiteral("addCommand"));
    auto *separator = dialog->findChild<QPushButton *>(QStringLiteral("addSeparator"));
    auto *up = dialog->findChild<QPushButton *>(QStringLiteral("moveUp"));
    auto *remove = dialog->findChild<QPushButton *>(QStringLiteral("removeCommand"));
    ASSERT_TRUE(categories && commands && bar && contents && add && separator && up && remove);

    bar->setCurrentIndex(bar->findText(QStringLiteral("Mine")));
    EXPECT_EQ(contents->count(), 0);
    const QList<QListWidgetItem *> all =
        categories->findItems(QStringLiteral("All Commands"), Qt::MatchExactly);
    ASSERT_EQ(all.size(), 1);
    categories->setCurrentItem(all.first());
    auto pick = [&](int id) {
        for (int i = 0; i < commands->count(); ++i)
            if (commands->item(i)->data(Qt::UserRole).toInt() == id)
                commands->setCurrentRow(i);
    };
    pick(Cmd::EditUndo);
    add->click();
    separator->click();
    pick(Cmd::EditRedo);
    add->click();
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditUndo, 0, Cmd::EditRedo}));
    EXPECT_EQ(toolbarCommandIds(mine), (QList<int>{Cmd::EditUndo, Cmd::EditRedo}));
    up->click(); // Redo is selected after adding it
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditUndo, Cmd::EditRedo, 0}));
    contents->setCurrentRow(0);
    remove->click();
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditRedo, 0}));
    closeDialog(dialog);
}

TEST_F(CommandBarsTest, CommandsDroppedOnAToolbarListLandWhereTheyFall)
{
    QToolBar *mine = m_bars->addUserToolBar(QStringLiteral("Mine"));
    m_bars->setContents(mine, {Cmd::EditUndo, Cmd::EditRedo});
    CustomizeDialog *dialog = openDialog(CommandBars::CommandsPage);
    auto *categories = dialog->findChild<QListWidget *>(QStringLiteral("commandCategories"));
    auto *commands = dialog->findChild<QListWidget *>(QStringLiteral("commandList"));
    auto *bar = dialog->findChild<QComboBox *>(QStringLiteral("commandsToolbar"));
    auto *contents = dialog->findChild<QListWidget *>(QStringLiteral("toolbarContents"));
    ASSERT_TRUE(categories && commands && bar && contents);
    bar->setCurrentIndex(bar->findText(QStringLiteral("Mine")));
    categories->setCurrentItem(
        categories->findItems(QStringLiteral("All Commands"), Qt::MatchExactly).value(0));
    contents->resize(300, 300);

    auto drop = [&](QListWidget *from, int id, const QPoint &at) {
        QModelIndexList indexes;
        for (int i = 0; i < from->count(); ++i) {
            if (from->item(i)->data(Qt::UserRole).toInt() == id)
                indexes << from->model()->index(i, 0);
        }
        ASSERT_EQ(indexes.size(), 1) << id;
        std::unique_ptr<QMimeData> mime(from->model()->mimeData(indexes));
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
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::FindNext, Cmd::EditUndo, Cmd::EditRedo}));
    // Below the last row: at the end; a command already there moves instead of doubling.
    drop(contents, Cmd::FindNext, QPoint(5, contents->viewport()->height() - 2));
    EXPECT_EQ(m_bars->contents(mine), (QList<int>{Cmd::EditUndo, Cmd::EditRedo, Cmd::FindNext}));
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

    CustomizeDialog *dialog = openDialog(CommandBars::OptionsPage);
    auto *large = dialog->findChild<QCheckBox *>(QStringLiteral("largeIcons"));
    auto *tips = dialog->findChild<QCheckBox *>(QStringLiteral("showToolTips"));
    ASSERT_TRUE(large && tips);
    EXPECT_TRUE(large->isChecked());
    large->setChecked(false);
    EXPECT_EQ(iconChanges, std::vector<bool>{false});
    EXPECT_EQ(m_bars->toolBar()->iconSize(), QSize(16, 16));
    tips->setChecked(false);
    EXPECT_FALSE(m_bars->showToolTips());

    dialog->setCurrentPage(CommandBars::PresentationPage);
    auto *theme = dialog->findChild<QComboBox *>(QStringLiteral("themeChoice"));
    auto *transparent = dialog->findChild<QCheckBox *>(QStringLiteral("transparentDialogs"));
    auto *percent = dialog->findChild<QSlider *>(QStringLiteral("transparentPercent"));
    ASSERT_TRUE(theme && transparent && percent);
    EXPECT_EQ(theme->count(), 5);
    EXPECT_EQ(theme->currentText(), QStringLiteral("Windows XP"));
    EXPECT_EQ(percent->value(), 75);
    theme->setCurrentIndex(theme->findText(QStringLiteral("Office 2003")));
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
    auto *shown = dialog->findChild<QLabel *>(QStringLiteral("menuShown"));
    auto *tree = dialog->findChild<QTreeWidget *>(QStringLiteral("menuTree"));
    ASSERT_TRUE(shown && tree);
    EXPECT_EQ(shown->text(), QStringLiteral("Text document"));
    EXPECT_EQ(tree->topLevelItemCount(), text.size());
    closeDialog(dialog);
}

TEST_F(CommandBarsTest, MenuEntriesShowTheCustomKeys)
{
    // Every entry of the command in the menu bar, whether it is the router's action or an entry
    // with a text of its own, shows the key.
    auto expectMenuKey = [this](int id, const QKeySequence &key) {
        int seen = 0;
        std::function<void(QMenu *)> walk = [&](QMenu *menu) {
            for (QAction *act : menu->actions()) {
                if (act->menu()) {
                    walk(act->menu());
                } else if (act->data().toInt() == id) {
                    ++seen;
                    EXPECT_EQ(act->shortcut(), key) << act->text().toStdString();
                }
            }
        };
        for (QAction *top : m_window->menuBar()->actions()) {
            if (top->menu())
                walk(top->menu());
        }
        EXPECT_GT(seen, 0) << id;
    };
    m_bars->setShortcuts(Cmd::FileOpen, {QKeySequence(QStringLiteral("Ctrl+Alt+K"))});
    ASSERT_TRUE(m_bars->setMenu(MenuId::HexDocument));
    expectMenuKey(Cmd::FileOpen, QKeySequence(QStringLiteral("Ctrl+Alt+K")));
    // The hex menu shows Goto as "Go To Offset...", an entry of its own.
    expectMenuKey(Cmd::GotoLine, QKeySequence(QStringLiteral("Ctrl+G")));
    m_bars->setShortcuts(Cmd::GotoLine, {QKeySequence(QStringLiteral("Ctrl+Alt+G"))});
    expectMenuKey(Cmd::GotoLine, QKeySequence(QStringLiteral("Ctrl+Alt+G")));
    m_bars->resetShortcuts();
    expectMenuKey(Cmd::FileOpen, QKeySequence(QStringLiteral("Ctrl+O")));
    expectMenuKey(Cmd::GotoLine, QKeySequence(QStringLiteral("Ctrl+G")));
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
    // The classic look draws with another base style than the others.
    applyTheme(720);
    auto baseName = [] {
        auto *proxy = qobject_cast<QProxyStyle *>(QApplication::style());
        return proxy ? proxy->baseStyle()->name() : QString();
    };
    const QString classic = baseName();
    applyTheme(724);
    EXPECT_FALSE(classic.isEmpty());
    EXPECT_NE(baseName(), classic);

    const QStringList names = {QStringLiteral("Windows 2000"), QStringLiteral("Windows XP"),
                               QStringLiteral("Whidbey"), QStringLiteral("Office XP"),
                               QStringLiteral("Office 2003")};
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(themeName(kThemeFirst + i), names[i]);

    for (int id : {0, -1, 719, 725, 100000}) {
        SCOPED_TRACE(id);
        applyTheme(724);
        EXPECT_EQ(applyTheme(id), kThemeDefault);
        EXPECT_EQ(currentTheme(), kThemeDefault);
        EXPECT_EQ(QApplication::style()->objectName(), QStringLiteral("Windows XP"));
        EXPECT_EQ(QApplication::palette().color(QPalette::Window),
                  palettes.value(kThemeDefault).color(QPalette::Window));
        EXPECT_EQ(themeName(id), QStringLiteral("Windows XP"));
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
        {true, 75, 191}, {true, 100, 255}, {true, 50, 127},  {true, 33, 84},
        {true, 25, 63},  {true, 10, 63}, // below what the preferences offer
        {true, 0, 63},   {true, 150, 255}, {false, 75, 255}, {false, 25, 255},
    };
    for (const auto &row : rows) {
        QDialog dialog;
        applyDialogTransparency(&dialog, row.transparent, row.percent);
        EXPECT_DOUBLE_EQ(dialog.windowOpacity(), row.alpha / 255.0)
            << row.transparent << " " << row.percent;
        dialog.show();
        EXPECT_DOUBLE_EQ(dialog.windowOpacity(), row.alpha / 255.0);
    }
    QDialog dialog;
    applyDialogTransparency(&dialog, true, 50);
    applyDialogTransparency(&dialog, false, 50);
    EXPECT_DOUBLE_EQ(dialog.windowOpacity(), 1.0) << "turning it off makes the dialog opaque again";
    applyDialogTransparency(nullptr, true, 50); // no dialog: nothing happens
}
