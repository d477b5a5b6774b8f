// penwright-bench "diff": the diff engine against git and GNU diff on generated and real pairs;
// "diff --list A B" prints the engine's unified diff of A and B.
#include "bench/benchregistry.h"
#include "compare/bench/diffpairs.h"
#include "compare/engine/filecompare.h"
#include "compare/engine/unifieddiff.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#if defined(PENWRIGHT_HAVE_LIBGIT2)
#include <git2.h>
#endif

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char **environ;

namespace {

namespace pd = pw::diff;
namespace pb = pw::diff::bench;
using pw::bench::median;

constexpr double TimeTargetVsGit = 1.5;
constexpr double EditTargetVsGnu = 1.05;

struct Timing
{
    double wall = 0;
    double cpu = 0;
};

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Runs a program with its standard output going to outputPath (or nowhere) and returns its wall
// and processor time; exit codes above maxExit count as failure.
std::optional<Timing> runTool(const QStringList &arguments, const QString &outputPath, int maxExit)
{
    std::vector<QByteArray> storage;
    std::vector<char *> argv;
    for (const QString &a : arguments)
        storage.push_back(QFile::encodeName(a));
    for (QByteArray &a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray out =
        outputPath.isEmpty() ? QByteArray("/dev/null") : QFile::encodeName(outputPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return std::nullopt;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return std::nullopt;
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) > maxExit)
        return std::nullopt;
    auto seconds = [](const timeval &tv) { return double(tv.tv_sec) + double(tv.tv_usec) / 1e6; };
    return Timing{std::chrono::duration<double>(end - start).count(),
                  seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// Lines GNU diff's normal output marks with '<' or '>'.
qint64 countGnuEdits(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 edits = 0;
    char line[4096];
    bool atLineStart = true;
    for (;;) {
        const qint64 n = file.readLine(line, sizeof line);
        if (n <= 0)
            break;
        if (atLineStart && (line[0] == '<' || line[0] == '>'))
            ++edits;
        atLineStart = line[n - 1] == '\n';
    }
    return edits;
}

struct EngineRun
{
    Timing time;
    qint64 editSize = 0;
    int hunks = 0;
    int progressReports = 0;
    qint64 unifiedBytes = 0;
    qint64 peakRssBytes = 0; // 0 when the system cannot reset the peak
    QString error;
};

// What the compare window does: read and compare both files with intra-line detail, then write the
// unified diff for its scratch file.
EngineRun runEngine(const QString &first, const QString &second)
{
    EngineRun run;
    pd::DiffControl control;
    control.progress = [&run](int) { ++run.progressReports; };
    const bool peakReset = pw::bench::resetPeakRss();
    const double cpu0 = processCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const pd::FileComparison c = pd::compareFiles(first, second, {}, control);
    qint64 bytes = 0;
    pd::writeUnifiedDiff(c.first.text, c.second.text, c.diff, pd::UnifiedOptions{"a", "b", 3},
                         [&bytes](std::string_view piece) { bytes += qint64(piece.size()); });
    run.time = Timing{double(timer.nsecsElapsed()) / 1e9, processCpuSeconds() - cpu0};
    if (c.status != pd::CompareStatus::Compared)
        run.error = c.error.isEmpty() ? QStringLiteral("not compared as text") : c.error;
    run.editSize = c.diff.counts.editSize();
    run.hunks = c.diff.counts.hunks;
    run.unifiedBytes = bytes;
    run.peakRssBytes = peakReset ? pw::bench::peakRssBytes() : 0;
    return run;
}

// Time from setting the token to the comparison's return, at a few points of a run that takes
// about fullSeconds; the largest, in milliseconds.
double cancelLatencyMs(const QString &first, const QString &second, double fullSeconds)
{
    double worst = 0;
    for (const double share : {0.1, 0.4, 0.7}) {
        pd::CancelToken token;
        pd::DiffControl control;
        control.cancel = &token;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            pd::compareFiles(first, second, {}, control);
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::duration<double>(fullSeconds * share));
        const auto cancelled = std::chrono::steady_clock::now();
        token.cancel();
        worker.join();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - cancelled)
                .count();
        worst = std::max(worst, ms);
    }
    return worst;
}

#if defined(PENWRIGHT_HAVE_LIBGIT2)
struct Libgit2Run
{
    Timing time;
    qint64 editSize = 0;
};

int countLine(const git_diff_delta *, const git_diff_hunk *, const git_diff_line *line,
              void *payload)
{
    if (line->origin == GIT_DIFF_LINE_ADDITION || line->origin == GIT_DIFF_LINE_DELETION)
        ++*static_cast<qint64 *>(payload);
    return 0;
}

// libgit2's buffer diff on the same files (reading them included), in-process.
std::optional<Libgit2Run> runLibgit2(const QString &first, const QString &second, bool patience)
{
    Libgit2Run run;
    const double cpu0 = processCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QFile fa(first);
    QFile fb(second);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray a = fa.readAll();
    const QByteArray b = fb.readAll();
    git_diff_options options;
    git_diff_options_init(&options, GIT_DIFF_OPTIONS_VERSION);
    options.flags |= GIT_DIFF_FORCE_TEXT;
    if (patience)
        options.flags |= GIT_DIFF_PATIENCE;
    if (git_diff_buffers(a.constData(), std::size_t(a.size()), "a", b.constData(),
                         std::size_t(b.size()), "b", &options, nullptr, nullptr, nullptr, countLine,
                         &run.editSize) != 0)
        return std::nullopt;
    run.time = Timing{double(timer.nsecsElapsed()) / 1e9, processCpuSeconds() - cpu0};
    return run;
}
#endif

QJsonObject timingJson(const std::vector<Timing> &runs)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Timing &t : runs) {
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    return QJsonObject{{QStringLiteral("wallSeconds"), median(wall)},
                       {QStringLiteral("cpuSeconds"), median(cpu)}};
}

struct PairOptions
{
    int repeat = 3;
    bool libgit2 = true;
    bool cancel = false;
};

QJsonObject measurePair(const QString &name, const QString &first, const QString &second,
                        const QString &scratch, const PairOptions &options)
{
    QJsonObject out{{QStringLiteral("name"), name},
                    {QStringLiteral("firstBytes"), QFileInfo(first).size()},
                    {QStringLiteral("secondBytes"), QFileInfo(second).size()}};
    std::vector<Timing> engine;
    std::vector<Timing> git;
    std::vector<Timing> gnu;
    EngineRun last;
    for (int r = 0; r < options.repeat; ++r) {
        last = runEngine(first, second);
        if (!last.error.isEmpty()) {
            out.insert(QStringLiteral("error"), last.error);
            return out;
        }
        engine.push_back(last.time);
        const std::optional<Timing> g =
            runTool({QStringLiteral("git"), QStringLiteral("diff"), QStringLiteral("--no-index"),
                     QStringLiteral("--histogram"), first, second},
                    {}, 1);
        const std::optional<Timing> d =
            runTool({QStringLiteral("diff"), first, second}, scratch, 1);
        if (!g || !d) {
            out.insert(QStringLiteral("error"), QStringLiteral("git or GNU diff failed"));
            return out;
        }
        git.push_back(*g);
        gnu.push_back(*d);
    }
    const qint64 gnuEdits = countGnuEdits(scratch);
    QJsonObject engineJson = timingJson(engine);
    engineJson.insert(QStringLiteral("editSize"), last.editSize);
    engineJson.insert(QStringLiteral("hunks"), last.hunks);
    engineJson.insert(QStringLiteral("progressReports"), last.progressReports);
    engineJson.insert(QStringLiteral("unifiedBytes"), last.unifiedBytes);
    engineJson.insert(QStringLiteral("peakRssBytes"), last.peakRssBytes);
    QJsonObject gnuJson = timingJson(gnu);
    gnuJson.insert(QStringLiteral("editSize"), gnuEdits);
    out.insert(QStringLiteral("engine"), engineJson);
    out.insert(QStringLiteral("git"), timingJson(git));
    out.insert(QStringLiteral("gnuDiff"), gnuJson);
    const double ours = engineJson.value(QStringLiteral("wallSeconds")).toDouble();
    const double theirs = timingJson(git).value(QStringLiteral("wallSeconds")).toDouble();
    const double oursCpu = engineJson.value(QStringLiteral("cpuSeconds")).toDouble();
    const double theirsCpu = timingJson(git).value(QStringLiteral("cpuSeconds")).toDouble();
    out.insert(QStringLiteral("timeRatioVsGit"), theirs > 0 ? ours / theirs : 0);
    out.insert(QStringLiteral("cpuRatioVsGit"), theirsCpu > 0 ? oursCpu / theirsCpu : 0);
    out.insert(QStringLiteral("editRatioVsGnu"), gnuEdits > 0
                                                     ? double(last.editSize) / double(gnuEdits)
                                                     : (last.editSize ? 99.0 : 1.0));
#if defined(PENWRIGHT_HAVE_LIBGIT2)
    if (options.libgit2) {
        QJsonObject lib;
        for (const bool patience : {false, true}) {
            std::vector<Timing> times;
            std::optional<Libgit2Run> run;
            for (int r = 0; r < options.repeat; ++r) {
                run = runLibgit2(first, second, patience);
                if (!run)
                    break;
                times.push_back(run->time);
            }
            if (!run)
                continue;
            QJsonObject entry = timingJson(times);
            entry.insert(QStringLiteral("editSize"), run->editSize);
            lib.insert(patience ? QStringLiteral("patience") : QStringLiteral("myers"), entry);
        }
        out.insert(QStringLiteral("libgit2"), lib);
    }
#endif
    if (options.cancel)
        out.insert(QStringLiteral("cancelLatencyMs"), cancelLatencyMs(first, second, ours));
    return out;
}

std::vector<double> numbers(const QString &list)
{
    std::vector<double> out;
    for (const QString &item : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out.push_back(item.toDouble());
    return out;
}

QJsonObject listDiff(const QStringList &args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--list"));
    if (at < 0 || args.size() < at + 3)
        return QJsonObject{{QStringLiteral("printed"), true},
                           {QStringLiteral("error"), QStringLiteral("usage: diff --list A B")}};
    const QString first = args.at(at + 1);
    const QString second = args.at(at + 2);
    pd::DiffOptions options;
    options.intraLine = false;
    const pd::FileComparison c = pd::compareFiles(first, second, options);
    const pd::UnifiedOptions labels{QFile::encodeName(first).toStdString(),
                                    QFile::encodeName(second).toStdString(), 3};
    auto print = [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); };
    switch (c.status) {
    case pd::CompareStatus::Compared:
        pd::writeUnifiedDiff(c.first.text, c.second.text, c.diff, labels, print);
        break;
    case pd::CompareStatus::Binary:
        print(pd::unifiedDiff(c, labels));
        break;
    case pd::CompareStatus::Cancelled:
    case pd::CompareStatus::Failed:
        std::fprintf(stderr, "%s\n", c.error.toLocal8Bit().constData());
        return QJsonObject{{QStringLiteral("printed"), true}, {QStringLiteral("error"), c.error}};
    }
    std::fflush(stdout);
    return QJsonObject{{QStringLiteral("printed"), true}};
}

QJsonObject diffBench(const QStringList &args)
{
    if (args.contains(QStringLiteral("--list")))
        return listDiff(args);

    PairOptions options;
    options.repeat = std::max(
        1, pw::bench::option(args, QStringLiteral("--repeat"), QStringLiteral("3")).toInt());
    options.libgit2 = !args.contains(QStringLiteral("--no-libgit2"));
    const std::vector<double> sizes =
        numbers(pw::bench::option(args, QStringLiteral("--mb"), QStringLiteral("1,20,50")));
    const std::vector<double> percents =
        numbers(pw::bench::option(args, QStringLiteral("--percent"), QStringLiteral("0.1,1,10")));
    const int moved =
        pw::bench::option(args, QStringLiteral("--moved"), QStringLiteral("20")).toInt();
    QTemporaryDir dir;
    const QString scratch = dir.filePath(QStringLiteral("gnu-diff.out"));
    const QString first = dir.filePath(QStringLiteral("first.txt"));
    const QString second = dir.filePath(QStringLiteral("second.txt"));
#if defined(PENWRIGHT_HAVE_LIBGIT2)
    git_libgit2_init();
#endif

    QJsonArray pairs;
    double worstTime = 0;
    double worstEdit = 0;
    auto record = [&](QJsonObject pair) {
        worstTime = std::max(worstTime, pair.value(QStringLiteral("timeRatioVsGit")).toDouble());
        worstEdit = std::max(worstEdit, pair.value(QStringLiteral("editRatioVsGnu")).toDouble());
        pairs.append(pair);
        std::fprintf(stderr, "%s: %.2fx git's time, %.3fx GNU diff's edit\n",
                     pair.value(QStringLiteral("name")).toString().toLocal8Bit().constData(),
                     pair.value(QStringLiteral("timeRatioVsGit")).toDouble(),
                     pair.value(QStringLiteral("editRatioVsGnu")).toDouble());
    };
    if (!args.contains(QStringLiteral("--no-generated"))) {
        std::uint64_t seed = 1;
        for (const double mb : sizes) {
            std::vector<pb::EditPlan> plans;
            for (const double p : percents)
                plans.push_back(pb::EditPlan{mb, p, 0, seed++});
            if (moved > 0)
                plans.push_back(pb::EditPlan{mb, 0.1, moved, seed++});
            for (const pb::EditPlan &plan : plans) {
                {
                    const pb::GeneratedPair g = pb::generatePair(plan);
                    if (!pb::writeFile(first, g.first) || !pb::writeFile(second, g.second))
                        return QJsonObject{{QStringLiteral("error"),
                                            QStringLiteral("cannot write %1").arg(dir.path())}};
                }
                const QString name =
                    plan.movedBlocks
                        ? QStringLiteral("generated %1 MB, %2 % changed, %3 moved blocks")
                              .arg(mb)
                              .arg(plan.changedPercent)
                              .arg(plan.movedBlocks)
                        : QStringLiteral("generated %1 MB, %2 % changed")
                              .arg(mb)
                              .arg(plan.changedPercent);
                PairOptions pairOptions = options;
                pairOptions.cancel =
                    mb == sizes.back() && plan.changedPercent == 1 && !plan.movedBlocks;
                record(measurePair(name, first, second, scratch, pairOptions));
            }
        }
    }
    QStringList notes;
    if (!args.contains(QStringLiteral("--no-real"))) {
#if defined(PENWRIGHT_DIFF_REPOSITORY)
        const QString defaultRepository = QStringLiteral(PENWRIGHT_DIFF_REPOSITORY);
#else
        const QString defaultRepository;
#endif
        const QString repository =
            pw::bench::option(args, QStringLiteral("--repo"), defaultRepository);
        std::vector<pb::RevisionPair> revisions;
        if (args.contains(QStringLiteral("--old")))
            revisions.push_back(
                {pw::bench::option(args, QStringLiteral("--old")),
                 pw::bench::option(args, QStringLiteral("--new"), QStringLiteral("HEAD"))});
        else
            revisions = {{pb::rootRevision(repository), QStringLiteral("HEAD")},
                         {QStringLiteral("HEAD~3"), QStringLiteral("HEAD")}};
        for (const pb::RealPair &pair : pb::findRealPairs(dir.path(), repository, revisions, notes))
            record(measurePair(pair.name, pair.first, pair.second, scratch, options));
    }
#if defined(PENWRIGHT_HAVE_LIBGIT2)
    git_libgit2_shutdown();
#endif
    QJsonObject result{{QStringLiteral("pairs"), pairs},
                       {QStringLiteral("worstTimeRatioVsGit"), worstTime},
                       {QStringLiteral("worstEditRatioVsGnu"), worstEdit},
                       {QStringLiteral("targets"),
                        QJsonObject{{QStringLiteral("timeRatioVsGit"), TimeTargetVsGit},
                                    {QStringLiteral("editRatioVsGnu"), EditTargetVsGnu}}},
                       {QStringLiteral("targetsMet"),
                        worstTime <= TimeTargetVsGit && worstEdit <= EditTargetVsGnu},
                       {QStringLiteral("repeat"), options.repeat}};
    if (!notes.isEmpty())
        result.insert(QStringLiteral("notes"), QJsonArray::fromStringList(notes));
    return result;
}

} // namespace

PW_BENCH("diff", diffBench);
