// File-level comparison: detection and decoding as open does it, byte comparison of binary files.
#include "compare/engine/filecompare.h"

#include "compare/engine/linediff.h"
#include "compare/engine/ticker.h"
#include "editor/encoding/encodingdetector.h"
#include "editor/encoding/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <vector>

namespace pw::diff {
namespace {

constexpr std::int64_t BinaryChunk = 1 << 20;
// Share of the progress scale spent reading.
constexpr int ReadPermille = 250;
// Lines are counted in int: a text file larger than this could hold more lines than that.
constexpr std::int64_t MaxTextBytes = 0x7FFFFFFF;

QString display(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Checks the path and samples the file; false with comparison's error set when it cannot be read.
bool inspect(const QString &path, Side side, ComparedFile &file, FileComparison &comparison)
{
    file.path = path;
    const QFileInfo info(path);
    QString error;
    if (path.isEmpty())
        error = QStringLiteral("No file was given to compare");
    else if (!info.exists())
        error = QStringLiteral("The file \"%1\" does not exist").arg(display(path));
    else if (info.isDir())
        error = QStringLiteral("\"%1\" is a folder, not a file").arg(display(path));
    else if (!info.isFile())
        error = QStringLiteral("\"%1\" is not a regular file").arg(display(path));
    if (error.isEmpty()) {
        enc::EncodingDetector detector;
        if (!detector.detect(path)) {
            QFile probe(path);
            error = probe.open(QIODevice::ReadOnly)
                        ? QStringLiteral("The file \"%1\" cannot be read").arg(display(path))
                        : QStringLiteral("The file \"%1\" cannot be opened: %2")
                              .arg(display(path), probe.errorString());
        } else {
            // A sample that cannot tell UTF-8 from Windows-1252 leaves it to the whole file, as
            // the open routine does (readText settles it).
            file.encoding = detector.isUndetermined() ? enc::Auto : detector.encoding();
            file.markLength = detector.markLength();
            file.binary = detector.isBinary();
            file.size = info.size();
            // UTF-16 grows by half when decoded to UTF-8.
            const std::int64_t decoded =
                enc::unitSize(file.encoding) == 2 ? file.size / 2 * 3 : file.size;
            if (!file.binary && decoded > MaxTextBytes)
                error = QStringLiteral("The file \"%1\" is too large to compare as text (%2 bytes)")
                            .arg(display(path))
                            .arg(file.size);
        }
    }
    if (error.isEmpty())
        return true;
    comparison.status = CompareStatus::Failed;
    comparison.failedSide = side;
    comparison.error = error;
    return false;
}

bool readText(ComparedFile &file, Side side, const DiffOptions &options, detail::Ticker &ticker,
              FileComparison &comparison)
{
    enc::TextFileReader reader;
    QString error;
    std::string bytes;
    if (reader.open(file.path, file.encoding, file.markLength, &error)) {
        file.markLength = reader.markLength();
        bytes.reserve(std::size_t(reader.size()));
        std::string chunk;
        std::int64_t before = 0;
        for (;;) {
            while (reader.nextChunk(chunk)) {
                bytes += chunk;
                ticker.advance(std::max<std::int64_t>(0, reader.position() - before));
                before = std::max(before, reader.position());
            }
            // Mostly UTF-8 with a stray 8-bit byte far in: the file is read again as Ansi, as
            // the open routine reads it.
            if (!reader.restartRequired())
                break;
            bytes.clear();
            if (!reader.restartAsAnsi(&error))
                break;
        }
        if (error.isEmpty() && reader.hasError())
            error = reader.errorString();
    }
    if (!error.isEmpty()) {
        comparison.status = CompareStatus::Failed;
        comparison.failedSide = side;
        comparison.error =
            QStringLiteral("The file \"%1\" cannot be read: %2").arg(display(file.path), error);
        return false;
    }
    file.encoding = reader.encoding();
    file.text = DiffText(std::move(bytes), options.lineSplit);
    return true;
}

bool openRaw(QFile &file, const ComparedFile &compared, Side side, FileComparison &comparison)
{
    file.setFileName(compared.path);
    if (file.open(QIODevice::ReadOnly))
        return true;
    comparison.status = CompareStatus::Failed;
    comparison.failedSide = side;
    comparison.error = QStringLiteral("The file \"%1\" cannot be opened: %2")
                           .arg(display(compared.path), file.errorString());
    return false;
}

void compareBytes(FileComparison &comparison, detail::Ticker &ticker)
{
    QFile a;
    QFile b;
    if (!openRaw(a, comparison.first, Side::First, comparison) ||
        !openRaw(b, comparison.second, Side::Second, comparison))
        return;
    ticker.setPhase(0, 1000, std::max(a.size(), b.size()));
    std::vector<char> bufferA(static_cast<std::size_t>(BinaryChunk));
    std::vector<char> bufferB(static_cast<std::size_t>(BinaryChunk));
    std::int64_t offset = 0;
    for (;;) {
        const qint64 na = a.read(bufferA.data(), BinaryChunk);
        const qint64 nb = b.read(bufferB.data(), BinaryChunk);
        if (na < 0 || nb < 0) {
            const bool firstFailed = na < 0;
            comparison.status = CompareStatus::Failed;
            comparison.failedSide = firstFailed ? Side::First : Side::Second;
            comparison.error =
                QStringLiteral("The file \"%1\" cannot be read: %2")
                    .arg(display(firstFailed ? comparison.first.path : comparison.second.path),
                         (firstFailed ? a : b).errorString());
            return;
        }
        const qint64 common = std::min(na, nb);
        if (std::memcmp(bufferA.data(), bufferB.data(), std::size_t(common)) != 0) {
            qint64 i = 0;
            while (bufferA[std::size_t(i)] == bufferB[std::size_t(i)])
                ++i;
            comparison.firstDifference = offset + i;
            break;
        }
        if (na != nb) {
            comparison.firstDifference = offset + common;
            break;
        }
        if (na == 0)
            break;
        offset += na;
        ticker.advance(na);
    }
    comparison.first.size = a.size();
    comparison.second.size = b.size();
    comparison.status = CompareStatus::Binary;
    ticker.finishPhase();
}

} // namespace

FileComparison compareFiles(const QString &first, const QString &second, const DiffOptions &options,
                            const DiffControl &control)
{
    FileComparison comparison;
    detail::Ticker ticker(control);
    try {
        if (!inspect(first, Side::First, comparison.first, comparison) ||
            !inspect(second, Side::Second, comparison.second, comparison))
            return comparison;
        if (comparison.first.binary || comparison.second.binary) {
            compareBytes(comparison, ticker);
            return comparison;
        }
        ticker.setPhase(0, ReadPermille, comparison.first.size + comparison.second.size);
        if (!readText(comparison.first, Side::First, options, ticker, comparison) ||
            !readText(comparison.second, Side::Second, options, ticker, comparison))
            return comparison;
        comparison.diff = detail::diffTexts(comparison.first.text, comparison.second.text, options,
                                            ticker, ReadPermille, 1000);
        comparison.status = CompareStatus::Compared;
    } catch (const detail::Cancelled &) {
        FileComparison cancelled;
        cancelled.status = CompareStatus::Cancelled;
        cancelled.first.path = first;
        cancelled.second.path = second;
        return cancelled;
    }
    return comparison;
}

std::string unifiedDiff(const FileComparison &comparison, const UnifiedOptions &options)
{
    switch (comparison.status) {
    case CompareStatus::Compared:
        return unifiedDiff(comparison.first.text, comparison.second.text, comparison.diff, options);
    case CompareStatus::Binary:
        if (comparison.firstDifference)
            return "Binary files " + options.firstLabel + " and " + options.secondLabel +
                   " differ\n";
        return {};
    case CompareStatus::Cancelled:
    case CompareStatus::Failed:
        break;
    }
    return {};
}

} // namespace pw::diff
