// The Function List pane in the running program: filled on open, refreshed by F9, jumps on request.
#include "functionlist/functionlistpane.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>

using namespace pw;
using pw::test::AppFixture;

class FunctionPaneTest : public AppFixture
{
protected:
    CFunctionList *pane() const { return frame()->findChild<CFunctionList *>(); }
    // Waits for the worker; the list follows a parse within a moment.
    bool waitForNames(const QStringList &wanted)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            QTest::qWait(20);
            if (pane()->names() == wanted)
                return true;
        }
        ADD_FAILURE() << "list shows: "
                      << pane()->names().join(QLatin1Char(',')).toStdString();
        return false;
    }
};

TEST_F(FunctionPaneTest, OpeningFillsTheListAndF9FollowsEdits)
{
    CRidereDoc *doc =
        open(writeFile(QStringLiteral("m.c"), "int alpha(int a)\n{\n    return a;\n}\n\n"
                                              "static void beta(void)\n{\n}\n"));
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->languageId(), 2);
    ASSERT_TRUE(waitForNames({QStringLiteral("alpha"), QStringLiteral("beta")}));
    EXPECT_TRUE(state(Cmd::AutoComplete).enabled);

    doc->editor()->sendText(Sci::SCI_APPENDTEXT, 21, "\nint gamma(void)\n{\n}\n");
    EXPECT_TRUE(state(Cmd::RefreshFunctionList).enabled);
    ASSERT_TRUE(run(Cmd::RefreshFunctionList));
    ASSERT_TRUE(
        waitForNames({QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")}));

    // The pane asks for a jump; the editor's caret goes to the function's line.
    emit pane()->jumpToLine(5);
    EXPECT_EQ(
        doc->editor()->send(Sci::SCI_LINEFROMPOSITION, doc->editor()->send(Sci::SCI_GETCURRENTPOS)),
        5);
}

TEST_F(FunctionPaneTest, UnsupportedLanguagesSaySo)
{
    CRidereDoc *doc = open(writeFile(QStringLiteral("n.txt"), "just text\n"));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(run(Cmd::RefreshFunctionList));
    QElapsedTimer timer;
    timer.start();
    while (!pane()->isNotSupportedShown() && timer.elapsed() < 5000)
        QTest::qWait(20);
    EXPECT_TRUE(pane()->isNotSupportedShown());
    EXPECT_FALSE(state(Cmd::AutoComplete).enabled) << "nothing to offer";
}
