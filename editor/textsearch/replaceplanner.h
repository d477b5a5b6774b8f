// Replace All worked out in advance: every place the component's replace loop would replace,
// found in one pass over the unchanged text.
#pragma once

#include "editor/textsearch/textsearch.h"

#include <functional>
#include <vector>

namespace pw::search {

struct ReplacePlan
{
    // Found when there is at least one hit; NotFound also when the first match lies past the
    // scope's end; InvalidPattern and LimitExceeded leave no hits.
    SearchStatus status = SearchStatus::NotFound;
    // The matches to replace, in the unchanged text, in increasing order and never overlapping.
    std::vector<Match> hits;
    // Where the loop stopped ("next"), and the scope's end, in the replaced text.
    qsizetype caret = -1;
    qsizetype scopeEnd = -1;
};

// The component's replace loop over [start, end), replacement inserted literally:
//   pos = search in [start, end); while pos != -1: replace the target; end grows by the
//   replacement's length minus the match's; next = pos + replacement length, one more when an
//   empty match sits on a line end, then past one more character for an empty match; stop when
//   next reaches end, else pos = search in [next, end).
// Each later search looks at the replaced text: what lies before "next" (a replacement, perhaps)
// decides whole-word and line-start tests, so the plan carries it into every search. The plan
// needs no pass over the text beyond the searches, and nothing loops on empty matches: next
// always moves on. progress, when set, is called now and then with the position reached.
ReplacePlan planReplaceAll(const TextView &text, const SearchPattern &pattern, qsizetype start,
                           qsizetype end, const QByteArray &replacement,
                           const std::function<void(qsizetype position)> &progress = {},
                           const SearchLimits &limits = {});

// Hits that share a line, replaced together as one edit: indexes first..last into a plan's hits.
struct EditGroup
{
    std::size_t first = 0;
    std::size_t last = 0;
};

// Groups a plan's hits into edits, each spanning at most maxSpan bytes of the unchanged text, so
// that the component makes a few large changes instead of very many small ones. A hit holding a
// line end is always an edit of its own. Without acrossLineEnds, the text between two joined
// hits holds no line end either, so an edit removes and adds no line its hits alone would not:
// what belongs to lines (bookmarks, folds) stays where it is. With it, the text between may hold
// line ends, which the edit takes out and puts back.
std::vector<EditGroup> groupHits(const TextView &text, const std::vector<Match> &hits,
                                 qsizetype maxSpan, bool acrossLineEnds);

} // namespace pw::search
