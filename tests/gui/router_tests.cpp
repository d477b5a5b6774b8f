// Command routing: the chain order, disabled unhandled commands, and the real menus and keys.
#include "resources/commandids.h"
#include "resources/resources.h"
#include "tests/support/appfixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace pw;
using pw::test::AppFixture;

namespace {
struct Probe : CommandTarget
{
    explicit Probe(QString name, QStringList *log) : m_name(std::move(name)), m_log(log) {}
    void handle(int id)
    {
        onCommand(id, [this] { m_log->append(m_name); });
    }
    QString m_name;
    QStringList *m_log;
};
} // namespace

TEST(CommandRouterChain, FirstLinkThatHandlesWins)
{
    QWidget host;
    QStringList log;
    Probe view(QStringLiteral("view"), &log), doc(QStringLiteral("doc"), &log),
        app(QStringLiteral("app"), &log);
    view.handle(1);
    doc.handle(1);
    doc.handle(2);
    app.handle(2);
    app.handle(3);
    view.onCommand(
        4, [] {}, [](CommandUi &ui) { ui.enabled = false; });
    view.onCommand(
        5, [] {},
        [](CommandUi &ui) {
            ui.checkable = true;
            ui.checked = true;
            ui.text = QStringLiteral("Show Tabs");
        });
    CommandRouter router(&host, [&] { return std::vector<CommandTarget *>{&view, &doc, &app}; });
    EXPECT_TRUE(router.execute(1));
    EXPECT_TRUE(router.execute(2));
    EXPECT_TRUE(router.execute(3));
    EXPECT_EQ(log,
              (QStringList{QStringLiteral("view"), QStringLiteral("doc"), QStringLiteral("app")}));
    EXPECT_FALSE(router.execute(99)) << "nobody handles it";
    EXPECT_FALSE(router.action(99)->isEnabled());
    EXPECT_FALSE(router.execute(4)) << "a disabled command does not run";
    QAction *five = router.action(5);
    EXPECT_TRUE(five->isChecked());
    EXPECT_EQ(five->text(), QStringLiteral("Show Tabs"));
}

class RouterAppTest : public AppFixture
{
};

TEST_F(RouterAppTest, MenusCarryTheTableTextsAndUnhandledEntriesAreDisabled)
{
    QMenuBar *bar = frame()->menuBar();
    ASSERT_FALSE(bar->actions().isEmpty());
    frame()->router()->updateAll();
    int commands = 0;
    std::function<void(QMenu *)> walk = [&](QMenu *menu) {
        for (QAction *act : menu->actions()) {
            if (act->menu()) {
                walk(act->menu());
                continue;
            }
            if (act->isSeparator() || !act->data().isValid())
                continue;
            ++commands;
            const int id = act->data().toInt();
            const CommandUi ui = frame()->router()->state(id);
            EXPECT_EQ(act->isEnabled(), ui.enabled) << id;
            if (const res::CommandInfo *info = res::findCommand(id); info && ui.text.isEmpty()) {
                EXPECT_FALSE(act->text().isEmpty()) << id;
            }
        }
    };
    for (QAction *top : bar->actions())
        if (top->menu())
            walk(top->menu());
    EXPECT_GT(commands, 5);
    EXPECT_TRUE(state(Cmd::FileNew).enabled);
    EXPECT_FALSE(state(Cmd::FileOpenHex).enabled) << "the hex editor is not there yet";
}

TEST_F(RouterAppTest, KeyboardShortcutsReachTheEditor)
{
    CRidereDoc *doc = activeDoc();
    ASSERT_NE(doc, nullptr);
    frame()->show();
    frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame()));
    CMFCScintilla *ed = doc->editor();
    ed->setFocus();
    QTest::keyClicks(ed, QStringLiteral("abc"));
    EXPECT_EQ(editorText(doc), QByteArray("abc"));
    QTest::keyClick(ed, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(ed, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(ed, Qt::Key_End);
    QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editorText(doc), QByteArray("abcabc"));
    QTest::keyClick(ed, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editorText(doc), QByteArray("abc"));
    QTest::keyClick(ed, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(editorText(doc), QByteArray("abcabc"));
    QTest::keyClick(ed, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(ed, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editorText(doc), QByteArray(""));

    const int windows = int(frame()->documentFrames().size());
    QTest::keyClick(ed, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(frame()->documentFrames().size(), windows + 1);
    CRidereDoc *fresh = activeDoc();
    ASSERT_NE(fresh, doc);
    QTest::keyClick(fresh->editor(), Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame()->documentFrames().size(), windows);
}

TEST_F(RouterAppTest, EditorContextMenuFollowsItsResource)
{
    CRidereDoc *doc = activeDoc();
    ASSERT_NE(doc, nullptr);
    std::unique_ptr<QMenu> menu(frame()->router()->buildPopupMenu(141, frame()));
    QList<int> ids;
    for (QAction *act : menu->actions())
        if (!act->isSeparator() && !act->menu())
            ids << act->data().toInt();
    ASSERT_GE(ids.size(), 4);
    EXPECT_EQ(ids.mid(0, 3), (QList<int>{Cmd::EditUndo, Cmd::EditRedo, Cmd::EditCut}));
    for (QAction *act : menu->actions()) {
        if (act->data().toInt() == Cmd::EditDelete) {
            EXPECT_FALSE(act->isEnabled()) << "nothing answers the context menu's Delete";
        }
    }
}
