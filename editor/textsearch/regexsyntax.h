// Patterns in the editing component's own regular-expression syntax, checked the way the component
// checks them and translated into equivalent PCRE2 programs.
#pragma once

#include "editor/textsearch/charclass.h"

#include <string>
#include <string_view>

namespace pw::search {

// The component's syntax, both flavours:
// - "." any byte; "[...]" sets with ranges, "^" negation and the escapes below; a letter stands
//   for both cases unless the match is case-sensitive (escaped letters never fold);
// - "*", "+", "?" repeat the single item before them, "*?" and "+?" are lazy; a repeat of a
//   repeated item is accepted but never matches, "**" is one "*";
// - "^" is an anchor only as the first pattern byte and "$" only as the last, literal elsewhere;
// - "\<" and "\>" word edges, "\1" to "\9" back references (always case-sensitive);
// - groups are "\(" "\)" by default and "(" ")" in the POSIX flavour, at most nine;
// - "\a \b \f \n \r \t \v", "\xHH", "\d \D \s \S \w \W"; any other escaped byte is itself,
//   a trailing backslash is a backslash.
// A match never crosses a line end, so nothing can match "\r" or "\n".

// Where the component's search range starts in the subject PCRE2 is given. The component treats
// its range start as the start of a line for word edges: "\<" holds there whenever a word byte
// follows, whatever precedes it, and "\>" never holds there.
enum class RangeStart {
    // The subject begins at the range start (later start offsets only resume the same search):
    // the lookbehinds see nothing before it, which gives the component's answer by themselves.
    SubjectStart,
    // The subject is the whole text and each search is one pcre2_match call whose start offset
    // is the range start: the program tests for it with "\G", since the lookbehinds see the
    // bytes before it.
    StartOffset,
};

struct RegexTranslation
{
    bool valid = false;
    // The component's reason for refusing the pattern ("Missing ]", "Unmatched \\(", ...).
    std::string error;
    // A PCRE2 pattern for 8-bit, non-UTF matching with PCRE2_MULTILINE, PCRE2_ALT_CIRCUMFLEX,
    // PCRE2_MATCH_UNSET_BACKREF and the ANYCRLF newline convention, for the given RangeStart.
    std::string pcre;
    // How the program expects to be run.
    RangeStart rangeStart = RangeStart::SubjectStart;
    // The pattern is anchored at a line start (its first byte is "^").
    bool lineStartAnchored = false;
    // The pattern is exactly "$": the component answers the end of the first searched line.
    bool lineEndOnly = false;
    // The pattern text ends with a "$" not preceded by a backslash: the component skips a last
    // line that the range cuts short.
    bool needsWholeLastLine = false;
};

// posix: groups are "(" ")" rather than "\(" "\)". classes decide which bytes "\w", "\<" and
// "\>" count as word bytes.
RegexTranslation translateComponentRegex(std::string_view pattern, bool matchCase, bool posix,
                                         const CharClassTable &classes, RangeStart rangeStart);

} // namespace pw::search
