// Random edits: the result keeps its invariants, its unified diff turns A into B, and its size
// stays close to GNU diff's.
#include "difftestutil.h"
#include "gnudiff.h"

#include <algorithm>
#include <random>

namespace pw::diff {
namespace {

using test::applyUnified;
using test::brokenInvariant;

struct Generated
{
    std::string a;
    std::string b;
};

// A text of `lines` lines drawn from `vocabulary` different ones, and a copy edited in place:
// insertions, deletions, replacements, moved and copied blocks, changed line endings and a
// changed final newline.
Generated generate(std::mt19937 &rng, int lines, int vocabulary, int edits)
{
    auto pick = [&](int n) { return int(rng() % unsigned(std::max(n, 1))); };
    auto fresh = [&] { return "line " + std::to_string(pick(vocabulary)) + "\n"; };
    std::vector<std::string> a;
    for (int i = 0; i < lines; ++i)
        a.push_back(fresh());
    std::vector<std::string> b = a;
    for (int e = 0; e < edits; ++e) {
        const int at = pick(int(b.size()) + 1);
        const int len = 1 + pick(8);
        switch (pick(7)) {
        case 0:
            for (int k = 0; k < len; ++k)
                b.insert(b.begin() + at, "new " + std::to_string(rng()) + "\n");
            break;
        case 1:
            b.erase(b.begin() + at, b.begin() + std::min<long>(long(b.size()), at + len));
            break;
        case 2:
            for (int k = at; k < std::min<int>(int(b.size()), at + len); ++k)
                b[std::size_t(k)] = fresh();
            break;
        case 3: { // move a block
            const int end = std::min<int>(int(b.size()), at + len * 4);
            std::vector<std::string> block(b.begin() + at, b.begin() + end);
            b.erase(b.begin() + at, b.begin() + end);
            const int to = pick(int(b.size()) + 1);
            b.insert(b.begin() + to, block.begin(), block.end());
            break;
        }
        case 4: { // copy a block
            const int end = std::min<int>(int(b.size()), at + len);
            std::vector<std::string> block(b.begin() + at, b.begin() + end);
            b.insert(b.begin() + pick(int(b.size()) + 1), block.begin(), block.end());
            break;
        }
        case 5:
            if (at < int(b.size()))
                b[std::size_t(at)].insert(b[std::size_t(at)].size() - 1, "\r");
            break;
        default:
            break;
        }
    }
    Generated g{test::joinLines(a, ""), test::joinLines(b, "")};
    if (pick(4) == 0 && !g.a.empty())
        g.a.pop_back();
    if (pick(4) == 0 && !g.b.empty())
        g.b.pop_back();
    return g;
}

TEST(Property, UnifiedDiffTurnsFirstIntoSecond)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 400; ++round) {
        const int lines = int(rng() % 300);
        const int vocabulary = round % 3 == 0 ? 4 : round % 3 == 1 ? 40 : 100000;
        const Generated g = generate(rng, lines, vocabulary, int(rng() % 12));
        const DiffText a(g.a);
        const DiffText b(g.b);
        const DiffResult r = diffTexts(a, b).value();
        ASSERT_EQ(brokenInvariant(a, b, r, false), "") << "round " << round;
        const std::string patch = unifiedDiff(a, b, r, UnifiedOptions{"A", "B", int(round % 4)});
        const std::optional<std::string> applied = applyUnified(g.a, patch);
        ASSERT_TRUE(applied.has_value()) << "round " << round << "\n" << patch;
        ASSERT_EQ(*applied, g.b) << "round " << round << "\n" << patch;
        EXPECT_EQ(r.identical(), g.a == g.b) << "round " << round;
    }
}

TEST(Property, InvariantsHoldWithEveryOption)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        Generated g = generate(rng, int(rng() % 200), round % 2 ? 5 : 500, int(rng() % 10));
        if (round % 3 == 0) // lone carriage returns in the text
            for (char &c : g.b)
                if (c == '\n' && rng() % 5 == 0)
                    c = '\r';
        DiffOptions options;
        options.ignoreLineEndings = round % 2 == 0;
        options.lineSplit = round % 4 < 2 ? LineSplit::AnyBreak : LineSplit::Lf;
        const DiffText a(g.a, options.lineSplit);
        const DiffText b(g.b, options.lineSplit);
        const DiffResult r = diffTexts(a, b, options).value();
        ASSERT_EQ(brokenInvariant(a, b, r, options.ignoreLineEndings), "") << "round " << round;
    }
}

TEST(Property, ShuffledCommonLinesStayCorrect)
{
    // Forty lines, each fifty times, in random order on both sides: every line is looked up and
    // meets dozens of partners, the case that bounds how many runs are kept.
    std::mt19937 rng(17);
    std::vector<std::string> lines;
    for (int copy = 0; copy < 50; ++copy)
        for (int k = 0; k < 40; ++k)
            lines.push_back("common " + std::to_string(k) + "\n");
    std::shuffle(lines.begin(), lines.end(), rng);
    const std::string a = test::joinLines(lines, "");
    std::shuffle(lines.begin(), lines.end(), rng);
    const std::string b = test::joinLines(lines, "");
    const DiffResult r = diffTexts(DiffText(a), DiffText(b)).value();
    ASSERT_EQ(brokenInvariant(DiffText(a), DiffText(b), r, false), "");
    EXPECT_EQ(
        applyUnified(a, unifiedDiff(DiffText(a), DiffText(b), r, UnifiedOptions{"A", "B", 3})), b);
    // Shuffled lines have no structure to anchor on; GNU diff's exhaustive search does better
    // here (by about 16 %; git's histogram diff gives about 1.3 times its size).
    if (test::gnuDiffAvailable()) {
        EXPECT_LE(r.counts.editSize(), *test::gnuEditSize(a, b) * 120 / 100);
    }
}

TEST(Property, EditSizeCloseToGnuDiff)
{
    if (!test::gnuDiffAvailable())
        GTEST_SKIP() << "GNU diff not installed";
    std::mt19937 rng(5);
    long ours = 0;
    long theirs = 0;
    for (int round = 0; round < 24; ++round) {
        const Generated g =
            generate(rng, 2000 + int(rng() % 2000), round % 2 ? 300 : 1000000, 5 + int(rng() % 60));
        const DiffResult r = diffTexts(DiffText(g.a), DiffText(g.b)).value();
        const std::optional<long> gnu = test::gnuEditSize(g.a, g.b);
        ASSERT_TRUE(gnu.has_value());
        EXPECT_LE(r.counts.editSize(), *gnu * 105 / 100 + 4) << "round " << round;
        ours += long(r.counts.editSize());
        theirs += *gnu;
    }
    EXPECT_LE(ours, theirs * 103 / 100);
}

} // namespace
} // namespace pw::diff
