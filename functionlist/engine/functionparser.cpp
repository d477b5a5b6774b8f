// The function-list parse: skip regions, headers with their parameter lists, bodies found by brace
// matching or by block patterns, and the sort and filter of what was found.
#include "functionlist/engine/functionparser.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>

namespace pw::functionlist {

const SkipRegion *SkipRegions::holding(qsizetype a, qsizetype b) const
{
    // Regions may touch (one ends where the next starts), so the region before the last one
    // starting at or before a may still hold [a, b].
    auto it = std::upper_bound(m_regions.begin(), m_regions.end(), a,
                               [](qsizetype pos, const SkipRegion &r) { return pos < r.start; });
    for (int k = 0; k < 2 && it != m_regions.begin(); ++k) {
        --it;
        if (it->end >= b)
            return &*it;
        if (it->end < a)
            break;
    }
    return nullptr;
}

namespace {

// How a rule's suffix splits when it holds a parameter list ("\(" ... "\)"): the header stops
// after the "\(", the tail is everything after it and the inner part lies between it and the last
// "\)".
struct HeaderParts
{
    std::string header;
    bool checkParameters = false;
    std::string tail;
    std::string inner;
};

HeaderParts headerParts(const Rule &rule)
{
    HeaderParts parts;
    const std::string &suffix = rule.suffix;
    const auto open = suffix.find("\\(");
    const auto close = suffix.rfind("\\)");
    parts.checkParameters = open != std::string::npos && close != std::string::npos;
    if (!parts.checkParameters) {
        parts.header = rule.prefix + rule.name + suffix;
        return parts;
    }
    parts.header = rule.prefix + rule.name + suffix.substr(0, open + 2);
    parts.tail = suffix.substr(open + 2);
    if (close > open + 2)
        parts.inner = suffix.substr(open + 2, close - open - 2);
    return parts;
}

// The longest run of bytes that every match of pattern (the component's syntax, POSIX flavour, a
// case-sensitive search) holds in a row; empty when there is none or the pattern uses more than
// single bytes, sets, "." and repeats, whose meaning this does not follow (groups, escaped
// letters and digits).
std::string requiredLiteral(const std::string &pattern)
{
    std::string best, run;
    auto endRun = [&] {
        if (run.size() > best.size())
            best = run;
        run.clear();
    };
    const std::size_t n = pattern.size();
    std::size_t i = !pattern.empty() && pattern[0] == '^' ? 1 : 0;
    while (i < n) {
        const char c = pattern[i];
        int byte = -1; // the byte of a one-byte item; -1 for a set, "." or a word edge
        bool zeroWidth = false;
        if (c == '[') {
            std::size_t j = i + 1;
            if (j < n && pattern[j] == '^')
                ++j;
            if (j < n && pattern[j] == '-')
                ++j;
            if (j < n && pattern[j] == ']')
                ++j;
            while (j < n && pattern[j] != ']')
                j += pattern[j] == '\\' ? 2 : 1;
            if (j >= n)
                return {};
            i = j + 1;
        } else if (c == '\\') {
            if (i + 1 >= n)
                return {};
            const auto e = static_cast<unsigned char>(pattern[i + 1]);
            if (e == '<' || e == '>')
                zeroWidth = true;
            else if (std::isalnum(e))
                return {};
            else
                byte = e;
            i += 2;
        } else if (c == '(' || c == ')' || c == '|' || c == '*' || c == '+' || c == '?') {
            return {};
        } else if (c == '$' && i + 1 == n) {
            break;
        } else {
            byte = c == '.' ? -1 : static_cast<unsigned char>(c);
            ++i;
        }
        const char repeat = i < n ? pattern[i] : 0;
        const bool repeated = repeat == '*' || repeat == '+' || repeat == '?';
        if (repeated) {
            if (zeroWidth)
                return {};
            ++i;
            if (i < n && (pattern[i] == '*' || pattern[i] == '+' || pattern[i] == '?'))
                return {};
        }
        if (zeroWidth || byte < 0 || byte == '\r' || byte == '\n' || (repeated && repeat != '+')) {
            endRun();
            continue;
        }
        run.push_back(char(byte));
        if (repeated)
            endRun();
    }
    endRun();
    return best;
}

// Whether every match of pattern starts with one given byte (a word start before it aside).
bool startsWithByte(std::string_view p)
{
    if (p.starts_with("\\<"))
        p.remove_prefix(2);
    if (p.empty())
        return false;
    std::size_t width = 1; // bytes of the first item
    if (p[0] == '\\') {
        if (p.size() < 2 || std::isalnum(static_cast<unsigned char>(p[1])) || p[1] == '<' ||
            p[1] == '>')
            return false;
        width = 2;
    } else if (std::string_view("^[.*+?()|$").find(p[0]) != std::string_view::npos) {
        return false;
    }
    return p.size() <= width || (p[width] != '*' && p[width] != '?');
}

// Ends a parse early: stopped from outside or out of budget.
struct Abort
{
    ParseStatus status;
    std::string why;
};

// A rule's patterns, compiled once per parse.
struct CompiledRule
{
    const search::SearchPattern *header = nullptr;
    const search::SearchPattern *prefix = nullptr; // null when the rule has none
    const search::SearchPattern *name = nullptr;
    const search::SearchPattern *tail = nullptr;  // parameter checking: from the "\(" to the end
    const search::SearchPattern *inner = nullptr; // parameter checking: inside the parentheses
    const search::SearchPattern *open = nullptr;
    const search::SearchPattern *close = nullptr;
    std::vector<const search::SearchPattern *> breakers;
    bool braceBody = false;
    // Lines holding a literal that every header holds, ascending; null when the header is
    // searched through the whole text.
    const std::vector<int> *headerLines = nullptr;
};

class Parser
{
public:
    Parser(const TextModel &text, const RuleSet &set, std::stop_token stop,
           const ParseOptions &options, PatternCache &cache)
        : m_text(text), m_set(set), m_stop(std::move(stop)), m_cache(cache),
          m_stopped(m_stop, [this] { m_cancel.store(true, std::memory_order_relaxed); }),
          m_time(std::chrono::milliseconds(std::max<qint64>(options.deadlineMs, 0)), &m_cancel),
          m_search(text, m_time, options.search),
          m_budget(options.workBase + options.workPerByte * text.length()),
          m_prefilter(options.literalPrefilter)
    {
        // A parse is exact or incomplete: a search may not pass over a start position.
        m_time.setPassOverHardPositions(false);
    }

    void computeSkipRegions();
    void parseRule(int index);
    std::vector<FunctionEntry> &entries() { return m_entries; }
    const SkipRegions &skipRegions() const { return m_skip; }
    qint64 scanned() const { return m_search.scannedBytes(); }

private:
    const search::SearchPattern &pattern(const std::string &text, bool matchCase)
    {
        return m_cache.get(text, matchCase);
    }
    const search::SearchPattern &pattern(const std::string &text)
    {
        return m_cache.get(text, m_set.matchCase);
    }
    void checkStop() const
    {
        if (m_stop.stop_requested())
            throw Abort{ParseStatus::Cancelled, "stopped"};
    }
    using Patterns = std::vector<const search::SearchPattern *>;
    Patterns alternatives(const std::string &text);
    CompiledRule compile(const Rule &rule);
    bool find(const search::SearchPattern &re, qsizetype from, qsizetype to, Match &m);
    bool findHeader(const CompiledRule &rule, qsizetype from, Match &m);
    const std::vector<int> *linesHolding(const std::string &literal);
    bool checkParameters(const CompiledRule &rule, qsizetype &headerEnd);
    bool mayMatch(const search::SearchPattern &re, qsizetype from, qsizetype to);
    bool anyOutsideSkip(const Patterns &patterns, qsizetype from, qsizetype to);
    bool anyMatch(const Patterns &patterns, qsizetype from, qsizetype to);
    int countOutsideSkip(const Patterns &patterns, qsizetype from, qsizetype to);
    bool findClose(const search::SearchPattern &close, qsizetype from, bool headerInSkip, Match &m);
    QByteArray nameOf(const CompiledRule &rule, qsizetype headerStart, qsizetype headerEnd);
    bool body(const CompiledRule &rule, FunctionEntry &entry);

    const TextModel &m_text;
    const RuleSet &m_set;
    std::stop_token m_stop;
    PatternCache &m_cache;
    // A stop request reaches the search under way through the cancel token.
    std::atomic<bool> m_cancel{false};
    std::stop_callback<std::function<void()>> m_stopped;
    search::SearchBudget m_time;
    RuleSearch m_search;
    qint64 m_budget;
    SkipRegions m_skip;
    std::vector<FunctionEntry> m_entries;
    Patterns m_nestOpeners;
    Patterns m_nestedHeaders;
    Patterns m_notAfter;
    std::unordered_map<const search::SearchPattern *, std::string> m_literals;
    struct LiteralLines
    {
        std::vector<int> lines;
        bool tooMany = false;
    };
    std::map<std::string, LiteralLines> m_literalLines;
    const bool m_prefilter;
};

Parser::Patterns Parser::alternatives(const std::string &text)
{
    Patterns out;
    for (const std::string &piece : splitAlternatives(text))
        out.push_back(&pattern(piece));
    return out;
}

CompiledRule Parser::compile(const Rule &rule)
{
    CompiledRule c;
    const HeaderParts parts = headerParts(rule);
    c.header = &pattern(parts.header);
    if (parts.checkParameters) {
        c.tail = &pattern(parts.tail);
        c.inner = &pattern(parts.inner);
    }
    if (!rule.prefix.empty())
        c.prefix = &pattern(rule.prefix);
    c.name = &pattern(rule.name);
    if (!rule.blockOpen.empty())
        c.open = &pattern(rule.blockOpen);
    if (!rule.blockClose.empty())
        c.close = &pattern(rule.blockClose);
    c.breakers = alternatives(rule.breaker);
    c.braceBody = rule.blockOpen == "\\{";
    // Not for headers that start with a fixed byte ("def", "function"): PCRE2 finds those by its
    // own scan for that byte, faster than searches line by line.
    if (m_prefilter && m_set.matchCase && !startsWithByte(parts.header))
        c.headerLines = linesHolding(requiredLiteral(parts.header));
    if (m_nestOpeners.empty())
        m_nestOpeners = alternatives(m_set.nestOpeners);
    if (m_nestedHeaders.empty())
        m_nestedHeaders = alternatives(m_set.nestedHeaders);
    if (m_notAfter.empty())
        m_notAfter = alternatives(m_set.notAfter);
    return c;
}

bool Parser::find(const search::SearchPattern &re, qsizetype from, qsizetype to, Match &m)
{
    checkStop();
    const search::SearchStatus status = m_search.find(re, from, to, m);
    if (status == search::SearchStatus::Stopped) {
        switch (m_search.stopPoint().reason) {
        case search::StopReason::Cancelled:
            throw Abort{ParseStatus::Cancelled, "stopped"};
        case search::StopReason::Budget:
            throw Abort{ParseStatus::Incomplete, "the parse took too long"};
        case search::StopReason::HardPosition:
            break;
        }
        throw Abort{ParseStatus::Incomplete,
                    "the pattern \"" + re.text().toStdString() + "\" needs too much backtracking"};
    }
    if (m_search.scannedBytes() > m_budget)
        throw Abort{ParseStatus::Incomplete, "the text needs too much searching"};
    return status == search::SearchStatus::Found;
}

// The lines of the text that hold literal, ascending, or null when there is no literal or so
// many lines hold it that searching them one by one would cost more than one search through the
// text.
const std::vector<int> *Parser::linesHolding(const std::string &literal)
{
    if (literal.empty())
        return nullptr;
    auto [it, added] = m_literalLines.try_emplace(literal);
    LiteralLines &found = it->second;
    if (added) {
        // A search costs a few hundred bytes' worth of scanning before it looks at a byte: with
        // a line to search for every 256 bytes of text, one search through it is cheaper.
        const qsizetype most = m_text.length() / 256;
        const std::string_view text(m_text.data(), std::size_t(m_text.length()));
        std::size_t at = text.find(literal);
        while (at != std::string_view::npos) {
            if (qsizetype(found.lines.size()) >= most) {
                found.tooMany = true;
                found.lines.clear();
                break;
            }
            const int line = m_text.lineFromPosition(qsizetype(at));
            found.lines.push_back(line);
            if (line + 1 >= m_text.lineCount())
                break;
            at = text.find(literal, std::size_t(m_text.positionFromLine(line + 1)));
        }
    }
    return found.tooMany ? nullptr : &found.lines;
}

// The next header from `from`: as one search to the text's end would find it. No match crosses a
// line end and every header holds the rule's literal, so only the lines holding it are searched.
bool Parser::findHeader(const CompiledRule &rule, qsizetype from, Match &m)
{
    const qsizetype length = m_text.length();
    if (!rule.headerLines)
        return find(*rule.header, from, length, m);
    const std::vector<int> &lines = *rule.headerLines;
    for (auto it = std::lower_bound(lines.begin(), lines.end(), m_text.lineFromPosition(from));
         it != lines.end(); ++it) {
        const qsizetype start = std::max(from, m_text.positionFromLine(*it));
        const qsizetype end = m_text.lineEndPosition(*it);
        if (start <= end && find(*rule.header, start, end, m))
            return true;
    }
    return false;
}

void Parser::computeSkipRegions()
{
    const auto &pairs = m_set.skipPairs;
    const qsizetype length = m_text.length();
    if (pairs.empty() || length == 0)
        return;
    std::vector<const search::SearchPattern *> opens, closes;
    for (const SkipPair &pair : pairs) {
        opens.push_back(&pattern(pair.open, false));
        closes.push_back(pair.close.empty() ? nullptr : &pattern(pair.close, false));
    }
    std::vector<qsizetype> next(pairs.size(), -1);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        Match m;
        if (find(*opens[i], 0, length, m))
            next[i] = m.start;
    }
    std::vector<SkipRegion> regions;
    while (true) {
        // The pair whose opening comes first; on a tie the one listed first.
        std::size_t pick = pairs.size();
        for (std::size_t i = 0; i < pairs.size(); ++i)
            if (next[i] >= 0 && (pick == pairs.size() || next[i] < next[pick]))
                pick = i;
        if (pick == pairs.size())
            break;
        const qsizetype at = next[pick];
        if (regions.empty() || at >= regions.back().end) {
            qsizetype end = 0;
            if (closes[pick]) {
                Match m;
                end = find(*closes[pick], at + 1, length, m) ? m.end : length;
            } else {
                end = m_text.lineEndPosition(m_text.lineFromPosition(at));
            }
            regions.push_back({at, end, pairs[pick].hidesHeaders});
        }
        // An empty region would find the same opening again.
        const qsizetype from = std::max(regions.back().end, at + 1);
        Match m;
        next[pick] = find(*opens[pick], from, length, m) ? m.start : -1;
    }
    m_skip = SkipRegions(std::move(regions));
}

// The lines from the opening parenthesis (just before headerEnd) to its partner must all be
// parameters: a one-line list is matched by the suffix's tail, a longer one line by line by the
// part inside the parentheses, the last line again by the tail.
bool Parser::checkParameters(const CompiledRule &rule, qsizetype &headerEnd)
{
    const search::SearchPattern &tail = *rule.tail;
    const search::SearchPattern &inner = *rule.inner;
    const qsizetype paren = headerEnd - 1;
    const qsizetype partner = m_text.braceMatch(paren);
    if (partner < 0 || partner < paren)
        return false;
    const int first = m_text.lineFromPosition(paren);
    const int last = m_text.lineFromPosition(partner);
    Match m;
    if (first == last) {
        if (!find(tail, paren + 1, m_text.lineEndPosition(first), m) || m.start != paren + 1 ||
            m.end < partner + 1)
            return false;
    } else {
        // Whole lines of parameters; a line break right after the parenthesis or a blank line
        // leaves nothing to check.
        auto wholeLine = [&](qsizetype from, int line) {
            const qsizetype end = m_text.lineEndPosition(line);
            if (from >= end)
                return true;
            return find(inner, from, end, m) && m.start == from && m.end == end;
        };
        if (!wholeLine(paren + 1, first))
            return false;
        for (int line = first + 1; line < last; ++line)
            if (!wholeLine(m_text.positionFromLine(line), line))
                return false;
        const qsizetype lastStart = m_text.positionFromLine(last);
        if (!find(tail, lastStart, m_text.lineEndPosition(last), m) || m.start != lastStart ||
            m.end < partner + 1)
            return false;
    }
    headerEnd = partner + 1;
    return true;
}

// Whether [from, to] may hold a match of re: false when it lacks the literal every match holds.
// A literal scan of a short range costs far less than starting a search.
bool Parser::mayMatch(const search::SearchPattern &re, qsizetype from, qsizetype to)
{
    if (!re.matchCase())
        return true;
    auto [it, added] = m_literals.try_emplace(&re);
    if (added)
        it->second = requiredLiteral(re.text().toStdString());
    const std::string &literal = it->second;
    if (literal.empty())
        return true;
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, m_text.length());
    if (to - from < qsizetype(literal.size()))
        return false;
    const std::string_view range(m_text.data() + from, std::size_t(to - from));
    return range.find(literal) != std::string_view::npos;
}

bool Parser::anyOutsideSkip(const Patterns &patterns, qsizetype from, qsizetype to)
{
    for (const search::SearchPattern *re : patterns) {
        if (!mayMatch(*re, from, to))
            continue;
        qsizetype at = from;
        Match m;
        while (at <= to && find(*re, at, to, m)) {
            if (!m_skip.contains(m.start, m.end))
                return true;
            at = std::max(m.end, m.start + 1);
        }
    }
    return false;
}

bool Parser::anyMatch(const Patterns &patterns, qsizetype from, qsizetype to)
{
    Match m;
    for (const search::SearchPattern *re : patterns)
        if (mayMatch(*re, from, to) && find(*re, from, to, m))
            return true;
    return false;
}

int Parser::countOutsideSkip(const Patterns &patterns, qsizetype from, qsizetype to)
{
    int count = 0;
    for (const search::SearchPattern *re : patterns) {
        qsizetype at = from;
        Match m;
        while (at <= to && find(*re, at, to, m)) {
            if (!m_skip.contains(m.start, m.end))
                ++count;
            at = std::max(m.end, m.start + 1);
        }
    }
    return count;
}

// The next block close from `from`, passing over closes in comments and strings unless the header
// itself is in one.
bool Parser::findClose(const search::SearchPattern &close, qsizetype from, bool headerInSkip,
                       Match &m)
{
    const qsizetype length = m_text.length();
    while (from <= length && find(close, from, length, m)) {
        if (headerInSkip || !m_skip.contains(m.start, m.end))
            return true;
        from = std::max(m.end, m.start + 1);
    }
    return false;
}

QByteArray Parser::nameOf(const CompiledRule &rule, qsizetype headerStart, qsizetype headerEnd)
{
    qsizetype nameStart = headerStart;
    Match m;
    if (rule.prefix && find(*rule.prefix, headerStart, headerEnd, m) && m.end != headerEnd)
        nameStart = m.end;
    const qsizetype nameEnd = find(*rule.name, nameStart, headerEnd, m) ? m.end : headerEnd;
    return m_text.text().mid(nameStart, nameEnd - nameStart);
}

// Finds the body of a header; false rejects the header.
bool Parser::body(const CompiledRule &rule, FunctionEntry &entry)
{
    const qsizetype length = m_text.length();
    const bool inSkip = entry.inSkipRegion;
    // A header in a comment is commented-out code only when its body is in that same comment:
    // "Copyright (C) 2024" in one comment and a "{" in a later one make no function.
    const SkipRegion *own = inSkip ? m_skip.holding(entry.headerStart, entry.headerEnd) : nullptr;
    if (own && own->hidesHeaders)
        return false;
    auto inOwn = [own](qsizetype a, qsizetype b) { return own->start <= a && b <= own->end; };
    Match opening;
    if (rule.open) {
        const search::SearchPattern &open = *rule.open;
        if (!find(open, entry.headerEnd, length, opening))
            return false;
        // Checked again below once nested headers may have moved the opening on; first here, as
        // the breakers may have to look as far as a far-off brace for most headers in comments.
        if (m_nestedHeaders.empty() && inSkip && !inOwn(opening.start, opening.end))
            return false;
        if (anyOutsideSkip(rule.breakers, entry.headerEnd, opening.start))
            return false;
        if (!m_nestedHeaders.empty()) {
            qsizetype last = entry.headerEnd;
            while (anyMatch(m_nestedHeaders, last, opening.start)) {
                last = opening.end;
                // An opening that matches no text would be found again at the same place.
                if (!find(open, std::max(opening.end, opening.start + 1), length, opening))
                    return false;
            }
        }
        if (inSkip && !inOwn(opening.start, opening.end))
            return false;
    }
    if (rule.braceBody) {
        const qsizetype partner = m_text.braceMatch(opening.start);
        if (partner < 0 || (inSkip && !inOwn(partner, partner + 1)))
            return false;
        entry.endPosition = partner + 1;
        return true;
    }
    if (!rule.close) {
        entry.endPosition = entry.headerEnd;
        return true;
    }
    const search::SearchPattern &closeRe = *rule.close;
    const qsizetype from = rule.open ? opening.end : entry.headerEnd;
    Match close;
    if (!findClose(closeRe, from, inSkip, close))
        return false;
    int count = countOutsideSkip(m_nestOpeners, from, close.start);
    while (count != 0) {
        // A close that matches no text would be found again, and the openers at its place
        // counted again, without end.
        const qsizetype resume = std::max(close.end, close.start + 1);
        if (!findClose(closeRe, resume, inSkip, close))
            return false;
        count = count - 1 + countOutsideSkip(m_nestOpeners, resume, close.start);
    }
    if (inSkip && !inOwn(close.start, close.end))
        return false;
    entry.endPosition = close.end;
    return true;
}

void Parser::parseRule(int index)
{
    const CompiledRule rule = compile(m_set.rules[std::size_t(index)]);
    const qsizetype length = m_text.length();
    qsizetype from = 0;
    Match m;
    while (from <= length && findHeader(rule, from, m)) {
        FunctionEntry entry;
        entry.rule = index;
        entry.headerStart = m.start;
        entry.headerEnd = m.end;
        // A rejected header lets the search go on after it.
        from = std::max(m.end, m.start + 1);
        if (rule.tail && !checkParameters(rule, entry.headerEnd))
            continue;
        from = std::max(entry.headerEnd, from);
        entry.line = m_text.lineFromPosition(entry.headerStart);
        entry.lineStart = m_text.positionFromLine(entry.line);
        entry.endPosition = entry.headerEnd;
        entry.name = nameOf(rule, entry.headerStart, entry.headerEnd);
        entry.inSkipRegion = m_skip.contains(entry.headerStart, entry.headerEnd);
        // A header that starts in a comment or string and goes on past it ("types (as opposed
        // to just" on one "//" line, "based on them)" on the next) is prose, not code.
        if (!entry.inSkipRegion && m_skip.holding(entry.headerStart, entry.headerStart + 1))
            continue;
        if (!m_notAfter.empty() && anyMatch(m_notAfter, entry.lineStart, entry.headerStart))
            continue;
        if (!body(rule, entry))
            continue;
        entry.endLine = m_text.lineFromPosition(entry.endPosition);
        // Functions inside this one are left to the other rules.
        from = std::max(entry.endPosition, from);
        m_entries.push_back(std::move(entry));
    }
}

} // namespace

std::vector<SearchPattern> searchPatternsOf(const RuleSet &rules)
{
    std::set<SearchPattern> out;
    const bool mc = rules.matchCase;
    auto add = [&](const std::string &text, bool matchCase) {
        if (!text.empty())
            out.insert({text, matchCase});
    };
    auto addAlternatives = [&](const std::string &text) {
        for (const std::string &piece : splitAlternatives(text))
            add(piece, mc);
    };
    for (const Rule &rule : rules.rules) {
        const HeaderParts parts = headerParts(rule);
        add(parts.header, mc);
        add(parts.tail, mc);
        add(parts.inner, mc);
        add(rule.prefix, mc);
        add(rule.name, mc);
        add(rule.blockOpen, mc);
        add(rule.blockClose, mc);
        addAlternatives(rule.breaker);
    }
    addAlternatives(rules.nestOpeners);
    addAlternatives(rules.nestedHeaders);
    addAlternatives(rules.notAfter);
    for (const SkipPair &pair : rules.skipPairs) {
        add(pair.open, false);
        add(pair.close, false);
    }
    return {out.begin(), out.end()};
}

ParseResult parseFunctions(const QByteArray &text, int lexerId, std::stop_token stop,
                           const ParseOptions &options, PatternCache *cache)
{
    return parseFunctions(text, ruleSetFor(lexerId), std::move(stop), options, cache);
}

ParseResult parseFunctions(const QByteArray &text, const RuleSet &rules, std::stop_token stop,
                           const ParseOptions &options, PatternCache *cache)
{
    ParseResult result;
    if (!rules.supported) {
        result.status = ParseStatus::NotSupported;
        return result;
    }
    PatternCache ownCache;
    const TextModel model(text, options.utf8);
    Parser parser(model, rules, stop, options, cache ? *cache : ownCache);
    try {
        parser.computeSkipRegions();
        for (int i = 0; i < int(rules.rules.size()); ++i)
            parser.parseRule(i);
    } catch (const Abort &abort) {
        result.status = abort.status;
        result.problem = abort.why;
        result.scannedBytes = parser.scanned();
        return result;
    }
    result.scannedBytes = parser.scanned();
    result.skipRegions = parser.skipRegions().regions();
    auto &found = parser.entries();
    std::stable_sort(
        found.begin(), found.end(),
        [](const FunctionEntry &a, const FunctionEntry &b) { return a.line < b.line; });
    for (const FunctionEntry &entry : found)
        if (result.displayed.empty() || entry.endPosition > result.displayed.back().endPosition)
            result.displayed.push_back(entry);
    result.found = std::move(found);
    return result;
}

} // namespace pw::functionlist
