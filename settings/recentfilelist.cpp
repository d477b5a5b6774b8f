// The most-recently-used file list: newest first, no duplicates, a fixed number of entries.
#include "settings/recentfilelist.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace pw {

namespace {

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString comparable(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? absoluteClean(path) : canonical;
}

} // namespace

RecentFileList::RecentFileList(int capacity) : m_capacity(std::max(capacity, 1)) {}

bool RecentFileList::samePath(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() && b.isEmpty();
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return QString::compare(comparable(a), comparable(b), cs) == 0;
}

qsizetype RecentFileList::indexOf(const QString &path) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (samePath(m_entries[i], path))
            return i;
    }
    return -1;
}

void RecentFileList::setEntries(const QStringList &paths)
{
    m_entries.clear();
    for (const QString &path : paths) {
        if (m_entries.size() >= m_capacity)
            break;
        if (!path.isEmpty() && indexOf(path) < 0)
            m_entries.append(absoluteClean(path));
    }
}

void RecentFileList::add(const QString &path)
{
    if (path.isEmpty())
        return;
    const qsizetype existing = indexOf(path);
    if (existing >= 0)
        m_entries.removeAt(existing);
    m_entries.prepend(absoluteClean(path));
    while (m_entries.size() > m_capacity)
        m_entries.removeLast();
}

bool RecentFileList::remove(const QString &path)
{
    const qsizetype existing = indexOf(path);
    if (existing < 0)
        return false;
    m_entries.removeAt(existing);
    return true;
}

} // namespace pw
