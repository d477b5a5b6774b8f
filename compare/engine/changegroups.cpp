// Change groups: collection from flags, sliding among equal lines, pairing into blocks.
#include "compare/engine/changegroups.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string_view>

namespace pw::diff::detail {
namespace {

// Beyond this many line pairs a group is paired in order instead of by similarity.
constexpr long long MaxPairingCells = 16384;
// Lines less alike than this do not face each other (unless nothing in the group is alike).
constexpr double PairingThreshold = 0.4;
// Only the start of a long line is looked at for similarity.
constexpr std::size_t SimilarityPrefix = 512;

bool isBlank(std::string_view content)
{
    return std::all_of(content.begin(), content.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; });
}

// The byte pairs of a line's content (its ends counting as bytes of their own), as a 512-bit set:
// comparing two lines is then a few AND and population counts, which matters because pairing
// compares every line of a group with every line on the other side.
using PairSet = std::array<std::uint64_t, 8>;

PairSet bytePairs(std::string_view content)
{
    content = content.substr(0, SimilarityPrefix);
    PairSet set{};
    std::uint32_t previous = 256; // start of line
    auto add = [&set](std::uint32_t pair) {
        const std::uint32_t bit = (pair * 0x9E3779B1u) >> 23;
        set[bit >> 6] |= std::uint64_t(1) << (bit & 63);
    };
    for (unsigned char c : content) {
        add(previous << 9 | c);
        previous = c;
    }
    add(previous << 9 | 257); // end of line
    return set;
}

double dice(const PairSet &x, const PairSet &y)
{
    int common = 0;
    int total = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        common += std::popcount(x[i] & y[i]);
        total += std::popcount(x[i]) + std::popcount(y[i]);
    }
    return total ? 2.0 * common / total : 1.0;
}

void pushBlock(std::vector<Block> &out, BlockKind kind, int a, int aCount, int b, int bCount)
{
    if (aCount == 0 && bCount == 0)
        return;
    if (!out.empty() && out.back().kind == kind && out.back().aStart + out.back().aCount == a &&
        out.back().bStart + out.back().bCount == b) {
        out.back().aCount += aCount;
        out.back().bCount += bCount;
        return;
    }
    out.push_back(Block{kind, a, aCount, b, bCount});
}

// Lines [from, to) of a group facing each other in order, the longer side's rest after them.
void pairInOrder(int a, int aCount, int b, int bCount, std::vector<Block> &out)
{
    const int paired = std::min(aCount, bCount);
    pushBlock(out, BlockKind::Changed, a, paired, b, paired);
    pushBlock(out, BlockKind::Removed, a + paired, aCount - paired, b + paired, 0);
    pushBlock(out, BlockKind::Added, a + aCount, 0, b + paired, bCount - paired);
}

} // namespace

std::vector<ChangeGroup> collectGroups(const std::vector<std::uint8_t> &changedA,
                                       const std::vector<std::uint8_t> &changedB)
{
    std::vector<ChangeGroup> groups;
    const int n = int(changedA.size());
    const int m = int(changedB.size());
    int i = 0;
    int j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && !changedA[std::size_t(i)] && !changedB[std::size_t(j)]) {
            ++i;
            ++j;
            continue;
        }
        ChangeGroup g{i, i, j, j};
        while (i < n && changedA[std::size_t(i)])
            ++i;
        while (j < m && changedB[std::size_t(j)])
            ++j;
        // Unchanged lines left over on one side only cannot pair with anything: count them in.
        if (i == g.aStart && j == g.bStart) {
            i = n;
            j = m;
        }
        g.aEnd = i;
        g.bEnd = j;
        groups.push_back(g);
    }
    return groups;
}

void slideGroups(std::vector<ChangeGroup> &groups, const std::vector<int> &a,
                 const std::vector<int> &b, const DiffText &textA, const DiffText &textB)
{
    std::vector<ChangeGroup> out;
    out.reserve(groups.size());
    const int n = int(a.size());
    for (std::size_t index = 0; index < groups.size(); ++index) {
        out.push_back(groups[index]);
        for (;;) {
            ChangeGroup &g = out.back();
            const bool deletion = g.bStart == g.bEnd;
            const bool insertion = g.aStart == g.aEnd;
            if (!deletion && !insertion)
                break;
            const bool hasPrevious = out.size() > 1;
            const bool hasNext = index + 1 < groups.size();
            const int gapBefore = g.aStart - (hasPrevious ? out[out.size() - 2].aEnd : 0);
            const int gapAfter = (hasNext ? groups[index + 1].aStart : n) - g.aEnd;
            const std::vector<int> &x = deletion ? a : b;
            const DiffText &text = deletion ? textA : textB;
            const int s = deletion ? g.aStart : g.bStart;
            const int e = deletion ? g.aEnd : g.bEnd;
            int up = 0;
            while (up < gapBefore && x[std::size_t(s - 1 - up)] == x[std::size_t(e - 1 - up)])
                ++up;
            int down = 0;
            while (down < gapAfter && x[std::size_t(s + down)] == x[std::size_t(e + down)])
                ++down;
            if (up == 0 && down == 0)
                break;
            int shift = down;
            if (hasPrevious && up == gapBefore) {
                shift = -up;
            } else if (!(hasNext && down == gapAfter)) {
                for (int t = down; t >= -up; --t) {
                    if (isBlank(text.content(e - 1 + t))) {
                        shift = t;
                        break;
                    }
                }
            }
            g.aStart += shift;
            g.aEnd += shift;
            g.bStart += shift;
            g.bEnd += shift;
            if (hasPrevious && g.aStart == out[out.size() - 2].aEnd) {
                ChangeGroup &previous = out[out.size() - 2];
                previous.aEnd = g.aEnd;
                previous.bEnd = g.bEnd;
                out.pop_back();
                continue; // the joined group may move on
            }
            if (hasNext && g.aEnd == groups[index + 1].aStart) {
                groups[index + 1].aStart = g.aStart;
                groups[index + 1].bStart = g.bStart;
                out.pop_back();
            }
            break;
        }
    }
    groups = std::move(out);
}

double lineSimilarity(std::string_view a, std::string_view b)
{
    if (a == b)
        return 1.0;
    return dice(bytePairs(a), bytePairs(b));
}

void appendGroupBlocks(const ChangeGroup &g, const DiffText &a, const DiffText &b,
                       std::vector<Block> &out)
{
    const int n = g.aEnd - g.aStart;
    const int m = g.bEnd - g.bStart;
    if (n == 0 || m == 0 || (long long)n * m > MaxPairingCells) {
        pairInOrder(g.aStart, n, g.bStart, m, out);
        return;
    }
    if (n == 1 && m == 1) {
        pushBlock(out, BlockKind::Changed, g.aStart, 1, g.bStart, 1);
        return;
    }
    std::vector<PairSet> pairsA(static_cast<std::size_t>(n));
    std::vector<PairSet> pairsB(static_cast<std::size_t>(m));
    for (int i = 0; i < n; ++i)
        pairsA[std::size_t(i)] = bytePairs(a.content(g.aStart + i));
    for (int j = 0; j < m; ++j)
        pairsB[std::size_t(j)] = bytePairs(b.content(g.bStart + j));

    // best[i][j]: the largest total similarity of pairs among the first i and j lines.
    const std::size_t width = std::size_t(m) + 1;
    std::vector<double> best((std::size_t(n) + 1) * width, 0.0);
    std::vector<std::uint8_t> move((std::size_t(n) + 1) * width, 0); // 1 up, 2 left, 3 pair
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= m; ++j) {
            const std::size_t at = std::size_t(i) * width + std::size_t(j);
            double value = best[at - width];
            std::uint8_t how = 1;
            if (best[at - 1] > value) {
                value = best[at - 1];
                how = 2;
            }
            const double sim = dice(pairsA[std::size_t(i - 1)], pairsB[std::size_t(j - 1)]);
            if (sim >= PairingThreshold && best[at - width - 1] + sim > value) {
                value = best[at - width - 1] + sim;
                how = 3;
            }
            best[at] = value;
            move[at] = how;
        }
    }
    std::vector<std::pair<int, int>> pairs;
    for (int i = n, j = m; i > 0 && j > 0;) {
        const std::uint8_t how = move[std::size_t(i) * width + std::size_t(j)];
        if (how == 3) {
            pairs.emplace_back(i - 1, j - 1);
            --i;
            --j;
        } else if (how == 1) {
            --i;
        } else {
            --j;
        }
    }
    if (pairs.empty()) {
        pairInOrder(g.aStart, n, g.bStart, m, out);
        return;
    }
    std::reverse(pairs.begin(), pairs.end());
    int i = 0;
    int j = 0;
    for (const auto &[pi, pj] : pairs) {
        pushBlock(out, BlockKind::Removed, g.aStart + i, pi - i, g.bStart + j, 0);
        pushBlock(out, BlockKind::Added, g.aStart + pi, 0, g.bStart + j, pj - j);
        pushBlock(out, BlockKind::Changed, g.aStart + pi, 1, g.bStart + pj, 1);
        i = pi + 1;
        j = pj + 1;
    }
    pushBlock(out, BlockKind::Removed, g.aStart + i, n - i, g.bStart + j, 0);
    pushBlock(out, BlockKind::Added, g.aStart + n, 0, g.bStart + j, m - j);
}

} // namespace pw::diff::detail
