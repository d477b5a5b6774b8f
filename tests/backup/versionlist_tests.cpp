// The versions dialog's rows and its "Compare" rule, without the dialog.
#include "backup/engine/versionlist.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "tests/backup/backuptestutil.h"

#include <QLocale>
#include <cstdlib>
#include <ctime>

namespace pw::backup::test {
namespace {

TEST(VersionTime, IsDayEnglishMonthYearAndTheMinute)
{
    const std::pair<QDateTime, const char *> rows[] = {
        {QDateTime(QDate(2024, 3, 5), QTime(9, 7, 59), Qt::UTC), "05 March 2024  09:07"},
        {QDateTime(QDate(1999, 12, 31), QTime(23, 59), Qt::UTC), "31 December 1999  23:59"},
        {QDateTime(QDate(2030, 1, 1), QTime(0, 0), Qt::UTC), "01 January 2030  00:00"},
    };
    for (const auto &[time, expected] : rows)
        EXPECT_EQ(formatVersionTime(time), QString::fromUtf8(expected));
}

TEST(VersionTime, IsShownInLocalTimeWhateverTheUsersLanguage)
{
    // Two hours east of UTC, no daylight saving; a German locale must not change the month name.
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "PWT-2");
    ::tzset();
    const QLocale oldLocale;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = formatVersionTime(qint64(1'709'629'620)); // 2024-03-05 09:07:00 UTC
    QLocale::setDefault(oldLocale);
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    ::tzset();
    EXPECT_EQ(text, QStringLiteral("05 March 2024  11:07"));
}

TEST(CompareRule, TakesExactlyTwoRowsInListOrder)
{
    const QList<VersionListItem> items{{std::nullopt, QStringLiteral("Current"), "doc"},
                                       {1, QStringLiteral("t1"), "v1"},
                                       {0, QStringLiteral("t0"), "v0"}};
    const struct
    {
        const char *name;
        QList<int> rows;
        int first; // row whose file comes first, -1 when refused
        int second;
    } cases[] = {
        {"current and a version", {0, 2}, 0, 2},
        {"selected bottom up", {2, 1}, 1, 2},
        {"one", {1}, -1, -1},
        {"three", {0, 1, 2}, -1, -1},
        {"none", {}, -1, -1},
        {"same row twice", {1, 1}, -1, -1},
        {"past the end", {0, 3}, -1, -1},
        {"negative", {-1, 0}, -1, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const CompareChoice choice = chooseCompare(items, c.rows);
        ASSERT_EQ(choice.ok, c.first >= 0);
        if (c.first < 0) {
            EXPECT_EQ(choice.message, QString::fromUtf8(res::string(Str::BackupSelectTwo)));
        } else {
            EXPECT_EQ(choice.firstPath, items[c.first].path);
            EXPECT_EQ(choice.secondPath, items[c.second].path);
        }
    }
}

} // namespace
} // namespace pw::backup::test
