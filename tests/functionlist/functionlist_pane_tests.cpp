// The Code Function List pane: refresh requests, the worker's results in the list, "Language not
// supported", item-by-item updates and the double click.
#include "functionlist/functionlistpane.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <Qsci/qsciscintillabase.h>
#include <gtest/gtest.h>

using namespace pw;

namespace {

const QString PathA = QStringLiteral("/tmp/a.c");
const QString PathB = QStringLiteral("/tmp/b.py");

const QByteArray CSource("int alpha(void)\n{\n  return 1;\n}\n\nint beta(int x)\n{\n"
                         "  return x;\n}\n");

class PaneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pane.resize(300, 400);
        m_pane.show();
    }
    // Waits until the list has changed count times in all; false on timeout.
    bool waitForList(int count = 1)
    {
        while (m_spy.count() < count)
            if (!m_spy.wait(30000))
                return false;
        return true;
    }
    // Lists alpha and beta of CSource for PathA.
    bool showC()
    {
        m_pane.requestRefresh(PathA, CSource, 2, false, 10);
        return waitForList(m_spy.count() + 1);
    }
    std::vector<QListWidgetItem *> items() const
    {
        std::vector<QListWidgetItem *> out;
        for (int i = 0; i < m_pane.listWidget()->count(); ++i)
            out.push_back(m_pane.listWidget()->item(i));
        return out;
    }

    CFunctionList m_pane;
    QSignalSpy m_spy{&m_pane, &CFunctionList::listUpdated};
};

} // namespace

TEST_F(PaneTest, ListsTheFunctionsOfARequestedDocument)
{
    EXPECT_EQ(m_pane.objectName(), QStringLiteral("FunctionList"));
    m_pane.requestRefresh(PathA, CSource, 2, false, CFunctionList::LoadDelayMs);
    EXPECT_TRUE(m_pane.isRefreshPending());
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(m_pane.names(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));
    EXPECT_EQ(m_pane.lines(), (QList<int>{0, 5}));
    EXPECT_EQ(m_pane.listWidget()->item(1)->data(Qt::UserRole).toInt(), 5);
    EXPECT_FALSE(m_pane.isRefreshPending());
    EXPECT_EQ(m_pane.lastStatus(), functionlist::ParseStatus::Complete);
}

TEST_F(PaneTest, UnsupportedLanguageShowsOneItemUntilASupportedDocumentComes)
{
    m_pane.requestRefresh(QStringLiteral("/tmp/x.txt"), QByteArray("text"), 9, false, 10);
    ASSERT_TRUE(waitForList());
    ASSERT_EQ(m_pane.listWidget()->count(), 1);
    EXPECT_EQ(m_pane.listWidget()->item(0)->text(), QStringLiteral("Language not supported"));
    EXPECT_EQ(m_pane.listWidget()->item(0)->data(Qt::UserRole).toInt(), -1);
    EXPECT_TRUE(m_pane.isNotSupportedShown());
    EXPECT_TRUE(m_pane.names().isEmpty()) << "nothing for Auto Complete";
    QSignalSpy jumps(&m_pane, &CFunctionList::jumpToLine);
    QListWidget *list = m_pane.listWidget();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(jumps.count(), 0) << "the message is no function to jump to";

    QListWidgetItem *const shown = m_pane.listWidget()->item(0);
    m_pane.requestRefresh(QStringLiteral("/tmp/y.txt"), QByteArray("more"), 9, false, 10);
    ASSERT_TRUE(waitForList(2));
    EXPECT_EQ(m_pane.listWidget()->item(0), shown) << "an unchanged message is left alone";

    m_pane.requestRefresh(PathA, CSource, 3, false, 10);
    ASSERT_TRUE(waitForList(3));
    EXPECT_EQ(m_pane.names(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));
    EXPECT_FALSE(m_pane.isNotSupportedShown());
}

TEST_F(PaneTest, EditsWaitForARefreshThatIsForced)
{
    m_pane.requestRefresh(PathA, CSource, 2, false, CFunctionList::LoadDelayMs);
    ASSERT_TRUE(waitForList());

    // A repaint of the same document asks again, unforced: nothing happens.
    const QByteArray edited = QByteArray(CSource).append("int gamma(void) { return 3; }\n");
    m_pane.requestRefresh(PathA, edited, 2, false, CFunctionList::PaintedDelayMs);
    EXPECT_FALSE(m_pane.isRefreshPending());
    EXPECT_FALSE(m_spy.wait(700));
    EXPECT_EQ(m_pane.names().size(), 2);

    // F9 forces it.
    m_pane.requestRefresh(PathA, edited, 2, true, CFunctionList::ForcedDelayMs);
    ASSERT_TRUE(waitForList(2));
    EXPECT_EQ(m_pane.names(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta"),
                                           QStringLiteral("gamma")}));
}

TEST_F(PaneTest, ARequestDuringTheQuietTimeReplacesTheEarlierOne)
{
    m_pane.requestRefresh(PathA, CSource, 2, false, 50);
    m_pane.requestRefresh(PathB, QByteArray("def only():\n  pass\n"), 22, false, 50);
    ASSERT_TRUE(waitForList());
    EXPECT_FALSE(m_spy.wait(300)) << "the first request never parsed";
    EXPECT_EQ(m_pane.names(), QStringList{QStringLiteral("only")});
}

TEST_F(PaneTest, NoLanguageOrTooLongEmptiesTheListWithoutParsing)
{
    ASSERT_TRUE(showC());
    ASSERT_EQ(m_pane.listWidget()->count(), 2);

    m_pane.requestRefresh(QStringLiteral("/tmp/plain"), QByteArray("int f(void) {}\n"), 0, false,
                          10);
    EXPECT_EQ(m_pane.listWidget()->count(), 0) << "emptied at once";
    EXPECT_FALSE(m_pane.isRefreshPending());

    m_pane.requestRefresh(PathA, CSource, 2, false, 10);
    ASSERT_TRUE(waitForList(3));
    ASSERT_EQ(m_pane.listWidget()->count(), 2);
    QByteArray huge = CSource;
    huge.append(QByteArray(CFunctionList::MaxDocumentBytes, ' '));
    m_pane.requestRefresh(QStringLiteral("/tmp/huge.c"), huge, 2, true, 10);
    EXPECT_EQ(m_pane.listWidget()->count(), 0);
    EXPECT_FALSE(m_spy.wait(200)) << "no parse of a document that long";

    // Just under the limit still parses.
    QByteArray big = CSource;
    big.append(QByteArray(CFunctionList::MaxDocumentBytes - CSource.size() - 1, ' '));
    m_pane.requestRefresh(QStringLiteral("/tmp/big.c"), big, 2, false, 10);
    ASSERT_TRUE(waitForList(5));
    EXPECT_EQ(m_pane.names().size(), 2);
}

TEST_F(PaneTest, UpdatesKeepTheItemsThatDidNotChange)
{
    const QByteArray three("int a(void) {}\nint b(void) {}\nint c(void) {}\n");
    m_pane.requestRefresh(PathA, three, 2, true, 10);
    ASSERT_TRUE(waitForList());
    const auto before = items();
    ASSERT_EQ(before.size(), 3u);

    m_pane.requestRefresh(PathA, QByteArray(three).append("int d(void) {}\n"), 2, true, 10);
    ASSERT_TRUE(waitForList(2));
    const auto grown = items();
    ASSERT_EQ(grown.size(), 4u);
    EXPECT_EQ(std::vector<QListWidgetItem *>(grown.begin(), grown.begin() + 3), before)
        << "the first three items were not rebuilt";

    m_pane.requestRefresh(PathA, QByteArray("int a(void) {}\nint c(void) {}\n"), 2, true, 10);
    ASSERT_TRUE(waitForList(3));
    EXPECT_EQ(m_pane.names(), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(items().front(), before.front());
}

TEST_F(PaneTest, DoubleClickJumpsToAFunctionAndAFunctionIsSelectedByItsLines)
{
    ASSERT_TRUE(showC());
    m_pane.selectFunctionAt(7);
    EXPECT_EQ(m_pane.listWidget()->currentRow(), 1);
    m_pane.selectFunctionAt(4);
    EXPECT_TRUE(m_pane.listWidget()->selectedItems().isEmpty()) << "between the functions";

    QSignalSpy jumps(&m_pane, &CFunctionList::jumpToLine);
    QListWidget *list = m_pane.listWidget();
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(jumps.count(), 1);
    EXPECT_EQ(jumps.at(0).at(0).toInt(), 5);

    const QPoint empty(second.center().x(), second.bottom() + 100);
    ASSERT_FALSE(list->itemAt(empty));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(jumps.count(), 1) << "nothing under the mouse, nothing to jump to";
}

TEST_F(PaneTest, ReadsAnEditorsTextWhenTheQuietTimeEnds)
{
    auto *editor = new QsciScintillaBase;
    editor->SendScintilla(QsciScintillaBase::SCI_SETTEXT, "def early():\n  pass\n");
    m_pane.requestRefresh(editor, PathB, 22, false, 100);
    // Typed during the quiet time: the parse sees it.
    editor->SendScintilla(QsciScintillaBase::SCI_SETTEXT, "def late():\n  pass\n");
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(m_pane.names(), QStringList{QStringLiteral("late")});

    // An editor closed before the quiet time ends is not read.
    editor->SendScintilla(QsciScintillaBase::SCI_SETTEXT, "def gone():\n  pass\n");
    m_pane.requestRefresh(editor, PathB, 22, true, 100);
    delete editor;
    EXPECT_FALSE(m_spy.wait(400));
    EXPECT_EQ(m_pane.names(), QStringList{QStringLiteral("late")});
}

TEST(PaneLifetime, DestroyingThePaneDuringAParseIsSafe)
{
    QByteArray line;
    for (int i = 0; i < 125000; ++i)
        line += "f(a)";
    line.append('\n');
    for (int round = 0; round < 3; ++round) {
        auto pane = std::make_unique<CFunctionList>();
        pane->requestRefresh(PathA, line.left(CFunctionList::MaxDocumentBytes - 2), 2, false, 0);
        QTest::qWait(30);
        EXPECT_TRUE(pane->isRefreshPending());
        pane.reset();
        QCoreApplication::processEvents();
    }
}

// A parse that runs out of work for another document empties the list instead of leaving the
// last document's names, which Auto Complete and a double click would then use.
TEST(PaneBounds, AnIncompleteParseOfAnotherDocumentEmptiesTheList)
{
    functionlist::ParseOptions tight;
    tight.workBase = 4096;
    tight.workPerByte = 0;
    CFunctionList pane(nullptr, tight);
    QSignalSpy spy(&pane, &CFunctionList::listUpdated);
    pane.requestRefresh(PathA, CSource, 2, true, 0);
    ASSERT_TRUE(spy.wait(30000));
    ASSERT_EQ(pane.names(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));
    EXPECT_EQ(pane.shownPath(), PathA);

    QByteArray big;
    for (int i = 0; i < 2000; ++i)
        big += "int f" + QByteArray::number(i) + "(void)\n{\n}\n";
    pane.requestRefresh(QStringLiteral("/tmp/big.c"), big, 2, true, 0);
    ASSERT_TRUE(spy.wait(30000));
    EXPECT_EQ(pane.lastStatus(), functionlist::ParseStatus::Incomplete);
    EXPECT_TRUE(pane.names().isEmpty());
    EXPECT_EQ(pane.shownPath(), QStringLiteral("/tmp/big.c"));

    // The same document running out of work keeps what it showed.
    pane.requestRefresh(PathA, CSource, 2, true, 0);
    ASSERT_TRUE(spy.wait(30000));
    pane.requestRefresh(PathA, CSource + big, 2, true, 0);
    QTest::qWait(200);
    while (pane.isRefreshPending())
        QTest::qWait(20);
    EXPECT_EQ(pane.names(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));
}
