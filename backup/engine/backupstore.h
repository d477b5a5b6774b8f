// One document's backups: its ".bak" copy or its folder of numbered versions.
#pragma once

#include "backup/engine/backupsettings.h"

#include <QList>
#include <QString>
#include <optional>

namespace pw {
class RegistrySettings;
}

namespace pw::backup {

// One numbered copy of the document's file.
struct BackupVersion
{
    qint64 time = 0; // when the copy was made, seconds since 1970 UTC
    QString path;    // the copy, with the platform's separators

    friend bool operator==(const BackupVersion &, const BackupVersion &) = default;
};

// What became of a backup. A failed backup never stops the save that asked for it: the caller
// shows `message` and goes on writing the document.
struct BackupResult
{
    bool ok = true;  // false only when a copy was due and could not be made
    QString message; // the text for the user when !ok
    QString reason;  // the system's reason when !ok, for details and logs

    static BackupResult failure(const QString &reason);
};

// The backups of one document, owned by the document. Works on the UI thread; the registry layer
// it is given must outlive it.
//
// Bookkeeping kept in the per-user registry so that a document finds its history again after a
// restart: "BackupFolders"/<document path> holds the document's folder number (handed out from
// "BackupSettings"/"NextFolderId", never reused for another path), and "BackupFolders"/<folder
// number> the next version number in that folder. Version numbers only grow.
//
// Layout in Versions mode: <root>/<folder number>/<version number>, each a byte copy of the file as
// it was before a save. In Simple mode: "<document path>.bak" beside the document.
//
// Invariants: versions() is in ascending time order (ties by version number), and holds no more
// than keptVersions() entries except for copies that could not be deleted. The store's target
// always matches the mode and root it was computed for; prune(settings) re-targets it.
class BackupStore
{
public:
    explicit BackupStore(RegistrySettings &registry, const BackupSettings &settings = {});

    // The document got a path (on load, after Save As, or for a document that had no backups yet):
    // remembers it, finds or makes its folder, loads the versions found there and prunes them.
    void init(const QString &documentPath);

    // Called by the document's plain save, before the file is written: copies the file as it is
    // now. Does nothing when the mode is None, the store has no target, or the file does not
    // exist yet (there is nothing to lose). The copy it supersedes is deleted in the background
    // (removeFileLater); the list no longer holds it when this returns.
    BackupResult makeBackup();

    // The text document's rule before every save: a plain save of a document whose store holds
    // backups makes one; any other save (Save As, an untitled document, a store without a target)
    // only points the store at `documentPath`.
    BackupResult backupBeforeSave(const QString &documentPath, bool plainSave);

    // Trims the versions to keptVersions(), deleting the oldest files; a file that cannot be
    // deleted stays listed. In mode None forgets the list, the target and the folder number.
    void prune();
    // New settings from the main window, then prune(). A change of mode or root folder points the
    // store at the new place at once (the old copies stay where they are).
    void prune(const BackupSettings &settings);

    // True when a save would make a copy: a ".bak" path or a known version folder.
    bool hasBackups() const;
    // The rule of "View Backup Versions": a version folder known and at least one version in it.
    bool canViewVersions() const;

    // The document closes: with "DeleteOnExit", removes its copies (the ".bak", or the version
    // folder and its two registry values).
    void deleteOnClose();

    int versionCount() const { return int(m_versions.size()); }
    // 0 is the oldest. Precondition: 0 <= index < versionCount().
    const BackupVersion &getVersion(int index) const { return m_versions.at(index); }
    const QList<BackupVersion> &versions() const { return m_versions; }

    // Forgets the list, the target and the folder number; the files and registry stay.
    void clear();

    // Removes every document's versions under the store's root folder and the registry map.
    bool deleteAllBackups();
    // The same for a given root: deletes "BackupFolders", sets "NextFolderId" to 0, and removes the
    // root's numbered folders, then the root itself once nothing else is left in it (a root the
    // user pointed at a folder of their own keeps their files). False when something stayed.
    static bool deleteAllBackups(RegistrySettings &registry, const QString &rootFolder);

    const BackupSettings &settings() const { return m_settings; }
    const QString &source() const { return m_source; }
    // The ".bak" path or the version folder; empty when none.
    const QString &target() const { return m_target; }
    std::optional<int> folderNumber() const { return m_folder; }

    // The registry value name of a document path: its absolute, clean form with the platform's
    // separators.
    static QString documentKey(const QString &documentPath);

private:
    void loadVersions();
    int takeFolderNumber(const QString &key);
    int takeVersionNumber();
    bool removeVersion(const BackupVersion &version);

    RegistrySettings &m_registry;
    BackupSettings m_settings;
    QList<BackupVersion> m_versions;
    QString m_target;
    QString m_source;
    std::optional<int> m_folder;
    // The mode and root the target was computed for.
    BackupMode m_targetMode = BackupMode::None;
    QString m_targetRoot;
};

// What the "Backup Manager" page's Apply does: in Versions mode creates the root with all its
// parents, hands the settings to every store (prune), and in mode None deletes all backups.
// Returns a failure when the root cannot be created.
BackupResult applySettings(RegistrySettings &registry, const BackupSettings &settings,
                           const QList<BackupStore *> &stores);

// "Delete Files...": every store forgets its backups, then all of them are deleted.
bool deleteAllFileBackups(RegistrySettings &registry, const QString &rootFolder,
                          const QList<BackupStore *> &stores);

} // namespace pw::backup
