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

struct TimeCase
{
    const char *name;
    QDate date;
    QTime time;
    const char *expected;
};

void PrintTo(const TimeCase &c, std::ostream *out)
{
    *out << c.name;
}

class VersionTimeText : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(VersionTimeText, IsDayEnglishMonthYearAndTheMinute)
{
    const TimeCase &c = GetParam();
    EXPECT_EQ(formatVersionTime(QDateTime(c.date, c.time, Qt::UTC)), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Backup, VersionTimeText,
                         ::testing::Values(TimeCase{"PaddedDayAndTime", QDate(2024, 3, 5),
                                                    QTime(9, 7, 59), "05 March 2024  09:07"},
                                           TimeCase{"LastMinuteOfTheYear", QDate(1999, 12, 31),
                                                    QTime(23, 59), "31 December 1999  23:59"},
                                           TimeCase{"Midnight", QDate(2030, 1, 1), QTime(0, 0),
                                                    "01 January 2030  00:00"}),
                         [](const auto &info) { return std::string(info.param.name); });

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

struct CompareCase
{
    const char *name;
    QList<int> rows;
    int first; // row whose file comes first, -1 when refused
    int second;
};

void PrintTo(const CompareCase &c, std::ostream *out)
{
    *out << c.name;
}

class CompareRule : public ::testing::TestWithParam<CompareCase>
{
};

TEST_P(CompareRule, TakesExactlyTwoRowsInListOrder)
{
    const CompareCase &c = GetParam();
    const QList<VersionListItem> items{{std::nullopt, QStringLiteral("Current"), "doc"},
                                       {1, QStringLiteral("t1"), "v1"},
                                       {0, QStringLiteral("t0"), "v0"}};
    const CompareChoice choice = chooseCompare(items, c.rows);
    if (c.first < 0) {
        EXPECT_FALSE(choice.ok);
        EXPECT_EQ(choice.message, QString::fromUtf8(res::string(Str::BackupSelectTwo)));
        return;
    }
    ASSERT_TRUE(choice.ok);
    EXPECT_EQ(choice.firstPath, items[c.first].path);
    EXPECT_EQ(choice.secondPath, items[c.second].path);
}

INSTANTIATE_TEST_SUITE_P(Backup, CompareRule,
                         ::testing::Values(CompareCase{"CurrentAndAVersion", {0, 2}, 0, 2},
                                           CompareCase{"SelectedBottomUp", {2, 1}, 1, 2},
                                           CompareCase{"One", {1}, -1, -1},
                                           CompareCase{"Three", {0, 1, 2}, -1, -1},
                                           CompareCase{"None", {}, -1, -1},
                                           CompareCase{"SameRowTwice", {1, 1}, -1, -1},
                                           CompareCase{"PastTheEnd", {0, 3}, -1, -1},
                                           CompareCase{"Negative", {-1, 0}, -1, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pw::backup::test
