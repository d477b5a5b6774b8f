// CompareJob: one comparison of two files on a thread of its own, stopped at once when cancelled.
#pragma once

#include "compare/engine/filecompare.h"
#include "compare/engine/sidebyside.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace pw::compare {

// What a finished comparison hands to the window.
struct CompareOutcome
{
    diff::FileComparison comparison;
    // The rows of the side-by-side view; Compared only.
    std::optional<diff::SideBySideLayout> layout;
    // Binary files that differ: up to WindowBytes bytes of each file from windowOffset, the
    // 16-byte line holding the first difference.
    static constexpr int WindowBytes = 16;
    std::int64_t windowOffset = 0;
    QByteArray firstWindow;
    QByteArray secondWindow;
    // Why the unified diff could not be written to the scratch file; empty when it was.
    QString scratchError;
};

// Runs compareFiles() and writes the unified diff to the scratch file, on a worker thread. The
// result goes to `finished`, called once on the worker thread unless the job was cancelled.
// Destroying the job cancels it and waits for the worker, which gives up within milliseconds.
class CompareJob
{
public:
    using Finished = std::function<void(std::shared_ptr<CompareOutcome>)>;

    CompareJob(QString first, QString second, QString scratch, diff::DiffOptions options,
               Finished finished);
    ~CompareJob();
    CompareJob(const CompareJob &) = delete;
    CompareJob &operator=(const CompareJob &) = delete;

    void cancel() { m_cancel.cancel(); }
    // Share of the work done, 0 to 1000.
    int permille() const { return m_permille.load(std::memory_order_relaxed); }

private:
    void run(const QString &first, const QString &second, const QString &scratch,
             const diff::DiffOptions &options, const Finished &finished);

    diff::CancelToken m_cancel;
    std::atomic<int> m_permille{0};
    std::thread m_thread;
};

// The unified diff of a comparison, written to path (replacing it); an empty string on success,
// otherwise the reason.
QString writeScratch(const diff::FileComparison &comparison, const QString &path);

} // namespace pw::compare
