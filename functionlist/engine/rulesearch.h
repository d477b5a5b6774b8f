// The searches a function-list parse makes: its rules' patterns in the component's syntax, run
// over the text copy by the shared target-search engine.
#pragma once

#include "editor/textsearch/textsearch.h"
#include "functionlist/engine/textmodel.h"

#include <map>
#include <memory>
#include <string>

namespace pw::functionlist {

using search::Match;

// Compiled patterns by text and case (POSIX flavour, as the rules are written), so that the
// parses of one thread compile each pattern once. Not shared between threads.
class PatternCache
{
public:
    const search::SearchPattern &get(const std::string &pattern, bool matchCase);
    std::size_t size() const { return m_patterns.size(); }

private:
    std::map<std::pair<std::string, bool>, std::unique_ptr<search::SearchPattern>> m_patterns;
};

// Forward target searches over one text copy, as the component runs them with
// SCI_SETTARGETSTART, SCI_SETTARGETEND and SCI_SEARCHINTARGET. Each pattern gets a searcher of
// its own, which remembers its last answer, so the parser's repeated searches towards one range
// end do not rescan text already known to hold no match. Every search draws on the one budget.
class RuleSearch
{
public:
    // text and budget must outlive the search object.
    RuleSearch(const TextModel &text, search::SearchBudget &budget,
               const search::SearchLimits &limits = {});
    ~RuleSearch();
    RuleSearch(const RuleSearch &) = delete;
    RuleSearch &operator=(const RuleSearch &) = delete;

    // The first match of pattern in the range [from, to]; a range starting past the text's end
    // finds nothing. A pattern the component refuses finds nothing (InvalidPattern); Stopped: the
    // budget ran out, the parse was cancelled or a position needed too much backtracking
    // (stopPoint() says which), with no answer.
    search::SearchStatus find(const search::SearchPattern &pattern, qsizetype from, qsizetype to,
                              Match &match);
    search::StopPoint stopPoint() const { return m_stop; }

    // Bytes of text the searches have covered so far: a measure of work done.
    qint64 scannedBytes() const { return m_scanned; }
    const TextModel &text() const { return m_text; }

private:
    const TextModel &m_text;
    search::TextView m_view;
    search::SearchBudget &m_budget;
    search::SearchLimits m_limits;
    std::map<const search::SearchPattern *, std::unique_ptr<search::Searcher>> m_searchers;
    search::StopPoint m_stop;
    qint64 m_scanned = 0;
};

} // namespace pw::functionlist
