// The values kept under the per-user application key: placements, reopen list, backup bookkeeping.
#pragma once

#include "settings/windowplacement.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;

namespace pw {

// A thin layer over QSettings("Brightmoor", "Penwright"): the registry on Windows,
// ~/.config/Brightmoor/Penwright.conf on Linux. Every setter syncs at once, so a second program
// instance (the reopen hand-over) or a crash right after sees the value.
//
// Value names that are file paths (FilesToOpen, BackupFolders) cannot be QSettings keys as they
// are, because QSettings reads "/" and "\" as group separators; they are stored under
// encodeValueName(path), which replaces "%", "/" and "\" by "%25", "%2F" and "%5C" and keeps
// everything else, so the stored names stay readable and decode back exactly.
class RegistrySettings
{
public:
    // The user's real application key.
    RegistrySettings();
    // An INI file instead (tests; a copy of the program that keeps its settings beside itself).
    explicit RegistrySettings(const QString &iniFile);
    ~RegistrySettings();
    RegistrySettings(const RegistrySettings &) = delete;
    RegistrySettings &operator=(const RegistrySettings &) = delete;

    // "PenwrightPath" directly under the application key: the running program's full path.
    QString penwrightPath() const;
    void setPenwrightPath(const QString &programPath);

    // "FilesToOpen": one value per document to reopen, data = its full path.
    bool hasFilesToOpen() const;
    // The non-empty paths, in no particular order.
    QStringList filesToOpen() const;
    void addFileToOpen(const QString &path);
    // Deletes the key with all its values.
    void clearFilesToOpen();

    // "Settings"/"Window Position": the main window; nullopt unless exactly 44 bytes are stored.
    std::optional<WindowPlacement> windowPosition() const;
    void setWindowPosition(const WindowPlacement &placement);

    // "<name>"/"WindowPlacement" of a resizable dialog ("FindDialog", "ReplaceDialog", ...);
    // nullopt unless exactly 44 bytes are stored.
    std::optional<WindowPlacement> dialogPlacement(const QString &placementName) const;
    void setDialogPlacement(const QString &placementName, const WindowPlacement &placement);

    // "Settings"/"AppPath": where an installer put the desktop-integration files; read only.
    QString appPath() const;

    // "BackupSettings"/"NextFolderId": the next backup folder number.
    int nextBackupFolderId(int defaultValue = 0) const;
    void setNextBackupFolderId(int id);
    // "BackupFolders"/<name>, named by a document's full path or by a folder number ("%d").
    int backupFolderValue(const QString &name, int defaultValue) const;
    void setBackupFolderValue(const QString &name, int value);
    void removeBackupFolderValue(const QString &name);
    // Deletes the "BackupFolders" key with all its values.
    void removeAllBackupFolders();

    // "CommandBars": the toolbar layout blob, empty when none is stored.
    QByteArray commandBars() const;
    void setCommandBars(const QByteArray &layout);

    // "Recent File List"/"File1".."File4", newest first; empty entries are skipped on reading.
    QStringList recentFiles() const;
    // Writes the first four entries and removes the rest.
    void setRecentFiles(const QStringList &paths);

    static QString encodeValueName(const QString &name);
    static QString decodeValueName(const QString &encoded);

private:
    void commit();

    std::unique_ptr<QSettings> m_settings;
};

} // namespace pw
