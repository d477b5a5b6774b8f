// Format commands over the whole document: tabs and spaces, trailing blanks, read-only documents.
#include "resources/commandids.h"
#include "tests/support/appfixture.h"

using namespace pw;
using pw::test::AppFixture;

class FormatTest : public AppFixture
{
};

TEST_F(FormatTest, WholeDocumentReplacementsAreOneUndoStepAndKeepTheLine)
{
    struct Row
    {
        const char *name;
        int id;
        const char *before;
        const char *after;
    };
    const Row rows[] = {
        {"spaces to tabs: runs of the tab width", Cmd::SpacesToTabs,
         "        x\n   y\n          z\n", "\t\tx\n   y\n\t\t  z\n"},
        {"tabs to spaces", Cmd::TabsToSpaces, "\ta\t\tb\n", "    a        b\n"},
        {"trim trailing blanks and tabs", Cmd::TrimTrailingSpaces, "a  \t\nb\n\n  \nc \n",
         "a\nb\n\n\nc\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CRidereDoc *doc = open(writeFile(QStringLiteral("f.txt"), row.before));
        ASSERT_NE(doc, nullptr);
        CMFCScintilla *ed = doc->editor();
        ed->send(Sci::SCI_GOTOPOS, ed->send(Sci::SCI_POSITIONFROMLINE, 1) + 1);
        ASSERT_TRUE(run(row.id));
        EXPECT_EQ(editorText(doc), QByteArray(row.after));
        EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS), ed->send(Sci::SCI_POSITIONFROMLINE, 1))
            << "the caret goes to the start of the line it was on";
        ASSERT_TRUE(run(Cmd::EditUndo));
        EXPECT_EQ(editorText(doc), QByteArray(row.before)) << "one undo takes it all back";
        doc->frame()->closeWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(FormatTest, ReadOnlyDocumentsAreLeftAlone)
{
    const QString path = writeFile(QStringLiteral("ro.txt"), "a  \n\tb\n");
    m_app->openRequest() = OpenRequest{OpenAuto, 4, 0, true};
    auto *doc = qobject_cast<CRidereDoc *>(m_app->openDocumentFile(path));
    ASSERT_NE(doc, nullptr);
    for (int id : {Cmd::TrimTrailingSpaces, Cmd::TabsToSpaces, Cmd::SpacesToTabs,
                   Cmd::EditDeleteLine, Cmd::UpperCase}) {
        run(id);
        EXPECT_EQ(editorText(doc), QByteArray("a  \n\tb\n")) << id;
    }
    EXPECT_FALSE(doc->isModified());
}
