// Deletion of superseded backup copies off the save's path.
#include "backup/engine/removalqueue.h"

#include "backup/engine/filecopy.h"

#include <QFile>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pw::backup {

#ifdef Q_OS_UNIX

namespace {

class RemovalQueue
{
public:
    ~RemovalQueue()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        // Whatever is queued still goes: the worker only ends on an empty queue.
        if (m_worker.joinable())
            m_worker.join();
    }

    void push(QByteArray path)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_paths.push_back(std::move(path));
            if (!m_worker.joinable())
                m_worker = std::thread([this] { run(); });
        }
        m_wake.notify_one();
    }

    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_paths.empty() && !m_busy; });
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || !m_paths.empty(); });
            if (m_paths.empty())
                return;
            const QByteArray path = std::move(m_paths.front());
            m_paths.pop_front();
            m_busy = true;
            lock.unlock();
            ::unlink(path.constData());
            lock.lock();
            m_busy = false;
            if (m_paths.empty())
                m_idle.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<QByteArray> m_paths;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_worker;
};

RemovalQueue &queue()
{
    static RemovalQueue instance;
    return instance;
}

} // namespace

void removeFileLater(const QString &path)
{
    queue().push(QFile::encodeName(path));
}

void waitForPendingRemovals()
{
    queue().wait();
}

#else

void removeFileLater(const QString &path)
{
    removeFile(path);
}

void waitForPendingRemovals() {}

#endif

} // namespace pw::backup
