// Unified diff output of a line comparison, in the form of GNU diff -u without timestamps.
#pragma once

#include "compare/engine/diffresult.h"
#include "compare/engine/difftext.h"

#include <functional>
#include <string>
#include <string_view>

namespace pw::diff {

struct UnifiedOptions
{
    std::string firstLabel;  // written after "--- "
    std::string secondLabel; // written after "+++ "
    int context = 3;         // equal lines shown around each change (negative counts as 0)
};

// Receives the output piece by piece, in order.
using TextSink = std::function<void(std::string_view)>;

// Writes nothing for identical texts. Otherwise: "--- first", "+++ second", then hunks
// "@@ -l,n +l,n @@" (",n" left out when n is 1; l is the line before the hunk when n is 0) whose
// lines start with ' ' (context, taken from a), '-' or '+'. Changes closer than 2 * context + 1
// equal lines share a hunk; within a run of changes the '-' lines come before the '+' lines. A line
// without a break (the last line of a text) is followed by a newline and
// "\ No newline at end of file". diff must come from comparing a with b. With LineSplit::AnyBreak a
// line ended by a lone CR is written with an LF after it, so the output stays line-based.
void writeUnifiedDiff(const DiffText &a, const DiffText &b, const DiffResult &diff,
                      const UnifiedOptions &options, const TextSink &sink);

std::string unifiedDiff(const DiffText &a, const DiffText &b, const DiffResult &diff,
                        const UnifiedOptions &options);

} // namespace pw::diff
