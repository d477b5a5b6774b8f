// Internal: histogram-indexed line matching with chained anchors and a Myers fallback.
#pragma once

#include <cstdint>
#include <vector>

namespace pw::diff::detail {

class Ticker;

// Sets changedA[i] / changedB[j] (both pre-sized and zeroed) for the lines left out of the common
// subsequence it chooses. Values of a and b lie in [0, distinct).
//
// Each range is first trimmed of its common start and end. The lines of the first range are then
// indexed by value (a histogram with the positions of each value); every line of the second range
// whose value occurs at most MaxOccurrences times in the first is looked up there, and each hit is
// grown into a maximal run of equal lines. Of these runs, the set that does not cross itself and
// covers the most lines becomes the anchors, and the gaps between anchors are solved the same way.
// Chaining all runs at once, rather than anchoring on one rare line per round, keeps a line that
// happens to be unique on both sides from pulling the whole alignment out of place, and leaves few
// rounds to do. A range whose common lines are all frequent goes to Myers' algorithm after the
// lines that occur on one side only are set aside.
// Ticks one unit per line resolved; total work is a+b lines.
void histogramDiff(const std::vector<int> &a, const std::vector<int> &b, int distinct,
                   std::vector<std::uint8_t> &changedA, std::vector<std::uint8_t> &changedB,
                   Ticker &ticker);

constexpr int MaxOccurrences = 64;

} // namespace pw::diff::detail
