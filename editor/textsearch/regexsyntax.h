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
struct RegexTranslation
{
    bool valid = false;
    // The component's reason for refusing the pattern ("Missing ]", "Unmatched \\(", ...).
    std::string error;
    // A PCRE2 pattern for 8-bit, non-UTF matching with PCRE2_MULTILINE, PCRE2_ALT_CIRCUMFLEX,
    // PCRE2_MATCH_UNSET_BACKREF and the ANYCRLF newline convention, run on a subject that starts
    // where the component's search starts.
    std::string pcre;
    // The pattern is anchored at a line start (its first byte is "^").
    bool lineStartAnchored = false;
    // The pattern is exactly "$": the component answers the end of the first searched line.
    bool lineEndOnly = false;
    // The pattern text ends with a "$" not preceded by a backslash: the component skips a last
    // line that the range cuts short.
    bool needsWholeLastLine = false;
};

RegexTranslation translateComponentRegex(std::string_view pattern, bool matchCase, bool posix,
                                         const CharClassTable &classes);

} // namespace pw::search
