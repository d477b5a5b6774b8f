// Line comparison: edge texts, line endings, moves, pairing of changed lines, intra-line ranges.
#include "compare/engine/intraline.h"
#include "compare/engine/myers.h"
#include "difftestutil.h"

#include <random>

namespace pw::diff {
namespace {

using test::brokenInvariant;
using test::diffOf;
using test::joinLines;

TEST(LineDiff, EdgeTextsGiveTheseBlocks)
{
    using K = BlockKind;
    const struct
    {
        const char *name;
        std::string a;
        std::string b;
        bool ignoreLineEndings;
        std::vector<Block> blocks;
    } cases[] = {
        {"both empty", "", "", false, {}},
        {"first empty", "", "a\nb\n", false, {{K::Added, 0, 0, 0, 2}}},
        {"second empty", "a\nb\n", "", false, {{K::Removed, 0, 2, 0, 0}}},
        {"only an empty line", "\n", "", false, {{K::Removed, 0, 1, 0, 0}}},
        {"final break added", "a\nb", "a\nb\n", false,
         {{K::Equal, 0, 1, 0, 1}, {K::Changed, 1, 1, 1, 1}}},
        {"final break ignored", "a\nb", "a\nb\n", true, {{K::Equal, 0, 2, 0, 2}}},
        {"CRLF against LF", "a\r\nb\r\n", "a\nb\n", false, {{K::Changed, 0, 2, 0, 2}}},
        {"CRLF against LF ignored", "a\r\nb\r\n", "a\nb\n", true, {{K::Equal, 0, 2, 0, 2}}},
        {"CRLF against LF ignored, with a change", "a\r\nb\r\nc\r\n", "a\nB\nc\n", true,
         {{K::Equal, 0, 1, 0, 1}, {K::Changed, 1, 1, 1, 1}, {K::Equal, 2, 1, 2, 1}}},
        {"insertion in the middle", "a\nb\nc\n", "a\nb\nx\nc\n", false,
         {{K::Equal, 0, 2, 0, 2}, {K::Added, 2, 0, 2, 1}, {K::Equal, 2, 1, 3, 1}}},
        // The inserted copy of "x" is placed last, after its twin, as GNU diff places it.
        {"repeated line slides down", "a\nx\nb\n", "a\nx\nx\nb\n", false,
         {{K::Equal, 0, 2, 0, 2}, {K::Added, 2, 0, 2, 1}, {K::Equal, 2, 1, 3, 1}}},
        // Similar lines face each other; the new line between them stands alone.
        {"similar lines pair", "int alpha = 1;\nint gamma = 3;\nz\n",
         "int alpha = 10;\nvoid unrelated();\nint gamma = 30;\nz\n", false,
         {{K::Changed, 0, 1, 0, 1}, {K::Added, 1, 0, 1, 1}, {K::Changed, 1, 1, 2, 1},
          {K::Equal, 2, 1, 3, 1}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DiffOptions options;
        options.ignoreLineEndings = c.ignoreLineEndings;
        const DiffResult r = diffOf(c.a, c.b, options);
        EXPECT_EQ(r.blocks, c.blocks);
        EXPECT_EQ(brokenInvariant(DiffText(c.a), DiffText(c.b), r, c.ignoreLineEndings), "");
    }
}

TEST(LineDiff, MovedBlockCostsTheSmallerBlock)
{
    std::vector<std::string> x;
    std::vector<std::string> y;
    for (int i = 0; i < 40; ++i)
        x.push_back("x line " + std::to_string(i));
    for (int i = 0; i < 15; ++i)
        y.push_back("y line " + std::to_string(i));
    const std::string a = joinLines(x) + joinLines(y) + "tail\n";
    const std::string b = joinLines(y) + joinLines(x) + "tail\n";
    const DiffResult r = diffOf(a, b);
    EXPECT_EQ(r.counts.editSize(), 30); // the 15 lines of y move, not the 40 of x
    EXPECT_EQ(brokenInvariant(DiffText(a), DiffText(b), r, false), "");
}

TEST(LineDiff, LongIdenticalRunsAroundOneChange)
{
    std::vector<std::string> lines(200000, "same");
    const std::string a = joinLines(lines);
    lines[123456] = "different";
    const DiffResult r = diffOf(a, joinLines(lines));
    ASSERT_EQ(r.hunks.size(), 1u);
    EXPECT_EQ(r.hunks[0].aStart, 123456);
    EXPECT_EQ(r.counts.editSize(), 2);
}

TEST(LineDiff, FrequentLinesStillGiveAShortestEdit)
{
    // Every line occurs hundreds of times, so no line can anchor and Myers' algorithm decides.
    std::mt19937 rng(7);
    std::vector<std::string> a;
    for (int i = 0; i < 3000; ++i)
        a.push_back(std::string(1, char('a' + rng() % 3)));
    std::vector<std::string> b = a;
    for (int k = 0; k < 30; ++k)
        b.erase(b.begin() + long(rng() % b.size()));
    const DiffResult r = diffOf(joinLines(a), joinLines(b));
    EXPECT_EQ(r.counts.editSize(), 30);
}

TEST(Myers, FindsAShortestEditOnSmallInputs)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::vector<int> a(rng() % 40);
        std::vector<int> b(rng() % 40);
        const int alphabet = 1 + int(rng() % 5);
        for (int &v : a)
            v = int(rng() % unsigned(alphabet));
        for (int &v : b)
            v = int(rng() % unsigned(alphabet));
        // Longest common subsequence by the textbook table.
        std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
        for (std::size_t i = 1; i <= a.size(); ++i)
            for (std::size_t j = 1; j <= b.size(); ++j)
                lcs[i][j] = a[i - 1] == b[j - 1] ? lcs[i - 1][j - 1] + 1
                                                 : std::max(lcs[i - 1][j], lcs[i][j - 1]);
        std::vector<std::uint8_t> ca(a.size());
        std::vector<std::uint8_t> cb(b.size());
        detail::myersDiff(a.data(), int(a.size()), b.data(), int(b.size()), ca.data(), cb.data(),
                          1000, nullptr);
        std::vector<int> keptA;
        std::vector<int> keptB;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!ca[i])
                keptA.push_back(a[i]);
        for (std::size_t j = 0; j < b.size(); ++j)
            if (!cb[j])
                keptB.push_back(b[j]);
        ASSERT_EQ(keptA, keptB) << "round " << round;
        ASSERT_EQ(int(keptA.size()), lcs[a.size()][b.size()]) << "round " << round;
    }
}

TEST(IntraLine, MarksTheseBytes)
{
    const struct
    {
        const char *name;
        std::string a;
        std::string b;
        std::vector<CharRange> aRanges;
        std::vector<CharRange> bRanges;
    } cases[] = {
        {"same text", "abc", "abc", {}, {}},
        {"digit in a word", "count1 = 5;", "count2 = 5;", {{5, 1}}, {{5, 1}}},
        {"inserted word", "hello world", "hello big world", {}, {{6, 4}}},
        {"unrelated words", "apple pie", "orange pie", {{0, 5}}, {{0, 6}}},
        {"two separate edits", "f(a, b)", "g(a, c)", {{0, 1}, {5, 1}}, {{0, 1}, {5, 1}}},
        // "é" is two bytes: it is marked whole.
        {"accented letter", "caf\xC3\xA9 noir", "cafe noir", {{3, 2}}, {{3, 1}}},
        {"one side empty", "", "text", {}, {{0, 4}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CharRange> ra;
        std::vector<CharRange> rb;
        intraLineDiff(c.a, c.b, ra, rb);
        EXPECT_EQ(ra, c.aRanges);
        EXPECT_EQ(rb, c.bRanges);
    }
}

TEST(IntraLine, VeryLongLinesGetOneRangePerSide)
{
    std::string a(100000, 'x');
    std::string b = a;
    for (std::size_t i = 10; i < b.size() - 10; i += 1000)
        b[i] = 'y';
    std::vector<CharRange> ra;
    std::vector<CharRange> rb;
    intraLineDiff(a, b, ra, rb);
    ASSERT_EQ(ra.size(), 1u);
    EXPECT_EQ(ra[0].start, 10);
    EXPECT_EQ(rb, ra);
}

TEST(LineDiff, PairsCarryTheirCharacterRanges)
{
    const DiffResult r = diffOf("x\nint total = 1;\ny\n", "x\nint total = 2;\ny\n");
    ASSERT_EQ(r.pairs.size(), 1u);
    EXPECT_EQ(r.pairs[0].aLine, 1);
    EXPECT_EQ(r.pairs[0].aRanges, (std::vector<CharRange>{{12, 1}}));
    EXPECT_EQ(r.pairForFirstLine(1), &r.pairs[0]);
    EXPECT_EQ(r.pairForFirstLine(0), nullptr);
}

TEST(LineDiff, CancelledBeforeStartGivesNothing)
{
    CancelToken token;
    token.cancel();
    DiffControl control;
    control.cancel = &token;
    EXPECT_FALSE(diffTexts(DiffText("a\n"), DiffText("b\n"), {}, control).has_value());
}

TEST(LineDiff, CancelFromProgressStopsTheWork)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 300000; ++i)
        lines.push_back("line " + std::to_string(i * 7919LL % 300007));
    const DiffText a(joinLines(lines));
    for (std::size_t i = 0; i < lines.size(); i += 10)
        lines[i] += " changed";
    const DiffText b(joinLines(lines));

    CancelToken token;
    std::vector<int> seen;
    DiffControl control;
    control.cancel = &token;
    control.progress = [&](int permille) {
        seen.push_back(permille);
        if (permille >= 400)
            token.cancel();
    };
    EXPECT_FALSE(diffTexts(a, b, {}, control).has_value());
    ASSERT_FALSE(seen.empty());
    EXPECT_LT(seen.back(), 1000);
    // One report after the cancel at most: the engine notices at its next poll.
    const auto firstAfter = std::find_if(seen.begin(), seen.end(), [](int p) { return p >= 400; });
    EXPECT_LE(seen.end() - firstAfter, 1);
}

TEST(LineDiff, ProgressRisesToTheEnd)
{
    std::vector<int> seen;
    DiffControl control;
    control.progress = [&](int permille) { seen.push_back(permille); };
    std::vector<std::string> lines(50000, "x");
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i] += std::to_string(i);
    const DiffText a(joinLines(lines));
    lines[100] = "changed";
    ASSERT_TRUE(diffTexts(a, DiffText(joinLines(lines)), {}, control).has_value());
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 1000);
}

} // namespace
} // namespace pw::diff
