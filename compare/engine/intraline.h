// The changed characters within a pair of changed lines.
#pragma once

#include "compare/engine/diffresult.h"

#include <string_view>
#include <vector>

namespace pw::diff {

// Fills aRanges and bRanges (cleared first) with the bytes of a and b (line contents without their
// breaks, UTF-8 or 8-bit) that are not common to both. Words (runs of letters, digits, '_' and
// non-ASCII characters), runs of blanks and single other characters are compared first; within a
// replaced run of words the characters are compared too when at least half of them are common, so
// "count1" against "count2" marks only the digits. A range never splits a UTF-8 character.
// Lines that share less than a quarter of their words and signs (blanks not counted), and very
// long lines (over LongLineBytes after their common start and end), get one range per side: what
// lies between their common start and end.
void intraLineDiff(std::string_view a, std::string_view b, std::vector<CharRange> &aRanges,
                   std::vector<CharRange> &bRanges);

constexpr std::size_t LongLineBytes = 8192;

} // namespace pw::diff
