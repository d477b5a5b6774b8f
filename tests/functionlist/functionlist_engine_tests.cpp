// The function-list engine's building blocks: the text model, its searches through the shared
// engine (remembered answers, stops), the rule table and the skip regions.
#include "functionlist/engine/functionparser.h"
#include "functionlist/engine/rules.h"
#include "functionlist/engine/rulesearch.h"
#include "functionlist/engine/textmodel.h"

#include <gtest/gtest.h>

using namespace pw::functionlist;

namespace {

using Span = std::pair<qsizetype, qsizetype>;

} // namespace

// Long texts are read sixteen bytes at a time: every bracket and line end, wherever it falls in
// such a block, is found as the component finds it, scanning from the bracket for its partner.
TEST(TextModel, LinesAndBracketsAsTheComponentFindsThem)
{
    const char alphabet[] = "()[]{}<>\r\nab";
    std::uint32_t seed = 7;
    for (int round = 0; round < 20; ++round) {
        QByteArray text;
        const int length = 1 + round * 37;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            text.append(alphabet[(seed >> 16) % (sizeof alphabet - 1)]);
        }
        const TextModel model(text);
        const std::string shown = text.toStdString();
        int line = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            // A position between CR and LF belongs to the line the pair ends.
            EXPECT_EQ(model.lineFromPosition(i), line) << "at " << i << " of " << shown;
            if (text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))) {
                EXPECT_EQ(model.lineEndPosition(line), i) << shown;
            }
            if (text[i] == '\n' ||
                (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
                EXPECT_EQ(model.positionFromLine(++line), i + 1) << shown;
            }
            const qsizetype kind = QByteArray("()[]{}<>").indexOf(text[i]);
            qsizetype partner = -1;
            if (kind >= 0) {
                const char open = "([{<"[kind / 2], close = ")]}>"[kind / 2];
                const int step = kind % 2 == 0 ? 1 : -1;
                int depth = 0;
                for (qsizetype j = i; j >= 0 && j < text.size() && partner < 0; j += step) {
                    depth += text[j] == open ? step : text[j] == close ? -step : 0;
                    if (depth == 0)
                        partner = j;
                }
            }
            EXPECT_EQ(model.braceMatch(i), partner) << "at " << i << " of " << shown;
        }
        EXPECT_EQ(model.lineCount(), line + 1) << "a final line end opens a line";
        EXPECT_EQ(model.lineEndPosition(line), text.size());
        EXPECT_EQ(model.lineFromPosition(text.size() + 50), line);
        EXPECT_EQ(model.braceMatch(-1), -1);
    }
    EXPECT_EQ(TextModel(QByteArray()).lineCount(), 1);
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
