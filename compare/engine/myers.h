// Internal: Myers' O(ND) difference algorithm in linear space, on sequences of numbers.
#pragma once

#include <cstdint>

namespace pw::diff::detail {

class Ticker;

// Sets changedA[i] for every element of a[0, n) and changedB[j] for every element of b[0, m) left
// out of the common subsequence it finds; other flags are not touched. The subsequence is a longest
// one unless a sub-problem needs more than costLimit rounds (each round allows one more difference
// from each end); such a sub-problem is cut at the furthest point reached, which keeps the time
// near O((n + m) * costLimit) on inputs with many scattered differences. The ticker, when given,
// is polled for cancellation.
void myersDiff(const int *a, int n, const int *b, int m, std::uint8_t *changedA,
               std::uint8_t *changedB, int costLimit, Ticker *ticker);

// A cost limit that keeps results minimal for all but large, very different inputs.
int defaultCostLimit(int n, int m);

} // namespace pw::diff::detail
