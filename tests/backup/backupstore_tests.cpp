// The backup store in its three modes, across restarts, and the settings that reach it.
#include "backup/engine/versionlist.h"
#include "tests/backup/backuptestutil.h"

#include <QDateTime>

namespace pw::backup::test {
namespace {

QByteArray text(int n)
{
    return "v" + QByteArray::number(n);
}

TEST_F(BackupTest, SimpleModeKeepsTheFileAsItWasBeforeTheLastSave)
{
    auto store = open(settings(1), doc(), text(0));
    EXPECT_TRUE(store->hasBackups());
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(save(*store, doc(), text(i)).ok);
        EXPECT_EQ(readAll(doc() + QStringLiteral(".bak")), text(i - 1));
    }
    EXPECT_FALSE(store->canViewVersions());
    EXPECT_TRUE(QDir(root()).isEmpty());
}

struct KeepCase
{
    const char *name;
    int versions;
    int saves;
    QStringList survivors; // version numbers left in the folder, oldest first
};

void PrintTo(const KeepCase &c, std::ostream *out)
{
    *out << c.name;
}

class VersionsKept : public BackupTest, public ::testing::WithParamInterface<KeepCase>
{
};

TEST_P(VersionsKept, TheNewestCopiesSurviveWithTheirContent)
{
    const KeepCase &c = GetParam();
    auto store = open(settings(2, c.versions), doc(), text(0));
    for (int i = 1; i <= c.saves; ++i)
        ASSERT_TRUE(save(*store, doc(), text(i)).ok);

    const QString folder = QDir(root()).filePath(QStringLiteral("0"));
    EXPECT_EQ(store->target(), QDir::toNativeSeparators(folder));
    EXPECT_EQ(numberedFiles(folder), c.survivors);
    ASSERT_EQ(store->versionCount(), c.survivors.size());
    for (int i = 0; i < store->versionCount(); ++i) {
        // Version n holds the file as it was before save n + 1.
        EXPECT_EQ(QFileInfo(store->getVersion(i).path).fileName(), c.survivors[i]);
        EXPECT_EQ(readAll(store->getVersion(i).path), text(c.survivors[i].toInt()));
    }
    EXPECT_EQ(registry().backupFolderValue(QStringLiteral("0"), -1), c.saves);
    EXPECT_EQ(versionListItems(doc(), store->versions()).size(), c.survivors.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Backup, VersionsKept,
                         ::testing::Values(KeepCase{"ThreeOfFour", 3, 4, {"1", "2", "3"}},
                                           KeepCase{"OneOfThree", 1, 3, {"2"}},
                                           KeepCase{"FewerSavesThanKept", 5, 2, {"0", "1"}},
                                           KeepCase{"VersionsBelowOneKeepOne", 0, 2, {"1"}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(BackupTest, ARestartFindsTheSameFolderAndPrunesTheOldestByVersionNumber)
{
    QList<BackupVersion> before;
    {
        auto other = open(settings(2), doc(QStringLiteral("other.txt")));
        auto store = open(settings(2), doc(), text(0));
        // Four saves within the same second: only the numbers can tell the order afterwards.
        for (int i = 1; i <= 4; ++i)
            ASSERT_TRUE(save(*store, doc(), text(i)).ok);
        EXPECT_EQ(store->folderNumber(), 1);
        before = store->versions();
    }
    restart();
    auto store = open(settings(2), doc());
    EXPECT_EQ(store->folderNumber(), 1);
    ASSERT_EQ(store->versionCount(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        EXPECT_EQ(store->getVersion(i).path, before[i].path);
        EXPECT_NEAR(double(store->getVersion(i).time), double(before[i].time), 2.0);
    }
    ASSERT_TRUE(save(*store, doc(), text(5)).ok);
    EXPECT_EQ(numberedFiles(store->target()), (QStringList{"2", "3", "4"}));
    EXPECT_EQ(readAll(store->getVersion(2).path), text(4));

    auto third = open(settings(2), doc(QStringLiteral("third.txt")));
    EXPECT_EQ(third->folderNumber(), 2);
}

TEST_F(BackupTest, PathsThatLookAlikeToTheRegistryKeepTheirOwnFolders)
{
    ASSERT_TRUE(QDir().mkpath(doc(QStringLiteral("a"))));
    // "/" and "\" separate registry groups; "%2F" is how an escaped "/" looks.
    const QStringList names{QStringLiteral("a/b.txt"), QStringLiteral("a\\b.txt"),
                            QStringLiteral("a%2Fb.txt"), QStringLiteral("a%252Fb.txt"),
                            QStringLiteral("100% sure; x=1 #2.txt")};
    QList<int> folders;
    for (const QString &name : names)
        folders.append(*open(settings(2), doc(name))->folderNumber());
    EXPECT_EQ(folders, (QList<int>{0, 1, 2, 3, 4}));

    restart();
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(registry().backupFolderValue(BackupStore::documentKey(doc(names[i])), -1),
                  folders[i])
            << names[i].toStdString();
    }
}

TEST_F(BackupTest, ANewDocumentNeverInheritsAFolderLeftOnDisk)
{
    // The registry map is gone (a new profile) but the old folders are still there.
    ASSERT_TRUE(QDir().mkpath(QDir(root()).filePath(QStringLiteral("0"))));
    ASSERT_TRUE(writeAll(QDir(root()).filePath(QStringLiteral("0/0")), "someone else's"));
    auto store = open(settings(2), doc());
    EXPECT_EQ(store->folderNumber(), 1);
    EXPECT_EQ(store->versionCount(), 0);
}

TEST_F(BackupTest, ModeNoneRemovesEveryFolderAndTheRegistryMap)
{
    auto first = open(settings(2), doc());
    auto second = open(settings(2), doc(QStringLiteral("second.txt")));
    ASSERT_TRUE(save(*first, doc(), "x").ok);
    ASSERT_TRUE(save(*second, doc(QStringLiteral("second.txt")), "y").ok);
    ASSERT_TRUE(QFileInfo::exists(first->target()));

    EXPECT_TRUE(applySettings(registry(), settings(0), {first.get(), second.get()}).ok);
    EXPECT_FALSE(QFileInfo::exists(root()));
    restart();
    EXPECT_EQ(registry().nextBackupFolderId(-1), 0);
    EXPECT_EQ(registry().backupFolderValue(BackupStore::documentKey(doc()), -1), -1);
    EXPECT_EQ(registry().backupFolderValue(QStringLiteral("0"), -1), -1);
    for (BackupStore *store : {first.get(), second.get()}) {
        EXPECT_FALSE(store->hasBackups());
        EXPECT_EQ(store->versionCount(), 0);
        EXPECT_FALSE(store->folderNumber().has_value());
    }
}

TEST_F(BackupTest, DeletingAllBackupsLeavesTheUsersOwnFilesInASharedRoot)
{
    auto store = open(settings(2), doc());
    ASSERT_TRUE(save(*store, doc(), "x").ok);
    ASSERT_TRUE(writeAll(QDir(root()).filePath(QStringLiteral("my notes.txt")), "mine"));
    EXPECT_TRUE(deleteAllFileBackups(registry(), root(), {store.get()}));
    EXPECT_EQ(QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("my notes.txt")});
    EXPECT_FALSE(store->hasBackups());
    // The next save starts a new history.
    EXPECT_TRUE(save(*store, doc(), "y").ok);
    ASSERT_TRUE(save(*store, doc(), "z").ok);
    EXPECT_EQ(store->folderNumber(), 0);
    EXPECT_EQ(store->versionCount(), 1);
}

TEST_F(BackupTest, NewSettingsReachTheStoreThroughPrune)
{
    auto store = open(settings(2, 5), doc());
    for (int i = 1; i <= 5; ++i)
        ASSERT_TRUE(save(*store, doc(), text(i)).ok);
    store->prune(settings(2, 2));
    EXPECT_EQ(numberedFiles(store->target()), (QStringList{"3", "4"}));

    // Another root: the next copy goes there at once.
    BackupSettings moved = settings(2, 2);
    moved.rootFolder = path(QStringLiteral("Elsewhere"));
    ASSERT_TRUE(applySettings(registry(), moved, {store.get()}).ok);
    ASSERT_TRUE(save(*store, doc(), text(6)).ok);
    EXPECT_EQ(store->target(), QDir::toNativeSeparators(moved.rootFolder + QStringLiteral("/0")));
    EXPECT_EQ(numberedFiles(store->target()), QStringList{QStringLiteral("5")});

    // Simple mode from here on: a ".bak", no folder.
    store->prune(settings(1));
    ASSERT_TRUE(save(*store, doc(), text(7)).ok);
    EXPECT_EQ(readAll(doc() + QStringLiteral(".bak")), text(6));
}

TEST_F(BackupTest, DeleteOnCloseRemovesTheDocumentsCopiesOnlyWhenAsked)
{
    for (const bool deleteOnExit : {false, true}) {
        auto versions = open(settings(2, 3, deleteOnExit), doc());
        auto simple = open(settings(1, 3, deleteOnExit), doc(QStringLiteral("simple.txt")));
        ASSERT_TRUE(save(*versions, doc(), "x").ok);
        ASSERT_TRUE(save(*simple, doc(QStringLiteral("simple.txt")), "y").ok);
        const QString folder = versions->target();
        const int number = *versions->folderNumber();
        versions->deleteOnClose();
        simple->deleteOnClose();
        EXPECT_EQ(QFileInfo::exists(folder), !deleteOnExit);
        EXPECT_EQ(QFileInfo::exists(doc(QStringLiteral("simple.txt.bak"))), !deleteOnExit);
        EXPECT_EQ(registry().backupFolderValue(QString::number(number), -1) >= 0, !deleteOnExit);
        EXPECT_EQ(registry().backupFolderValue(BackupStore::documentKey(doc()), -1) >= 0,
                  !deleteOnExit);
    }
}

TEST_F(BackupTest, AVersionFileDeletedBehindTheProgramsBackIsSkipped)
{
    auto store = open(settings(2, 3), doc(), text(0));
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(save(*store, doc(), text(i)).ok);
    ASSERT_TRUE(QFile::remove(store->getVersion(1).path));

    // "Current" first, then the newest; the vanished version is left out.
    const QList<VersionListItem> items = versionListItems(doc(), store->versions());
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0], (VersionListItem{std::nullopt, QStringLiteral("Current"), doc()}));
    EXPECT_EQ(items[1], (VersionListItem{2, formatVersionTime(store->getVersion(2).time),
                                         store->getVersion(2).path}));
    EXPECT_EQ(items[2].version, 0);

    // The vanished file counts as deleted when pruning reaches it.
    store->prune(settings(2, 1));
    EXPECT_EQ(store->versionCount(), 1);
    EXPECT_EQ(readAll(store->getVersion(0).path), text(2));
    ASSERT_TRUE(save(*store, doc(), text(4)).ok);
    EXPECT_EQ(numberedFiles(store->target()), QStringList{QStringLiteral("3")});
}

TEST_F(BackupTest, SaveAsAndUntitledDocumentsOnlyPointTheStoreAtThePath)
{
    BackupStore store(registry(), settings(2));
    EXPECT_FALSE(store.hasBackups());
    ASSERT_TRUE(writeAll(doc(), "old"));
    // Untitled, then saved under a name: nothing to copy yet, but the next save has a folder.
    EXPECT_TRUE(store.backupBeforeSave(doc(), false).ok);
    EXPECT_EQ(store.versionCount(), 0);
    EXPECT_TRUE(store.hasBackups());
    ASSERT_TRUE(save(store, doc(), "new").ok);
    ASSERT_EQ(store.versionCount(), 1);
    EXPECT_EQ(readAll(store.getVersion(0).path), "old");
    EXPECT_TRUE(store.canViewVersions());
}

} // namespace
} // namespace pw::backup::test
