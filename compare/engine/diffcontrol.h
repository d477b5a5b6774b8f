// Cancellation and progress reporting for comparisons that may run for seconds on a worker thread.
#pragma once

#include <atomic>
#include <functional>

namespace pw::diff {

// Set from any thread (typically the window that no longer wants the result); the comparison
// polls it and gives up within a few milliseconds.
class CancelToken
{
public:
    void cancel() noexcept { m_cancelled.store(true, std::memory_order_relaxed); }
    void reset() noexcept { m_cancelled.store(false, std::memory_order_relaxed); }
    bool isCancelled() const noexcept { return m_cancelled.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancelled{false};
};

// Receives the share of the work done, in permille (0..1000, never decreasing during one call of
// the engine). It runs on the thread doing the comparison, only when the value changes, so at most
// about a thousand times per comparison; it must not call back into the engine.
using ProgressCallback = std::function<void(int permille)>;

// What a long comparison is given besides its data. Both members are optional.
struct DiffControl
{
    const CancelToken *cancel = nullptr;
    ProgressCallback progress;
};

} // namespace pw::diff
