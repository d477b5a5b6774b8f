// BackupManager and each document's backups: the store kept in step with the settings, its
// failures shown, the versions dialog and the compare it leads to.
#include "backup/backupmanager.h"

#include "backup/backuphistorydialog.h"
#include "backup/engine/versionlist.h"
#include "framework/messages.h"
#include "settings/framesettings.h"
#include "settings/registrysettings.h"

#include <QDir>
#include <QFileInfo>

namespace pw {

// What the manager and the documents' backups share; it lives as long as any of them.
struct BackupManager::Shared
{
    explicit Shared(EditorHost &h) : host(h), registry(std::make_unique<RegistrySettings>()) {}

    backup::BackupSettings settings() const
    {
        return backup::BackupSettings::fromFrame(host.settings());
    }
    void report(const backup::BackupResult &result) const
    {
        if (!result.ok)
            showMessage(host.window(), MessageIcon::Exclamation, result.message);
    }

    EditorHost &host;
    std::unique_ptr<RegistrySettings> registry;
    QList<backup::BackupStore *> stores;
};

namespace {

class StoreBackups : public DocumentBackups
{
public:
    explicit StoreBackups(std::shared_ptr<BackupManager::Shared> shared)
        : m_shared(std::move(shared)), m_store(*m_shared->registry, m_shared->settings())
    {
        m_shared->stores.append(&m_store);
    }
    ~StoreBackups() override { m_shared->stores.removeOne(&m_store); }

    void init(const QString &path) override
    {
        followSettings();
        m_store.init(path);
    }

    void beforePlainSave(const QString &path) override
    {
        followSettings();
        // The root is made on first use, so that a root nobody created yet is no failure.
        const backup::BackupSettings &settings = m_store.settings();
        if (settings.mode() == backup::BackupMode::Versions && !settings.rootFolder.isEmpty() &&
            !QFileInfo(settings.rootFolder).isDir())
            QDir().mkpath(settings.rootFolder);
        m_shared->report(m_store.backupBeforeSave(path, true));
    }

    void close() override
    {
        followSettings();
        m_store.deleteOnClose();
    }

    bool canViewVersions() const override { return m_store.canViewVersions(); }

    void viewVersions() override
    {
        CBackupHistoryDlg dialog(backup::versionListItems(m_store.source(), m_store.versions()),
                                 m_shared->host.window());
        if (dialog.run() != QDialog::Accepted)
            return;
        const backup::CompareChoice &choice = dialog.choice();
        if (choice.ok && choice.firstPath != choice.secondPath)
            m_shared->host.openCompare(choice.firstPath, choice.secondPath);
    }

private:
    // Settings changed since the store last acted reach it through prune, as Apply's would.
    void followSettings()
    {
        const backup::BackupSettings now = m_shared->settings();
        if (!(now == m_store.settings()))
            m_store.prune(now);
    }

    std::shared_ptr<BackupManager::Shared> m_shared;
    backup::BackupStore m_store;
};

} // namespace

BackupManager::BackupManager(EditorHost &host, QObject *parent)
    : QObject(parent), m_shared(std::make_shared<Shared>(host))
{}

BackupManager::~BackupManager() = default;

std::unique_ptr<DocumentBackups> BackupManager::createDocumentBackups()
{
    return std::make_unique<StoreBackups>(m_shared);
}

backup::BackupSettings BackupManager::settings() const
{
    return m_shared->settings();
}

QList<backup::BackupStore *> BackupManager::stores() const
{
    return m_shared->stores;
}

backup::BackupResult BackupManager::applySettings()
{
    const backup::BackupResult result =
        backup::applySettings(*m_shared->registry, settings(), m_shared->stores);
    m_shared->report(result);
    return result;
}

bool BackupManager::deleteAllBackups()
{
    return backup::deleteAllFileBackups(*m_shared->registry, settings().rootFolder,
                                        m_shared->stores);
}

bool BackupManager::useRegistryFile(const QString &iniFile)
{
    if (!m_shared->stores.isEmpty())
        return false;
    m_shared->registry = std::make_unique<RegistrySettings>(iniFile);
    return true;
}

} // namespace pw
