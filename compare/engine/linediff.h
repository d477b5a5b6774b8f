// Line-by-line comparison of two texts.
#pragma once

#include "compare/engine/diffcontrol.h"
#include "compare/engine/diffresult.h"
#include "compare/engine/difftext.h"

#include <optional>

namespace pw::diff {

// Compares a and b line by line (histogram diff, see README.md) and describes the result as
// blocks, hunks, counts and, when asked for, the changed characters of every changed pair.
// Returns nothing when control's token is set before the work is done. Progress runs from 0 to
// 1000.
std::optional<DiffResult> diffTexts(const DiffText &a, const DiffText &b,
                                    const DiffOptions &options = {},
                                    const DiffControl &control = {});

namespace detail {
class Ticker;
// The same within permille [from, to] of a caller's progress; throws Cancelled.
DiffResult diffTexts(const DiffText &a, const DiffText &b, const DiffOptions &options,
                     Ticker &ticker, int from, int to);
} // namespace detail

} // namespace pw::diff
