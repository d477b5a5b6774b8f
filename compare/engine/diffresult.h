// Options and results of a line comparison, shaped for a side-by-side view and a unified diff.
#pragma once

#include "compare/engine/difftext.h"

#include <cstdint>
#include <vector>

namespace pw::diff {

struct DiffOptions
{
    // When set, lines that differ only in their break (CR LF, LF, a lone CR, or none at the end of
    // the text) compare equal. Off by default: such lines are shown as changed.
    bool ignoreLineEndings = false;
    // When set, the changed characters of every changed line pair are worked out
    // (LinePairDiff); a view that only needs line colours can leave it off.
    bool intraLine = true;
    // How files are cut into lines where the engine reads them itself (compareFiles); texts given
    // to diffTexts are already cut.
    LineSplit lineSplit = LineSplit::Lf;
};

enum class BlockKind : std::uint8_t {
    Equal,   // the same lines on both sides
    Changed, // line i of one side replaced by line i of the other, pair by pair
    Removed, // lines only in the first text
    Added,   // lines only in the second text
};

// A run of lines of the first text (a) facing a run of the second (b); line numbers are 0-based.
// Invariants: Equal and Changed have aCount == bCount > 0; Removed has bCount == 0 < aCount;
// Added has aCount == 0 < bCount. Blocks follow each other without gaps or overlaps on both sides
// and together cover both texts. In a side-by-side view a block takes max(aCount, bCount) rows.
struct Block
{
    BlockKind kind = BlockKind::Equal;
    int aStart = 0;
    int aCount = 0;
    int bStart = 0;
    int bCount = 0;

    int rows() const { return aCount > bCount ? aCount : bCount; }
    bool operator==(const Block &) const = default;
};

// One difference: a maximal run of non-Equal blocks, the unit of next/previous navigation.
// aStart/bStart is where the run starts on each side even when that side has no lines in it.
struct Hunk
{
    int aStart = 0;
    int aCount = 0;
    int bStart = 0;
    int bCount = 0;
    int firstBlock = 0; // index into DiffResult::blocks
    int blockCount = 0;
};

// Bytes [start, start + length) of a line, counted from the line's first byte; never reaches into
// the line break.
struct CharRange
{
    int start = 0;
    int length = 0;
    bool operator==(const CharRange &) const = default;
};

// The changed characters of one pair of a Changed block. Ranges are sorted and do not touch each
// other. Both lists are empty when the pair differs only in its line break.
struct LinePairDiff
{
    int aLine = 0;
    int bLine = 0;
    std::vector<CharRange> aRanges;
    std::vector<CharRange> bRanges;
};

struct DiffCounts
{
    int changedLines = 0; // pairs in Changed blocks (the same number of lines on each side)
    int removedLines = 0; // lines of Removed blocks
    int addedLines = 0;   // lines of Added blocks
    int hunks = 0;
    // Lines a unified diff marks with '-' or '+'.
    std::int64_t editSize() const
    {
        return std::int64_t(changedLines) * 2 + removedLines + addedLines;
    }
};

struct DiffResult
{
    std::vector<Block> blocks;
    std::vector<Hunk> hunks;
    // One entry per pair of every Changed block, in order, when DiffOptions::intraLine is set.
    std::vector<LinePairDiff> pairs;
    DiffCounts counts;

    // True when the texts have no differences under the options used.
    bool identical() const { return hunks.empty(); }
    // The pair whose first-text line is aLine, or null when that line is not part of a Changed
    // block (or intra-line differences were not asked for).
    const LinePairDiff *pairForFirstLine(int aLine) const;
};

} // namespace pw::diff
