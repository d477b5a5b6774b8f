// The backup settings a store works with, taken from the main window's copy of the settings.
#pragma once

#include <QString>

namespace pw {
struct FrameSettings;
}

namespace pw::backup {

enum class BackupMode {
    None = 0,     // no copies
    Simple = 1,   // one "<file>.bak" beside the file, replaced on every save
    Versions = 2, // numbered copies in a folder of their own per document
};

// Plain data; the main window hands a copy to every store (at creation and through prune()).
struct BackupSettings
{
    // Smallest and largest "Versions" a store keeps.
    static constexpr int MinVersions = 1;
    static constexpr int MaxVersions = 99;

    // "Setting" as stored: 0 none, 1 ".bak", 2 versions. Any other value means no backups.
    int setting = 0;
    // "Versions": how many numbered copies a document keeps; read through keptVersions().
    int versions = MinVersions;
    // "DeleteOnExit": a document's copies go when the document closes.
    bool deleteOnExit = false;
    // "BackupFolder": the root of the version folders, already resolved to the effective folder
    // (the main window substitutes the program's default for an empty setting). A store in
    // Versions mode with an empty root keeps no versions.
    QString rootFolder;

    BackupMode mode() const;
    // versions clamped to [MinVersions, MaxVersions].
    int keptVersions() const;

    static BackupSettings fromFrame(const FrameSettings &frame);

    friend bool operator==(const BackupSettings &, const BackupSettings &) = default;
};

} // namespace pw::backup
