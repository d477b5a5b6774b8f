// Files as a user meets them through the program: the Open and Save As rules, and what a save
// does to the file on disk.
#include "editor/documentwatcher.h"
#include "editor/editorsearch.h"
#include "editor/mfcscintilla.h"
#include "chrome/statuspanes.h"
#include "editor/encoding/textfile.h"
#include "editor/ridereview.h"
#include "editor/textload.h"
#include "settings/framesettings.h"
#include "app/mainframehost.h"
#include "editor/filedialogex.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>
#include <unistd.h>

using namespace pw;
using pw::test::AppFixture;

namespace {

class FilesTest : public AppFixture
{
protected:
    void TearDown() override
    {
        CFileDialogEx::setSaveHook({});
        enc::TextFileReader::setReadFault({});
        CRidereDoc::setLoadWaitMs(60);
        TextLoad::setLargeFileBytes(0);
        TextLoad::setLineLimitBytes(0);
        AppFixture::TearDown();
    }
    static void type(CRidereDoc *doc, const QString &text)
    {
        doc->editor()->send(Sci::SCI_DOCUMENTEND);
        // Key by key with their text, as a keyboard layout or an input method delivers them.
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(doc->editor(), &press);
        }
    }
    // Another program rewrites the file; the stamp differs even within one clock tick because
    // the size or the inode does.
    void otherProgramWrites(const QString &path, const QByteArray &bytes)
    {
        const QString temp = path + QStringLiteral(".other");
        writeFile(QFileInfo(temp).fileName(), bytes);
        ASSERT_TRUE(::rename(QFile::encodeName(temp).constData(),
                             QFile::encodeName(path).constData()) == 0);
    }
    void checkDisk() { m_app->host()->documentWatcher().checkAll(); }
    static QByteArray lexerOf(CRidereDoc *doc)
    {
        QByteArray lexer(64, '\0');
        doc->editor()->send(Sci::SCI_GETLEXERLANGUAGE, 0, reinterpret_cast<long>(lexer.data()));
        return QByteArray(lexer.constData());
    }
};

TEST_F(FilesTest, SaveAsAddsTheExtensionBeforeAskingAboutReplacing)
{
    const QString existing = writeFile(QStringLiteral("notes.txt"), "keep me\n");
    CRidereDoc *doc = qobject_cast<CRidereDoc *>(m_app->newDocument());
    ASSERT_NE(doc, nullptr);
    doc->editor()->sendText(Sci::SCI_ADDTEXT, 4, "new\n");
    // The user types "notes" with the text filter chosen.
    int asked = 0;
    CFileDialogEx::setSaveHook([&](CFileDialogEx::SaveChoice &choice, const QString &) {
        ++asked;
        choice.path = m_dir.filePath(QStringLiteral("notes"));
        choice.defaultExtension = QStringLiteral("txt");
        return true;
    });
    m_answer = QMessageBox::No;
    EXPECT_FALSE(run(Cmd::FileSaveAs) && doc->pathName() == existing);
    ASSERT_FALSE(m_messages.isEmpty());
    EXPECT_TRUE(m_messages.last().contains(QDir::toNativeSeparators(existing)))
        << m_messages.last().toStdString();
    EXPECT_EQ(readFile(existing), QByteArray("keep me\n")) << "No leaves the file alone";
    EXPECT_TRUE(doc->isModified());
    m_answer = QMessageBox::Yes;
    ASSERT_TRUE(run(Cmd::FileSaveAs));
    EXPECT_EQ(readFile(existing), QByteArray("new\n"));
    EXPECT_EQ(doc->pathName(), existing);
    EXPECT_EQ(asked, 2);
}

TEST_F(FilesTest, WindowsAnsiShowsItsCharactersAndKeepsEveryByte)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString path = writeFile(QStringLiteral("all.bin"), all);
    CRidereDoc *doc = qobject_cast<CRidereDoc *>(
        m_app->openDocumentFile(path, OpenRequest{OpenText, 3, 0, false}));
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(editorText(doc).contains("\xE2\x82\xAC")) << "80 is the euro sign";
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "x");
    doc->editor()->send(Sci::SCI_DELETERANGE, 0, 1);
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_EQ(readFile(path), all);

    // Typed characters of Windows-1252 are written as its bytes.
    const QString quotes = writeFile(QStringLiteral("q.txt"), "caf\xE9\n");
    CRidereDoc *typed = open(quotes);
    ASSERT_NE(typed, nullptr);
    ASSERT_EQ(typed->encoding(), 3);
    type(typed, QStringLiteral("\u20AC\u201C\u201D"));
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_EQ(readFile(quotes), QByteArray("caf\xE9\n\x80\x93\x94"));
}

TEST_F(FilesTest, ACharacterAnsiCannotHoldIsNeverWrittenAsAQuestionMark)
{
    const QString path = writeFile(QStringLiteral("arrow.txt"), "a\xE9\n");
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->encoding(), 3);
    type(doc, QStringLiteral("\u2192"));
    // No: nothing is written and the document stays as it was.
    m_answer = QMessageBox::No;
    EXPECT_FALSE(doc->doSave(path));
    EXPECT_EQ(readFile(path), QByteArray("a\xE9\n"));
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(doc->encoding(), 3);
    ASSERT_FALSE(m_messages.isEmpty());
    EXPECT_TRUE(m_messages.last().contains(QStringLiteral("\u2192"))) << "names the character";
    // Yes: UTF-8 without a mark, and the document says so from now on.
    m_answer = QMessageBox::Yes;
    EXPECT_TRUE(doc->doSave(path));
    EXPECT_EQ(readFile(path), QByteArray("a\xC3\xA9\n\xE2\x86\x92"));
    EXPECT_EQ(doc->encoding(), 0);
    EXPECT_EQ(doc->markLength(), 0);
}

TEST_F(FilesTest, UTF8IsRecognisedPastTheSample)
{
    const QByteArray text = QByteArray(3000, 'a') + "\n\xC3\xA9 \xE2\x80\x94\n";
    CRidereDoc *doc = open(writeFile(QStringLiteral("late.txt"), text));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->encoding(), 0);
    EXPECT_EQ(doc->markLength(), 0);
    EXPECT_EQ(editorText(doc), text);
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_EQ(readFile(doc->pathName()), text) << "no mark added";
}

TEST_F(FilesTest, ChangesByOtherProgramsAreNoticed)
{
    // Unmodified: reloaded in place, the caret kept, a note in the status bar.
    const QString path = writeFile(QStringLiteral("w.txt"), "one\ntwo\nthree\n");
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    doc->editor()->send(Sci::SCI_GOTOPOS, 5);
    otherProgramWrites(path, "one\ntwo\nthree\nfour\n");
    checkDisk();
    EXPECT_EQ(editorText(doc), QByteArray("one\ntwo\nthree\nfour\n"));
    EXPECT_EQ(doc->editor()->send(Sci::SCI_GETCURRENTPOS), 5);
    EXPECT_FALSE(doc->isModified());
    EXPECT_TRUE(m_messages.isEmpty());

    // Modified: asked; No keeps the user's text and is not asked again for the same change...
    type(doc, QStringLiteral("mine"));
    otherProgramWrites(path, "theirs\n");
    m_answer = QMessageBox::No;
    checkDisk();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages.last().contains(QStringLiteral("changed by another program")));
    EXPECT_TRUE(editorText(doc).endsWith("mine"));
    checkDisk();
    EXPECT_EQ(m_messages.size(), 1);
    // ... but saving over their change asks first.
    EXPECT_FALSE(doc->doSave(path));
    EXPECT_EQ(readFile(path), QByteArray("theirs\n"));
    m_answer = QMessageBox::Yes;
    ASSERT_TRUE(doc->doSave(path));
    EXPECT_TRUE(readFile(path).endsWith("mine"));

    // Deleted: kept open as modified when the user says so.
    ASSERT_TRUE(QFile::remove(path));
    checkDisk();
    EXPECT_TRUE(m_messages.last().contains(QStringLiteral("deleted")));
    EXPECT_TRUE(doc->isModified());
}

TEST_F(FilesTest, SavingAHardLinkedFileKeepsBothNames)
{
    const QString path = writeFile(QStringLiteral("linked.txt"), "old\n");
    const QString other = m_dir.filePath(QStringLiteral("other-name.txt"));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    type(doc, QStringLiteral("new"));
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_EQ(readFile(other), QByteArray("old\nnew"));
}

TEST_F(FilesTest, AReadFailingPartWayOpensNothingAndAFailedReloadKeepsTheText)
{
    const QByteArray big = QByteArray(600000, 'x') + "\n";
    const QString path = writeFile(QStringLiteral("big.txt"), big);
    enc::TextFileReader::setReadFault([](std::int64_t offset) { return offset > 0 ? EIO : 0; });
    const int windows = int(frame()->workspace().documentFrames().size());
    EXPECT_EQ(open(path), nullptr);
    EXPECT_EQ(frame()->workspace().documentFrames().size(), windows);
    ASSERT_FALSE(m_messages.isEmpty());
    EXPECT_TRUE(m_messages.last().contains(QStringLiteral("Input/output error"))) << m_messages.last().toStdString();

    enc::TextFileReader::setReadFault({});
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    type(doc, QStringLiteral("edit"));
    enc::TextFileReader::setReadFault([](std::int64_t offset) { return offset > 0 ? EIO : 0; });
    ASSERT_TRUE(run(Cmd::ReloadDocument));
    EXPECT_EQ(editorText(doc), big + "edit");
    EXPECT_TRUE(doc->isModified());
}

// Loads that go on behind the window: every encoding arrives whole, Stop and closing are safe,
// and several files may load at once.
class BackgroundLoadTest : public FilesTest
{
protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        CRidereDoc::setLoadWaitMs(0); // every load finishes behind the window
    }
};

TEST_F(BackgroundLoadTest, EveryEncodingArrivesWholeAndSavesBackByteForByte)
{
    const std::pair<const char *, QByteArray> rows[] = {
        {"utf8.txt", QByteArray("caf\xC3\xA9\n").repeated(20000)},
        {"ansi.txt", QByteArray("caf\xE9 \x80\r\n").repeated(20000)},
        {"utf16.txt", QByteArray("\xFF\xFE") + QByteArray("a\0\xE9\0\n\0", 6).repeated(20000)},
        {"utf16be.txt", QByteArray("\xFE\xFF") + QByteArray("\0a\0\xE9\0\n", 6).repeated(20000)},
        {"utf32.txt", QByteArray("\xFF\xFE\0\0", 4) + QByteArray("a\0\0\0\n\0\0\0", 8).repeated(9000)},
        // Lines this long are laid out one a turn before the window paints them again.
        {"long-lines.txt", QByteArray(QByteArray(12000, 'w') + '\n').repeated(60)},
    };
    for (const auto &[name, bytes] : rows) {
        SCOPED_TRACE(name);
        const QString path = writeFile(QString::fromLatin1(name), bytes);
        CRidereDoc *doc = open(path);
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(waitLoaded(doc));
        EXPECT_EQ(doc->pathName(), path);
        EXPECT_FALSE(doc->isModified());
        EXPECT_EQ(doc->editor()->send(Sci::SCI_GETCURRENTPOS), 0);
        EXPECT_FALSE(doc->editor()->canUndo()) << "the load is no edit";
        QElapsedTimer timer;
        timer.start();
        while (!doc->editor()->viewport()->updatesEnabled() && timer.elapsed() < 5000)
            QTest::qWait(10);
        EXPECT_TRUE(doc->editor()->viewport()->updatesEnabled()) << "the window paints again";
        ASSERT_TRUE(run(Cmd::FileSave));
        EXPECT_EQ(readFile(path), bytes);
    }
}

TEST_F(BackgroundLoadTest, StopAndClosingDuringALoadAreSafe)
{
    const QByteArray big = QByteArray("0123456789abcdef\n").repeated(1 << 20); // 17 MB
    const QString path = writeFile(QStringLiteral("big.txt"), big);
    // Stop from the status bar: the window goes, nothing is said.
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->isLoading());
    EXPECT_FALSE(state(Cmd::FileSave).enabled) << "nothing whole to save yet";
    QPointer<CMDIChildFrame> window = doc->frame();
    frame()->statusPanes()->requestStop();
    QElapsedTimer timer;
    timer.start();
    while (window && timer.elapsed() < 5000)
        QTest::qWait(10);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(m_messages.isEmpty());
    // Closing the window while the text comes.
    doc = open(path);
    ASSERT_NE(doc, nullptr);
    window = doc->frame();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    // Two at once, both finish.
    const QString other = writeFile(QStringLiteral("big2.txt"), big);
    CRidereDoc *first = open(path);
    CRidereDoc *second = open(other);
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(waitLoaded(first));
    EXPECT_TRUE(waitLoaded(second));
    EXPECT_EQ(first->editor()->send(Sci::SCI_GETLENGTH), big.size());
    EXPECT_EQ(second->editor()->send(Sci::SCI_GETLENGTH), big.size());
}

TEST_F(BackgroundLoadTest, LargeFilesStartPlainAndWithoutStyleBytes)
{
    TextLoad::setLargeFileBytes(100000);
    frame()->settings().wordWrap = true;
    const QByteArray text = QByteArray("int x;\n").repeated(20000);
    CRidereDoc *doc = open(writeFile(QStringLiteral("large.c"), text));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(waitLoaded(doc));
    CMFCScintilla *ed = doc->editor();
    EXPECT_TRUE(doc->isLargeFile());
    EXPECT_TRUE(doc->isStyleless());
    EXPECT_TRUE(ed->send(Sci::SCI_GETDOCUMENTOPTIONS) & Sci::SC_DOCUMENTOPTION_STYLES_NONE);
    EXPECT_EQ(lexerOf(doc), QByteArray("null"));
    EXPECT_EQ(ed->send(Sci::SCI_GETWRAPMODE), Sci::SC_WRAP_NONE);
    EXPECT_TRUE(frame()->statusPanes()->text(StatusPane::Message).startsWith(QStringLiteral("Large file")));
    // What else may touch a text without styles: folding on, Mark All, a lexer run by hand.
    frame()->settings().codeFolding = true;
    doc->view()->applyFolding(true);
    EXPECT_TRUE(EditorSearch(ed, m_app->host()).markAll("x;", {}).found());
    EXPECT_EQ(ed->send(Sci::SCI_MARKERNEXT, 19999, CMFCScintilla::BookmarkMask), 19999);
    ed->send(Sci::SCI_SETLEXERLANGUAGE, 0, reinterpret_cast<long>("cpp"));
    ed->send(Sci::SCI_COLOURISE, 0, -1);
    EXPECT_EQ(ed->send(Sci::SCI_GETSTYLEAT, 0), 0);
    EXPECT_EQ(editorText(doc), text);
    // A smaller file keeps its styles.
    CRidereDoc *small = open(writeFile(QStringLiteral("small.c"), "int y;\n"));
    ASSERT_NE(small, nullptr);
    ASSERT_TRUE(waitLoaded(small));
    EXPECT_FALSE(small->isStyleless());
    EXPECT_EQ(lexerOf(small), QByteArray("cpp"));
}

// A line too long to lay out without a pause shows cut, read-only and unsavable, until the user
// asks for it whole.
TEST_F(BackgroundLoadTest, OverlongLinesShowCutUntilTheUserAsksForThemWhole)
{
    TextLoad::setLineLimitBytes(1000);
    const QByteArray bytes = "h\xC3\xA9" "ad\r\n" + QByteArray(2500, 'x') + "\r\ntail\r\n";
    const QString path = writeFile(QStringLiteral("long.txt"), bytes);
    m_answer = QMessageBox::No;
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(waitLoaded(doc));
    QTest::qWait(50);
    CMFCScintilla *ed = doc->editor();
    EXPECT_TRUE(doc->hasCutLines());
    EXPECT_EQ(ed->send(Sci::SCI_GETLINECOUNT), 6) << "the long line in three pieces";
    EXPECT_EQ(ed->send(Sci::SCI_LINELENGTH, 2), 1002) << "a piece with the file's own line end";
    EXPECT_TRUE(ed->isReadOnly());
    EXPECT_TRUE(doc->decoratedTitle().contains(QStringLiteral("[Read Only]")));
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages.takeFirst().contains(QStringLiteral("2,500")));
    EXPECT_FALSE(state(Cmd::SetReadOnly).enabled);
    // A line and column of the file (a Find in Files result) land where that text shows.
    struct Place
    {
        int line;
        qint64 column;
        long shownLine;
        long shownColumn;
    };
    for (const Place &place : {Place{1, 3, 0, 3}, Place{2, 999, 1, 999}, Place{2, 1000, 2, 0},
                               Place{2, 2400, 3, 400}, Place{3, 2, 4, 2}, Place{4, 0, 5, 0}}) {
        doc->goToFileLine(place.line, place.column);
        EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS),
                  ed->send(Sci::SCI_POSITIONFROMLINE, place.shownLine) + place.shownColumn)
            << place.line << ":" << place.column;
    }
    // Neither Save nor Save As writes the cut text anywhere.
    bool asked = false;
    CFileDialogEx::setSaveHook([&](CFileDialogEx::SaveChoice &, const QString &) { return asked = true; });
    for (int command : {Cmd::FileSave, Cmd::FileSaveAs}) {
        run(command);
        EXPECT_EQ(m_messages.size(), 1) << command;
        m_messages.clear();
    }
    EXPECT_FALSE(asked);
    EXPECT_EQ(readFile(path), bytes);
    // A copy for Compare holds the file's text, not the cut one.
    const QString copy = m_dir.filePath(QStringLiteral("copy.txt"));
    ASSERT_TRUE(doc->writeCopy(copy));
    EXPECT_EQ(readFile(copy), bytes);
    // Another encoding reads the file again, still cut, rather than changing what cannot be saved.
    ASSERT_TRUE(run(Cmd::EncodingAnsi));
    ASSERT_TRUE(waitLoaded(doc));
    EXPECT_EQ(doc->encoding(), enc::Ansi);
    EXPECT_TRUE(editorText(doc).startsWith("h\xC3\x83\xC2\xA9" "ad"));
    EXPECT_FALSE(doc->isModified());
    EXPECT_TRUE(doc->hasCutLines());
    ASSERT_TRUE(run(Cmd::EncodingUtf8NoMark));
    ASSERT_TRUE(waitLoaded(doc));
    // Reload asks again; yes reads the file with whole lines, editable and saved byte for byte.
    m_answer = QMessageBox::Yes;
    m_messages.clear();
    run(Cmd::ReloadDocument);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages.takeFirst().contains(QStringLiteral("2,500")));
    ASSERT_TRUE(waitLoaded(doc));
    EXPECT_FALSE(doc->hasCutLines());
    EXPECT_EQ(ed->send(Sci::SCI_GETLINECOUNT), 4);
    EXPECT_FALSE(ed->isReadOnly());
    EXPECT_TRUE(state(Cmd::SetReadOnly).enabled);
    EXPECT_EQ(editorText(doc), bytes);
    m_messages.clear();
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(readFile(path), bytes);
}

// Colouring a text without style bytes makes it again with them: read from the file when it is
// as saved, else copied after the user agrees to lose the undo history.
TEST_F(BackgroundLoadTest, ColouringALargeTextRebuildsItWithStyles)
{
    TextLoad::setLargeFileBytes(100000);
    const QByteArray text = QByteArray("int x;\n").repeated(30000);
    const struct
    {
        const char *name;
        const char *typed; // typed at the end before colouring; null: left as saved
        QMessageBox::StandardButton answer;
        bool byDialog; // "More ..." instead of the language's own command
        bool rebuilt;
    } rows[] = {
        {"as saved", nullptr, QMessageBox::No, false, true},
        {"modified, the user says no", "int y;", QMessageBox::No, false, false},
        {"modified, copied", "int y;", QMessageBox::Yes, true, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = writeFile(QStringLiteral("large.c"), text);
        CRidereDoc *doc = open(path);
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(waitLoaded(doc));
        ASSERT_TRUE(doc->isStyleless());
        QTest::qWait(20); // the new window settles before the test scrolls it
        CMFCScintilla *ed = doc->editor();
        QByteArray expected = text;
        if (row.typed) {
            type(doc, QString::fromLatin1(row.typed));
            expected += row.typed;
        }
        ed->send(Sci::SCI_SETFIRSTVISIBLELINE, 20000);
        ed->send(Sci::SCI_GOTOPOS, 140004);
        const long firstLine = ed->send(Sci::SCI_GETFIRSTVISIBLELINE);
        ed->send(Sci::SCI_MARKERADD, 20001, CMFCScintilla::BookmarkMarker);
        m_answer = row.answer;
        m_messages.clear();
        CRidereView::setViewAsHook([&](const QStringList &, int &index) {
            index = doc->languageIndex();
            return true;
        });
        ASSERT_TRUE(run(row.byDialog ? int(Cmd::ColorDocumentAsMore)
                                     : Cmd::ColorDocumentAs + doc->languageIndex()));
        CRidereView::setViewAsHook({});
        ASSERT_TRUE(waitLoaded(doc));
        EXPECT_EQ(m_messages.size(), row.typed ? 1 : 0)
            << "asked only before losing undo: " << m_messages.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(editorText(doc), expected);
        EXPECT_EQ(doc->isModified(), row.typed != nullptr);
        EXPECT_EQ(doc->isStyleless(), !row.rebuilt);
        EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS), 140004);
        EXPECT_EQ(ed->send(Sci::SCI_GETFIRSTVISIBLELINE), firstLine);
        EXPECT_FALSE(ed->isReadOnly());
        EXPECT_EQ(lexerOf(doc), row.rebuilt ? QByteArray("cpp") : QByteArray("null"));
        ed->send(Sci::SCI_COLOURISE, 0, -1);
        EXPECT_EQ(ed->send(Sci::SCI_GETSTYLEAT, 140000) != 0, row.rebuilt) << "int is a keyword";
        if (row.typed && row.rebuilt) {
            EXPECT_EQ(ed->send(Sci::SCI_MARKERNEXT, 0, -1), 20001) << "bookmarks come along";
            EXPECT_FALSE(ed->canUndo());
            // Undoing back to the copy's start is still not the file.
            type(doc, QStringLiteral("z"));
            run(Cmd::EditUndo);
            EXPECT_TRUE(doc->isModified());
            ASSERT_TRUE(run(Cmd::FileSave));
            EXPECT_EQ(readFile(path), expected);
            EXPECT_FALSE(doc->isModified());
        }
        m_answer = QMessageBox::No;
        doc->frame()->closeWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// However long an open may wait for its load, it waits only for files that can be in by then:
// a big one returns at once and arrives behind the window.
TEST_F(FilesTest, OpenWaitsOnlyForFilesThatFitTheWait)
{
    CRidereDoc::setLoadWaitMs(20000);
    const struct
    {
        const char *name;
        qsizetype lines;
        bool loadedOnReturn;
    } rows[] = {{"small.txt", 1000, true}, {"big.txt", 600000, false}}; // 16 bytes a line
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray bytes = QByteArray("0123456789abcde\n").repeated(row.lines);
        CRidereDoc *doc = open(writeFile(QString::fromLatin1(row.name), bytes));
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(!doc->isLoading(), row.loadedOnReturn);
        waitLoaded(doc);
        EXPECT_EQ(doc->editor()->send(Sci::SCI_GETLENGTH), bytes.size());
    }
}

// An open finished within its wait still has its report on the way; a reload that starts
// before the report arrives (another program wrote the file at once) is not cut short by it.
TEST_F(FilesTest, AnEarlierLoadsLateReportLeavesTheNextLoadAlone)
{
    CRidereDoc::setLoadWaitMs(20000);
    const QString path = writeFile(QStringLiteral("quick.txt"), "first\n");
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_FALSE(doc->isLoading());
    // Past what any open or reload waits for, so the reload surely runs behind the window.
    const QByteArray changed = QByteArray("second\n").repeated(1400000);
    CRidereDoc::setLoadWaitMs(0);
    otherProgramWrites(path, changed);
    checkDisk();
    ASSERT_TRUE(doc->isLoading());
    waitLoaded(doc);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(editorText(doc), changed);
}

} // namespace
