// Linear-space Myers difference: search for a middle point from both ends, split there, repeat.
#include "compare/engine/myers.h"

#include "compare/engine/ticker.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace pw::diff::detail {
namespace {

// Unreached diagonals: far below any x for the forward search, far above for the backward one.
constexpr int ForwardUnreached = INT_MIN / 4;
constexpr int BackwardUnreached = INT_MAX / 4;

struct Range
{
    int x0, x1, y0, y1;
};

class Myers
{
public:
    // The work arrays are kept between calls on the same thread: intra-line comparison calls
    // this for every changed pair, and allocating them each time cost more than the search.
    Myers(const int *a, const int *b, std::uint8_t *changedA, std::uint8_t *changedB, int costLimit,
          Ticker *ticker, std::vector<int> &forward, std::vector<int> &backward,
          std::vector<Range> &stack)
        : m_a(a), m_b(b), m_changedA(changedA), m_changedB(changedB),
          m_costLimit(std::max(costLimit, 1)), m_ticker(ticker), m_forward(forward),
          m_backward(backward), m_stack(stack)
    {}

    void run(int n, int m)
    {
        std::vector<Range> &stack = m_stack;
        stack.clear();
        stack.push_back({0, n, 0, m});
        while (!stack.empty()) {
            Range r = stack.back();
            stack.pop_back();
            while (r.x0 < r.x1 && r.y0 < r.y1 && m_a[r.x0] == m_b[r.y0]) {
                ++r.x0;
                ++r.y0;
            }
            while (r.x0 < r.x1 && r.y0 < r.y1 && m_a[r.x1 - 1] == m_b[r.y1 - 1]) {
                --r.x1;
                --r.y1;
            }
            if (r.x0 == r.x1 || r.y0 == r.y1) {
                markAll(r);
                continue;
            }
            int x = 0;
            int y = 0;
            if (!findSplit(r, x, y)) {
                markAll(r);
                continue;
            }
            stack.push_back({x, r.x1, y, r.y1});
            stack.push_back({r.x0, x, r.y0, y});
        }
    }

private:
    void markAll(const Range &r)
    {
        std::fill(m_changedA + r.x0, m_changedA + r.x1, std::uint8_t(1));
        std::fill(m_changedB + r.y0, m_changedB + r.y1, std::uint8_t(1));
    }

    // Finds a point (x, y) strictly inside the range's grid that lies on a shortest edit path (or,
    // past the cost limit, on a good one). False only if no such point is found, which the
    // caller treats as "everything changed" rather than looping.
    bool findSplit(const Range &r, int &outX, int &outY);

    const int *m_a;
    const int *m_b;
    std::uint8_t *m_changedA;
    std::uint8_t *m_changedB;
    int m_costLimit;
    Ticker *m_ticker;
    std::vector<int> &m_forward;
    std::vector<int> &m_backward;
    std::vector<Range> &m_stack;
};

bool Myers::findSplit(const Range &r, int &outX, int &outY)
{
    const int *a = m_a + r.x0;
    const int *b = m_b + r.y0;
    const int n = r.x1 - r.x0;
    const int m = r.y1 - r.y0;
    const int delta = n - m;
    const bool odd = (delta & 1) != 0;
    // Diagonal k = x - y runs from -m to n; one spare entry at each end is read but never set.
    // Only diagonals within costLimit + 1 of either starting diagonal (0 and delta) are ever
    // reached, so only those entries need resetting.
    const std::size_t size = std::size_t(n) + std::size_t(m) + 3;
    if (m_forward.size() < size) {
        m_forward.resize(size);
        m_backward.resize(size);
    }
    int *fd = m_forward.data() + m + 1;  // furthest x reached on each diagonal from (0, 0)
    int *bd = m_backward.data() + m + 1; // least x reached on each diagonal from (n, m)
    const int reach = m_costLimit + 2;
    for (const int centre : {0, delta}) {
        const int lo = std::max(-m - 1, centre - reach);
        const int hi = std::min(n + 1, centre + reach);
        if (lo <= hi) {
            std::fill(fd + lo, fd + hi + 1, ForwardUnreached);
            std::fill(bd + lo, bd + hi + 1, BackwardUnreached);
        }
    }

    auto accept = [&](int x, int y) {
        if ((x == 0 && y == 0) || (x == n && y == m) || x < 0 || x > n || y < 0 || y > m)
            return false;
        outX = r.x0 + x;
        outY = r.y0 + y;
        return true;
    };

    {
        int x = 0;
        while (x < n && x < m && a[x] == b[x])
            ++x;
        fd[0] = x;
        int xb = n;
        int yb = m;
        while (xb > 0 && yb > 0 && a[xb - 1] == b[yb - 1]) {
            --xb;
            --yb;
        }
        bd[delta] = xb;
    }

    for (int c = 1;; ++c) {
        if (m_ticker)
            m_ticker->work(c);

        // Forward: every diagonal of the parity of c that c differences can reach.
        const int fLo = std::max(-c, -m);
        const int fHi = std::min(c, n);
        for (int k = fLo + ((fLo - c) & 1); k <= fHi; k += 2) {
            int x = fd[k];
            const int down = fd[k + 1]; // (down, down - k - 1) one step down lands on k
            if (down >= 0 && down - k <= m)
                x = std::max(x, down);
            const int right = fd[k - 1]; // (right, right - k + 1) one step right lands on k
            if (right >= 0 && right + 1 <= n)
                x = std::max(x, right + 1);
            if (x < 0)
                continue;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y]) {
                ++x;
                ++y;
            }
            fd[k] = x;
            if (odd && k >= delta - (c - 1) && k <= delta + (c - 1) && bd[k] <= x)
                return accept(x, y);
        }

        // Backward: the same from the far corner, on diagonals around delta.
        const int bLo = std::max(delta - c, -m);
        const int bHi = std::min(delta + c, n);
        for (int k = bLo + ((bLo - delta - c) & 1); k <= bHi; k += 2) {
            int x = bd[k];
            const int up = bd[k - 1]; // (up, up - k + 1) one step up lands on k
            if (up <= n && up - k >= 0)
                x = std::min(x, up);
            const int left = bd[k + 1]; // (left, left - k - 1) one step left lands on k
            if (left <= n && left - 1 >= 0)
                x = std::min(x, left - 1);
            if (x > n)
                continue;
            int y = x - k;
            while (x > 0 && y > 0 && a[x - 1] == b[y - 1]) {
                --x;
                --y;
            }
            bd[k] = x;
            if (!odd && k >= -c && k <= c && fd[k] >= x)
                return accept(x, y);
        }

        if (c >= m_costLimit) {
            // Too many differences for an exact answer at a fair price: cut at whichever search got
            // further from its own corner.
            int bestForward = -1;
            int fx = 0;
            int fk = 0;
            for (int k = fLo + ((fLo - c) & 1); k <= fHi; k += 2) {
                if (fd[k] >= 0 && 2 * fd[k] - k > bestForward) {
                    bestForward = 2 * fd[k] - k;
                    fx = fd[k];
                    fk = k;
                }
            }
            int bestBackward = INT_MAX;
            int bx = 0;
            int bk = 0;
            for (int k = bLo + ((bLo - delta - c) & 1); k <= bHi; k += 2) {
                if (bd[k] <= n && 2 * bd[k] - k < bestBackward) {
                    bestBackward = 2 * bd[k] - k;
                    bx = bd[k];
                    bk = k;
                }
            }
            const bool forwardFurther = bestBackward == INT_MAX ||
                                        (bestForward >= 0 && bestForward >= n + m - bestBackward);
            if (forwardFurther && bestForward >= 0)
                return accept(fx, fx - fk);
            if (bestBackward != INT_MAX)
                return accept(bx, bx - bk);
            return false;
        }
    }
}

} // namespace

void myersDiff(const int *a, int n, const int *b, int m, std::uint8_t *changedA,
               std::uint8_t *changedB, int costLimit, Ticker *ticker)
{
    if (n <= 0 && m <= 0)
        return;
    thread_local std::vector<int> forward;
    thread_local std::vector<int> backward;
    thread_local std::vector<Range> stack;
    Myers(a, b, changedA, changedB, costLimit, ticker, forward, backward, stack)
        .run(std::max(n, 0), std::max(m, 0));
}

int defaultCostLimit(int n, int m)
{
    // About the square root of the input size, but never so small that ordinary inputs lose
    // their minimal answer.
    const double root = std::sqrt(double(n) + double(m));
    return std::clamp(int(root), 256, 4096);
}

} // namespace pw::diff::detail
