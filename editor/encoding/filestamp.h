// What identifies one version of a file on disk, so a change by another program can be noticed.
#pragma once

#include <QString>
#include <cstdint>

namespace pw::enc {

// Taken when a file is loaded or saved and compared with a fresh one later. Two stamps are equal
// when size, modification time (to the nanosecond), inode and device all agree; a save by another
// program that replaces the file changes the inode even when it keeps the time.
struct FileStamp
{
    bool exists = false;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since the epoch
    std::uint64_t inode = 0;
    std::uint64_t device = 0;

    // The stamp of path now, following symbolic links; exists is false when there is no file
    // (or it cannot be examined).
    static FileStamp of(const QString &path);

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

enum class FileChange {
    None,     // the same version (or still no file)
    Modified, // changed, replaced, or created where there was none
    Deleted,  // gone
};

// How the file of stamp known has changed, judging by the stamp taken now.
FileChange compareStamps(const FileStamp &known, const FileStamp &now);

} // namespace pw::enc
