// The component's Replace All loop, planned batch by batch with the replacements carried into
// every later search, and the grouping of hits into edits.
#include "editor/textsearch/replaceplanner.h"

#include "editor/textsearch/componenttext.h"

#include <algorithm>
#include <cstring>

namespace pw::search {

void ReplacePlanner::Tail::append(const char *data, qsizetype n)
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

Leading ReplacePlanner::Tail::leading() const
{
    Leading result;
    std::memcpy(result.bytes, bytes, sizeof bytes);
    result.size = size;
    result.atStart = atStart;
    return result;
}

ReplacePlanner::ReplacePlanner(const TextView &text, const SearchPattern &pattern,
                               qsizetype start, qsizetype end, QByteArray replacement,
                               SearchBudget *budget, const SearchLimits &limits)
    : m_text(text), m_pattern(pattern), m_replacement(std::move(replacement)), m_limits(limits),
      m_budget(budget)
{
    m_start = std::clamp<qsizetype>(start, 0, m_text.length);
    m_end = std::clamp<qsizetype>(end, m_start, m_text.length);
    m_next = m_start;
    if (!m_budget) {
        m_ownBudget = std::make_unique<SearchBudget>(SearchBudget::timeForText(m_end - m_start));
        m_ownBudget->setPassOverHardPositions(false);
        m_budget = m_ownBudget.get();
    }
    m_searcher = std::make_unique<Searcher>(m_text, m_pattern, m_budget, m_limits);
}

ReplacePlanner::~ReplacePlanner() = default;

void ReplacePlanner::finish(SearchStatus status)
{
    m_done = true;
    m_status = status;
}

void ReplacePlanner::stop(StopPoint point)
{
    m_done = true;
    m_status = SearchStatus::Stopped;
    m_stop = point;
}

bool ReplacePlanner::next(std::vector<Match> &hits, std::size_t maxHits)
{
    hits.clear();
    m_batchShift = 0;
    if (m_done)
        return false;
    maxHits = std::max<std::size_t>(maxHits, 1);
    // A search that found its match after passing over a position may have missed an earlier
    // one: the plan would not be the component's.
    auto searched = [this](SearchStatus status) {
        if (status == SearchStatus::Stopped) {
            stop(m_searcher->stopPoint());
            return false;
        }
        if (status == SearchStatus::Found && m_searcher->passedOver() >= 0) {
            stop({StopReason::HardPosition, m_searcher->passedOver()});
            return false;
        }
        return true;
    };
    if (!m_started) {
        m_started = true;
        const SearchStatus status = m_searcher->find(m_start, m_end, m_pending);
        if (!searched(status))
            return false;
        if (status != SearchStatus::Found || m_pending.start > m_end) {
            finish(status == SearchStatus::Found ? SearchStatus::NotFound : status);
            return false;
        }
        const qsizetype from = std::max<qsizetype>(0, m_pending.start - 4);
        m_afterHit = {};
        m_afterHit.append(m_text.data + from, m_pending.start - from);
        m_accounted = m_pending.start;
    }

    const ComponentText rules(m_text);
    const qsizetype replacementLength = m_replacement.size();
    while (hits.size() < maxHits) {
        const Match hit = m_pending;
        hits.push_back(hit);
        ++m_count;
        // What the replaced text holds right before this hit, then right after its replacement.
        m_afterHit.append(m_text.data + m_accounted, hit.start - m_accounted);
        m_afterHit.append(m_replacement.constData(), replacementLength);
        m_accounted = hit.end;
        const qsizetype shift = replacementLength - hit.length();
        m_unapplied += shift;
        m_batchShift += shift;
        if (hit.length() > 0) {
            m_next = hit.end;
        } else {
            // An empty match on a line end steps over that line end character, and then over
            // one more character, so the loop always moves on.
            const unsigned char here = rules.at(hit.start);
            const qsizetype step = (here == '\r' || here == '\n') ? 1 : 0;
            m_next = rules.positionAfter(hit.start + step);
        }
        if (m_next >= m_end) {
            finish(SearchStatus::Found);
            break;
        }
        Tail before = m_afterHit;
        before.append(m_text.data + m_accounted, m_next - m_accounted);
        const Leading leading = before.leading();
        const SearchStatus status = m_searcher->find(m_next, m_end, m_pending, &leading);
        if (!searched(status)) {
            hits.clear();
            return false;
        }
        if (status != SearchStatus::Found) {
            finish(SearchStatus::Found);
            break;
        }
    }
    return true;
}

void ReplacePlanner::applied(const TextView &text, qsizetype shift)
{
    Q_ASSERT(shift == m_batchShift);
    Q_ASSERT(text.length == m_text.length + shift);
    // The searcher reads m_text; it is made anew for the text as it now is.
    m_searcher.reset();
    m_text = text;
    m_next += shift;
    m_end += shift;
    m_accounted += shift;
    if (m_pending.found()) {
        m_pending.start += shift;
        m_pending.end += shift;
    }
    m_unapplied -= shift;
    m_batchShift = 0;
    m_searcher = std::make_unique<Searcher>(m_text, m_pattern, m_budget, m_limits);
}

ReplacePlan planReplaceAll(const TextView &text, const SearchPattern &pattern, qsizetype start,
                           qsizetype end, const QByteArray &replacement, SearchBudget *budget,
                           const SearchLimits &limits)
{
    ReplacePlan plan;
    ReplacePlanner planner(text, pattern, start, end, replacement, budget, limits);
    std::vector<Match> batch;
    while (planner.next(batch, std::size_t(1) << 16))
        plan.hits.insert(plan.hits.end(), batch.begin(), batch.end());
    plan.status = planner.status();
    plan.stop = planner.stopPoint();
    if (plan.status != SearchStatus::Found) {
        plan.hits.clear();
        return plan;
    }
    plan.caret = planner.caret();
    plan.scopeEnd = planner.scopeEnd();
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
