// External tools in a running program: the Tools menu, output into the Tool Window and into a new
// document, hostile file names, Stop, the customise page and closing while tools run.
#include "chrome/commandbars.h"
#include "chrome/customizedialog.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"
#include "tools/processoutputview.h"
#include "tools/toolscontroller.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <cerrno>
#include <csignal>

using namespace pw;
using pw::test::AppFixture;

namespace {

ExternalTool tool(const char *name, const char *cmd, const char *args, int type = 0)
{
    ExternalTool t;
    t.name = QString::fromUtf8(name);
    t.cmd = QString::fromUtf8(cmd);
    t.args = QString::fromUtf8(args);
    t.type = type;
    return t;
}

// Gone and reaped: a zombie still answers kill(pid, 0).
bool processGone(qint64 pid)
{
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

class ToolsTest : public AppFixture
{
protected:
    ToolsController *tools() const { return frame()->findChild<ToolsController *>(); }
    CProcessOutputView *pane() const { return tools()->outputView(); }

    // Lets the program run until done() holds, at most ms milliseconds.
    static bool spin(const std::function<bool()> &done, int ms = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    // The Tools menu of the menu bar shown now, as it looks when it opens.
    QList<QAction *> toolsMenuEntries()
    {
        for (QAction *top : frame()->menuBar()->actions()) {
            if (top->menu() && top->text() == QLatin1String("&Tools")) {
                emit top->menu()->aboutToShow();
                QList<QAction *> entries;
                for (QAction *act : top->menu()->actions()) {
                    if (act->property("toolEntry").isValid())
                        entries << act;
                }
                return entries;
            }
        }
        ADD_FAILURE() << "no Tools menu";
        return {};
    }
    // Runs the tool from its Tools menu entry, then waits for its end.
    void runFromMenu(const ExternalTool &t)
    {
        tools()->setTools({t});
        const QList<QAction *> entries = toolsMenuEntries();
        ASSERT_EQ(entries.size(), 1);
        entries.first()->trigger();
        ASSERT_TRUE(spin([this] { return !tools()->toolRunning(); }));
    }
};

TEST_F(ToolsTest, OutputReachesTheToolWindowOrANewDocumentAndFileNamesStayOneLiteralArgument)
{
    const struct
    {
        const char *file;
        int mode;
    } cases[] = {
        {"$(touch x).txt", 0},
        {"a; `touch z` $HOME.c", 1},
    };
    for (const auto &c : cases) {
        const QString name = QString::fromUtf8(c.file);
        SCOPED_TRACE(c.file + std::string(" mode ") + std::to_string(c.mode));
        CRidereDoc *source = open(writeFile(name, "text\n"));
        ASSERT_TRUE(source);
        // A slow build may still be loading it; its path is known once it is loaded.
        ASSERT_TRUE(spin([source] { return !source->isLoading(); }));
        ExternalTool t =
            tool("Show", "printf", "'[%s]\\n' $FileName $FileShortName$FileExt", c.mode);
        t.dir = m_dir.path();
        runFromMenu(t);
        const QString expected = QStringLiteral("[%1]\n[%1]\n").arg(name);
        if (c.mode == 0) {
            EXPECT_TRUE(frame()->panes().isPaneShown(Cmd::PaneToolWindow));
            EXPECT_EQ(QString::fromUtf8(pane()->textRange(0, pane()->send(Sci::SCI_GETLENGTH))),
                      expected);
        } else {
            CRidereDoc *output = activeDoc();
            ASSERT_TRUE(output && output != source);
            EXPECT_TRUE(output->pathName().isEmpty());
            EXPECT_EQ(QString::fromUtf8(editorText(output)), expected);
        }
        source->frame()->closeWithoutAsking();
    }
    const QStringList files = QDir(m_dir.path()).entryList(QDir::Files);
    for (const char *made : {"x", "z"})
        EXPECT_FALSE(files.contains(QLatin1String(made))) << "a file name ran a command";
}

TEST_F(ToolsTest, ToolWindowShowsLongOutputWholeCharacterByCharacter)
{
    // Seven units a line put a character's first half at the end of the first 128 Ki units, where
    // the view's first slice ends; "\xff" is no text and shows as its escape.
    runFromMenu(tool("Wide", "sh", "-c 'yes abc\U0001F600d | head -n 20000; printf \\\\377'"));
    ASSERT_TRUE(spin([this] { return pane()->isUpToDate(); }));
    EXPECT_EQ(pane()->text().size(), 20000 * 7 + 4);
    EXPECT_TRUE(pane()->text().endsWith(QStringLiteral("d\n\\xFF")));
    EXPECT_EQ(pane()->textRange(0, pane()->send(Sci::SCI_GETLENGTH)), pane()->text().toUtf8());
}

TEST_F(ToolsTest, MenuShowsTheToolsWithIconsOrThePlaceholder)
{
    tools()->setTools({tool("One", "printf", ""), tool("Missing", "no-such-program-here", ""),
                       tool("Two", "printf", "x")});
    QList<QAction *> entries = toolsMenuEntries();
    ASSERT_EQ(entries.size(), 3);
    // A program that cannot be found gets no icon and uses up no icon number.
    const int firstIcon = ToolsController::FirstIconId;
    const int icons[] = {firstIcon, 0, firstIcon + 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries.at(i)->text(), tools()->tools().at(i).name);
        EXPECT_EQ(tools()->tools().at(i).icon, icons[i]);
        EXPECT_EQ(entries.at(i)->icon().isNull(), icons[i] == 0);
        EXPECT_EQ(entries.at(i)->data().toInt(), Cmd::RunTool);
    }
    // Opening the menu again replaces the entries rather than adding to them.
    EXPECT_EQ(toolsMenuEntries().size(), 3);

    // No tools: the placeholder, disabled; while customising: the placeholder, enabled.
    tools()->setTools({});
    entries = toolsMenuEntries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first()->data().toInt(), Cmd::ToolsPlaceholder);
    EXPECT_FALSE(entries.first()->isEnabled());
    tools()->setTools({tool("One", "printf", "")});
    CustomizeDialog *dialog =
        frame()->commandBars()->showCustomizeDialog(CommandBars::ToolbarsPage);
    entries = toolsMenuEntries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first()->data().toInt(), Cmd::ToolsPlaceholder);
    EXPECT_TRUE(entries.first()->isEnabled());
    dialog->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(ToolsTest, StopEndsARunawayOrFloodingToolAndThePaneKeepsTheNewestTenMegabytes)
{
    const struct
    {
        const char *name;
        ExternalTool tool;
        bool floods;
    } cases[] = {
        {"silent", tool("Sleep", "sh", "-c 'sleep 100'"), false},
        {"flood", tool("Yes", "yes", ""), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(state(Cmd::StopUserTool).enabled);
        tools()->runTool(c.tool);
        ASSERT_TRUE(tools()->toolRunning());
        EXPECT_TRUE(state(Cmd::StopUserTool).enabled);
        const qint64 pid = pane()->processId();
        // A flood fills the pane, then is trimmed by whole lines for a while.
        if (c.floods) {
            ASSERT_TRUE(spin(
                [this] { return pane()->text().size() > BoundedTextBuffer::DefaultCapacity - 4; },
                60000));
        }
        spin([] { return false; }, 300);
        EXPECT_TRUE(tools()->toolRunning()) << "a tool that never ends runs until Stop";
        ASSERT_TRUE(run(Cmd::StopUserTool));
        EXPECT_FALSE(tools()->toolRunning());
        EXPECT_FALSE(state(Cmd::StopUserTool).enabled);
        // Asked to end at once, killed after 4.5 s at the latest, and reaped.
        EXPECT_TRUE(spin([pid] { return processGone(pid); }, 6000));
        if (c.floods) {
            // The widget follows the kept text in slices; it catches up once the flood is over.
            ASSERT_TRUE(spin([this] { return pane()->isUpToDate(); }));
            const QByteArray shown = pane()->textRange(0, pane()->send(Sci::SCI_GETLENGTH));
            EXPECT_LE(pane()->text().size(), BoundedTextBuffer::DefaultCapacity);
            EXPECT_EQ(shown, pane()->text().toUtf8()) << "the pane shows what it keeps";
            EXPECT_TRUE(shown.startsWith("y\ny\n"));
        }
    }
}

TEST_F(ToolsTest, CustomisePageEditsCopiesThatBecomeTheListAndAreSavedOnClose)
{
    CustomizeDialog *dialog =
        frame()->commandBars()->showCustomizeDialog(CommandBars::FirstExtraPage);
    QWidget *page = dialog->page(CommandBars::FirstExtraPage);
    ASSERT_TRUE(page);
    auto *list = page->findChild<QListWidget *>(QStringLiteral("toolList"));
    auto *command = page->findChild<QLineEdit *>(QStringLiteral("toolCommand"));
    auto *arguments = page->findChild<QLineEdit *>(QStringLiteral("toolArguments"));
    auto *output = page->findChild<QComboBox *>(QStringLiteral("toolOutput"));
    const auto click = [page](const char *name) {
        page->findChild<QPushButton *>(QLatin1String(name))->click();
    };
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Explorer"));
    EXPECT_EQ(command->text(), tools()->tools().at(0).cmd);

    click("toolNew");
    auto *name = list->viewport()->findChild<QLineEdit *>();
    ASSERT_TRUE(name) << "a new tool is named in the list";
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Echo"));
    QTest::keyClick(name, Qt::Key_Return);
    QTest::keyClicks(command, QStringLiteral("printf"));
    QTest::keyClicks(arguments, QStringLiteral("%s $FileName"));
    output->setCurrentIndex(1);
    // Another tool shown and this one again: its copy kept the edits.
    list->setCurrentRow(1);
    EXPECT_EQ(command->text(), QStringLiteral("xdg-open"));
    click("toolDelete");
    list->setCurrentRow(1);
    EXPECT_EQ(arguments->text(), QStringLiteral("%s $FileName"));
    EXPECT_EQ(output->currentIndex(), 1);
    click("toolUp");
    // The dialog's copies are not the list until it closes.
    EXPECT_EQ(tools()->tools().size(), 2);
    EXPECT_EQ(tools()->tools().at(1).name, QStringLiteral("Explorer"));
    dialog->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const auto check = [this] {
        const ToolList &now = tools()->tools();
        ASSERT_EQ(now.size(), 2);
        EXPECT_EQ(now.at(0).name, QStringLiteral("Echo"));
        EXPECT_EQ(now.at(0).cmd, QStringLiteral("printf"));
        EXPECT_EQ(now.at(0).args, QStringLiteral("%s $FileName"));
        EXPECT_EQ(now.at(0).type, 1);
        EXPECT_EQ(now.at(0).icon, ToolsController::FirstIconId);
        EXPECT_EQ(now.at(1).name, QStringLiteral("Command Prompt"));
    };
    check();
    // Written when the program closes and read back, not replaced by the defaults, next time.
    ASSERT_TRUE(closeApp());
    startApp();
    check();
}

TEST_F(ToolsTest, ClosingTheProgramWhileToolsRunLeavesNoProcessBehind)
{
    const ExternalTool sleeper = tool("Sleep", "sh", "-c 'sleep 100'");
    tools()->runTool(sleeper);
    ExternalTool inDocument = sleeper;
    inDocument.type = 1;
    tools()->runTool(inDocument);
    tools()->runTool(inDocument);
    const QList<qint64> pids = tools()->runningProcessIds();
    ASSERT_EQ(pids.size(), 3) << "several captures run at once";
    m_answer = QMessageBox::No;
    ASSERT_TRUE(closeApp());
    for (qint64 pid : pids)
        EXPECT_TRUE(spin([pid] { return processGone(pid); }, 6000)) << pid;
}

} // namespace
