// The compare window in a running program: its rows, navigation and copy, its outcomes, the text
// document's compare commands and the "Compare Files" dialog.
#include "compare/comparecommands.h"
#include "compare/comparedialog.h"
#include "compare/comparepane.h"
#include "compare/compareview.h"
#include "compare/comparewin.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "tests/support/appfixture.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>

using namespace pw;
using compare::ComparePane;
using diff::Side;
using pw::test::AppFixture;

namespace {

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

class CompareTest : public AppFixture
{
protected:
    void TearDown() override
    {
        CompareCommands::setChooseFileHook({});
        CBRCompareDlg::setShowHook({});
        AppFixture::TearDown();
    }
    CCompareFrame *compareFrame(CDocument *doc) const
    {
        return doc ? qobject_cast<CCompareFrame *>(doc->frame()) : nullptr;
    }
    CCompareFrame *activeCompare() const
    {
        return qobject_cast<CCompareFrame *>(frame()->workspace().activeFrame());
    }
    // Opens a compare of two files and waits for its result.
    CompareWin *compareFiles(const QByteArray &a, const QByteArray &b, bool ignoreEol = false)
    {
        CCompareFrame *f = compareFrame(m_app->openCompare(writeFile(QStringLiteral("a.txt"), a),
                                                           writeFile(QStringLiteral("b.txt"), b)));
        if (!f)
            return nullptr;
        CompareWin *win = f->view()->control();
        if (ignoreEol)
            win->setIgnoreLineEndings(true);
        return finish(win) ? win : nullptr;
    }
    static bool finish(CompareWin *win)
    {
        QSignalSpy spy(win, &CompareWin::finished);
        return (!win->isRunning() && win->outcome()) || spy.wait(20000);
    }
    static bool hasMarker(ComparePane *pane, int row, int marker)
    {
        return (pane->send(Sci::SCI_MARKERGET, row) & (1 << marker)) != 0;
    }
};

TEST_F(CompareTest, RowsFaceEachOtherWithTheirKindsAndChangedCharacters)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("a"));
    QDir(m_dir.path()).mkpath(QStringLiteral("b"));
    const QString x = writeFile(QStringLiteral("a/x.txt"), "one\ntwo\nthree\n");
    const QString y = writeFile(QStringLiteral("b/y.c"), "one\ntoo\nthree\nfour\n");
    CCompareFrame *f = compareFrame(m_app->openCompare(x, y));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->view()->headerText(), QStringLiteral("x.txt : y.c"));
    ASSERT_TRUE(finish(f->view()->control()));
    ComparePane *first = f->view()->control()->pane(Side::First);
    ComparePane *second = f->view()->control()->pane(Side::Second);
    EXPECT_EQ(first->send(Sci::SCI_GETLINECOUNT), second->send(Sci::SCI_GETLINECOUNT));
    // Row 1: "two" against "too", its changed character marked on both sides.
    EXPECT_TRUE(hasMarker(first, 1, ComparePane::ChangedMarker));
    const long changed = first->send(Sci::SCI_POSITIONFROMLINE, 1) + 1;
    EXPECT_NE(first->send(Sci::SCI_INDICATORVALUEAT, ComparePane::ChangedCharsIndicator, changed),
              0);
    EXPECT_EQ(
        first->send(Sci::SCI_INDICATORVALUEAT, ComparePane::ChangedCharsIndicator, changed - 1), 0);
    // Row 3: "four" only on the right, a filler on the left.
    EXPECT_TRUE(hasMarker(first, 3, ComparePane::FillerMarker));
    EXPECT_TRUE(hasMarker(second, 3, ComparePane::AddedMarker));
    EXPECT_EQ(first->getLineText(3), QByteArray("\n"));
    EXPECT_TRUE(f->view()->control()->summary().contains(QStringLiteral("1 line changed")));
    // The compare window brings its own menu bar.
    EXPECT_EQ(frame()->workspace().activeFrame()->menuId(), 501);
}

TEST_F(CompareTest, StepsThroughDifferencesFromThePopupMenu)
{
    // Line 2 changed, line 5 removed, a line added after line 8: rows 1, 4 and 8.
    QByteArray a, b;
    for (int i = 1; i <= 10; ++i) {
        const QByteArray line = "line " + QByteArray::number(i) + '\n';
        a += line;
        b += i == 2 ? QByteArray("line two\n") : i == 5 ? QByteArray() : line;
        if (i == 8)
            b += "new\n";
    }
    CompareWin *win = compareFiles(a, b);
    ASSERT_TRUE(win);
    QMenu *menu = activeCompare()->view()->createContextMenu();
    ASSERT_TRUE(menu);
    QHash<QString, QAction *> byText;
    for (QAction *action : menu->actions())
        byText.insert(action->text().remove(QLatin1Char('&')), action);
    const struct
    {
        const char *action;
        int row;
    } steps[] = {{nullptr, 1}, // the window starts on the first difference
                 {"Next Difference", 4},     {"Next Difference", 8},
                 {"Next Difference", 8}, // past the end stays put
                 {"Previous Difference", 4}, {"Previous Difference", 1},
                 {"Previous Difference", 1}};
    for (const auto &step : steps) {
        if (step.action) {
            ASSERT_TRUE(byText.contains(QLatin1String(step.action))) << step.action;
            byText.value(QLatin1String(step.action))->trigger();
        }
        EXPECT_EQ(win->pane(Side::First)->caretRow(), step.row) << step.action;
        EXPECT_EQ(win->pane(Side::Second)->caretRow(), step.row) << step.action;
    }
    EXPECT_EQ(win->differenceCount(), 3);
    delete menu;
}

TEST_F(CompareTest, CopiesEachSideAsItsFileHasItAndSummarySaysWhatDiffers)
{
    const struct
    {
        const char *name;
        QByteArray first;
        QByteArray second;
        bool ignoreLineEndings;
        const char *summary; // a part of the summary line; null: not checked
        QString firstText;   // what copying the whole of each side gives; null: not checked
        QString secondText;
    } rows[] = {
        // No filler row and no line break the pane adds reaches the clipboard.
        {"fillers and a missing final break", "alpha\r\nbeta\r\ngamma", "alpha\r\ngamma\r\n",
         false, nullptr, QStringLiteral("alpha\r\nbeta\r\ngamma"),
         QStringLiteral("alpha\r\ngamma\r\n")},
        {"UTF-16 against UTF-8", utf16le(QStringLiteral("caf\u00E9\n")), "caf\xC3\xA9s\n", false,
         nullptr, QStringLiteral("caf\u00E9\n"), QStringLiteral("caf\u00E9s\n")},
        {"identical", "same\n", "same\n", false, "no differences", {}, {}},
        {"line endings shown", "a\r\nb\r\n", "a\nb\n", false, "2 lines changed", {}, {}},
        {"line endings ignored", "a\r\nb\r\n", "a\nb\n", true, "no differences", {}, {}},
        {"binary files say where", QByteArray("\x01\x02\x00\x04\x05\x06", 6),
         QByteArray("\x01\x02\x00\x04\x05\x07", 6), false, "byte 5 (0x5)", {}, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        CompareWin *win = compareFiles(row.first, row.second, row.ignoreLineEndings);
        ASSERT_TRUE(win);
        if (row.summary) {
            EXPECT_TRUE(win->summary().contains(QLatin1String(row.summary)))
                << win->summary().toStdString();
        }
        const std::pair<Side, QString> sides[] = {{Side::First, row.firstText},
                                                  {Side::Second, row.secondText}};
        for (const auto &[side, expected] : sides) {
            if (expected.isNull())
                continue;
            win->setActivePane(side);
            win->pane(side)->send(Sci::SCI_SETEMPTYSELECTION, 0);
            EXPECT_FALSE(state(Cmd::EditCopy).enabled);
            ASSERT_TRUE(run(Cmd::EditSelectAll));
            EXPECT_TRUE(state(Cmd::EditCopy).enabled);
            QGuiApplication::clipboard()->clear();
            ASSERT_TRUE(run(Cmd::EditCopy));
            EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
        }
        activeCompare()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(CompareTest, ScratchHoldsTheUnifiedDiffUntilTheWindowCloses)
{
    CompareWin *win = compareFiles("keep\nold\n", "keep\nnew\n");
    ASSERT_TRUE(win);
    const QString scratch = win->request().scratch;
    const QByteArray diff = readFile(scratch);
    EXPECT_TRUE(diff.startsWith("--- ")) << diff.constData();
    EXPECT_TRUE(diff.contains("\n-old\n+new\n")) << diff.constData();
    activeCompare()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFileInfo::exists(scratch));
}

TEST_F(CompareTest, ClosingWhileComparingStopsTheWork)
{
    QByteArray a, b;
    for (int i = 0; i < 200000; ++i) {
        a += "row " + QByteArray::number(i) + " of a long file\n";
        b += "row " + QByteArray::number(i % 7 ? i : -i) + " of a long file\n";
    }
    CCompareFrame *f = compareFrame(m_app->openCompare(writeFile(QStringLiteral("a.txt"), a),
                                                       writeFile(QStringLiteral("b.txt"), b)));
    ASSERT_TRUE(f);
    const QString scratch = f->view()->control()->request().scratch;
    EXPECT_TRUE(f->view()->control()->isRunning());
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(activeCompare(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(scratch));
}

TEST_F(CompareTest, TextDocumentCommandsCompareTheTextOrItsFile)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("docs"));
    const QString other = writeFile(QStringLiteral("other.txt"), "other\n");
    CompareCommands::setChooseFileHook([other] { return other; });

    // An untitled document has nothing saved to compare with.
    EXPECT_TRUE(state(Cmd::CompareWithActive).enabled);
    EXPECT_FALSE(state(Cmd::CompareWithSaved).enabled);
    EXPECT_FALSE(state(Cmd::CompareActiveWithSaved).enabled);

    const QString notes = writeFile(QStringLiteral("notes.txt"), "saved\n");
    CRidereDoc *doc = open(notes);
    ASSERT_TRUE(doc);
    doc->editor()->send(Sci::SCI_DOCUMENTEND);
    doc->editor()->sendText(Sci::SCI_ADDTEXT, 7, "edited\n");
    ASSERT_EQ(doc->decoratedTitle(), QStringLiteral("notes.txt*"));

    const struct
    {
        int command;
        bool snapshotFirst; // the first file is a snapshot of the text, else the saved file
        bool savedSecond;   // the second file is the saved file, else the chosen one
    } cases[] = {{Cmd::CompareWithActive, true, false},
                 {Cmd::CompareWithSaved, false, false},
                 {Cmd::CompareActiveWithSaved, true, true}};
    for (const auto &c : cases) {
        frame()->workspace().activateFrame(doc->frame());
        EXPECT_TRUE(state(c.command).enabled) << c.command;
        ASSERT_TRUE(run(c.command));
        CCompareFrame *f = activeCompare();
        ASSERT_TRUE(f) << c.command;
        const CompareWin::Request request = f->view()->control()->request();
        if (c.snapshotFirst) {
            const QFileInfo snapshot(request.first);
            EXPECT_EQ(snapshot.absolutePath(),
                      QDir(m_dir.filePath(QStringLiteral("docs"))).absolutePath());
            EXPECT_TRUE(snapshot.fileName().startsWith(QStringLiteral("notes.txt"))) << c.command;
            EXPECT_EQ(readFile(request.first), QByteArray("saved\nedited\n"));
        } else {
            EXPECT_EQ(request.first, notes);
        }
        EXPECT_EQ(request.second, c.savedSecond ? notes : other);
        f->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // The snapshot goes with its window; the user's files stay.
        EXPECT_EQ(QFileInfo::exists(request.first), !c.snapshotFirst) << c.command;
        EXPECT_TRUE(QFileInfo::exists(notes));
    }

    // Cancelling the file choice opens nothing.
    CompareCommands::setChooseFileHook([] { return QString(); });
    frame()->workspace().activateFrame(doc->frame());
    const auto windows = frame()->workspace().documentFrames().size();
    run(Cmd::CompareWithActive);
    EXPECT_EQ(frame()->workspace().documentFrames().size(), windows);
}

TEST_F(CompareTest, CompareFilesDialogChecksBothFilesInOrder)
{
    writeFile(QStringLiteral("x.txt"), "x\n");
    writeFile(QStringLiteral("y.txt"), "y\n");
    const struct
    {
        const char *first; // file names in the test folder; "" for an empty box
        const char *second;
        int message; // the refusal, or 0 when the compare opens
    } cases[] = {
        {"", "y.txt", Str::CompareSelectFirst},
        {"missing.txt", "", Str::CompareFirstMissing},
        {"x.txt", "", Str::CompareSelectSecond},
        {"x.txt", "missing.txt", Str::CompareSecondMissing},
        {"x.txt", "y.txt", 0},
    };
    const auto path = [this](const char *name) {
        return *name ? m_dir.filePath(QLatin1String(name)) : QString();
    };
    for (const auto &c : cases) {
        m_messages.clear();
        CBRCompareDlg::setShowHook([&](CBRCompareDlg &dialog) {
            dialog.firstEdit()->setText(path(c.first));
            dialog.secondEdit()->setText(path(c.second));
            dialog.compareButton()->click();
            return dialog.result();
        });
        ASSERT_TRUE(run(Cmd::CompareFiles));
        if (c.message) {
            EXPECT_EQ(m_messages, QStringList{resourceText(c.message)}) << c.first << c.second;
            EXPECT_EQ(activeCompare(), nullptr);
        } else {
            EXPECT_TRUE(m_messages.isEmpty());
            ASSERT_TRUE(activeCompare());
            EXPECT_EQ(activeCompare()->view()->headerText(), QStringLiteral("x.txt : y.txt"));
        }
    }
    // The next dialog starts from the paths last compared.
    QStringList shown;
    CBRCompareDlg::setShowHook([&](CBRCompareDlg &dialog) {
        shown << dialog.firstPath() << dialog.secondPath();
        return int(QDialog::Rejected);
    });
    run(Cmd::CompareFiles);
    EXPECT_EQ(shown, (QStringList{path("x.txt"), path("y.txt")}));
}

} // namespace
