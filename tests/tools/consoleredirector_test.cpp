// Captures of real programs: output, exit, failures, zero bytes, floods, stops and reaping.
#include "tools/engine/consoleredirector.h"
#include "tools/engine/outputdecoder.h"
#include "tools/engine/toolcommand.h"

#include "tests/tools/toolstestutil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <memory>

namespace pw {
namespace {

using test::RecordingSink;
using test::launchOf;
using test::spinUntil;
using Reason = CaptureEnd::Reason;

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

bool processGone(qint64 pid)
{
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

class CaptureTest : public ::testing::Test
{
protected:
    void SetUp() override { test::ensureApplication(); }
    void TearDown() override
    {
        // Whatever a test started has been reaped shortly after it ended.
        EXPECT_TRUE(spinUntil([] { return test::zombieChildren() == 0; }, 10000));
    }

    // Runs the launch to its end and returns what the sink saw.
    void run(RecordingSink &sink, const ToolLaunch &launch,
             const ConsoleRedirector::Options &options = {})
    {
        ConsoleRedirector redirector(&sink, options);
        redirector.open(launch);
        ASSERT_TRUE(spinUntil([&] { return !sink.ends.isEmpty(); }));
        EXPECT_FALSE(redirector.isRunning());
        EXPECT_EQ(sink.ends.size(), 1);
    }
};

TEST_F(CaptureTest, DeliversMergedOutputAndTheExitStatus)
{
    const struct
    {
        const char *name;
        ToolLaunch launch;
        QString text;
        int exitCode;
    } rows[] = {
        {"printf", launchOf(s("printf"), {s("a%sb\\n"), s("X")}), s("aXb\n"), 0},
        {"exit status only", launchOf(s("sh"), {s("-c"), s("exit 3")}), QString(), 3},
        {"standard error joins standard output",
         launchOf(s("sh"), {s("-c"), s("echo out; echo err >&2; echo out2; exit 1")}),
         s("out\nerr\nout2\n"), 1},
        {"zero byte cuts its piece", launchOf(s("printf"), {s("abc\\000def\\n")}), s("abc"), 0},
        // Written just before exiting, still in the pipe when the exit is seen.
        {"output left in the pipe after exit",
         launchOf(s("sh"), {s("-c"), s("head -c 60000 /dev/zero | tr '\\0' x; printf END")}),
         QString(60000, u'x') + s("END"), 0},
        {"working directory", launchOf(s("pwd"), {}, s("/usr/bin")), s("/usr/bin\n"), 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSink sink;
        run(sink, row.launch);
        EXPECT_EQ(sink.text_, row.text);
        ASSERT_EQ(sink.ends.size(), 1);
        EXPECT_EQ(sink.ends[0].reason, Reason::Exited);
        EXPECT_EQ(sink.ends[0].exitCode, row.exitCode);
    }
}

TEST_F(CaptureTest, AFailedStartNamesThePlatformErrorNumber)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(s("plain"));
    const QString noMagic = dir.filePath(s("nomagic"));
    for (const QString &path : {plain, noMagic}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x7f" "ELF garbage\n");
    }
    QFile::setPermissions(noMagic, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const struct
    {
        const char *name;
        ToolLaunch launch;
        const char *text;
        int errorNumber;
    } rows[] = {
        {"missing program", launchOf(s("penwright-no-such-program"), {}),
         "\r\nError message: Redirect console error: 2\r\n", ENOENT},
        {"not executable", launchOf(plain, {}), "\r\nError message: Redirect console error: d\r\n",
         EACCES},
        {"not a program the system can run", launchOf(noMagic, {}),
         "\r\nError message: Redirect console error: 8\r\n", ENOEXEC},
        {"missing working directory", launchOf(s("true"), {}, dir.filePath(s("gone"))),
         "\r\nError message: Redirect console error: 2\r\n", ENOENT},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSink sink;
        ConsoleRedirector redirector(&sink);
        EXPECT_FALSE(redirector.open(row.launch));
        EXPECT_FALSE(redirector.isRunning());
        EXPECT_EQ(sink.text_, s(row.text));
        ASSERT_EQ(sink.ends.size(), 1);
        EXPECT_EQ(sink.ends[0].reason, Reason::StartFailed);
        EXPECT_EQ(sink.ends[0].errorNumber, row.errorNumber);
    }
}

TEST_F(CaptureTest, AFileNameReachesTheToolAsOneLiteralArgument)
{
    QTemporaryDir dir;
    ExternalTool tool;
    tool.cmd = s("printf");
    tool.args = s("'<%s>\\n' $FileName \"$FileShortName\" --dir=$FileDir");
    tool.dir = dir.path();
    for (const char *name : {"a; rm -rf ~.txt", "$(touch x).txt", "`touch y` && touch z.txt"}) {
        SCOPED_TRACE(name);
        const QString path = s("/tmp/a b/") + s(name);
        const FileParts parts = splitFilePath(path);
        RecordingSink sink;
        run(sink, expandTool(tool, {path, dir.path()}));
        EXPECT_EQ(sink.text_, s("<") + s(name) + s(">\n<") + parts.name + s(">\n<--dir=/tmp/a b/>\n"));
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }
}

TEST_F(CaptureTest, OutputThatIsNotUtf8StaysVisible)
{
    if (OutputDecoder().charset() != "UTF-8")
        GTEST_SKIP() << "the locale's character set is not UTF-8";
    RecordingSink sink;
    run(sink, launchOf(s("printf"), {s("caf\\351 \\303\\251\\n")}));
    EXPECT_EQ(sink.text_, s("caf\\xE9 \xc3\xa9\n"));
}

TEST_F(CaptureTest, SmallWritesArriveInFewBatches)
{
    RecordingSink sink;
    ConsoleRedirector::Options options;
    options.batchIntervalMs = 300;
    run(sink, launchOf(s("sh"), {s("-c"), s("i=0; while [ $i -lt 200 ]; do echo $i; i=$((i+1)); done")}),
        options);
    EXPECT_TRUE(sink.text_.startsWith(s("0\n1\n2\n")));
    EXPECT_TRUE(sink.text_.endsWith(s("198\n199\n")));
    EXPECT_LE(sink.batches, 5);
}

TEST_F(CaptureTest, StopReachesTheToolsChildrenAndKillsThoseThatIgnoreIt)
{
    RecordingSink sink;
    ConsoleRedirector::Options options;
    // Long enough that a close() which waited could not pass for one that returned at once,
    // even on a busy machine.
    options.stopGraceMs = 1500;
    ConsoleRedirector redirector(&sink, options);
    // The shell ignores the polite request; its background sleep prints its pid first.
    ASSERT_TRUE(redirector.open(launchOf(
        s("sh"), {s("-c"), s("trap '' TERM; sleep 1000 & echo $!; while :; do sleep 0.05; done")})));
    const qint64 shell = redirector.processId();
    ASSERT_TRUE(spinUntil([&] { return sink.text_.endsWith(u'\n'); }));
    const qint64 grandchild = sink.text_.trimmed().toLongLong();
    ASSERT_GT(grandchild, 0);
    spinUntil([] { return false; }, 300); // a program that never ends is not ended for it
    EXPECT_TRUE(redirector.isRunning());
    EXPECT_TRUE(sink.ends.isEmpty());

    QElapsedTimer clock;
    clock.start();
    redirector.close();
    EXPECT_LT(clock.elapsed(), 1000); // close() does not wait for the program
    EXPECT_FALSE(redirector.isRunning());
    ASSERT_EQ(sink.ends.size(), 1);
    EXPECT_EQ(sink.ends[0].reason, Reason::Stopped);
    EXPECT_TRUE(spinUntil([&] { return processGone(shell) && processGone(grandchild); }, 5000));
    EXPECT_GE(clock.elapsed(), 1400); // the shell outlived the request until the kill
    redirector.close(); // idle: nothing happens
    EXPECT_EQ(sink.ends.size(), 1);
}

TEST_F(CaptureTest, AFloodComesInBoundedBatchesAndLeavesTheEventLoopTurning)
{
    struct CountingSink : OutputSink
    {
        void writeStdOut(const QString &text) override
        {
            total += text.size();
            ++batches;
            largest = std::max(largest, text.size());
        }
        void onChildFinished(const CaptureEnd &end) override { ends.append(end); }
        qsizetype total = 0, largest = 0;
        int batches = 0;
        QList<CaptureEnd> ends;
    } sink;
    ConsoleRedirector::Options options;
    options.batchBytes = 64 * 1024;
    ConsoleRedirector redirector(&sink, options);
    ASSERT_TRUE(redirector.open(launchOf(s("yes"), {})));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(5);
    spinUntil([] { return false; }, 600);
    ticker.stop();
    EXPECT_GT(sink.total, 1024 * 1024);
    // A batch is what had gathered plus one read, and a read is at most a pipe's worth (1 MB).
    EXPECT_LE(sink.largest, options.batchBytes + 1024 * 1024);
    EXPECT_GE(sink.total / std::max(sink.batches, 1), 4096); // no callback per tiny chunk
    // Timers still ran meanwhile. A loop held by the flood would see one tick at most; a
    // sanitized build on a busy machine sees as few as six of the 120 the timer could give.
    EXPECT_GE(ticks, 3);
    const qint64 pid = redirector.processId();
    redirector.close();
    const qsizetype afterStop = sink.total;
    EXPECT_TRUE(spinUntil([pid] { return processGone(pid); }, 5000));
    EXPECT_EQ(sink.total, afterStop); // nothing reaches the sink after the stop
    ASSERT_EQ(sink.ends.size(), 1);
    EXPECT_EQ(sink.ends[0].reason, Reason::Stopped);
}

TEST_F(CaptureTest, SeveralCapturesRunAtOnce)
{
    constexpr int Count = 4;
    RecordingSink sinks[Count];
    std::vector<std::unique_ptr<ConsoleRedirector>> redirectors;
    for (int i = 0; i < Count; ++i) {
        redirectors.push_back(std::make_unique<ConsoleRedirector>(&sinks[i]));
        ASSERT_TRUE(redirectors.back()->open(
            launchOf(s("sh"), {s("-c"), s("echo start $0; sleep 0.3; echo end $0"),
                               QString::number(i)})));
    }
    for (int i = 0; i < Count; ++i)
        EXPECT_TRUE(redirectors[i]->isRunning());
    ASSERT_TRUE(spinUntil([&] {
        return std::all_of(std::begin(sinks), std::end(sinks),
                           [](const RecordingSink &k) { return !k.ends.isEmpty(); });
    }));
    for (int i = 0; i < Count; ++i)
        EXPECT_EQ(sinks[i].text_, QStringLiteral("start %1\nend %1\n").arg(i));
}

TEST_F(CaptureTest, OpeningAgainStopsTheRunningCaptureFirst)
{
    RecordingSink sink;
    ConsoleRedirector redirector(&sink);
    ASSERT_TRUE(redirector.open(launchOf(s("sleep"), {s("1000")})));
    const qint64 first = redirector.processId();
    ASSERT_TRUE(redirector.open(launchOf(s("printf"), {s("second")})));
    ASSERT_EQ(sink.ends.size(), 1);
    EXPECT_EQ(sink.ends[0].reason, Reason::Stopped);
    ASSERT_TRUE(spinUntil([&] { return sink.ends.size() == 2; }));
    EXPECT_EQ(sink.text_, s("second"));
    EXPECT_EQ(sink.ends[1].reason, Reason::Exited);
    EXPECT_TRUE(spinUntil([first] { return processGone(first); }, 5000));
}

TEST_F(CaptureTest, TheSinkMayStartTheNextCaptureWhenOneEnds)
{
    RecordingSink sink;
    ConsoleRedirector redirector(&sink);
    int runs = 0;
    sink.onFinished = [&](const CaptureEnd &) {
        if (++runs < 3)
            redirector.open(launchOf(s("printf"), {s("%d"), QString::number(runs)}));
    };
    ASSERT_TRUE(redirector.open(launchOf(s("printf"), {s("0")})));
    ASSERT_TRUE(spinUntil([&] { return runs == 3; }));
    EXPECT_EQ(sink.text_, s("012"));
    EXPECT_FALSE(redirector.isRunning());
}

TEST_F(CaptureTest, ASinkStoppingItsCaptureMidBatchGetsNothingMore)
{
    RecordingSink sink;
    ConsoleRedirector redirector(&sink);
    sink.onWrite = [&](const QString &) { redirector.close(); };
    ASSERT_TRUE(redirector.open(launchOf(s("yes"), {})));
    ASSERT_TRUE(spinUntil([&] { return !sink.ends.isEmpty(); }));
    const QString seen = sink.text_;
    spinUntil([] { return false; }, 200);
    EXPECT_EQ(sink.text_, seen);
    EXPECT_EQ(sink.ends.size(), 1);
    EXPECT_EQ(sink.ends[0].reason, Reason::Stopped);
}

TEST_F(CaptureTest, DestroyingTheRedirectorEndsItsProgramSilently)
{
    RecordingSink sink;
    qint64 pid = 0;
    {
        ConsoleRedirector redirector(&sink);
        ASSERT_TRUE(redirector.open(launchOf(s("sleep"), {s("1000")})));
        pid = redirector.processId();
    }
    EXPECT_TRUE(sink.ends.isEmpty());
    EXPECT_TRUE(spinUntil([pid] { return processGone(pid); }, 5000));
}

TEST_F(CaptureTest, RunningExternallyNeitherCapturesNorWaits)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(s("ran"));
    EXPECT_EQ(startDetached(launchOf(s("touch"), {marker})), 0);
    EXPECT_TRUE(spinUntil([&] { return QFile::exists(marker); }, 5000));
    EXPECT_EQ(startDetached(launchOf(s("penwright-no-such-program"), {})), ENOENT);
}

TEST_F(CaptureTest, QuittingWhileToolsRunNeitherHangsNorLeavesThemRunning)
{
    QProcess helper;
    helper.start(s(PW_QUIT_HELPER), {});
    ASSERT_TRUE(helper.waitForFinished(4000)) << "the application hung on quitting";
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.exitCode(), 0);
    const QList<QByteArray> pids = helper.readAllStandardOutput().trimmed().split(' ');
    ASSERT_EQ(pids.size(), 2);
    for (const QByteArray &pid : pids) {
        ASSERT_GT(pid.toLongLong(), 0);
        // Killed as the helper quit, the one that ignored the stop included.
        EXPECT_TRUE(spinUntil([&] { return processGone(pid.toLongLong()); }, 3000)) << pid.constData();
    }
}

} // namespace
} // namespace pw
