// penwright-bench load / save: open files exactly as "Open" does and save them back.
#include "settings/appfolders.h"
#include "app/mainframe.h"
#include "framework/messages.h"
#include "app/penwrightapp.h"
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "bench/stallmeter.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <Qsci/qsciscintillabase.h>
#include <QFile>
#include <QJsonArray>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <fcntl.h>
#include <unistd.h>

using namespace pw;
using namespace pw::bench;

namespace {

struct LoadResult
{
    CRidereDoc *doc = nullptr;
    double seconds = 0;
    qint64 peak = 0;
    // The longest time the UI thread went without serving a 10 ms timer during the load.
    double maxStall = 0;
    // From the open to the first paint of the new window.
    double firstPaint = -1;
};

// Notes the first paint of any widget of a window after the open started.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QElapsedTimer &clock) : m_clock(clock) {}
    double firstPaint = -1;
    double lastPaint = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            if (auto *widget = qobject_cast<QWidget *>(watched);
                widget && qobject_cast<QsciScintillaBase *>(widget->parentWidget())) {
                lastPaint = m_clock.nsecsElapsed() / 1e9;
                if (firstPaint < 0)
                    firstPaint = lastPaint;
            }
        return false;
    }

private:
    QElapsedTimer &m_clock;
};

LoadResult timedLoad(BenchApp &bench, const QString &path)
{
    bench.closeAll();
    resetPeakRss();
    QElapsedTimer timer;
    LoadResult result;
    PaintWatch paints(timer);
    qApp->installEventFilter(&paints);
    bench::StallMeter stalls(10);
    timer.start();
    stalls.start();
    result.doc = qobject_cast<CRidereDoc *>(bench.app->openWithAutomaticChoice(path));
    stalls.mark();
    // Editable means the text is in and the window has painted it.
    while (result.doc && result.doc->isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // The window may lay out the text's first lines in turns before it paints them.
    const double attached = timer.nsecsElapsed() / 1e9;
    while (result.doc && paints.lastPaint < attached && timer.nsecsElapsed() / 1e9 < attached + 60)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    result.seconds = timer.nsecsElapsed() / 1e9;
    stalls.stop();
    qApp->removeEventFilter(&paints);
    result.peak = peakRssBytes();
    result.maxStall = stalls.longestSeconds();
    result.firstPaint = paints.firstPaint;
    return result;
}

double plainReadSeconds(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return -1;
    std::vector<char> buffer(262144);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
    return timer.nsecsElapsed() / 1e9;
}

double timedSave(CRidereDoc *doc, const QString &out)
{
    QElapsedTimer timer;
    timer.start();
    const bool ok = doc->doSave(out, false);
    return ok ? timer.nsecsElapsed() / 1e9 : -1;
}

// Another editor opening the same file, for comparison: Geany, started on a virtual X server of
// its own (Xvfb, which says its display number on its output once it takes connections), timed
// from its launch to the moment a mapped window of it carries the file's name in its title. The
// window is looked for with xdotool every 20 ms, which reads the X server's window tree and
// needs no window manager. Geany gets a throw-away configuration folder, no session, no plugins
// and an instance of its own, so nothing of a user's Geany takes part.
QJsonObject peerOpen(const QString &file)
{
    QJsonObject out;
    out[QStringLiteral("peer")] = QStringLiteral("geany");
    const auto unavailable = [&out](const QString &reason) {
        out[QStringLiteral("peer")] = QStringLiteral("unavailable");
        out[QStringLiteral("reason")] = reason;
        return out;
    };
    const QString geany = QStandardPaths::findExecutable(QStringLiteral("geany"));
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (geany.isEmpty())
        return unavailable(QStringLiteral("geany is not installed"));
    if (xvfb.isEmpty() || xdotool.isEmpty())
        return unavailable(QStringLiteral("Xvfb and xdotool are needed to see Geany's window"));

    QProcess server;
    server.start(xvfb,
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    QByteArray display;
    QElapsedTimer wait;
    wait.start();
    while (!display.endsWith('\n') && server.state() != QProcess::NotRunning &&
           wait.elapsed() < 15000) {
        server.waitForReadyRead(200);
        display += server.readAllStandardOutput();
    }
    if (!display.endsWith('\n')) {
        server.kill();
        server.waitForFinished(5000);
        return unavailable(QStringLiteral("the virtual X server did not start"));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), u':' + QString::fromLatin1(display.trimmed()));
    env.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("x11"));
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));

    QTemporaryDir config;
    QProcess peer;
    peer.setProcessEnvironment(env);
    peer.setProcessChannelMode(QProcess::MergedChannels);
    const QString titlePattern = QRegularExpression::escape(QFileInfo(file).fileName());
    QElapsedTimer clock;
    clock.start();
    peer.start(geany, {QStringLiteral("-c"), config.path(), QStringLiteral("-i"),
                       QStringLiteral("-s"), QStringLiteral("-p"), file});
    double seconds = -1;
    while (clock.elapsed() < 120000 && peer.state() != QProcess::NotRunning) {
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.start(xdotool, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                              QStringLiteral("--name"), titlePattern});
        probe.waitForFinished(5000);
        if (probe.exitCode() == 0 && !probe.readAllStandardOutput().trimmed().isEmpty()) {
            seconds = clock.nsecsElapsed() / 1e9;
            break;
        }
        QThread::msleep(20);
    }
    // Its high-water mark, while it still runs.
    qint64 peak = 0;
    std::ifstream status("/proc/" + std::to_string(peer.processId()) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            peak = std::stoll(line.substr(6)) * 1024;
    const QString output = QString::fromLocal8Bit(peer.readAll()).trimmed();
    peer.terminate();
    if (!peer.waitForFinished(5000)) {
        peer.kill();
        peer.waitForFinished(5000);
    }
    server.terminate();
    if (!server.waitForFinished(5000)) {
        server.kill();
        server.waitForFinished(5000);
    }
    if (seconds < 0)
        return unavailable(output.isEmpty()
                               ? QStringLiteral("Geany showed no window titled with the file")
                               : QStringLiteral("Geany showed no window titled with the file: ") +
                                     output.left(300));
    out[QStringLiteral("seconds_to_titled_window")] = seconds;
    if (peak > 0)
        out[QStringLiteral("peak_rss_bytes")] = peak;
    return out;
}

// Text of about `bytes` bytes: source-like lines with some accented letters.
QByteArray makeUtf8(qint64 bytes)
{
    static const char *const lines[] = {
        "    for (int i = 0; i < count; ++i) total += values[i]; // caf\xC3\xA9\n",
        "static const char *name = \"na\xC3\xAFve r\xC3\xA9sum\xC3\xA9\";\n",
        "}\n",
        "/* The quick brown fox jumps over the lazy dog, 0123456789. */\n",
    };
    QByteArray text;
    text.reserve(bytes + 128);
    for (int i = 0; text.size() < bytes; ++i)
        text += lines[i % 4];
    return text;
}

// UTF-8 without a mark whose first multi-byte character comes after the detection sample, as in
// a source file with a licence header: only the whole-file check finds it is UTF-8.
QByteArray utf8AfterHeader(const QByteArray &utf8)
{
    QByteArray text;
    while (text.size() < 2048)
        text += "// Permission is hereby granted, free of charge, to any person obtaining.\n";
    return text + utf8;
}

QByteArray toAnsi(const QByteArray &utf8)
{
    return QString::fromUtf8(utf8).toLatin1();
}

QByteArray toUtf16(const QByteArray &utf8, bool bigEndian)
{
    const QString text = QString::fromUtf8(utf8);
    QByteArray out;
    out.reserve(text.size() * 2 + 2);
    out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (bigEndian) {
            out += char(u >> 8);
            out += char(u & 0xFF);
        } else {
            out += char(u & 0xFF);
            out += char(u >> 8);
        }
    }
    return out;
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool sameFiles(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    }
    return true;
}

QJsonObject loadOne(const QStringList &args, bool save)
{
    const QString file = option(args, QStringLiteral("--file"));
    if (file.isEmpty())
        return {};
    BenchApp bench;
    const LoadResult loaded = timedLoad(bench, file);
    QJsonObject out;
    out[QStringLiteral("file")] = file;
    if (!loaded.doc) {
        out[QStringLiteral("error")] =
            bench.messages.isEmpty() ? QStringLiteral("open failed") : bench.messages.join(u'\n');
        return out;
    }
    out[QStringLiteral("seconds")] = loaded.seconds;
    out[QStringLiteral("ui_max_stall_seconds")] = loaded.maxStall;
    out[QStringLiteral("first_paint_seconds")] = loaded.firstPaint;
    out[QStringLiteral("peak_rss_bytes")] = loaded.peak;
    out[QStringLiteral("encoding")] = loaded.doc->encoding();
    // Lines over the limit arrive cut into pieces, the document read-only (a save is refused).
    out[QStringLiteral("lines_cut")] = loaded.doc->hasCutLines();
    out[QStringLiteral("bytes")] = QFile(file).size();
    out[QStringLiteral("plain_read_seconds")] = plainReadSeconds(file);
    if (save) {
        const QString target = option(args, QStringLiteral("--out"));
        if (target.isEmpty()) {
            out[QStringLiteral("error")] = QStringLiteral("save needs --out FILE");
            return out;
        }
        out[QStringLiteral("save_seconds")] = timedSave(loaded.doc, target);
        out[QStringLiteral("out")] = target;
        out[QStringLiteral("identical")] = sameFiles(file, target);
    } else if (!args.contains(QStringLiteral("--no-peer"))) {
        // Our window is closed first, so the two programs never hold the text at the same time.
        bench.closeAll();
        out[QStringLiteral("peer")] = peerOpen(file);
    }
    return out;
}

// The generated matrix: 1, 10 and 100 MB in Ansi, UTF-8 (with a mark, and without one with its
// first multi-byte character after the sample), UTF-16 LE and UTF-16 BE. The 100 MB UTF-8 file is
// also opened by Geany when it is installed ("peer"; --no-peer leaves it out).
QJsonObject matrix(const QStringList &args)
{
    // The 1000 MB row is UTF-8 only: it shows the scale, the smaller rows show every encoding.
    QList<qint64> sizes{1, 10, 100, 1000};
    if (const QString only = option(args, QStringLiteral("--mb")); !only.isEmpty())
        sizes = {only.toLongLong()};
    BenchApp bench;
    QTemporaryDir work;
    QJsonArray rows;
    bool allIdentical = true;
    for (qint64 mb : sizes) {
        const char *const kinds[] = {"ansi", "utf8", "utf8late", "utf16le", "utf16be"};
        for (const char *kind : kinds) {
            if (mb >= 1000 && qstrcmp(kind, "utf8") != 0)
                continue;
            const QString path =
                work.filePath(QStringLiteral("%1-%2mb.txt").arg(QLatin1String(kind)).arg(mb));
            const QString out = path + QStringLiteral(".saved");
            qint64 size = 0;
            {
                // Made and dropped before the load, so the peak measures the load alone.
                // Every file is mb megabytes on disk; UTF-16 takes two bytes per character.
                const bool wide = kind[3] == '1';
                const QByteArray utf8 = makeUtf8(mb * 1000 * 1000 / (wide ? 2 : 1));
                const QByteArray bytes = qstrcmp(kind, "ansi") == 0   ? toAnsi(utf8)
                                         : qstrcmp(kind, "utf8") == 0 ? "\xEF\xBB\xBF" + utf8
                                         : qstrcmp(kind, "utf8late") == 0
                                             ? utf8AfterHeader(utf8)
                                             : toUtf16(utf8, kind[5] == 'b');
                size = bytes.size();
                if (!writeAll(path, bytes))
                    return {{QStringLiteral("error"), QStringLiteral("cannot write test files")}};
            }
            const LoadResult loaded = timedLoad(bench, path);
            QJsonObject row;
            row[QStringLiteral("encoding_name")] = QLatin1String(kind);
            row[QStringLiteral("mb")] = mb;
            row[QStringLiteral("bytes")] = size;
            row[QStringLiteral("plain_read_seconds")] = plainReadSeconds(path);
            if (!loaded.doc) {
                row[QStringLiteral("error")] = QStringLiteral("open failed");
                rows.append(row);
                allIdentical = false;
                continue;
            }
            row[QStringLiteral("load_seconds")] = loaded.seconds;
            row[QStringLiteral("ui_max_stall_seconds")] = loaded.maxStall;
            row[QStringLiteral("first_paint_seconds")] = loaded.firstPaint;
            row[QStringLiteral("peak_rss_bytes")] = loaded.peak;
            row[QStringLiteral("peak_over_size")] = double(loaded.peak) / double(size);
            row[QStringLiteral("encoding")] = loaded.doc->encoding();
            row[QStringLiteral("save_seconds")] = timedSave(loaded.doc, out);
            const bool identical = sameFiles(path, out);
            allIdentical = allIdentical && identical;
            row[QStringLiteral("identical")] = identical;
            bench.closeAll();
            if (mb == 100 && qstrcmp(kind, "utf8") == 0 &&
                !args.contains(QStringLiteral("--no-peer")))
                row[QStringLiteral("peer")] = peerOpen(path);
            rows.append(row);
            QFile::remove(out);
            QFile::remove(path);
        }
    }
    QJsonObject result;
    result[QStringLiteral("rows")] = rows;
    result[QStringLiteral("all_identical")] = allIdentical;
    result[QStringLiteral("targets")] = QJsonObject{{QStringLiteral("utf8_100mb_load_s"), 1.2},
                                                    {QStringLiteral("ansi_100mb_load_s"), 1.2},
                                                    {QStringLiteral("utf16_100mb_load_s"), 1.5},
                                                    {QStringLiteral("save_100mb_s"), 0.5},
                                                    {QStringLiteral("peak_over_size"), 2.3},
                                                    {QStringLiteral("ui_max_stall_s"), 0.1},
                                                    {QStringLiteral("utf8_1000mb_load_s"), 12.0}};
    return result;
}

} // namespace

PW_BENCH("load", [](const QStringList &args) {
    QJsonObject one = loadOne(args, false);
    return one.isEmpty() ? matrix(args) : one;
});
PW_BENCH("save", [](const QStringList &args) {
    QJsonObject one = loadOne(args, true);
    return one.isEmpty() ? matrix(args) : one;
});
