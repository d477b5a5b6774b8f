// The rows of the "Document Backups" dialog and its "Compare" rule, without the dialog.
#pragma once

#include "backup/engine/backupstore.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace pw::backup {

// One row of the versions dialog.
struct VersionListItem
{
    // Index into BackupStore::versions() (0 = oldest); nullopt for the "Current" row.
    std::optional<int> version;
    QString text; // as shown
    QString path; // the file the row stands for: the document's own file for "Current"

    friend bool operator==(const VersionListItem &, const VersionListItem &) = default;
};

// "%02d %s %d  %02d:%02d": day, English month name, year, hour, minute of `when` in its own time
// zone (an invalid date gives an empty month name and zeros).
QString formatVersionTime(const QDateTime &when);
// A version's time (seconds since 1970 UTC) in the local time zone, formatted as above.
QString formatVersionTime(qint64 secondsSinceEpoch);

// "Current" (the document's file) first, then the versions from the newest to the oldest. A version
// whose file has vanished behind the program's back is left out; the indices of the others still
// point into `versions`.
QList<VersionListItem> versionListItems(const QString &documentPath,
                                        const QList<BackupVersion> &versions);

// The outcome of "Compare" with some rows selected.
struct CompareChoice
{
    bool ok = false;
    QString firstPath;  // the upper selected row's file
    QString secondPath; // the lower selected row's file
    QString message;    // the refusal to show when !ok
};

// Exactly two distinct, valid rows give their files in list order; anything else gives the
// "select just two" refusal.
CompareChoice chooseCompare(const QList<VersionListItem> &items, QList<int> selectedRows);

} // namespace pw::backup
