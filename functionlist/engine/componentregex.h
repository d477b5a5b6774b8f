// The editing component's regular-expression target search (POSIX flavour), reproduced over a
// text copy with PCRE2 so that it can run off the user-interface thread.
#pragma once

#include "functionlist/engine/textmodel.h"

#include <QtGlobal>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace pw::functionlist {

// Whether the component counts a byte as part of a word for "\<", "\>" and "\w": ASCII letters,
// digits, "_" and every byte from 0x80.
bool isWordByte(unsigned char c);

// One pattern in the component's syntax, checked as the component checks it and translated into
// an equivalent PCRE2 program. The component's syntax knows: literal characters; "." (any
// character); "[...]" sets with ranges and "^" negation; "*", "+", "?" on the preceding single
// item and "*?" "+?" lazy forms; "^" at the very start and "$" at the very end of the pattern
// (elsewhere they are literal); "\<" "\>" word boundaries; "(" ")" groups and "\1".."\9"
// references (POSIX flavour, so "\(" and "\)" are literal parentheses); "\d \D \s \S \w \W"
// classes; "\a \b \f \n \r \t \v" and "\xHH" characters. Without match case, ASCII letters match
// either case, except where written as an escape ("\A").
class ComponentRegex
{
public:
    ComponentRegex(std::string_view pattern, bool matchCase);
    ~ComponentRegex();
    ComponentRegex(const ComponentRegex &) = delete;
    ComponentRegex &operator=(const ComponentRegex &) = delete;

    const std::string &pattern() const { return m_pattern; }
    bool matchCase() const { return m_matchCase; }
    // False when the component rejects the pattern (it then finds nothing).
    bool isValid() const { return m_valid; }
    // The component's reason for rejecting the pattern, or the translation's failure.
    const std::string &error() const { return m_error; }
    // The PCRE2 program the pattern became (empty when invalid).
    const std::string &translation() const { return m_translation; }

    // Shape facts the search needs.
    bool startsAtLineStart() const { return m_bol; }
    bool isLineEndOnly() const { return m_eolOnly; }
    // The component skips the last line of a range that stops short of that line's end when
    // the pattern text ends in an unescaped "$".
    bool needsWholeLastLine() const { return m_wholeLastLine; }

private:
    friend class RegexSearcher;
    struct Program;

    std::string m_pattern;
    bool m_matchCase = false;
    bool m_valid = false;
    bool m_bol = false;
    bool m_eolOnly = false;
    bool m_wholeLastLine = false;
    std::string m_error;
    std::string m_translation;
    std::unique_ptr<Program> m_program;
};

// Where a search found its match: [start, end) in the text.
struct Match
{
    qsizetype start = -1;
    qsizetype end = -1;
    bool found() const { return start >= 0; }
};

enum class SearchOutcome { Found, NotFound, LimitExceeded };

struct SearchLimits
{
    // PCRE2 match limit per search: how much backtracking one search may do.
    quint32 matchLimit = 20'000'000;
    // PCRE2 depth limit and interpreter heap (KiB) per search.
    quint32 depthLimit = 2'000'000;
    quint32 heapLimitKiB = 64 * 1024;
    // Stack of the compiled matcher, in bytes.
    std::size_t jitStackBytes = 1 << 20;
};

// Runs forward target searches over one text, as the component does with SCI_SETTARGETSTART,
// SCI_SETTARGETEND and SCI_SEARCHINTARGET: the range [from, to] is searched line by line, a match
// never crosses a line end, "^" matches only at a line start, "\<" at the range start when a word
// character follows, and the first match of the earliest line wins. One searcher belongs to one
// thread; it remembers the last result per pattern so repeated searches towards the same range
// end do not rescan text already known to hold no match.
class RegexSearcher
{
public:
    explicit RegexSearcher(const TextModel &text, const SearchLimits &limits = {});
    ~RegexSearcher();
    RegexSearcher(const RegexSearcher &) = delete;
    RegexSearcher &operator=(const RegexSearcher &) = delete;

    // Forward search for re in [from, to]. A pattern the component rejects finds nothing;
    // LimitExceeded means the search gave up (too much backtracking) without an answer.
    SearchOutcome find(const ComponentRegex &re, qsizetype from, qsizetype to, Match &match);

    // Bytes of text the searches have covered so far: a measure of work done.
    qint64 scannedBytes() const { return m_scanned; }
    const TextModel &text() const { return m_text; }

private:
    struct Memo
    {
        qsizetype from = -1;
        qsizetype to = -1;
        Match match;
    };
    struct Context;

    SearchOutcome run(const ComponentRegex &re, qsizetype from, qsizetype subjectEnd, bool anchored,
                      Match &match);
    bool acceptable(const ComponentRegex &re, qsizetype start, qsizetype subjectEnd) const;
    SearchOutcome search(const ComponentRegex &re, qsizetype from, qsizetype subjectEnd,
                         int lastLine, Match &match);

    const TextModel &m_text;
    std::unique_ptr<Context> m_context;
    std::map<const ComponentRegex *, Memo> m_memo;
    qint64 m_scanned = 0;
};

// Compiled patterns by text and case, so that a parse compiles each pattern once. Not shared
// between threads.
class PatternCache
{
public:
    const ComponentRegex &get(const std::string &pattern, bool matchCase);
    std::size_t size() const { return m_patterns.size(); }

private:
    std::map<std::pair<std::string, bool>, std::unique_ptr<ComponentRegex>> m_patterns;
};

} // namespace pw::functionlist
