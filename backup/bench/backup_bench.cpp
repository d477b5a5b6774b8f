// penwright-bench "backup" and "backupbench": saves through the text document with its backups,
// and their cost.
#include "app/mainframehost.h"
#include "backup/backupmanager.h"
#include "backup/engine/backupstore.h"
#include "backup/engine/filecopy.h"
#include "backup/engine/versionlist.h"
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "settings/framesettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace pw::backup;
using pw::FrameSettings;
using pw::bench::median;
using pw::bench::option;

namespace {

constexpr double AddedCostTarget = 1.0; // Versions mode adds at most one plain copy to a save

// A file opened in the running program (offscreen), edited and saved in place as the user saves:
// the document's backups copy the file before each save writes it.
class BenchDocument
{
public:
    // Settings go in before the file opens, so the document's backups start with them. An
    // empty registryFile keeps the user's own registry map, as the program does.
    BenchDocument(const BackupSettings &settings, const QString &registryFile)
    {
        m_bench.closeAll(); // the empty start-up document holds a store of its own
        FrameSettings &frame = m_bench.app->host()->settings();
        frame.backupSetting = settings.setting;
        frame.versions = settings.versions;
        frame.deleteOnExit = false;
        frame.backupFolder = settings.rootFolder;
        m_backups = dynamic_cast<pw::BackupManager *>(m_bench.app->host()->backups());
        if (m_backups && !registryFile.isEmpty())
            m_backups->useRegistryFile(registryFile);
    }

    pw::BackupManager *backups() const { return m_backups; }

    bool open(const QString &path)
    {
        m_doc = m_bench.openText(path);
        return m_doc != nullptr;
    }
    // Appends text at the end, then saves in place.
    bool appendAndSave(const QByteArray &text)
    {
        pw::CMFCScintilla *editor = m_doc->editor();
        editor->send(pw::Sci::SCI_APPENDTEXT, static_cast<unsigned long>(text.size()),
                     reinterpret_cast<long>(text.constData()));
        return m_doc->doSave(m_doc->pathName());
    }
    // The versions of the open document, as its store lists them.
    const BackupStore *store() const
    {
        if (!m_backups || !m_doc)
            return nullptr;
        for (const BackupStore *store : m_backups->stores()) {
            if (store->source() == BackupStore::documentKey(m_doc->pathName()) ||
                store->source() == m_doc->pathName())
                return store;
        }
        return nullptr;
    }
    // Messages the program showed (a failed backup, a failed save), taken once.
    QStringList takeMessages() { return std::exchange(m_bench.messages, {}); }

private:
    pw::bench::BenchApp m_bench;
    pw::BackupManager *m_backups = nullptr;
    pw::CRidereDoc *m_doc = nullptr;
};

QJsonObject failed(const QString &message)
{
    std::fprintf(stderr, "penwright-bench backup: %s\n", qPrintable(message));
    return {{"printed", true}, {"error", message}};
}

bool readInt(const QStringList &args, const char *name, int low, int high, int *value)
{
    bool ok = false;
    *value = option(args, QString::fromLatin1(name)).toInt(&ok);
    return ok && *value >= low && *value <= high;
}

// backup --root DIR --file F --mode 1|2 --versions N --saves K [--registry INI]
// Saves F K times (each save appends a line) and prints the versions dialog's rows, one a line.
// Without --registry the user's own registry map is used, as the program uses it.
QJsonObject saveAndList(const QStringList &args)
{
    BackupSettings settings;
    int saves = 0;
    if (!readInt(args, "--mode", 0, 2, &settings.setting))
        return failed(QStringLiteral("--mode must be 0, 1 or 2"));
    if (!readInt(args, "--versions", BackupSettings::MinVersions, BackupSettings::MaxVersions,
                 &settings.versions))
        return failed(QStringLiteral("--versions must be 1 to 99"));
    if (!readInt(args, "--saves", 0, 1'000'000, &saves))
        return failed(QStringLiteral("--saves must be a count"));
    const QString path = QFileInfo(option(args, QStringLiteral("--file"))).absoluteFilePath();
    const QString root = option(args, QStringLiteral("--root"));
    if (root.isEmpty() && settings.mode() == BackupMode::Versions)
        return failed(QStringLiteral("--root is required in mode 2"));
    settings.rootFolder = root.isEmpty() ? QString() : QDir(root).absolutePath();

    BenchDocument document(settings, option(args, QStringLiteral("--registry")));
    if (!document.backups())
        return failed(QStringLiteral("this build has no backups"));
    // What Apply on the properties page does in mode 2: a missing root is created. (Its mode 0
    // branch deletes every document's backups, which a save-and-list command must not do.)
    if (settings.mode() == BackupMode::Versions)
        document.backups()->applySettings();
    if (!document.open(path))
        return failed(QStringLiteral("cannot open %1: %2")
                          .arg(path, document.takeMessages().join(QLatin1Char(' '))));
    for (int i = 1; i <= saves; ++i) {
        const bool saved = document.appendAndSave("save " + QByteArray::number(i) + '\n');
        for (const QString &message : document.takeMessages())
            std::fprintf(stderr, "%s\n", qPrintable(message));
        if (!saved)
            return failed(QStringLiteral("cannot save %1").arg(path));
    }
    const BackupStore *store = document.store();
    const QList<VersionListItem> items =
        versionListItems(path, store ? store->versions() : QList<BackupVersion>());
    for (const VersionListItem &item : items)
        std::printf("%s\n", qPrintable(item.text));
    std::fflush(stdout);
    return {{"printed", true}};
}

// Saves come minutes apart, when the previous save's data has long reached the disk. Each timed
// operation starts that way (the flush is outside the timing); otherwise the numbers measure the
// writeback of the previous round instead.
void settleDisk()
{
#ifdef Q_OS_UNIX
    ::sync();
#endif
}

double secondsOf(const std::function<void()> &work)
{
    settleDisk();
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

QByteArray textOfSize(qint64 bytes)
{
    QByteArray text;
    text.reserve(bytes);
    for (qint64 line = 0; text.size() < bytes; ++line)
        text += "line " + QByteArray::number(line) +
                ": the quick brown fox jumps over the lazy dog, again and again\n";
    text.truncate(bytes);
    return text;
}

// The cost of whole saves of one file in a mode: median seconds, and the copies left behind.
struct ModeRun
{
    double medianSeconds = 0;
    double maxSeconds = 0;
    int versionsLeft = 0;
    QString oldestVersion; // file name of the oldest copy left
    bool allSavesOk = true;
    bool allBackupsOk = true;
};

// Opens the file in the program (not timed), then saves it `saves` times in place, each save
// after one line added at the end.
ModeRun runMode(const QString &dir, int mode, int versions, int saves, const QByteArray &text)
{
    ModeRun run;
    const QString base = QDir(dir).filePath(QStringLiteral("mode%1").arg(mode));
    QDir().mkpath(base);
    BackupSettings settings;
    settings.setting = mode;
    settings.versions = versions;
    settings.rootFolder = base + QStringLiteral("/Backup");
    BenchDocument document(settings, base + QStringLiteral("/Penwright.conf"));
    if (!document.backups())
        return ModeRun{0, 0, 0, {}, false, false};
    document.backups()->applySettings();
    const QString path = base + QStringLiteral("/document.txt");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
    }
    if (!document.open(path))
        return ModeRun{0, 0, 0, {}, false, false};
    std::vector<double> times;
    for (int i = 0; i < saves; ++i) {
        times.push_back(secondsOf([&] {
            run.allSavesOk =
                document.appendAndSave("saved " + QByteArray::number(i) + '\n') && run.allSavesOk;
        }));
        run.allBackupsOk = document.takeMessages().isEmpty() && run.allBackupsOk;
        run.maxSeconds = std::max(run.maxSeconds, times.back());
    }
    run.medianSeconds = median(times);
    if (const BackupStore *store = document.store()) {
        run.versionsLeft = store->versionCount();
        if (run.versionsLeft > 0)
            run.oldestVersion = QFileInfo(store->getVersion(0).path).fileName();
    }
    return run;
}

// backupbench [--mb 100] [--repeat 5] [--dir D] [--scale]
QJsonObject measure(const QStringList &args)
{
    const qint64 mb = option(args, QStringLiteral("--mb"), QStringLiteral("100")).toLongLong();
    const int repeat =
        std::max(1, option(args, QStringLiteral("--repeat"), QStringLiteral("5")).toInt());
    QTemporaryDir tmp(QDir(option(args, QStringLiteral("--dir"), QDir::tempPath()))
                          .filePath(QStringLiteral("penwright-backup-XXXXXX")));
    if (!tmp.isValid())
        return {{"error", QStringLiteral("cannot make a temporary folder")}};
    const QByteArray text = textOfSize(mb * 1024 * 1024);

    // The yardstick: a plain read/write copy of the same file.
    const QString original = tmp.filePath(QStringLiteral("original.txt"));
    {
        QFile file(original);
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
    // Interleaved, so both copies see the same load on a shared machine.
    std::vector<double> plain;
    std::vector<double> cheapest;
    CopyOutcome cheap;
    const QString plainCopyPath = tmp.filePath(QStringLiteral("plain"));
    const QString cheapCopyPath = tmp.filePath(QStringLiteral("cheap"));
    for (int i = 0; i < repeat; ++i) {
        // As cp into a new name: no old file to free inside the timing.
        QFile::remove(plainCopyPath);
        QFile::remove(cheapCopyPath);
        plain.push_back(
            secondsOf([&] { copyFile(original, plainCopyPath, {}, CopyMethod::ReadWrite); }));
        cheapest.push_back(secondsOf(
            [&] { cheap = copyFile(original, cheapCopyPath, QDateTime::currentDateTimeUtc()); }));
    }
    QFile::remove(plainCopyPath);
    QFile::remove(cheapCopyPath);
    const double plainCopy = median(plain);

    QJsonObject result{
        {"file_mb", mb},
        {"repeat", repeat},
        {"filesystem", QString::fromLatin1(QStorageInfo(tmp.path()).fileSystemType())},
        {"copy_method", QString::fromLatin1(copyMethodName(cheap.method))},
        {"copy_method_seconds", median(cheapest)},
        {"plain_copy_seconds", plainCopy}};
    QJsonObject modes;
    double none = 0;
    for (const int mode : {0, 1, 2}) {
        // One save more than kept, so every timed save in mode 2 also deletes the oldest copy.
        const ModeRun run = runMode(tmp.path(), mode, 3, repeat + 4, text);
        if (mode == 0)
            none = run.medianSeconds;
        modes.insert(QStringLiteral("mode%1").arg(mode),
                     QJsonObject{{"save_seconds", run.medianSeconds},
                                 {"added_seconds", run.medianSeconds - none},
                                 {"added_per_plain_copy", (run.medianSeconds - none) / plainCopy},
                                 {"saves_ok", run.allSavesOk},
                                 {"backups_ok", run.allBackupsOk}});
        QDir(tmp.filePath(QStringLiteral("mode%1").arg(mode))).removeRecursively();
    }
    result.insert(QStringLiteral("modes"), modes);
    const double added =
        modes[QStringLiteral("mode2")][QStringLiteral("added_per_plain_copy")].toDouble();
    result.insert(QStringLiteral("target_added_per_plain_copy"), AddedCostTarget);
    result.insert(QStringLiteral("target_met"), added <= AddedCostTarget);

    if (args.contains(QStringLiteral("--scale"))) {
        // The largest history: 99 versions, and one save more, which must delete version 0.
        const ModeRun run = runMode(tmp.path(), 2, 99, 100, text);
        result.insert(QStringLiteral("scale"),
                      QJsonObject{{"versions", 99},
                                  {"saves", 100},
                                  {"versions_left", run.versionsLeft},
                                  {"oldest_version_left", run.oldestVersion},
                                  {"median_save_seconds", run.medianSeconds},
                                  {"max_save_seconds", run.maxSeconds},
                                  {"saves_ok", run.allSavesOk},
                                  {"backups_ok", run.allBackupsOk}});
    }
    return result;
}

QJsonObject backupCommand(const QStringList &args)
{
    return args.contains(QStringLiteral("--file")) ? saveAndList(args) : measure(args);
}

} // namespace

PW_BENCH("backup", backupCommand);
PW_BENCH("backupbench", measure);
