// The folder rule and the paths derived from it.
#include "settings/appfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>

#ifndef PENWRIGHT_INSTALL_PREFIX
#define PENWRIGHT_INSTALL_PREFIX "/usr/local"
#endif
#ifndef PENWRIGHT_INSTALL_BINDIR
#define PENWRIGHT_INSTALL_BINDIR "bin"
#endif
#ifndef PENWRIGHT_INSTALL_DATADIR
#define PENWRIGHT_INSTALL_DATADIR "share"
#endif

namespace pw {
namespace {
std::optional<AppFolders::Inputs> &storedInputs()
{
    static std::optional<AppFolders::Inputs> inputs;
    return inputs;
}

const QString &dataSubfolder()
{
    static const QString folder =
        QStringLiteral(PENWRIGHT_INSTALL_DATADIR) + QStringLiteral("/Brightmoor/Penwright");
    return folder;
}
} // namespace

AppFolders::Inputs AppFolders::systemInputs()
{
    Inputs in;
    in.programFile = QCoreApplication::applicationFilePath();
    in.programFiles = installedPrefixOf(in.programFile);
    if (in.programFiles.isEmpty())
        in.programFiles = QDir::cleanPath(QStringLiteral(PENWRIGHT_INSTALL_PREFIX));
    in.localAppData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    in.documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return in;
}

QString AppFolders::installedPrefixOf(const QString &programFile)
{
    QString root = QFileInfo(programFile).absolutePath();
    const QString binDir = QStringLiteral("/") + QStringLiteral(PENWRIGHT_INSTALL_BINDIR);
    if (!root.endsWith(binDir))
        return {};
    root.chop(binDir.size());
    if (root.isEmpty() || !QFileInfo(root + QLatin1Char('/') + dataSubfolder()).isDir())
        return {};
    return root;
}

void AppFolders::setInputs(const Inputs &inputs)
{
    storedInputs() = inputs;
}

const AppFolders::Inputs &AppFolders::inputs()
{
    if (!storedInputs())
        storedInputs() = systemInputs();
    return *storedInputs();
}

QString AppFolders::programFolder()
{
    const QString file = inputs().programFile;
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : file.left(slash + 1);
}

bool AppFolders::isPerUser()
{
    const QString prefix = inputs().programFiles;
    return !prefix.isEmpty() && programFolder().contains(prefix, Qt::CaseSensitive);
}

QString AppFolders::perUserFolder()
{
    return inputs().localAppData + QStringLiteral("/Brightmoor/Penwright");
}

QString AppFolders::settingsFolder()
{
    return isPerUser() ? perUserFolder() : programFolder();
}

// The per-user form joins with "/", the program form already ends in one.
static QString inSettingsFolder(const char *name)
{
    if (AppFolders::isPerUser())
        return AppFolders::perUserFolder() + QLatin1Char('/') + QLatin1String(name);
    return AppFolders::programFolder() + QLatin1String(name);
}

QString AppFolders::settingsFile()
{
    return inSettingsFolder("AppSettings.xml");
}
QString AppFolders::layoutFile()
{
    return inSettingsFolder("WinSettings.cfg");
}
QString AppFolders::backupFolder()
{
    return inSettingsFolder("Backup");
}
QString AppFolders::recoveryFolder()
{
    return inSettingsFolder("Recovery");
}
QString AppFolders::dictionaryFolder()
{
    return inSettingsFolder("Aspell");
}
QString AppFolders::configFolder()
{
    return inSettingsFolder("Config");
}
QString AppFolders::installedDataFolder()
{
    return inputs().programFiles + QLatin1Char('/') + dataSubfolder();
}
QString AppFolders::installedConfigFolder()
{
    return installedDataFolder() + QStringLiteral("/Config");
}
QString AppFolders::shippedFile(const QString &relative)
{
    const QString beside = programFolder() + relative;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = installedDataFolder() + QLatin1Char('/') + relative;
    return QFileInfo::exists(installed) ? installed : beside;
}

QString AppFolders::documentsFolder()
{
    return inputs().documents;
}

} // namespace pw
