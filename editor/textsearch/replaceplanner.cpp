// The component's Replace All loop, run on the unchanged text with the replacements only
// accounted for.
#include "editor/textsearch/replaceplanner.h"

#include "editor/textsearch/componenttext.h"

#include <algorithm>
#include <cstring>

namespace pw::search {

namespace {

// The last bytes of the replaced text before some position.
struct Tail
{
    char bytes[4] = {};
    int size = 0;
    bool atStart = true;

    void append(const char *data, qsizetype n)
    {
        if (n <= 0)
            return;
        atStart = false;
        if (n >= 4) {
            std::memcpy(bytes, data + n - 4, 4);
            size = 4;
            return;
        }
        const int keep = std::min(size, 4 - int(n));
        std::memmove(bytes, bytes + size - keep, std::size_t(keep));
        std::memcpy(bytes + keep, data, std::size_t(n));
        size = keep + int(n);
    }
    Leading leading() const
    {
        Leading result;
        std::memcpy(result.bytes, bytes, sizeof bytes);
        result.size = size;
        result.atStart = atStart;
        return result;
    }
};

constexpr std::size_t ProgressEvery = 8192;

} // namespace

ReplacePlan planReplaceAll(const TextView &text, const SearchPattern &pattern, qsizetype start,
                           qsizetype end, const QByteArray &replacement,
                           const std::function<void(qsizetype)> &progress,
                           const SearchLimits &limits)
{
    ReplacePlan plan;
    const ComponentText rules(text);
    start = std::clamp<qsizetype>(start, 0, text.length);
    end = std::clamp<qsizetype>(end, start, text.length);
    Searcher searcher(text, pattern, limits);
    Match match;
    SearchStatus status = searcher.find(start, end, match);
    if (status != SearchStatus::Found || match.start > end) {
        plan.status = status == SearchStatus::Found ? SearchStatus::NotFound : status;
        return plan;
    }

    const qsizetype replacementLength = replacement.size();
    qsizetype delta = 0;     // length of the replaced text minus that of the original so far
    qsizetype next = start;  // in the original text
    Tail beforeHit;          // what precedes the current hit's start, replacements included
    qsizetype accounted = 0; // original position up to which beforeHit is known
    Tail afterHit;
    while (true) {
        plan.hits.push_back(match);
        // What the replaced text holds right before this hit, then right after its replacement.
        if (plan.hits.size() == 1) {
            const qsizetype from = std::max<qsizetype>(0, match.start - 4);
            beforeHit.append(text.data + from, match.start - from);
        } else {
            beforeHit = afterHit;
            beforeHit.append(text.data + accounted, match.start - accounted);
        }
        afterHit = beforeHit;
        afterHit.append(replacement.constData(), replacementLength);
        accounted = match.end;

        const qsizetype matchLength = match.length();
        delta += replacementLength - matchLength;
        if (matchLength > 0) {
            next = match.end;
        } else {
            // An empty match on a line end steps over that line end character, and then over
            // one more character, so the loop always moves on.
            const unsigned char here = rules.at(match.start);
            const qsizetype step = (here == '\r' || here == '\n') ? 1 : 0;
            next = rules.positionAfter(match.start + step);
        }
        if (progress && plan.hits.size() % ProgressEvery == 0)
            progress(next);
        if (next >= end)
            break;
        Tail before = afterHit;
        before.append(text.data + accounted, next - accounted);
        const Leading leading = before.leading();
        status = searcher.find(next, end, match, &leading);
        if (status == SearchStatus::LimitExceeded) {
            plan.hits.clear();
            plan.status = status;
            return plan;
        }
        if (status != SearchStatus::Found)
            break;
    }
    plan.status = SearchStatus::Found;
    plan.caret = next + delta;
    plan.scopeEnd = end + delta;
    return plan;
}

namespace {
bool holdsLineEnd(const char *data, qsizetype from, qsizetype to)
{
    if (to <= from)
        return false;
    const auto length = std::size_t(to - from);
    return std::memchr(data + from, '\n', length) || std::memchr(data + from, '\r', length);
}
} // namespace

std::vector<EditGroup> groupHits(const TextView &text, const std::vector<Match> &hits,
                                 qsizetype maxSpan, bool acrossLineEnds)
{
    std::vector<EditGroup> groups;
    std::size_t i = 0;
    while (i < hits.size()) {
        EditGroup group{i, i};
        if (!holdsLineEnd(text.data, hits[i].start, hits[i].end)) {
            while (group.last + 1 < hits.size()) {
                const Match &previous = hits[group.last];
                const Match &next = hits[group.last + 1];
                if (next.end - hits[i].start > maxSpan ||
                    holdsLineEnd(text.data, acrossLineEnds ? next.start : previous.end, next.end))
                    break;
                ++group.last;
            }
        }
        groups.push_back(group);
        i = group.last + 1;
    }
    return groups;
}

} // namespace pw::search
