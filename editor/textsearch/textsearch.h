// The editing component's target search (SCI_SEARCHINTARGET), reproduced over its own text buffer
// so that long scans run at memory speed and pathological patterns stay bounded.
#pragma once

#include "editor/textsearch/charclass.h"
#include "editor/textsearch/match.h"
#include "editor/textsearch/regexprogram.h"
#include "editor/textsearch/searchbudget.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace pw::search {

// The component's search flags.
namespace SearchFlag {
inline constexpr int WholeWord = 0x2;
inline constexpr int MatchCase = 0x4;
inline constexpr int WordStart = 0x00100000;
inline constexpr int RegExp = 0x00200000;
inline constexpr int Posix = 0x00400000;
} // namespace SearchFlag

// The options of a search as the user chooses them; flags() is the component's form of them.
struct Options
{
    bool matchCase = false;
    bool wholeWord = false;
    bool regExp = false;

    int flags() const
    {
        return (matchCase ? SearchFlag::MatchCase : 0) | (wholeWord ? SearchFlag::WholeWord : 0) |
               (regExp ? SearchFlag::RegExp : 0);
    }
    friend bool operator==(const Options &, const Options &) = default;
};

// The text as the component holds it: data[0..length) is the whole document (for example the
// pointer SCI_GETCHARACTERPOINTER returns); nothing is copied. utf8 is code page 65001, otherwise
// every byte is one character.
struct TextView
{
    const char *data = nullptr;
    qsizetype length = 0;
    bool utf8 = false;
    CharClassTable classes = defaultCharClasses();
};

// What the search text and flags mean to the component, checked once (and a regular expression
// compiled once). Immutable once built; searchers on several threads may share it.
class SearchPattern
{
public:
    SearchPattern(QByteArray text, int flags, const CharClassTable &classes = defaultCharClasses());
    ~SearchPattern();
    SearchPattern(const SearchPattern &) = delete;
    SearchPattern &operator=(const SearchPattern &) = delete;

    const QByteArray &text() const { return m_text; }
    int flags() const { return m_flags; }
    bool isRegex() const { return (m_flags & SearchFlag::RegExp) != 0; }
    bool matchCase() const { return (m_flags & SearchFlag::MatchCase) != 0; }
    // False for an empty text and for a regular expression the component refuses; such a pattern
    // finds nothing, as the component's does.
    bool isValid() const { return m_valid; }
    QString error() const { return m_error; }
    // The compiled regular expression (its translation, for diagnostics); null for literal text.
    const RegexProgram *regex() const { return m_program.get(); }

private:
    friend class Searcher;

    QByteArray m_text;
    int m_flags = 0;
    bool m_valid = false;
    QString m_error;
    // Regular expressions only.
    std::unique_ptr<RegexProgram> m_program;
};

enum class SearchStatus {
    Found,
    // Every position of the range was searched.
    NotFound,
    // The pattern is empty or a regular expression the component refuses.
    InvalidPattern,
    // Part of the range was never searched: the budget ran out, the command was cancelled, or a
    // start position needed too much backtracking. Searcher::stopPoint() says which and where.
    Stopped,
};

// The bytes just before the search start when they are not those of the text: a replace-all plan
// searches the original text while the document already holds the earlier replacements.
struct Leading
{
    char bytes[4] = {};
    int size = 0;        // how many of the bytes are valid, the last one right before the start
    bool atStart = true; // nothing at all precedes the start
};

// Runs target searches on one text with one pattern. The target is [start, end) with
// start <= end for a forward search and start > end backwards, as SCI_SETTARGETSTART and
// SCI_SETTARGETEND give it; the answer is the one SCI_SEARCHINTARGET gives, with the found range
// in match. Positions are clamped to the text. The text and the pattern must outlive the
// searcher, and the text must not change while it is in use.
//
// Work: every search draws on the budget given here (one budget for a whole command), or on a
// fresh default budget of its own when none is given. A start position that needs more
// backtracking than limits.matchLimit is passed over with the rest of its line (or stops the
// search, as the budget says); a search that then finds nothing is Stopped at that position,
// never NotFound.
class Searcher
{
public:
    Searcher(const TextView &text, const SearchPattern &pattern, SearchBudget *budget = nullptr,
             const SearchLimits &limits = {});
    ~Searcher();
    Searcher(const Searcher &) = delete;
    Searcher &operator=(const Searcher &) = delete;

    SearchStatus find(qsizetype start, qsizetype end, Match &match,
                      const Leading *leading = nullptr);

    // Where and why the last search was Stopped.
    StopPoint stopPoint() const { return m_stop; }
    // The first start position the last search passed over because it needed too much
    // backtracking, or -1. A search that found a match after such a position reports Found; the
    // component might have found an earlier match on that position's line.
    qsizetype passedOver() const;
    // Bytes of text the searches have covered so far (start positions tried, literal bytes
    // scanned): a measure of work done.
    qint64 scannedBytes() const;

private:
    struct Context;

    SearchStatus findLiteral(qsizetype start, qsizetype end, Match &match, const Leading *leading);
    SearchStatus findRegexForward(qsizetype start, qsizetype end, Match &match,
                                  const Leading *leading);
    SearchStatus findRegexBackward(qsizetype minPos, qsizetype maxPos, Match &match);
    SearchStatus execute(qsizetype bol, qsizetype endp, Match &match);
    // The first match starting in [offset, lastStart] of the subject [subjectStart, subjectEnd)
    // (offsets from subjectStart).
    SearchStatus runProgram(qsizetype subjectStart, qsizetype subjectEnd, qsizetype offset,
                            qsizetype lastStart, Match &match);
    // Whether the budget lets a literal scan go on past pos; sets the stop point when not.
    bool keepScanning(qsizetype pos);

    bool wordAt(qsizetype start, qsizetype end, const Leading *leading) const;
    bool wordStartAt(qsizetype pos, const Leading *leading) const;
    bool wordEndAt(qsizetype pos) const;
    int classBefore(qsizetype pos, const Leading *leading) const;
    int classAfter(qsizetype pos) const;
    int classOfCharacter(unsigned int character) const;

    const TextView &m_text;
    const SearchPattern &m_pattern;
    SearchBudget *m_givenBudget;
    // The budget of the search under way: the given one, or a fresh one per search.
    SearchBudget *m_budget = nullptr;
    std::optional<SearchBudget> m_ownBudget;
    StopPoint m_stop;
    unsigned m_searches = 0;
    std::unique_ptr<Context> m_context;
};

} // namespace pw::search
