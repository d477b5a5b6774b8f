// The recent-file list: newest first, four entries, one entry per file.
#include "settings/recentfilelist.h"
#include "tests/settings/settingstestutil.h"

namespace pw {
namespace {

using namespace Qt::StringLiterals;

QStringList names(std::initializer_list<const char *> paths)
{
    QStringList list;
    for (const char *p : paths)
        list << QString::fromUtf8(p);
    return list;
}

TEST(RecentFileListTest, NewestFirstFourAtMostEachFileOnce)
{
    RecentFileList list;
    for (const char *p : {"/f1", "/f2", "/f3", "/f4", "/f5"})
        list.add(QString::fromUtf8(p));
    EXPECT_EQ(list.entries(), names({"/f5", "/f4", "/f3", "/f2"}));

    list.setEntries(names({"/a", "", "/a", "/b", "/c", "/d", "/e"}));
    EXPECT_EQ(list.entries(), names({"/a", "/b", "/c", "/d"})) << "no empties, twins or extras";
    list.add(u"/c"_s);
    EXPECT_EQ(list.entries(), names({"/c", "/a", "/b", "/d"}));
    list.add(u"/x/../b"_s); // the same file spelled differently
    EXPECT_EQ(list.entries(), names({"/b", "/c", "/a", "/d"}));
    EXPECT_TRUE(list.remove(u"/c"_s));
    EXPECT_FALSE(list.remove(u"/c"_s));
    EXPECT_EQ(list.entries(), names({"/b", "/a", "/d"}));

    list.setEntries({});
    list.add(u"some/dir/../file.txt"_s);
    ASSERT_EQ(list.entries().size(), 1);
    EXPECT_TRUE(QDir::isAbsolutePath(list.entries().first())) << "relative paths are made whole";
    EXPECT_TRUE(list.entries().first().endsWith(u"/some/file.txt"_s));
}

TEST(RecentFileListTest, SameFileFollowsThePlatformAndSymbolicLinks)
{
    RecentFileList list;
    list.add(u"/home/u/Notes.txt"_s);
    list.add(u"/home/u/NOTES.TXT"_s);
#ifdef Q_OS_WIN
    EXPECT_EQ(list.entries().size(), 1);
#else
    EXPECT_EQ(list.entries().size(), 2) << "letter case counts here";
#endif
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(u"real.txt"_s);
    const QString link = dir.filePath(u"link.txt"_s);
    test::writeAll(target, "x");
    if (!QFile::link(target, link))
        GTEST_SKIP() << "symbolic links are not available here";
    list.setEntries({});
    list.add(target);
    list.add(link);
    EXPECT_EQ(list.entries().size(), 1);
}

} // namespace
} // namespace pw
