// Internal: turns units of work into progress reports and polls the cancel token.
#pragma once

#include "compare/engine/diffcontrol.h"

#include <cstdint>

namespace pw::diff::detail {

// Thrown by Ticker when the token is set; caught at the engine's public entry points only.
struct Cancelled
{
};

// Maps the work of one phase (a count of units) onto a slice of the 0..1000 permille scale.
// advance() is cheap enough to call per line: the token is polled and the callback considered
// only every PollInterval units.
class Ticker
{
public:
    static constexpr std::int64_t PollInterval = 4096;

    explicit Ticker(const DiffControl &control) : m_control(control) {}

    // Starts a phase covering permille [from, to] for total units of work.
    void setPhase(int from, int to, std::int64_t total);
    // Records units of work done in the current phase; throws Cancelled when the token is set.
    void advance(std::int64_t units)
    {
        m_done += units;
        m_sincePoll += units;
        if (m_sincePoll >= PollInterval)
            poll();
    }
    // Counts work that finishes no unit of the phase (a table built, a scan) towards the next
    // poll of the token, so long steps stay cancellable.
    void work(std::int64_t amount)
    {
        m_sincePoll += amount;
        if (m_sincePoll >= PollInterval)
            poll();
    }
    // Polls the token now (for loops whose steps are expensive); throws Cancelled when set.
    void check();
    bool cancelRequested() const { return m_control.cancel && m_control.cancel->isCancelled(); }
    // Reports the end of the current phase.
    void finishPhase();

private:
    void poll();
    void report(int permille);

    const DiffControl &m_control;
    std::int64_t m_total = 0;
    std::int64_t m_done = 0;
    std::int64_t m_sincePoll = 0;
    int m_from = 0;
    int m_to = 0;
    int m_reported = -1;
};

} // namespace pw::diff::detail
