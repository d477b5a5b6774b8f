// penwright-bench grep: "--list" prints the matching lines of a folder search as
// "path:line:column:text", sorted; "--pane N" measures the results pane holding N hits; without
// them, the engine against ripgrep and grep on a large real tree (times, hit sets, peak memory).
#include "bench/benchregistry.h"
#include "findinfiles/engine/findinfiles.h"
#include "findinfiles/findinfilesresults.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>

using namespace pw;
using namespace pw::bench;

namespace {

// Collects every hit (or, for timing, only which line of which file) and waits for the end.
class Collector : public fif::FindCallback
{
public:
    explicit Collector(bool keepHits) : m_keepHits(keepHits) {}

    void onStatus(const fif::FindStatus &) override {}
    void onMatches(std::vector<fif::Hit> &&hits) override
    {
        for (fif::Hit &hit : hits) {
            if (m_keepHits) {
                m_hits.push_back(std::move(hit));
                continue;
            }
            const auto file = m_files.try_emplace(hit.path, int(m_files.size())).first;
            m_lines.push_back(quint64(quint32(file->second)) << 32 | quint32(hit.line));
        }
    }
    void onFinished(const fif::FindSummary &summary) override
    {
        const std::lock_guard lock(m_mutex);
        m_summary = summary;
        m_done = true;
        m_finished.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_finished.wait(lock, [this] { return m_done; });
    }

    std::vector<fif::Hit> m_hits;
    // Compact form: file numbers and lines.
    std::unordered_map<std::string, int> m_files;
    std::vector<quint64> m_lines;
    fif::FindSummary m_summary;

private:
    bool m_keepHits;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
};

void runEngine(const fif::FindQuery &query, Collector &collector)
{
    fif::CFindInFiles engine;
    engine.find(query, &collector);
    collector.wait();
    engine.cleanup();
}

void sortHits(std::vector<fif::Hit> &hits)
{
    std::sort(hits.begin(), hits.end(), [](const fif::Hit &a, const fif::Hit &b) {
        return a.path != b.path ? a.path < b.path : a.line < b.line;
    });
}

QJsonObject listHits(const QStringList &args)
{
    fif::FindQuery query;
    query.subfolders = true;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--list"))
            continue;
        if (arg == QLatin1String("--regex"))
            query.regExp = true;
        else if (arg == QLatin1String("--case"))
            query.matchCase = true;
        else if (arg == QLatin1String("--word"))
            query.wholeWord = true;
        else if (arg == QLatin1String("--no-subfolders"))
            query.subfolders = false;
        else if (arg == QLatin1String("--types") && i + 1 < args.size())
            query.fileTypes = args.at(++i).toStdString();
        else
            positional.append(arg);
    }
    QJsonObject result{{QStringLiteral("printed"), true}};
    if (positional.size() != 2) {
        std::fprintf(stderr, "usage: penwright-bench grep --list [--regex] [--case] [--word] "
                             "[--types \"*.c;*.h\"] [--no-subfolders] PATTERN DIR\n");
        result.insert(QStringLiteral("error"), QStringLiteral("usage"));
        return result;
    }
    query.text = positional.at(0).toUtf8();
    query.folder = positional.at(1).toStdString();
    Collector collector(true);
    runEngine(query, collector);
    std::vector<fif::Hit> &hits = collector.m_hits;
    sortHits(hits);
    std::string out;
    for (const fif::Hit &hit : hits) {
        out.append(hit.path);
        out.append(":" + std::to_string(hit.line) + ":" + std::to_string(hit.column + 1) + ":");
        out.append(hit.text);
        out.push_back('\n');
        if (out.size() > (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return result;
}

// ---- The comparison with the command-line tools

using HitSet = std::set<std::pair<std::string, int>>;

struct Case
{
    const char *name;
    const char *pattern;
    bool regExp;
    bool ignoreCase;
    bool word;
};

// Runs a tool that prints "path\0line:text" lines; the hit set and the time in milliseconds. The
// locale is C unless given: grep's word characters follow it.
double runTool(const QString &program, const QStringList &args, HitSet &hits,
               const QString &locale = QStringLiteral("C"))
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    QByteArray output;
    while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
        process.waitForReadyRead(100);
        output += process.readAllStandardOutput();
    }
    process.waitForFinished(-1);
    output += process.readAllStandardOutput();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    qsizetype pos = 0;
    while (pos < output.size()) {
        qsizetype end = output.indexOf('\n', pos);
        if (end < 0)
            end = output.size();
        const qsizetype nul = output.indexOf('\0', pos);
        if (nul > pos && nul < end) {
            const qsizetype colon = output.indexOf(':', nul + 1);
            if (colon > nul && colon <= end)
                hits.emplace(output.mid(pos, nul - pos).toStdString(),
                             output.mid(nul + 1, colon - nul - 1).toInt());
        }
        pos = end + 1;
    }
    return ms;
}

// Files all three tools search the same way: reached without links (neither tool follows them),
// text for all (no zero byte, no UTF-16 or UTF-32 mark) and with the same line ends for all (no
// CR alone). For whole words, also valid UTF-8: grep in the C locale takes every byte above 127
// as a non-word byte, while the editor reads such a file as Windows-1252, whose accented letters
// are word characters (Geany's tag files end names with such bytes).
bool comparable(const std::string &path, bool wholeWord)
{
    const QFileInfo info(QString::fromStdString(path));
    if (info.canonicalFilePath() != info.absoluteFilePath())
        return false;
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.find('\0') != std::string::npos)
        return false;
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0)
        return false;
    if (wholeWord && !QUtf8StringView(bytes).isValidUtf8())
        return false;
    for (std::size_t i = bytes.find('\r'); i != std::string::npos; i = bytes.find('\r', i + 1))
        if (i + 1 >= bytes.size() || bytes[i + 1] != '\n')
            return false;
    return true;
}

QJsonObject compareTools(const QStringList &args)
{
    const QString dir = option(args, QStringLiteral("--dir"), QStringLiteral("/usr/include"));
    const int runs = std::max(1, option(args, QStringLiteral("--runs"), QStringLiteral("2")).toInt());
    const Case cases[] = {
        {"rare literal", "pthread_mutexattr_setrobust", false, false, false},
        {"common literal", "int", false, false, false},
        {"regex", "#define [A-Z_]+ 0x[0-9a-fA-F]+", true, false, false},
        {"case-insensitive whole word", "error", false, true, true},
    };
    // "--case word": only the cases whose name holds that text.
    const QString only = option(args, QStringLiteral("--case"), QString());
    QJsonObject result;
    result.insert(QStringLiteral("dir"), dir);
    result.insert(QStringLiteral("runs"), runs);
    // Warm the cache once, untimed.
    {
        HitSet warm;
        runTool(QStringLiteral("rg"),
                {QStringLiteral("-c"), QStringLiteral("--no-ignore"), QStringLiteral("--hidden"),
                 QStringLiteral("-uu"), QStringLiteral("zzqqxxnothere"), dir},
                warm);
    }
    QJsonArray rows;
    bool allIdentical = true;
    for (const Case &c : cases) {
        if (!only.isEmpty() && !QString::fromLatin1(c.name).contains(only))
            continue;
        fif::FindQuery query;
        query.text = c.pattern;
        query.folder = dir.toStdString();
        query.subfolders = true;
        query.regExp = c.regExp;
        query.matchCase = !c.ignoreCase;
        query.wholeWord = c.word;
        // The same files as the tools: links are passed over, as neither follows them.
        query.followLinks = false;
        QStringList common{QStringLiteral("-n"), QStringLiteral("--null")};
        if (c.ignoreCase)
            common << QStringLiteral("-i");
        if (c.word)
            common << QStringLiteral("-w");
        QStringList rgArgs = common;
        rgArgs << QStringLiteral("--no-ignore") << QStringLiteral("--hidden")
               << QStringLiteral("-uu") << (c.regExp ? QStringLiteral("-e") : QStringLiteral("-F"));
        if (!c.regExp)
            rgArgs << QStringLiteral("-e");
        rgArgs << QString::fromLatin1(c.pattern) << dir;
        QStringList grepArgs = common;
        grepArgs << QStringLiteral("-r") << (c.regExp ? QStringLiteral("-E") : QStringLiteral("-F"))
                 << QStringLiteral("-e") << QString::fromLatin1(c.pattern) << dir;
        double ours = 1e300;
        HitSet ourHits;
        fif::FindSummary summary;
        // What earlier cases left to the allocator goes back first, so the peak is this case's.
        malloc_trim(0);
        resetPeakRss();
        const qint64 baseline = peakRssBytes();
        qint64 peak = baseline;
        double rg = 1e300;
        double grep = 1e300;
        HitSet rgHits;
        HitSet grepHits;
        // The tools take turns run by run, so that a change in the machine's load falls on all.
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer timer;
            timer.start();
            Collector collector(false);
            runEngine(query, collector);
            ours = std::min(ours, double(timer.nsecsElapsed()) / 1e6);
            summary = collector.m_summary;
            if (r == 0) {
                peak = peakRssBytes();
                std::vector<std::string> names(collector.m_files.size());
                for (const auto &[name, id] : collector.m_files)
                    names[std::size_t(id)] = name;
                for (quint64 key : collector.m_lines)
                    ourHits.emplace(names[std::size_t(key >> 32)], int(key & 0xFFFFFFFFu));
            }
            HitSet a;
            HitSet b;
            rg = std::min(rg, runTool(QStringLiteral("rg"), rgArgs, a));
            // Whole words in a UTF-8 locale, where letters of any script are word characters
            // for grep as for the editor and rg; the comparison keeps to UTF-8 files then.
            grep = std::min(grep, runTool(QStringLiteral("grep"), grepArgs, b,
                                          c.word ? QStringLiteral("C.UTF-8") : QStringLiteral("C")));
            if (r == 0) {
                rgHits = std::move(a);
                grepHits = std::move(b);
            }
        }
        // The comparison covers the files all three search alike.
        std::set<std::string> files;
        for (const HitSet *set : {&ourHits, &rgHits, &grepHits})
            for (const auto &hit : *set)
                files.insert(hit.first);
        std::set<std::string> excluded;
        for (const std::string &file : files)
            if (!comparable(file, c.word))
                excluded.insert(file);
        auto restrict = [&](const HitSet &set) {
            HitSet kept;
            for (const auto &hit : set)
                if (!excluded.count(hit.first))
                    kept.insert(hit);
            return kept;
        };
        const HitSet a = restrict(ourHits);
        const HitSet b = restrict(rgHits);
        const HitSet g = restrict(grepHits);
        const bool identical = a == b && a == g;
        allIdentical = allIdentical && identical;
        QJsonArray differences;
        auto note = [&](const HitSet &x, const HitSet &y, const char *label) {
            HitSet diff;
            std::set_difference(x.begin(), x.end(), y.begin(), y.end(),
                                std::inserter(diff, diff.begin()));
            int shown = 0;
            for (const auto &hit : diff) {
                if (++shown > 3)
                    break;
                differences.append(QStringLiteral("%1 %2:%3").arg(QLatin1String(label),
                                   QString::fromStdString(hit.first)).arg(hit.second));
            }
        };
        note(a, b, "only penwright, not rg:");
        note(b, a, "only rg, not penwright:");
        note(a, g, "only penwright, not grep:");
        note(g, a, "only grep, not penwright:");
        rows.append(QJsonObject{
            {QStringLiteral("case"), QString::fromLatin1(c.name)},
            {QStringLiteral("pattern"), QString::fromLatin1(c.pattern)},
            {QStringLiteral("penwrightMs"), ours},
            {QStringLiteral("rgMs"), rg},
            {QStringLiteral("grepMs"), grep},
            {QStringLiteral("ratioToRg"), ours / rg},
            {QStringLiteral("hits"), qint64(ourHits.size())},
            {QStringLiteral("rgHits"), qint64(rgHits.size())},
            {QStringLiteral("grepHits"), qint64(grepHits.size())},
            {QStringLiteral("filesSearched"), summary.filesSearched},
            {QStringLiteral("filesLeftOutOfComparison"), qint64(excluded.size())},
            {QStringLiteral("identicalHitSets"), identical},
            {QStringLiteral("differences"), differences},
            {QStringLiteral("peakRssMB"), double(peak) / (1 << 20)},
            {QStringLiteral("peakAboveStartMB"), double(peak - baseline) / (1 << 20)},
        });
    }
    result.insert(QStringLiteral("cases"), rows);
    // Stop: from stopSearch to the finished call, in a search that is well under way (a regular
    // expression without a literal start, which reads every file).
    double worstStop = 0;
    for (int r = 0; r < 3; ++r) {
        fif::FindQuery query;
        query.text = "[a-z]+_[0-9]+x";
        query.regExp = true;
        query.folder = dir.toStdString();
        query.subfolders = true;
        Collector collector(false);
        fif::CFindInFiles engine;
        engine.find(query, &collector);
        std::this_thread::sleep_for(std::chrono::milliseconds(60 + 40 * r));
        QElapsedTimer timer;
        timer.start();
        engine.stopSearch();
        collector.wait();
        worstStop = std::max(worstStop, double(timer.nsecsElapsed()) / 1e6);
        engine.cleanup();
    }
    result.insert(QStringLiteral("worstStopMs"), worstStop);
    result.insert(QStringLiteral("allIdentical"), allIdentical);
    return result;
}

// The process's resident memory now, in bytes.
qint64 rssBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    return 0;
}

// "grep --pane N": the results pane's memory with N hits, handed to it in the engine's batches:
// lines of 60 to 100 bytes in files of 40 hits each, paths as long as those under /usr/include.
QJsonObject paneMemory(const QStringList &args)
{
    const qint64 count = option(args, QStringLiteral("--pane"), QStringLiteral("1000000")).toLongLong();
    malloc_trim(0);
    const qint64 before = rssBytes();
    QElapsedTimer timer;
    timer.start();
    auto pane = std::make_unique<CFindInFilesResults>();
    pane->addStatus(QStringLiteral("Searching /usr/include..."));
    std::vector<fif::Hit> batch;
    qint64 textBytes = 0;
    for (qint64 i = 0; i < count; ++i) {
        fif::Hit hit;
        hit.path = "/usr/include/x86_64-linux-gnu/some/folder/header_" + std::to_string(i / 40) + ".h";
        hit.line = int(i % 40) * 25 + 1;
        hit.column = 4;
        hit.text = "    int value_" + std::to_string(i) + " = compute(first, second); /* a comment */";
        hit.text.resize(60 + std::size_t(i % 41), ' ');
        textBytes += qint64(hit.text.size());
        batch.push_back(std::move(hit));
        if (batch.size() == 512 || i + 1 == count) {
            pane->addMatches(batch);
            batch.clear();
        }
    }
    const double fillMs = double(timer.nsecsElapsed()) / 1e6;
    malloc_trim(0);
    const qint64 after = rssBytes();
    const QString sample = pane->lineText(pane->lineCount() / 2);
    return QJsonObject{{QStringLiteral("hits"), count},
                       {QStringLiteral("rows"), pane->lineCount()},
                       {QStringLiteral("lineTextMB"), double(textBytes) / (1 << 20)},
                       {QStringLiteral("paneMB"), double(after - before) / (1 << 20)},
                       {QStringLiteral("bytesPerHit"), count ? double(after - before) / double(count) : 0},
                       {QStringLiteral("fillMs"), fillMs},
                       {QStringLiteral("sampleRow"), sample}};
}

QJsonObject grepBench(const QStringList &args)
{
    if (args.contains(QStringLiteral("--list")))
        return listHits(args);
    if (args.contains(QStringLiteral("--pane")))
        return paneMemory(args);
    return compareTools(args);
}

} // namespace

PW_BENCH("grep", grepBench);
