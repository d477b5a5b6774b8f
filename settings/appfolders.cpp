// The folder rule and the paths derived from it.
#include "settings/appfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <optional>

#ifndef PENWRIGHT_INSTALL_PREFIX
#define PENWRIGHT_INSTALL_PREFIX "/usr/local"
#endif

namespace pw {
namespace {
std::optional<AppFolders::Inputs> &storedInputs()
{
    static std::optional<AppFolders::Inputs> inputs;
    return inputs;
}
} // namespace

AppFolders::Inputs AppFolders::systemInputs()
{
    Inputs in;
    in.programFile = QCoreApplication::applicationFilePath();
    in.programFiles = QDir::cleanPath(QStringLiteral(PENWRIGHT_INSTALL_PREFIX));
    in.localAppData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    in.documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return in;
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
QString AppFolders::installedConfigFolder()
{
    return inputs().programFiles + QStringLiteral("/share/Brightmoor/Penwright/Config");
}

QString AppFolders::documentsFolder()
{
    return inputs().documents;
}

} // namespace pw
