// Command routing: the chain order, disabled unhandled commands, and the real menus and keys.
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/resources.h"
#include "tests/support/appfixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace pw;
using namespace Qt::StringLiterals;
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
    Probe view(u"view"_s, &log), doc(u"doc"_s, &log), app(u"app"_s, &log);
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
            ui.text = u"Show Tabs"_s;
        });
    CommandRouter router(&host, [&] { return std::vector<CommandTarget *>{&view, &doc, &app}; });
    EXPECT_TRUE(router.execute(1));
    EXPECT_TRUE(router.execute(2));
    EXPECT_TRUE(router.execute(3));
    EXPECT_EQ(log, (QStringList{u"view"_s, u"doc"_s, u"app"_s}));
    EXPECT_FALSE(router.execute(99)) << "nobody handles it";
    EXPECT_FALSE(router.action(99)->isEnabled());
    EXPECT_FALSE(router.execute(4)) << "a disabled command does not run";
    QAction *five = router.action(5);
    EXPECT_TRUE(five->isChecked());
    EXPECT_EQ(five->text(), u"Show Tabs"_s);
}

using RouterAppTest = AppFixture;

namespace {
QAction *entryFor(QMenu *menu, int id)
{
    for (QAction *act : menu->actions()) {
        if (QMenu *sub = act->menu(); sub && entryFor(sub, id))
            return entryFor(sub, id);
        if (!act->isSeparator() && act->data().toInt() == id)
            return act;
    }
    return nullptr;
}
} // namespace

// Opening a menu shows each entry as its handler says right now.
TEST_F(RouterAppTest, OpeningAMenuShowsTheCommandsCurrentState)
{
    CRidereDoc *doc = activeDoc();
    ASSERT_NE(doc, nullptr);
    QMenu *edit = frame()->menuBar()->actions().at(1)->menu();
    ASSERT_TRUE(edit && edit->title() == u"&Edit"_s);
    QAction *undo = entryFor(edit, Cmd::EditUndo);
    ASSERT_NE(undo, nullptr);
    emit edit->aboutToShow();
    EXPECT_FALSE(undo->isEnabled()) << "nothing to undo in a new document";
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "typed");
    emit edit->aboutToShow();
    EXPECT_TRUE(undo->isEnabled());
}

// A context menu is built from its resource, in order, nested pop-ups included, and an entry
// with a text of its own keeps it while the menu bar keeps the table's.
TEST_F(RouterAppTest, ContextMenuFollowsItsResourceAndKeepsItsOwnTexts)
{
    std::unique_ptr<QMenu> menu(frame()->router()->buildPopupMenu(MenuId::EditorContext, frame()));
    std::vector<int> built, listed;
    std::function<void(QMenu *)> walk = [&](QMenu *m) {
        for (QAction *act : m->actions()) {
            if (act->menu())
                walk(act->menu());
            else if (!act->isSeparator())
                built.push_back(act->data().toInt());
        }
    };
    walk(menu.get());
    for (const res::MenuEntry &e : res::findMenu(MenuId::EditorContext)->entries) {
        if (e.kind == res::MenuEntry::Command)
            listed.push_back(e.id);
    }
    EXPECT_EQ(built, listed);
    EXPECT_EQ(entryFor(menu.get(), Cmd::ReloadDocument)->text(), u"Reload Document"_s);
    EXPECT_EQ(frame()->router()->action(Cmd::ReloadDocument)->text(), u"Reload Active Document"_s);
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
    QTest::keyClicks(ed, u"abc"_s);
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

    const int windows = int(frame()->workspace().documentFrames().size());
    QTest::keyClick(ed, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(frame()->workspace().documentFrames().size(), windows + 1);
    CRidereDoc *fresh = activeDoc();
    ASSERT_NE(fresh, doc);
    QTest::keyClick(fresh->editor(), Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame()->workspace().documentFrames().size(), windows);
}
