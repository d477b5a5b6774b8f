// penwright-bench "encoding": the engine alone reading and writing large files, to price the
// whole-file UTF-8 check, the Windows-1252 conversion and a restart.
#include "bench/benchregistry.h"
#include "editor/encoding/textfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <functional>
#include <vector>

using pw::bench::median;
using pw::bench::option;
using namespace pw::enc;

namespace {

constexpr int kRuns = 3;

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

double medianSeconds(const std::function<void()> &work)
{
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(secondsOf(work));
    return median(runs);
}

// Source-like UTF-8 lines with accented letters, about `bytes` long.
std::string utf8Text(std::size_t bytes)
{
    static const char *const lines[] = {
        "    for (int i = 0; i < count; ++i) total += values[i]; // caf\xC3\xA9\n",
        "static const char *name = \"na\xC3\xAFve r\xC3\xA9sum\xC3\xA9\";\n",
        "}\n",
        "/* The quick brown fox jumps over the lazy dog, 0123456789. */\n",
    };
    std::string text;
    text.reserve(bytes + 128);
    for (int i = 0; text.size() < bytes; ++i)
        text += lines[i % 4];
    return text;
}

// A licence header longer than the detection sample, in plain ASCII.
std::string asciiHeader()
{
    std::string header;
    while (header.size() < 2048)
        header += "// Permission is hereby granted, free of charge, to any person obtaining.\n";
    return header;
}

struct Read
{
    DocEncoding encoding = Auto;
    bool restarted = false;
    std::int64_t textBytes = 0;
    bool ok = false;
};

Read readAll(const QString &path, DocEncoding requested)
{
    Read result;
    TextFileReader reader;
    if (!reader.open(path, requested))
        return result;
    std::string chunk;
    for (;;) {
        while (reader.nextChunk(chunk))
            result.textBytes += std::int64_t(chunk.size());
        if (!reader.restartRequired())
            break;
        result.textBytes = 0;
        reader.restartAsAnsi();
    }
    result.ok = !reader.hasError();
    result.encoding = reader.encoding();
    result.restarted = reader.wasRestarted();
    return result;
}

bool writeAll(const QString &path, const std::string &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

double plainReadSeconds(const QString &path)
{
    return medianSeconds([&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        std::vector<char> buffer(262144);
        while (file.read(buffer.data(), qint64(buffer.size())) > 0) {
        }
    });
}

QJsonObject run(const QStringList &args)
{
    const std::size_t mb =
        std::size_t(option(args, QStringLiteral("--mb"), QStringLiteral("100")).toLongLong());
    const std::size_t size = mb * 1000 * 1000;
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("file.txt"));

    const std::string body = utf8Text(size);
    // The text has Latin-1 letters only, so it has a Windows-1252 form.
    std::string ansi;
    Encoder toAnsi(Ansi);
    toAnsi.encode(body, ansi);
    toAnsi.finish(ansi);
    // Each file is made just before it is read, so only one is in memory at a time.
    struct Case
    {
        const char *name;
        std::function<std::string()> bytes;
        DocEncoding requested;
    };
    const std::string header = asciiHeader();
    const std::vector<Case> cases = {
        {"ansi", [&] { return ansi; }, Auto},
        {"utf8_with_mark", [&] { return "\xEF\xBB\xBF" + body; }, Auto},
        {"utf8_late_whole_file_check", [&] { return header + body; }, Auto},
        {"utf8_late_named_no_check", [&] { return header + body; }, Utf8},
        {"utf8_late_then_windows_1252_byte_restart", [&] { return header + body + "\xE9\n"; },
         Auto},
        {"ascii_only_whole_file_check", [&] { return std::string(size, 'a') + "\n"; }, Auto},
    };

    QJsonArray rows;
    double lateChecked = 0;
    double lateNamed = 0;
    for (const Case &c : cases) {
        qint64 fileBytes = 0;
        {
            const std::string bytes = c.bytes();
            fileBytes = qint64(bytes.size());
            if (!writeAll(path, bytes))
                return {{QStringLiteral("error"), QStringLiteral("cannot write the test file")}};
        }
        Read read;
        const double seconds = medianSeconds([&] { read = readAll(path, c.requested); });
        QJsonObject row;
        row[QStringLiteral("case")] = QLatin1String(c.name);
        row[QStringLiteral("file_bytes")] = fileBytes;
        row[QStringLiteral("text_bytes")] = qint64(read.textBytes);
        row[QStringLiteral("ok")] = read.ok;
        row[QStringLiteral("encoding")] = int(read.encoding);
        row[QStringLiteral("restarted")] = read.restarted;
        row[QStringLiteral("read_seconds")] = seconds;
        row[QStringLiteral("plain_read_seconds")] = plainReadSeconds(path);
        rows.append(row);
        if (qstrcmp(c.name, "utf8_late_whole_file_check") == 0)
            lateChecked = seconds;
        if (qstrcmp(c.name, "utf8_late_named_no_check") == 0)
            lateNamed = seconds;
        QFile::remove(path);
    }

    // Saving: the strict Windows-1252 encoder and the check a document runs before saving.
    std::string ansiText;
    Decoder decoder(Ansi);
    decoder.decode(ansi, ansiText);
    decoder.finish(ansiText);
    std::string out;
    out.reserve(ansi.size());
    const double encodeSeconds = medianSeconds([&] {
        out.clear();
        Encoder encoder(Ansi);
        encoder.encode(ansiText, out);
        encoder.finish(out);
    });
    bool holds = false;
    const double checkSeconds = medianSeconds([&] { holds = canEncode(ansiText, Ansi); });
    const double saveSeconds = medianSeconds([&] {
        TextFileWriter writer;
        writer.setSyncToDisk(false);
        writer.open(path, Ansi, 0);
        for (std::size_t at = 0; at < ansiText.size(); at += 262144)
            writer.write(std::string_view(ansiText).substr(at, 262144));
        writer.commit();
    });

    QJsonObject result;
    result[QStringLiteral("mb")] = qint64(mb);
    result[QStringLiteral("runs")] = kRuns;
    result[QStringLiteral("reads")] = rows;
    result[QStringLiteral("whole_file_check_cost_seconds")] = lateChecked - lateNamed;
    result[QStringLiteral("ansi_encode_seconds")] = encodeSeconds;
    result[QStringLiteral("ansi_encode_identical")] = out == ansi;
    result[QStringLiteral("ansi_can_encode_seconds")] = checkSeconds;
    result[QStringLiteral("ansi_can_encode")] = holds;
    result[QStringLiteral("ansi_save_seconds_no_sync")] = saveSeconds;
    return result;
}

} // namespace

PW_BENCH("encoding", run);
