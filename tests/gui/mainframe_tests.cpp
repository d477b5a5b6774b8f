// The main frame: view options for every window, panes, tabs, closing and reopening, one instance.
#include "app/singleinstance.h"
#include "editor/ridereview.h"
#include "resources/commandids.h"
#include "settings/framesettings.h"
#include "settings/registrysettings.h"
#include "settings/xmlsettingsstore.h"
#include "tests/support/appfixture.h"

#include <QDockWidget>
#include <QTest>
#include <future>

using namespace pw;
using namespace Qt::StringLiterals;
using pw::test::AppFixture;

class MainFrameTest : public AppFixture
{
protected:
    QList<CRidereDoc *> openThree()
    {
        QList<CRidereDoc *> docs;
        for (const char *name : {"one.txt", "two.txt", "three.txt"})
            docs << open(writeFile(QString::fromLatin1(name), QByteArray(name) + "\n"));
        return docs;
    }
    static long send(CRidereDoc *doc, unsigned msg, unsigned long w = 0)
    {
        return doc->editor()->send(msg, w);
    }
};

TEST_F(MainFrameTest, ViewOptionsApplyToEveryWindowAndPersist)
{
    const QList<CRidereDoc *> docs = openThree();
    struct Row
    {
        int id;
        unsigned query;
        long on;
    };
    const Row rows[] = {
        {Cmd::ViewWordWrap, Sci::SCI_GETWRAPMODE, 1},
        {Cmd::ViewWhitespace, Sci::SCI_GETVIEWWS, 1},
        {Cmd::ViewLineEndings, Sci::SCI_GETVIEWEOL, 1},
        {Cmd::ViewCaretLine, Sci::SCI_GETCARETLINEVISIBLE, 1},
        {Cmd::ViewLongLineMarker, Sci::SCI_GETEDGEMODE, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_FALSE(state(row.id).checked);
        ASSERT_TRUE(run(row.id));
        EXPECT_TRUE(state(row.id).checked);
        for (CRidereDoc *doc : docs)
            EXPECT_EQ(send(doc, row.query), row.on);
    }
    ASSERT_TRUE(run(Cmd::ViewLineNumbers));
    for (CRidereDoc *doc : docs)
        EXPECT_GT(send(doc, Sci::SCI_GETMARGINWIDTHN, 2), 0);

    ASSERT_TRUE(closeApp());
    startApp();
    const FrameSettings &s = frame()->settings();
    EXPECT_TRUE(s.wordWrap && s.whitespace && s.lineEndings && s.caretLine && s.longLine &&
                s.lineNumbers);
    CRidereDoc *fresh = open(writeFile(u"four.txt"_s, "4\n"));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(send(fresh, Sci::SCI_GETWRAPMODE), 1) << "new windows follow the stored options";
    EXPECT_TRUE(state(Cmd::ViewWordWrap).checked);
}

TEST_F(MainFrameTest, FontWeightRuleAndFontReachesEveryWindow)
{
    const QList<CRidereDoc *> docs = openThree();
    struct Row
    {
        int weight;
        bool bold;
    };
    for (const Row row : {Row{600, false}, Row{700, true}, Row{400, false}}) {
        SCOPED_TRACE(row.weight);
        frame()->setFontDialogHook([&](QFont &font) {
            font.setFamily(u"DejaVu Sans Mono"_s);
            font.setPointSize(13);
            font.setWeight(QFont::Weight(row.weight));
            return true;
        });
        ASSERT_TRUE(run(Cmd::ViewFont));
        EXPECT_EQ(frame()->settings().fontBold, row.bold);
        EXPECT_EQ(frame()->settings().fontSize, 13);
        for (CRidereDoc *doc : docs) {
            EXPECT_EQ(send(doc, Sci::SCI_STYLEGETSIZE, Sci::STYLE_DEFAULT), 13);
            EXPECT_EQ(send(doc, Sci::SCI_STYLEGETBOLD, Sci::STYLE_DEFAULT) != 0, row.bold);
        }
    }
    // A cancelled dialog's font is not taken, whatever it holds.
    frame()->setFontDialogHook([](QFont &font) {
        font.setPointSize(20);
        return false;
    });
    ASSERT_TRUE(run(Cmd::ViewFont));
    EXPECT_EQ(frame()->settings().fontSize, 13);
    EXPECT_EQ(send(docs[0], Sci::SCI_STYLEGETSIZE, Sci::STYLE_DEFAULT), 13);
}

TEST_F(MainFrameTest, PaneEntriesFollowTheRealPaneState)
{
    frame()->show();
    const int ids[] = {Cmd::PaneProjectExplorer,  Cmd::PaneFileExplorer, Cmd::PaneListExplorer,
                       Cmd::PaneDocumentSelector, Cmd::PaneFunctionList, Cmd::PaneToolWindow,
                       Cmd::PaneFindInFiles};
    for (int id : ids) {
        SCOPED_TRACE(id);
        ASSERT_NE(frame()->panes().pane(id), nullptr);
        EXPECT_TRUE(state(id).checked);
    }
    ASSERT_TRUE(run(Cmd::PaneFunctionList));
    EXPECT_FALSE(state(Cmd::PaneFunctionList).checked);
    // Closing a pane with its own button unchecks its entry too.
    frame()->panes().pane(Cmd::PaneToolWindow)->close();
    EXPECT_FALSE(state(Cmd::PaneToolWindow).checked);
    ASSERT_TRUE(run(Cmd::ShowAllPanes));
    for (int id : ids)
        EXPECT_TRUE(state(id).checked) << id;

    // The layout survives a restart; a corrupt layout file gives the default one.
    ASSERT_TRUE(run(Cmd::PaneListExplorer));
    ASSERT_TRUE(closeApp());
    startApp();
    EXPECT_FALSE(state(Cmd::PaneListExplorer).checked);
    ASSERT_TRUE(closeApp());
    QFile layout(m_dir.filePath(u"WinSettings.cfg"_s));
    ASSERT_TRUE(layout.open(QIODevice::WriteOnly));
    layout.write("[General]\nNormalLayout=@ByteArray(garbage\\0\\x1\\x2)\n");
    layout.close();
    startApp();
    EXPECT_TRUE(state(Cmd::PaneListExplorer).checked);
}

TEST_F(MainFrameTest, TabsToggleTheirTextAndGateArrangement)
{
    ASSERT_TRUE(frame()->workspace().tabsShown()) << "documents show as tabs until the user hides them";
    EXPECT_EQ(frame()->router()->action(Cmd::ToggleTabs)->text(), u"Hide Tabs"_s);
    EXPECT_FALSE(state(Cmd::WindowCascade).enabled);
    EXPECT_FALSE(state(Cmd::WindowTile).enabled);
    EXPECT_TRUE(state(Cmd::TabsAlignTop).checked);
    ASSERT_TRUE(run(Cmd::TabsAlignBottom));
    EXPECT_TRUE(state(Cmd::TabsAlignBottom).checked);
    EXPECT_FALSE(state(Cmd::TabsAlignTop).checked);
    EXPECT_EQ(frame()->workspace().area()->tabPosition(), QTabWidget::South);
    ASSERT_NE(frame()->workspace().tabBar(), nullptr);
    ASSERT_TRUE(run(Cmd::ToggleTabs));
    EXPECT_EQ(frame()->router()->action(Cmd::ToggleTabs)->text(), u"Show Tabs"_s);
    EXPECT_TRUE(state(Cmd::WindowCascade).enabled);
    EXPECT_FALSE(state(Cmd::TabsAlignLeft).enabled);

    ASSERT_TRUE(closeApp());
    startApp();
    EXPECT_FALSE(frame()->workspace().tabsShown()) << "the hidden tab row is remembered";
}

TEST_F(MainFrameTest, CloseAllButActiveAsksEachWindow)
{
    EXPECT_FALSE(state(Cmd::CloseAllButActive).enabled) << "only the start-up document";
    const QList<CRidereDoc *> docs = openThree();
    docs[0]->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "changed ");
    docs[1]->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "changed ");
    frame()->workspace().activateFrame(docs[2]->frame());
    m_answer = QMessageBox::Cancel;
    ASSERT_TRUE(run(Cmd::CloseAllButActive));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_messages.size(), 2) << "each modified window asks on its own";
    EXPECT_EQ(frame()->workspace().documentFrames().size(), 3) << "cancelled windows stay; the unmodified "
                                                      "start-up document went";
    m_answer = QMessageBox::No;
    ASSERT_TRUE(run(Cmd::CloseAllButActive));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame()->workspace().documentFrames().size(), 1);
    EXPECT_EQ(activeDoc(), docs[2]);
}

TEST_F(MainFrameTest, OpenFilesAreReopenedAtTheNextStart)
{
    const QString a = writeFile(u"a.txt"_s, "a\n");
    const QString b = writeFile(u"b.txt"_s, "b\n");
    ASSERT_NE(open(a), nullptr);
    ASSERT_NE(open(b), nullptr);
    ASSERT_TRUE(closeApp());
    QStringList stored = RegistrySettings().filesToOpen();
    stored.sort();
    EXPECT_EQ(stored, (QStringList{a, b})) << "untitled documents are not recorded";

    // A file named on the command line is ignored when files were reopened.
    const QString c = writeFile(u"c.txt"_s, "c\n");
    startApp({u"penwright"_s, c});
    QStringList opened;
    for (CMDIChildFrame *f : frame()->workspace().documentFrames())
        opened << f->document()->pathName();
    opened.sort();
    EXPECT_EQ(opened, (QStringList{a, b})) << "no empty document either";
    EXPECT_FALSE(RegistrySettings().hasFilesToOpen());
}

TEST_F(MainFrameTest, ReopenListOfMissingFilesOpensNothingAndIsCleared)
{
    ASSERT_TRUE(closeApp());
    RegistrySettings().clearFilesToOpen();
    RegistrySettings().addFileToOpen(m_dir.filePath(u"gone.txt"_s));
    startApp();
    ASSERT_EQ(frame()->workspace().documentFrames().size(), 1);
    EXPECT_TRUE(frame()->workspace().documentFrames().first()->document()->pathName().isEmpty());
    EXPECT_FALSE(RegistrySettings().hasFilesToOpen());
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(MainFrameTest, CancellingASaveQuestionKeepsTheProgramRunning)
{
    CRidereDoc *doc = open(writeFile(u"m.txt"_s, "m\n"));
    ASSERT_NE(doc, nullptr);
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "x");
    ASSERT_TRUE(run(Cmd::ViewWordWrap));
    m_answer = QMessageBox::Cancel;
    EXPECT_FALSE(frame()->close());
    EXPECT_TRUE(frame()->workspace().documentFrames().contains(doc->frame()));
    // The settings were written before the question.
    XmlSettingsStore store(frame()->settingsFile());
    EXPECT_EQ(store.getInt(u"ViewSettings"_s, u"WordWrap"_s, 0), 1);
}

TEST_F(MainFrameTest, SecondStartHandsItsFileToTheRunningProgram)
{
    ASSERT_TRUE(m_app->singleInstance()->isListening());
    const QString path = writeFile(u"handed.txt"_s, "handed\n");
    RegistrySettings().addFileToOpen(path);
    auto answered = std::async(std::launch::async, [] {
        return SingleInstance::notifyRunning(SingleInstance::defaultServerName());
    });
    while (answered.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
        QCoreApplication::processEvents();
    EXPECT_TRUE(answered.get());
    ASSERT_NE(activeDoc(), nullptr);
    EXPECT_EQ(activeDoc()->pathName(), path);
    EXPECT_FALSE(RegistrySettings().hasFilesToOpen());

    EXPECT_FALSE(SingleInstance::notifyRunning(u"Penwright-nobody-listens"_s, 200));
}

TEST_F(MainFrameTest, NavigateBackwardAndForwardAcrossWindows)
{
    const QList<CRidereDoc *> docs = openThree();
    frame()->navigation() = NavigationHistory();
    auto moveTo = [&](CRidereDoc *doc, long pos) {
        frame()->workspace().activateFrame(doc->frame());
        doc->editor()->send(Sci::SCI_GOTOPOS, pos);
        QCoreApplication::processEvents();
    };
    moveTo(docs[0], 2);
    moveTo(docs[1], 3);
    EXPECT_TRUE(state(Cmd::NavigateBackward).enabled);
    EXPECT_FALSE(state(Cmd::NavigateForward).enabled);
    ASSERT_TRUE(run(Cmd::NavigateBackward));
    EXPECT_EQ(activeDoc(), docs[0]);
    EXPECT_EQ(docs[0]->editor()->send(Sci::SCI_GETCURRENTPOS), 2);
    EXPECT_TRUE(state(Cmd::NavigateForward).enabled);
    ASSERT_TRUE(run(Cmd::NavigateForward));
    EXPECT_EQ(activeDoc(), docs[1]);
    EXPECT_EQ(docs[1]->editor()->send(Sci::SCI_GETCURRENTPOS), 3);

    // Closing a window forgets its places.
    const void *closedView = docs[1]->view();
    const auto holds = [&] {
        for (const NavigationEntry &entry : frame()->navigation().entries())
            if (entry.view == closedView)
                return true;
        return false;
    };
    ASSERT_TRUE(holds());
    docs[1]->frame()->closeWithoutAsking();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(holds());
}
