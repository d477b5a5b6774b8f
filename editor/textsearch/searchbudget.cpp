// The time budget, cancel token and progress report of one search command.
#include "editor/textsearch/searchbudget.h"

#include <algorithm>
#include <ctime>

namespace pw::search {

namespace {

// How often the processor time is read: the searching thread's clock costs a system call.
constexpr auto CpuCheckInterval = std::chrono::milliseconds(5);

// The processor time the calling thread has used.
std::chrono::nanoseconds threadCpuTime()
{
#if defined(CLOCK_THREAD_CPUTIME_ID)
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0)
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
#endif
    return std::chrono::steady_clock::now().time_since_epoch();
}

} // namespace

SearchBudget::SearchBudget(std::chrono::milliseconds time, const std::atomic<bool> *cancel,
                           std::function<void(qsizetype)> progress)
    : m_started(Clock::now()), m_time(time), m_bounded(time.count() > 0),
      m_thread(std::this_thread::get_id()), m_cpuStart(threadCpuTime()), m_cancel(cancel),
      m_progress(std::move(progress))
{
    m_nextCpuCheck = m_started + CpuCheckInterval;
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
    if (m_bounded && now >= m_nextCpuCheck) {
        m_nextCpuCheck = now + CpuCheckInterval;
        // A budget made on one thread and spent on another counts from its first check there.
        if (m_thread != std::this_thread::get_id()) {
            m_thread = std::this_thread::get_id();
            m_cpuStart = threadCpuTime();
        } else if (threadCpuTime() - m_cpuStart >= m_time) {
            m_exhausted = true;
            m_reason = StopReason::Budget;
            return false;
        }
    }
    return true;
}

std::chrono::milliseconds SearchBudget::elapsed() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_started);
}

} // namespace pw::search
