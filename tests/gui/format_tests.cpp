// Format commands over the whole document: tabs and spaces, trailing blanks, read-only documents.
#include "editor/ridereview.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"

using namespace pw;
using pw::test::AppFixture;

using FormatTest = AppFixture;

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
        ASSERT_TRUE(run(Cmd::SetReadOnly));
        run(row.id);
        EXPECT_EQ(editorText(doc), QByteArray(row.before)) << "a read-only document is left alone";
        EXPECT_FALSE(doc->isModified());
        doc->frame()->closeWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

namespace {
// 400 lines, each with a tab to widen and trailing blanks to trim.
QByteArray indentedLines()
{
    QByteArray text;
    for (int i = 0; i < 400; ++i)
        text += "\tline " + QByteArray::number(i) + (i % 10 == 0 ? " {" : "") + "  \n";
    return text;
}
} // namespace

TEST_F(FormatTest, BookmarksMarksAndFoldsStayWithTheirLines)
{
    struct Row
    {
        const char *name;
        int id;
    };
    const Row rows[] = {
        {"tabs to spaces", Cmd::TabsToSpaces},
        {"trim", Cmd::TrimTrailingSpaces},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CRidereDoc *doc = open(writeFile(QStringLiteral("lines.txt"), indentedLines()));
        ASSERT_NE(doc, nullptr);
        CMFCScintilla *ed = doc->editor();

        // Bookmarks made before the command.
        ed->toggleBookmark(7);
        ed->toggleBookmark(250);
        ASSERT_TRUE(run(row.id));
        EXPECT_EQ(ed->lineMarkers(),
                  (std::vector<std::pair<long, int>>{{7, CMFCScintilla::BookmarkMask},
                                                     {250, CMFCScintilla::BookmarkMask}}));
        ASSERT_TRUE(run(Cmd::EditUndo));
        EXPECT_EQ(editorText(doc), indentedLines());
        ed->clearBookmarks();

        // Bookmarks made after a command that ran with none, then the command undone and redone.
        ASSERT_TRUE(run(row.id));
        ed->toggleBookmark(3);
        ed->toggleBookmark(399);
        const auto marks = ed->lineMarkers();
        ASSERT_EQ(marks.size(), 2u);
        ASSERT_TRUE(run(Cmd::EditUndo));
        EXPECT_EQ(ed->lineMarkers(), marks) << "undo";
        ASSERT_TRUE(run(Cmd::EditRedo));
        EXPECT_EQ(ed->lineMarkers(), marks) << "redo";
        ASSERT_TRUE(run(Cmd::EditUndo));
        ed->clearBookmarks();

        // Indicator marks on the text between the changes.
        const long word = ed->send(Sci::SCI_GETLINEINDENTPOSITION, 9);
        ed->send(Sci::SCI_SETINDICATORCURRENT, 1);
        ed->send(Sci::SCI_INDICATORFILLRANGE, word, 4);
        ASSERT_TRUE(run(row.id));
        const long moved = ed->send(Sci::SCI_GETLINEINDENTPOSITION, 9);
        EXPECT_NE(ed->send(Sci::SCI_INDICATORVALUEAT, 1, moved), 0)
            << "the mark on line 9's word is still there";
        EXPECT_EQ(ed->send(Sci::SCI_INDICATOREND, 1, moved), moved + 4);
        ASSERT_TRUE(run(Cmd::EditUndo));

        // A folded block.
        ed->send(Sci::SCI_SETFOLDLEVEL, 10, Sci::SC_FOLDLEVELBASE | Sci::SC_FOLDLEVELHEADERFLAG);
        for (long line = 11; line < 20; ++line)
            ed->send(Sci::SCI_SETFOLDLEVEL, line, Sci::SC_FOLDLEVELBASE + 1);
        ed->send(Sci::SCI_SETFOLDEXPANDED, 10, 0);
        ed->send(Sci::SCI_HIDELINES, 11, 19);
        ASSERT_TRUE(run(row.id));
        EXPECT_EQ(ed->send(Sci::SCI_GETFOLDEXPANDED, 10), 0);
        EXPECT_EQ(ed->send(Sci::SCI_GETLINEVISIBLE, 15), 0);
        doc->frame()->closeWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
