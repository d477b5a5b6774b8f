// Editing in the running program as a user types: indentation and braces, folding, Auto Complete,
// Insert File Name, read-only, the language menus and box, and the window around the editor.
#include "app/mainframehost.h"
#include "editor/ridereframe.h"
#include "editor/ridereview.h"
#include "resources/commandids.h"
#include "settings/framesettings.h"
#include "tests/support/appfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QTabBar>
#include <QTest>

using namespace pw;
using pw::test::AppFixture;

namespace {

class EditingTest : public AppFixture
{
protected:
    static long send(CRidereDoc *doc, unsigned msg, unsigned long w = 0, long l = 0)
    {
        return doc->editor()->send(msg, w, l);
    }
    // Types text into the editor as keys, Return included.
    static void type(CRidereDoc *doc, const QString &text)
    {
        for (const QChar c : text) {
            if (c == QLatin1Char('\n'))
                QTest::keyClick(doc->editor(), Qt::Key_Return);
            else
                QTest::keyClicks(doc->editor(), QString(c));
        }
    }
    static bool allLinesVisible(CRidereDoc *doc)
    {
        const long lines = send(doc, Sci::SCI_GETLINECOUNT);
        for (long line = 0; line < lines; ++line)
            if (!send(doc, Sci::SCI_GETLINEVISIBLE, line))
                return false;
        return true;
    }
};

TEST_F(EditingTest, TypedBlocksIndentAndTheClosingBraceLinesUpWithItsOpening)
{
    CRidereDoc *doc = open(writeFile(QStringLiteral("b.c"), ""));
    ASSERT_NE(doc, nullptr);
    send(doc, Sci::SCI_SETEOLMODE, Sci::SC_EOL_LF);
    type(doc, QStringLiteral("    if (a) {\nx;\n}"));
    EXPECT_EQ(editorText(doc), QByteArray("    if (a) {\n        x;\n    }"));
    // Outside a language that nests, a new line keeps the indentation only.
    CRidereDoc *plain = open(writeFile(QStringLiteral("p.txt"), ""));
    ASSERT_NE(plain, nullptr);
    send(plain, Sci::SCI_SETEOLMODE, Sci::SC_EOL_LF);
    type(plain, QStringLiteral("  a {\nb"));
    EXPECT_EQ(editorText(plain), QByteArray("  a {\n  b"));
}

TEST_F(EditingTest, FoldingOffOpensEveryFoldedBlockWhereverItIsNow)
{
    const QByteArray source = "int f(void)\n{\n    return 1;\n}\n\nint g(void)\n{\n    return 2;\n}\n";
    CRidereDoc *doc = open(writeFile(QStringLiteral("f.c"), source));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(run(Cmd::ViewCodeFolding));
    ASSERT_TRUE(frame()->settings().codeFolding);
    send(doc, Sci::SCI_COLOURISE, 0, -1);
    // Fold both functions from the margin, then move them down and open one by a jump.
    auto clickFold = [&](long line) {
        emit doc->editor()->SCN_MARGINCLICK(int(send(doc, Sci::SCI_POSITIONFROMLINE, line)), 0,
                                            CMFCScintilla::FoldMargin);
    };
    clickFold(1);
    clickFold(6);
    ASSERT_FALSE(send(doc, Sci::SCI_GETLINEVISIBLE, 2));
    ASSERT_FALSE(send(doc, Sci::SCI_GETLINEVISIBLE, 7));
    send(doc, Sci::SCI_GOTOPOS, 0);
    doc->editor()->sendText(Sci::SCI_INSERTTEXT, 0, "// a\n// b\n");
    send(doc, Sci::SCI_COLOURISE, 0, -1);
    send(doc, Sci::SCI_ENSUREVISIBLE, 4); // the first block, two lines lower now
    ASSERT_TRUE(run(Cmd::ViewCodeFolding));
    EXPECT_FALSE(frame()->settings().codeFolding);
    EXPECT_TRUE(allLinesVisible(doc));
}

TEST_F(EditingTest, AutoCompleteReplacesTheSelectionAndLeavesTheCaretAfterTheWord)
{
    CRidereDoc *doc = open(writeFile(QStringLiteral("a.txt"), "one two three\n"));
    ASSERT_NE(doc, nullptr);
    for (const bool forward : {true, false}) {
        SCOPED_TRACE(forward ? "forward selection" : "backward selection");
        send(doc, Sci::SCI_SETTEXT, 0, reinterpret_cast<long>("one two three\n"));
        if (forward)
            send(doc, Sci::SCI_SETSEL, 4, 7);
        else
            send(doc, Sci::SCI_SETSEL, 7, 4);
        emit doc->editor()->SCN_USERLISTSELECTION("alpha", 1);
        EXPECT_EQ(editorText(doc), QByteArray("one alpha three\n"));
        EXPECT_EQ(send(doc, Sci::SCI_GETCURRENTPOS), 9);
        EXPECT_EQ(send(doc, Sci::SCI_GETANCHOR), 9);
    }
}

TEST_F(EditingTest, InsertFileNameAndReadOnly)
{
    CRidereDoc *doc = open(writeFile(QStringLiteral("name.txt"), "x\n"));
    ASSERT_NE(doc, nullptr);
    send(doc, Sci::SCI_GOTOPOS, 0);
    ASSERT_TRUE(run(Cmd::InsertFileName));
    EXPECT_EQ(editorText(doc), QByteArray("name.txtx\n"));
    // Read-only refuses typing and commands alike, and says so in the title.
    ASSERT_TRUE(run(Cmd::SetReadOnly));
    EXPECT_TRUE(state(Cmd::SetReadOnly).checked);
    EXPECT_TRUE(doc->frame()->windowTitle().contains(QStringLiteral("[Read Only]")));
    const QByteArray before = editorText(doc);
    type(doc, QStringLiteral("typed"));
    run(Cmd::InsertDate);
    run(Cmd::EditDeleteLine);
    EXPECT_EQ(editorText(doc), before);
}

TEST_F(EditingTest, ColorDocumentAsListsTheFirstLanguagesWithTheDocumentsChecked)
{
    CRidereDoc *doc = open(writeFile(QStringLiteral("m.c"), "int x;\n"));
    ASSERT_NE(doc, nullptr);
    ASSERT_LT(doc->languageIndex(), 21);
    QMenu *colour = nullptr;
    std::function<void(QMenu *)> walk = [&](QMenu *menu) {
        for (QAction *action : menu->actions()) {
            if (!action->menu())
                continue;
            if (action->text().startsWith(QStringLiteral("Color Document As")))
                colour = action->menu();
            walk(action->menu());
        }
    };
    for (QAction *top : frame()->menuBar()->actions())
        if (top->menu())
            walk(top->menu());
    ASSERT_NE(colour, nullptr);
    emit colour->aboutToShow();
    QStringList labels;
    QString checked;
    for (QAction *action : colour->actions()) {
        if (action->property("languageEntry").isValid()) {
            labels << action->text();
            if (action->isChecked())
                checked = action->text();
        }
    }
    EXPECT_EQ(labels.size(), std::min(21, frame()->languages().count()));
    EXPECT_EQ(checked, frame()->languages().get(doc->languageIndex()).menuLabel);
}

TEST_F(EditingTest, TheToolbarLanguageBoxFollowsAndSetsTheActiveDocument)
{
    auto *box = frame()->findChild<QComboBox *>(QStringLiteral("LanguageBox"));
    ASSERT_NE(box, nullptr);
    CRidereDoc *py = open(writeFile(QStringLiteral("a.py"), "x = 1\n"));
    CRidereDoc *sql = open(writeFile(QStringLiteral("b.sql"), "select 1;\n"));
    ASSERT_TRUE(py && sql);
    EXPECT_EQ(box->currentIndex(), sql->languageIndex());
    frame()->workspace().activateFrame(py->frame());
    QTest::qWait(300); // the box follows on the idle tick
    EXPECT_EQ(box->currentIndex(), py->languageIndex());
    // Choosing in the box is choosing from the menu.
    const int wanted = sql->languageIndex();
    emit box->activated(wanted);
    EXPECT_EQ(py->languageIndex(), wanted);
}

TEST_F(EditingTest, PageSetupRemembersThePrinterChosen)
{
    int shown = 0;
    frame()->setPageSetupHook([&](QPrinter &printer) {
        if (shown++ == 0) {
            printer.setPageOrientation(QPageLayout::Landscape);
            printer.setOutputFileName(m_dir.filePath(QStringLiteral("out.pdf")));
        } else {
            EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
            EXPECT_EQ(printer.outputFileName(), m_dir.filePath(QStringLiteral("out.pdf")));
        }
        return true;
    });
    ASSERT_TRUE(run(Cmd::FilePageSetup));
    ASSERT_TRUE(run(Cmd::FilePageSetup));
    EXPECT_EQ(shown, 2);
    frame()->setPageSetupHook({});
}

TEST_F(EditingTest, TheWindowHasItsOwnIconAndReadablePaneTabs)
{
    EXPECT_FALSE(frame()->windowIcon().isNull());
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    const QList<QTabBar *> bars = frame()->findChildren<QTabBar *>(Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(bars.isEmpty()) << "the left panes are tabbed together";
    for (const QTabBar *bar : bars)
        EXPECT_EQ(bar->elideMode(), Qt::ElideNone);
}

// Opens nothing, but remembers what it was asked to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

TEST_F(EditingTest, HelpCommandsOpenTheShippedHelpPageNeverADeadAddress)
{
    // The page ships beside the program, which here lives in the test's folder.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("help")));
    writeFile(QStringLiteral("help/index.html"), "<html></html>");
    UrlCatcher catcher;
    for (const char *scheme : {"file", "http", "https"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    for (int id : {Cmd::CheckForUpdates, Cmd::OtherProducts, Cmd::OpenUpdatePage, Cmd::HelpTopics})
        run(id);
    for (const char *scheme : {"file", "http", "https"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    ASSERT_EQ(catcher.urls.size(), 4);
    for (const QUrl &url : catcher.urls) {
        EXPECT_TRUE(url.isLocalFile()) << url.toString().toStdString();
        EXPECT_TRUE(url.toLocalFile().endsWith(QStringLiteral("help/index.html")));
    }
    EXPECT_EQ(catcher.urls.first().fragment(), QStringLiteral("updates"));
}

TEST_F(EditingTest, ClosingADialogGivesTheKeyboardBackToTheEditor)
{
    CRidereDoc *doc = open(writeFile(QStringLiteral("k.txt"), "abc\n"));
    ASSERT_NE(doc, nullptr);
    frame()->activateWindow();
    doc->editor()->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), doc->editor());
    QDialog dialog(frame());
    dialog.show();
    dialog.activateWindow();
    QCoreApplication::processEvents();
    dialog.close();
    QTest::qWait(50);
    EXPECT_EQ(QApplication::focusWidget(), doc->editor());
}

} // namespace

#include "editing_tests.moc"
