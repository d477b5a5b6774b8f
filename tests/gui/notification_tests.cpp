// Which modifications the editor reports by the text's size, quiet runs of changes, the
// accessible's choice and the line-number margin on texts too large to report insertions.
#include "editor/ridereview.h"
#include "resources/commandids.h"
#include "settings/framesettings.h"
#include "tests/support/appfixture.h"

#include <QAccessible>
#include <QApplication>

using namespace pw;
using pw::test::AppFixture;

namespace {

constexpr int InsertOrDelete = Sci::SC_MOD_INSERTTEXT | Sci::SC_MOD_DELETETEXT;

// Counts the editor's modification reports by kind.
struct Reports
{
    explicit Reports(CMFCScintilla *editor)
    {
        QObject::connect(editor, &QsciScintillaBase::SCN_MODIFIED, editor,
                         [this](int, int type, const char *, int, int, int, int, int, int, int) {
                             if (type & InsertOrDelete)
                                 ++insertions;
                             if (type & Sci::SC_MOD_CHANGEFOLD)
                                 ++folds;
                         });
    }
    int insertions = 0;
    int folds = 0;
};

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

QByteArray textOfSize(long bytes)
{
    QByteArray line(63, 'x');
    line += '\n';
    QByteArray text;
    text.reserve(bytes);
    while (text.size() + line.size() <= bytes)
        text += line;
    return text;
}

} // namespace

TEST(EditorReports, LargeTextsReportAllButInsertionsAndDeletionsUntilTheyShrink)
{
    struct Row
    {
        const char *name;
        long bytes;
        bool reportsInsertions;
    };
    const Row rows[] = {
        {"just under the limit", CMFCScintilla::QuietDocumentBytes - 100, true},
        {"at the limit", CMFCScintilla::QuietDocumentBytes, false},
        {"ten times the limit", 10 * CMFCScintilla::QuietDocumentBytes, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CMFCScintilla editor;
        editor.setupDefaults();
        editor.resize(400, 300);
        editor.show();
        QByteArray text = textOfSize(row.bytes);
        text += QByteArray(row.bytes - text.size(), 'y');
        editor.send(Sci::SCI_APPENDTEXT, text.size(), reinterpret_cast<long>(text.constData()));
        settle(); // the content update after the change sets what is reported from now on
        Reports reports(&editor);
        const long end = editor.send(Sci::SCI_GETLENGTH);
        editor.sendText(Sci::SCI_INSERTTEXT, end, "z");
        editor.send(Sci::SCI_DELETERANGE, end, 1);
        editor.send(Sci::SCI_SETFOLDLEVEL, 0, Sci::SC_FOLDLEVELBASE | Sci::SC_FOLDLEVELHEADERFLAG);
        EXPECT_EQ(reports.insertions, row.reportsInsertions ? 2 : 0);
        EXPECT_EQ(reports.folds, 1) << "fold changes are always reported";
        EXPECT_EQ(editor.send(Sci::SCI_GETLENGTH), end);
        if (!row.reportsInsertions) { // shrinking below the limit reports them again
            editor.send(Sci::SCI_DELETERANGE, 0, end - 10);
            settle();
            editor.sendText(Sci::SCI_INSERTTEXT, 0, "a");
            EXPECT_EQ(reports.insertions, 1);
        }
    }
}

TEST(EditorReports, QuietRunsNestAndUndoAsOneStep)
{
    CMFCScintilla editor;
    editor.setupDefaults();
    editor.sendText(Sci::SCI_SETTEXT, 0, "abc");
    editor.send(Sci::SCI_EMPTYUNDOBUFFER);
    Reports reports(&editor);
    const long mask = editor.send(Sci::SCI_GETMODEVENTMASK);
    {
        CMFCScintilla::QuietChanges outer(&editor);
        {
            CMFCScintilla::QuietChanges inner(&editor);
            editor.sendText(Sci::SCI_INSERTTEXT, 0, "1");
        }
        EXPECT_EQ(editor.send(Sci::SCI_GETMODEVENTMASK), 0) << "the outer run is still quiet";
        editor.sendText(Sci::SCI_INSERTTEXT, 0, "2");
        editor.send(Sci::SCI_DELETERANGE, 4, 1);
    }
    EXPECT_EQ(editor.send(Sci::SCI_GETMODEVENTMASK), mask);
    EXPECT_EQ(reports.insertions, 0);
    EXPECT_EQ(editor.textRange(0, editor.send(Sci::SCI_GETLENGTH)), QByteArray("21ab"));
    editor.undo();
    EXPECT_EQ(editor.textRange(0, editor.send(Sci::SCI_GETLENGTH)), QByteArray("abc"));
    EXPECT_FALSE(editor.canUndo()) << "the whole run was one step";
}

TEST(EditorReports, AccessibleTranslatesPositionsOnlyForListenersOnSmallTexts)
{
    CMFCScintilla editor;
    editor.setupDefaults();
    editor.show();
    editor.sendText(Sci::SCI_SETTEXT, 0, "small text");
    settle();
    const auto hasText = [&] {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&editor);
        return iface && iface->textInterface() != nullptr;
    };
    QAccessible::setActive(false);
    EXPECT_FALSE(hasText()) << "nobody listens: nothing to translate";
    QAccessible::setActive(true);
    EXPECT_TRUE(hasText()) << "a listener on a small text gets the full interface";
    QAccessibleInterface *full = QAccessible::queryAccessibleInterface(&editor);
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->role(), QAccessible::EditableText);

    const QByteArray big = textOfSize(2 * CMFCScintilla::QuietDocumentBytes);
    editor.send(Sci::SCI_APPENDTEXT, big.size(), reinterpret_cast<long>(big.constData()));
    settle();
    EXPECT_FALSE(hasText()) << "a large text costs too much per caret move";
    editor.send(Sci::SCI_CLEARALL);
    settle();
    EXPECT_TRUE(hasText());
    QAccessible::setActive(false);
    EXPECT_FALSE(hasText());
}

using LargeDocumentViewTest = AppFixture;

TEST_F(LargeDocumentViewTest, LineNumberMarginFollowsLinesAddedToALargeText)
{
    ASSERT_TRUE(run(Cmd::ViewLineNumbers));
    ASSERT_TRUE(frame()->settings().lineNumbers);
    // 20,000 lines: five digits.
    CRidereDoc *doc = open(writeFile(QStringLiteral("big.txt"), textOfSize(20000 * 64)));
    ASSERT_NE(doc, nullptr);
    CMFCScintilla *ed = doc->editor();
    frame()->show();
    settle();
    ASSERT_GE(ed->send(Sci::SCI_GETLENGTH), CMFCScintilla::QuietDocumentBytes);
    const long before = ed->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin);
    EXPECT_EQ(before, ed->lineNumberMarginWidth());

    // A paste of 100,000 more lines: six digits.
    const QByteArray more = QByteArray("line\n").repeated(100000);
    ed->send(Sci::SCI_DOCUMENTEND);
    ed->send(Sci::SCI_ADDTEXT, more.size(), reinterpret_cast<long>(more.constData()));
    settle();
    const long after = ed->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin);
    EXPECT_GT(after, before);
    EXPECT_EQ(after, ed->lineNumberMarginWidth());

    ASSERT_TRUE(run(Cmd::EditUndo));
    settle();
    EXPECT_EQ(ed->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin), before)
        << "taking the lines back narrows the margin again";
}
