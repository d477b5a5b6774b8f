// Whole-file copies: every method byte-exact, a fresh file each time, the time stamp and refusals.
#include "backup/engine/filecopy.h"
#include "tests/backup/backuptestutil.h"

#include <QRandomGenerator>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pw::backup::test {
namespace {

TEST(FileCopy, EveryMethodCopiesEveryByteIntoANewFile)
{
    const struct
    {
        const char *name;
        CopyMethod method;
        qsizetype size;
    } cases[] = {
        {"clone, empty", CopyMethod::Clone, 0},
        {"clone, large", CopyMethod::Clone, 3 * 1024 * 1024 + 5},
        {"range, one byte", CopyMethod::CopyRange, 1},
        {"range, large", CopyMethod::CopyRange, 3 * 1024 * 1024 + 5},
        {"loop, empty", CopyMethod::ReadWrite, 0},
        {"loop, buffer plus one", CopyMethod::ReadWrite, 1024 * 1024 + 1},
        {"loop, large", CopyMethod::ReadWrite, 3 * 1024 * 1024 + 5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString from = dir.filePath(QStringLiteral("from"));
        const QString to = dir.filePath(QStringLiteral("to"));
        const QString link = dir.filePath(QStringLiteral("link to the old copy"));
        QByteArray bytes(c.size, Qt::Uninitialized);
        QRandomGenerator generator(c.size);
        for (char &b : bytes)
            b = char(generator.bounded(256));
        ASSERT_TRUE(writeAll(from, bytes));
        ASSERT_TRUE(
            QFile::setPermissions(from, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        // An older copy with a second name must keep its bytes: the copy replaces, never rewrites.
        ASSERT_TRUE(writeAll(to, "an older, longer copy of the file"));
#ifdef Q_OS_UNIX
        ASSERT_EQ(::link(QFile::encodeName(to).constData(), QFile::encodeName(link).constData()),
                  0);
#endif

        const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
        const CopyOutcome outcome = copyFile(from, to, stamp, c.method);
        ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
        EXPECT_GE(int(outcome.method), int(c.method)) << "a copy never tries a cheaper method";
        EXPECT_EQ(readAll(to), bytes);
        // Owner, group and other bits; the "user" bits depend on who runs the test.
        EXPECT_EQ(QFileInfo(to).permissions() & QFileDevice::Permissions(0x7077),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        EXPECT_EQ(QFileInfo(to).lastModified().toSecsSinceEpoch(), stamp.toSecsSinceEpoch());
#ifdef Q_OS_UNIX
        EXPECT_EQ(readAll(link), "an older, longer copy of the file");
#endif
    }
}

TEST(FileCopy, RefusesWhatIsNoRegularFileAndLeavesNothing)
{
    QTemporaryDir dir;
    const QString to = dir.filePath(QStringLiteral("to"));
    for (const QString &from : {dir.path(), dir.filePath(QStringLiteral("missing"))}) {
        const CopyOutcome outcome = copyFile(from, to);
        EXPECT_FALSE(outcome.ok);
        EXPECT_FALSE(outcome.error.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(to));
    }
}

} // namespace
} // namespace pw::backup::test
