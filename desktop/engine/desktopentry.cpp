// Writes and removes the user's desktop entry and icon files, each replaced atomically.
#include "desktop/engine/desktopentry.h"

#include "desktop/engine/desktopfile.h"
#include "resources/artwork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <vector>

namespace pw::desktop {

namespace {

struct InstalledFile
{
    QString path;        // absolute
    QString source;      // resource file, or empty for the entry's own text
    QStringList folders; // folders holding it, innermost first, removed while empty
};

// Every file the entry consists of, the entry itself last: it is written after its icon, so a
// menu never shows it without one, and removed first.
std::vector<InstalledFile> installedFiles(const QString &dataHome)
{
    const QString root = QDir::cleanPath(dataHome);
    const QString icons = root + QStringLiteral("/icons");
    const QString hicolor = icons + QStringLiteral("/hicolor");
    const QString name = QLatin1String(artwork::IconName);
    std::vector<InstalledFile> files;
    const auto addIcon = [&](const QString &sizeFolder, const QString &file,
                             const QString &source) {
        const QString folder = hicolor + QLatin1Char('/') + sizeFolder;
        files.push_back({folder + QStringLiteral("/apps/") + file,
                         source,
                         {folder + QStringLiteral("/apps"), folder, hicolor, icons}});
    };
    addIcon(QStringLiteral("scalable"), name + QStringLiteral(".svg"), artwork::scalableIconFile());
    for (int size : artwork::IconSizes)
        addIcon(QStringLiteral("%1x%1").arg(size), name + QStringLiteral(".png"),
                artwork::iconFile(size));
    files.push_back({root + QStringLiteral("/applications/") + QLatin1String(DesktopFileName),
                     QString(),
                     {root + QStringLiteral("/applications")}});
    return files;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Writes through a temporary file beside the target, so a reader sees the old file or the new
// one and never a part.
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        setError(error, QStringLiteral("Cannot create the folder of %1").arg(path));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

// Removes a file's folders while they are empty; rmdir refuses a folder that holds anything.
void removeEmptyFolders(const QStringList &folders)
{
    for (const QString &folder : folders) {
        if (!QDir().rmdir(folder))
            break;
    }
}

} // namespace

QString defaultDataHome()
{
    // The base directory rules ignore a relative XDG_DATA_HOME.
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

bool isDesktopEntryInstalled(const QString &dataHome)
{
    if (dataHome.isEmpty())
        return false;
    return QFileInfo(installedFiles(dataHome).back().path).isFile();
}

bool installDesktopEntry(const QString &dataHome, const QString &executable, QString *error)
{
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome)) {
        setError(error,
                 QStringLiteral("The data folder \"%1\" is not an absolute path").arg(dataHome));
        return false;
    }
    const QString text = desktopEntryText(executable);
    if (text.isEmpty()) {
        setError(error, QStringLiteral("The program's path \"%1\" cannot be written into a "
                                       "desktop entry")
                            .arg(executable));
        return false;
    }
    std::vector<InstalledFile> created;
    const auto undo = [&created] {
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            QFile::remove(it->path);
            removeEmptyFolders(it->folders);
        }
    };
    for (const InstalledFile &file : installedFiles(dataHome)) {
        QByteArray bytes;
        if (file.source.isEmpty()) {
            bytes = text.toUtf8();
        } else {
            QFile source(file.source);
            if (!source.open(QIODevice::ReadOnly)) {
                setError(
                    error,
                    QStringLiteral("The icon %1 is missing from the program").arg(file.source));
                undo();
                return false;
            }
            bytes = source.readAll();
        }
        const bool existed = QFileInfo::exists(file.path);
        if (!writeAtomically(file.path, bytes, error)) {
            undo();
            return false;
        }
        if (!existed)
            created.push_back(file);
    }
    return true;
}

bool removeDesktopEntry(const QString &dataHome, QString *error)
{
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome)) {
        setError(error,
                 QStringLiteral("The data folder \"%1\" is not an absolute path").arg(dataHome));
        return false;
    }
    std::vector<InstalledFile> files = installedFiles(dataHome);
    bool removedAll = true;
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        const QFileInfo info(it->path);
        if (!info.exists() && !info.isSymLink())
            continue;
        if (!QFile::remove(it->path)) {
            setError(error, QStringLiteral("Cannot remove %1").arg(it->path));
            removedAll = false;
            continue;
        }
        removeEmptyFolders(it->folders);
    }
    return removedAll;
}

} // namespace pw::desktop
