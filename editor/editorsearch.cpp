// EditorSearch: target searches by the search engine over the editor's own buffer (by the
// component where the engine does not know the code page), each command on one bounded and
// stoppable budget; Replace All applied batch by batch as one undo step; Mark All.
#include "editor/editorsearch.h"

#include "editor/mfcscintilla.h"
#include "editor/recordedsteps.h"
#include "editor/replaceedits.h"
#include "editor/textsearch/replaceplanner.h"
#include "editor/textsearch/replacerecord.h"
#include "framework/host.h"
#include "resources/resources.h"
#include "resources/stringids.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>

namespace pw {

namespace {

constexpr int ProgressSteps = 1000;
// Progress shows in the status bar once a command has run this long.
constexpr auto QuietRun = std::chrono::milliseconds(300);
// Hits Replace All plans and applies at a time: the plan's memory is 16 bytes for each.
constexpr std::size_t BatchHits = 1 << 16;

QString limitReason()
{
    return QString::fromUtf8(res::string(Str::SearchLimitReached));
}

// The budget of one command over [from, to) of the text: bounded by time in proportion to the
// text, stopped by the user through the status bar's Stop once the run is long enough to show
// its progress there.
class CommandBudget
{
public:
    CommandBudget(Host *host, qsizetype from, qsizetype to)
        : m_host(host), m_from(from), m_span(std::max<qsizetype>(to - from, 1)),
          m_budget(search::SearchBudget::timeForText(to - from), &m_cancel,
                   [this](qsizetype position) { report(position); })
    {
    }

    search::SearchBudget *get() { return &m_budget; }
    // The text of the command's scope grew or shrank by this much (Replace All).
    void scopeChanged(qsizetype shift) { m_span = std::max<qsizetype>(m_span + shift, 1); }

private:
    void report(qsizetype position)
    {
        if (!m_host)
            return;
        if (!m_progress) {
            if (m_budget.elapsed() < QuietRun)
                return;
            m_progress = m_host->startProgress(ProgressSteps, true);
        }
        m_progress->step(qint64(std::clamp<qsizetype>(position - m_from, 0, m_span)) *
                         ProgressSteps / m_span);
        if (m_progress->stopRequested())
            m_cancel.store(true, std::memory_order_relaxed);
    }

    Host *m_host;
    qsizetype m_from;
    qsizetype m_span;
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<Progress> m_progress;
    search::SearchBudget m_budget;
};

QByteArray charsOfClass(const CMFCScintilla *ed, unsigned int message)
{
    const long length = ed->send(message, 0, 0);
    QByteArray chars(int(std::max(length, 0L)) + 1, '\0');
    ed->send(message, 0, reinterpret_cast<long>(chars.data()));
    chars.truncate(std::max(length, 0L));
    return chars;
}

// The editor's text as the search engine reads it, straight from the component's buffer; none
// for a code page the engine does not know.
std::optional<search::TextView> engineText(const CMFCScintilla *ed)
{
    const long codePage = ed->send(Sci::SCI_GETCODEPAGE);
    if (codePage != 0 && codePage != Sci::SC_CP_UTF8)
        return std::nullopt;
    search::TextView view;
    view.length = ed->send(Sci::SCI_GETLENGTH);
    view.data = reinterpret_cast<const char *>(ed->send(Sci::SCI_GETCHARACTERPOINTER));
    view.utf8 = codePage == Sci::SC_CP_UTF8;
    view.classes = search::charClassesFrom(charsOfClass(ed, Sci::SCI_GETWORDCHARS),
                                           charsOfClass(ed, Sci::SCI_GETWHITESPACECHARS),
                                           charsOfClass(ed, Sci::SCI_GETPUNCTUATIONCHARS));
    if (!view.data && view.length > 0)
        return std::nullopt;
    return view;
}

// Target searches answering as SCI_SEARCHINTARGET does with the component's flags set from the
// same options, and leaving the component's target where it would. The text must not change
// while a finder is in use.
class TargetFinder
{
public:
    TargetFinder(CMFCScintilla *ed, const QByteArray &text, int flags,
                 search::SearchBudget *budget)
        : m_ed(ed), m_text(text)
    {
        m_view = engineText(ed);
        if (m_view)
            m_pattern = std::make_unique<search::SearchPattern>(text, flags, m_view->classes);
        if (m_pattern)
            m_searcher = std::make_unique<search::Searcher>(*m_view, *m_pattern, budget);
    }

    // Why nothing can be found, before any search: an empty text or a refused expression.
    std::optional<SearchResult> refusal() const
    {
        if (m_text.isEmpty())
            return SearchResult{SearchOutcome::NotFound, -1, 0, {}};
        if (m_pattern && !m_pattern->isValid())
            return SearchResult{SearchOutcome::InvalidPattern, -1, 0, m_pattern->error()};
        return std::nullopt;
    }

    search::SearchStatus find(long start, long end, search::Match &match)
    {
        match = {};
        if (m_text.isEmpty())
            return search::SearchStatus::NotFound;
        m_ed->send(Sci::SCI_SETTARGETRANGE, start, end);
        if (!m_searcher) {
            const long pos =
                m_ed->sendText(Sci::SCI_SEARCHINTARGET, static_cast<unsigned long>(m_text.size()),
                               m_text.constData());
            if (pos < 0)
                return search::SearchStatus::NotFound;
            match = {pos, m_ed->send(Sci::SCI_GETTARGETEND)};
            return search::SearchStatus::Found;
        }
        const search::SearchStatus status = m_searcher->find(start, end, match);
        if (status == search::SearchStatus::Found)
            m_ed->send(Sci::SCI_SETTARGETRANGE, long(match.start), long(match.end));
        return status;
    }
    // Where and why the last search stopped.
    search::StopPoint stopPoint() const
    {
        return m_searcher ? m_searcher->stopPoint() : search::StopPoint{};
    }

private:
    CMFCScintilla *m_ed;
    QByteArray m_text;
    std::optional<search::TextView> m_view;
    std::unique_ptr<search::SearchPattern> m_pattern;
    std::unique_ptr<search::Searcher> m_searcher;
};

// A stopped search's result: the position it reached, and why, for the user (a stop the user
// asked for needs no reason).
SearchResult stoppedAt(search::StopPoint stop)
{
    return {SearchOutcome::Stopped, stop.position, 0,
            stop.reason == search::StopReason::Cancelled ? QString() : limitReason(),
            stop.reason};
}

SearchResult resultOf(search::SearchStatus status, qint64 position = -1,
                      search::StopPoint stop = {})
{
    switch (status) {
    case search::SearchStatus::Found:
        return {SearchOutcome::Found, position, 0, {}};
    case search::SearchStatus::NotFound:
        return {SearchOutcome::NotFound, -1, 0, {}};
    case search::SearchStatus::InvalidPattern:
        return {SearchOutcome::InvalidPattern, -1, 0, {}};
    case search::SearchStatus::Stopped:
        break;
    }
    return stoppedAt(stop);
}

SearchResult findAndSelect(CMFCScintilla *ed, Host *host, const QByteArray &text, int flags,
                           bool up, bool wrap)
{
    const long length = ed->send(Sci::SCI_GETLENGTH);
    const long start =
        up ? ed->send(Sci::SCI_GETSELECTIONSTART) : ed->send(Sci::SCI_GETSELECTIONEND);
    CommandBudget budget(host, 0, length);
    TargetFinder finder(ed, text, flags, budget.get());
    if (const auto refused = finder.refusal())
        return *refused;
    search::Match match;
    search::SearchStatus status = finder.find(start, up ? 0 : length, match);
    search::StopPoint stop = finder.stopPoint();
    // A position passed over for its backtracking leaves the rest of the text to search: the
    // other part may still hold a match.
    const bool passedOver = status == search::SearchStatus::Stopped &&
                            stop.reason == search::StopReason::HardPosition;
    if ((status == search::SearchStatus::NotFound || passedOver) && wrap) {
        const search::SearchStatus second =
            up ? finder.find(length, 0, match) : finder.find(0, length, match);
        if (second == search::SearchStatus::Found || !passedOver) {
            status = second;
            stop = finder.stopPoint();
        }
    }
    if (status != search::SearchStatus::Found)
        return resultOf(status, -1, stop);
    const long first = ed->send(Sci::SCI_LINEFROMPOSITION, long(match.start));
    const long last = ed->send(Sci::SCI_LINEFROMPOSITION, long(match.end));
    for (long line = first; line <= last; ++line)
        ed->send(Sci::SCI_ENSUREVISIBLEENFORCEPOLICY, line);
    ed->send(Sci::SCI_SETSEL, long(match.start), long(match.end));
    return resultOf(status, match.start);
}

// The component's own replace loop, used where the plan cannot stand in for it: a rectangular
// selection (whose lines the component works out as the text changes) and code pages the
// engine does not know. Modification events are off during the run. end comes back moved by the
// replacements; the count is 0 when nothing matched.
qint64 replaceStepByStep(CMFCScintilla *ed, const QByteArray &text, const QByteArray &replacement,
                         long start, long &end, bool rectangular, long &next)
{
    auto search = [&](long from, long to) {
        ed->send(Sci::SCI_SETTARGETRANGE, from, to);
        return ed->sendText(Sci::SCI_SEARCHINTARGET, static_cast<unsigned long>(text.size()),
                            text.constData());
    };
    long pos = search(start, end);
    if (pos == -1 || pos > end)
        return 0;
    const long replacementLength = replacement.size();
    CMFCScintilla::QuietChanges quiet(ed);
    qint64 count = 0;
    next = start;
    while (pos != -1) {
        const long targetStart = ed->send(Sci::SCI_GETTARGETSTART);
        const long targetEnd = ed->send(Sci::SCI_GETTARGETEND);
        const long matchLength = targetEnd - targetStart;
        if (rectangular) {
            const long line = ed->send(Sci::SCI_LINEFROMPOSITION, pos);
            const long from = ed->send(Sci::SCI_GETLINESELSTARTPOSITION, line);
            const long to = ed->send(Sci::SCI_GETLINESELENDPOSITION, line);
            if (from < 0 || targetStart < from || targetEnd > to) {
                // Outside the rectangle on its line: not replaced, not counted.
                if (pos + 1 >= end)
                    break;
                pos = search(pos + 1, end);
                continue;
            }
        }
        const int after = int(ed->send(Sci::SCI_GETCHARAT, targetEnd) & 0xFF);
        const long step = matchLength == 0 && (after == '\r' || after == '\n') ? 1 : 0;
        ed->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(replacementLength),
                     replacement.constData());
        end += replacementLength - matchLength;
        next = pos + replacementLength + step;
        if (matchLength == 0)
            next = ed->send(Sci::SCI_POSITIONAFTER, next);
        ++count;
        if (next >= end)
            break;
        pos = search(next, end);
    }
    return count;
}

} // namespace

EditorSearch::EditorSearch(CMFCScintilla *editor, Host *host) : m_editor(editor), m_host(host) {}

void EditorSearch::applyFlags(const search::Options &options)
{
    m_editor->send(Sci::SCI_SETSEARCHFLAGS, options.flags());
}

SearchResult EditorSearch::findNext(const QByteArray &text, const search::Options &options,
                                    bool up, bool wrap)
{
    applyFlags(options);
    return findAndSelect(m_editor, m_host, text, options.flags(), up, wrap);
}

SearchResult EditorSearch::replaceNext(const QByteArray &text, const QByteArray &replacement,
                                       const search::Options &options, bool replaceSelection)
{
    applyFlags(options);
    if (replaceSelection && !m_editor->isReadOnly()) {
        // The selection is what the previous step found; it is not checked again.
        const long start = m_editor->send(Sci::SCI_GETSELECTIONSTART);
        const long end = m_editor->send(Sci::SCI_GETSELECTIONEND);
        m_editor->send(Sci::SCI_SETTARGETRANGE, start, end);
        m_editor->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(replacement.size()),
                           replacement.constData());
        m_editor->send(Sci::SCI_SETSEL, start, start + long(replacement.size()));
    }
    return findAndSelect(m_editor, m_host, text, options.flags(), false, true);
}

SearchResult EditorSearch::replaceAll(const QByteArray &text, const QByteArray &with,
                                      const search::Options &options, bool inSelection)
{
    CMFCScintilla *ed = m_editor;
    applyFlags(options);
    long start = 0;
    long end = ed->send(Sci::SCI_GETLENGTH);
    bool rectangular = false;
    if (inSelection) {
        const long selectionStart = ed->send(Sci::SCI_GETSELECTIONSTART);
        const long selectionEnd = ed->send(Sci::SCI_GETSELECTIONEND);
        rectangular = ed->send(Sci::SCI_GETSELECTIONMODE) == Sci::SC_SEL_RECTANGLE;
        // Whole lines: from the start of the first line to the start of the line after the
        // last.
        start = ed->send(Sci::SCI_POSITIONFROMLINE,
                         ed->send(Sci::SCI_LINEFROMPOSITION, selectionStart));
        end = ed->send(Sci::SCI_POSITIONFROMLINE,
                       ed->send(Sci::SCI_LINEFROMPOSITION, selectionEnd) + 1);
        if (end < 0)
            end = ed->send(Sci::SCI_GETLENGTH);
    }
    CommandBudget budget(m_host, start, end);
    // A plan is the component's exact answer or nothing: no start position is passed over.
    budget.get()->setPassOverHardPositions(false);
    TargetFinder probe(ed, text, options.flags(), budget.get());
    if (const auto refused = probe.refusal())
        return *refused;
    if (ed->isReadOnly()) {
        // Nothing can change; say whether there was anything to replace.
        search::Match match;
        const search::SearchStatus status = probe.find(start, end, match);
        return resultOf(status, match.start, probe.stopPoint());
    }

    long next = start;
    long scopeEnd = end;
    qint64 count = 0;
    std::optional<search::TextView> view = rectangular ? std::nullopt : engineText(ed);
    if (!view) {
        count = replaceStepByStep(ed, text, with, start, scopeEnd, rectangular, next);
        if (count == 0)
            return {};
    } else {
        const search::SearchPattern pattern(text, options.flags(), view->classes);
        search::ReplacePlanner planner(*view, pattern, start, end, with, budget.get());
        const Grouping grouping = groupingFor(ed);
        RecordedSteps &steps = ed->recordedSteps();
        // The editor keeps the step itself where it can: the component's record of it would
        // hold every removed and every inserted byte.
        std::unique_ptr<search::ReplaceRecord> record;
        if (steps.available())
            record = std::make_unique<search::ReplaceRecord>(with);
        bool changed = false;
        {
            // Events stay off through a stopped run's undo too.
            CMFCScintilla::QuietChanges outer(ed, CMFCScintilla::QuietChanges::SeparateSteps);
            {
                // Without collection an undo group would only leave an empty step behind.
                CMFCScintilla::QuietChanges quiet(
                    ed, record ? CMFCScintilla::QuietChanges::SeparateSteps
                               : CMFCScintilla::QuietChanges::OneUndoStep);
                std::optional<CMFCScintilla::UndoCollectionOff> uncollected;
                if (record)
                    uncollected.emplace(ed);
                std::vector<search::Match> hits;
                std::string joined; // keeps its capacity from one edit to the next
                while (planner.next(hits, BatchHits)) {
                    if (record)
                        record->addBatch(view->data, hits);
                    applyBatch(ed, grouping, *view, hits, with, joined);
                    changed = true;
                    // The component's buffer may have moved while it grew.
                    view = engineText(ed);
                    planner.applied(*view, planner.batchShift());
                    budget.scopeChanged(planner.batchShift());
                }
                if (record) {
                    record->finish();
                    if (planner.status() == search::SearchStatus::Stopped && changed)
                        replayRecord(ed, *record, true);
                }
            }
            if (!record && planner.status() == search::SearchStatus::Stopped && changed)
                ed->undo();
        }
        if (planner.status() != search::SearchStatus::Found)
            return resultOf(planner.status(), -1, planner.stopPoint());
        if (record)
            steps.add(std::move(record));
        count = planner.hitCount();
        next = long(planner.caret());
        scopeEnd = long(planner.scopeEnd());
    }

    if (inSelection)
        ed->send(Sci::SCI_SETSEL, start, scopeEnd);
    else
        ed->send(Sci::SCI_SETSEL, next, next);
    return {SearchOutcome::Found, next, count, {}};
}

SearchResult EditorSearch::markAll(const QByteArray &text, const search::Options &options)
{
    CMFCScintilla *ed = m_editor;
    const long caret = ed->send(Sci::SCI_GETCURRENTPOS);
    const SearchResult firstResult = findNext(text, options, false, true);
    if (!firstResult.found())
        return firstResult;
    const search::Match first{ed->send(Sci::SCI_GETTARGETSTART), ed->send(Sci::SCI_GETTARGETEND)};
    const long length = ed->send(Sci::SCI_GETLENGTH);
    // The whole run is searched first and the lines marked after, so a stopped run marks
    // nothing, and a hundred thousand hits cost one quiet pass instead of a report each.
    CommandBudget budget(m_host, 0, length);
    // Every line is to be marked or none: a place the expression cannot get past ends the run.
    budget.get()->setPassOverHardPositions(false);
    TargetFinder finder(ed, text, options.flags(), budget.get());
    SearchResult result = firstResult;
    std::vector<search::Match> hits;
    search::Match hit = first;
    bool wrapped = false;
    for (long guard = 0; guard <= length + 1; ++guard) {
        hits.push_back(hit);
        // The next match downwards with wrap, moving past an empty match so nothing repeats.
        long from = long(hit.end);
        if (hit.length() == 0)
            from = ed->send(Sci::SCI_POSITIONAFTER, from);
        search::Match next;
        bool wrappedNow = false;
        search::SearchStatus status = finder.find(from, length, next);
        if (status == search::SearchStatus::Stopped) {
            result = stoppedAt(finder.stopPoint());
            break;
        }
        if (status != search::SearchStatus::Found || (hit.length() == 0 && from == hit.end)) {
            wrappedNow = true;
            status = finder.find(0, length, next);
            if (status == search::SearchStatus::Stopped)
                result = stoppedAt(finder.stopPoint());
            if (status != search::SearchStatus::Found)
                break;
        }
        if (next.start == first.start)
            break;
        if (wrappedNow) {
            if (wrapped || next.start > first.start)
                break;
            wrapped = true;
        } else if (wrapped && next.start > first.start) {
            break;
        }
        hit = next;
    }
    if (result.outcome == SearchOutcome::Found) {
        CMFCScintilla::QuietChanges quiet(ed, CMFCScintilla::QuietChanges::SeparateSteps);
        for (const search::Match &marked : hits) {
            const long line = ed->send(Sci::SCI_LINEFROMPOSITION, long(marked.start));
            const long lastLine = ed->send(Sci::SCI_LINEFROMPOSITION, long(marked.end));
            for (long l = line; l <= lastLine; ++l)
                if (!ed->send(Sci::SCI_GETLINEVISIBLE, l))
                    ed->send(Sci::SCI_ENSUREVISIBLE, l);
            ed->toggleBookmark(line);
        }
    }
    ed->send(Sci::SCI_SETCURRENTPOS, caret);
    ed->send(Sci::SCI_SETSEL, caret, caret);
    return result;
}

} // namespace pw
