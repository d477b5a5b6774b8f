// Internal: runs of changed lines, their placement among equal neighbours, and their blocks.
#pragma once

#include "compare/engine/diffresult.h"
#include "compare/engine/difftext.h"

#include <cstdint>
#include <vector>

namespace pw::diff::detail {

// Lines [aStart, aEnd) of the first text replaced by [bStart, bEnd) of the second; one side may be
// empty, never both. Groups are in order and separated by at least one equal line.
struct ChangeGroup
{
    int aStart = 0;
    int aEnd = 0;
    int bStart = 0;
    int bEnd = 0;
    bool operator==(const ChangeGroup &) const = default;
};

// Groups from per-line change flags (unchanged lines pair up in order on both sides).
std::vector<ChangeGroup> collectGroups(const std::vector<std::uint8_t> &changedA,
                                       const std::vector<std::uint8_t> &changedB);

// Moves groups that insert or delete only, where the lines around them allow it without changing
// the edit: a group that can reach a neighbouring group joins it; otherwise it moves down as far as
// it can, stopping earlier only to end on a blank line. a and b are the interned lines.
void slideGroups(std::vector<ChangeGroup> &groups, const std::vector<int> &a,
                 const std::vector<int> &b, const DiffText &textA, const DiffText &textB);

// Appends the blocks of one group: similar lines of the two runs face each other (Changed), the
// others are Removed or Added. A group whose lines have nothing in common pairs its lines in order.
void appendGroupBlocks(const ChangeGroup &group, const DiffText &a, const DiffText &b,
                       std::vector<Block> &out);

// Similarity of two lines' contents, 0..1 (1 for equal texts), from shared byte pairs.
double lineSimilarity(std::string_view a, std::string_view b);

} // namespace pw::diff::detail
