// The rows of the "Document Backups" dialog and its "Compare" rule, without the dialog.
#include "backup/engine/versionlist.h"

#include "resources/resources.h"
#include "resources/stringids.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace pw::backup {

QString formatVersionTime(const QDateTime &when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    // The month is always the English name, whatever the user's language.
    const QByteArray month = date.isValid() ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                  .monthName(date.month(), QLocale::LongFormat)
                                                  .toUtf8()
                                            : QByteArray();
    return QString::asprintf(res::string(Str::BackupTimeFormat), date.isValid() ? date.day() : 0,
                             month.constData(), date.isValid() ? date.year() : 0,
                             time.isValid() ? time.hour() : 0, time.isValid() ? time.minute() : 0);
}

QString formatVersionTime(qint64 secondsSinceEpoch)
{
    return formatVersionTime(QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, Qt::LocalTime));
}

QList<VersionListItem> versionListItems(const QString &documentPath,
                                        const QList<BackupVersion> &versions)
{
    QList<VersionListItem> items;
    items.reserve(versions.size() + 1);
    items.append(
        {std::nullopt, QString::fromUtf8(res::string(Str::BackupCurrentItem)), documentPath});
    for (qsizetype i = versions.size() - 1; i >= 0; --i) {
        const BackupVersion &version = versions[i];
        if (!QFileInfo(version.path).isFile())
            continue;
        items.append({int(i), formatVersionTime(version.time), version.path});
    }
    return items;
}

CompareChoice chooseCompare(const QList<VersionListItem> &items, QList<int> selectedRows)
{
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    const bool valid =
        selectedRows.size() == 2 && selectedRows.front() >= 0 && selectedRows.back() < items.size();
    if (!valid)
        return {false, {}, {}, QString::fromUtf8(res::string(Str::BackupSelectTwo))};
    return {true, items[selectedRows[0]].path, items[selectedRows[1]].path, {}};
}

} // namespace pw::backup
