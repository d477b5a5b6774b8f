// Row layout of a side-by-side comparison view.
#include "compare/engine/sidebyside.h"

#include <algorithm>

namespace pw::diff {

SideBySideLayout::SideBySideLayout(const DiffResult &diff) : m_blocks(diff.blocks)
{
    m_rowStarts.reserve(m_blocks.size() + 1);
    int row = 0;
    for (const Block &block : m_blocks) {
        m_rowStarts.push_back(row);
        row += block.rows();
    }
    m_rowStarts.push_back(row);
    for (const Hunk &hunk : diff.hunks) {
        const int start = m_rowStarts[std::size_t(hunk.firstBlock)];
        m_hunkRows.push_back(start);
        m_hunkRowCounts.push_back(m_rowStarts[std::size_t(hunk.firstBlock + hunk.blockCount)] -
                                  start);
    }
}

int SideBySideLayout::blockOfRow(int row) const
{
    // The last block starting at or before row.
    const auto it = std::upper_bound(m_rowStarts.begin(), m_rowStarts.end() - 1, row);
    return int(it - m_rowStarts.begin()) - 1;
}

SideBySideLayout::Row SideBySideLayout::row(int row) const
{
    Row out;
    if (row < 0 || row >= rowCount())
        return out;
    out.block = blockOfRow(row);
    const Block &b = m_blocks[std::size_t(out.block)];
    const int offset = row - m_rowStarts[std::size_t(out.block)];
    out.kind = b.kind;
    if (offset < b.aCount)
        out.firstLine = b.aStart + offset;
    if (offset < b.bCount)
        out.secondLine = b.bStart + offset;
    return out;
}

int SideBySideLayout::rowOfFirstLine(int line) const
{
    const auto it = std::partition_point(m_blocks.begin(), m_blocks.end(), [line](const Block &b) {
        return b.aStart + b.aCount <= line;
    });
    if (it == m_blocks.end())
        return rowCount();
    const auto index = std::size_t(it - m_blocks.begin());
    return m_rowStarts[index] + std::max(0, line - it->aStart);
}

int SideBySideLayout::rowOfSecondLine(int line) const
{
    const auto it = std::partition_point(m_blocks.begin(), m_blocks.end(), [line](const Block &b) {
        return b.bStart + b.bCount <= line;
    });
    if (it == m_blocks.end())
        return rowCount();
    const auto index = std::size_t(it - m_blocks.begin());
    return m_rowStarts[index] + std::max(0, line - it->bStart);
}

std::optional<int> SideBySideLayout::nextHunk(int row) const
{
    const auto it = std::upper_bound(m_hunkRows.begin(), m_hunkRows.end(), row);
    if (it == m_hunkRows.end())
        return std::nullopt;
    return int(it - m_hunkRows.begin());
}

std::optional<int> SideBySideLayout::previousHunk(int row) const
{
    const auto it = std::lower_bound(m_hunkRows.begin(), m_hunkRows.end(), row);
    if (it == m_hunkRows.begin())
        return std::nullopt;
    return int(it - m_hunkRows.begin()) - 1;
}

std::optional<int> SideBySideLayout::hunkAt(int row) const
{
    const auto it = std::upper_bound(m_hunkRows.begin(), m_hunkRows.end(), row);
    if (it == m_hunkRows.begin())
        return std::nullopt;
    const int hunk = int(it - m_hunkRows.begin()) - 1;
    return row < hunkRow(hunk) + hunkRows(hunk) ? std::optional<int>(hunk) : std::nullopt;
}

} // namespace pw::diff
