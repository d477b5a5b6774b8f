// The backup settings a store works with, taken from the main window's copy of the settings.
#include "backup/engine/backupsettings.h"

#include "settings/framesettings.h"

#include <algorithm>

namespace pw::backup {

BackupMode BackupSettings::mode() const
{
    switch (setting) {
    case int(BackupMode::Simple):
        return BackupMode::Simple;
    case int(BackupMode::Versions):
        return BackupMode::Versions;
    default:
        // A hand-edited or damaged settings file must not invent a mode.
        return BackupMode::None;
    }
}

int BackupSettings::keptVersions() const
{
    return std::clamp(versions, MinVersions, MaxVersions);
}

BackupSettings BackupSettings::fromFrame(const FrameSettings &frame)
{
    BackupSettings s;
    s.setting = frame.backupSetting;
    s.versions = frame.versions;
    s.deleteOnExit = frame.deleteOnExit;
    s.rootFolder = frame.backupFolder;
    return s;
}

} // namespace pw::backup
