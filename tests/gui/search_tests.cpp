// Find and replace in a running program: the view's search operations, the toolbar box, both
// dialogs and Go To Line.
#include "settings/framesettings.h"
#include "settings/registrysettings.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"
#include "chrome/statuspanes.h"
#include "editor/editorsearch.h"
#include "editor/mfcscintilla.h"
#include "editor/recordedsteps.h"
#include "editor/ridereview.h"
#include "resources/commandids.h"
#include "search/finddialogs.h"
#include "search/findreplacecontroller.h"
#include "search/gotodialog.h"
#include "search/toolbarfindcombobox.h"
#include "tests/support/appfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>

using namespace pw;
using pw::test::AppFixture;

namespace {

const QString SearchHistory = QStringLiteral("SearchHistory");

} // namespace

// ---- The program

class SearchTest : public AppFixture
{
protected:
    CRidereDoc *openText(const QByteArray &text, const char *name = "doc.txt")
    {
        CRidereDoc *doc = open(writeFile(QString::fromLatin1(name), text));
        EXPECT_NE(doc, nullptr);
        return doc;
    }
    static long send(CRidereDoc *doc, unsigned msg, unsigned long w = 0, long l = 0)
    {
        return doc->editor()->send(msg, w, l);
    }
    static QByteArray selection(CRidereDoc *doc) { return doc->editor()->getSelectedText(); }
    FindReplaceController *controller() { return frame()->findChild<FindReplaceController *>(); }
    // The searches of one editor, as the commands run them.
    static EditorSearch search(CRidereDoc *doc) { return EditorSearch(doc->editor(), nullptr); }
    static qint64 findNext(CRidereDoc *doc, const QByteArray &text, bool up, bool wrap)
    {
        return search(doc).findNext(text, {}, up, wrap).position;
    }
    static qint64 replaceAll(CRidereDoc *doc, const QByteArray &text, const QByteArray &with,
                             bool regExp, bool inSelection)
    {
        return search(doc).replaceAll(text, with, {false, false, regExp}, inSelection).count;
    }
    QString settings() const { return m_app->mainFrame()->settingsFile(); }
    CToolbarFindComboBox *toolbarBox()
    {
        if (!controller()->toolbarBox())
            controller()->createToolbarBox(frame())->show();
        return controller()->toolbarBox();
    }
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    // Keys go where the user's would: the box's edit field in the active main window.
    void focus(QWidget *widget)
    {
        frame()->activateWindow();
        widget->setFocus();
        QCoreApplication::processEvents();
    }
    QString lastMessage() const { return m_messages.isEmpty() ? QString() : m_messages.last(); }
};

TEST_F(SearchTest, FindNextWrapsUpwardAndDownward)
{
    CRidereDoc *doc = openText("foo bar foo\nfoo end\n");
    send(doc, Sci::SCI_SETSEL, 0, 0);
    // Upwards from the start with wrap: the last match of the document.
    EXPECT_EQ(findNext(doc, "foo", true, true), 12);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 12);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONEND), 15);
    EXPECT_EQ(findNext(doc, "foo", true, true), 8);
    // Downwards past the last match: around to the first.
    send(doc, Sci::SCI_SETSEL, 13, 13);
    EXPECT_EQ(findNext(doc, "foo", false, true), 0);
    send(doc, Sci::SCI_SETSEL, 13, 13);
    EXPECT_EQ(search(doc).findNext("foo", {}, false, false).outcome, SearchOutcome::NotFound);
    // A match inside a folded block is unfolded.
    send(doc, Sci::SCI_SETSEL, 0, 0);
    send(doc, Sci::SCI_SETFOLDLEVEL, 0, Sci::SC_FOLDLEVELBASE | Sci::SC_FOLDLEVELHEADERFLAG);
    send(doc, Sci::SCI_SETFOLDLEVEL, 1, Sci::SC_FOLDLEVELBASE + 1);
    send(doc, Sci::SCI_TOGGLEFOLD, 0);
    ASSERT_FALSE(send(doc, Sci::SCI_GETLINEVISIBLE, 1));
    EXPECT_EQ(findNext(doc, "end", false, true), 16);
    EXPECT_TRUE(send(doc, Sci::SCI_GETLINEVISIBLE, 1));
}

TEST_F(SearchTest, QuickSearchUsesTheSelectionOrTheToolbarBox)
{
    CRidereDoc *doc = openText("Foo foo FOO\n");
    toolbarBox()->setEditText(QStringLiteral("foo"));
    send(doc, Sci::SCI_SETSEL, 0, 0);
    // Shift+F3 at the start: nothing above and no wrap.
    ASSERT_TRUE(run(Cmd::FindPrevious));
    EXPECT_EQ(lastMessage(), QStringLiteral("The search text was not found"));
    EXPECT_EQ(m_icons.back(), MessageIcon::Information);
    // F3 ignores the case whatever the dialogs hold, and walks on from the selection.
    search(doc).findNext("x", {true, true, false}, false, true);
    ASSERT_TRUE(run(Cmd::FindNext));
    EXPECT_EQ(selection(doc), QByteArray("Foo"));
    ASSERT_TRUE(run(Cmd::FindNext));
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 4);
    ASSERT_TRUE(run(Cmd::FindNext));
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 8);
    EXPECT_EQ(send(doc, Sci::SCI_GETSEARCHFLAGS), 0);
    // The searched text went into the box's history, and the selection is remembered.
    EXPECT_TRUE(toolbarBox()->entries().contains(QStringLiteral("FOO"), Qt::CaseInsensitive));
    EXPECT_EQ(XmlSettingsStore(settings()).getString(settings::findReplace::LastSelectedValue),
              QStringLiteral("foo"));
}

TEST_F(SearchTest, CaretNIsTheDocumentsLineEnd)
{
    CRidereDoc *doc = openText("xa\nby\n");
    send(doc, Sci::SCI_SETEOLMODE, Sci::SC_EOL_LF);
    send(doc, Sci::SCI_SETSEL, 0, 0);
    EXPECT_EQ(controller()->find(QStringLiteral("a^nb"), {}, false, true).position, 1);
    EXPECT_EQ(selection(doc), QByteArray("a\nb"));
    send(doc, Sci::SCI_SETEOLMODE, Sci::SC_EOL_CRLF);
    EXPECT_FALSE(controller()->find(QStringLiteral("a^nb"), {}, false, true).found());
}

TEST_F(SearchTest, ReplaceAllIsOneUndoStepAndLeavesTheCaretAfterTheLastReplacement)
{
    CRidereDoc *doc = openText("x x x\n");
    CReplaceDialog *dialog = controller()->showReplaceDialog(doc->view(), QStringLiteral("x"));
    dialog->replaceBox()->setEditText(QStringLiteral("y"));
    dialog->replaceAll();
    EXPECT_EQ(lastMessage(), QStringLiteral("3 occurrence(s) replaced"));
    EXPECT_EQ(editorText(doc), QByteArray("y y y\n"));
    EXPECT_EQ(send(doc, Sci::SCI_GETCURRENTPOS), 5);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 5);
    EXPECT_TRUE(doc->isModified());
    send(doc, Sci::SCI_UNDO);
    EXPECT_EQ(editorText(doc), QByteArray("x x x\n"));
    // A read-only text is left alone: nothing replaced, or nothing to replace.
    doc->editor()->setReadOnly(true);
    const SearchResult present = search(doc).replaceAll("x", "y", {}, false);
    EXPECT_EQ(present.outcome, SearchOutcome::Found);
    EXPECT_EQ(present.count, 0);
    EXPECT_EQ(search(doc).replaceAll("z", "y", {}, false).outcome, SearchOutcome::NotFound);
    EXPECT_EQ(editorText(doc), QByteArray("x x x\n"));
}

// A Replace All's step is played from the editor's own record, not the component's, whichever
// way Undo and Redo come; the component's history around it stays as it was.
TEST_F(SearchTest, ReplaceAllUndoAndRedoPlayTheEditorsRecordInTheComponentsHistory)
{
    const QByteArray text = "alpha beta\n\ngamma\r\ndelta\n";
    CRidereDoc *doc = openText(text);
    CMFCScintilla *ed = doc->editor();
    ed->toggleBookmark(2);
    send(doc, Sci::SCI_SETSEL, 0, 0);
    send(doc, Sci::SCI_REPLACESEL, 0, reinterpret_cast<long>("> "));
    const QByteArray typed = "> " + text;
    ASSERT_EQ(replaceAll(doc, "[a-z]+", "word", true, false), 4);
    const QByteArray replaced = "> word word\n\nword\r\nword\n";
    ASSERT_EQ(editorText(doc), replaced);
    EXPECT_EQ(ed->recordedSteps().size(), 1U);
    // A second one on top, then everything back step by step, in order.
    ASSERT_EQ(replaceAll(doc, "o", "0", false, false), 4);
    const QByteArray twice = "> w0rd w0rd\n\nw0rd\r\nw0rd\n";
    ASSERT_TRUE(run(Cmd::EditUndo));
    EXPECT_EQ(editorText(doc), replaced);
    ASSERT_TRUE(run(Cmd::EditUndo));
    EXPECT_EQ(editorText(doc), typed);
    EXPECT_TRUE(doc->isModified());
    ASSERT_TRUE(run(Cmd::EditUndo));
    EXPECT_EQ(editorText(doc), text);
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(send(doc, Sci::SCI_MARKERNEXT, 0, CMFCScintilla::BookmarkMask), 2);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(run(Cmd::EditRedo));
    EXPECT_EQ(editorText(doc), twice);
    EXPECT_TRUE(doc->isModified());
    // The component's own keys reach the step too.
    QTest::keyClick(ed, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(editorText(doc), replaced);
    QTest::keyClick(ed, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(editorText(doc), twice);
    // Typing after an undo drops what could be redone, and its record with it.
    ASSERT_TRUE(run(Cmd::EditUndo));
    send(doc, Sci::SCI_SETSEL, 0, 0);
    send(doc, Sci::SCI_REPLACESEL, 0, reinterpret_cast<long>("!"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ed->canRedo());
    EXPECT_EQ(ed->recordedSteps().size(), 1U);
    ASSERT_TRUE(run(Cmd::EditUndo));
    ASSERT_TRUE(run(Cmd::EditUndo));
    EXPECT_EQ(editorText(doc), typed);
}

// A read-only text says nothing can be redone; a step undone before it became read-only still
// can be once it is editable again.
TEST_F(SearchTest, AReplaceAllUndoneBeforeTheTextWasMadeReadOnlyCanBeRedoneAfter)
{
    CRidereDoc *doc = openText("abc abc\n");
    CMFCScintilla *ed = doc->editor();
    ASSERT_EQ(replaceAll(doc, "b", "X", false, false), 2);
    ASSERT_TRUE(run(Cmd::EditUndo));
    ed->setReadOnly(true);
    ed->toggleBookmark(0);
    QCoreApplication::processEvents();
    ed->setReadOnly(false);
    ASSERT_TRUE(run(Cmd::EditRedo));
    EXPECT_EQ(editorText(doc), QByteArray("aXc aXc\n"));
}

TEST_F(SearchTest, ReplaceAllInTheSelectionTakesWholeLines)
{
    CRidereDoc *doc = openText("x1\nx2 x\nx3\nx4\n");
    CRidereView *view = doc->view();
    // From the middle of line 2 to the middle of line 3.
    send(doc, Sci::SCI_SETSEL, 5, 9);
    EXPECT_EQ(replaceAll(doc, "x", "yy", false, true), 3);
    EXPECT_EQ(editorText(doc), QByteArray("x1\nyy2 yy\nyy3\nx4\n"));
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 3);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONEND), 14);
    EXPECT_EQ(search(doc).replaceAll("zz", "yy", {}, false).outcome, SearchOutcome::NotFound);

    // Through the dialog, with its messages.
    CReplaceDialog *dialog = controller()->showReplaceDialog(view, QStringLiteral("yy"));
    dialog->selectionScopeButton()->setChecked(true);
    dialog->replaceBox()->setEditText(QStringLiteral("x"));
    send(doc, Sci::SCI_SETSEL, 1, 1);
    dialog->replaceAll();
    EXPECT_EQ(lastMessage(),
              QStringLiteral("Could not replace in selection as nothing was selected."));
    dialog->searchBox()->setEditText(QStringLiteral("absent"));
    send(doc, Sci::SCI_SETSEL, 0, 2);
    dialog->replaceAll();
    EXPECT_EQ(lastMessage(), QStringLiteral("Search text not found."));
}

TEST_F(SearchTest, ReplaceAllRespectsARectangularSelection)
{
    CRidereDoc *doc = openText("xax\nxax\nxax\n");
    // Column 0 of lines 1 and 2.
    send(doc, Sci::SCI_SETSELECTIONMODE, Sci::SC_SEL_RECTANGLE);
    send(doc, Sci::SCI_SETRECTANGULARSELECTIONANCHOR, 0);
    send(doc, Sci::SCI_SETRECTANGULARSELECTIONCARET, 5);
    ASSERT_EQ(send(doc, Sci::SCI_GETSELECTIONMODE), Sci::SC_SEL_RECTANGLE);
    EXPECT_EQ(replaceAll(doc, "x", "y", false, true), 2);
    EXPECT_EQ(editorText(doc), QByteArray("yax\nyax\nxax\n"));
}

// Replace All applies its hits a batch at a time; when the plan stops after some batches, the
// document goes back to what it was.
TEST_F(SearchTest, AStoppedReplaceAllLeavesTheTextAsItWas)
{
    QByteArray text;
    for (int i = 0; i < 70000; ++i)
        text += "x\n";
    // More hits than one batch, then a line on which the expression backtracks without end.
    text += QByteArray(30000, 'a') + "c\nx\n";
    CRidereDoc *doc = openText(text);
    const SearchResult result =
        search(doc).replaceAll("a*a*a*a*a*a*a*a*x", "y", {true, false, true}, false);
    EXPECT_EQ(result.outcome, SearchOutcome::Stopped);
    EXPECT_EQ(result.position, 140000);
    const QByteArray now(reinterpret_cast<const char *>(send(doc, Sci::SCI_GETCHARACTERPOINTER)),
                         send(doc, Sci::SCI_GETLENGTH));
    EXPECT_TRUE(now == text);
    EXPECT_FALSE(doc->editor()->canUndo());
    EXPECT_FALSE(doc->isModified());
    // And the same document without that line is replaced whole, as one undo step.
    text.truncate(140000);
    send(doc, Sci::SCI_SETTEXT, 0, reinterpret_cast<long>(text.constData()));
    send(doc, Sci::SCI_EMPTYUNDOBUFFER);
    EXPECT_EQ(search(doc).replaceAll("a*a*a*a*a*a*a*a*x", "y", {true, false, true}, false).count,
              70000);
    send(doc, Sci::SCI_UNDO);
    const QByteArray undone(reinterpret_cast<const char *>(send(doc, Sci::SCI_GETCHARACTERPOINTER)),
                            send(doc, Sci::SCI_GETLENGTH));
    EXPECT_TRUE(undone == text);
}

// Mark All looks for every hit before it marks any line: a run that stops marks nothing.
TEST_F(SearchTest, AStoppedMarkAllMarksNothing)
{
    QByteArray text;
    for (int i = 0; i < 2000; ++i)
        text += "x\n";
    text += QByteArray(30000, 'a') + "c\nx\n";
    CRidereDoc *doc = openText(text);
    const SearchResult result = search(doc).markAll("a*a*a*a*a*a*a*a*x", {true, false, true});
    EXPECT_EQ(result.outcome, SearchOutcome::Stopped);
    EXPECT_EQ(send(doc, Sci::SCI_MARKERNEXT, 0, CMFCScintilla::BookmarkMask), -1);
}

// A long search shows Stop in the status bar; Stop ends it at once and says so.
TEST_F(SearchTest, StopInTheStatusBarEndsALongSearch)
{
    QByteArray line = QByteArray(199, 'b') + '\n';
    CRidereDoc *doc = openText(line.repeated(20000));
    send(doc, Sci::SCI_SETSEL, 0, 0);
    StatusPanes *panes = frame()->statusPanes();
    bool stopShown = false;
    QTimer::singleShot(600, frame(), [&] {
        stopShown = panes->stopButton()->isVisible();
        panes->requestStop();
    });
    QElapsedTimer timer;
    timer.start();
    const SearchResult result =
        controller()->find(QStringLiteral(".*.*.*.*[0-9]"), {false, false, true}, false, false);
    EXPECT_EQ(result.outcome, SearchOutcome::Stopped);
    EXPECT_EQ(result.stopReason, search::StopReason::Cancelled);
    EXPECT_TRUE(stopShown);
    EXPECT_LT(timer.elapsed(), 5000) << "stopped well before its own bound";
    EXPECT_EQ(lastMessage(), QStringLiteral("The search was stopped before the end of the text."));
}

TEST_F(SearchTest, ReplaceAllNeverLoopsOnEmptyMatchesAndInsertsLiterally)
{
    CRidereDoc *doc = openText("ab\ncd\n");
    EXPECT_EQ(replaceAll(doc, "$", "!", true, false), 2);
    EXPECT_EQ(editorText(doc), QByteArray("ab!\ncd!\n"));
    // An empty match is tried before each character, never at a line end.
    EXPECT_EQ(replaceAll(doc, "x*", "-", true, false), 6);
    EXPECT_EQ(editorText(doc), QByteArray("-a-b-!\n-c-d-!\n"));
    send(doc, Sci::SCI_SETTEXT, 0, reinterpret_cast<long>("cat"));
    // Tagged expressions are not substituted: "\1" goes in as two characters.
    EXPECT_EQ(replaceAll(doc, "\\(a\\)", "\\1", true, false), 1);
    EXPECT_EQ(editorText(doc), QByteArray("c\\1t"));
}

TEST_F(SearchTest, BadRegularExpressionsAreToldAsSuch)
{
    openText("abc [a\n");
    const search::Options regExp{false, false, true};
    EXPECT_EQ(controller()->find(QStringLiteral("[a"), regExp, false, true).outcome,
              SearchOutcome::InvalidPattern);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("The regular expression is not valid")));
    EXPECT_EQ(m_icons.back(), MessageIcon::Exclamation);
    m_messages.clear();
    EXPECT_EQ(controller()->replaceAll(QStringLiteral("\\(a"), QStringLiteral("y"), regExp, false)
                  .outcome,
              SearchOutcome::InvalidPattern);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("The regular expression is not valid")));
    // A line on which backtracking has no end is given up instead of hanging: a later line's
    // match is still found, and without one the user is told the search stopped, not that
    // nothing was there.
    CRidereDoc *doc = activeDoc();
    const QByteArray hardLine = QByteArray(30000, 'a') + "c\n";
    send(doc, Sci::SCI_SETTEXT, 0, reinterpret_cast<long>(QByteArray(hardLine + "bd").constData()));
    send(doc, Sci::SCI_SETSEL, 0, 0);
    const SearchResult later =
        controller()->find(QStringLiteral("a*a*a*a*a*a*a*a*bd"), {true, false, true}, false, false);
    EXPECT_EQ(later.outcome, SearchOutcome::Found);
    EXPECT_EQ(later.position, hardLine.size());
    m_messages.clear();
    // The "b" and the "d" keep PCRE2 from ruling the text out before it tries.
    send(doc, Sci::SCI_SETTEXT, 0, reinterpret_cast<long>(QByteArray(hardLine + "d b").constData()));
    send(doc, Sci::SCI_SETSEL, 0, 0);
    const SearchResult none =
        controller()->find(QStringLiteral("a*a*a*a*a*a*a*a*bd"), {true, false, true}, false, false);
    EXPECT_EQ(none.outcome, SearchOutcome::Stopped);
    EXPECT_EQ(none.position, 0);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("The search was stopped")));
}

TEST_F(SearchTest, MarkAllTogglesTheBookmarkOfEveryMatch)
{
    CRidereDoc *doc = openText("ab\nab ab\nx\nab\n");
    CMFCScintilla *ed = doc->editor();
    ed->toggleBookmark(3);
    send(doc, Sci::SCI_SETSEL, 9, 9);
    CFindDialog *dialog = controller()->showFindDialog(doc->view(), QStringLiteral("ab"));
    dialog->markAll();
    auto marked = [&](long line) {
        return (send(doc, Sci::SCI_MARKERGET, line) & CMFCScintilla::BookmarkMask) != 0;
    };
    EXPECT_TRUE(marked(0));
    EXPECT_FALSE(marked(1)); // two matches
    EXPECT_FALSE(marked(2));
    EXPECT_FALSE(marked(3)); // marked before, one match
    EXPECT_EQ(send(doc, Sci::SCI_GETCURRENTPOS), 9);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 9);
    EXPECT_TRUE(m_messages.isEmpty());
    dialog->searchBox()->setEditText(QStringLiteral("zz"));
    dialog->markAll();
    EXPECT_EQ(lastMessage(), QStringLiteral("The search text was not found"));
    // An empty match repeats nowhere: every line gets one toggle.
    ed->clearBookmarks();
    EXPECT_TRUE(search(doc).markAll("$", {false, false, true}).found());
    for (long line = 0; line < 5; ++line)
        EXPECT_TRUE(marked(line)) << line;
}

TEST_F(SearchTest, ReplaceFindsFirstThenReplacesTheFoundMatch)
{
    CRidereDoc *doc = openText("x1 x2 x3\n");
    send(doc, Sci::SCI_SETSEL, 0, 0);
    CReplaceDialog *dialog = controller()->showReplaceDialog(doc->view(), QStringLiteral("x"));
    dialog->replaceBox()->setEditText(QStringLiteral("yy"));
    dialog->replace();
    EXPECT_EQ(editorText(doc), QByteArray("x1 x2 x3\n")); // only found
    EXPECT_TRUE(dialog->lastFound());
    dialog->replace();
    EXPECT_EQ(editorText(doc), QByteArray("yy1 x2 x3\n"));
    EXPECT_EQ(selection(doc), QByteArray("x"));
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 4);
    dialog->replace();
    dialog->replace();
    EXPECT_EQ(editorText(doc), QByteArray("yy1 yy2 yy3\n"));
    EXPECT_FALSE(dialog->lastFound());
    EXPECT_EQ(lastMessage(), QStringLiteral("The search text was not found"));

    dialog->searchBox()->setEditText(QString());
    dialog->replace();
    EXPECT_EQ(lastMessage(), QStringLiteral("Please provide a search value"));
    EXPECT_EQ(m_icons.back(), MessageIcon::Exclamation);
}

TEST_F(SearchTest, OneDialogAtATimeSeededFromTheSelection)
{
    CRidereDoc *doc = openText("alpha beta\n");
    send(doc, Sci::SCI_SETSEL, 6, 10);
    ASSERT_TRUE(run(Cmd::EditFind));
    QPointer<CFindDialog> find = controller()->findDialog();
    ASSERT_TRUE(find);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(find->searchBox()->currentText(), QStringLiteral("beta"));
    // Asking again only focuses it; its text stays.
    find->searchBox()->setEditText(QStringLiteral("typed"));
    ASSERT_TRUE(run(Cmd::EditFind));
    EXPECT_EQ(controller()->findDialog(), find.data());
    EXPECT_EQ(find->searchBox()->currentText(), QStringLiteral("typed"));
    // Ctrl+H in the dialog moves to Replace with its text; the Find dialog goes.
    find->switchToReplace();
    settle();
    EXPECT_TRUE(find.isNull());
    QPointer<CReplaceDialog> replace = controller()->replaceDialog();
    ASSERT_TRUE(replace);
    EXPECT_EQ(replace->searchBox()->currentText(), QStringLiteral("typed"));
    replace->switchToFind();
    settle();
    EXPECT_TRUE(replace.isNull());
    ASSERT_TRUE(controller()->findDialog());
    controller()->findDialog()->close();
    settle();
    EXPECT_EQ(controller()->findDialog(), nullptr);
    // Without a selection Find... seeds with the remembered text.
    send(doc, Sci::SCI_SETSEL, 0, 0);
    ASSERT_TRUE(run(Cmd::EditFind));
    EXPECT_EQ(controller()->findDialog()->searchBox()->currentText(), QStringLiteral("beta"));
}

TEST_F(SearchTest, DialogKeysWorkInsideTheDialog)
{
    CRidereDoc *doc = openText("foo bar foo bar\n");
    send(doc, Sci::SCI_SETSEL, 0, 0);
    CFindDialog *find = controller()->showFindDialog(doc->view(), QStringLiteral("bar"));
    auto focusBox = [&](QWidget *dialog, QWidget *box) {
        dialog->activateWindow();
        box->setFocus();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), box);
    };
    focusBox(find, find->searchBox());
    // Enter in the box is the dialog's default button, Find Next.
    QTest::keyClick(find->searchBox(), Qt::Key_Return);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 4);
    // The main window's Find Next key, copied into the dialog.
    QTest::keyClick(find->searchBox(), Qt::Key_F3);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 12);
    // Ctrl+H goes over to the Replace dialog with the text.
    QTest::keyClick(find->searchBox(), Qt::Key_H, Qt::ControlModifier);
    settle();
    CReplaceDialog *replace = controller()->replaceDialog();
    ASSERT_NE(replace, nullptr);
    EXPECT_EQ(controller()->findDialog(), nullptr);
    EXPECT_EQ(replace->searchBox()->currentText(), QStringLiteral("bar"));
    focusBox(replace, replace->replaceBox());
    QTest::keyClick(replace->replaceBox(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(controller()->replaceDialog(), nullptr);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(SearchTest, DialogOptionsPersist)
{
    openText("abc\n");
    CFindDialog *find = controller()->showFindDialog(nullptr, QString());
    EXPECT_FALSE(find->matchCaseBox()->isChecked());
    EXPECT_TRUE(find->wrapAroundBox()->isChecked());
    EXPECT_TRUE(find->downButton()->isChecked());
    find->matchCaseBox()->setChecked(true);
    find->regExpBox()->setChecked(true);
    find->upButton()->setChecked(true);
    find->wrapAroundBox()->setChecked(false);
    find->close();
    settle();
    XmlSettingsStore store(settings());
    EXPECT_EQ(store.getInt(settings::findReplace::MatchCase), 1);
    EXPECT_EQ(store.getInt(settings::findReplace::SearchUp), 1);
    EXPECT_EQ(store.getInt(settings::findReplace::WrapAround), 0);

    CReplaceDialog *replace = controller()->showReplaceDialog(nullptr, QString());
    EXPECT_TRUE(replace->matchCaseBox()->isChecked());
    EXPECT_TRUE(replace->regExpBox()->isChecked());
    replace->wholeWordBox()->setChecked(true);
    replace->selectionScopeButton()->setChecked(true);
    // Leaving for the Find dialog does not store the Replace dialog's options.
    replace->switchToFind();
    settle();
    EXPECT_EQ(store.getInt(settings::findReplace::MatchWord), 0);
    replace = controller()->showReplaceDialog(nullptr, QString());
    replace->wholeWordBox()->setChecked(true);
    replace->selectionScopeButton()->setChecked(true);
    replace->closeDialog();
    settle();
    EXPECT_EQ(store.getInt(settings::findReplace::MatchWord), 1);
    EXPECT_EQ(store.getInt(settings::findReplace::Selection), 1);
    // Reopened on the selected text, which leaves only Replace All.
    replace = controller()->showReplaceDialog(nullptr, QString());
    EXPECT_TRUE(replace->selectionScopeButton()->isChecked());
    EXPECT_FALSE(replace->replaceButton()->isEnabled());
    EXPECT_FALSE(replace->findNextButton()->isEnabled());
    EXPECT_TRUE(replace->replaceAllButton()->isEnabled());
    replace->documentScopeButton()->setChecked(true);
    EXPECT_TRUE(replace->replaceButton()->isEnabled());
    EXPECT_TRUE(replace->findNextButton()->isEnabled());
}

TEST_F(SearchTest, PlacementAndTransparency)
{
    const QRect where(120, 140, 640, 300);
    RegistrySettings().setDialogPlacement(QStringLiteral("FindDialog"),
                                          WindowPlacement::fromGeometry(where, false));
    frame()->settings().transparentDialogs = true;
    frame()->settings().transparentPercent = 50;
    CFindDialog *find = controller()->showFindDialog(nullptr, QString());
    EXPECT_EQ(find->geometry(), where);
    EXPECT_DOUBLE_EQ(find->windowOpacity(), (50 * 255 / 100) / 255.0);
    const QRect moved(60, 70, 660, 320);
    find->setGeometry(moved);
    find->close();
    settle();
    const auto stored = RegistrySettings().dialogPlacement(QStringLiteral("FindDialog"));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->normalGeometry(), moved);

    // A record of any other size is left alone.
    QSettings(QStringLiteral("Brightmoor"), QStringLiteral("Penwright"))
        .setValue(QStringLiteral("ReplaceDialog/WindowPlacement"), QByteArray(43, '\1'));
    frame()->settings().transparentDialogs = false;
    CReplaceDialog *replace = controller()->showReplaceDialog(nullptr, QString());
    EXPECT_EQ(replace->size(), replace->sizeHint());
    EXPECT_DOUBLE_EQ(replace->windowOpacity(), 1.0);
}

TEST_F(SearchTest, HistoryCompletionAndCase)
{
    CToolbarFindComboBox *box = toolbarBox();
    box->addToHistory(QStringLiteral("foobar"), SearchHistory);
    box->addToHistory(QStringLiteral("other"), SearchHistory);
    box->setEditText(QString());
    box->setFocus();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("Fo"));
    EXPECT_EQ(box->currentText(), QStringLiteral("Foobar"));
    EXPECT_EQ(box->lineEdit()->selectedText(), QStringLiteral("obar"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(box->currentText(), QStringLiteral("Fo"));
    EXPECT_FALSE(box->lineEdit()->hasSelectedText());
    QTest::keyClick(box->lineEdit(), Qt::Key_O);
    EXPECT_EQ(box->currentText(), QStringLiteral("Foobar"));

    // AddToHistory ignores case: "Foo" selects "foo".
    box->addToHistory(QStringLiteral("foo"), SearchHistory);
    const int count = box->count();
    box->addToHistory(QStringLiteral("Foo"), SearchHistory);
    EXPECT_EQ(box->count(), count);
    EXPECT_EQ(box->currentText(), QStringLiteral("foo"));
    // The Find dialog's Find Next compares case: "Foo" goes to the top.
    openText("Foo\n");
    CFindDialog *find = controller()->showFindDialog(nullptr, QStringLiteral("Foo"));
    find->findNext();
    EXPECT_EQ(find->searchBox()->itemText(0), QStringLiteral("Foo"));
    EXPECT_EQ(find->searchBox()->itemText(1), QStringLiteral("foo"));
    // ... and the toolbar box reads the stored list again.
    EXPECT_EQ(box->itemText(0), QStringLiteral("Foo"));
}

TEST_F(SearchTest, ToolbarBoxSearchesOnEnterAndTakesItsKeys)
{
    for (CMDIChildFrame *child : frame()->workspace().documentFrames())
        child->closeWithoutAsking();
    settle();
    CToolbarFindComboBox *box = toolbarBox();
    box->setEditText(QStringLiteral("needle"));
    focus(box);
    // The combo box has the focus and hands keys to its edit field.
    ASSERT_EQ(QApplication::focusWidget(), box);
    // With no document open there is nothing to search.
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(lastMessage(), QStringLiteral("Find has nothing to do"));
    EXPECT_EQ(m_icons.back(), MessageIcon::Exclamation);
    EXPECT_EQ(box->itemText(0), QStringLiteral("needle"));

    CRidereDoc *doc = openText("hay needle hay needle\n");
    send(doc, Sci::SCI_SETSEL, 0, 0);
    m_messages.clear();
    focus(box);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 4);
    EXPECT_TRUE(m_messages.isEmpty());
    // F3 in the box runs the box search for its text; the view's quick search would take the
    // selected "needle" instead.
    box->setEditText(QStringLiteral("hay"));
    focus(box);
    QTest::keyClick(box, Qt::Key_F3);
    EXPECT_EQ(send(doc, Sci::SCI_GETSELECTIONSTART), 11);
    // Ctrl+F opens the Find dialog with the box's text.
    focus(box);
    QTest::keyClick(box, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(controller()->findDialog());
    EXPECT_EQ(controller()->findDialog()->searchBox()->currentText(), QStringLiteral("hay"));
    // GetFindText and SetFindText.
    EXPECT_EQ(controller()->findText(), QStringLiteral("hay"));
    controller()->setFindText(QStringLiteral("straw"));
    EXPECT_EQ(controller()->findText(), QStringLiteral("straw"));
    EXPECT_EQ(box->itemText(0), QStringLiteral("straw"));
}

TEST_F(SearchTest, GotoLineClampsAndNeedsANumber)
{
    CRidereDoc *doc = openText("one\ntwo\nthree\nfour\nfive");
    struct Step
    {
        const char *typed;
        long line;
    };
    const Step steps[] = {{"3", 2}, {"0", 0}, {"99", 4}};
    for (const Step &step : steps) {
        SCOPED_TRACE(step.typed);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<CGotoDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            EXPECT_EQ(dialog->label()->text(), QStringLiteral("Line number (1 - 5):"));
            EXPECT_EQ(dialog->field()->text(), QStringLiteral("1"));
            dialog->field()->clear();
            EXPECT_FALSE(dialog->okButton()->isEnabled());
            QTest::keyClicks(dialog->field(), QStringLiteral("a-"));
            EXPECT_TRUE(dialog->field()->text().isEmpty()); // digits only
            QTest::keyClicks(dialog->field(), QString::fromLatin1(step.typed));
            EXPECT_TRUE(dialog->okButton()->isEnabled());
            dialog->okButton()->click();
        });
        ASSERT_TRUE(run(Cmd::GotoLine));
        EXPECT_TRUE(seen);
        EXPECT_EQ(send(doc, Sci::SCI_LINEFROMPOSITION, send(doc, Sci::SCI_GETCURRENTPOS)),
                  step.line);
    }
}
