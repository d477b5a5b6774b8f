// One document's backups: its ".bak" copy or its folder of numbered versions.
#include "backup/engine/backupstore.h"

#include "settings/registrysettings.h"
#include "backup/engine/filecopy.h"
#include "backup/engine/removalqueue.h"
#include "resources/resources.h"
#include "resources/stringids.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>

namespace pw::backup {

namespace {

// The root as an absolute, clean path with the platform's separators; empty stays empty.
QString normalizedRoot(const QString &root)
{
    if (root.trimmed().isEmpty())
        return {};
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(root).absolutePath()));
}

QString joinPath(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

QString joinPath(const QString &folder, int number)
{
    return joinPath(folder, QString::number(number));
}

bool isNumber(const QString &name)
{
    return !name.isEmpty() &&
           std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Copies made within the same second keep the order of their version numbers.
bool olderThan(const BackupVersion &a, const BackupVersion &b)
{
    if (a.time != b.time)
        return a.time < b.time;
    bool aNumeric = false;
    bool bNumeric = false;
    const qlonglong an = QFileInfo(a.path).fileName().toLongLong(&aNumeric);
    const qlonglong bn = QFileInfo(b.path).fileName().toLongLong(&bNumeric);
    if (aNumeric && bNumeric)
        return an < bn;
    if (aNumeric != bNumeric)
        return aNumeric;
    return a.path < b.path;
}

} // namespace

BackupResult BackupResult::failure(const QString &reason)
{
    return {false, QString::fromUtf8(res::string(Str::BackupFailed)), reason};
}

BackupStore::BackupStore(RegistrySettings &registry, const BackupSettings &settings)
    : m_registry(registry), m_settings(settings)
{}

QString BackupStore::documentKey(const QString &documentPath)
{
    if (documentPath.isEmpty())
        return {};
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(documentPath).absoluteFilePath()));
}

void BackupStore::clear()
{
    m_versions.clear();
    m_target.clear();
    m_folder.reset();
    m_targetMode = BackupMode::None;
    m_targetRoot.clear();
}

void BackupStore::init(const QString &documentPath)
{
    clear();
    m_source = documentPath;
    if (documentPath.isEmpty())
        return;
    switch (m_settings.mode()) {
    case BackupMode::None:
        return;
    case BackupMode::Simple:
        m_target = documentPath + QStringLiteral(".bak");
        m_targetMode = BackupMode::Simple;
        return;
    case BackupMode::Versions:
        break;
    }
    const QString root = normalizedRoot(m_settings.rootFolder);
    if (root.isEmpty())
        return;
    const QString key = documentKey(documentPath);
    int folder = m_registry.backupFolderValue(key, -1);
    if (folder < 0)
        folder = takeFolderNumber(key);
    m_folder = folder;
    m_target = joinPath(root, folder);
    m_targetMode = BackupMode::Versions;
    m_targetRoot = root;
    loadVersions();
    prune();
}

int BackupStore::takeFolderNumber(const QString &key)
{
    const QString root = normalizedRoot(m_settings.rootFolder);
    int id = std::max(0, m_registry.nextBackupFolderId(0));
    // A registry that lost its map (a new user profile, a restored backup root) must not hand this
    // document another document's history.
    while (id < INT_MAX - 1 && QFileInfo::exists(joinPath(root, id)))
        ++id;
    m_registry.setNextBackupFolderId(id + 1);
    m_registry.setBackupFolderValue(key, id);
    return id;
}

int BackupStore::takeVersionNumber()
{
    const QString name = QString::number(*m_folder);
    int number = std::max(0, m_registry.backupFolderValue(name, 0));
    // Same reason: a lost counter must not overwrite an older copy.
    while (number < INT_MAX - 1 && QFileInfo::exists(joinPath(m_target, number)))
        ++number;
    m_registry.setBackupFolderValue(name, number + 1);
    return number;
}

void BackupStore::loadVersions()
{
    waitForPendingRemovals();
    m_versions.clear();
    const QFileInfoList entries =
        QDir(m_target).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries)
        m_versions.append({creationTime(entry), joinPath(m_target, entry.fileName())});
    std::sort(m_versions.begin(), m_versions.end(), olderThan);
}

bool BackupStore::removeVersion(const BackupVersion &version)
{
    waitForPendingRemovals();
    return removeFile(version.path);
}

BackupResult BackupStore::makeBackup()
{
    const BackupMode mode = m_settings.mode();
    if (mode == BackupMode::None || mode != m_targetMode || m_target.isEmpty())
        return {};
    if (!QFileInfo(m_source).isFile())
        return {};

    if (mode == BackupMode::Simple) {
        const CopyOutcome copy = copyFile(m_source, m_target, QDateTime::currentDateTimeUtc());
        return copy.ok ? BackupResult{} : BackupResult::failure(copy.error);
    }

    const int number = takeVersionNumber();
    const QString destination = joinPath(m_target, number);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!QFileInfo(m_target).isDir() && !QDir().mkdir(m_target))
        return BackupResult::failure(QStringLiteral("cannot create the folder ") + m_target);
    const CopyOutcome copy = copyFile(m_source, destination, now);
    if (!copy.ok)
        return BackupResult::failure(copy.error);

    // The oldest goes even when its file cannot be deleted: the new copy is what must be kept.
    // (A file left behind that way is pruned at the next load.)
    while (!m_versions.isEmpty() && m_versions.size() >= m_settings.keptVersions())
        removeFileLater(m_versions.takeFirst().path);
    m_versions.append({now.toSecsSinceEpoch(), destination});
    return {};
}

BackupResult BackupStore::backupBeforeSave(const QString &documentPath, bool plainSave)
{
    if (plainSave && hasBackups())
        return makeBackup();
    init(documentPath);
    return {};
}

void BackupStore::prune()
{
    if (m_settings.mode() == BackupMode::None) {
        clear();
        return;
    }
    const qsizetype excess = m_versions.size() - m_settings.keptVersions();
    if (excess <= 0)
        return;
    QList<BackupVersion> kept;
    kept.reserve(m_versions.size() - excess);
    for (qsizetype i = 0; i < m_versions.size(); ++i) {
        if (i < excess && removeVersion(m_versions[i]))
            continue;
        kept.append(m_versions[i]);
    }
    m_versions = std::move(kept);
}

void BackupStore::prune(const BackupSettings &settings)
{
    const BackupMode mode = settings.mode();
    const bool moved =
        mode != m_targetMode ||
        (mode == BackupMode::Versions && normalizedRoot(settings.rootFolder) != m_targetRoot);
    m_settings = settings;
    if (moved && mode != BackupMode::None && !m_source.isEmpty()) {
        init(m_source);
        return;
    }
    prune();
}

bool BackupStore::hasBackups() const
{
    return m_settings.mode() != BackupMode::None && m_settings.mode() == m_targetMode &&
           !m_target.isEmpty();
}

bool BackupStore::canViewVersions() const
{
    return hasBackups() && m_targetMode == BackupMode::Versions && !m_versions.isEmpty();
}

void BackupStore::deleteOnClose()
{
    if (!m_settings.deleteOnExit || m_target.isEmpty())
        return;
    waitForPendingRemovals();
    if (m_targetMode == BackupMode::Simple) {
        removeFile(m_target);
    } else if (m_targetMode == BackupMode::Versions && m_folder) {
        m_registry.removeBackupFolderValue(QString::number(*m_folder));
        m_registry.removeBackupFolderValue(documentKey(m_source));
        QDir(m_target).removeRecursively();
    }
    clear();
}

bool BackupStore::deleteAllBackups()
{
    return deleteAllBackups(m_registry, m_settings.rootFolder);
}

bool BackupStore::deleteAllBackups(RegistrySettings &registry, const QString &rootFolder)
{
    waitForPendingRemovals();
    registry.removeAllBackupFolders();
    registry.setNextBackupFolderId(0);
    const QString root = normalizedRoot(rootFolder);
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return true;
    constexpr QDir::Filters everything =
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    bool ok = true;
    const QFileInfoList entries = QDir(root).entryInfoList(everything, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir() && !entry.isSymLink() && isNumber(entry.fileName()))
            ok = QDir(entry.absoluteFilePath()).removeRecursively() && ok;
    }
    if (QDir(root).isEmpty(everything))
        ok = QDir().rmdir(root) && ok;
    return ok;
}

BackupResult applySettings(RegistrySettings &registry, const BackupSettings &settings,
                           const QList<BackupStore *> &stores)
{
    BackupResult result;
    if (settings.mode() == BackupMode::Versions && !settings.rootFolder.trimmed().isEmpty() &&
        !QDir().mkpath(settings.rootFolder))
        result = BackupResult::failure(QStringLiteral("cannot create the folder ") +
                                       settings.rootFolder);
    for (BackupStore *store : stores)
        store->prune(settings);
    if (settings.mode() == BackupMode::None)
        BackupStore::deleteAllBackups(registry, settings.rootFolder);
    return result;
}

bool deleteAllFileBackups(RegistrySettings &registry, const QString &rootFolder,
                          const QList<BackupStore *> &stores)
{
    for (BackupStore *store : stores)
        store->clear();
    return BackupStore::deleteAllBackups(registry, rootFolder);
}

} // namespace pw::backup
