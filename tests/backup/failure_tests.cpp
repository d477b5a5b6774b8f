// Backups that cannot be made: unwritable or full disks and odd roots never stop the save.
#include "backup/engine/filecopy.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "tests/backup/backuptestutil.h"

#include <functional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace pw::backup::test {
namespace {

QString failedText()
{
    return QString::fromUtf8(res::string(Str::BackupFailed));
}

TEST_F(BackupTest, ARootThatIsNoFolderGivesTheMessageAndTheSaveGoesOn)
{
    ASSERT_TRUE(QDir(root()).removeRecursively());
    ASSERT_TRUE(writeAll(root(), "a file where the folder should be"));
    auto store = open(settings(2), doc(), "old");
    ASSERT_TRUE(store->hasBackups());
    const BackupResult result = save(*store, doc(), "new");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, failedText());
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_EQ(readAll(doc()), "new");
    EXPECT_EQ(store->versionCount(), 0);
}

TEST_F(BackupTest, ABakPathHeldByAFolderGivesTheMessage)
{
    ASSERT_TRUE(QDir().mkpath(doc() + QStringLiteral(".bak")));
    auto store = open(settings(1), doc(), "old");
    const BackupResult result = save(*store, doc(), "new");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, failedText());
    EXPECT_EQ(readAll(doc()), "new");
}

TEST_F(BackupTest, ADocumentWithoutAFileYetHasNothingToCopy)
{
    auto store = std::make_unique<BackupStore>(registry(), settings(2));
    store->init(doc(QStringLiteral("gone.txt")));
    const BackupResult result = save(*store, doc(QStringLiteral("gone.txt")), "new");
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(store->versionCount(), 0);
}

#ifdef Q_OS_UNIX

// Runs `body` in a child process (so privileges and limits can change without touching the test
// runner) and returns its exit code; a child killed by a signal gives 200 + the signal.
int inChild(const std::function<int()> &body)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return 255;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200 + WTERMSIG(status);
}

constexpr int CannotDropPrivileges = 77;
constexpr int PermissionsNotEnforced = 78;

// Child exit codes of a failed backup: 0 when it failed cleanly and the save still happened.
int failedBackupCode(BackupStore &store, const QString &document, const QString &folder)
{
    const BackupResult result = store.backupBeforeSave(document, true);
    if (result.ok)
        return 1;
    if (result.message != failedText() || result.reason.isEmpty())
        return 2;
    if (!writeAll(document, "new") || readAll(document) != "new")
        return 3;
    if (store.versionCount() != 0)
        return 4;
    if (!QDir(folder).entryList(QDir::Files).isEmpty())
        return 5; // a half-written copy was left behind
    return 0;
}

TEST_F(BackupTest, AReadOnlyRootGivesTheMessageAndTheSaveGoesOn)
{
    // Root ignores permissions: the child drops to "nobody", which needs the folders open to it.
    for (const QString &folder : {path(QString()), path(QStringLiteral("docs"))})
        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
    ASSERT_TRUE(writeAll(doc(), "old"));
    ASSERT_TRUE(QFile::setPermissions(doc(), QFileDevice::Permissions(0x6666)));
    ASSERT_TRUE(QFile::setPermissions(root(), QFileDevice::Permissions(0x5555)));

    const int code = inChild([&] {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return CannotDropPrivileges;
        if (::access(QFile::encodeName(root()).constData(), W_OK) == 0)
            return PermissionsNotEnforced;
        RegistrySettings registry(iniPath());
        BackupStore store(registry, settings(2));
        store.init(doc());
        return failedBackupCode(store, doc(), root());
    });
    QFile::setPermissions(root(), QFileDevice::Permissions(0x7700));
    if (code == CannotDropPrivileges)
        GTEST_SKIP() << "running as root and cannot switch to uid 65534 to make a folder read-only";
    if (code == PermissionsNotEnforced)
        GTEST_SKIP() << "this file system lets the process write into a read-only folder";
    EXPECT_EQ(code, 0) << "see failedBackupCode() for the step that failed";
}

TEST_F(BackupTest, AFullDiskLeavesNoHalfCopyBehind)
{
    // A file-size limit stands in for a full disk: every write past it fails with EFBIG.
    const QByteArray big(256 * 1024, 'x');
    ASSERT_TRUE(writeAll(doc(), big));
    const int code = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        RegistrySettings registry(iniPath());
        BackupStore store(registry, settings(2));
        store.init(doc());
        const QString folder = store.target();
        const rlimit limit{64 * 1024, 64 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        for (const CopyMethod method :
             {CopyMethod::Clone, CopyMethod::CopyRange, CopyMethod::ReadWrite}) {
            const QString target = path(QStringLiteral("copy"));
            const CopyOutcome outcome = copyFile(doc(), target, {}, method);
            if (outcome.ok || outcome.error.isEmpty() || QFileInfo::exists(target))
                return 20 + int(method);
        }
        return failedBackupCode(store, doc(), folder);
    });
    EXPECT_EQ(code, 0) << "see failedBackupCode() and the copy loop for the step that failed";
}

#endif

} // namespace
} // namespace pw::backup::test
