// penwright-bench "hex": one file through the hex window (--file), or the buffer's benchmark.
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "hex/hexeditorwin.h"
#include "hex/hexview.h"
#include "hex/engine/hexbuffer.h"
#include "hex/engine/hexsearch.h"
#include "hex/engine/hextext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using pw::bench::median;
using pw::hex::HexBuffer;
using pw::hex::HexSearch;
using pw::hex::Offset;

namespace {

constexpr double OpenTargetSeconds = 0.1;
constexpr qint64 RssTargetBytes = 64ll << 20;
constexpr double SearchTargetBytesPerSecond = 1e9;
constexpr double SaveTargetTimesCp = 2.0;
// The pattern the benchmark searches for, placed in the last bytes of each file.
const std::vector<std::uint8_t> Needle = {0xDE, 0xAD, 0xBE, 0xEF};

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

// Resident memory now (not the peak), in bytes.
qint64 residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            std::istringstream in(line.substr(6));
            qint64 kb = 0;
            in >> kb;
            return kb * 1024;
        }
    }
    return 0;
}

qint64 allocatedBytes(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_blocks) * 512 : -1;
}

std::string nativePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

// --- penwright-bench hex --file F [--find HEX] [--patch OFFSET:HEXBYTES --out G] ---------------

// "OFFSET:HEXBYTES", the offset decimal or with a 0x prefix hexadecimal.
bool parsePatch(const QString &patchText, Offset &offset, std::vector<std::uint8_t> &bytes,
                std::string &error)
{
    const qsizetype colon = patchText.indexOf(QLatin1Char(':'));
    if (colon <= 0) {
        error = "--patch takes OFFSET:HEXBYTES";
        return false;
    }
    const std::string where = patchText.left(colon).trimmed().toStdString();
    const bool hex = where.size() > 2 && where[0] == '0' && (where[1] == 'x' || where[1] == 'X');
    const pw::hex::OffsetText parsed = pw::hex::parseOffsetText(where, hex);
    if (parsed.status != pw::hex::OffsetTextStatus::Valid) {
        error = "the patch offset \"" + where + "\" is not a number";
        return false;
    }
    offset = parsed.value;
    std::string why;
    if (!pw::hex::parseHexBytes(patchText.mid(colon + 1).toStdString(), bytes, &why)) {
        error = "the patch bytes: " + why;
        return false;
    }
    return true;
}

// The file goes through the program itself: opened as "Open as Hex" does, searched as the find
// box does, patched by typing its digits, and saved as Save As does.
QJsonObject checkOneFile(const QStringList &args)
{
    QJsonObject line;
    const QString file = pw::bench::option(args, QStringLiteral("--file"));
    const QString find = pw::bench::option(args, QStringLiteral("--find"));
    const QString patch = pw::bench::option(args, QStringLiteral("--patch"));
    const QString out = pw::bench::option(args, QStringLiteral("--out"));
    line.insert(QStringLiteral("file"), file);
    std::unique_ptr<pw::bench::BenchApp> bench;
    auto finish = [&](std::string error) {
        if (error.empty() && bench && !bench->messages.isEmpty())
            error = bench->messages.join(QLatin1Char(' ')).toStdString();
        if (!error.empty())
            line.insert(QStringLiteral("error"), text(error));
        std::printf("%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
        QJsonObject result{{QStringLiteral("printed"), true}};
        if (!error.empty())
            result.insert(QStringLiteral("error"), text(error));
        return result;
    };

    Offset patchOffset = 0;
    std::vector<std::uint8_t> patchBytes;
    std::string error;
    if (!patch.isEmpty() && !parsePatch(patch, patchOffset, patchBytes, error))
        return finish(error);
    if (!patch.isEmpty() && out.isEmpty())
        return finish("--patch needs --out G, the file to save to");
    const pw::hex::SearchPattern pattern =
        pw::hex::makeSearchPattern(find.toStdString(), false, true);
    if (!find.isEmpty() && pattern.bytes.empty())
        return finish("the pattern \"" + find.toStdString() + "\" holds no bytes");

    bench = std::make_unique<pw::bench::BenchApp>();
    QCoreApplication::processEvents();
    // What the running program holds before the file, so the file's own cost can be told apart.
    line.insert(QStringLiteral("rss_before_open_bytes"), residentBytes());
    pw::CHexDocument *doc = nullptr;
    const QFileInfo info(file);
    pw::OpenRequest asBytes;
    asBytes.mode = pw::OpenHex;
    line.insert(QStringLiteral("open_seconds"), secondsOf([&] {
                    doc = qobject_cast<pw::CHexDocument *>(bench->app->openDocumentFile(
                        info.absoluteFilePath(), asBytes));
                }));
    line.insert(QStringLiteral("rss_after_open_bytes"), residentBytes());
    if (!doc || !doc->view())
        return finish(bench->messages.isEmpty() ? "the hex window did not open" : "");
    pw::CHexEditView *view = doc->view();
    pw::HexEditorWin *control = view->control();
    line.insert(QStringLiteral("size"), qint64(control->length()));

    if (!find.isEmpty()) {
        pw::hex::SearchResult result;
        QEventLoop wait;
        QObject::connect(control, &pw::HexEditorWin::searchFinished, &wait,
                         [&](const pw::hex::SearchResult &r) { result = r; });
        bool ended = false;
        QObject::connect(view, &pw::CHexEditView::searchEnded, &wait, [&] {
            ended = true;
            wait.quit();
        });
        bool started = false;
        line.insert(QStringLiteral("find_seconds"), secondsOf([&] {
                        started = view->hexSearch(find, false, true, false,
                                                  pw::CHexEditView::SearchOrigin::Toolbar);
                        if (started && !ended)
                            wait.exec();
                    }));
        if (!started)
            return finish("the search did not start");
        if (result.status == pw::hex::SearchStatus::ReadFailed)
            return finish(control->buffer().errorString());
        line.insert(QStringLiteral("offset"), qint64(result.found() ? result.offset : -1));
        bench->messages.clear(); // "not found" is an answer here, not a failure
    }

    if (!patch.isEmpty()) {
        if (patchOffset > control->length())
            return finish("the patch offset " + std::to_string(patchOffset) +
                          " lies beyond the end of the file (" +
                          std::to_string(control->length()) + " bytes)");
        QString digits;
        for (const std::uint8_t b : patchBytes)
            digits += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
        bool typed = false;
        line.insert(QStringLiteral("patch_seconds"), secondsOf([&] {
                        control->setInsertMode(false);
                        control->setCharacterColumn(false);
                        control->setPosition(patchOffset);
                        typed = control->typeText(digits);
                    }));
        if (!typed && !digits.isEmpty())
            return finish("the bytes could not be typed at the patch offset");
        bool saved = false;
        line.insert(QStringLiteral("save_seconds"),
                    secondsOf([&] { saved = doc->doSave(QFileInfo(out).absoluteFilePath()); }));
        if (!saved)
            return finish(bench->messages.isEmpty() ? "the save failed" : "");
        line.insert(QStringLiteral("out_size"), qint64(control->length()));
    }
    return finish({});
}

// --- penwright-bench hex (the benchmark) -------------------------------------------------------

bool makeSparseFile(const QString &path, Offset size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const Offset at = size - Offset(Needle.size());
    const bool ok = ::ftruncate(fd, size) == 0 &&
                    ::pwrite(fd, Needle.data(), Needle.size(), at) == ssize_t(Needle.size());
    ::close(fd);
    return ok;
}

// Random bytes in which the needle occurs only at the very end.
bool makeRandomFile(const QString &path, Offset size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    std::mt19937_64 random(42);
    constexpr std::size_t Carry = 3; // the bytes before each chunk, for needles across its edge
    std::vector<std::uint8_t> scan(Carry + (1 << 20), 0x00);
    const Offset body = size - Offset(Needle.size());
    for (Offset written = 0; written < body;) {
        const auto n = std::size_t(std::min<Offset>(body - written, Offset(scan.size() - Carry)));
        for (std::size_t i = 0; i < n; i += 8) {
            const std::uint64_t w = random();
            std::memcpy(scan.data() + Carry + i, &w, std::min<std::size_t>(8, n - i));
        }
        for (std::size_t i = 0; i + Needle.size() <= Carry + n; ++i) {
            if (std::memcmp(scan.data() + i, Needle.data(), Needle.size()) == 0)
                scan[i + Needle.size() - 1] ^= 0x01; // its last byte lies in this chunk
        }
        if (file.write(reinterpret_cast<const char *>(scan.data() + Carry), qint64(n)) != qint64(n))
            return false;
        std::memmove(scan.data(), scan.data() + n, Carry); // the last bytes written
        written += Offset(n);
    }
    return file.write(reinterpret_cast<const char *>(Needle.data()), qint64(Needle.size())) ==
           qint64(Needle.size());
}

// Wall time of one external command, process start included (as the shell's `time` shows it).
double commandSeconds(const QString &program, const QStringList &arguments)
{
    return secondsOf([&] { QProcess::execute(program, arguments); });
}

QJsonObject measureFile(const QString &label, const QString &path, int runs, QTemporaryDir &dir)
{
    QJsonObject row;
    row.insert(QStringLiteral("file"), label);
    const std::string native = nativePath(path);
    row.insert(QStringLiteral("allocated_bytes"), allocatedBytes(path));

    std::vector<double> open;
    qint64 rss = 0;
    Offset size = 0;
    for (int r = 0; r < runs; ++r) {
        HexBuffer buffer;
        open.push_back(secondsOf([&] { buffer.open(native); }));
        rss = std::max(rss, residentBytes());
        size = buffer.size();
    }
    row.insert(QStringLiteral("size_bytes"), qint64(size));
    row.insert(QStringLiteral("open_seconds"), median(open));
    row.insert(QStringLiteral("rss_after_open_bytes"), rss);

    HexBuffer buffer;
    std::string error;
    if (!buffer.open(native, &error)) {
        row.insert(QStringLiteral("error"), text(error));
        return row;
    }
    const HexSearch search({Needle, true});
    pw::hex::SearchResult found = search.find(buffer, 0, false); // warms the cache
    std::vector<double> searching;
    for (int r = 0; r < runs; ++r)
        searching.push_back(secondsOf([&] { found = search.find(buffer, 0, false); }));
    row.insert(QStringLiteral("found_offset"), qint64(found.found() ? found.offset : -1));
    row.insert(QStringLiteral("search_seconds"), median(searching));
    const double rate = double(size) / median(searching);
    row.insert(QStringLiteral("search_gb_per_second"), rate / 1e9);
    row.insert(QStringLiteral("rss_after_search_bytes"), residentBytes());

    std::vector<double> saving, savingNoSync;
    for (int r = 0; r < 2 * runs; ++r) {
        const std::uint8_t b = std::uint8_t(r + 1); // a different byte each time: a real change
        buffer.overwrite(size / 2, {&b, 1});
        pw::hex::SaveOptions options;
        options.sync = r % 2 == 0;
        bool ok = false;
        const double s = secondsOf([&] { ok = buffer.save(&error, options); });
        if (!ok) {
            row.insert(QStringLiteral("error"), text(error));
            return row;
        }
        (options.sync ? saving : savingNoSync).push_back(s);
    }
    row.insert(QStringLiteral("save_seconds"), median(saving));
    row.insert(QStringLiteral("save_without_fsync_seconds"), median(savingNoSync));
    row.insert(QStringLiteral("allocated_bytes_after_save"), allocatedBytes(path));

    const QString copy = dir.filePath(QStringLiteral("cp-copy"));
    std::vector<double> cp, cpSync;
    for (int r = 0; r < runs; ++r) {
        QFile::remove(copy);
        cp.push_back(commandSeconds(QStringLiteral("cp"), {path, copy}));
        QFile::remove(copy);
        cpSync.push_back(commandSeconds(QStringLiteral("cp"), {path, copy}) +
                         commandSeconds(QStringLiteral("sync"), {copy}));
    }
    QFile::remove(copy);
    row.insert(QStringLiteral("cp_seconds"), median(cp));
    row.insert(QStringLiteral("cp_then_sync_seconds"), median(cpSync));
    row.insert(QStringLiteral("save_times_cp"), median(saving) / median(cp));
    row.insert(QStringLiteral("meets_targets"),
               median(open) <= OpenTargetSeconds && rss <= RssTargetBytes &&
                   rate >= SearchTargetBytesPerSecond &&
                   median(saving) <= SaveTargetTimesCp * median(cp));
    return row;
}

QJsonObject runBenchmark(const QStringList &args)
{
    QJsonObject result;
    const int runs =
        std::max(1, pw::bench::option(args, QStringLiteral("--runs"), QStringLiteral("5")).toInt());
    const Offset sparseBytes =
        pw::bench::option(args, QStringLiteral("--sparse-gb"), QStringLiteral("4")).toLongLong()
        << 30;
    const Offset randomBytes =
        pw::bench::option(args, QStringLiteral("--random-mb"), QStringLiteral("100")).toLongLong()
        << 20;
    // The files go beside each other in one folder removed at the end, also on failure.
    const QString where = pw::bench::option(args, QStringLiteral("--dir"));
    QTemporaryDir dir((where.isEmpty() ? QDir::tempPath() : where) +
                      QStringLiteral("/pw-hexbench-XXXXXX"));
    if (!dir.isValid()) {
        result.insert(QStringLiteral("error"), QStringLiteral("no temporary folder"));
        return result;
    }
    result.insert(QStringLiteral("runs"), runs);
    result.insert(QStringLiteral("rss_before_open_bytes"), residentBytes());
    QJsonArray rows;
    bool meets = true;

    const QString sparse = dir.filePath(QStringLiteral("sparse.bin"));
    if (sparseBytes > 0) {
        if (!makeSparseFile(sparse, sparseBytes)) {
            result.insert(QStringLiteral("error"), QStringLiteral("cannot make the sparse file"));
            return result;
        }
        const QJsonObject row = measureFile(QStringLiteral("sparse"), sparse, runs, dir);
        meets = meets && row.value(QStringLiteral("meets_targets")).toBool();
        rows.append(row);
        QFile::remove(sparse);
    }
    const QString random = dir.filePath(QStringLiteral("random.bin"));
    if (randomBytes > 0) {
        if (!makeRandomFile(random, randomBytes)) {
            result.insert(QStringLiteral("error"), QStringLiteral("cannot make the random file"));
            return result;
        }
        const QJsonObject row = measureFile(QStringLiteral("random"), random, runs, dir);
        meets = meets && row.value(QStringLiteral("meets_targets")).toBool();
        rows.append(row);
        QFile::remove(random);
    }
    result.insert(QStringLiteral("files"), rows);
    result.insert(QStringLiteral("targets"),
                  QJsonObject{{QStringLiteral("open_seconds"), OpenTargetSeconds},
                              {QStringLiteral("rss_bytes"), RssTargetBytes},
                              {QStringLiteral("search_gb_per_second"), 1.0},
                              {QStringLiteral("save_times_cp"), SaveTargetTimesCp}});
    result.insert(QStringLiteral("meets_targets"), meets);
    return result;
}

QJsonObject run(const QStringList &args)
{
    return args.contains(QStringLiteral("--file")) ? checkOneFile(args) : runBenchmark(args);
}

} // namespace

PW_BENCH("hex", run);
