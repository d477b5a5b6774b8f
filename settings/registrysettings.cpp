// The values kept under the per-user application key: placements, reopen list, backup bookkeeping.
#include "settings/registrysettings.h"

#include "settings/settingkeys.h"

#include <QSettings>

namespace pw {

namespace reg = settings::registry;

namespace {

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

QString join(const char *group, const QString &name)
{
    return latin1(group) + QLatin1Char('/') + name;
}

} // namespace

RegistrySettings::RegistrySettings()
    : m_settings(std::make_unique<QSettings>(latin1(reg::Organization), latin1(reg::Application)))
{}

RegistrySettings::RegistrySettings(const QString &iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{}

RegistrySettings::~RegistrySettings() = default;

void RegistrySettings::commit()
{
    m_settings->sync();
}

QString RegistrySettings::encodeValueName(const QString &name)
{
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'%')
            out += QLatin1StringView("%25");
        else if (c == u'/')
            out += QLatin1StringView("%2F");
        else if (c == u'\\')
            out += QLatin1StringView("%5C");
        else
            out += c;
    }
    return out;
}

QString RegistrySettings::decodeValueName(const QString &encoded)
{
    QString out;
    out.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QStringView code = QStringView(encoded).mid(i, 3);
        if (code.compare(QLatin1StringView("%25"), Qt::CaseInsensitive) == 0) {
            out += u'%';
            i += 2;
        } else if (code.compare(QLatin1StringView("%2F"), Qt::CaseInsensitive) == 0) {
            out += u'/';
            i += 2;
        } else if (code.compare(QLatin1StringView("%5C"), Qt::CaseInsensitive) == 0) {
            out += u'\\';
            i += 2;
        } else {
            out += encoded[i];
        }
    }
    return out;
}

QString RegistrySettings::penwrightPath() const
{
    return m_settings->value(latin1(reg::PenwrightPath)).toString();
}

void RegistrySettings::setPenwrightPath(const QString &programPath)
{
    m_settings->setValue(latin1(reg::PenwrightPath), programPath);
    commit();
}

bool RegistrySettings::hasFilesToOpen() const
{
    m_settings->beginGroup(latin1(reg::FilesToOpen));
    const bool any = !m_settings->childKeys().isEmpty();
    m_settings->endGroup();
    return any;
}

QStringList RegistrySettings::filesToOpen() const
{
    QStringList paths;
    m_settings->beginGroup(latin1(reg::FilesToOpen));
    const QStringList keys = m_settings->childKeys();
    for (const QString &key : keys) {
        const QString path = m_settings->value(key).toString();
        if (!path.isEmpty())
            paths.append(path);
    }
    m_settings->endGroup();
    return paths;
}

void RegistrySettings::addFileToOpen(const QString &path)
{
    if (path.isEmpty())
        return;
    m_settings->setValue(join(reg::FilesToOpen, encodeValueName(path)), path);
    commit();
}

void RegistrySettings::clearFilesToOpen()
{
    m_settings->remove(latin1(reg::FilesToOpen));
    commit();
}

std::optional<WindowPlacement> RegistrySettings::windowPosition() const
{
    return WindowPlacement::decode(
        m_settings->value(join(reg::SettingsGroup, latin1(reg::WindowPosition))).toByteArray());
}

void RegistrySettings::setWindowPosition(const WindowPlacement &placement)
{
    m_settings->setValue(join(reg::SettingsGroup, latin1(reg::WindowPosition)), placement.encode());
    commit();
}

std::optional<WindowPlacement> RegistrySettings::dialogPlacement(const QString &placementName) const
{
    if (placementName.isEmpty())
        return std::nullopt;
    return WindowPlacement::decode(
        m_settings->value(placementName + QLatin1Char('/') + latin1(reg::WindowPlacementValue))
            .toByteArray());
}

void RegistrySettings::setDialogPlacement(const QString &placementName,
                                          const WindowPlacement &placement)
{
    if (placementName.isEmpty())
        return;
    m_settings->setValue(placementName + QLatin1Char('/') + latin1(reg::WindowPlacementValue),
                         placement.encode());
    commit();
}

QString RegistrySettings::appPath() const
{
    return m_settings->value(join(reg::SettingsGroup, latin1(reg::AppPath))).toString();
}

int RegistrySettings::nextBackupFolderId(int defaultValue) const
{
    bool ok = false;
    const int id =
        m_settings->value(join(reg::BackupSettingsGroup, latin1(reg::NextFolderId))).toInt(&ok);
    return ok ? id : defaultValue;
}

void RegistrySettings::setNextBackupFolderId(int id)
{
    m_settings->setValue(join(reg::BackupSettingsGroup, latin1(reg::NextFolderId)), id);
    commit();
}

int RegistrySettings::backupFolderValue(const QString &name, int defaultValue) const
{
    if (name.isEmpty())
        return defaultValue;
    bool ok = false;
    const int value = m_settings->value(join(reg::BackupFolders, encodeValueName(name))).toInt(&ok);
    return ok ? value : defaultValue;
}

void RegistrySettings::setBackupFolderValue(const QString &name, int value)
{
    if (name.isEmpty())
        return;
    m_settings->setValue(join(reg::BackupFolders, encodeValueName(name)), value);
    commit();
}

void RegistrySettings::removeBackupFolderValue(const QString &name)
{
    if (name.isEmpty())
        return;
    m_settings->remove(join(reg::BackupFolders, encodeValueName(name)));
    commit();
}

void RegistrySettings::removeAllBackupFolders()
{
    m_settings->remove(latin1(reg::BackupFolders));
    commit();
}

QByteArray RegistrySettings::commandBars() const
{
    return m_settings->value(join(reg::CommandBars, latin1(reg::CommandBarsLayout))).toByteArray();
}

void RegistrySettings::setCommandBars(const QByteArray &layout)
{
    m_settings->setValue(join(reg::CommandBars, latin1(reg::CommandBarsLayout)), layout);
    commit();
}

QStringList RegistrySettings::recentFiles() const
{
    QStringList paths;
    for (int i = 1; i <= reg::RecentFileCount; ++i) {
        const QString path =
            m_settings
                ->value(join(reg::RecentFileList,
                             latin1(reg::RecentFileEntryPrefix) + QString::number(i)))
                .toString();
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

void RegistrySettings::setRecentFiles(const QStringList &paths)
{
    m_settings->remove(latin1(reg::RecentFileList));
    for (int i = 0; i < reg::RecentFileCount && i < paths.size(); ++i) {
        m_settings->setValue(
            join(reg::RecentFileList, latin1(reg::RecentFileEntryPrefix) + QString::number(i + 1)),
            paths[i]);
    }
    commit();
}

} // namespace pw
