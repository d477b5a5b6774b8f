// The settings-folder rule: per-user inside the install prefix, beside the program elsewhere.
#include "settings/appfolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using pw::AppFolders;

TEST(AppFolders, PerUserOrPortable)
{
    struct Row
    {
        const char *program;
        const char *prefix;
        bool perUser;
        const char *settingsFile;
    };
    const Row rows[] = {
        {"/usr/local/bin/penwright", "/usr/local", true,
         "/home/u/.local/share/Brightmoor/Penwright/AppSettings.xml"},
        {"/work/main/build/penwright", "/usr/local", false, "/work/main/build/AppSettings.xml"},
        {"/media/stick/Penwright/penwright", "/usr", false,
         "/media/stick/Penwright/AppSettings.xml"},
        // The rule is a plain, case-sensitive substring test of the program's folder.
        {"/opt/USR/LOCAL/penwright", "/usr/local", false, "/opt/USR/LOCAL/AppSettings.xml"},
        {"/home/u/usr/local/x/penwright", "/usr/local", true,
         "/home/u/.local/share/Brightmoor/Penwright/AppSettings.xml"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.program);
        AppFolders::setInputs({QString::fromUtf8(row.program), QString::fromUtf8(row.prefix),
                               QStringLiteral("/home/u/.local/share"),
                               QStringLiteral("/home/u/Documents")});
        EXPECT_EQ(AppFolders::isPerUser(), row.perUser);
        EXPECT_EQ(AppFolders::settingsFile(), QString::fromUtf8(row.settingsFile));
    }
}

TEST(AppFolders, DerivedPathsShareTheFolder)
{
    AppFolders::setInputs({QStringLiteral("/media/stick/penwright"), QStringLiteral("/usr/local"),
                           QStringLiteral("/home/u/.local/share"), QStringLiteral("/home/u/Docs")});
    EXPECT_EQ(AppFolders::programFolder(), QStringLiteral("/media/stick/"));
    EXPECT_EQ(AppFolders::layoutFile(), QStringLiteral("/media/stick/WinSettings.cfg"));
    EXPECT_EQ(AppFolders::backupFolder(), QStringLiteral("/media/stick/Backup"));
    EXPECT_EQ(AppFolders::dictionaryFolder(), QStringLiteral("/media/stick/Aspell"));
    EXPECT_EQ(AppFolders::configFolder(), QStringLiteral("/media/stick/Config"));
    EXPECT_EQ(AppFolders::documentsFolder(), QStringLiteral("/home/u/Docs"));

    AppFolders::setInputs({QStringLiteral("/usr/local/bin/penwright"), QStringLiteral("/usr/local"),
                           QStringLiteral("/home/u/.local/share"), QStringLiteral("/home/u/Docs")});
    EXPECT_EQ(AppFolders::layoutFile(),
              QStringLiteral("/home/u/.local/share/Brightmoor/Penwright/WinSettings.cfg"));
    EXPECT_EQ(AppFolders::configFolder(),
              QStringLiteral("/home/u/.local/share/Brightmoor/Penwright/Config"));
}

// An installed copy finds its prefix from where it lies, whatever prefix the build had, and its
// shipped files in the installation's data folder unless a copy lies beside it.
TEST(AppFolders, InstalledCopyFindsItsPrefixAndShippedFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString usr = dir.filePath(QStringLiteral("usr"));
    const QString data = usr + QStringLiteral("/share/Brightmoor/Penwright");
    ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/help")));
    ASSERT_TRUE(QDir().mkpath(usr + QStringLiteral("/bin")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("opt/bin"))));
    struct Row
    {
        QString program;
        QString prefix;
    };
    const Row rows[] = {
        {usr + QStringLiteral("/bin/penwright"), usr},
        {dir.filePath(QStringLiteral("opt/bin/penwright")), QString()}, // no data folder
        {usr + QStringLiteral("/share/penwright"), QString()},          // not in a bin folder
        {QStringLiteral("/penwright"), QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.program.toStdString());
        EXPECT_EQ(AppFolders::installedPrefixOf(row.program), row.prefix);
    }

    AppFolders::setInputs({usr + QStringLiteral("/bin/penwright"), usr,
                           dir.filePath(QStringLiteral("home")), QString()});
    ASSERT_TRUE(AppFolders::isPerUser());
    EXPECT_EQ(AppFolders::installedConfigFolder(), data + QStringLiteral("/Config"));
    const QString help = QStringLiteral("help/index.html");
    // Neither copy exists: the path beside the program, which the caller finds missing.
    EXPECT_EQ(AppFolders::shippedFile(help), usr + QStringLiteral("/bin/help/index.html"));
    QFile installed(data + QStringLiteral("/help/index.html"));
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    EXPECT_EQ(AppFolders::shippedFile(help), installed.fileName());
    ASSERT_TRUE(QDir().mkpath(usr + QStringLiteral("/bin/help")));
    QFile beside(usr + QStringLiteral("/bin/help/index.html"));
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(AppFolders::shippedFile(help), beside.fileName());
}
