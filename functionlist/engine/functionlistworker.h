// The function-list worker: one thread that parses the latest requested text copy.
#pragma once

#include "functionlist/engine/functionparser.h"

#include <QByteArray>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace pw::functionlist {

struct ParseRequest
{
    QByteArray text; // a private copy of the document's text
    int lexerId = 0;
    bool forced = false;
    bool utf8 = false;  // the text is UTF-8 rather than single bytes
    quint64 serial = 0; // given by post(); later requests have larger serials
};

// Lives as long as its owner (the pane). post() wakes the thread with a request; a request that
// arrives while a parse runs stops that parse and takes its place, and a request still waiting is
// replaced. Results of parses that ran to their end (complete, not supported or incomplete) go to
// the handler on the worker thread; the owner moves them to its own thread. Destroying the
// worker stops a running parse and waits for the thread; no handler call happens after that.
class FunctionListWorker
{
public:
    using ResultHandler = std::function<void(const ParseRequest &request, ParseResult result)>;

    explicit FunctionListWorker(ResultHandler handler, ParseOptions options = {});
    ~FunctionListWorker();
    FunctionListWorker(const FunctionListWorker &) = delete;
    FunctionListWorker &operator=(const FunctionListWorker &) = delete;

    // Queues a parse and returns its serial.
    quint64 post(QByteArray text, int lexerId, bool forced = false, bool utf8 = false);
    // Drops a waiting request and stops the running parse; nothing is delivered for either.
    void cancel();
    // A request waits or a parse runs.
    bool isBusy() const;
    // Waits until the worker is idle; false when timeoutMs passed first.
    bool waitForIdle(int timeoutMs) const;
    // Serial of the last request posted (0 before the first).
    quint64 lastSerial() const;

private:
    void run(std::stop_token stop);

    ResultHandler m_handler;
    ParseOptions m_options;
    mutable std::mutex m_mutex;
    mutable std::condition_variable_any m_wake;
    mutable std::condition_variable m_idle;
    std::optional<ParseRequest> m_pending;
    std::stop_source m_running; // stops the parse in progress
    bool m_busy = false;
    quint64 m_serial = 0;
    std::jthread m_thread; // last: started when everything above exists
};

} // namespace pw::functionlist
