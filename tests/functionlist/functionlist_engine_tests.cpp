// The function-list engine's building blocks: the text model, the component-style search and the
// rule table.
#include "functionlist/engine/functionparser.h"
#include "functionlist/engine/rules.h"
#include "functionlist/engine/rulesearch.h"
#include "functionlist/engine/textmodel.h"

#include <gtest/gtest.h>

using namespace pw::functionlist;

namespace {

// [start, end) of the first match of pattern in [from, to], or {-1, -1}.
std::pair<qsizetype, qsizetype> firstMatch(const QByteArray &text, const char *pattern,
                                           bool matchCase, qsizetype from = 0, qsizetype to = -1,
                                           bool utf8 = false)
{
    const TextModel model(text, utf8);
    pw::search::SearchBudget budget;
    RuleSearch searcher(model, budget);
    PatternCache cache;
    Match m;
    searcher.find(cache.get(pattern, matchCase), from, to < 0 ? text.size() : to, m);
    return {m.start, m.end};
}

using Span = std::pair<qsizetype, qsizetype>;
const Span None{-1, -1};

} // namespace

TEST(TextModel, LinesEndAtEachLineEndStyle)
{
    const TextModel model(QByteArray("ab\r\ncd\ref\n\ngh"));
    ASSERT_EQ(model.lineCount(), 5);
    const struct
    {
        int line;
        qsizetype start, end;
    } rows[] = {{0, 0, 2}, {1, 4, 6}, {2, 7, 9}, {3, 10, 10}, {4, 11, 13}};
    for (const auto &row : rows) {
        EXPECT_EQ(model.positionFromLine(row.line), row.start) << row.line;
        EXPECT_EQ(model.lineEndPosition(row.line), row.end) << row.line;
    }
    EXPECT_EQ(model.lineFromPosition(3), 0) << "between CR and LF belongs to the line it ends";
    EXPECT_EQ(model.lineFromPosition(6), 1);
    EXPECT_EQ(model.lineFromPosition(10), 3);
    EXPECT_EQ(model.lineFromPosition(13), 4);
    EXPECT_EQ(model.lineFromPosition(99), 4);
    EXPECT_EQ(TextModel(QByteArray()).lineCount(), 1);
    EXPECT_EQ(TextModel(QByteArray("x\n")).lineCount(), 2) << "a final line end opens a line";
}

TEST(TextModel, BracesPairOnlyWithTheirOwnKind)
{
    //                     01234567890123456
    const TextModel model("f(a], [b) {x} ) (");
    EXPECT_EQ(model.braceMatch(1), 8) << "the stray ']' and '[' inside do not count";
    EXPECT_EQ(model.braceMatch(8), 1);
    EXPECT_EQ(model.braceMatch(3), -1) << "no '[' before this ']'";
    EXPECT_EQ(model.braceMatch(6), -1) << "no ']' after this '['";
    EXPECT_EQ(model.braceMatch(10), 12);
    EXPECT_EQ(model.braceMatch(14), -1) << "no '(' left for this ')'";
    EXPECT_EQ(model.braceMatch(16), -1) << "unclosed";
    EXPECT_EQ(model.braceMatch(0), -1) << "not a bracket";
    EXPECT_EQ(model.braceMatch(-1), -1);
    EXPECT_EQ(TextModel("<a<b>>").braceMatch(0), 5);
    EXPECT_EQ(TextModel("((x)").braceMatch(0), -1);
}

TEST(TextModel, PositionsMovePastCharactersAndLineEndPairs)
{
    const QByteArray text("a\xc3\xa9z\r\nq\xe9w");
    const TextModel utf8(text, true);
    EXPECT_EQ(utf8.movePastCharacter(2, false), 3) << "inside the two-byte e-acute";
    EXPECT_EQ(utf8.movePastCharacter(1, false), 1) << "a character start stays";
    EXPECT_EQ(utf8.movePastCharacter(5, true), 6) << "between CR and LF";
    EXPECT_EQ(utf8.movePastCharacter(5, false), 5);
    EXPECT_EQ(utf8.movePastCharacter(8, false), 8) << "a lone byte from 0x80 is no character";
    EXPECT_EQ(TextModel(text, false).movePastCharacter(2, false), 2) << "single-byte text";
}

TEST(ComponentSearch, KnowsTheComponentsSyntax)
{
    const struct
    {
        const char *name;
        QByteArray text;
        const char *pattern;
        bool matchCase;
        Span expected;
    } rows[] = {
        {"escaped parentheses are literal", "f (x)", "\\([a-z]\\)", true, {2, 5}},
        {"bare parentheses group", "abab", "(ab)\\1", true, {0, 4}},
        {"caret is literal after the start", "a^b", "a^b", true, {0, 3}},
        {"dollar is literal before the end", "a$b", "a$b", true, {0, 3}},
        {"dollar ends at the line end", "ab\nab", "b$", true, {1, 2}},
        {"caret anchors a line", "xa\na", "^a", true, {3, 4}},
        {"a match stays on its line", "ab\ncd", "b.*d", true, None},
        {"dot stops at the line end", "ab\ncd", "a.*", true, {0, 2}},
        {"negated set stops at the line end", "ab\ncd", "b[^x]*", true, {1, 2}},
        {"case folds ASCII letters", "BEGIN", "begin", false, {0, 5}},
        {"escaped letters keep their case", "a A", "\\A", false, {2, 3}},
        {"sets fold case too", "Q", "[a-z]", false, {0, 1}},
        {"match case", "BEGIN begin", "begin", true, {6, 11}},
        {"word start", "undo do", "\\<do", true, {5, 7}},
        {"word end", "done do", "do\\>", true, {5, 7}},
        {"bytes from 0x80 are word characters",
         "\xe9"
         "do do",
         "\\<do",
         true,
         {4, 6}},
        {"optional on a set takes a run", "xxxy", "[x]?y", true, {0, 4}},
        {"optional on a character takes one", "xxxy", "x?y", true, {2, 4}},
        {"lazy repeat takes the shortest", "aaab", "a*?b", true, {0, 4}},
        {"lazy repeat at the end takes the longest", "aaab", "a*?", true, {0, 3}},
        {"plus repeats at least once", "b ab aab", "a+b", true, {2, 4}},
        {"hex escape", "xAy", "\\x41", true, {1, 2}},
        {"digit class", "ab12", "\\d+", true, {2, 4}},
        {"range after a range keeps its start", "d", "[a-c-e]", true, {0, 1}},
        {"leading bracket and dash are literal", "]-", "[]-]+", true, {0, 2}},
        {"a repeat after a repeated optional never matches", "aaa", "a?*", true, None},
        {"an empty line gives nothing to a pattern that could be empty", "\n", "x*", true, None},
        {"but an anchored one matches it", "\n", "^x*", true, {0, 0}},
        {"rejected pattern finds nothing", "(a", "(a", true, None},
    };
    for (const auto &row : rows)
        EXPECT_EQ(firstMatch(row.text, row.pattern, row.matchCase), row.expected) << row.name;
}

TEST(ComponentSearch, RangesBehaveAsTargetSearches)
{
    const QByteArray text("redo it\nend\nxend");
    EXPECT_EQ(firstMatch(text, "\\<do", true, 2), Span(2, 4))
        << "a word start is recognised at the range start even inside a word";
    EXPECT_EQ(firstMatch(text, "re\\>", true, 0, 2), Span(0, 2)) << "the range end ends a word";
    EXPECT_EQ(firstMatch(text, "re\\>", true), None);
    EXPECT_EQ(firstMatch("ab cd", "\\>", true), Span(2, 2));
    EXPECT_EQ(firstMatch("ab cd", "\\>", true, 2), None)
        << "a word end is never at the range start, and no match starts at a line end";
    EXPECT_EQ(firstMatch(text, "^end", true, 9), None) << "a line start is only a line start";
    EXPECT_EQ(firstMatch(text, "^end", true, 8), Span(8, 11));
    EXPECT_EQ(firstMatch(text, "it$", true, 0, 6), None)
        << "a range that stops inside the last line skips it for a pattern ending in $";
    EXPECT_EQ(firstMatch(text, "t$", true, 0, 10), Span(6, 7)) << "earlier lines still count";
    EXPECT_EQ(firstMatch("a\\b", "a.$", true, 0, 2), None);
    EXPECT_EQ(firstMatch("a\\b", "a\\\\$", true, 0, 2), Span(0, 2))
        << "after an escaped backslash the component keeps the short last line";
    EXPECT_EQ(firstMatch(text, "$", true, 1), Span(7, 7)) << "a lone $ finds the first line end";
    EXPECT_EQ(firstMatch(text, "x", true, 0, 12), None) << "the range end bounds the search";
    EXPECT_EQ(firstMatch(text, "end", true, 12), Span(13, 16));
    EXPECT_EQ(firstMatch("\xc3\xa9x", ".", true, 1, 3, true), Span(2, 3))
        << "a UTF-8 range start inside a character moves past it";
    EXPECT_EQ(firstMatch("\xc3\xa9x", ".", true, 1, 3, false), Span(1, 2));
    EXPECT_EQ(firstMatch("a\xc3\xa9", "a.", true, 0, 3, true), Span(0, 3))
        << "a UTF-8 match ending inside a character takes all of it";
    EXPECT_EQ(firstMatch("a\xc3\xa9", "a.", true, 0, 3, false), Span(0, 2));
}

// The searcher remembers results to skip rescanning; the answers must equal fresh searches.
TEST(ComponentSearch, RememberedResultsEqualFreshSearches)
{
    const QByteArray text("do x\nredo do\n  do\ndone do\nxdo\n");
    const TextModel model(text);
    pw::search::SearchBudget budget;
    RuleSearch remembering(model, budget);
    PatternCache cache;
    for (const char *pattern : {"\\<do\\>", "\\<do", "do\\>", "^ *do", "o$", "\\{"}) {
        const pw::search::SearchPattern &re = cache.get(pattern, true);
        for (qsizetype from = 0; from <= text.size(); ++from) {
            Match again, fresh;
            remembering.find(re, from, text.size(), again);
            RuleSearch once(model, budget);
            once.find(re, from, text.size(), fresh);
            EXPECT_EQ(again.start, fresh.start) << pattern << " from " << from;
            EXPECT_EQ(again.end, fresh.end) << pattern << " from " << from;
        }
    }
}

TEST(ComponentSearch, RunawayBacktrackingStopsWhereItHappens)
{
    const TextModel model(QByteArray(20000, 'a'));
    pw::search::SearchLimits limits;
    limits.matchLimit = 100000;
    pw::search::SearchBudget budget;
    budget.setPassOverHardPositions(false);
    RuleSearch searcher(model, budget, limits);
    PatternCache cache;
    const pw::search::SearchPattern &re = cache.get("a*a*a*a*a*[0-9]", true);
    ASSERT_TRUE(re.isValid());
    Match m;
    EXPECT_EQ(searcher.find(re, 0, model.length(), m), pw::search::SearchStatus::Stopped);
    EXPECT_EQ(searcher.stopPoint().reason, pw::search::StopReason::HardPosition);
    EXPECT_EQ(searcher.stopPoint().position, 0);
}

TEST(RuleTable, SupportsExactlyTheNumbersWithRules)
{
    const std::vector<int> expected = {1,  2,  3,  4,  5,  6,  7,  8,  11, 12, 13, 16, 17,
                                       18, 19, 21, 22, 23, 25, 26, 27, 28, 29, 30, 32, 38};
    EXPECT_EQ(supportedLexerIds(), expected);
    for (int id : {0, -1, 9, 10, 14, 15, 20, 24, 31, 33, 34, 35, 36, 37, 39, 1000}) {
        const RuleSet set = ruleSetFor(id);
        EXPECT_FALSE(set.supported) << id;
        EXPECT_TRUE(set.rules.empty()) << id;
    }
}

TEST(RuleTable, SetsHaveTheirRulesCaseAndSkipPairs)
{
    const struct
    {
        int id;
        std::size_t rules;
        bool matchCase;
        std::size_t skipPairs;
        const char *nest;
    } rows[] = {{1, 1, true, 3, "\\{"},
                {2, 1, true, 4, "\\{"},
                {3, 1, true, 4, "\\{"},
                {4, 1, true, 2, "\\{"},
                {5, 4, true, 2, "\\{"},
                {6, 1, true, 2, "\\{"},
                {7, 3, true, 2, "\\<BEGIN\\>"},
                {8, 3, true, 3, "\\{"},
                {11, 4, false, 4, "\\<begin\\>"},
                {12, 1, true, 1, ""},
                {13, 1, true, 1, ""},
                {16, 2, false, 2, ""},
                {17, 4, false, 2, ""},
                {18, 2, false, 1, ""},
                {19, 3, true, 3, "\\{"},
                {21, 1, true, 1, "\\{"},
                {22, 1, true, 1, ""},
                {23, 2, true, 4, "\\<do\\>|\\<if\\>|\\<function\\>"},
                {25, 12, false, 1, ""},
                {26, 2, true, 1, "\\{"},
                {27, 1, true, 3, "\\{"},
                {28, 6, true, 3, ""},
                {29, 4, true, 2, "\\{>"},
                {30, 1, false, 0, ""},
                {32, 1, true, 1, ""},
                {38, 5, false, 1, "\\<IF\\>|\\<COMPONENT\\>|\\<LOOP\\>|\\<CASE\\>|\\<BEGIN\\>"}};
    for (const auto &row : rows) {
        const RuleSet set = ruleSetFor(row.id);
        EXPECT_TRUE(set.supported) << row.id;
        EXPECT_EQ(set.rules.size(), row.rules) << row.id;
        EXPECT_EQ(set.matchCase, row.matchCase) << row.id;
        EXPECT_EQ(set.skipPairs.size(), row.skipPairs) << row.id;
        EXPECT_EQ(set.nestOpeners, row.nest) << row.id;
        EXPECT_EQ(set.searchFlags(), row.matchCase ? 0x600006 : 0x600002) << row.id;
        EXPECT_EQ(set.nestedHeaders.empty(), row.id != 38) << row.id;
    }
    EXPECT_EQ(ruleSetFor(38).nestedHeaders, "\\<FUNCTION\\>|\\<PROCEDURE\\>");
}

TEST(RuleTable, EveryPatternIsAcceptedByTheComponentSyntax)
{
    for (int id : supportedLexerIds())
        for (const SearchPattern &p : searchPatternsOf(ruleSetFor(id))) {
            PatternCache cache;
            const pw::search::SearchPattern &re = cache.get(p.text, p.matchCase);
            EXPECT_TRUE(re.isValid()) << id << ": " << p.text << ": " << re.error().toStdString();
        }
}

TEST(RuleTable, AlternativesSplitAtBarsWithoutEmptyPieces)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitAlternatives("function|procedure|destructor|constructor|"),
              (V{"function", "procedure", "destructor", "constructor"}));
    EXPECT_EQ(splitAlternatives(";|\\]"), (V{";", "\\]"}));
    EXPECT_EQ(splitAlternatives("#;"), (V{"#;"}));
    EXPECT_EQ(splitAlternatives("||a||"), (V{"a"}));
    EXPECT_TRUE(splitAlternatives("").empty());
}

TEST(SkipRegions, CommentOpenersInsideStringsStartNothing)
{
    //                 0123456 7890123456 789 0123
    const QByteArray text("a \"x//y\" // c\n/* \"q */ z");
    const ParseResult result = parseFunctions(text, 2);
    ASSERT_EQ(result.status, ParseStatus::Complete);
    std::vector<Span> regions;
    for (const SkipRegion &r : result.skipRegions)
        regions.emplace_back(r.start, r.end);
    EXPECT_EQ(regions, (std::vector<Span>{{2, 8}, {9, 13}, {14, 22}}));
}

TEST(SkipRegions, ContainmentNeedsOneRegionAroundTheWholeRange)
{
    const SkipRegions regions({{2, 8}, {8, 12}, {20, 30}});
    EXPECT_TRUE(regions.contains(2, 8));
    EXPECT_TRUE(regions.contains(8, 8)) << "touching regions: either may hold it";
    EXPECT_TRUE(regions.contains(9, 12));
    EXPECT_FALSE(regions.contains(7, 9)) << "spans two regions";
    EXPECT_FALSE(regions.contains(12, 13));
    EXPECT_FALSE(regions.contains(0, 1));
    EXPECT_TRUE(regions.contains(25, 30));
    EXPECT_FALSE(regions.contains(25, 31));
    EXPECT_FALSE(SkipRegions().contains(0, 0));
}

TEST(SkipRegions, OnATieThePairListedFirstWins)
{
    // "--" (to the line end) and "--[[" (to "]]") both open at the same place; the line
    // comment, listed first, takes it.
    const QByteArray text("--[[ a\nb ]] c");
    const ParseResult result = parseFunctions(text, 23);
    ASSERT_EQ(result.skipRegions.size(), 1u);
    EXPECT_EQ(result.skipRegions[0].start, 0);
    EXPECT_EQ(result.skipRegions[0].end, 6);
}

TEST(SkipRegions, AnOpenerThatMatchesEmptyAtTheTextsEndEndsTheScan)
{
    // "$" opens an empty region at every line end, the last one at the text's end, where the
    // scan's next start lies past the text.
    RuleSet rules = ruleSetFor(22);
    rules.skipPairs = {{"$", ""}};
    for (const char *text : {"a\nb", "a\nb\n", ""}) {
        const ParseResult result = parseFunctions(text, rules);
        EXPECT_EQ(result.status, ParseStatus::Complete) << text;
    }
}
