// Opening, showing and saving text files through the real program, byte for byte.
#include "chrome/statuspanes.h"
#include "editor/filedialogex.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"

#include <QDir>
#include <QFileInfo>

using namespace pw;
using namespace Qt::StringLiterals;
using pw::test::AppFixture;

namespace {
QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}
} // namespace

using DocumentTest = AppFixture;

// The open routine's sampling and the Save command around the encoding engine, which has its own
// byte-exact cases.
TEST_F(DocumentTest, SampleFilesOpenWithTheirEncodingAndSaveBack)
{
    struct Row
    {
        const char *name;
        QByteArray file;
        int encoding;
        int eol;
        QByteArray text;  // what the editor holds
        QByteArray saved; // what Save writes
    };
    const QByteArray ascii("plain ascii\nsecond line\n");
    const QByteArray binary = bytes({'M', 'Z', 0, 0, 0xFF, 0x80, '\r', 0, '\n', 1, 2});
    const Row rows[] = {
        {"utf8-mark", bytes({0xEF, 0xBB, 0xBF, 0x41, 0x0D, 0x0A}), 0, 0, "A\r\n",
         bytes({0xEF, 0xBB, 0xBF, 0x41, 0x0D, 0x0A})},
        // A file is saved with the mark it came with, or without one.
        {"utf8-no-mark", QByteArray("caf\xC3\xA9 au lait\n"), 0, 2, "caf\xC3\xA9 au lait\n",
         QByteArray("caf\xC3\xA9 au lait\n")},
        {"ascii", ascii, 3, 2, ascii, ascii},
        {"utf16le-no-mark", bytes({0x41, 0, 0x42, 0}), 1, 2, "AB", bytes({0x41, 0, 0x42, 0})},
        {"utf16be-surrogates", bytes({0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00, 0, 0x0D}), 2, 1,
         "\xF0\x9F\x98\x80\r", bytes({0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00, 0, 0x0D})},
        {"six-bytes-of-utf8", bytes({0xC3, 0xA9, 0xC3, 0xA9, 0xC3, 0xA9}), 0, 2,
         bytes({0xC3, 0xA9, 0xC3, 0xA9, 0xC3, 0xA9}), bytes({0xC3, 0xA9, 0xC3, 0xA9, 0xC3, 0xA9})},
        {"utf32le-mark", bytes({0xFF, 0xFE, 0, 0, 0x41, 0, 0, 0, 0x0A, 0, 0, 0}), 5, 2, "A\n",
         bytes({0xFF, 0xFE, 0, 0, 0x41, 0, 0, 0, 0x0A, 0, 0, 0})},
        {"cr-only", QByteArray("one\rtwo\r"), 3, 1, "one\rtwo\r", "one\rtwo\r"},
        // Files without a line break take the platform's line ending.
        {"empty", QByteArray(), 3, 2, "", ""},
        // Opened as text, Windows-1252 shows 80 as the euro sign; every byte comes back on save.
        {"binary-as-text", binary, 3, 1,
         bytes({'M', 'Z', 0, 0, 0xC3, 0xBF, 0xE2, 0x82, 0xAC, '\r', 0, '\n', 1, 2}), binary},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = writeFile(QString::fromLatin1(row.name) + u".txt"_s, row.file);
        // Mode Text: the automatic choice would open the binary row as bytes.
        auto *doc = qobject_cast<CRidereDoc *>(m_app->openDocumentFile(path, OpenRequest{OpenText}));
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc->encoding(), row.encoding);
        EXPECT_EQ(doc->lineEnding(), row.eol);
        EXPECT_EQ(editorText(doc), row.text);
        EXPECT_FALSE(doc->isModified());
        EXPECT_EQ(frame()->workspace().activeFrame()->document(), doc);
        ASSERT_TRUE(run(Cmd::FileSave));
        EXPECT_EQ(readFile(path), row.saved);
        EXPECT_FALSE(doc->isModified());
        doc->frame()->close();
    }
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(DocumentTest, EditsMarkTheTitleAndSaveClearsIt)
{
    const QString path = writeFile(u"a.txt"_s, "hello\n");
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->frame()->windowTitle(), u"a.txt"_s);
    EXPECT_EQ(frame()->windowTitle(), u"Penwright - a.txt"_s);
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "x");
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(doc->frame()->windowTitle(), u"a.txt*"_s);
    EXPECT_EQ(frame()->windowTitle(), u"Penwright - a.txt*"_s);
    EXPECT_TRUE(state(Cmd::FileSaveAll).enabled);
    ASSERT_TRUE(run(Cmd::EditUndo));
    EXPECT_FALSE(doc->isModified()) << "undoing back to the save point clears the flag";
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "y");
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_EQ(readFile(path), QByteArray("yhello\n"));
    EXPECT_EQ(doc->frame()->windowTitle(), u"a.txt"_s);
    EXPECT_FALSE(state(Cmd::FileSaveAll).enabled);
}

TEST_F(DocumentTest, ReadOnlyFilesShowItAndRefuseEdits)
{
    const QString path = writeFile(u"ro.txt"_s, "keep\n");
    auto *doc = qobject_cast<CRidereDoc *>(
        m_app->openDocumentFile(path, OpenRequest{OpenAuto, 4, 0, true}));
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->isReadOnly());
    EXPECT_EQ(doc->frame()->windowTitle(), u"ro.txt [Read Only]"_s);
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "x");
    EXPECT_EQ(editorText(doc), QByteArray("keep\n"));
    EXPECT_TRUE(state(Cmd::SetReadOnly).checked);
    ASSERT_TRUE(run(Cmd::SetReadOnly));
    EXPECT_FALSE(doc->isReadOnly());
    EXPECT_EQ(doc->frame()->windowTitle(), u"ro.txt"_s);
}

TEST_F(DocumentTest, OpeningAnOpenFileActivatesItsWindow)
{
    const QString a = writeFile(u"a.txt"_s, "a\n");
    const QString b = writeFile(u"b.txt"_s, "b\n");
    CRidereDoc *docA = open(a);
    ASSERT_NE(docA, nullptr);
    ASSERT_NE(open(b), nullptr);
    const int windows = int(frame()->workspace().documentFrames().size());
    // The same file through another spelling of its path.
    const QString other = QFileInfo(a).absolutePath() + u"/./a.txt"_s;
    EXPECT_EQ(open(other), nullptr);
    EXPECT_EQ(frame()->workspace().documentFrames().size(), windows);
    EXPECT_EQ(activeDoc(), docA);
    EXPECT_EQ(m_app->lastFolder(), QFileInfo(b).absolutePath());
}

TEST_F(DocumentTest, EncodingAndLineEndingCommandsCheckAndApply)
{
    const QString path = writeFile(u"u.txt"_s, "\xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9\n");
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->encoding(), 0);
    EXPECT_TRUE(state(Cmd::EncodingUtf8NoMark).checked);
    EXPECT_FALSE(state(Cmd::EncodingUtf8).checked) << "the file has no mark";
    EXPECT_FALSE(state(Cmd::EncodingAnsi).checked);
    EXPECT_TRUE(state(Cmd::LineEndingUnix).checked);

    ASSERT_TRUE(run(Cmd::EncodingUnicodeBigEndian));
    EXPECT_TRUE(state(Cmd::EncodingUnicodeBigEndian).checked);
    ASSERT_TRUE(run(Cmd::LineEndingWindows));
    EXPECT_TRUE(state(Cmd::LineEndingWindows).checked);
    EXPECT_EQ(doc->editor()->send(Sci::SCI_GETEOLMODE), Sci::SC_EOL_CRLF);
    ASSERT_TRUE(run(Cmd::FileSave));
    // Existing line breaks stay as they are; only the encoding changes.
    EXPECT_EQ(readFile(path), bytes({0xFE, 0xFF, 0, 0xE9, 0, 't', 0, 0xE9, 0, ' ', 0, 0xE9, 0, 't',
                                     0, 0xE9, 0, '\n'}));

    // Switching to Ansi reads the bytes the Unicode document would write (its UTF-8) as
    // Windows-1252, and writes exactly those bytes back.
    ASSERT_TRUE(run(Cmd::EncodingAnsi));
    EXPECT_EQ(editorText(doc), QByteArray("\xC3\x83\xC2\xA9t\xC3\x83\xC2\xA9 \xC3\x83\xC2\xA9t"
                                          "\xC3\x83\xC2\xA9\n"));
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_EQ(readFile(path), QByteArray("\xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9\n"));
    // ... and UTF-8 puts the text right again: a UTF-8 file taken for Ansi is mended this way.
    ASSERT_TRUE(run(Cmd::EncodingUtf8NoMark));
    EXPECT_EQ(editorText(doc), QByteArray("\xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9\n"));
}

TEST_F(DocumentTest, ReloadAsksOnlyForModifiedDocuments)
{
    const QString path = writeFile(u"r.txt"_s, "disk\n");
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    writeFile(u"r.txt"_s, "changed on disk\n");
    ASSERT_TRUE(run(Cmd::ReloadDocument));
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(editorText(doc), QByteArray("disk\n")) << "an unmodified document is left alone";

    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "edit ");
    m_answer = QMessageBox::No;
    ASSERT_TRUE(run(Cmd::ReloadDocument));
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages.last(), u"This file has been modified.  Continue to reload the file?"_s);
    EXPECT_EQ(editorText(doc), QByteArray("edit disk\n"));

    m_answer = QMessageBox::Yes;
    ASSERT_TRUE(run(Cmd::ReloadDocument));
    EXPECT_EQ(editorText(doc), QByteArray("changed on disk\n"));
    EXPECT_FALSE(doc->isModified());
    EXPECT_FALSE(doc->editor()->canUndo()) << "a reload starts a fresh undo history";
}

TEST_F(DocumentTest, FailedSaveKeepsFileAndModifiedState)
{
    const QString path = writeFile(u"keep.txt"_s, "original\n");
    CRidereDoc *doc = open(path);
    ASSERT_NE(doc, nullptr);
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "changed ");
    // Replace the file by a folder of the same name: no save can succeed, as with a full disk.
    const QString aside = path + u".aside"_s;
    ASSERT_TRUE(QFile::rename(path, aside));
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_FALSE(doc->doSave(path));
    ASSERT_FALSE(m_messages.isEmpty());
    // The program's text, and the system's reason on a second line.
    const QStringList lines = m_messages.last().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], u"Failed to create a new file when saving the current document"_s);
    EXPECT_TRUE(lines[1].startsWith(u"Reason: "_s)) << lines[1].toStdString();
    EXPECT_TRUE(doc->isModified());
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(readFile(aside), QByteArray("original\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(u"keep.txt"_s).size(),
              1)
        << "no temporary file is left behind";
}

TEST_F(DocumentTest, SaveAsTakesTheDialogsChoicesAndPath)
{
    CRidereDoc *doc = qobject_cast<CRidereDoc *>(m_app->newDocument());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->title(), u"Untitled2"_s) << "start-up made Untitled1";
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "x\n");
    const QString target = m_dir.filePath(u"saved.txt"_s);
    QString proposed;
    CFileDialogEx::setSaveHook([&](CFileDialogEx::SaveChoice &choice, const QString &p) {
        proposed = p;
        choice.path = target;
        choice.encoding = 1;
        choice.markLength = 2;
        choice.lineEnding = 2;
        return true;
    });
    ASSERT_TRUE(run(Cmd::FileSaveAs));
    CFileDialogEx::setSaveHook({});
    EXPECT_EQ(proposed, u"Untitled2"_s);
    EXPECT_EQ(doc->pathName(), target);
    EXPECT_EQ(doc->frame()->windowTitle(), u"saved.txt"_s);
    EXPECT_EQ(readFile(target), bytes({0xFF, 0xFE, 'x', 0, '\n', 0}));
    EXPECT_EQ(doc->editor()->send(Sci::SCI_GETEOLMODE), Sci::SC_EOL_LF);
}

TEST_F(DocumentTest, StatusBarShowsLineAndColumn)
{
    CRidereDoc *doc = activeDoc();
    ASSERT_NE(doc, nullptr);
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "ab\n\tc");
    doc->editor()->send(Sci::SCI_GOTOPOS, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame()->statusPanes()->text(StatusPane::Position), u"Ln  1 Col  0"_s);
    doc->editor()->send(Sci::SCI_GOTOPOS, 5);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame()->statusPanes()->text(StatusPane::Position), u"Ln  2 Col  5"_s);
}

TEST_F(DocumentTest, MissingFileReportsAndOpensNothing)
{
    const int windows = int(frame()->workspace().documentFrames().size());
    EXPECT_EQ(open(m_dir.filePath(u"nope.txt"_s)), nullptr);
    EXPECT_EQ(frame()->workspace().documentFrames().size(), windows);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_FALSE(m_messages.last().isEmpty());
}
