// The editor wrapper's algorithms, driven through a real offscreen editor.
#include "editor/mfcscintilla.h"
#include "framework/messages.h"

#include <QApplication>
#include <QClipboard>
#include <gtest/gtest.h>

using namespace pw;

namespace {
class WrapperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_editor.setupDefaults();
        m_editor.send(Sci::SCI_SETEOLMODE, Sci::SC_EOL_LF);
        m_previous = setMessageHook([this](MessageIcon, const QString &text, auto) {
            m_messages.append(text);
            return QMessageBox::Ok;
        });
    }
    void TearDown() override { setMessageHook(m_previous); }

    void setText(const char *text) { m_editor.sendText(Sci::SCI_SETTEXT, 0, text); }
    QByteArray text() const { return m_editor.textRange(0, m_editor.send(Sci::SCI_GETLENGTH)); }
    long caretLine() const
    {
        return m_editor.send(Sci::SCI_LINEFROMPOSITION, m_editor.send(Sci::SCI_GETCURRENTPOS));
    }

    CMFCScintilla m_editor;
    QStringList m_messages;
    MessageHook m_previous;
};
} // namespace

TEST_F(WrapperTest, BookmarksToggleAndWrap)
{
    setText("0\n1\n2\n3\n4\n");
    m_editor.toggleBookmark(1);
    m_editor.toggleBookmark(3);
    EXPECT_EQ(m_editor.send(Sci::SCI_MARKERGET, 1) & CMFCScintilla::BookmarkMask,
              CMFCScintilla::BookmarkMask);
    m_editor.send(Sci::SCI_GOTOLINE, 4);
    ASSERT_TRUE(m_editor.gotoBookmark(true, false)); // wraps to the first
    EXPECT_EQ(caretLine(), 1);
    ASSERT_TRUE(m_editor.gotoBookmark(true, false));
    EXPECT_EQ(caretLine(), 3);
    ASSERT_TRUE(m_editor.gotoBookmark(false, false));
    EXPECT_EQ(caretLine(), 1);
    ASSERT_TRUE(m_editor.gotoBookmark(false, false)); // wraps to the last
    EXPECT_EQ(caretLine(), 3);
    EXPECT_TRUE(m_messages.isEmpty());

    m_editor.toggleBookmark(1);
    ASSERT_FALSE(m_editor.gotoBookmark(true, false)) << "the only bookmark is the caret's line";
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("No more bookmarks have been found")});
    EXPECT_EQ(caretLine(), 3);

    m_editor.clearBookmarks();
    EXPECT_EQ(m_editor.send(Sci::SCI_MARKERNEXT, 0, CMFCScintilla::BookmarkMask), -1);

    // Going to a bookmark with the selection extends it from where the caret was.
    m_editor.toggleBookmark(2);
    m_editor.send(Sci::SCI_GOTOPOS, 1);
    ASSERT_TRUE(m_editor.gotoBookmark(true, true));
    EXPECT_EQ(m_editor.send(Sci::SCI_GETANCHOR), 1);
    EXPECT_EQ(m_editor.send(Sci::SCI_GETCURRENTPOS), m_editor.send(Sci::SCI_POSITIONFROMLINE, 2));
}

TEST_F(WrapperTest, CommentAndUncomment)
{
    struct Row
    {
        const char *name;
        const char *text;
        long selStart;
        long selEnd;
        bool comment;
        const char *marker;
        const char *expected;
    };
    const std::string longLine(1000, 'x');
    const std::string longText = longLine + "\nb\n";
    const std::string longExpected = longLine + "\n// b\n";
    const Row rows[] = {
        {"three lines ending at column 0 of the fourth", "a\nb\nc\nd\n", 0, 6, true, "//",
         "// a\n// b\n// c\nd\n"},
        {"empty lines too", "a\n\nc\n", 0, 5, true, "#", "# a\n# \n# c\n"},
        {"uncomment with and without space", "//x\n// x\n  // x\n", 0, 15, false, "//",
         "x\nx\n  // x\n"},
        {"empty marker comments with a space", "a\nb\n", 0, 3, true, "", " a\n b\n"},
        {"empty marker uncomments one space", "  a\nb\n", 0, 5, false, "", " a\nb\n"},
        {"a 1000-character line is skipped", longText.c_str(), 0, long(longText.size()) - 1, true,
         "//", longExpected.c_str()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        setText(row.text);
        m_editor.send(Sci::SCI_SETSEL, row.selStart, row.selEnd);
        m_editor.commentLines(row.comment, QByteArray(row.marker));
        EXPECT_EQ(text(), QByteArray(row.expected));
        // One undo step takes everything back.
        m_editor.undo();
        EXPECT_EQ(text(), QByteArray(row.text));
    }
}

TEST_F(WrapperTest, AutoIndentAfterTypedCharacters)
{
    struct Row
    {
        const char *name;
        const char *before; // the text with the caret at its end, the typed character included
        int character;
        bool nest;
        const char *expected;
    };
    m_editor.send(Sci::SCI_SETINDENT, 4);
    m_editor.send(Sci::SCI_SETUSETABS, 0);
    const Row rows[] = {
        {"keeps the indentation", "  a\n", '\n', false, "  a\n  "},
        {"opens a block", "if (a) {\n", '\n', true, "if (a) {\n    "},
        {"opened and closed block", "  x { }\n", '\n', true, "  x { }\n  "},
        {"no nesting without the flag", "if (a) {\n", '\n', false, "if (a) {\n"},
        {"closing brace aligns with its opener", "  f {\n      }", '}', true, "  f {\n  }"},
        {"other characters do nothing", "  a\nb", 'b', true, "  a\nb"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        setText(row.before);
        m_editor.send(Sci::SCI_GOTOPOS, m_editor.send(Sci::SCI_GETLENGTH));
        m_editor.autoIndent(row.character, row.nest);
        EXPECT_EQ(text(), QByteArray(row.expected));
    }
}

TEST_F(WrapperTest, BraceMatchingAndHighlight)
{
    // Only an opening brace before the caret, or a closing one after it, counts as a match.
    const struct
    {
        long caret;
        bool after; // the brace after the caret is looked at too
        bool counts;
        long brace, opposite;
    } rows[] = {
        {7, false, false, 6, 1},   // a closing brace before the caret
        {2, false, true, 1, 6},    // an opening brace before the caret
        {10, false, false, 9, -1}, // unmatched
        {8, false, false, -1, 0},  // no brace before the caret
        {3, true, false, 3, 5},    // an opening brace after the caret, its match further on
    };
    setText("f(a[1]) x)");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.caret);
        long brace = -2;
        long opposite = -2;
        m_editor.send(Sci::SCI_GOTOPOS, row.caret);
        EXPECT_EQ(m_editor.findMatchingBrace(brace, opposite, row.after), row.counts);
        EXPECT_EQ(brace, row.brace);
        if (row.brace >= 0) {
            EXPECT_EQ(opposite, row.opposite);
        }
    }
    // An unmatched brace clears the indentation guide's highlight.
    m_editor.send(Sci::SCI_GOTOPOS, 10);
    m_editor.send(Sci::SCI_SETHIGHLIGHTGUIDE, 3);
    m_editor.highlightBraces();
    EXPECT_EQ(m_editor.send(Sci::SCI_GETHIGHLIGHTGUIDE), 0);
}

TEST_F(WrapperTest, CopyAppendAndCutAppend)
{
    QClipboard *clipboard = QApplication::clipboard();
    setText("AB");
    clipboard->setText(QStringLiteral("A"));
    m_editor.send(Sci::SCI_SETSEL, 1, 2);
    m_editor.copyAppend();
    EXPECT_EQ(clipboard->text(), QStringLiteral("AB"));

    clipboard->clear();
    m_editor.cutAppend();
    EXPECT_TRUE(clipboard->text().isEmpty()) << "nothing to append to";
    EXPECT_EQ(text(), QByteArray("A")) << "cut still deletes the selection";
}

TEST_F(WrapperTest, InsertTemplateAndWordOperations)
{
    setText("x");
    m_editor.send(Sci::SCI_SETSEL, 0, 1);
    m_editor.insertTemplate("<b><%REPLACE%></b>");
    EXPECT_EQ(text(), QByteArray("<b>x</b>"));
    setText("");
    m_editor.insertTemplate("<b><%REPLACE%></b>");
    EXPECT_EQ(text(), QByteArray("<b></b>"));
    EXPECT_EQ(m_editor.send(Sci::SCI_GETCURRENTPOS), 0) << "the caret stays before the insertion";

    setText("one alpha two");
    m_editor.send(Sci::SCI_GOTOPOS, 6);
    m_editor.deleteWord();
    EXPECT_EQ(text(), QByteArray("one  two"));
    setText("one alpha two");
    m_editor.selectWord(6);
    EXPECT_EQ(m_editor.getSelectedText(), QByteArray("alpha"));
    setText("ab\ncd\n");
    m_editor.selectLine(1);
    EXPECT_EQ(m_editor.getSelectedText(), QByteArray("cd"));
}

TEST_F(WrapperTest, LineNumberMarginHoldsTheWidestNumberAndKeepsItsWidthWhileItFits)
{
    long previous = 0;
    for (int lines : {1, 9999, 10000, 100000}) {
        SCOPED_TRACE(lines);
        setText(std::string(std::size_t(lines - 1), '\n').c_str());
        m_editor.showLineNumbers(true);
        const long width = m_editor.send(Sci::SCI_GETMARGINWIDTHN, 2);
        const std::string widest(std::to_string(lines).size(), '9');
        EXPECT_GT(width,
                  m_editor.sendText(Sci::SCI_TEXTWIDTH, Sci::STYLE_LINENUMBER, widest.c_str()));
        if (lines == 9999) {
            EXPECT_EQ(width, previous) << "up to four digits the margin does not jump";
        } else if (lines > 9999) {
            EXPECT_GT(width, previous);
        }
        previous = width;
    }
    m_editor.showLineNumbers(false);
    EXPECT_EQ(m_editor.send(Sci::SCI_GETMARGINWIDTHN, 2), 0);
}
