// The component's regular expressions as compiled PCRE2 programs, and the matcher that runs a
// program a window of start positions at a time so that one search's work is bounded as a whole.
#pragma once

#include "editor/textsearch/match.h"
#include "editor/textsearch/regexsyntax.h"
#include "editor/textsearch/searchbudget.h"

#include <memory>
#include <string>
#include <string_view>

namespace pw::search {

// The one set of limits of every regular-expression search. PCRE2 applies its match limit to
// each start position on its own, so these bound the work at one position; the SearchBudget
// bounds the search as a whole.
struct SearchLimits
{
    // PCRE2 match-limit units one start position may use. With the JIT a unit's cost grows with
    // the line (about 15 ns to 200 ns on lines of a few hundred bytes), so this bounds how long
    // one call can keep the budget and the cancel token from being looked at.
    quint32 matchLimit = 1'000'000;
    // The interpreter's heap (KiB) for one position, used where the JIT is not available.
    quint32 heapLimitKiB = 64 * 1024;
    // The most stack the JIT may grow to, in bytes.
    std::size_t jitStackBytes = 4 << 20;
    // The most start positions one PCRE2 call may try. Calls start at a small window that
    // doubles while calls stay short and shrinks when one takes long, so that the budget is
    // checked every few milliseconds; this bounds the first slow call after a fast stretch.
    qsizetype maxWindow = 8 << 10;
};

// One pattern in the component's syntax, checked as the component checks it, translated for the
// given RangeStart and compiled (with the JIT where the machine has it). Immutable once built;
// it may be shared by matchers on several threads.
class RegexProgram
{
public:
    RegexProgram(std::string_view pattern, bool matchCase, bool posix,
                 const CharClassTable &classes, RangeStart rangeStart);
    ~RegexProgram();
    RegexProgram(const RegexProgram &) = delete;
    RegexProgram &operator=(const RegexProgram &) = delete;

    // False when the component refuses the pattern (it then finds nothing) or, which would be a
    // fault of the translation, PCRE2 refuses the program.
    bool isValid() const { return m_valid; }
    // The component's reason for refusing the pattern, or PCRE2's for refusing the program.
    const std::string &error() const { return m_error; }
    const RegexTranslation &translation() const { return m_translation; }

private:
    friend class RegexMatcher;
    struct Code;

    RegexTranslation m_translation;
    std::string m_error;
    bool m_valid = false;
    std::unique_ptr<Code> m_code;
};

// Runs one valid program over subjects, one search at a time, on one thread. It keeps the
// window size between searches, so the many short searches of a Replace All cost one PCRE2 call
// each.
class RegexMatcher
{
public:
    enum class Result { Found, NotFound, Stopped };

    RegexMatcher(const RegexProgram &program, const SearchLimits &limits = {});
    ~RegexMatcher();
    RegexMatcher(const RegexMatcher &) = delete;
    RegexMatcher &operator=(const RegexMatcher &) = delete;

    // The first match that starts at an offset in [from, lastStart] of the subject
    // [subject, subject + length), found as one pcre2_match call over the whole subject would
    // find it (a start position passed over aside). Offsets are bytes of the subject; match and
    // every position given to the budget or reported are base + offset. Stopped: the budget ran
    // out, the command was cancelled, or a start position needed more than the match limit and
    // the budget does not pass over such positions; stopPoint() tells which and where.
    // A program made for RangeStart::StartOffset takes from as the range start and runs as that
    // one call, its work bounded per start position only: it suits small texts, and checks.
    Result find(const char *subject, qsizetype length, qsizetype from, qsizetype lastStart,
                qsizetype base, SearchBudget &budget, Match &match);

    StopPoint stopPoint() const { return m_stop; }
    // The first start position (base + offset) passed over since the last reset, or -1. A start
    // position that needs more than the match limit is passed over with the rest of its line.
    qsizetype firstPassedOver() const { return m_firstPassedOver; }
    void resetPassedOver() { m_firstPassedOver = -1; }
    // Bytes the searches have covered so far: start positions tried (those passed over
    // included) up to the end of each match found. A measure of work done.
    qint64 bytesCovered() const { return m_tried; }

private:
    struct Context;

    const RegexProgram &m_program;
    std::unique_ptr<Context> m_context;
    qsizetype m_maxWindow;
    qsizetype m_window;
    StopPoint m_stop;
    qsizetype m_firstPassedOver = -1;
    qint64 m_tried = 0;
};

} // namespace pw::search
