// The time budget, cancel token and progress report of one search command.
#include "editor/textsearch/searchbudget.h"

#include <algorithm>

namespace pw::search {

SearchBudget::SearchBudget(std::chrono::milliseconds time, const std::atomic<bool> *cancel,
                           std::function<void(qsizetype)> progress)
    : m_started(Clock::now()), m_bounded(time.count() > 0), m_cancel(cancel),
      m_progress(std::move(progress))
{
    m_deadline = m_started + time;
    m_nextProgress = m_started + ProgressInterval;
}

std::chrono::milliseconds SearchBudget::timeForText(qsizetype bytes)
{
    return DefaultTime + std::chrono::milliseconds(std::max<qsizetype>(bytes, 0) / (2 << 20) * 1000);
}

bool SearchBudget::keepGoing(qsizetype position, Clock::time_point now)
{
    if (m_exhausted)
        return false;
    if (m_progress && now >= m_nextProgress) {
        m_nextProgress = now + ProgressInterval;
        m_progress(position);
    }
    if (m_cancel && m_cancel->load(std::memory_order_relaxed)) {
        m_exhausted = true;
        m_reason = StopReason::Cancelled;
        return false;
    }
    if (m_bounded && now >= m_deadline) {
        m_exhausted = true;
        m_reason = StopReason::Budget;
        return false;
    }
    return true;
}

std::chrono::milliseconds SearchBudget::elapsed() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_started);
}

} // namespace pw::search
