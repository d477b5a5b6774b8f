// The buffer on real files: saves, failures that keep the original, shrinking, empty, sparse files.
#include "hex/engine/hexbuffer.h"
#include "hextestutil.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace pw::hex;
using namespace pw::hex::test;

namespace {

mode_t modeOf(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// No temporary files left beside the target.
std::size_t filesIn(const TempDir &dir)
{
    return std::size_t(std::distance(std::filesystem::directory_iterator(dir.path()),
                                     std::filesystem::directory_iterator()));
}

} // namespace

TEST(HexBufferFile, OpenRefusesWhatIsNotARegularFile)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    const std::pair<std::string, const char *> rows[] = {
        {dir.file("missing"), "No such file"},
        {dir.file("folder"), "is a folder"},
        {dir.file("pipe"), "is not a regular file"},
        {"", "No file name"},
    };
    for (const auto &[path, message] : rows) {
        SCOPED_TRACE(path);
        HexBuffer buffer;
        std::string error;
        EXPECT_FALSE(buffer.open(path, &error));
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_EQ(buffer.size(), 0);
        EXPECT_TRUE(buffer.path().empty());
    }
}

TEST(HexBufferFile, SaveAndSaveAsRoundTripByteExact)
{
    TempDir dir;
    std::mt19937_64 random(7);
    const Bytes original = randomBytes(random, 300000);
    const std::string path = dir.file("data.bin");
    writeFile(path, original);
    ::chmod(path.c_str(), 0640);

    HexBuffer buffer(pagesOf(4096, 4));
    ASSERT_TRUE(buffer.open(path));
    Bytes expected = original;
    ASSERT_TRUE(buffer.overwrite(150000, text("MIDDLE")));
    std::copy_n(text("MIDDLE").begin(), 6, expected.begin() + 150000);
    ASSERT_TRUE(buffer.insert(0, text("HEAD")));
    expected.insert(expected.begin(), {'H', 'E', 'A', 'D'});
    ASSERT_TRUE(buffer.remove(Offset(expected.size()) - 10, 10));
    expected.resize(expected.size() - 10);
    ASSERT_TRUE(buffer.isModified());

    std::string error;
    ASSERT_TRUE(buffer.saveAs(dir.file("other.bin"), &error)) << error;
    EXPECT_EQ(readFile(dir.file("other.bin")), expected);
    EXPECT_EQ(readFile(path), original) << "Save As leaves the opened file alone";
    EXPECT_EQ(buffer.path(), dir.file("other.bin"));
    EXPECT_FALSE(buffer.isModified());

    ASSERT_TRUE(buffer.insert(5, text("more")));
    expected.insert(expected.begin() + 5, {'m', 'o', 'r', 'e'});
    ASSERT_TRUE(buffer.save(&error)) << error;
    EXPECT_EQ(readFile(dir.file("other.bin")), expected) << "Save goes to the new path";
    EXPECT_EQ(buffer.openFileCount(), 2u) << "the older files stay open only for undo";

    // Back in the original file: the save keeps its permissions.
    HexBuffer again;
    ASSERT_TRUE(again.open(path));
    ASSERT_TRUE(again.overwrite(0, text("Z")));
    ASSERT_TRUE(again.save(&error)) << error;
    EXPECT_EQ(modeOf(path), 0640u);
    Bytes changed = original;
    changed[0] = 'Z';
    EXPECT_EQ(readFile(path), changed);
    EXPECT_EQ(filesIn(dir), 2u) << "no temporary file is left behind";
}

TEST(HexBufferFile, ClearingTheHistoryAfterASaveReleasesTheFileItReadFrom)
{
    TempDir dir;
    const std::string path = dir.file("f");
    writeFile(path, text("abcdef"));
    HexBuffer buffer(pagesOf(2, 2));
    ASSERT_TRUE(buffer.open(path));
    ASSERT_TRUE(buffer.overwrite(1, text("XY")));
    ASSERT_TRUE(buffer.save());
    ASSERT_TRUE(buffer.remove(0, 2));
    buffer.clearUndoHistory(); // the steps before: gone, and with them the first file
    EXPECT_EQ(buffer.openFileCount(), 1u);
    ASSERT_TRUE(buffer.insert(0, text("12")));
    ASSERT_TRUE(buffer.undo());
    EXPECT_EQ(buffer.bytes(0, 99), text("Ydef"));
    EXPECT_TRUE(buffer.isModified()) << "the history that led to the save point was cleared";
}

TEST(HexBufferFile, EmptyFiles)
{
    TempDir dir;
    const std::string path = dir.file("empty");
    writeFile(path, {});
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(path));
    EXPECT_EQ(buffer.size(), 0);
    EXPECT_FALSE(buffer.isModified());
    std::uint8_t b = 0;
    EXPECT_TRUE(buffer.read(0, &b, 0));
    EXPECT_FALSE(buffer.read(0, &b, 1));
    EXPECT_FALSE(buffer.remove(0, 1));
    ASSERT_TRUE(buffer.save()) << "an empty file saves as an empty file";
    EXPECT_TRUE(readFile(path).empty());

    ASSERT_TRUE(buffer.overwrite(0, text("ab"))) << "overwriting at the end appends";
    ASSERT_TRUE(buffer.save());
    EXPECT_EQ(readFile(path), text("ab"));
    ASSERT_TRUE(buffer.remove(0, 2));
    ASSERT_TRUE(buffer.saveAs(dir.file("emptied")));
    EXPECT_TRUE(readFile(dir.file("emptied")).empty());
    EXPECT_EQ(buffer.pieceCount(), 0u);

    HexBuffer fresh; // a new buffer has nowhere to save to
    std::string error;
    EXPECT_FALSE(fresh.save(&error));
    EXPECT_NE(error.find("No file name"), std::string::npos) << error;
}

TEST(HexBufferFile, FailedSavesLeaveTheOriginalAndTheBufferAsTheyWere)
{
    TempDir dir;
    const std::string path = dir.file("keep.bin");
    writeFile(path, text("original bytes"));
    std::filesystem::create_directory(dir.file("folder"));
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(path));
    ASSERT_TRUE(buffer.overwrite(0, text("CHANGED")));

    std::string error;
    EXPECT_FALSE(buffer.saveAs(dir.file("folder"), &error));
    EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
    EXPECT_FALSE(buffer.saveAs(dir.file("no/such/folder/f"), &error));
    EXPECT_NE(error.find("Cannot create a temporary file"), std::string::npos) << error;

    // Stopped half way, through the progress report.
    std::stop_source stop;
    SaveOptions options;
    options.stop = stop.get_token();
    options.progress = [&](Offset, Offset) { stop.request_stop(); };
    EXPECT_FALSE(buffer.save(&error, options));
    EXPECT_NE(error.find("stopped"), std::string::npos) << error;

    if (!runningAsRoot()) { // root writes anywhere
        ::chmod(path.c_str(), 0444);
        EXPECT_FALSE(buffer.save(&error));
        EXPECT_NE(error.find("read-only"), std::string::npos) << error;
        ::chmod(path.c_str(), 0644);
        ::chmod(dir.path().c_str(), 0555);
        EXPECT_FALSE(buffer.save(&error));
        EXPECT_NE(error.find("Cannot create a temporary file"), std::string::npos) << error;
        ::chmod(dir.path().c_str(), 0755);
    }

    EXPECT_EQ(readFile(path), text("original bytes"));
    EXPECT_TRUE(buffer.isModified());
    EXPECT_EQ(buffer.path(), path);
    EXPECT_EQ(buffer.bytes(0, 99), text("CHANGEDl bytes"));
    EXPECT_EQ(filesIn(dir), 2u) << "no temporary file is left behind";
}

TEST(HexBufferFile, AWriteFailingHalfWayLeavesTheOriginal)
{
    TempDir dir;
    const std::string path = dir.file("big.bin");
    std::mt19937_64 random(9);
    const Bytes original = randomBytes(random, 300000);
    writeFile(path, original);
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(path));
    ASSERT_TRUE(buffer.overwrite(100, text("x")));

    // A file size limit makes the write fail a third of the way, even for root.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 100000;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = buffer.save(&error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("Cannot write \"" + path + "\""), std::string::npos) << error;
    EXPECT_EQ(readFile(path), original);
    EXPECT_TRUE(buffer.isModified());
    EXPECT_FALSE(buffer.hasError()) << "the file read from is fine";
    EXPECT_EQ(filesIn(dir), 1u) << "no temporary file is left behind";
    ASSERT_TRUE(buffer.save(&error)) << "the next save succeeds: " << error;
}

TEST(HexBufferFile, WriteCopyKeepsPathAndModifiedFlag)
{
    TempDir dir;
    writeFile(dir.file("a"), text("12345"));
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(dir.file("a")));
    ASSERT_TRUE(buffer.remove(1, 3));
    ASSERT_TRUE(buffer.writeCopy(dir.file("b")));
    EXPECT_EQ(readFile(dir.file("b")), text("15"));
    EXPECT_EQ(buffer.path(), dir.file("a"));
    EXPECT_TRUE(buffer.isModified());
}

TEST(HexBufferFile, SavingThroughASymbolicLinkReplacesTheFileItNames)
{
    TempDir dir;
    writeFile(dir.file("real"), text("abc"));
    std::filesystem::create_symlink("real", dir.file("link"));
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(dir.file("link")));
    ASSERT_TRUE(buffer.insert(3, text("d")));
    ASSERT_TRUE(buffer.save());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link")));
    EXPECT_EQ(readFile(dir.file("real")), text("abcd"));
}

TEST(HexBufferFile, AFileShortenedWhileOpenGivesAClearErrorAndCannotBeSaved)
{
    TempDir dir;
    const std::string path = dir.file("shrinks");
    std::mt19937_64 random(3);
    const Bytes original = randomBytes(random, 200000);
    writeFile(path, original);
    HexBuffer buffer(pagesOf(4096, 2));
    ASSERT_TRUE(buffer.open(path));
    ASSERT_TRUE(buffer.overwrite(10, text("edit")));
    Bytes page(100);
    ASSERT_TRUE(buffer.read(150000, page.data(), page.size())); // cached before the cut

    ASSERT_EQ(::truncate(path.c_str(), 100000), 0);
    EXPECT_FALSE(buffer.read(199000, page.data(), page.size()));
    EXPECT_TRUE(buffer.hasError());
    EXPECT_NE(buffer.errorString().find("was shortened or removed"), std::string::npos)
        << buffer.errorString();
    EXPECT_NE(buffer.errorString().find("offset 100000"), std::string::npos);
    EXPECT_EQ(page, Bytes(100, 0)) << "missing bytes read as zeros";
    Bytes head(50);
    EXPECT_TRUE(buffer.read(0, head.data(), head.size())) << "what is still there reads";

    std::string error;
    EXPECT_FALSE(buffer.saveAs(dir.file("copy"), &error));
    EXPECT_NE(error.find("was shortened"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.file("copy")));
    EXPECT_TRUE(buffer.isModified());
}

TEST(HexBufferFile, ShrinkingIsNoticedBeforeAnyRead)
{
    TempDir dir;
    const std::string path = dir.file("shrinks");
    writeFile(path, Bytes(5000, 1));
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(path));
    EXPECT_TRUE(buffer.checkFiles());
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_TRUE(buffer.checkFiles()) << "a removed file stays readable while it is open";
    EXPECT_EQ(buffer.bytes(4990, 10), Bytes(10, 1));
    std::string error;
    ASSERT_TRUE(buffer.save(&error)) << "saving puts it back: " << error;
    EXPECT_EQ(readFile(path), Bytes(5000, 1));

    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    EXPECT_FALSE(buffer.checkFiles());
    EXPECT_TRUE(buffer.hasError());
    EXPECT_FALSE(buffer.save(&error));
}

TEST(HexBufferFile, LargeSparseFilesEditAndSaveAtOffsetsBeyondFourGigabytes)
{
    TempDir dir;
    const std::string path = dir.file("sparse");
    constexpr Offset Size = Offset(5) << 30;
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, Size), 0);
        ASSERT_EQ(::pwrite(fd, "TAIL", 4, Size - 4), 4);
        ::close(fd);
    }
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(path));
    EXPECT_EQ(buffer.size(), Size);
    EXPECT_EQ(buffer.bytes(Size - 4, 4), text("TAIL"));
    constexpr Offset Past32Bits = (Offset(1) << 32) + 3;
    ASSERT_TRUE(buffer.overwrite(Past32Bits, text("HIGH")));
    ASSERT_TRUE(buffer.insert(Offset(1) << 31, text("ins")));
    EXPECT_EQ(buffer.bytes(Past32Bits + 3, 4), text("HIGH"));
    EXPECT_EQ(buffer.size(), Size + 3);

    std::string error;
    ASSERT_TRUE(buffer.saveAs(dir.file("saved"), &error)) << error;
    const int fd = ::open(dir.file("saved").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    char seen[4] = {};
    EXPECT_EQ(::pread(fd, seen, 4, Past32Bits + 3), 4);
    EXPECT_EQ(std::string(seen, 4), "HIGH");
    EXPECT_EQ(::pread(fd, seen, 4, Size - 1), 4);
    EXPECT_EQ(std::string(seen, 4), "TAIL");
    ::close(fd);
    EXPECT_EQ(std::filesystem::file_size(dir.file("saved")), std::uintmax_t(Size + 3));
    // Holes stay holes: a few blocks on disk, not five gigabytes.
    EXPECT_LT(allocatedBytes(dir.file("saved")), 16 << 20);
}
