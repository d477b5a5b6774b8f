// penwright-bench startup: from process start to the first painted main window, offscreen.
#include "settings/registrysettings.h"
#include "settings/xmlsettingsstore.h"
#include "bench/benchregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>

using namespace pw;
using namespace pw::bench;

namespace {

// A portable copy of the program: binary, language files and a settings file with full
// histories, so nothing touches the build tree or the user's own settings.
bool prepare(const QTemporaryDir &dir, QString &program, QString &error)
{
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/penwright");
    program = dir.filePath(QStringLiteral("penwright"));
    if (!QFile::copy(built, program)) {
        error = QStringLiteral("cannot copy ") + built;
        return false;
    }
    QDir().mkpath(dir.filePath(QStringLiteral("Config")));
    const QDir shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/Config"));
    QStringList files = shipped.entryList({QStringLiteral("*.config")}, QDir::Files, QDir::Name);
    for (int i = 0; i < 30 && !files.isEmpty(); ++i) {
        const QString source = shipped.filePath(files.at(i % files.size()));
        const QString target = dir.filePath(QStringLiteral("Config/%1-%2")
                                                .arg(i, 2, 10, QLatin1Char('0'))
                                                .arg(files.at(i % files.size())));
        QFile::copy(source, target);
    }
    XmlSettingsStore store(dir.filePath(QStringLiteral("AppSettings.xml")));
    XmlSettingsStore::Batch batch(store);
    for (const char *section : {"SearchHistory", "ReplaceHistory", "DirectoryHistory"}) {
        QStringList entries;
        for (int i = 0; i < 50; ++i)
            entries << QStringLiteral("history entry %1 of %2").arg(i).arg(QLatin1String(section));
        store.saveHistory(QLatin1String(section), entries, 0);
    }
    for (int i = 1; i <= 100; ++i)
        store.writeLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_%1").arg(i),
                                  QStringLiteral("Filter %1 (*.x%1)").arg(i),
                                  QStringLiteral("*.x%1").arg(i));
    return batch.commit();
}

// One start: the child prints a line when its main window has painted, then quits at once.
double startOnce(const QString &program, const QTemporaryDir &home, const QStringList &reopen)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("PENWRIGHT_EXIT_AFTER_PAINT"), QStringLiteral("1"));
    const QString registryFile = home.filePath(QStringLiteral("config/Brightmoor/Penwright.conf"));
    {
        QSettings registry(registryFile, QSettings::IniFormat);
        registry.clear();
        registry.sync();
    }
    // The files to reopen are placed exactly as a closing run leaves them.
    if (!reopen.isEmpty()) {
        RegistrySettings registry(registryFile);
        for (const QString &file : reopen)
            registry.addFileToOpen(file);
    }
    QProcess process;
    process.setProcessEnvironment(env);
    const QStringList args;
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForStarted(5000))
        return -1;
    while (process.state() != QProcess::NotRunning) {
        if (process.waitForReadyRead(100) && process.readAllStandardOutput().contains("painted")) {
            const double seconds = timer.nsecsElapsed() / 1e9;
            process.waitForFinished(5000);
            return seconds;
        }
        if (timer.elapsed() > 20000)
            break;
    }
    process.kill();
    process.waitForFinished();
    return -1;
}

QJsonObject startup(const QStringList &args)
{
    const int runs =
        std::max(1, option(args, QStringLiteral("--runs"), QStringLiteral("10")).toInt());
    QTemporaryDir dir;
    QTemporaryDir home;
    QString program, error;
    if (!prepare(dir, program, error))
        return {{QStringLiteral("error"), error}};
    QStringList twenty;
    for (int i = 0; i < 20; ++i) {
        const QString path = dir.filePath(QStringLiteral("file%1.cpp").arg(i));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            for (int line = 0; line < 2000; ++line)
                file.write("int function_" + QByteArray::number(line) + "(int a) { return a; }\n");
        }
        twenty << path;
    }
    std::vector<double> empty, reopened;
    for (int i = 0; i < runs; ++i) {
        empty.push_back(startOnce(program, home, {}));
        reopened.push_back(startOnce(program, home, twenty));
    }
    const double emptyMedian = median(empty);
    const double reopenMedian = median(reopened);
    QJsonArray emptyRuns, reopenRuns;
    for (double v : empty)
        emptyRuns.append(v);
    for (double v : reopened)
        reopenRuns.append(v);
    return {
        {QStringLiteral("runs"), runs},
        {QStringLiteral("language_files"), 30},
        {QStringLiteral("no_document_median_s"), emptyMedian},
        {QStringLiteral("twenty_files_median_s"), reopenMedian},
        {QStringLiteral("twenty_files_extra_s"), reopenMedian - emptyMedian},
        {QStringLiteral("no_document_runs_s"), emptyRuns},
        {QStringLiteral("twenty_files_runs_s"), reopenRuns},
        {QStringLiteral("targets"), QJsonObject{{QStringLiteral("no_document_s"), 0.3},
                                                {QStringLiteral("twenty_files_extra_s"), 0.2}}}};
}

} // namespace

PW_BENCH("startup", startup);
