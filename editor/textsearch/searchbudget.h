// What one search command may spend, how it is watched and how it is stopped from outside.
#pragma once

#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace pw::search {

// Why a search ended without an answer while text remained unsearched.
enum class StopReason {
    // The command's time budget ran out.
    Budget,
    // The cancel token was set.
    Cancelled,
    // One start position needed more backtracking than a start position may use
    // (SearchLimits::matchLimit), and nothing was found after it.
    HardPosition,
};

// Where and why a search stopped. position is a byte offset of the searched text: the start
// position the search had reached (for HardPosition, the first position passed over).
struct StopPoint
{
    StopReason reason = StopReason::Budget;
    qsizetype position = -1;
};

// The bound and the controls of one command's searching (a Find Next, a Replace All, a parse):
// every target search of the command draws on the same budget. The bound is processor time of
// the searching thread, counted from when the budget is made, so that a busy machine stretches
// a search in time but never cuts legitimate work short; the user's way out of a long run is the
// cancel token. The engine asks keepGoing() between pieces of work of a few milliseconds each,
// so a cancel is seen within about 100 ms and the budget is overrun by no more than that.
class SearchBudget
{
public:
    using Clock = std::chrono::steady_clock;

    // The time a command gets when its caller names none.
    static constexpr std::chrono::milliseconds DefaultTime{10'000};
    // The progress callback is called at most this often.
    static constexpr std::chrono::milliseconds ProgressInterval{25};

    // time: the processor-time budget of the whole command, zero for none. cancel: read (relaxed) at
    // every check; the command stops once it holds true. progress: called on the searching
    // thread with the position reached (a byte offset of the text being searched); it may set
    // the cancel token.
    explicit SearchBudget(std::chrono::milliseconds time = DefaultTime,
                          const std::atomic<bool> *cancel = nullptr,
                          std::function<void(qsizetype position)> progress = {});

    // A budget for a command over a text of this many bytes: the default time plus a second for
    // every 2 MiB, so that linear work on a large text is never cut short.
    static std::chrono::milliseconds timeForText(qsizetype bytes);

    // Whether a start position that needs more backtracking than allowed is passed over, the
    // search going on after it (true, the default: a later match is still found), or ends the
    // search at once (for callers that need the exact first match or nothing).
    void setPassOverHardPositions(bool passOver) { m_passOver = passOver; }
    bool passOverHardPositions() const { return m_passOver; }

    // For the engine: false when the command must stop now; the reason then stays set.
    bool keepGoing(qsizetype position) { return keepGoing(position, Clock::now()); }
    bool keepGoing(qsizetype position, Clock::time_point now);
    // Set once the budget ran out or the command was cancelled; every later search stops at once.
    bool exhausted() const { return m_exhausted; }
    StopReason reason() const { return m_reason; }

    // Wall-clock time since the budget was made.
    std::chrono::milliseconds elapsed() const;

private:
    Clock::time_point m_started;
    Clock::time_point m_nextCpuCheck;
    Clock::time_point m_nextProgress;
    std::chrono::milliseconds m_time;
    bool m_bounded = true;
    std::thread::id m_thread;
    std::chrono::nanoseconds m_cpuStart;
    bool m_passOver = true;
    bool m_exhausted = false;
    StopReason m_reason = StopReason::Budget;
    const std::atomic<bool> *m_cancel = nullptr;
    std::function<void(qsizetype)> m_progress;
};

} // namespace pw::search
