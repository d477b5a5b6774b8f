// Rows of a side-by-side view of a comparison, and stepping from difference to difference.
#pragma once

#include "compare/engine/diffresult.h"

#include <optional>
#include <vector>

namespace pw::diff {

// Lays the blocks of a comparison out as rows: each block takes max(aCount, bCount) rows, an
// Equal or Changed block shows one line of each text per row, a Removed block shows its lines on
// the first side only and an Added block on the second side only (the other side is a filler).
// Rows are 0-based and in text order; every line of both texts has exactly one row. Lookups take
// O(log blocks).
class SideBySideLayout
{
public:
    struct Row
    {
        BlockKind kind = BlockKind::Equal;
        std::optional<int> firstLine;  // line of the first text shown in this row, if any
        std::optional<int> secondLine; // line of the second text shown in this row, if any
        int block = 0;                 // index into DiffResult::blocks
    };

    SideBySideLayout() = default;
    explicit SideBySideLayout(const DiffResult &diff);

    int rowCount() const { return m_rowStarts.empty() ? 0 : m_rowStarts.back(); }
    // 0 <= row < rowCount().
    Row row(int row) const;
    // The row showing a line; the text's line count gives rowCount().
    int rowOfFirstLine(int line) const;
    int rowOfSecondLine(int line) const;

    int hunkCount() const { return int(m_hunkRows.size()); }
    // First row of hunk h (0 <= h < hunkCount()) and its number of rows.
    int hunkRow(int hunk) const { return m_hunkRows[std::size_t(hunk)]; }
    int hunkRows(int hunk) const { return m_hunkRowCounts[std::size_t(hunk)]; }
    // The first hunk that starts after row, or the last that starts before it; empty when there
    // is none (so the view can say it reached the end or the start).
    std::optional<int> nextHunk(int row) const;
    std::optional<int> previousHunk(int row) const;
    // The hunk covering row, if any.
    std::optional<int> hunkAt(int row) const;

private:
    int blockOfRow(int row) const;

    std::vector<Block> m_blocks;
    std::vector<int> m_rowStarts; // per block its first row, then the total
    std::vector<int> m_hunkRows;
    std::vector<int> m_hunkRowCounts;
};

} // namespace pw::diff
