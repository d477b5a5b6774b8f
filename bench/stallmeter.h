// The UI thread's heartbeat in benchmarks: the longest the event loop went without a turn.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace pw::bench {

// Ticks every interval while the event loop turns; a gap between ticks is a time the window could
// not answer. A call the benchmark makes itself runs outside the loop: mark() right after it
// counts the time since the last tick as one gap.
class StallMeter
{
public:
    explicit StallMeter(int intervalMs)
    {
        m_ticks.setInterval(intervalMs);
        QObject::connect(&m_ticks, &QTimer::timeout, &m_ticks, [this] { mark(); });
    }

    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_ticks.start();
    }
    void mark()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    void stop()
    {
        mark();
        m_ticks.stop();
    }
    double longestSeconds() const { return double(m_longest) / 1e9; }

private:
    QElapsedTimer m_clock;
    QTimer m_ticks;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace pw::bench
