// Whole-file copies that use the file system's cheap copy where it has one, and file times.
#pragma once

#include <QDateTime>
#include <QFileInfo>
#include <QString>

namespace pw::backup {

// How a copy moved its bytes, cheapest first.
enum class CopyMethod {
    Clone,     // the file system shares the blocks (Linux FICLONE: Btrfs, XFS, bcachefs...)
    CopyRange, // the kernel copies without a trip through user space (copy_file_range)
    ReadWrite, // a plain read/write loop
};

const char *copyMethodName(CopyMethod method);

struct CopyOutcome
{
    bool ok = false;
    CopyMethod method = CopyMethod::ReadWrite; // the method that moved the bytes when ok
    QString error;                             // the system's reason when !ok
};

// Copies the regular file `from` to `to`. An existing `to` is replaced by a new file (so its
// creation time is the copy's), which gets the permission bits of `from` and, when `stamp` is
// valid, `stamp` as its modification time. On failure nothing is left at `to`: a half-written
// copy on a full disk must never pass for a good one.
//
// `cheapest` is the first method tried; each method falls back to the next when the file system
// does not support it. Tests pass a later method to exercise the fallbacks.
CopyOutcome copyFile(const QString &from, const QString &to, const QDateTime &stamp = {},
                     CopyMethod cheapest = CopyMethod::Clone);

// When the file was made: its birth time where the file system records one, otherwise its
// modification time (which copyFile() set to the backup moment). Seconds since 1970 UTC; 0 for a
// file that is gone.
qint64 creationTime(const QString &path);
// The same for an entry already listed (no second look at the disk).
qint64 creationTime(const QFileInfo &info);

// Removes a file; a file that is already gone counts as removed.
bool removeFile(const QString &path);

} // namespace pw::backup
