// Progress slices and cancel polling for the diff engine.
#include "compare/engine/ticker.h"

#include <algorithm>

namespace pw::diff::detail {

void Ticker::setPhase(int from, int to, std::int64_t total)
{
    m_from = from;
    m_to = std::max(from, to);
    m_total = std::max<std::int64_t>(total, 1);
    m_done = 0;
    m_sincePoll = 0;
    check();
    report(m_from);
}

void Ticker::check()
{
    if (cancelRequested())
        throw Cancelled{};
}

void Ticker::finishPhase()
{
    check();
    report(m_to);
}

void Ticker::poll()
{
    m_sincePoll = 0;
    check();
    const std::int64_t done = std::min(m_done, m_total);
    report(m_from + int((m_to - m_from) * done / m_total));
}

void Ticker::report(int permille)
{
    permille = std::clamp(permille, 0, 1000);
    // Never backwards: an estimate may overshoot in one phase and start lower in the next.
    if (permille <= m_reported)
        return;
    m_reported = permille;
    if (m_control.progress)
        m_control.progress(permille);
}

} // namespace pw::diff::detail
