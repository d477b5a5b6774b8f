// penwright-bench find: Find Next, Replace All and Mark All on a generated 100 MB document in a
// real offscreen editor, with the component's own search and its replace loop as comparison rows;
// catastrophic regular expressions against their bound; the memory of a Replace All with a hit at
// every character; and one Find Next in a given file (--file F --regex P | --literal S).
#include "settings/appfolders.h"
#include "app/mainframe.h"
#include "framework/messages.h"
#include "app/mainframehost.h"
#include "app/penwrightapp.h"
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "editor/editorsearch.h"
#include "editor/recordedsteps.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "editor/ridereview.h"
#include "editor/textload.h"
#include "editor/textsearch/textsearch.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <limits>
#include <malloc.h>
#include <random>

using namespace pw;
using namespace pw::bench;

namespace {

constexpr char HitWord[] = "target";               // once on every line
constexpr char MarkWord[] = "beacon";              // on every tenth line
constexpr char AbsentWord[] = "zebrafish";         // nowhere
constexpr char AbsentRegex[] = "qu[0-9]+x$";       // a letter the text never holds first
constexpr char AbsentWordsRegex[] = "[a-z]+[0-9]"; // tried at every word
// Patterns whose backtracking grows with a power of the line length, on lines without a digit.
constexpr const char *CatastrophicPatterns[] = {".*.*.*.*[0-9]",
                                                "[a-z ]*[a-z ]*[a-z ]*[a-z ]*[a-z ]*[0-9]"};

// About `bytes` of prose-like lines near 100 bytes long, each holding the hit word once.
QByteArray makeText(qint64 bytes, qint64 &lines)
{
    static const char *const words[] = {"lorem",       "ipsum",      "dolor",      "sit", "amet",
                                        "consectetur", "adipiscing", "elit",       "sed", "do",
                                        "eiusmod",     "tempor",     "incididunt", "ut",  "labore",
                                        "et",          "magna",      "aliqua"};
    std::mt19937 rng(42);
    QByteArray text;
    text.reserve(bytes + 256);
    lines = 0;
    while (text.size() < bytes) {
        QByteArray line;
        const int hitAt = int(rng() % 10);
        for (int w = 0; line.size() < 88; ++w) {
            if (w == hitAt)
                line += HitWord;
            else
                line += words[rng() % std::size(words)];
            line += ' ';
        }
        if (lines % 10 == 0)
            line += MarkWord;
        line += ".\n";
        if (!line.contains(HitWord))
            line.prepend(QByteArray(HitWord) + ' ');
        text += line;
        ++lines;
    }
    return text;
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// Processor time of this thread, in seconds: search budgets count it, so a busy machine does not
// move a search's bound.
double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// About `bytes` of lowercase prose in lines of `width` characters, with no digit anywhere.
QByteArray proseLines(qint64 bytes, int width)
{
    static const char words[] = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do ";
    QByteArray text;
    text.reserve(bytes + width + 1);
    std::size_t k = 0;
    while (text.size() < bytes) {
        for (int i = 0; i < width; ++i)
            text += words[k++ % (sizeof words - 1)];
        text += '\n';
    }
    return text;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const char *stopReasonName(search::StopReason reason)
{
    switch (reason) {
    case search::StopReason::Budget:
        return "budget";
    case search::StopReason::Cancelled:
        return "cancelled";
    case search::StopReason::HardPosition:
        return "backtracking";
    }
    return "";
}

// One Find Next from the start of the editor's text downwards, without wrap, as the Find command
// runs it.
QJsonObject findFromStart(CMFCScintilla *ed, Host *host, const QByteArray &what, bool regExp)
{
    ed->send(Sci::SCI_SETSEL, 0, 0);
    QElapsedTimer t;
    t.start();
    const SearchResult result = EditorSearch(ed, host).findNext(what, {false, false, regExp},
                                                                false, false);
    const double secs = seconds(t);
    QJsonObject o;
    switch (result.outcome) {
    case SearchOutcome::Found:
        o[QStringLiteral("outcome")] = QStringLiteral("found");
        break;
    case SearchOutcome::Stopped:
        o[QStringLiteral("outcome")] = QStringLiteral("stopped");
        break;
    case SearchOutcome::NotFound:
    case SearchOutcome::InvalidPattern:
        o[QStringLiteral("outcome")] = QStringLiteral("not found");
        break;
    }
    o[QStringLiteral("position")] = result.found() ? result.position : qint64(-1);
    o[QStringLiteral("reason")] = result.outcome == SearchOutcome::Stopped
                                      ? QString::fromLatin1(stopReasonName(result.stopReason))
                                      : QString();
    o[QStringLiteral("seconds")] = secs;
    return o;
}

// --file F --regex P | --literal S: one Find Next from the start of F, printed as one object.
QJsonObject findInFile(const QStringList &args)
{
    const QString path = option(args, QStringLiteral("--file"));
    const bool regExp = args.contains(QStringLiteral("--regex"));
    const QString what =
        option(args, regExp ? QStringLiteral("--regex") : QStringLiteral("--literal"));
    if (path.isEmpty() || what.isEmpty() ||
        (!regExp && !args.contains(QStringLiteral("--literal")))) {
        std::fprintf(stderr, "usage: penwright-bench find --file F (--regex P | --literal S)\n");
        return {{QStringLiteral("printed"), true}, {QStringLiteral("error"), true}};
    }
    BenchApp bench;
    // Positions are the file's byte offsets, so very long lines stay whole, as they are once the
    // user asks for them so.
    TextLoad::setLineLimitBytes(std::numeric_limits<qint64>::max());
    CRidereDoc *doc = bench.openText(path);
    if (!doc) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return {{QStringLiteral("printed"), true}, {QStringLiteral("error"), true}};
    }
    QCoreApplication::processEvents();
    CMFCScintilla *ed = doc->editor();
    // The search text in the editor's own bytes, as the Find command converts it.
    const bool utf8 = ed->send(Sci::SCI_GETCODEPAGE) == Sci::SC_CP_UTF8;
    const QByteArray bytes = utf8 ? what.toUtf8() : what.toLatin1();
    const QJsonObject result = findFromStart(ed, bench.app->host(), bytes, regExp);
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
    doc->setModifiedFlag(false);
    return {{QStringLiteral("printed"), true}};
}

// How long a search of the editor's text goes on after its cancel token is set a second in: the
// longest stretch without a look at the token. Negative when the search ended before.
double cancelLatency(const CMFCScintilla *ed, const char *pattern)
{
    const search::TextView view{
        reinterpret_cast<const char *>(ed->send(Sci::SCI_GETCHARACTERPOINTER)),
        ed->send(Sci::SCI_GETLENGTH), false};
    const search::SearchPattern compiled(pattern, search::SearchFlag::RegExp);
    std::atomic<bool> cancel{false};
    search::SearchBudget budget(std::chrono::milliseconds(0), &cancel);
    search::Searcher searcher(view, compiled, &budget);
    using Clock = std::chrono::steady_clock;
    Clock::time_point set;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        set = Clock::now();
        cancel = true;
    });
    search::Match match;
    searcher.find(0, view.length, match);
    const Clock::time_point ended = Clock::now();
    stopper.join();
    return std::chrono::duration<double>(ended - set).count();
}

// Each catastrophic pattern over about 20 MB of 200-character lines must end, found or stopped,
// within two seconds of the bound of its search (processor time of the searching thread, which
// is wall time on a quiet machine).
QJsonObject catastrophicStage(BenchApp &bench, qint64 megabytes)
{
    QJsonObject out;
    const QByteArray text = proseLines(megabytes << 20, 199);
    const QString path = bench.dir.filePath(QStringLiteral("catastrophic.txt"));
    if (!writeFile(path, text))
        return {{QStringLiteral("error"), QStringLiteral("cannot write the test file")}};
    CRidereDoc *doc = bench.openText(path);
    if (!doc)
        return {{QStringLiteral("error"), QStringLiteral("open failed")}};
    QCoreApplication::processEvents();
    const double bound =
        double(search::SearchBudget::timeForText(text.size()).count()) / 1000.0;
    out[QStringLiteral("bytes")] = text.size();
    out[QStringLiteral("bound_seconds")] = bound;
    QJsonArray rows;
    for (const char *pattern : CatastrophicPatterns) {
        const double cpuBefore = threadCpuSeconds();
        QJsonObject o = findFromStart(doc->editor(), bench.app->host(), pattern, true);
        const double cpu = threadCpuSeconds() - cpuBefore;
        o[QStringLiteral("pattern")] = QString::fromLatin1(pattern);
        o[QStringLiteral("cpu_seconds")] = cpu;
        o[QStringLiteral("within_bound")] = cpu <= bound + 2.0;
        o[QStringLiteral("cancel_latency_seconds")] = cancelLatency(doc->editor(), pattern);
        rows.append(o);
    }
    out[QStringLiteral("patterns")] = rows;
    doc->setModifiedFlag(false);
    return out;
}

QByteArray editorHash(const CMFCScintilla *ed)
{
    const long length = ed->send(Sci::SCI_GETLENGTH);
    const char *data = reinterpret_cast<const char *>(ed->send(Sci::SCI_GETCHARACTERPOINTER));
    return QCryptographicHash::hash(QByteArrayView(data, length), QCryptographicHash::Sha1).toHex();
}

// Replace All of "." (a hit at every character but the line ends) on the editor's text: the peak
// resident memory above what the process held before, beside the document's size, then its undo
// and redo, each checked against the text it must give.
QJsonObject everyCharacterReplaceAll(CMFCScintilla *ed, Host *host)
{
    QJsonObject o;
    ed->send(Sci::SCI_EMPTYUNDOBUFFER);
    malloc_trim(0);
    const qint64 document = ed->send(Sci::SCI_GETLENGTH);
    const QByteArray original = editorHash(ed);
    const bool reset = resetPeakRss();
    const qint64 before = peakRssBytes();
    ed->send(Sci::SCI_SETSEL, 0, 0);
    QElapsedTimer t;
    t.start();
    const double cpuBefore = threadCpuSeconds();
    const SearchResult result = EditorSearch(ed, host).replaceAll(".", "x", {false, false, true},
                                                                  false);
    o[QStringLiteral("seconds")] = seconds(t);
    o[QStringLiteral("cpu_seconds")] = threadCpuSeconds() - cpuBefore;
    const qint64 peak = peakRssBytes();
    o[QStringLiteral("count")] = result.count;
    o[QStringLiteral("outcome")] = result.found() ? QStringLiteral("found")
                                                  : QStringLiteral("not completed");
    o[QStringLiteral("document_bytes")] = document;
    o[QStringLiteral("peak_reset_supported")] = reset;
    o[QStringLiteral("peak_extra_bytes")] = peak - before;
    o[QStringLiteral("peak_extra_per_document_byte")] =
        double(peak - before) / double(std::max<qint64>(document, 1));
    // What the undo step holds, against the removed and inserted text the component would keep.
    o[QStringLiteral("undo_record_bytes")] = qint64(ed->recordedSteps().heldBytes());
    o[QStringLiteral("component_undo_text_bytes")] = 2 * result.count;
    const QByteArray replaced = editorHash(ed);
    auto timed = [&](bool undo) {
        QElapsedTimer u;
        u.start();
        const long mask = ed->send(Sci::SCI_GETMODEVENTMASK);
        ed->send(Sci::SCI_SETMODEVENTMASK, 0);
        if (undo)
            ed->undo();
        else
            ed->redo();
        ed->send(Sci::SCI_SETMODEVENTMASK, mask);
        return seconds(u);
    };
    o[QStringLiteral("undo_seconds")] = timed(true);
    o[QStringLiteral("undo_gives_the_original")] = editorHash(ed) == original;
    o[QStringLiteral("redo_seconds")] = timed(false);
    o[QStringLiteral("redo_gives_the_replaced_text")] = editorHash(ed) == replaced;
    timed(true);
    ed->send(Sci::SCI_EMPTYUNDOBUFFER);
    malloc_trim(0);
    return o;
}


// The component's replace loop run as written: one fresh target search per hit and one
// replacement per hit, with whatever modification events the editor has switched on.
int stepByStepReplaceAll(CMFCScintilla *ed, const QByteArray &find, const QByteArray &replacement)
{
    long end = ed->send(Sci::SCI_GETLENGTH);
    auto search = [&](long from) {
        ed->send(Sci::SCI_SETTARGETSTART, from);
        ed->send(Sci::SCI_SETTARGETEND, end);
        return ed->sendText(Sci::SCI_SEARCHINTARGET, static_cast<unsigned long>(find.size()),
                            find.constData());
    };
    ed->send(Sci::SCI_SETSEARCHFLAGS, 0);
    long pos = search(0);
    if (pos < 0)
        return -1;
    int count = 0;
    ed->send(Sci::SCI_BEGINUNDOACTION);
    while (pos != -1) {
        const long length = ed->send(Sci::SCI_GETTARGETEND) - ed->send(Sci::SCI_GETTARGETSTART);
        ed->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(replacement.size()),
                     replacement.constData());
        end += replacement.size() - length;
        const long next = pos + replacement.size();
        ++count;
        if (next >= end)
            break;
        pos = search(next);
    }
    ed->send(Sci::SCI_ENDUNDOACTION);
    return count;
}

// Runs f with the editor's modification events off, as the program's own long runs do.
template <typename F> void withEventsMasked(CMFCScintilla *ed, F f)
{
    const long mask = ed->send(Sci::SCI_GETMODEVENTMASK);
    ed->send(Sci::SCI_SETMODEVENTMASK, 0);
    f();
    ed->send(Sci::SCI_SETMODEVENTMASK, mask);
}

QByteArray hashOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QJsonObject row(double secs, double target = -1)
{
    QJsonObject o;
    o[QStringLiteral("seconds")] = secs;
    if (target > 0) {
        o[QStringLiteral("target_seconds")] = target;
        o[QStringLiteral("within_target")] = secs <= target;
    }
    return o;
}

QJsonObject findBench(const QStringList &args)
{
    if (args.contains(QStringLiteral("--file")))
        return findInFile(args);
    const qint64 megabytes =
        option(args, QStringLiteral("--mb"), QStringLiteral("100")).toLongLong();
    const bool skipNaive = args.contains(QStringLiteral("--no-naive"));
    QJsonObject out;
    BenchApp bench;
    qint64 lines = 0;
    const QByteArray text = makeText(megabytes << 20, lines);
    const QString path = bench.dir.filePath(QStringLiteral("find.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
            out[QStringLiteral("error")] = QStringLiteral("cannot write the test file");
            return out;
        }
    }
    const qint64 hits = text.count(HitWord);
    QElapsedTimer timer;
    timer.start();
    CRidereDoc *doc = bench.openText(path);
    if (!doc) {
        out[QStringLiteral("error")] = QStringLiteral("open failed");
        return out;
    }
    QCoreApplication::processEvents();
    out[QStringLiteral("load_seconds")] = seconds(timer);
    out[QStringLiteral("bytes")] = text.size();
    out[QStringLiteral("lines")] = lines;
    out[QStringLiteral("hits")] = hits;
    CMFCScintilla *ed = doc->editor();
    EditorSearch search(ed, bench.app->host());

    // First, while the process holds little else: the memory of a hit at every character.
    out[QStringLiteral("replace_all_every_character")] =
        everyCharacterReplaceAll(ed, bench.app->host());

    // Find Next of an absent literal: one scan of the whole text.
    auto timedFind = [&](const QByteArray &what, bool matchCase, bool regExp) {
        ed->send(Sci::SCI_SETSEL, 0, 0);
        QElapsedTimer t;
        t.start();
        const qint64 at = search.findNext(what, {matchCase, false, regExp}, false, false).position;
        const double s = seconds(t);
        return std::make_pair(at, s);
    };
    const auto first = timedFind(AbsentWord, false, false);
    double best = first.second;
    for (int i = 0; i < 2; ++i)
        best = std::min(best, timedFind(AbsentWord, false, false).second);
    QJsonObject literal = row(best, 0.3);
    literal[QStringLiteral("first_call_seconds")] = first.second;
    literal[QStringLiteral("found")] = qint64(first.first);
    out[QStringLiteral("find_next_absent_literal")] = literal;
    out[QStringLiteral("find_next_absent_literal_match_case")] =
        row(timedFind(AbsentWord, true, false).second, 0.3);
    out[QStringLiteral("find_next_absent_regex")] =
        row(timedFind(AbsentRegex, false, true).second);
    out[QStringLiteral("find_next_absent_regex_every_word")] =
        row(timedFind(AbsentWordsRegex, false, true).second);

    // The same literal scan by the component's own target search.
    {
        ed->send(Sci::SCI_SETSEARCHFLAGS, 0);
        ed->send(Sci::SCI_SETTARGETSTART, 0);
        ed->send(Sci::SCI_SETTARGETEND, ed->send(Sci::SCI_GETLENGTH));
        QElapsedTimer t;
        t.start();
        ed->sendText(Sci::SCI_SEARCHINTARGET, qstrlen(AbsentWord), AbsentWord);
        out[QStringLiteral("component_search_absent_literal")] = row(seconds(t));
    }

    // Mark All of a word on a tenth of the lines.
    {
        ed->send(Sci::SCI_SETSEL, 0, 0);
        QElapsedTimer t;
        t.start();
        search.markAll(MarkWord, {});
        QJsonObject mark = row(seconds(t));
        mark[QStringLiteral("lines_marked")] =
            qint64(std::count_if(text.begin(), text.end(), [](char c) { return c == '\n'; }) / 10);
        out[QStringLiteral("mark_all")] = mark;
        ed->clearBookmarks();
    }

    // Replace All with about a million hits, as one undo step.
    const QByteArray original = hashOf(text);
    const QByteArray expected = hashOf(QByteArray(text).replace(HitWord, "marker"));
    {
        ed->send(Sci::SCI_SETSEL, 0, 0);
        QElapsedTimer t;
        t.start();
        const qint64 count = search.replaceAll(HitWord, "marker", {}, false).count;
        QJsonObject replace = row(seconds(t), 3.0);
        replace[QStringLiteral("count")] = count;
        replace[QStringLiteral("result_as_expected")] = editorHash(ed) == expected;
        // Undo with every insertion and deletion notified costs the component time in
        // proportion to the position of each; undone with the events off it is quick.
        QElapsedTimer u;
        u.start();
        withEventsMasked(ed, [ed] { ed->undo(); });
        replace[QStringLiteral("undo_seconds_events_off")] = seconds(u);
        replace[QStringLiteral("undo_restores")] = editorHash(ed) == original;
        out[QStringLiteral("replace_all")] = replace;
    }

    // The component's own loop on the same text, a search per hit, events off.
    {
        QElapsedTimer t;
        t.start();
        int count = 0;
        withEventsMasked(ed, [&] { count = stepByStepReplaceAll(ed, HitWord, "marker"); });
        QJsonObject loop = row(seconds(t));
        loop[QStringLiteral("count")] = count;
        loop[QStringLiteral("result_as_expected")] = editorHash(ed) == expected;
        out[QStringLiteral("replace_all_search_per_hit_events_off")] = loop;
        withEventsMasked(ed, [ed] { ed->undo(); });
    }

    // The naive way with every modification event on: each notified insertion and deletion
    // costs the component time in proportion to its position, so the run grows with the square
    // of the text and is measured on a smaller text, beside the planned run on that text.
    if (!skipNaive) {
        const qint64 kilobytes =
            option(args, QStringLiteral("--naive-kb"), QStringLiteral("256")).toLongLong();
        qint64 smallLines = 0;
        const QByteArray small = makeText(kilobytes << 10, smallLines);
        const QByteArray smallExpected = hashOf(QByteArray(small).replace(HitWord, "marker"));
        auto *smallDoc = qobject_cast<CRidereDoc *>(bench.app->newDocument());
        if (!smallDoc) {
            out[QStringLiteral("error")] = QStringLiteral("no document for the naive run");
            return out;
        }
        CMFCScintilla *smallEd = smallDoc->editor();
        auto load = [&] {
            smallEd->send(Sci::SCI_CLEARALL);
            smallEd->sendText(Sci::SCI_ADDTEXT, static_cast<unsigned long>(small.size()),
                              small.constData());
            smallEd->send(Sci::SCI_EMPTYUNDOBUFFER);
        };
        load();
        QElapsedTimer t;
        t.start();
        const int count = stepByStepReplaceAll(smallEd, HitWord, "marker");
        QJsonObject naive = row(seconds(t));
        naive[QStringLiteral("bytes")] = small.size();
        naive[QStringLiteral("count")] = count;
        naive[QStringLiteral("result_as_expected")] = editorHash(smallEd) == smallExpected;
        load();
        smallEd->send(Sci::SCI_SETSEL, 0, 0);
        t.restart();
        const qint64 planned =
            EditorSearch(smallEd, nullptr).replaceAll(HitWord, "marker", {}, false).count;
        naive[QStringLiteral("planned_seconds_same_text")] = seconds(t);
        naive[QStringLiteral("planned_count")] = planned;
        naive[QStringLiteral("planned_result_as_expected")] = editorHash(smallEd) == smallExpected;
        out[QStringLiteral("replace_all_naive_events_on")] = naive;
        smallDoc->setModifiedFlag(false);
    }
    doc->setModifiedFlag(false);

    const qint64 catastrophicMegabytes =
        option(args, QStringLiteral("--catastrophic-mb"), QStringLiteral("20")).toLongLong();
    if (catastrophicMegabytes > 0)
        out[QStringLiteral("catastrophic_patterns")] =
            catastrophicStage(bench, catastrophicMegabytes);
    return out;
}

} // namespace

PW_BENCH("find", findBench);
