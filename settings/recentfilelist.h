// The most-recently-used file list: newest first, no duplicates, a fixed number of entries.
#pragma once

#include "settings/settingkeys.h"

#include <QString>
#include <QStringList>

namespace pw {

class RecentFileList
{
public:
    explicit RecentFileList(int capacity = settings::registry::RecentFileCount);

    // Newest first; absolute, cleaned paths; never more than capacity().
    const QStringList &entries() const { return m_entries; }
    int capacity() const { return m_capacity; }

    // Replaces the list, dropping empty entries and later duplicates, keeping the first capacity().
    void setEntries(const QStringList &paths);
    // Puts path first; an entry for the same file moves up instead of appearing twice.
    void add(const QString &path);
    // False when no entry names the same file.
    bool remove(const QString &path);

    // Whether two paths name the same file: compared as canonical absolute paths (symbolic
    // links resolved when the file exists), without regard to case on Windows and exactly
    // elsewhere.
    static bool samePath(const QString &a, const QString &b);

private:
    qsizetype indexOf(const QString &path) const;

    QStringList m_entries;
    int m_capacity;
};

} // namespace pw
