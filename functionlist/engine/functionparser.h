// The function-list parser: finds the functions of a text copy with the rule set of its language.
#pragma once

#include "functionlist/engine/rules.h"
#include "functionlist/engine/rulesearch.h"

#include <QByteArray>
#include <stop_token>
#include <string>
#include <vector>

namespace pw::functionlist {

// A comment or string literal: [start, end) in the text copy.
struct SkipRegion
{
    qsizetype start = 0;
    qsizetype end = 0;
    bool hidesHeaders = false; // from a skip pair that hides headers (SkipPair::hidesHeaders)
};

// Skip regions of one parse, ordered by start and never overlapping.
class SkipRegions
{
public:
    SkipRegions() = default;
    explicit SkipRegions(std::vector<SkipRegion> regions) : m_regions(std::move(regions)) {}
    // Whether [a, b] lies in one region: it starts at or before a and ends at or after b.
    bool contains(qsizetype a, qsizetype b) const { return holding(a, b) != nullptr; }
    // The region [a, b] lies in; null when there is none.
    const SkipRegion *holding(qsizetype a, qsizetype b) const;
    const std::vector<SkipRegion> &regions() const { return m_regions; }

private:
    std::vector<SkipRegion> m_regions;
};

struct FunctionEntry
{
    int line = 0;              // 0-based line of the header's first character
    QByteArray name;           // bytes of the text copy
    qsizetype headerStart = 0; // the header: [headerStart, headerEnd)
    qsizetype headerEnd = 0;   // after the parameter list when it was checked
    qsizetype lineStart = 0;   // start of the header's line
    qsizetype endPosition = 0; // just after the body (or the header when it has none)
    int endLine = 0;           // line of endPosition
    bool inSkipRegion = false; // the header lies in a comment or string
    int rule = 0;              // index of the rule that found it
};

enum class ParseStatus {
    Complete,     // the entries are the document's functions
    NotSupported, // the language number has no rules
    Incomplete,   // the work bound was reached; the entries are not to be shown
    Cancelled,    // stopped from outside
};

struct ParseResult
{
    ParseStatus status = ParseStatus::Complete;
    std::vector<FunctionEntry> found;     // every entry of every rule, sorted by line
    std::vector<FunctionEntry> displayed; // what the list shows: nested and repeated finds dropped
    std::vector<SkipRegion> skipRegions;
    std::string problem;     // why the parse is incomplete
    qint64 scannedBytes = 0; // work done, in bytes of text searched
};

struct ParseOptions
{
    // The text is UTF-8 (the component's code page 65001) rather than single bytes.
    bool utf8 = false;
    pw::search::SearchLimits search;
    // Searching may cover at most workBase + workPerByte * text length bytes of text; beyond
    // that the parse is incomplete. Real sources use a small fraction of it.
    qint64 workBase = 32 << 20;
    qint64 workPerByte = 400;
    // Last resort against searches whose cost the byte count does not see (long backtracking
    // that ends in a short match): the parse is incomplete after this many milliseconds of the
    // parsing thread's processor time, the search under way stopping within about 100 ms; 0 for
    // no limit.
    qint64 deadlineMs = 10'000;
    // Search a header only on the lines that hold a literal every match of it holds ("proc",
    // "def"), rather than through the whole text; the same entries either way.
    bool literalPrefilter = true;
};

// A pattern a parse searches with, as handed to the search.
struct SearchPattern
{
    std::string text;
    bool matchCase = false;
    bool operator<(const SearchPattern &o) const
    {
        return text != o.text ? text < o.text : matchCase < o.matchCase;
    }
};

// Every pattern a parse with this rule set may search with (headers as they are composed from
// prefix, name and suffix, parameter parts, alternatives one by one, skip pairs), without
// repeats.
std::vector<SearchPattern> searchPatternsOf(const RuleSet &rules);

// Parses text with the rule set of lexerId. A stop request ends the search under way within
// about 100 ms and the parse returns Cancelled. cache may be shared by the parses of one thread.
ParseResult parseFunctions(const QByteArray &text, int lexerId, std::stop_token stop = {},
                           const ParseOptions &options = {}, PatternCache *cache = nullptr);
ParseResult parseFunctions(const QByteArray &text, const RuleSet &rules, std::stop_token stop = {},
                           const ParseOptions &options = {}, PatternCache *cache = nullptr);

} // namespace pw::functionlist
