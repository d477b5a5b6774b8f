// penwright-bench "capture": output capture throughput into each kind of sink, the user-interface
// thread's longest stall during a flood, and how long Stop takes.
#include "bench/benchregistry.h"
#include "tools/bench/benchsinks.h"
#include "tools/engine/consoleredirector.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <sys/resource.h>
#include <memory>
#include <vector>

namespace {

using namespace pw;
using namespace pw::bench;

constexpr double EditorTargetMBps = 50;
constexpr double StallTargetMs = 50;
constexpr double StopTargetMs = 5000;

// A line of typical compiler output, 100 bytes with its newline.
const char Line[] = "src/module/file.cpp:123:45: warning: unused variable 'value' in this "
                    "function [-Wunused-variable]";

qint64 realtimeNs()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void spin(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void spinFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    spin([&] { return clock.elapsed() >= ms; });
}

bool processGone(qint64 pid)
{
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// CPU time the calling thread has used, in seconds: what the work costs the UI thread whatever
// else the machine is doing.
double threadCpuSeconds()
{
    rusage usage;
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : -1;
}

// How late the event loop serves a 1 ms timer: the longest and the 99th-percentile gap between
// two ticks, beyond the 1 ms itself. Includes time the system gave to other processes.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_gapsNs.push_back(std::max<qint64>(now - m_lastNs - 1000000, 0));
            m_lastNs = now;
        });
    }
    void start()
    {
        m_gapsNs.clear();
        m_clock.start();
        m_lastNs = 0;
        m_timer.start(1);
    }
    void stop()
    {
        m_timer.stop();
        std::sort(m_gapsNs.begin(), m_gapsNs.end());
    }
    double longestMs() const { return m_gapsNs.empty() ? 0 : double(m_gapsNs.back()) / 1e6; }
    double p99Ms() const
    {
        return m_gapsNs.empty() ? 0 : double(m_gapsNs[m_gapsNs.size() * 99 / 100]) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    std::vector<qint64> m_gapsNs;
};

// A child that writes `bytes` of text lines through a pipe (as a build tool's output arrives) and
// stamps the moment it has written the last byte; the capture runs to its end.
QJsonObject throughputRun(TimedSink &sink, qint64 bytes, const QString &stampFile,
                          const ConsoleRedirector::Options &options)
{
    const QString script =
        QStringLiteral("yes \"$1\" | head -c %1; date +%s%N > \"$2\"").arg(bytes);
    ConsoleRedirector redirector(&sink, options);
    StallMeter stalls;
    QElapsedTimer clock;
    qint64 lastWriteNs = 0;
    qint64 finishedNs = 0;
    sink.onWrite = [&lastWriteNs] { lastWriteNs = realtimeNs(); };
    sink.onEnd = [&finishedNs] { finishedNs = realtimeNs(); };
    stalls.start();
    clock.start();
    const double cpuBefore = threadCpuSeconds();
    redirector.open({QStringLiteral("sh"),
                     {QStringLiteral("-c"), script, QStringLiteral("sh"),
                      QString::fromLatin1(Line), stampFile},
                     {}});
    spin([&] { return sink.finished; });
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const double cpu = threadCpuSeconds() - cpuBefore;
    stalls.stop();
    QFile stamp(stampFile);
    const qint64 writtenNs = stamp.open(QIODevice::ReadOnly) ? stamp.readAll().trimmed().toLongLong() : 0;
    return {{"mb_per_s", double(bytes) / 1e6 / seconds},
            {"seconds", seconds},
            {"ui_thread_cpu_seconds", cpu},
            {"mb_per_ui_cpu_second", double(bytes) / 1e6 / cpu},
            {"delivered_mb", double(sink.received) / 1e6},
            {"batches", sink.batches},
            // Negative: everything was shown before the child had even finished writing.
            {"last_byte_after_child_done_ms", double(lastWriteNs - writtenNs) / 1e6},
            {"end_after_child_done_ms", double(finishedNs - writtenNs) / 1e6},
            {"longest_stall_ms", stalls.longestMs()},
            {"p99_stall_ms", stalls.p99Ms()}};
}

// The best of `runs` (the machine is shared, so the best shows what the code can do), with the
// median speed beside it.
template<typename Sink>
QJsonObject throughput(const char *name, qint64 bytes, int runs, const QString &stampFile,
                       ConsoleRedirector::Options options, qsizetype batchBytes)
{
    if (batchBytes > 0)
        options.batchBytes = batchBytes;
    QJsonObject best;
    std::vector<double> speeds;
    for (int i = 0; i < runs; ++i) {
        Sink sink;
        const QJsonObject run = throughputRun(sink, bytes, stampFile, options);
        speeds.push_back(run.value(QStringLiteral("mb_per_s")).toDouble());
        if (best.isEmpty() || speeds.back() > best.value(QStringLiteral("mb_per_s")).toDouble())
            best = run;
    }
    best.insert(QStringLiteral("sink"), QString::fromLatin1(name));
    best.insert(QStringLiteral("mb"), double(bytes) / 1e6);
    best.insert(QStringLiteral("median_mb_per_s"), median(speeds));
    best.insert(QStringLiteral("batch_kb"), double(options.batchBytes) / 1024);
    return best;
}

QJsonObject flood(TimedSink &sink, const char *name, int seconds,
                  const ConsoleRedirector::Options &options)
{
    ConsoleRedirector redirector(&sink, options);
    StallMeter stalls;
    stalls.start();
    redirector.open({QStringLiteral("yes"), {}, {}});
    spinFor(seconds * 1000);
    stalls.stop();
    const qint64 received = sink.received;
    const int batches = sink.batches;
    redirector.close();
    return {{"sink", QString::fromLatin1(name)},
            {"seconds", seconds},
            {"batch_kb", double(options.batchBytes) / 1024},
            {"mb", double(received) / 1e6},
            {"batches", batches},
            {"longest_stall_ms", stalls.longestMs()},
            {"p99_stall_ms", stalls.p99Ms()}};
}

// From close() to the child's being reaped.
QJsonObject stopTime(const char *name, const QStringList &command)
{
    StringSink sink;
    ConsoleRedirector redirector(&sink);
    redirector.open({command.first(), command.mid(1), {}});
    const qint64 pid = redirector.processId();
    spinFor(500); // let it get going
    QElapsedTimer clock;
    clock.start();
    redirector.close();
    const double closeMs = double(clock.nsecsElapsed()) / 1e6;
    QTimer poll; // wakes the loop so the check runs often
    poll.start(1);
    spin([pid] { return processGone(pid); });
    return {{"program", QString::fromLatin1(name)},
            {"close_call_ms", closeMs},
            {"ended_ms", double(clock.nsecsElapsed()) / 1e6}};
}

QJsonObject capture(const QStringList &args)
{
    const double mb = option(args, QStringLiteral("--mb"), QStringLiteral("100")).toDouble();
    const int runs = option(args, QStringLiteral("--runs"), QStringLiteral("3")).toInt();
    const int floodSeconds =
        option(args, QStringLiteral("--flood-seconds"), QStringLiteral("5")).toInt();
    // --batch-kb overrides every sink's batch size; otherwise each gets what the program gives it.
    const qsizetype batchBytes =
        option(args, QStringLiteral("--batch-kb"), QStringLiteral("0")).toLongLong() * 1024;
    ConsoleRedirector::Options pane;
    ConsoleRedirector::Options document = ConsoleRedirector::Options::forDocument();
    for (ConsoleRedirector::Options *o : {&pane, &document})
        o->batchIntervalMs = option(args, QStringLiteral("--interval-ms"),
                                    QString::number(o->batchIntervalMs)).toInt();
    const qint64 bytes = qint64(mb * 1024 * 1024);
    QTemporaryDir dir;
    const QString stamp = dir.filePath(QStringLiteral("done"));
    const double loadBefore = loadAverage();

    QJsonArray rows;
    rows.append(throughput<StringSink>("string", bytes, runs, stamp, document, batchBytes));
    rows.append(throughput<PaneSink>("tool_window_buffer", bytes, runs, stamp, pane, batchBytes));
    double editorMBps = 0;
    if (!args.contains(QStringLiteral("--no-editor"))) {
        const QJsonObject row =
            throughput<EditorSink>("editor_document", bytes, runs, stamp, document, batchBytes);
        editorMBps = row.value(QStringLiteral("mb_per_s")).toDouble();
        rows.append(row);
        rows.append(throughput<FollowingEditorSink>("editor_document_following_the_end", bytes,
                                                    runs, stamp, document, batchBytes));
    }

    PaneSink paneSink;
    if (batchBytes > 0)
        pane.batchBytes = batchBytes;
    const QJsonObject floodRow = flood(paneSink, "tool_window_buffer", floodSeconds, pane);
    ViewSink viewSink;
    const QJsonObject viewFloodRow = flood(viewSink, "tool_window_view", floodSeconds, pane);
    const double longestStall =
        std::max(floodRow.value(QStringLiteral("longest_stall_ms")).toDouble(),
                 viewFloodRow.value(QStringLiteral("longest_stall_ms")).toDouble());

    QJsonArray stops;
    double longestStop = 0;
    const QList<std::pair<const char *, QStringList>> programs = {
        {"yes (flooding)", {QStringLiteral("yes")}},
        {"sleep (silent)", {QStringLiteral("sleep"), QStringLiteral("1000")}},
        {"shell ignoring SIGTERM",
         {QStringLiteral("sh"), QStringLiteral("-c"),
          QStringLiteral("trap '' TERM; while :; do sleep 0.1; done")}},
    };
    for (const auto &[name, command] : programs) {
        const QJsonObject row = stopTime(name, command);
        longestStop = std::max(longestStop, row.value(QStringLiteral("ended_ms")).toDouble());
        stops.append(row);
    }

    const bool pass = (editorMBps == 0 || editorMBps >= EditorTargetMBps)
                      && longestStall <= StallTargetMs && longestStop <= StopTargetMs;
    return {{"throughput", rows},
            {"flood", floodRow},
            {"flood_view", viewFloodRow},
            {"stop", stops},
            {"batch_interval_ms", pane.batchIntervalMs},
            {"load_average_before", loadBefore},
            {"load_average_after", loadAverage()},
            {"targets",
             QJsonObject{{"editor_mb_per_s_min", EditorTargetMBps},
                         {"longest_stall_ms_max", StallTargetMs},
                         {"stop_ms_max", StopTargetMs}}},
            {"pass", pass}};
}

} // namespace

PW_BENCH("capture", capture);
