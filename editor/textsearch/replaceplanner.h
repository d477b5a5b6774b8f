// Replace All worked out in advance: every place the component's replace loop would replace,
// handed out in batches so that memory stays small whatever the number of hits.
#pragma once

#include "editor/textsearch/textsearch.h"

#include <memory>
#include <vector>

namespace pw::search {

// The component's replace loop over [start, end), replacement inserted literally:
//   pos = search in [start, end); while pos != -1: replace the target; end grows by the
//   replacement's length minus the match's; next = pos + replacement length, one more when an
//   empty match sits on a line end, then past one more character for an empty match; stop when
//   next reaches end, else pos = search in [next, end).
// Each later search looks at the replaced text: what lies before "next" (a replacement, perhaps)
// decides whole-word and line-start tests, so the planner carries it into every search. Nothing
// loops on empty matches: next always moves on.
//
// The hits come in batches, in order and never overlapping. Two ways to drive it:
// - In place: after each batch the caller replaces every hit of it in the text (hit ranges are
//   positions in the text as it is when the batch is handed out, so the caller shifts later
//   hits of the batch by what it replaced before them), then calls applied() with the text as
//   it now is and the shift (replacement length minus hit length, summed over the batch).
//   The text must not change otherwise. The caller's memory is one batch of hits.
// - Unchanged text: the caller never calls applied(); hit ranges are positions in the unchanged
//   text (planReplaceAll works so).
// A plan never passes over a start position that needs too much backtracking: it is the
// component's exact answer or Stopped.
class ReplacePlanner
{
public:
    // budget: shared with the caller's other work, or null for one of SearchBudget::timeForText
    // of the scope. The text must outlive the planner (until the next applied()).
    ReplacePlanner(const TextView &text, const SearchPattern &pattern, qsizetype start,
                   qsizetype end, QByteArray replacement, SearchBudget *budget = nullptr,
                   const SearchLimits &limits = {});
    ~ReplacePlanner();
    ReplacePlanner(const ReplacePlanner &) = delete;
    ReplacePlanner &operator=(const ReplacePlanner &) = delete;

    // The next hits, at most maxHits (at least one is asked for), into hits; false (hits empty)
    // when the plan is done or stopped, status() telling which.
    bool next(std::vector<Match> &hits, std::size_t maxHits);
    // In place only: the caller has applied the last batch. text is the text now (its buffer may
    // have moved); shift is what the batch added to its length, which must be the batch's shift
    // (batchShift()), and the text must be that much longer than before.
    void applied(const TextView &text, qsizetype shift);
    // What applying the last batch adds to the text's length.
    qsizetype batchShift() const { return m_batchShift; }

    // Found once a hit was planned; NotFound when nothing matched (also when the first match lies
    // past the scope's end); InvalidPattern; Stopped: the budget ran out, the run was cancelled
    // or a position needed too much backtracking (stopPoint() says which and where). A plan that
    // stopped after some batches were applied must be undone by the caller.
    SearchStatus status() const { return m_status; }
    StopPoint stopPoint() const { return m_stop; }
    bool done() const { return m_done; }
    qint64 hitCount() const { return m_count; }
    // Once done with Found: where the loop stopped ("next"), and the scope's end, in the replaced
    // text.
    qsizetype caret() const { return m_next + m_unapplied; }
    qsizetype scopeEnd() const { return m_end + m_unapplied; }

private:
    struct Tail
    {
        char bytes[4] = {};
        int size = 0;
        bool atStart = true;
        void append(const char *data, qsizetype n);
        Leading leading() const;
    };

    void finish(SearchStatus status);
    void stop(StopPoint point);

    TextView m_text;
    const SearchPattern &m_pattern;
    QByteArray m_replacement;
    SearchLimits m_limits;
    SearchBudget *m_budget;
    std::unique_ptr<SearchBudget> m_ownBudget;
    std::unique_ptr<Searcher> m_searcher;
    bool m_started = false;
    bool m_done = false;
    SearchStatus m_status = SearchStatus::NotFound;
    StopPoint m_stop;
    qint64 m_count = 0;
    qsizetype m_start;
    qsizetype m_end;
    qsizetype m_next;
    // The found hit not yet handed out.
    Match m_pending;
    // Length change of the hits handed out but not applied (all of them for an unchanged text).
    qsizetype m_unapplied = 0;
    // Length change of the last batch.
    qsizetype m_batchShift = 0;
    // What the replaced text holds right after the last hit's replacement, and the position of
    // the text up to which that is known.
    Tail m_afterHit;
    qsizetype m_accounted = 0;
};

// The whole plan at once, on an unchanged text: kept for callers with small texts.
struct ReplacePlan
{
    SearchStatus status = SearchStatus::NotFound;
    // Stopped: where and why.
    StopPoint stop;
    // The matches to replace, in the unchanged text, in increasing order and never overlapping;
    // none unless Found.
    std::vector<Match> hits;
    // Where the loop stopped ("next"), and the scope's end, in the replaced text.
    qsizetype caret = -1;
    qsizetype scopeEnd = -1;
};

ReplacePlan planReplaceAll(const TextView &text, const SearchPattern &pattern, qsizetype start,
                           qsizetype end, const QByteArray &replacement,
                           SearchBudget *budget = nullptr, const SearchLimits &limits = {});

// Hits that share a line, replaced together as one edit: indexes first..last into a batch.
struct EditGroup
{
    std::size_t first = 0;
    std::size_t last = 0;
};

// Groups a batch of hits into edits, each spanning at most maxSpan bytes of the text, so that the
// component makes a few large changes instead of very many small ones. A hit holding a line end
// is always an edit of its own. Without acrossLineEnds, the text between two joined hits holds no
// line end either, so an edit removes and adds no line its hits alone would not: what belongs to
// lines (bookmarks, folds) stays where it is. With it, the text between may hold line ends, which
// the edit takes out and puts back. Groups never reach across batches.
std::vector<EditGroup> groupHits(const TextView &text, const std::vector<Match> &hits,
                                 qsizetype maxSpan, bool acrossLineEnds);

} // namespace pw::search
