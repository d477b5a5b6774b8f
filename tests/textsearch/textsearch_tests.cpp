// The search engine against answers the editing component gives on small texts: literal and
// regular-expression target searches, whole words, UTF-8 characters, line ends, syntax errors.
#include "editor/textsearch/textsearch.h"

#include <gtest/gtest.h>

using namespace pw::search;

namespace {

constexpr int Re = SearchFlag::RegExp;
constexpr int Case = SearchFlag::MatchCase;
constexpr int Word = SearchFlag::WholeWord;
constexpr int Posix = SearchFlag::Posix;

struct Case_
{
    const char *name;
    QByteArray text;
    QByteArray pattern;
    int flags;
    Match expected;
    qsizetype start = 0;
    qsizetype end = -1; // -1: the text's length
    bool utf8 = false;
};

Match run(const Case_ &c, SearchStatus *status = nullptr)
{
    TextView view{c.text.constData(), c.text.size(), c.utf8};
    SearchPattern pattern(c.pattern, c.flags);
    Searcher searcher(view, pattern);
    Match match;
    const SearchStatus s = searcher.find(c.start, c.end < 0 ? c.text.size() : c.end, match);
    if (status)
        *status = s;
    return match;
}

} // namespace

TEST(TextSearch, AnswersAsTheComponentDoes)
{
    const Case_ cases[] = {
        // Literal text
        {"case-insensitive by default", "xAy", "a", 0, {1, 2}},
        {"case folding is ASCII only", "x\xC9y", "\xE9", 0, {}},
        {"case folding is ASCII only in UTF-8 too", "x\xC3\x89y", "\xC3\xA9", 0, {}, 0, -1, true},
        {"match case", "abcABC", "ABC", Case, {3, 6}},
        {"the match must fit the range", "abcabc", "abc", 0, {}, 1, 5},
        {"backwards finds the last match ending by the start", "abcabc", "abc", 0, {3, 6}, 6, 0},
        {"backwards ignores a match past the start", "abcabc", "abc", 0, {0, 3}, 5, 0},
        {"backwards stops at the range end", "abcabc", "bc", 0, {4, 6}, 6, 3},
        {"a line end inside the text", "a\nb", "a\nb", 0, {0, 3}},
        // Whole words compare character classes on both edges
        {"whole word between blanks", "a x", "x", Word, {2, 3}},
        {"whole word at the text's edges", "x", "x", Word, {0, 1}},
        {"punctuation runs are words too", "..x..", "..", Word, {0, 2}},
        {"no part of a longer punctuation run", "a...b", "..", Word, {}},
        {"bytes from 0x80 are word bytes", "\xE9x\xE9", "x", Word, {}},
        {"UTF-8 letters are word characters", "\xC3\xA9x\xC3\xA9", "x", Word, {}, 0, -1, true},
        {"UTF-8 dashes: punctuation", "\xE2\x80\x94x\xE2\x80\x94", "x", Word, {3, 4}, 0, -1, true},
        {"a no-break space is a blank", "a\xC2\xA0x\xC2\xA0", "x", Word, {3, 4}, 0, -1, true},
        {"word start or whole word: either", "ab", "a", Word | SearchFlag::WordStart, {0, 1}},
        // UTF-8: matches start on characters
        {"no match inside a character", "\xC3\xA9\xA9", "\xA9", Case, {2, 3}, 0, -1, true},
        // Regular expressions
        {"a regular expression", "aXb", "a.b", Re, {0, 3}},
        {"no match across a line end", "a\nb", "a\\nb", Re, {}},
        {"default groups are backslashed", "abc abd", "\\(ab\\)d", Re, {4, 7}},
        {"plain parentheses are literal by default", "abc (ab)d", "(ab)d", Re, {4, 9}},
        {"POSIX groups", "ab", "(a)", Re | Posix, {0, 1}},
        {"back references keep their case", "abAB", "\\(ab\\)\\1", Re, {}},
        {"an optional set takes a whole run", "aaa", "a?", Re, {0, 3}},
        {"an optional byte takes one", "aaa", "a?", Re | Case, {0, 1}},
        {"a lazy repeat at the end takes the longest run", "aaab", "a*?", Re, {0, 3}},
        {"a lazy repeat before more pattern takes the shortest", "aaa b", "a*?b", Re, {4, 5}},
        {"a repeated repeat never matches", "aaa", "a??", Re, {}},
        {"a range keeps its start for the next dash", "x-d", "[a-c-e]", Re, {2, 3}},
        {"a trailing backslash is a backslash", "a\\c", "a\\", Re, {0, 2}},
        {"hex escapes", "abc", "\\x62", Re, {1, 2}},
        {"an escaped letter keeps its case", "abc", "\\B", Re, {}},
        {"^ skips a first line started in the middle", "abc\nabc", "^abc", Re, {4, 7}, 1},
        {"$ alone is the end of the first line", "ab\ncd\n", "$", Re, {2, 2}},
        {"$ from a line end stays there", "ab\n\ncd\n", "$", Re, {3, 3}, 3},
        {"a start between \\r and \\n moves past the pair", "ab\r\ncd", "$", Re, {6, 6}, 3},
        {"a last line cut short is skipped by a final $", "ab", "b$", Re, {}, 0, 1},
        {"backwards, the last match on the line", "a\ta\xE2\x80\xBF", ".", Re, {3, 4}, 4, 0, true},
        {"POSIX: \\( is literal", "f (x)", "\\([a-z]\\)", Re | Posix | Case, {2, 5}},
        {"POSIX: a group and its reference", "abab", "(ab)\\1", Re | Posix | Case, {0, 4}},
        {"^ is literal after the start", "a^b", "a^b", Re, {0, 3}},
        {"$ is literal before the end", "a$b", "a$b", Re, {0, 3}},
        {"$ is literal at the start of a longer pattern", "x$a", "$a", Re, {1, 3}},
        {"an escaped $ needs no line end", "a$b", "a\\$", Re, {0, 2}, 0, 2},
        {"a match stays on its line", "ab\ncd", "b.*d", Re, {}},
        {"a negated set stops at the line end", "ab\ncd", "b[^x]*", Re, {1, 2}},
        {"sets fold case", "Q", "[a-z]", Re, {0, 1}},
        {"0x80 up are word bytes at edges", "\xE9\x64o do", "\\<do", Re | Case, {4, 6}},
        {"+ repeats at least once", "b ab aab", "a+b", Re, {2, 4}},
        {"a leading ] and - are literal", "]-", "[]-]+", Re, {0, 2}},
        {"an empty line gives nothing to a pattern that could be empty", "\n", "x*", Re, {}},
        {"but a pattern anchored at the line start matches it", "\n", "^x*", Re, {0, 0}},
        {"the range end ends a word", "redo it", "re\\>", Re, {0, 2}, 0, 2},
        {"a start inside a line is no line start", "redo it\nend\nxend", "^end", Re, {}, 9},
        {"UTF-8 start inside a character", "\xC3\xA9x", ".", Re, {2, 3}, 1, 3, true},
        {"UTF-8 match ends after a character", "a\xC3\xA9", "a.", Re, {0, 3}, 0, 3, true},
        {"an escaped \\ before $ is kept", "a\\b", "a\\\\$", Re, {0, 2}, 0, 2},
    };
    for (const Case_ &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c), c.expected);
    }
}

TEST(TextSearch, RefusedPatternsFindNothing)
{
    struct Row
    {
        const char *pattern;
        int flags;
        const char *error;
    };
    const Row rows[] = {
        {"[ab", Re, "Missing ]"},
        {"*a", Re, "Empty closure"},
        {"^*", Re, "Illegal closure"},
        {"\\(a", Re, "Unmatched \\("},
        {"a\\)", Re, "Unmatched \\)"},
        {"(a", Re | Posix, "Unmatched ("},
        {"a\\2", Re, "Undetermined reference"},
        {"\\(a\\1\\)", Re, "Cyclical reference"},
        {"\\(\\)", Re, "Null pattern inside \\(\\)"},
        {"\\<\\>", Re, "Null pattern inside \\<\\>"},
        {"\\(a\\)\\(a\\)\\(a\\)\\(a\\)\\(a\\)\\(a\\)\\(a\\)\\(a\\)\\(a\\)\\(a\\)", Re,
         "Too many \\(\\) pairs"},
    };
    const QByteArray text("aaaa (a) [ab");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pattern);
        SearchPattern pattern(row.pattern, row.flags);
        EXPECT_FALSE(pattern.isValid());
        EXPECT_EQ(pattern.error(), QString::fromLatin1(row.error));
        TextView view{text.constData(), text.size(), false};
        Searcher searcher(view, pattern);
        Match match;
        EXPECT_EQ(searcher.find(0, text.size(), match), SearchStatus::InvalidPattern);
        EXPECT_FALSE(match.found());
    }
    // The component's automaton is small: about 120 sets fill it.
    QByteArray longPattern;
    for (int i = 0; i < 200; ++i)
        longPattern += "[ab]";
    EXPECT_EQ(SearchPattern(longPattern, Re).error(), QStringLiteral("Pattern too long"));
    EXPECT_FALSE(SearchPattern(QByteArray(), 0).isValid());
}

TEST(TextSearch, LeadingBytesStandForWhatPrecedesTheStart)
{
    // "ab" after "x" is no whole word; after a replacement that ends in a blank it is.
    const QByteArray text("xab");
    TextView view{text.constData(), text.size(), false};
    SearchPattern word("ab", Word);
    Searcher words(view, word);
    Match match;
    EXPECT_EQ(words.find(1, 3, match), SearchStatus::NotFound);
    Leading blank;
    blank.bytes[0] = ' ';
    blank.size = 1;
    blank.atStart = false;
    EXPECT_EQ(words.find(1, 3, match, &blank), SearchStatus::Found);
    EXPECT_EQ(match, (Match{1, 3}));

    // "^" at the start only when a line end precedes it.
    SearchPattern anchored("^ab", Re);
    Searcher lines(view, anchored);
    EXPECT_EQ(lines.find(1, 3, match), SearchStatus::NotFound);
    Leading lineEnd;
    lineEnd.bytes[0] = '\n';
    lineEnd.size = 1;
    lineEnd.atStart = false;
    EXPECT_EQ(lines.find(1, 3, match, &lineEnd), SearchStatus::Found);
    EXPECT_EQ(match, (Match{1, 3}));
}
