// The function list's pattern cache and its searches through the shared target-search engine.
#include "functionlist/engine/rulesearch.h"

#include <algorithm>

namespace pw::functionlist {

const search::SearchPattern &PatternCache::get(const std::string &pattern, bool matchCase)
{
    auto &slot = m_patterns[{pattern, matchCase}];
    if (!slot) {
        const int flags = search::SearchFlag::RegExp | search::SearchFlag::Posix |
                          (matchCase ? search::SearchFlag::MatchCase : 0);
        slot = std::make_unique<search::SearchPattern>(
            QByteArray(pattern.data(), qsizetype(pattern.size())), flags);
    }
    return *slot;
}

RuleSearch::RuleSearch(const TextModel &text, search::SearchBudget &budget,
                       const search::SearchLimits &limits)
    : m_text(text), m_budget(budget), m_limits(limits)
{
    m_view.data = text.data();
    m_view.length = text.length();
    m_view.utf8 = text.isUtf8();
}

RuleSearch::~RuleSearch() = default;

search::SearchStatus RuleSearch::find(const search::SearchPattern &pattern, qsizetype from,
                                      qsizetype to, Match &match)
{
    match = {};
    const qsizetype length = m_text.length();
    // A range that starts past the text's end holds nothing: a parser loop that moves its start
    // on by one after each empty match must come to an end there.
    if (from > length)
        return search::SearchStatus::NotFound;
    from = std::max<qsizetype>(from, 0);
    to = std::clamp<qsizetype>(to, 0, length);
    // A start past the range's end would turn the target search around.
    if (from > to)
        return search::SearchStatus::NotFound;
    auto &searcher = m_searchers[&pattern];
    if (!searcher)
        searcher = std::make_unique<search::Searcher>(m_view, pattern, &m_budget, m_limits);
    const qint64 before = searcher->scannedBytes();
    const search::SearchStatus status = searcher->find(from, to, match);
    m_scanned += searcher->scannedBytes() - before;
    if (status == search::SearchStatus::Stopped)
        m_stop = searcher->stopPoint();
    return status;
}

} // namespace pw::functionlist
