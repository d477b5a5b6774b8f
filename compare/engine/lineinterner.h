// Internal: gives every distinct line of two texts a small number, hashing each line once.
#pragma once

#include "compare/engine/difftext.h"
#include "compare/engine/ticker.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace pw::diff::detail {

// Lines of both texts as numbers: equal lines (under the comparison's rule) get equal numbers, and
// numbers are dense (0 .. distinct - 1) in order of first appearance, first text first. That order
// keeps the numbers of nearby lines close together, which keeps later table lookups local.
struct InternedLines
{
    std::vector<int> a;
    std::vector<int> b;
    int distinct = 0;
};

// The bytes two lines are compared by: the whole line, or without its break when line endings are
// ignored.
std::string_view lineKey(const DiffText &text, int line, bool ignoreLineEndings);

std::uint64_t hashBytes(std::string_view bytes);

// Ticks one unit per line.
InternedLines internLines(const DiffText &a, const DiffText &b, bool ignoreLineEndings,
                          Ticker &ticker);

} // namespace pw::diff::detail
