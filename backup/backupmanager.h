// BackupManager: the program's backup service, one store per open text document.
#pragma once

#include "backup/engine/backupstore.h"
#include "editor/editorhost.h"

#include <QObject>
#include <memory>

namespace pw {

// Makes each text document's DocumentBackups over a BackupStore, all sharing one registry map.
// The stores take the main window's backup settings ("BackupSettings") as they are whenever they
// act, so a change reaches a document at its next save at the latest; applySettings() is the
// properties page's Apply, reaching every open document at once (pruning their versions).
class BackupManager : public QObject, public BackupService
{
    Q_OBJECT
public:
    explicit BackupManager(EditorHost &host, QObject *parent = nullptr);
    ~BackupManager() override;

    std::unique_ptr<DocumentBackups> createDocumentBackups() override;

    // The main window's backup settings as a store takes them.
    backup::BackupSettings settings() const;
    // Apply: in Versions mode the root is created, every open document's store is pruned to the
    // new settings, and in mode None every backup is deleted. A root that cannot be created is
    // reported to the user.
    backup::BackupResult applySettings();
    bool applyBackupSettings() override { return applySettings().ok; }
    // "Delete Files...": every store forgets its backups, then all of them are deleted.
    bool deleteAllBackups() override;

    // The stores of the open text documents.
    QList<backup::BackupStore *> stores() const;
    // Keeps the registry map in an INI file instead of the user's own (benchmarks). Refused
    // (false) while any document has a store, since stores hold on to the map they started with.
    bool useRegistryFile(const QString &iniFile);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

} // namespace pw
