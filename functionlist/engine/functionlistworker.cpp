// The function-list worker thread: waits for a request, parses it, hands the result over.
#include "functionlist/engine/functionlistworker.h"

#include <chrono>

namespace pw::functionlist {

FunctionListWorker::FunctionListWorker(ResultHandler handler, ParseOptions options)
    : m_handler(std::move(handler)), m_options(options),
      m_thread([this](std::stop_token stop) { run(std::move(stop)); })
{}

FunctionListWorker::~FunctionListWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending.reset();
        m_running.request_stop();
    }
    // The jthread asks the loop to stop (waking its wait) and joins.
    m_thread.request_stop();
    if (m_thread.joinable())
        m_thread.join();
}

quint64 FunctionListWorker::post(QByteArray text, int lexerId, bool forced, bool utf8)
{
    std::lock_guard lock(m_mutex);
    m_pending = ParseRequest{std::move(text), lexerId, forced, utf8, ++m_serial};
    m_running.request_stop();
    m_wake.notify_one();
    return m_serial;
}

void FunctionListWorker::cancel()
{
    std::lock_guard lock(m_mutex);
    m_pending.reset();
    m_running.request_stop();
}

bool FunctionListWorker::isBusy() const
{
    std::lock_guard lock(m_mutex);
    return m_busy || m_pending.has_value();
}

bool FunctionListWorker::waitForIdle(int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !m_busy && !m_pending; });
}

quint64 FunctionListWorker::lastSerial() const
{
    std::lock_guard lock(m_mutex);
    return m_serial;
}

void FunctionListWorker::run(std::stop_token stop)
{
    // Compiled patterns outlive single parses: the same language comes back again and again.
    PatternCache cache;
    while (true) {
        ParseRequest request;
        std::stop_token parseStop;
        {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait(lock, stop, [this] { return m_pending.has_value(); }))
                return;
            request = std::move(*m_pending);
            m_pending.reset();
            m_running = std::stop_source();
            parseStop = m_running.get_token();
            m_busy = true;
        }
        ParseOptions options = m_options;
        options.utf8 = request.utf8;
        ParseResult result =
            parseFunctions(request.text, request.lexerId, parseStop, options, &cache);
        const bool deliver = result.status != ParseStatus::Cancelled &&
                             !parseStop.stop_requested() && !stop.stop_requested();
        if (deliver)
            m_handler(request, std::move(result));
        {
            std::lock_guard lock(m_mutex);
            m_busy = false;
            if (!m_pending)
                m_idle.notify_all();
        }
    }
}

} // namespace pw::functionlist
