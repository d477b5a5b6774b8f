// Histogram-indexed matching: find common runs through an occurrence index, chain the best
// non-crossing set of them, solve the gaps the same way.
#include "compare/engine/histogram.h"

#include "compare/engine/myers.h"
#include "compare/engine/ticker.h"

#include <algorithm>

namespace pw::diff::detail {
namespace {

struct Range
{
    int a0, a1, b0, b1;
};

// Per line value, valid only while stamp equals the matcher's current stamp.
struct Slot
{
    std::uint32_t stamp = 0;
    int count = 0;         // occurrences in the current first range
    int last = -1;         // last occurrence in the current first range; older ones via m_previous
    std::uint32_t inB = 0; // equals the current stamp when the value occurs in the second range
};

// Runs shorter than this count only when one of their lines occurs at most RareOccurrences times.
constexpr int ShortRun = 3;
constexpr int RareOccurrences = 4;
// At most this many runs per line of a range are kept: text made of a few lines repeated in any
// order could otherwise yield runs by the hundred per line, and any subset of runs still gives
// valid anchors.
constexpr std::size_t RunsPerLine = 8;

// Lines [a, a + length) of the first text equal [b, b + length) of the second.
struct Run
{
    int a;
    int b;
    int length;
};

class HistogramMatcher
{
public:
    HistogramMatcher(const std::vector<int> &a, const std::vector<int> &b, int distinct,
                     std::vector<std::uint8_t> &changedA, std::vector<std::uint8_t> &changedB,
                     Ticker &ticker)
        : m_a(a.data()), m_b(b.data()), m_changedA(changedA.data()), m_changedB(changedB.data()),
          m_slots(std::size_t(std::max(distinct, 1))), m_previous(a.size()), m_ticker(ticker)
    {}

    void run(int n, int m)
    {
        std::vector<Range> stack{{0, n, 0, m}};
        while (!stack.empty()) {
            const Range r = stack.back();
            stack.pop_back();
            solve(r, stack);
        }
    }

private:
    void solve(Range r, std::vector<Range> &stack);
    // Fills m_runs with the common runs of the range; false when there are none. frequent tells
    // whether lines were passed over for occurring too often.
    bool findRuns(const Range &r, bool &frequent);
    bool lookedUp(int value) const
    {
        const Slot &s = m_slots[std::size_t(value)];
        return s.stamp == m_stamp && s.count <= MaxOccurrences;
    }
    bool hasRareLine(const Run &run) const
    {
        for (int k = 0; k < run.length; ++k)
            if (m_slots[std::size_t(m_a[run.a + k])].count <= RareOccurrences)
                return true;
        return false;
    }
    bool recordedBefore(const Range &r, int i, int j) const
    {
        for (--i, --j; i >= r.a0 && j >= r.b0 && m_a[i] == m_b[j]; --i, --j)
            if (lookedUp(m_b[j]))
                return true;
        return false;
    }
    // Replaces m_runs with its heaviest chain, in order.
    void chainRuns(const Range &r);
    // Indices of m_runs ordered by key (a first-text position within r), stable.
    template <typename Key> std::vector<int> orderBy(const Range &r, Key key) const
    {
        std::vector<int> start(std::size_t(r.a1 - r.a0) + 2, 0);
        for (std::size_t i = 0; i < m_runs.size(); ++i)
            ++start[std::size_t(key(i) - r.a0) + 1];
        for (std::size_t p = 1; p < start.size(); ++p)
            start[p] += start[p - 1];
        std::vector<int> order(m_runs.size());
        for (std::size_t i = 0; i < m_runs.size(); ++i)
            order[std::size_t(start[std::size_t(key(i) - r.a0)]++)] = int(i);
        return order;
    }
    void fallback(const Range &r);
    void nextStamp();

    void markAll(const Range &r)
    {
        std::fill(m_changedA + r.a0, m_changedA + r.a1, std::uint8_t(1));
        std::fill(m_changedB + r.b0, m_changedB + r.b1, std::uint8_t(1));
        m_ticker.advance(std::int64_t(r.a1 - r.a0) + (r.b1 - r.b0));
    }

    const int *m_a;
    const int *m_b;
    std::uint8_t *m_changedA;
    std::uint8_t *m_changedB;
    std::vector<Slot> m_slots;
    std::vector<int> m_previous; // per first-text line: its previous occurrence in the range
    std::uint32_t m_stamp = 0;
    std::vector<Run> m_runs;
    Ticker &m_ticker;
};

void HistogramMatcher::nextStamp()
{
    if (++m_stamp == 0) {
        for (Slot &s : m_slots)
            s = Slot{};
        m_stamp = 1;
    }
}

void HistogramMatcher::solve(Range r, std::vector<Range> &stack)
{
    int trimmed = 0;
    while (r.a0 < r.a1 && r.b0 < r.b1 && m_a[r.a0] == m_b[r.b0]) {
        ++r.a0;
        ++r.b0;
        ++trimmed;
    }
    while (r.a0 < r.a1 && r.b0 < r.b1 && m_a[r.a1 - 1] == m_b[r.b1 - 1]) {
        --r.a1;
        --r.b1;
        ++trimmed;
    }
    m_ticker.advance(2 * std::int64_t(trimmed));
    if (r.a0 == r.a1 || r.b0 == r.b1) {
        markAll(r);
        return;
    }
    bool frequent = false;
    if (!findRuns(r, frequent)) {
        if (frequent)
            fallback(r);
        else
            markAll(r); // nothing in common at all
        return;
    }
    chainRuns(r);
    // Gaps between anchors, pushed last first so that the text is solved from its start.
    int aEnd = r.a1;
    int bEnd = r.b1;
    for (auto it = m_runs.rbegin(); it != m_runs.rend(); ++it) {
        stack.push_back({it->a + it->length, aEnd, it->b + it->length, bEnd});
        aEnd = it->a;
        bEnd = it->b;
        m_ticker.advance(2 * std::int64_t(it->length));
    }
    stack.push_back({r.a0, aEnd, r.b0, bEnd});
}

bool HistogramMatcher::findRuns(const Range &r, bool &frequent)
{
    nextStamp();
    for (int i = r.a0; i < r.a1; ++i) {
        Slot &s = m_slots[std::size_t(m_a[i])];
        if (s.stamp != m_stamp) {
            s.stamp = m_stamp;
            s.count = 0;
            s.last = -1;
        }
        m_previous[std::size_t(i)] = s.last;
        s.last = i;
        ++s.count;
    }
    m_ticker.work(r.a1 - r.a0);

    m_runs.clear();
    bool chanceOnly = false;
    const std::size_t budget =
        RunsPerLine * (std::size_t(r.a1 - r.a0) + std::size_t(r.b1 - r.b0)) + 4096;
    for (int j = r.b0; j < r.b1; ++j) {
        const Slot &s = m_slots[std::size_t(m_b[j])];
        if (s.stamp != m_stamp)
            continue;
        if (s.count > MaxOccurrences) {
            frequent = true;
            continue;
        }
        // Every maximal run is recorded once, from its first line that is looked up (not too
        // frequent): a pair preceded, along its diagonal, by matching frequent lines and then a
        // matching looked-up line belongs to a run recorded already.
        for (int i = s.last; i >= 0; i = m_previous[std::size_t(i)]) {
            if (recordedBefore(r, i, j))
                continue;
            int as = i;
            int bs = j;
            while (as > r.a0 && bs > r.b0 && m_a[as - 1] == m_b[bs - 1]) {
                --as;
                --bs;
            }
            int ae = i + 1;
            int be = j + 1;
            while (ae < r.a1 && be < r.b1 && m_a[ae] == m_b[be]) {
                ++ae;
                ++be;
            }
            m_ticker.work(ae - as);
            const Run run{as, bs, ae - as};
            if (run.length < ShortRun && !hasRareLine(run))
                chanceOnly = true;
            else if (m_runs.size() < budget)
                m_runs.push_back(run);
        }
    }
    // Short runs of common lines ("}", a blank line) mostly match by chance; they are left to
    // the gaps, where they are rarer. A range with nothing else in common is as good as one made
    // of frequent lines only: Myers' algorithm weighs such chance matches best.
    if (m_runs.empty() && chanceOnly)
        frequent = true;
    return !m_runs.empty();
}

void HistogramMatcher::chainRuns(const Range &r)
{
    // Heaviest chain of runs that end, in both texts, before the next one starts: runs in order
    // of their start in the first text; a run becomes available to later runs once the sweep has
    // passed its end there; a prefix-maximum tree over second-text end positions answers "best
    // chain ending at or before this start".
    //
    // Runs on neighbouring diagonals often overlap by a few lines where one ends and the next
    // begins (a line repeated at a block boundary). So that such a pair can still chain, every run
    // also enters shortened at its head by 1, 2, 4, 8... lines; lines given up that way come back
    // when the gap between the anchors is solved.
    if (m_runs.size() == 1)
        return;
    const std::size_t found = m_runs.size();
    for (std::size_t i = 0; i < found; ++i) {
        const Run run = m_runs[i];
        for (int cut = 1; cut < run.length; cut *= 2)
            m_runs.push_back(Run{run.a + cut, run.b + cut, run.length - cut});
    }
    const std::size_t k = m_runs.size();
    // Runs in order of their start in the first text (ties keep the second text's order), and
    // the order of their ends there; counting sorts, as positions lie within the range.
    const std::vector<int> byStart = orderBy(r, [this](std::size_t i) { return m_runs[i].a; });
    std::vector<Run> sorted(k);
    for (std::size_t i = 0; i < k; ++i)
        sorted[i] = m_runs[std::size_t(byStart[i])];
    m_runs.swap(sorted);
    const std::vector<int> byEnd =
        orderBy(r, [this](std::size_t i) { return m_runs[i].a + m_runs[i].length; });

    struct Best
    {
        long long weight = 0;
        int run = -1;
    };
    const std::size_t width = std::size_t(r.b1 - r.b0) + 1;
    std::vector<Best> tree(width + 1);
    auto update = [&](int position, Best value) {
        for (std::size_t p = std::size_t(position) + 1; p <= width; p += p & (~p + 1)) {
            if (value.weight <= tree[p].weight)
                break; // every node above covers this one and is at least as heavy
            tree[p] = value;
        }
    };
    auto query = [&](int position) {
        Best best;
        for (std::size_t p = std::size_t(position) + 1; p > 0; p -= p & (~p + 1))
            if (tree[p].weight > best.weight)
                best = tree[p];
        return best;
    };

    std::vector<long long> weight(k);
    std::vector<int> previous(k, -1);
    std::size_t released = 0;
    Best overall;
    for (std::size_t index = 0; index < k; ++index) {
        const Run &run = m_runs[index];
        for (; released < k && m_runs[std::size_t(byEnd[released])].a +
                                       m_runs[std::size_t(byEnd[released])].length <=
                                   run.a;
             ++released) {
            const int done = byEnd[released];
            const Run &d = m_runs[std::size_t(done)];
            update(d.b + d.length - r.b0, Best{weight[std::size_t(done)], done});
        }
        const Best before = query(run.b - r.b0);
        weight[index] = before.weight + run.length;
        previous[index] = before.run;
        if (weight[index] > overall.weight)
            overall = Best{weight[index], int(index)};
    }
    std::vector<Run> chain;
    for (int at = overall.run; at >= 0; at = previous[std::size_t(at)])
        chain.push_back(m_runs[std::size_t(at)]);
    std::reverse(chain.begin(), chain.end());
    m_runs = std::move(chain);
}

// Every common line of the range is frequent. Lines that occur on one side only cannot be matched
// and are set aside before Myers' algorithm runs on the rest.
void HistogramMatcher::fallback(const Range &r)
{
    for (int j = r.b0; j < r.b1; ++j)
        m_slots[std::size_t(m_b[j])].inB = m_stamp; // A's slots still carry the stamp
    std::vector<int> seqA;
    std::vector<int> posA;
    for (int i = r.a0; i < r.a1; ++i) {
        if (m_slots[std::size_t(m_a[i])].inB == m_stamp) {
            seqA.push_back(m_a[i]);
            posA.push_back(i);
        } else {
            m_changedA[i] = 1;
        }
    }
    std::vector<int> seqB;
    std::vector<int> posB;
    for (int j = r.b0; j < r.b1; ++j) {
        if (m_slots[std::size_t(m_b[j])].stamp == m_stamp) {
            seqB.push_back(m_b[j]);
            posB.push_back(j);
        } else {
            m_changedB[j] = 1;
        }
    }
    std::vector<std::uint8_t> flagsA(seqA.size());
    std::vector<std::uint8_t> flagsB(seqB.size());
    const int n = int(seqA.size());
    const int m = int(seqB.size());
    myersDiff(seqA.data(), n, seqB.data(), m, flagsA.data(), flagsB.data(), defaultCostLimit(n, m),
              &m_ticker);
    for (int i = 0; i < n; ++i)
        if (flagsA[std::size_t(i)])
            m_changedA[posA[std::size_t(i)]] = 1;
    for (int j = 0; j < m; ++j)
        if (flagsB[std::size_t(j)])
            m_changedB[posB[std::size_t(j)]] = 1;
    m_ticker.advance(std::int64_t(r.a1 - r.a0) + (r.b1 - r.b0));
}

} // namespace

void histogramDiff(const std::vector<int> &a, const std::vector<int> &b, int distinct,
                   std::vector<std::uint8_t> &changedA, std::vector<std::uint8_t> &changedB,
                   Ticker &ticker)
{
    HistogramMatcher(a, b, distinct, changedA, changedB, ticker).run(int(a.size()), int(b.size()));
}

} // namespace pw::diff::detail
