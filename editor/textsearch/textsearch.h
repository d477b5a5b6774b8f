// The editing component's target search (SCI_SEARCHINTARGET), reproduced over its own text buffer
// so that long scans run at memory speed and pathological patterns stay bounded.
#pragma once

#include "editor/textsearch/charclass.h"

#include <QByteArray>
#include <QString>
#include <memory>

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

// What the search text and flags mean to the component, checked once.
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

private:
    friend class Searcher;
    struct Program;

    QByteArray m_text;
    int m_flags = 0;
    bool m_valid = false;
    QString m_error;
    std::unique_ptr<Program> m_program;
};

struct Match
{
    qsizetype start = -1;
    qsizetype end = -1;
    bool found() const { return start >= 0; }
    qsizetype length() const { return end - start; }
    friend bool operator==(const Match &, const Match &) = default;
};

enum class SearchStatus {
    Found,
    NotFound,
    // The pattern is empty or a regular expression the component refuses.
    InvalidPattern,
    // A regular expression needed more backtracking than the limits allow; no answer.
    LimitExceeded
};

// How much work one regular-expression search may do before it gives up.
struct SearchLimits
{
    quint32 matchLimit = 50'000'000;
    quint32 heapLimitKiB = 64 * 1024;
    std::size_t jitStackBytes = 4 << 20;
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
// in match. Positions are clamped to the text.
class Searcher
{
public:
    Searcher(const TextView &text, const SearchPattern &pattern, const SearchLimits &limits = {});
    ~Searcher();
    Searcher(const Searcher &) = delete;
    Searcher &operator=(const Searcher &) = delete;

    SearchStatus find(qsizetype start, qsizetype end, Match &match,
                      const Leading *leading = nullptr);

private:
    struct Context;

    SearchStatus findLiteral(qsizetype start, qsizetype end, Match &match, const Leading *leading);
    SearchStatus findRegexForward(qsizetype start, qsizetype end, Match &match,
                                  const Leading *leading);
    SearchStatus findRegexBackward(qsizetype minPos, qsizetype maxPos, Match &match);
    SearchStatus execute(qsizetype bol, qsizetype endp, Match &match);
    SearchStatus runProgram(qsizetype subjectStart, qsizetype subjectEnd, qsizetype offset,
                            Match &match);

    bool wordAt(qsizetype start, qsizetype end, const Leading *leading) const;
    bool wordStartAt(qsizetype pos, const Leading *leading) const;
    bool wordEndAt(qsizetype pos) const;
    int classBefore(qsizetype pos, const Leading *leading) const;
    int classAfter(qsizetype pos) const;
    int classOfCharacter(unsigned int character) const;

    const TextView &m_text;
    const SearchPattern &m_pattern;
    std::unique_ptr<Context> m_context;
};

} // namespace pw::search
