// CompareJob: the comparison, its unified diff and the bytes around a binary difference, off the
// user-interface thread.
#include "compare/compareworker.h"

#include "compare/engine/unifieddiff.h"

#include <QDir>
#include <QFile>

namespace pw::compare {

namespace {

QByteArray readWindow(const QString &path, std::int64_t offset)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return {};
    return file.read(CompareOutcome::WindowBytes);
}

} // namespace

QString writeScratch(const diff::FileComparison &comparison, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    diff::UnifiedOptions labels;
    labels.firstLabel = QDir::toNativeSeparators(comparison.first.path).toStdString();
    labels.secondLabel = QDir::toNativeSeparators(comparison.second.path).toStdString();
    bool ok = true;
    if (comparison.status == diff::CompareStatus::Compared) {
        // Straight to the file: the diff of two large files need not exist twice in memory.
        diff::writeUnifiedDiff(comparison.first.text, comparison.second.text, comparison.diff,
                               labels, [&](std::string_view piece) {
                                   ok = ok && file.write(piece.data(), qint64(piece.size())) ==
                                                  qint64(piece.size());
                               });
    } else {
        const std::string text = diff::unifiedDiff(comparison, labels);
        ok = file.write(text.data(), qint64(text.size())) == qint64(text.size());
    }
    if (!ok || !file.flush())
        return file.errorString();
    return {};
}

CompareJob::CompareJob(QString first, QString second, QString scratch, diff::DiffOptions options,
                       Finished finished)
{
    m_thread = std::thread([this, first = std::move(first), second = std::move(second),
                            scratch = std::move(scratch), options, finished = std::move(finished)] {
        run(first, second, scratch, options, finished);
    });
}

CompareJob::~CompareJob()
{
    m_cancel.cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void CompareJob::run(const QString &first, const QString &second, const QString &scratch,
                     const diff::DiffOptions &options, const Finished &finished)
{
    auto outcome = std::make_shared<CompareOutcome>();
    diff::DiffControl control;
    control.cancel = &m_cancel;
    control.progress = [this](int permille) {
        m_permille.store(permille, std::memory_order_relaxed);
    };
    outcome->comparison = diff::compareFiles(first, second, options, control);
    const diff::FileComparison &comparison = outcome->comparison;
    if (comparison.status == diff::CompareStatus::Cancelled || m_cancel.isCancelled())
        return;
    if (comparison.status == diff::CompareStatus::Compared)
        outcome->layout.emplace(comparison.diff);
    if (comparison.status == diff::CompareStatus::Binary && comparison.firstDifference) {
        outcome->windowOffset =
            *comparison.firstDifference / CompareOutcome::WindowBytes * CompareOutcome::WindowBytes;
        outcome->firstWindow = readWindow(first, outcome->windowOffset);
        outcome->secondWindow = readWindow(second, outcome->windowOffset);
    }
    if (!scratch.isEmpty() && comparison.status != diff::CompareStatus::Failed)
        outcome->scratchError = writeScratch(comparison, scratch);
    if (!m_cancel.isCancelled())
        finished(std::move(outcome));
}

} // namespace pw::compare
