// Project folder rules on real temporary folders: order, creation, deletion, renaming, moving.
#include "explorers/engine/projecttree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw::explorers;
using namespace Qt::StringLiterals;

namespace {

class ProjectTreeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QByteArray root() const { return nativePathOf(m_dir.path()); }
    QByteArray at(const char *relative) const { return root() + '/' + relative; }
    void file(const char *relative, const QByteArray &bytes = {})
    {
        QFile out(QFile::decodeName(at(relative)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << relative;
        out.write(bytes);
    }
    void folder(const char *relative) { ASSERT_EQ(::mkdir(at(relative).constData(), 0777), 0); }
    bool exists(const QByteArray &path) const
    {
        struct stat st;
        return ::lstat(path.constData(), &st) == 0;
    }
    QStringList names(const QByteArray &path) const
    {
        QStringList list;
        for (const ProjectEntry &entry : listFolder(path))
            list << entry.name + (entry.isFolder ? u"/"_s : QString());
        return list;
    }

    QTemporaryDir m_dir;
};

TEST_F(ProjectTreeTest, FoldersComeFirstThenPathsWithoutRegardToCase)
{
    file("b.txt");
    file("A.txt");
    file("a2.txt");
    file(".hidden");
    folder("z");
    folder("Y");
    folder("x");
    EXPECT_EQ(names(root()), (QStringList{u"x/"_s, u"Y/"_s, u"z/"_s, u".hidden"_s,
                                          u"A.txt"_s, u"a2.txt"_s, u"b.txt"_s}));
}

TEST_F(ProjectTreeTest, NewFolderIsRefusedWhenTheNameExists)
{
    EXPECT_TRUE(createFolder(root(), "New Folder"));
    EXPECT_FALSE(createFolder(root(), "New Folder"));
    file("taken");
    EXPECT_FALSE(createFolder(root(), "taken"));
    EXPECT_EQ(names(root()), (QStringList{u"New Folder/"_s, u"taken"_s}));
}

TEST_F(ProjectTreeTest, DeleteIsPermanentAndNeverFollowsLinks)
{
    folder("keep");
    file("keep/precious", "data");
    folder("doomed");
    folder("doomed/deeper");
    file("doomed/deeper/f");
    // A name that is not UTF-8 is still reached by its bytes.
    const QByteArray odd = at("doomed/bad\xff\xfe");
    ASSERT_TRUE(createEmptyFile(odd));
    ASSERT_EQ(::symlink(at("keep").constData(), at("doomed/link").constData()), 0);

    EXPECT_TRUE(removeEntry(at("doomed")));
    EXPECT_FALSE(exists(at("doomed")));
    EXPECT_TRUE(exists(at("keep/precious")));
    // Nothing went to a trash folder in the test's home.
    EXPECT_FALSE(QFileInfo::exists(QDir::homePath() + u"/.local/share/Trash/files/doomed"_s));
    EXPECT_FALSE(removeEntry(at("doomed")));
}

TEST_F(ProjectTreeTest, RenameKeepsToTheFolderAndRefusesTakenNames)
{
    file("one.txt", "1");
    file("two.txt", "2");
    const QByteArray odd = at("caf\xe9");
    ASSERT_TRUE(createEmptyFile(odd));
    QByteArray renamed;
    struct Case
    {
        QByteArray from;
        QByteArray to;
        bool ok;
    } cases[] = {
        {at("one.txt"), "two.txt", false},  {at("one.txt"), "", false},
        {at("one.txt"), "a/b", false},      {at("one.txt"), "..", false},
        {at("one.txt"), "uno.txt", true},   {odd, "cafe", true},
        {at("missing"), "other", false},
    };
    for (const Case &c : cases) {
        renamed.clear();
        EXPECT_EQ(renameEntry(c.from, c.to, &renamed), c.ok) << c.from.constData() << " -> "
                                                             << c.to.constData();
        if (c.ok) {
            EXPECT_EQ(renamed, root() + '/' + c.to);
        }
    }
    EXPECT_EQ(names(root()), (QStringList{u"cafe"_s, u"two.txt"_s, u"uno.txt"_s}));
}

TEST_F(ProjectTreeTest, DropsGoOnlyWhereTheEntryIsNotAlready)
{
    const struct
    {
        const char *dragged;
        const char *target;
        bool allowed;
    } cases[] = {
        {"/p/a", "/p/b", true},     {"/p/a", "/p/a", false},   {"/p/a", "/p", false},
        {"/p/a", "/p/a/c", false},  {"/p/a", "/p/ab", true},   {"/p/a/c", "/p", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dropAllowed(c.dragged, c.target), c.allowed) << c.dragged << " on " << c.target;

    folder("a");
    folder("b");
    file("a/f", "x");
    QByteArray moved;
    EXPECT_TRUE(moveInto(at("a"), at("b"), &moved));
    EXPECT_EQ(moved, at("b/a"));
    EXPECT_TRUE(exists(at("b/a/f")));
    file("f");
    EXPECT_FALSE(copyFileInto(at("f"), at("b/a"))) << "never over an existing file";
    EXPECT_EQ(QFile(QFile::decodeName(at("b/a/f"))).size(), 1);
}

TEST_F(ProjectTreeTest, InsertableHeadStopsAtZeroOrLimit)
{
    file("zero", QByteArray("abc\0def", 7));
    file("long", QByteArray(300000, 'x'));
    EXPECT_EQ(readInsertableHead(at("zero")), QByteArray("abc"));
    EXPECT_EQ(readInsertableHead(at("long")).size(), 250000);
    EXPECT_TRUE(readInsertableHead(at("missing")).isEmpty());
}

TEST_F(ProjectTreeTest, ExpandedTreeListsLoopsWithoutEnteringThem)
{
    folder("d");
    file("d/inner");
    file("top");
    ASSERT_EQ(::symlink("..", at("d/up").constData()), 0);
    EXPECT_EQ(expandedTree(root()),
              (QStringList{m_dir.path(), u"  d"_s, u"    up"_s, u"    inner"_s, u"  top"_s}));
}

} // namespace
