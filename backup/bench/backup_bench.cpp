// penwright-bench "backup" and "backupbench": saves through the backup store, and their cost.
#include "settings/registrysettings.h"
#include "backup/engine/backupstore.h"
#include "backup/engine/filecopy.h"
#include "backup/engine/versionlist.h"
#include "bench/benchregistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace pw::backup;
using pw::RegistrySettings;
using pw::bench::median;
using pw::bench::option;

namespace {

constexpr double AddedCostTarget = 1.0; // Versions mode adds at most one plain copy to a save

// A document as the text document handles its file around a save: opened once (the store finds
// its history), then saved in place with the backup made first. The write is a stand-in until the
// real document save is wired to the store; only write() changes then.
class ScratchDocument
{
public:
    using Writer = std::function<bool(QFile &file)>;

    ScratchDocument(RegistrySettings &registry, const BackupSettings &settings, QString path)
        : m_store(registry, settings), m_path(std::move(path))
    {
        m_store.init(m_path);
    }

    // One plain save. A failed backup is reported and the save goes on, as in the editor.
    bool save(QIODevice::OpenMode mode, const Writer &write, QString *error)
    {
        QElapsedTimer timer;
        timer.start();
        const BackupResult backup = m_store.backupBeforeSave(m_path, true);
        m_lastBackupSeconds = double(timer.nsecsElapsed()) / 1e9;
        if (!backup.ok) {
            ++m_failedBackups;
            std::fprintf(stderr, "%s (%s)\n", qPrintable(backup.message),
                         qPrintable(backup.reason));
        }
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | mode) || !write(file) || !file.flush()) {
            *error = file.errorString();
            return false;
        }
        return true;
    }

    const BackupStore &store() const { return m_store; }
    double lastBackupSeconds() const { return m_lastBackupSeconds; }
    int failedBackups() const { return m_failedBackups; }

private:
    BackupStore m_store;
    QString m_path;
    double m_lastBackupSeconds = 0;
    int m_failedBackups = 0;
};

QJsonObject failed(const QString &message)
{
    std::fprintf(stderr, "penwright-bench backup: %s\n", qPrintable(message));
    return {{"printed", true}, {"error", message}};
}

std::unique_ptr<RegistrySettings> openRegistry(const QString &iniFile)
{
    return iniFile.isEmpty() ? std::make_unique<RegistrySettings>()
                             : std::make_unique<RegistrySettings>(iniFile);
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

    const auto registry = openRegistry(option(args, QStringLiteral("--registry")));
    // What Apply on the properties page does in mode 2: a missing root is created. (Its mode 0
    // branch deletes every document's backups, which a save-and-list command must not do.)
    if (settings.mode() == BackupMode::Versions) {
        const BackupResult applied = applySettings(*registry, settings, {});
        if (!applied.ok)
            std::fprintf(stderr, "%s (%s)\n", qPrintable(applied.message),
                         qPrintable(applied.reason));
    }

    ScratchDocument document(*registry, settings, path);
    for (int i = 1; i <= saves; ++i) {
        QString error;
        const QByteArray line = "save " + QByteArray::number(i) + '\n';
        if (!document.save(
                QIODevice::Append, [&](QFile &f) { return f.write(line) == line.size(); }, &error))
            return failed(QStringLiteral("cannot write %1: %2").arg(path, error));
    }
    const QList<VersionListItem> items = versionListItems(path, document.store().versions());
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
    double medianBackupSeconds = 0; // the backup step alone
    int versionsLeft = 0;
    QString oldestVersion; // file name of the oldest copy left
    bool allSavesOk = true;
    bool allBackupsOk = true;
};

ModeRun runMode(const QString &dir, int mode, int versions, int saves, const QByteArray &text)
{
    const QString base = QDir(dir).filePath(QStringLiteral("mode%1").arg(mode));
    QDir().mkpath(base);
    RegistrySettings registry(base + QStringLiteral("/Penwright.conf"));
    BackupSettings settings;
    settings.setting = mode;
    settings.versions = versions;
    settings.rootFolder = base + QStringLiteral("/Backup");
    applySettings(registry, settings, {});
    const QString path = base + QStringLiteral("/document.txt");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
    }
    ScratchDocument document(registry, settings, path);
    ModeRun run;
    std::vector<double> times;
    std::vector<double> backupTimes;
    for (int i = 0; i < saves; ++i) {
        QString error;
        times.push_back(secondsOf([&] {
            run.allSavesOk = document.save(
                                 QIODevice::Truncate,
                                 [&](QFile &f) { return f.write(text) == text.size(); }, &error) &&
                             run.allSavesOk;
        }));
        backupTimes.push_back(document.lastBackupSeconds());
        run.maxSeconds = std::max(run.maxSeconds, times.back());
    }
    run.medianSeconds = median(times);
    run.medianBackupSeconds = median(backupTimes);
    run.allBackupsOk = document.failedBackups() == 0;
    run.versionsLeft = document.store().versionCount();
    if (run.versionsLeft > 0)
        run.oldestVersion = QFileInfo(document.store().getVersion(0).path).fileName();
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
                                 {"backup_step_seconds", run.medianBackupSeconds},
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
                                  {"median_backup_step_seconds", run.medianBackupSeconds},
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
