// The markup tools in a running program: Tidy clean-ups replacing the text as one Undo step with
// the report in the Tool Window, big pages on the worker, the XML check, the option sheet's grid
// and its profile, and the web preview window reused per text window.
#include "markup/engine/tidyoptions.h"
#include "markup/markupcommands.h"
#include "markup/tidyoptiongrid.h"
#include "markup/tidysheet.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"
#include "tools/processoutputview.h"
#include "tools/toolscontroller.h"
#ifdef PENWRIGHT_TEST_WEBPREVIEW
#include "chrome/statuspanes.h"
#include "markup/htmlpreview.h"
#include "markup/previewcommands.h"

#include <QWebEngineView>
#include <unistd.h>
#endif

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PW_HAS_ASAN 1
#endif
#endif
#ifndef PW_HAS_ASAN
#define PW_HAS_ASAN 0
#endif

using namespace pw;
using pw::test::AppFixture;

namespace {

int optionId(const QString &profile, const char *name)
{
    for (const TidyOptionInfo &info : loadTidyOptions(profile)) {
        if (info.name == QLatin1String(name))
            return info.id;
    }
    return -1;
}

class MarkupTest : public AppFixture
{
protected:
    void TearDown() override
    {
        MarkupCommands::setSheetHook({});
        AppFixture::TearDown();
    }
    MarkupCommands *markup() const { return frame()->findChild<MarkupCommands *>(); }
    QString toolWindow() const
    {
        return frame()->findChild<ToolsController *>()->outputView()->text().toString();
    }
    CRidereDoc *newText(const QByteArray &text)
    {
        run(Cmd::FileNew);
        CRidereDoc *doc = activeDoc();
        if (doc)
            doc->editor()->sendText(Sci::SCI_SETTEXT, 0, text.constData());
        return doc;
    }
};

TEST_F(MarkupTest, CleanReplacesTheTextAsOneUndoStepAndReports)
{
    struct Row
    {
        int command;
        QByteArray before;
        QByteArray expected; // a part of the result
    };
    const Row rows[] = {
        {Cmd::XhtmlCleanRepair, "<title>t</title><p>a<br>b", "<br />"},
        {Cmd::HtmlCleanRepair, "<title>t</title><p>one<p>two", "<p>one</p>"},
        {Cmd::XmlPrettyPrint, "<a><b>x</b><c/></a>", "<a>\n  <b>x</b>\n  <c />\n</a>"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.command);
        CRidereDoc *doc = newText(row.before);
        ASSERT_TRUE(doc);
        // The typing before is undone on its own, after the clean-up's one step.
        doc->editor()->send(Sci::SCI_EMPTYUNDOBUFFER);
        doc->editor()->sendText(Sci::SCI_ADDTEXT, 1, " ");
        const QByteArray typed = editorText(doc);
        ASSERT_TRUE(state(row.command).enabled);
        ASSERT_TRUE(run(row.command));
        const QByteArray cleaned = editorText(doc);
        EXPECT_TRUE(cleaned.contains(row.expected)) << cleaned.toStdString();
        EXPECT_TRUE(doc->isModified());
        EXPECT_FALSE(toolWindow().isEmpty());
        EXPECT_TRUE(frame()->panes().isPaneShown(Cmd::PaneToolWindow));
        run(Cmd::EditUndo);
        EXPECT_EQ(editorText(doc), typed);
        run(Cmd::EditRedo);
        EXPECT_EQ(editorText(doc), cleaned);
    }
    // The Tool Window's text is replaced each time, not added to.
    newText("<a/>");
    run(Cmd::XmlPrettyPrint);
    EXPECT_EQ(toolWindow(), QStringLiteral("No warnings or errors were found.\n\n"));
}

TEST_F(MarkupTest, BigPageCleansOnTheWorkerWithoutHoldingTheWindow)
{
    QByteArray page = "<title>big</title>\n";
    while (page.size() < MarkupCommands::WorkerBytes + 1024)
        page += "<p>row <b>bold</b> text\n";
    CRidereDoc *doc = newText(page);
    ASSERT_TRUE(doc);
    QSignalSpy finished(markup(), &MarkupCommands::cleanFinished);
    ASSERT_TRUE(run(Cmd::HtmlCleanRepair));
    // The command returned at once: the text is held as Tidy saw it, and no second run starts.
    EXPECT_TRUE(markup()->isRunning());
    EXPECT_TRUE(doc->editor()->isReadOnly());
    EXPECT_FALSE(state(Cmd::XhtmlCleanRepair).enabled);
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_EQ(finished.at(0).at(0).toInt(), 1);
    EXPECT_FALSE(doc->editor()->isReadOnly());
    const QByteArray cleaned = editorText(doc);
    EXPECT_TRUE(cleaned.contains("<p>row <b>bold</b> text</p>"));
    EXPECT_TRUE(toolWindow().contains(QLatin1String("Warning")));
    run(Cmd::EditUndo);
    EXPECT_EQ(editorText(doc), page);
}

TEST_F(MarkupTest, WellFormedCheckReportsWithoutTouchingTheText)
{
    struct Row
    {
        QByteArray text;
        QString message; // whole, or the start of an error
    };
    const Row rows[] = {
        {"<a>\n  <b></a>", QStringLiteral("Line: 2 Col: 3 Error parsing xml := '")},
        {"<a><b/></a>", QStringLiteral("** document is well formed **")},
    };
    for (const Row &row : rows) {
        CRidereDoc *doc = newText(row.text);
        ASSERT_TRUE(run(Cmd::XmlWellFormedCheck));
        EXPECT_TRUE(toolWindow().startsWith(row.message)) << toolWindow().toStdString();
        EXPECT_EQ(editorText(doc), row.text);
    }
    EXPECT_EQ(toolWindow(), QStringLiteral("** document is well formed **"));
}

TEST_F(MarkupTest, OptionSheetListsEveryOptionAndSavesItsProfile)
{
    newText("<a><b>x</b></a>");
    int shownPage = -1;
    int listed = 0;
    QString profile;
    MarkupCommands::setSheetHook([&](CTidySheet &sheet) {
        shownPage = sheet.currentPage();
        CPageTidy *page = sheet.page(2);
        ASSERT_TRUE(page->isInitialised());
        EXPECT_FALSE(sheet.page(1)->isInitialised());
        profile = page->profilePath();
        TidyOptionGrid *grid = page->grid();
        listed = grid->optionCount();
        // Each option carries Tidy's documentation.
        QTreeWidget *tree = grid->tree();
        ASSERT_GT(tree->topLevelItemCount(), 0);
        for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i)
            EXPECT_FALSE(tree->topLevelItem(0)
                             ->child(i)
                             ->data(0, TidyOptionGrid::DescriptionRole)
                             .toString()
                             .isEmpty());
        QPushButton *applyButton = sheet.buttons()->button(QDialogButtonBox::Apply);
        EXPECT_FALSE(applyButton->isEnabled());
        ASSERT_TRUE(grid->setValue(optionId(profile, "indent-spaces"), QStringLiteral("5")));
        EXPECT_TRUE(applyButton->isEnabled());
        applyButton->click();
        EXPECT_FALSE(applyButton->isEnabled());
    });
    ASSERT_TRUE(run(Cmd::XmlTidyProperties));
    EXPECT_EQ(shownPage, 2);
    EXPECT_EQ(listed, int(loadTidyOptions(profile).size()));
    EXPECT_GE(listed, 100);

    // Reopened, the sheet shows the saved value, and the pretty print indents by it.
    QString reloaded;
    MarkupCommands::setSheetHook([&](CTidySheet &sheet) {
        for (const auto &[id, value] : sheet.page(2)->grid()->values()) {
            if (id == optionId(profile, "indent-spaces"))
                reloaded = value;
        }
    });
    ASSERT_TRUE(run(Cmd::XmlTidyProperties));
    EXPECT_EQ(reloaded, QStringLiteral("5"));
    ASSERT_TRUE(run(Cmd::XmlPrettyPrint));
    EXPECT_TRUE(editorText(activeDoc()).contains("<a>\n     <b>x</b>\n</a>"))
        << editorText(activeDoc()).toStdString();

    // "Tidy Properties" opens on the first page.
    MarkupCommands::setSheetHook([&](CTidySheet &sheet) { shownPage = sheet.currentPage(); });
    ASSERT_TRUE(run(Cmd::TidyProperties));
    EXPECT_EQ(shownPage, 0);
}

TEST_F(MarkupTest, PreviewWindowIsReusedAndShowsTheNewestText)
{
#ifndef PENWRIGHT_TEST_WEBPREVIEW
    EXPECT_FALSE(state(Cmd::PreviewInBrowser).enabled);
    GTEST_SKIP() << "this build has no web preview (Qt WebEngine not found)";
#elif defined(__SANITIZE_ADDRESS__) || PW_HAS_ASAN
    GTEST_SKIP() << "Chromium inside Qt WebEngine does not run under AddressSanitizer";
#else
    const QString page = writeFile(QStringLiteral("page.html"), "<p>first <img src=pic.png>");
    CRidereDoc *doc = open(page);
    ASSERT_TRUE(doc);
    CMDIChildFrame *textFrame = frame()->workspace().activeFrame();
    ASSERT_TRUE(state(Cmd::PreviewInBrowser).enabled);
    ASSERT_TRUE(run(Cmd::PreviewInBrowser));
    auto *preview = qobject_cast<CHTMLPreviewFrame *>(frame()->workspace().activeFrame());
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->view()->html(), QByteArray("<p>first <img src=pic.png>"));
    const QUrl previewBase = QUrl::fromLocalFile(QFileInfo(page).absolutePath() + QLatin1Char('/'));
    EXPECT_EQ(preview->view()->baseUrl(), previewBase);
    // The preview's own menu, with nothing there to clean.
    EXPECT_FALSE(state(Cmd::HtmlCleanRepair).enabled);

    frame()->workspace().activateFrame(textFrame);
    doc->editor()->sendText(Sci::SCI_SETTEXT, 0, "<p>second");
    ASSERT_TRUE(run(Cmd::PreviewInBrowser));
    EXPECT_EQ(frame()->workspace().activeFrame(), preview);
    EXPECT_EQ(preview->view()->html(), QByteArray("<p>second"));
    EXPECT_EQ(preview->view()->loads(), 2);
    // Chromium's sandbox refuses root: only then does it go, and the status bar says so.
    const bool root = ::geteuid() == 0;
    EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox"), root);
    EXPECT_EQ(frame()->statusPanes()->text(StatusPane::Message).contains(QLatin1String("sandbox")),
              root);
    if (!preview->view()->usesFallback()) {
        QSignalSpy loaded(preview->view()->webView(), &QWebEngineView::loadFinished);
        if (!loaded.wait(30000))
            GTEST_SKIP() << "the web engine gave no page offscreen here; the window was reused";
        QString body;
        bool done = false;
        preview->view()->webView()->page()->runJavaScript(QStringLiteral("document.body.innerText"),
                                                          [&](const QVariant &v) {
                                                              body = v.toString();
                                                              done = true;
                                                          });
        QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
        EXPECT_EQ(body, QStringLiteral("second"));
    }

    // Once its preview is closed, the text window gets a new one; mode 4 of the open routine
    // opens one with no file too.
    preview->closeWithoutAsking();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frame()->workspace().activateFrame(textFrame);
    ASSERT_TRUE(run(Cmd::PreviewInBrowser));
    EXPECT_TRUE(qobject_cast<CHTMLPreviewFrame *>(frame()->workspace().activeFrame()));
    EXPECT_TRUE(m_app->openDocumentFile(QString(), OpenRequest{OpenWebPreview}));
    // Given a file, that mode shows the file as it lies on disk, its links resolving beside it.
    CDocument *fileDoc = m_app->openDocumentFile(page, OpenRequest{OpenWebPreview});
    ASSERT_TRUE(fileDoc);
    auto *filePreview = qobject_cast<CHTMLPreviewFrame *>(fileDoc->frame());
    ASSERT_TRUE(filePreview);
    EXPECT_EQ(filePreview->view()->html(), QByteArray("<p>first <img src=pic.png>"));
    EXPECT_EQ(filePreview->view()->baseUrl(), previewBase);
#endif
}

} // namespace
