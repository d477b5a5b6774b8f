// Print and Print Preview in the running program: PDFs read back with pdftotext (header, footer,
// line numbers, page breaks), the colour modes on a previewed page, a preview of more than a
// thousand pages, and printing from the command line.
#include "printing/printcommands.h"
#include "printing/printpreviewdialog.h"
#include "resources/commandids.h"
#include "settings/framesettings.h"
#include "tests/support/appfixture.h"

#include <QDir>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

using namespace pw;
using pw::test::AppFixture;

namespace {

class PrintingTest : public AppFixture
{
protected:
    void TearDown() override
    {
        PrintCommands::setPrintDialogHook({});
        PrintCommands::setPreviewHook({});
        AppFixture::TearDown();
    }

    static bool haveTool(const char *name)
    {
        return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
    }
    // The text of each page of a PDF, as pdftotext lays it out.
    static QStringList pdfPages(const QString &pdf)
    {
        QProcess tool;
        tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        tool.waitForFinished(120000);
        QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }
    static int pdfPageCount(const QString &pdf)
    {
        QProcess tool;
        tool.start(QStringLiteral("pdfinfo"), {pdf});
        tool.waitForFinished(60000);
        const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                               .match(QString::fromUtf8(tool.readAllStandardOutput()));
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
    static QByteArray numberedLines(int count)
    {
        QByteArray text;
        for (int i = 1; i <= count; ++i)
            text += QStringLiteral("line%1 text\n").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
        return text;
    }
    // Print answers its dialog by writing pdf.
    static void printTo(const QString &pdf)
    {
        PrintCommands::setPrintDialogHook([pdf](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
    }
    CRidereDoc *openText(const QString &path)
    {
        CRidereDoc *doc = open(path);
        if (doc) {
            EXPECT_TRUE(QTest::qWaitFor([doc] { return !doc->isLoading(); }, 20000));
        }
        return doc;
    }
};

TEST_F(PrintingTest, PdfCarriesHeaderFooterAndLineNumbersAsConfigured)
{
    if (!haveTool("pdftotext"))
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    struct Row
    {
        bool longPath;
        bool lineNumbers;
        int lines;
    };
    const Row rows[] = {{false, true, 150}, {true, false, 150}, {false, false, 0}};
    int n = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(n);
        QString folder = m_dir.path();
        if (row.longPath) {
            folder += QStringLiteral("/a-folder-deep-enough-that-the-whole-path/is-too-long-for-a-header");
            ASSERT_TRUE(QDir().mkpath(folder));
        }
        const QString name = QStringLiteral("doc%1.txt").arg(n);
        const QString path =
            writeFile(QDir(m_dir.path()).relativeFilePath(QDir(folder).filePath(name)),
                      numberedLines(row.lines));
        ASSERT_EQ(path.size() > 68, row.longPath) << path.toStdString();
        CRidereDoc *doc = openText(path);
        ASSERT_TRUE(doc);
        doc->editor()->showLineNumbers(false);
        FrameSettings &s = frame()->settings();
        s.printHeader = s.printFooter = true;
        s.printLineNumbers = row.lineNumbers;
        const QString pdf = m_dir.filePath(QStringLiteral("out%1.pdf").arg(n++));
        printTo(pdf);
        ASSERT_TRUE(state(Cmd::FilePrint).enabled);
        ASSERT_TRUE(run(Cmd::FilePrint));
        EXPECT_EQ(doc->editor()->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin), 0)
            << "the screen keeps its own margin";

        const QStringList pages = pdfPages(pdf);
        ASSERT_FALSE(pages.isEmpty());
        const QRegularExpression numbered(QStringLiteral("^\\s*(\\d+)?\\s*line(\\d{5}) text"),
                                          QRegularExpression::MultilineOption);
        int expectedLine = 1;
        std::vector<int> perPage;
        for (int p = 0; p < pages.size(); ++p) {
            const QString &page = pages[p];
            EXPECT_TRUE(page.contains(QStringLiteral("Page %1").arg(p + 1))) << p;
            EXPECT_TRUE(page.contains(row.longPath ? name : path)) << page.toStdString();
            if (row.longPath) {
                EXPECT_FALSE(page.contains(folder));
            }
            int count = 0;
            for (auto it = numbered.globalMatch(page); it.hasNext();) {
                const auto match = it.next();
                EXPECT_EQ(match.captured(2).toInt(), expectedLine) << "pages follow each other";
                EXPECT_EQ(match.captured(1).isEmpty(), !row.lineNumbers);
                if (row.lineNumbers) {
                    EXPECT_EQ(match.captured(1).toInt(), expectedLine);
                }
                ++expectedLine;
                ++count;
            }
            perPage.push_back(count);
        }
        EXPECT_EQ(expectedLine - 1, row.lines) << "every line printed once";
        if (row.lines == 0) {
            EXPECT_EQ(pages.size(), 1);
        } else {
            // Full pages, then the rest: the count follows from the lines one page holds.
            ASSERT_GT(perPage.front(), 0);
            EXPECT_EQ(pages.size(), (row.lines + perPage.front() - 1) / perPage.front());
            for (std::size_t p = 0; p + 1 < perPage.size(); ++p)
                EXPECT_EQ(perPage[p], perPage.front()) << p;
        }
        frame()->workspace().activeFrame()->closeWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(PrintingTest, PreviewedPageFollowsTheColourMode)
{
    CRidereDoc *doc = openText(writeFile(QStringLiteral("colours.txt"),
                                         QByteArray("WWWWWWWWWWWWWWWWWWWW\n").repeated(60)));
    ASSERT_TRUE(doc);
    CMFCScintilla *ed = doc->editor();
    ed->send(Sci::SCI_STYLESETBACK, Sci::STYLE_DEFAULT, 0x202020); // dark grey
    ed->send(Sci::SCI_STYLESETFORE, Sci::STYLE_DEFAULT, 0x00FFFF); // yellow
    ed->send(Sci::SCI_STYLECLEARALL);
    FrameSettings &s = frame()->settings();
    s.printHeader = s.printFooter = false;

    struct Counts
    {
        QColor background;
        int yellow = 0; // bright, saturated text pixels
        int coloured = 0;
        int dark = 0;
    };
    const auto sample = [](const QImage &page) {
        Counts c;
        c.background = page.pixelColor(int(page.width() * 0.8), int(page.height() * 0.25));
        for (int y = int(page.height() * 0.1); y < int(page.height() * 0.3); ++y) {
            for (int x = 0; x < page.width() / 2; ++x) {
                const QColor px = page.pixelColor(x, y);
                const int spread = std::max({px.red(), px.green(), px.blue()}) -
                                   std::min({px.red(), px.green(), px.blue()});
                c.yellow += px.red() > 200 && px.green() > 200 && px.blue() < 80;
                c.coloured += spread > 60;
                c.dark += px.lightness() < 100;
            }
        }
        return c;
    };
    Counts counts[4];
    for (int format = 0; format < 4; ++format) {
        s.printFormat = format;
        PrintCommands::setPreviewHook([&](CPrintPreviewDialog &dialog) {
            counts[format] = sample(dialog.shownPage());
        });
        ASSERT_TRUE(run(Cmd::FilePrintPreview));
    }
    // Same colours as the screen.
    EXPECT_LT(counts[0].background.lightness(), 50);
    EXPECT_GT(counts[0].yellow, 50);
    // Inverted light: the dark page turns light, its light text dark.
    EXPECT_GT(counts[1].background.lightness(), 150);
    EXPECT_NE(counts[1].background, QColor(Qt::white));
    EXPECT_EQ(counts[1].yellow, 0);
    EXPECT_GT(counts[1].dark, 50);
    // Black on white: nothing coloured is left.
    EXPECT_EQ(counts[2].background, QColor(Qt::white));
    EXPECT_EQ(counts[2].coloured, 0);
    EXPECT_GT(counts[2].dark, 50);
    // The text's own colours on white.
    EXPECT_EQ(counts[3].background, QColor(Qt::white));
    EXPECT_GT(counts[3].yellow, 50);
}

TEST_F(PrintingTest, PreviewCountsPastAThousandPagesAndPrintsWhatItShows)
{
    frame()->setPageSetupHook([](QPrinter &printer) {
        printer.setPageSize(QPageSize(QSizeF(90, 80), QPageSize::Millimeter, QString(),
                                      QPageSize::ExactMatch));
        printer.setPageMargins(QMarginsF(3, 3, 3, 3), QPageLayout::Millimeter);
        return true;
    });
    ASSERT_TRUE(run(Cmd::FilePageSetup));
    ASSERT_TRUE(frame()->printer());
    const int lines = 20000;
    CRidereDoc *doc = openText(writeFile(QStringLiteral("long.txt"), numberedLines(lines)));
    ASSERT_TRUE(doc);
    doc->editor()->showLineNumbers(false);
    FrameSettings &s = frame()->settings();
    s.printHeader = s.printFooter = s.printLineNumbers = true;
    const bool pdfTools = haveTool("pdfinfo");
    const QString pdf = m_dir.filePath(QStringLiteral("long.pdf"));
    printTo(pdf);

    int known = 0;
    PrintCommands::setPreviewHook([&](CPrintPreviewDialog &dialog) {
        // The first page is there before the count has got far.
        EXPECT_FALSE(dialog.shownPage().isNull());
        EXPECT_FALSE(dialog.countComplete());
        EXPECT_EQ(doc->editor()->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.countComplete(); }, 300000));
        known = dialog.knownPages();
        EXPECT_TRUE(dialog.showPage(known));
        EXPECT_EQ(dialog.currentPage(), known);
        EXPECT_FALSE(dialog.showPage(known + 1));
        if (!pdfTools)
            return;
        for (QToolButton *button : dialog.findChildren<QToolButton *>()) {
            if (button->text() == QStringLiteral("&Print..."))
                button->click();
        }
    });
    ASSERT_TRUE(run(Cmd::FilePrintPreview));
    EXPECT_GT(known, 1000);
    if (!pdfTools)
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    EXPECT_EQ(pdfPageCount(pdf), known) << "the printer breaks pages where the preview does";
}

TEST_F(PrintingTest, CommandLinePrintsToPdfWithoutShowingTheWindow)
{
    const QString path = writeFile(QStringLiteral("cli.txt"), numberedLines(30));
    const QString pdf = m_dir.filePath(QStringLiteral("cli.pdf"));
    ASSERT_TRUE(closeApp());
    startApp({QStringLiteral("penwright"), QStringLiteral("/pt"), path, pdf});
    EXPECT_TRUE(m_app->printedOnly());
    EXPECT_FALSE(frame()->isVisible());
    ASSERT_TRUE(QFile::exists(pdf));
    if (haveTool("pdftotext")) {
        const QStringList pages = pdfPages(pdf);
        ASSERT_EQ(pages.size(), 1);
        EXPECT_TRUE(pages[0].contains(QStringLiteral("line00030 text")));
    }
    // A print switch without its file prints nothing and ends the start.
    for (CMDIChildFrame *child : frame()->workspace().documentFrames())
        child->closeWithoutAsking();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_app = std::make_unique<PenwrightApp>();
    EXPECT_FALSE(m_app->initInstance({QStringLiteral("penwright"), QStringLiteral("/p")}));
    EXPECT_TRUE(m_app->printedOnly());
}

} // namespace
