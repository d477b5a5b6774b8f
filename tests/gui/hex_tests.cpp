// The hex window in a running program: open, edit, undo and save bytes; the go-to dialog's
// checks; finding bytes and text; the clipboard; binary files opening as bytes.
#include "chrome/statuspanes.h"
#include "hex/hexcommands.h"
#include "hex/hexdialogs.h"
#include "hex/hexeditorwin.h"
#include "hex/hexview.h"
#include "resources/commandids.h"
#include "search/findreplacecontroller.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"
#include "tests/support/appfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace pw;
using pw::test::AppFixture;

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

class HexTest : public AppFixture
{
protected:
    void TearDown() override
    {
        HexCommands::setChooseFilesHook({});
        CHexGoto::setShowHook({});
        CHexDocument::setSaveAsHook({});
        AppFixture::TearDown();
    }
    HexCommands *commands() const { return frame()->findChild<HexCommands *>(); }
    // Opens path through "Open as Hex..." and returns its view.
    CHexEditView *openHex(const QString &path)
    {
        HexCommands::setChooseFilesHook([path] { return QStringList{path}; });
        run(Cmd::FileOpenHex);
        auto *hexFrame = qobject_cast<CHexFrame *>(frame()->workspace().activeFrame());
        return hexFrame ? hexFrame->view() : nullptr;
    }
    QString status(StatusPane pane) const { return frame()->statusPanes()->text(pane); }
    static bool waitSearch(CHexEditView *view)
    {
        QSignalSpy spy(view, &CHexEditView::searchEnded);
        return !view->isSearching() || spy.wait(20000);
    }
};

TEST_F(HexTest, TypedBytesUndoAndSaveReachTheFile)
{
    const QByteArray original = allBytes();
    const QString path = writeFile(QStringLiteral("data.bin"), original);
    CHexEditView *view = openHex(path);
    ASSERT_TRUE(view);
    HexEditorWin *c = view->control();
    CDocument &doc = view->document();
    EXPECT_EQ(c->length(), 256);

    // Overwrite: two digits make one byte, and the caret moves on to the next byte's first digit.
    c->setFocus();
    c->setPosition(0x10);
    QTest::keyClicks(c, QStringLiteral("aBcd"));
    EXPECT_EQ(c->position(), 0x12);
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(frame()->windowTitle().contains(QLatin1Char('*')));
    EXPECT_EQ(status(StatusPane::Position), QStringLiteral("Pos: 18"));

    // Insert mode (the Insert key): the character column inserts a byte.
    QTest::keyClick(c, Qt::Key_Insert);
    EXPECT_TRUE(c->isInsertMode());
    EXPECT_EQ(status(StatusPane::Insert), QStringLiteral("INS"));
    c->setPosition(0x20);
    QTest::keyClick(c, Qt::Key_Tab);
    QTest::keyClicks(c, QStringLiteral("Z"));
    EXPECT_EQ(c->length(), 257);
    EXPECT_EQ(c->buffer().bytes(0x20, 2), (std::vector<std::uint8_t>{'Z', 0x20}));

    ASSERT_TRUE(state(Cmd::EditUndo).enabled);
    run(Cmd::EditUndo);
    EXPECT_EQ(c->length(), 256);
    EXPECT_TRUE(state(Cmd::EditRedo).enabled);
    run(Cmd::EditRedo);
    EXPECT_EQ(c->length(), 257);
    run(Cmd::EditUndo);

    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_FALSE(doc.isModified());
    QByteArray expected = original;
    expected[0x10] = char(0xAB);
    expected[0x11] = char(0xCD);
    EXPECT_EQ(readFile(path), expected);

    // Undo after the save (one step per byte) reaches back to the file as opened; Save As writes
    // that elsewhere and the window takes the new name.
    run(Cmd::EditUndo);
    run(Cmd::EditUndo);
    EXPECT_TRUE(doc.isModified());
    const QString copy = m_dir.filePath(QStringLiteral("copy.bin"));
    CHexDocument::setSaveAsHook([copy](const QString &) { return copy; });
    ASSERT_TRUE(run(Cmd::FileSaveAs));
    EXPECT_EQ(readFile(copy), original);
    EXPECT_EQ(doc.pathName(), copy);
    EXPECT_EQ(readFile(path), expected);
}

TEST_F(HexTest, ClipboardCarriesBytesAndTheirHexText)
{
    CHexEditView *view = openHex(writeFile(QStringLiteral("c.bin"), QByteArray("\x4D\x5A\x90\x00", 4)));
    ASSERT_TRUE(view);
    HexEditorWin *c = view->control();
    EXPECT_FALSE(state(Cmd::EditCopy).enabled);
    c->setSelection(0, 3);
    ASSERT_TRUE(state(Cmd::EditCopy).enabled);
    run(Cmd::EditCopy);
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->text(), QStringLiteral("4D 5A 90"));
    EXPECT_EQ(mime->data(QString::fromLatin1(HexEditorWin::MimeType)), QByteArray("\x4D\x5A\x90"));

    // Pasted in insert mode at the end; then a plain hex text overwrites at the start.
    c->setInsertMode(true);
    c->setPosition(4);
    run(Cmd::EditPaste);
    EXPECT_EQ(c->buffer().bytes(0, 7),
              (std::vector<std::uint8_t>{0x4D, 0x5A, 0x90, 0, 0x4D, 0x5A, 0x90}));
    c->setInsertMode(false);
    QApplication::clipboard()->setText(QStringLiteral("01 02"));
    c->setPosition(0);
    run(Cmd::EditPaste);
    EXPECT_EQ(c->buffer().bytes(0, 3), (std::vector<std::uint8_t>{1, 2, 0x90}));
    EXPECT_EQ(c->length(), 7);
    // Cut removes what it copies.
    c->setSelection(1, 2);
    run(Cmd::EditCut);
    EXPECT_EQ(c->length(), 5);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("02 90"));
}

TEST_F(HexTest, GotoChecksTheTextAndTheLength)
{
    CHexEditView *view = openHex(writeFile(QStringLiteral("g.bin"), QByteArray(4096, 'x')));
    ASSERT_TRUE(view);
    struct Case
    {
        bool hex;
        const char *text;
        bool accepted;
        qint64 offset;
        const char *message;
    };
    const Case cases[] = {
        {true, "0x1a", true, 26, nullptr},
        {true, "G1", false, 0, "Invalid hex digit"},
        {false, "12a", false, 0, "Invalid decimal digit. Numeric only."},
        {false, "4096", false, 0, "Selected offset larger than file length."},
        {true, "FFF", true, 4095, nullptr},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.text);
        m_messages.clear();
        view->control()->setPosition(0);
        int result = -1;
        CHexGoto::setShowHook([&](CHexGoto &dialog) {
            dialog.setHexMode(k.hex);
            dialog.edit()->clear();
            QTest::keyClicks(dialog.edit(), QString::fromLatin1(k.text));
            dialog.accept();
            result = dialog.result();
            return result;
        });
        run(Cmd::GotoLine);
        EXPECT_EQ(result == QDialog::Accepted, k.accepted);
        if (k.accepted) {
            EXPECT_EQ(view->control()->position(), k.offset);
        }
        if (k.message) {
            EXPECT_TRUE(m_messages.contains(QString::fromLatin1(k.message)));
        } else {
            EXPECT_TRUE(m_messages.isEmpty());
        }
    }

    // The base switches both numbers and is remembered as "Hex".
    view->control()->setPosition(255);
    CHexGoto::setShowHook([](CHexGoto &dialog) {
        dialog.setHexMode(false);
        EXPECT_EQ(dialog.edit()->text(), QStringLiteral("255"));
        dialog.setHexMode(true);
        EXPECT_EQ(dialog.edit()->text(), QStringLiteral("FF"));
        EXPECT_EQ(dialog.lengthLabel()->text(), QStringLiteral("File Length: 1000"));
        dialog.accept();
        return dialog.result();
    });
    run(Cmd::GotoLine);
    EXPECT_EQ(XmlSettingsStore(frame()->settingsFile()).getInt(settings::hexGoto::Hex), 1);
}

TEST_F(HexTest, FindBytesAndTextBothWaysAndSayWhenNothingIsFound)
{
    QByteArray bytes(100000, '\x11');
    bytes.replace(70000, 4, "\xDE\xAD\xBE\xEF");
    bytes.replace(90000, 5, "Hello");
    bytes.replace(20, 5, "HeLLo");
    CHexEditView *view = openHex(writeFile(QStringLiteral("f.bin"), bytes));
    ASSERT_TRUE(view);
    HexEditorWin *c = view->control();
    run(Cmd::EditFind);
    CHexFindDialog *dialog = commands()->findDialog();
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog->matchCaseBox()->isEnabled());

    const auto find = [&](const QString &text) {
        m_messages.clear();
        dialog->findWhat()->setEditText(text);
        dialog->find();
        return waitSearch(view);
    };
    ASSERT_TRUE(find(QStringLiteral("de ad BEef")));
    EXPECT_EQ(c->selectionStart(), 70000);
    EXPECT_EQ(c->selectionLength(), 4);

    // ASCII without match case finds either case; with it, only the exact text; up goes back.
    dialog->asciiBox()->setChecked(true);
    c->setPosition(0);
    ASSERT_TRUE(find(QStringLiteral("hello")));
    EXPECT_EQ(c->selectionStart(), 20);
    ASSERT_TRUE(find(QStringLiteral("hello")));
    EXPECT_EQ(c->selectionStart(), 90000);
    dialog->matchCaseBox()->setChecked(true);
    dialog->upButton()->setChecked(true);
    ASSERT_TRUE(find(QStringLiteral("HeLLo")));
    EXPECT_EQ(c->selectionStart(), 20);
    ASSERT_TRUE(find(QStringLiteral("HeLLo")));
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("Not found.")});

    // The choices are stored when the dialog closes.
    dialog->closeDialog();
    const XmlSettingsStore store(frame()->settingsFile());
    EXPECT_EQ(store.getInt(settings::hexFind::SearchAscii), 1);
    EXPECT_EQ(store.getInt(settings::hexFind::SearchUp), 1);

    // The toolbar box's search: hex, downwards; its own message.
    m_messages.clear();
    c->setPosition(0);
    ASSERT_TRUE(commands()->toolbarFind(QStringLiteral("0102")));
    ASSERT_TRUE(waitSearch(view));
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("The search text was not found")});
    // The real toolbar box hands its text to the hex window.
    auto *search = frame()->findChild<FindReplaceController *>();
    ASSERT_TRUE(search);
    search->boxSearch(QStringLiteral("DEADBEEF"));
    ASSERT_TRUE(waitSearch(view));
    EXPECT_EQ(c->selectionStart(), 70000);

    // Without a window the dialog's find says so.
    for (CMDIChildFrame *open : frame()->workspace().documentFrames())
        open->closeWithoutAsking();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_messages.clear();
    commands()->hexFind(QStringLiteral("11"), false, false, false);
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("Error: No Active Document to Search")});
}

TEST_F(HexTest, AutoOpensBinaryFilesAsBytesAndTextAsText)
{
    const QString binary = writeFile(QStringLiteral("b.dat"), QByteArray("MZ\x90\0\3\0\0\0", 8));
    const QString text = writeFile(QStringLiteral("t.txt"), QByteArray("plain text\n"));
    EXPECT_TRUE(qobject_cast<CHexDocument *>(m_app->openWithAutomaticChoice(binary)));
    EXPECT_TRUE(qobject_cast<CRidereDoc *>(m_app->openWithAutomaticChoice(text)));
    // The hex window's insert mode shows only while it is active.
    auto *hexDoc = qobject_cast<CHexDocument *>(frame()->workspace().isAlreadyOpen(binary));
    ASSERT_TRUE(hexDoc);
    frame()->workspace().activateFrame(hexDoc->frame());
    hexDoc->view()->control()->setInsertMode(true);
    EXPECT_EQ(status(StatusPane::Insert), QStringLiteral("INS"));
    frame()->workspace().activateFrame(frame()->workspace().isAlreadyOpen(text)->frame());
    QCoreApplication::processEvents();
    EXPECT_EQ(status(StatusPane::Insert), QString());
    // An empty file opens as bytes when asked, with the caret at 0.
    CHexEditView *view = openHex(writeFile(QStringLiteral("empty.bin"), QByteArray()));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->control()->length(), 0);
    EXPECT_FALSE(state(Cmd::EditUndo).enabled);
}

TEST_F(HexTest, TextTooLargeForTheEditorIsOfferedToTheHexWindow)
{
    // A log's worth of text, then zeros to 2.5 GiB: text to the detector, too much for the editor.
    const qint64 size = qint64(5) << 29;
    QByteArray head;
    while (head.size() < 4096)
        head += "2026-12-06 08:00:00 request served in 3 ms\n";
    const QString path = writeFile(QStringLiteral("huge.log"), head);
    ASSERT_TRUE(QFile::resize(path, size));

    // No: nothing opens, not even a text window left behind.
    const QList<CMDIChildFrame *> before = frame()->workspace().documentFrames();
    m_answer = QMessageBox::No;
    EXPECT_EQ(m_app->openWithAutomaticChoice(path), nullptr);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_icons.back(), MessageIcon::Question);
    EXPECT_TRUE(m_messages.constFirst().contains(QStringLiteral("huge.log")));
    EXPECT_TRUE(m_messages.constFirst().contains(QStringLiteral("hex editor")));
    EXPECT_EQ(frame()->workspace().documentFrames(), before);

    // Yes, even when text was asked for by name: the bytes open, all of them, and only they.
    m_messages.clear();
    m_answer = QMessageBox::Yes;
    OpenRequest asText;
    asText.mode = OpenText;
    auto *doc = qobject_cast<CHexDocument *>(m_app->openDocumentFile(path, asText));
    ASSERT_TRUE(doc);
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_EQ(doc->view()->control()->length(), size);
    EXPECT_EQ(doc->view()->control()->buffer().bytes(0, 4),
              (std::vector<std::uint8_t>{'2', '0', '2', '6'}));
    const QList<CMDIChildFrame *> after = frame()->workspace().documentFrames();
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_TRUE(after.contains(doc->frame()) && qobject_cast<CHexFrame *>(doc->frame()));
}

TEST_F(HexTest, HugeSparseFileScrollsEditsAndStopsItsSearchAndAShrunkFileIsTold)
{
    // 20 GiB: more rows than the scroll bar's int range holds, so the bar stands in proportion.
    const qint64 size = qint64(20) << 30;
    const QString path = m_dir.filePath(QStringLiteral("sparse.bin"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    }
    CHexEditView *view = openHex(path);
    ASSERT_TRUE(view);
    HexEditorWin *c = view->control();
    EXPECT_EQ(c->length(), size);
    CHexGoto::setShowHook([](CHexGoto &dialog) {
        dialog.setHexMode(true);
        dialog.edit()->setText(QStringLiteral("4FFFFFFF0"));
        dialog.accept();
        return dialog.result();
    });
    run(Cmd::GotoLine);
    const qint64 last = size - 16;
    EXPECT_EQ(c->position(), last);
    EXPECT_TRUE(c->topRow() <= last / 16 && last / 16 < c->topRow() + c->visibleRows());
    QScrollBar *bar = c->verticalScrollBar();
    EXPECT_GE(bar->value(), bar->maximum() - 1);
    bar->setValue(bar->maximum() / 2);
    EXPECT_NEAR(double(c->topRow()), double(size / 16 / 2), double(size / 16) / 1000);
    c->setPosition(last);
    QTest::keyClicks(c, QStringLiteral("7f"));
    EXPECT_EQ(c->buffer().bytes(last, 1), std::vector<std::uint8_t>{0x7F});
    EXPECT_EQ(status(StatusPane::Position), QStringLiteral("Pos: ") + QString::number(last + 1));

    // Stop in the status bar ends a search of the whole file, quietly.
    c->setPosition(0);
    m_messages.clear();
    ASSERT_TRUE(view->hexSearch(QStringLiteral("DEADBEEF"), false, false, false,
                                CHexEditView::SearchOrigin::Dialog));
    EXPECT_FALSE(state(Cmd::EditUndo).enabled) << "no edits while the search reads";
    frame()->statusPanes()->requestStop();
    ASSERT_TRUE(waitSearch(view));
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(c->selectionLength(), 0);

    // A file cut short behind the window's back: the missing bytes are told, nothing crashes.
    CHexEditView *small = openHex(writeFile(QStringLiteral("shrink.bin"), QByteArray(200000, 'a')));
    ASSERT_TRUE(small);
    ASSERT_TRUE(QFile::resize(m_dir.filePath(QStringLiteral("shrink.bin")), 10));
    small->control()->setPosition(150000);
    small->control()->viewport()->repaint();
    QTRY_VERIFY(!m_messages.isEmpty());
    EXPECT_TRUE(m_messages.constFirst().contains(QStringLiteral("shrink.bin")));
    // Saving would write zeros for the lost bytes: it is refused and the file stays as it is.
    m_messages.clear();
    run(Cmd::FileSave);
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_EQ(QFileInfo(m_dir.filePath(QStringLiteral("shrink.bin"))).size(), 10);
}

TEST_F(HexTest, MouseDragSelectsBytesAndTheRightButtonShowsTheMenu)
{
    CHexEditView *view = openHex(writeFile(QStringLiteral("m.bin"), allBytes()));
    ASSERT_TRUE(view);
    HexEditorWin *c = view->control();
    const QFontMetrics metrics(c->font());
    const int cw = metrics.horizontalAdvance(QLatin1Char('0'));
    const int rh = metrics.lineSpacing();
    // The middle of a byte's first digit in the hex column, and of its character.
    const auto hexPoint = [&](int row, int col) {
        return QPoint(cw / 2 + (8 + 2 + col * 3) * cw + cw / 2, row * rh + rh / 2);
    };
    const auto charPoint = [&](int row, int col) {
        return QPoint(cw / 2 + (8 + 2 + 16 * 3 + 1 + col) * cw + cw / 2, row * rh + rh / 2);
    };
    QWidget *port = c->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, hexPoint(1, 2));
    QMouseEvent move(QEvent::MouseMove, hexPoint(2, 3), port->mapToGlobal(hexPoint(2, 3)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::LeftButton, {}, hexPoint(2, 3));
    EXPECT_EQ(c->selectionStart(), 0x12);
    EXPECT_EQ(c->selectionLength(), 0x23 - 0x12 + 1);
    EXPECT_FALSE(c->inCharacterColumn());
    QTest::keyClick(c, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(c->selectionLength(), 0x23 - 0x12 + 2);

    // A click in the character column moves the caret there; the right button opens menu 117.
    QTest::mouseClick(port, Qt::LeftButton, {}, charPoint(3, 5));
    EXPECT_TRUE(c->inCharacterColumn());
    EXPECT_EQ(c->position(), 0x35);
    EXPECT_EQ(c->selectionLength(), 0);
    QTest::mouseClick(port, Qt::RightButton, {}, charPoint(3, 5));
    auto *menu = view->findChild<QMenu *>();
    ASSERT_TRUE(menu);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << action->text().section(QLatin1Char('\t'), 0, 0);
    EXPECT_TRUE(texts.contains(QStringLiteral("&Undo")) && texts.contains(QStringLiteral("&Paste")));
    menu->close();
}

} // namespace
