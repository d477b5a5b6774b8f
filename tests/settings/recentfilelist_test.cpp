// The recent-file list: newest first, four entries, one entry per file.
#include "settings/recentfilelist.h"
#include "tests/settings/settingstestutil.h"

namespace pw {
namespace {

QStringList names(std::initializer_list<const char *> paths)
{
    QStringList list;
    for (const char *p : paths)
        list << QString::fromUtf8(p);
    return list;
}

TEST(RecentFileListTest, NewestFirstAndOldestDropsOff)
{
    RecentFileList list;
    for (const char *p : {"/f1", "/f2", "/f3", "/f4", "/f5"})
        list.add(QString::fromUtf8(p));
    EXPECT_EQ(list.entries(), names({"/f5", "/f4", "/f3", "/f2"}));
}

TEST(RecentFileListTest, ReopeningAFileMovesItToTheFront)
{
    RecentFileList list;
    list.setEntries(names({"/a", "/b", "/c"}));
    list.add(QStringLiteral("/c"));
    EXPECT_EQ(list.entries(), names({"/c", "/a", "/b"}));
    list.add(QStringLiteral("/x/../b")); // the same file spelled differently
    EXPECT_EQ(list.entries(), names({"/b", "/c", "/a"}));
}

TEST(RecentFileListTest, RemoveTakesOutOnlyThatFile)
{
    RecentFileList list;
    list.setEntries(names({"/a", "/b", "/c"}));
    EXPECT_TRUE(list.remove(QStringLiteral("/b")));
    EXPECT_FALSE(list.remove(QStringLiteral("/b")));
    EXPECT_EQ(list.entries(), names({"/a", "/c"}));
}

TEST(RecentFileListTest, SetEntriesDropsEmptiesDuplicatesAndExtras)
{
    RecentFileList list;
    list.setEntries(names({"/a", "", "/a", "/b", "/c", "/d", "/e"}));
    EXPECT_EQ(list.entries(), names({"/a", "/b", "/c", "/d"}));
}

TEST(RecentFileListTest, LetterCaseFollowsThePlatform)
{
    RecentFileList list;
    list.add(QStringLiteral("/home/u/Notes.txt"));
    list.add(QStringLiteral("/home/u/NOTES.TXT"));
#ifdef Q_OS_WIN
    EXPECT_EQ(list.entries().size(), 1);
#else
    EXPECT_EQ(list.entries().size(), 2);
    EXPECT_FALSE(RecentFileList::samePath(QStringLiteral("/a/B"), QStringLiteral("/a/b")));
#endif
}

TEST(RecentFileListTest, SymbolicLinkAndTargetAreTheSameFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("real.txt"));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    test::writeAll(target, "x");
    if (!QFile::link(target, link))
        GTEST_SKIP() << "symbolic links are not available here";
    EXPECT_TRUE(RecentFileList::samePath(target, link));
    RecentFileList list;
    list.add(target);
    list.add(link);
    EXPECT_EQ(list.entries().size(), 1);
}

TEST(RecentFileListTest, RelativePathsAreStoredAbsolute)
{
    RecentFileList list;
    list.add(QStringLiteral("some/dir/../file.txt"));
    ASSERT_EQ(list.entries().size(), 1);
    EXPECT_TRUE(QDir::isAbsolutePath(list.entries().first()));
    EXPECT_TRUE(list.entries().first().endsWith(QStringLiteral("/some/file.txt")));
}

} // namespace
} // namespace pw
