// The line comparison pipeline: intern, match, place the changes, pair lines, compare characters.
#include "compare/engine/linediff.h"

#include "compare/engine/changegroups.h"
#include "compare/engine/histogram.h"
#include "compare/engine/intraline.h"
#include "compare/engine/lineinterner.h"
#include "compare/engine/ticker.h"

#include <algorithm>

namespace pw::diff {

const LinePairDiff *DiffResult::pairForFirstLine(int aLine) const
{
    const auto it =
        std::lower_bound(pairs.begin(), pairs.end(), aLine,
                         [](const LinePairDiff &p, int line) { return p.aLine < line; });
    return it != pairs.end() && it->aLine == aLine ? &*it : nullptr;
}

namespace detail {
namespace {

void buildBlocks(const std::vector<ChangeGroup> &groups, const DiffText &a, const DiffText &b,
                 DiffResult &result)
{
    int aPos = 0;
    int bPos = 0;
    auto equalUpTo = [&](int aEnd) {
        if (aEnd > aPos)
            result.blocks.push_back(Block{BlockKind::Equal, aPos, aEnd - aPos, bPos, aEnd - aPos});
    };
    for (const ChangeGroup &g : groups) {
        equalUpTo(g.aStart);
        Hunk hunk{g.aStart,          g.aEnd - g.aStart,         g.bStart,
                  g.bEnd - g.bStart, int(result.blocks.size()), 0};
        appendGroupBlocks(g, a, b, result.blocks);
        hunk.blockCount = int(result.blocks.size()) - hunk.firstBlock;
        result.hunks.push_back(hunk);
        aPos = g.aEnd;
        bPos = g.bEnd;
    }
    equalUpTo(a.lineCount());
    for (const Block &block : result.blocks) {
        switch (block.kind) {
        case BlockKind::Equal:
            break;
        case BlockKind::Changed:
            result.counts.changedLines += block.aCount;
            break;
        case BlockKind::Removed:
            result.counts.removedLines += block.aCount;
            break;
        case BlockKind::Added:
            result.counts.addedLines += block.bCount;
            break;
        }
    }
    result.counts.hunks = int(result.hunks.size());
}

void compareCharacters(const DiffText &a, const DiffText &b, DiffResult &result, Ticker &ticker)
{
    result.pairs.reserve(std::size_t(result.counts.changedLines));
    for (const Block &block : result.blocks) {
        if (block.kind != BlockKind::Changed)
            continue;
        for (int k = 0; k < block.aCount; ++k) {
            LinePairDiff pair{block.aStart + k, block.bStart + k, {}, {}};
            const std::string_view ca = a.content(pair.aLine);
            const std::string_view cb = b.content(pair.bLine);
            intraLineDiff(ca, cb, pair.aRanges, pair.bRanges);
            result.pairs.push_back(std::move(pair));
            // Long lines cost more; count their bytes too so that progress stays honest.
            ticker.advance(1 + std::int64_t((ca.size() + cb.size()) / 64));
        }
    }
}

} // namespace

DiffResult diffTexts(const DiffText &a, const DiffText &b, const DiffOptions &options,
                     Ticker &ticker, int from, int to)
{
    const int span = to - from;
    const std::int64_t lines = std::int64_t(a.lineCount()) + b.lineCount();
    ticker.setPhase(from, from + span * 20 / 100, lines);
    const InternedLines ids = internLines(a, b, options.ignoreLineEndings, ticker);

    ticker.setPhase(from + span * 20 / 100, from + span * 85 / 100, lines);
    std::vector<std::uint8_t> changedA(ids.a.size());
    std::vector<std::uint8_t> changedB(ids.b.size());
    histogramDiff(ids.a, ids.b, ids.distinct, changedA, changedB, ticker);
    std::vector<ChangeGroup> groups = collectGroups(changedA, changedB);
    slideGroups(groups, ids.a, ids.b, a, b);

    DiffResult result;
    buildBlocks(groups, a, b, result);
    std::int64_t charWork = 0;
    if (options.intraLine) {
        for (const Block &block : result.blocks)
            if (block.kind == BlockKind::Changed)
                for (int k = 0; k < block.aCount; ++k)
                    charWork += 1 + std::int64_t((a.content(block.aStart + k).size() +
                                                  b.content(block.bStart + k).size()) /
                                                 64);
    }
    ticker.setPhase(from + span * 85 / 100, to, charWork);
    if (options.intraLine)
        compareCharacters(a, b, result, ticker);
    ticker.finishPhase();
    return result;
}

} // namespace detail

std::optional<DiffResult> diffTexts(const DiffText &a, const DiffText &b,
                                    const DiffOptions &options, const DiffControl &control)
{
    detail::Ticker ticker(control);
    try {
        return detail::diffTexts(a, b, options, ticker, 0, 1000);
    } catch (const detail::Cancelled &) {
        return std::nullopt;
    }
}

} // namespace pw::diff
