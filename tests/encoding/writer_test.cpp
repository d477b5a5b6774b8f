// Saving real files: refusing what the encoding cannot hold, replacing or writing in place, hard
// links, stale staging files, permissions, owners and the reasons failures give.
#include "editor/encoding/textfile.h"
#include "tests/encoding/testutil.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pw::enc {
namespace {

using test::bytes;
using test::hex;
using test::readFile;
using test::writeFile;
using Writer = test::TempFolder;

constexpr std::size_t kChunk = 262144;

struct stat statOf(const QString &path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// What a failed save must leave behind: the original untouched and no staging file.
void expectUntouched(const QString &folder, const QStringList &entries, const QString &path,
                     const std::string &content)
{
    EXPECT_EQ(test::entries(folder), entries);
    EXPECT_EQ(readFile(path), content);
}

// ---------------------------------------------------------------------------------------------
// Nothing is silently replaced

TEST_F(Writer, RefusesACharacterTheEncodingCannotHoldBeforeTouchingTheFile)
{
    const QString path = tempFile("doc.txt");
    // The arrow comes in the third piece, after two pieces went to the staging file.
    const std::string text = std::string(2 * kChunk, 'a') + "\xE2\x86\x92";
    for (DocEncoding encoding : {Ansi, Scsu}) {
        SCOPED_TRACE(int(encoding));
        ASSERT_TRUE(writeFile(path, "original"));
        const FileStamp before = FileStamp::of(path);
        TextFileWriter writer;
        QString error;
        EXPECT_FALSE(test::saveAll(path, encoding, 0, text, &error, kChunk));
        ASSERT_TRUE(writer.open(path, encoding, 0));
        EXPECT_TRUE(writer.write(std::string_view(text).substr(0, 2 * kChunk)));
        EXPECT_FALSE(writer.write(std::string_view(text).substr(2 * kChunk), &error));
        EXPECT_EQ(writer.status(), TextFileWriter::Status::CannotEncode);
        ASSERT_TRUE(writer.unencodable().has_value());
        EXPECT_EQ(*writer.unencodable(), (Unencodable{2 * kChunk, 3, U'\u2192'}));
        EXPECT_TRUE(error.contains(QStringLiteral("U+2192"))) << error.toStdString();
        EXPECT_FALSE(writer.commit());
        expectUntouched(folder(), {QStringLiteral("doc.txt")}, path, "original");
        EXPECT_EQ(FileStamp::of(path), before);
    }
    // The answer "save as UTF-8 instead" always succeeds.
    ASSERT_TRUE(test::saveAll(path, Utf8, 0, text));
    EXPECT_EQ(readFile(path) == text, true);
}

TEST_F(Writer, WritesTheMarkOnlyWhenAsked)
{
    const QString path = tempFile("m.txt");
    struct Row
    {
        DocEncoding encoding;
        int markLength;
        std::string file;
    };
    for (const Row &row :
         {Row{Utf8, 0, "A"}, Row{Utf8, 3, bytes({0xEF, 0xBB, 0xBF, 0x41})},
          Row{UnicodeBigEndian, 0, bytes({0, 0x41})},
          Row{UnicodeBigEndian, 2, bytes({0xFE, 0xFF, 0, 0x41})}, Row{Ansi, 3, "A"}}) {
        SCOPED_TRACE(int(row.encoding) * 10 + row.markLength);
        ASSERT_TRUE(test::saveAll(path, row.encoding, row.markLength, "A"));
        EXPECT_EQ(hex(readFile(path)), hex(row.file));
    }
}

// ---------------------------------------------------------------------------------------------
// Replacing and writing in place

TEST_F(Writer, KeepsHardLinkedNamesTogether)
{
    const QString path = tempFile("a.txt");
    const QString other = tempFile("b.txt");
    ASSERT_TRUE(writeFile(path, std::string(5000, 'o')));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    const ino_t inode = statOf(path).st_ino;
    for (const std::string &text : {std::string("shorter"), std::string(9000, 'l')}) {
        SCOPED_TRACE(text.size());
        TextFileWriter writer;
        ASSERT_TRUE(writer.open(path, Ansi, 0));
        EXPECT_EQ(writer.method(), TextFileWriter::Method::InPlace);
        ASSERT_TRUE(writer.write(text));
        ASSERT_TRUE(writer.commit());
        EXPECT_EQ(readFile(path), text);
        EXPECT_EQ(readFile(other), text);
        EXPECT_EQ(statOf(path).st_ino, inode);
        EXPECT_EQ(statOf(path).st_nlink, 2u);
        EXPECT_EQ(writer.stamp(), FileStamp::of(path));
        EXPECT_EQ(test::entries(folder()),
                  (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    }
}

TEST_F(Writer, RemovesTheStagingFileOfAnEarlierSave)
{
    const QString path = tempFile("doc.txt");
    const QString staging = TextFileWriter::stagingPathFor(path);
    EXPECT_EQ(QFileInfo(staging).fileName(), QStringLiteral(".doc.txt.pw-save"));
    ASSERT_TRUE(writeFile(path, "original"));

    // A save killed part-way: the process ends without commit or abort.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TextFileWriter writer;
        writer.open(path, Utf8, 0);
        writer.write("half of the new text");
        std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(test::entries(folder()),
              (QStringList{QStringLiteral(".doc.txt.pw-save"), QStringLiteral("doc.txt")}));
    EXPECT_EQ(readFile(path), "original");

    // A symbolic link planted under the staging name is removed, not followed.
    const QString decoy = tempFile("decoy");
    ASSERT_TRUE(writeFile(decoy, "decoy"));
    ASSERT_TRUE(QFile::remove(staging));
    ASSERT_TRUE(QFile::link(decoy, staging));

    ASSERT_TRUE(test::saveAll(path, Utf8, 0, "new"));
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(readFile(decoy), "decoy");
    EXPECT_EQ(test::entries(folder()),
              (QStringList{QStringLiteral("decoy"), QStringLiteral("doc.txt")}));

    // Long names keep a distinct staging name within the file-system limit.
    const QString longA = m_dir.filePath(QString(250, u'a') + QStringLiteral("1"));
    const QString longB = m_dir.filePath(QString(250, u'a') + QStringLiteral("2"));
    EXPECT_NE(TextFileWriter::stagingPathFor(longA), TextFileWriter::stagingPathFor(longB));
    EXPECT_LE(QFileInfo(TextFileWriter::stagingPathFor(longA)).fileName().size(), 255);
    EXPECT_EQ(TextFileWriter::stagingPathFor(longA), TextFileWriter::stagingPathFor(longA));
}

TEST_F(Writer, KeepsModeOwnerAndGroupWhenReplacing)
{
    const QString path = tempFile("script.sh");
    // Only a privileged process can give a file to another owner.
    const bool root = ::geteuid() == 0;
    for (const mode_t mode : {mode_t(0600), mode_t(0755), mode_t(0660), mode_t(04755)}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(writeFile(path, "old"));
        if (root) {
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 4321, 4322), 0);
        }
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        TextFileWriter writer;
        ASSERT_TRUE(writer.open(path, Utf8, 0));
        EXPECT_EQ(writer.method(), TextFileWriter::Method::Replace);
        ASSERT_TRUE(writer.write("new"));
        ASSERT_TRUE(writer.commit());
        EXPECT_EQ(statOf(path).st_mode & 07777, mode);
        EXPECT_EQ(readFile(path), "new");
        EXPECT_EQ(writer.stamp(), FileStamp::of(path));
        if (root) {
            EXPECT_EQ(statOf(path).st_uid, 4321u);
            EXPECT_EQ(statOf(path).st_gid, 4322u);
        }
    }
}

TEST_F(Writer, WritesThroughSymbolicLinks)
{
    ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("real")));
    const QString target = tempFile("real/target.txt");
    const QString link = tempFile("link.txt");
    const QString chain = tempFile("chain.txt");
    const QString dangling = tempFile("dangling.txt");
    ASSERT_TRUE(writeFile(target, "old"));
    ASSERT_TRUE(QFile::link(QStringLiteral("real/target.txt"), link));
    ASSERT_TRUE(QFile::link(QStringLiteral("link.txt"), chain));
    ASSERT_TRUE(QFile::link(QStringLiteral("real/new.txt"), dangling));

    for (const QString &via : {link, chain}) {
        SCOPED_TRACE(via.toStdString());
        TextFileWriter writer;
        ASSERT_TRUE(writer.open(via, Ansi, 0));
        EXPECT_EQ(writer.targetPath(), QFileInfo(target).absoluteFilePath());
        ASSERT_TRUE(writer.write("through " + via.toStdString()));
        ASSERT_TRUE(writer.commit());
        EXPECT_TRUE(QFileInfo(link).isSymbolicLink());
        EXPECT_TRUE(QFileInfo(chain).isSymbolicLink());
        EXPECT_EQ(readFile(target), "through " + via.toStdString());
    }
    ASSERT_TRUE(test::saveAll(dangling, Ansi, 0, "created"));
    EXPECT_TRUE(QFileInfo(dangling).isSymbolicLink());
    EXPECT_EQ(readFile(tempFile("real/new.txt")), "created");
    EXPECT_EQ(test::entries(tempFile("real")),
              (QStringList{QStringLiteral("new.txt"), QStringLiteral("target.txt")}));
}

// ---------------------------------------------------------------------------------------------
// Permissions seen by an ordinary user (test::runUnprivileged)

using test::runUnprivileged;
using test::Unprivileged;

TEST_F(Writer, WritesInPlaceWhenOnlyTheFileIsWritable)
{
    const QString locked = tempFile("locked");
    ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("locked")));
    const QString path = locked + QStringLiteral("/doc.txt");
    const QString closed = locked + QStringLiteral("/closed.txt");
    ASSERT_TRUE(writeFile(path, "original text"));
    ASSERT_TRUE(writeFile(closed, "closed"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(closed).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0555), 0);
    const ino_t inode = statOf(path).st_ino;

    const Unprivileged run = runUnprivileged(locked, [&] {
        // Without this the test would pass even if the locked were writable.
        const QString probe = locked + QStringLiteral("/probe");
        if (QFile(probe).open(QIODevice::WriteOnly))
            return 10;
        TextFileWriter writer;
        QString error;
        if (!writer.open(path, Unicode, 2, &error) || !writer.write("new text", &error) ||
            !writer.commit(&error)) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
            return 11;
        }
        if (writer.method() != TextFileWriter::Method::InPlace)
            return 12;
        // A file that is not writable either: refused with the system's reason.
        TextFileWriter refused;
        if (refused.open(closed, Ansi, 0) || refused.systemReason() != "Permission denied")
            return 13;
        return 0;
    });
    ::chmod(QFile::encodeName(locked).constData(), 0755);
    if (!run.ran)
        GTEST_SKIP() << run.skipReason.toStdString();
    ASSERT_EQ(run.exitCode, 0) << "see the code in the check above";
    EXPECT_EQ(hex(readFile(path)),
              hex(bytes({0xFF, 0xFE}) +
                  bytes({'n', 0, 'e', 0, 'w', 0, ' ', 0, 't', 0, 'e', 0, 'x', 0, 't', 0})));
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(readFile(closed), "closed");
    EXPECT_EQ(test::entries(locked),
              (QStringList{QStringLiteral("closed.txt"), QStringLiteral("doc.txt")}));
}

TEST_F(Writer, KeepsAnotherUsersFileTheirs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make a file that belongs to another user";
    const QString path = tempFile("shared.txt");
    ASSERT_TRUE(writeFile(path, "root's text"));
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 0, 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0777), 0);

    const Unprivileged run = runUnprivileged(folder(), [&] {
        TextFileWriter writer;
        if (!writer.open(path, Ansi, 0) || !writer.write("nobody's text") || !writer.commit())
            return 11;
        return writer.method() == TextFileWriter::Method::InPlace ? 0 : 12;
    });
    if (!run.ran)
        GTEST_SKIP() << run.skipReason.toStdString();
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(readFile(path), "nobody's text");
    EXPECT_EQ(statOf(path).st_uid, 0u);
    EXPECT_EQ(statOf(path).st_mode & 07777, 0666u);
}

// ---------------------------------------------------------------------------------------------
// Failures carry the system's reason and leave the original intact

TEST_F(Writer, FailuresGiveTheSystemsReason)
{
    const QString plain = tempFile("plain.txt");
    ASSERT_TRUE(writeFile(plain, "original"));
    ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("folder")));
    const QString fifo = tempFile("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Row
    {
        const char *name;
        QString path;
        QString reason;
    };
    const std::vector<Row> rows = {
        {"missing_folder", tempFile("none/doc.txt"), QStringLiteral("No such file or directory")},
        {"parent_is_a_file", plain + QStringLiteral("/doc.txt"), QStringLiteral("Not a directory")},
        {"target_is_a_folder", tempFile("folder"), QStringLiteral("Is a directory")},
        {"target_is_a_pipe", fifo, QStringLiteral("not a regular file")},
    };
    const QStringList before = test::entries(folder());
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TextFileWriter writer;
        QString error;
        EXPECT_FALSE(writer.open(row.path, Ansi, 0, &error));
        EXPECT_EQ(writer.status(), TextFileWriter::Status::Failed);
        EXPECT_EQ(writer.systemReason(), row.reason);
        EXPECT_TRUE(error.endsWith(row.reason)) << error.toStdString();
        EXPECT_EQ(writer.errorString(), error);
        expectUntouched(folder(), before, plain, "original");
        EXPECT_TRUE(test::entries(tempFile("folder")).isEmpty());
    }
}

TEST_F(Writer, FailsWhenTheDiskRefusesMoreData)
{
    // A file-size limit makes writes fail part-way the way a full disk does, even for root.
    const QString path = tempFile("doc.txt");
    ASSERT_TRUE(writeFile(path, "original"));
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = 100000;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    TextFileWriter writer;
    QString error;
    const bool opened = writer.open(path, Unicode, 2, &error);
    bool wrote = opened;
    for (int i = 0; wrote && i < 3; ++i)
        wrote = writer.write(std::string(kChunk, 'w'), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(writer.systemReason(), QStringLiteral("File too large"));
    EXPECT_TRUE(error.contains(QStringLiteral("doc.txt"))) << error.toStdString();
    expectUntouched(folder(), {QStringLiteral("doc.txt")}, path, "original");
}

TEST_F(Writer, FailsWhenTheTargetBecomesAFolderBeforeCommit)
{
    const QString path = tempFile("doc.txt");
    ASSERT_TRUE(writeFile(path, "original"));
    TextFileWriter writer;
    ASSERT_TRUE(writer.open(path, Unicode, 2));
    ASSERT_TRUE(writer.write("changed"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("doc.txt")));
    QString error;
    EXPECT_FALSE(writer.commit(&error));
    EXPECT_EQ(writer.systemReason(), QStringLiteral("Is a directory"));
    EXPECT_EQ(test::entries(folder()), QStringList{QStringLiteral("doc.txt")});
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(Writer, AbortsWhenNotCommitted)
{
    const QString path = tempFile("doc.txt");
    ASSERT_TRUE(writeFile(path, "original"));
    {
        TextFileWriter writer;
        ASSERT_TRUE(writer.open(path, Utf8, 0));
        ASSERT_TRUE(writer.write("half of it"));
        EXPECT_EQ(test::entries(folder()).size(), 2); // the staging file exists meanwhile
    }
    expectUntouched(folder(), {QStringLiteral("doc.txt")}, path, "original");

    TextFileWriter writer;
    ASSERT_TRUE(writer.open(path, Utf8, 0));
    writer.abort();
    EXPECT_FALSE(writer.commit());
    EXPECT_FALSE(writer.write("late"));
    expectUntouched(folder(), {QStringLiteral("doc.txt")}, path, "original");
}

class ReplaceHook
{
public:
    explicit ReplaceHook(TextFileWriter::ReplaceFunction function)
    {
        TextFileWriter::setReplaceFunction(std::move(function));
    }
    ~ReplaceHook() { TextFileWriter::setReplaceFunction({}); }
};

TEST_F(Writer, RetriesWhileTheTargetIsBusy)
{
    const QString path = tempFile("doc.txt");
    struct Row
    {
        const char *name;
        int busyCalls;       // calls answering "busy" before the real rename
        std::errc busyError; // what those calls answer
        bool saved;
        int expectedCalls;
    };
    const std::vector<Row> rows = {
        {"busy_three_times", 3, std::errc::device_or_resource_busy, true, 4},
        {"text_file_busy_once", 1, std::errc::text_file_busy, true, 2},
        {"busy_for_good", 1000, std::errc::device_or_resource_busy, false,
         TextFileWriter::ReplaceAttempts},
        {"other_error_is_final", 1000, std::errc::permission_denied, false, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(writeFile(path, "original"));
        int calls = 0;
        ReplaceHook hook([&](const QString &from, const QString &to) {
            if (++calls <= row.busyCalls)
                return std::make_error_code(row.busyError);
            std::error_code ec;
            std::filesystem::rename(QFile::encodeName(from).toStdString(),
                                    QFile::encodeName(to).toStdString(), ec);
            return ec;
        });
        QString error;
        EXPECT_EQ(test::saveAll(path, Ansi, 0, "changed", &error), row.saved);
        EXPECT_EQ(calls, row.expectedCalls);
        EXPECT_EQ(readFile(path), row.saved ? "changed" : "original");
        EXPECT_EQ(error.isEmpty(), row.saved);
        EXPECT_EQ(test::entries(folder()), QStringList{QStringLiteral("doc.txt")});
    }
}

TEST_F(Writer, SavesLargeTextInPieces)
{
    const QString path = tempFile("big.txt");
    std::string text;
    for (int i = 0; text.size() < 3 * kChunk; ++i)
        text += "line " + std::to_string(i) + " caf" + bytes({0xC3, 0xA9}) + "\xF0\x9F\x98\x80\r\n";
    for (DocEncoding encoding : {Utf8, Unicode, UnicodeBigEndian, Utf32LE, Utf32BE}) {
        SCOPED_TRACE(int(encoding));
        const int mark = int(markBytes(encoding).size());
        TextFileWriter writer;
        writer.setSyncToDisk(false);
        ASSERT_TRUE(writer.open(path, encoding, mark));
        // Pieces of an odd size split characters; the writer must carry them over.
        for (std::size_t at = 0; at < text.size(); at += 65537)
            ASSERT_TRUE(writer.write(std::string_view(text).substr(at, 65537)));
        ASSERT_TRUE(writer.commit());
        EXPECT_EQ(writer.bytesWritten(), QFileInfo(path).size());

        const test::Loaded loaded = test::loadAll(path, Auto);
        ASSERT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.encoding, encoding);
        EXPECT_EQ(loaded.text == text, true);
    }
}

} // namespace
} // namespace pw::enc
