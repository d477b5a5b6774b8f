// Loading and saving real files: byte-exact round trips, chunk boundaries and safe replacement.
#include "editor/encoding/encodingdetector.h"
#include "editor/encoding/textfile.h"
#include "tests/encoding/testutil.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pw::enc {
namespace {

using test::bytes;
using test::hex;
using test::readFile;
using test::writeFile;

bool runningAsRoot()
{
#if defined(Q_OS_UNIX)
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// ---------------------------------------------------------------------------------------------
// Load -> save round trips

struct RoundTripRow
{
    const char *name;
    std::string file;
    DocEncoding requested; // Auto: detect as the open routine does
    int requestedMark;     // used when an encoding is named
    DocEncoding encoding;  // the encoding the file opens with
    int markLength;        // mark bytes really skipped
    std::string text;      // editor bytes
    int lineEnding;        // detected from the first line, starting from Crlf
    std::string saved;     // bytes written back in the same encoding
};

void PrintTo(const RoundTripRow &row, std::ostream *os)
{
    *os << row.name;
}

const std::string kEmoji = bytes({0xF0, 0x9F, 0x98, 0x80});

std::vector<RoundTripRow> roundTripRows()
{
    const std::string utf8Mark = bytes({0xEF, 0xBB, 0xBF});
    const std::string leMark = bytes({0xFF, 0xFE});
    const std::string utf8Text = "caf" + bytes({0xC3, 0xA9}) + " au lait\n";
    std::string allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes.push_back(char(b));
    const std::string utf32le =
        bytes({0xFF, 0xFE, 0,    0, 0x41, 0, 0,    0, 0x00, 0xF6, 0x01, 0,    0x00, 0xD8,
               0,    0,    0x0D, 0, 0,    0, 0x0A, 0, 0,    0,    0x78, 0x56, 0x34, 0x12});
    const std::string utf32be =
        bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 0x41, 0, 0, 0, 0x0A, 0xFF, 0xFF, 0xFF, 0xFF});

    return {
        {"utf8_mark_crlf", bytes({0xEF, 0xBB, 0xBF, 0x41, 0x0D, 0x0A}), Auto, 0, Utf8, 3, "A\r\n",
         Crlf, bytes({0xEF, 0xBB, 0xBF, 0x41, 0x0D, 0x0A})},
        {"utf16le_mark_crlf", bytes({0xFF, 0xFE, 0x41, 0x00, 0x0D, 0x00, 0x0A, 0x00}), Auto, 0,
         Unicode, 2, "A\r\n", Crlf, bytes({0xFF, 0xFE, 0x41, 0x00, 0x0D, 0x00, 0x0A, 0x00})},
        {"utf16be_mark_lf", bytes({0xFE, 0xFF, 0x00, 0x41, 0x00, 0x0A}), Auto, 0, UnicodeBigEndian,
         2, "A\n", Lf, bytes({0xFE, 0xFF, 0x00, 0x41, 0x00, 0x0A})},
        {"utf8_without_mark_gains_one", utf8Text, Auto, 0, Utf8, 0, utf8Text, Lf,
         utf8Mark + utf8Text},
        {"ascii_cr_unchanged", "plain text\rmore\r", Auto, 0, Ansi, 0, "plain text\rmore\r", Cr,
         "plain text\rmore\r"},
        {"ascii_without_break_keeps_mode", "plain", Auto, 0, Ansi, 0, "plain", Crlf, "plain"},
        {"utf16le_without_mark_gains_one", bytes({0x41, 0, 0x42, 0}), Auto, 0, Unicode, 0, "AB",
         Crlf, bytes({0xFF, 0xFE, 0x41, 0, 0x42, 0})},
        {"utf16be_without_mark_gains_one", bytes({0, 0x41, 0, 0x42}), Auto, 0, UnicodeBigEndian, 0,
         "AB", Crlf, bytes({0xFE, 0xFF, 0, 0x41, 0, 0x42})},
        {"utf16le_odd_length_drops_last_byte", bytes({0xFF, 0xFE, 0x41, 0x00, 0x42}), Auto, 0,
         Unicode, 2, "A", Crlf, bytes({0xFF, 0xFE, 0x41, 0x00})},
        {"utf16le_surrogate_pair", leMark + bytes({0x3D, 0xD8, 0x00, 0xDE, 0x0A, 0}), Auto, 0,
         Unicode, 2, kEmoji + "\n", Lf, leMark + bytes({0x3D, 0xD8, 0x00, 0xDE, 0x0A, 0})},
        {"utf16le_lone_surrogates", leMark + bytes({0x00, 0xDE, 0x3D, 0xD8}), Auto, 0, Unicode, 2,
         bytes({0xED, 0xB8, 0x80, 0xED, 0xA0, 0xBD}), Crlf,
         leMark + bytes({0x00, 0xDE, 0x3D, 0xD8})},
        {"utf32le_mark", utf32le, Auto, 0, Utf32LE, 4,
         "A" + kEmoji + bytes({0xED, 0xA0, 0x80}) + "\r\n" +
             bytes({0xFC, 0x92, 0x8D, 0x85, 0x99, 0xB8}),
         Crlf, utf32le},
        {"utf32be_mark", utf32be, Auto, 0, Utf32BE, 4,
         "A\n" + bytes({0xFE, 0x83, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF}), Lf, utf32be},
        {"scsu_raw", bytes({0x0E, 0xFE, 0xFF, 0x41, 0x0A}), Auto, 0, Scsu, 0,
         bytes({0x0E, 0xFE, 0xFF, 0x41, 0x0A}), Lf, bytes({0x0E, 0xFE, 0xFF, 0x41, 0x0A})},
        {"bocu1_raw", bytes({0xFB, 0xEE, 0x28, 0x00, 0xFF}), Auto, 0, Bocu1, 0,
         bytes({0xFB, 0xEE, 0x28, 0x00, 0xFF}), Crlf, bytes({0xFB, 0xEE, 0x28, 0x00, 0xFF})},
        {"utf7_raw", "+/v8-Hi\r\n", Auto, 0, Utf7, 0, "+/v8-Hi\r\n", Crlf, "+/v8-Hi\r\n"},
        {"utf_ebcdic_raw", bytes({0xDD, 0x73, 0x66, 0x73, 0x25}), Auto, 0, UtfEbcdic, 0,
         bytes({0xDD, 0x73, 0x66, 0x73, 0x25}), Crlf, bytes({0xDD, 0x73, 0x66, 0x73, 0x25})},
        {"binary_every_byte", allBytes, Auto, 0, Ansi, 0, allBytes, Lf, allBytes},
        {"empty", "", Auto, 0, Ansi, 0, "", Crlf, ""},
        {"one_byte", "A", Auto, 0, Ansi, 0, "A", Crlf, "A"},
        {"one_zero_byte", std::string(1, '\0'), Auto, 0, Ansi, 0, std::string(1, '\0'), Crlf,
         std::string(1, '\0')},
        // Named encodings: the mark is skipped only when it is really there.
        {"named_utf8_without_mark", "ABCDEF", Utf8, 3, Utf8, 0, "ABCDEF", Crlf,
         utf8Mark + "ABCDEF"},
        {"named_utf8_with_mark", utf8Mark + "AB", Utf8, 3, Utf8, 3, "AB", Crlf, utf8Mark + "AB"},
        {"named_unicode_without_mark", bytes({0x41, 0, 0x42, 0}), Unicode, 2, Unicode, 0, "AB",
         Crlf, leMark + bytes({0x41, 0, 0x42, 0})},
        {"named_unicode_short_file", bytes({0xFF}), Unicode, 2, Unicode, 0, "", Crlf, leMark},
        {"named_ansi_keeps_a_mark_as_text", utf8Mark + "A", Ansi, 0, Ansi, 0, utf8Mark + "A", Crlf,
         utf8Mark + "A"},
        {"named_utf8_mark_length_zero_keeps_mark", utf8Mark + "A", Utf8, 0, Utf8, 0, utf8Mark + "A",
         Crlf, utf8Mark + utf8Mark + "A"},
    };
}

class RoundTrip : public ::testing::TestWithParam<RoundTripRow>
{
};

TEST_P(RoundTrip, LoadsAndSavesByteExactly)
{
    const RoundTripRow &row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(writeFile(path, row.file));

    DocEncoding encoding = row.requested;
    int mark = row.requestedMark;
    if (encoding == Auto) {
        EncodingDetector detector;
        ASSERT_TRUE(detector.detect(path));
        encoding = detector.encoding();
        mark = detector.markLength();
    }
    ASSERT_EQ(encoding, row.encoding);

    const test::Loaded loaded = test::loadAll(path, encoding, mark);
    ASSERT_TRUE(loaded.ok) << loaded.error.toStdString();
    EXPECT_EQ(loaded.markLength, row.markLength);
    EXPECT_EQ(hex(loaded.text), hex(row.text));
    EXPECT_EQ(detectLineEnding(firstLineWithBreak(loaded.text), Crlf), row.lineEnding);

    // Saved over the original, as a plain save does.
    QString error;
    ASSERT_TRUE(test::saveAll(path, encoding, loaded.text, &error)) << error.toStdString();
    EXPECT_EQ(hex(readFile(path)), hex(row.saved));
    EXPECT_EQ(test::entries(dir.path()), QStringList{QStringLiteral("doc.txt")});
}

INSTANTIATE_TEST_SUITE_P(Files, RoundTrip, ::testing::ValuesIn(roundTripRows()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(RoundTrip, SwitchingUnicodeToAnsiWritesTheEditorBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(writeFile(path, bytes({0xFF, 0xFE, 0xE9, 0x00, 0x0A, 0x00})));
    const test::Loaded loaded = test::loadAll(path, Unicode, 2);
    ASSERT_TRUE(loaded.ok);
    ASSERT_TRUE(test::saveAll(path, Ansi, loaded.text));
    EXPECT_EQ(hex(readFile(path)), hex(bytes({0xC3, 0xA9, 0x0A})));
}

// ---------------------------------------------------------------------------------------------
// Chunks

constexpr std::size_t kChunk = std::size_t(TextFileReader::ChunkSize);

TEST(Reader, CutsFullChunksBeforeTheLastBreak)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    // The first window's last break is the LF of a CRLF at its very end; the second window starts
    // with that LF and holds one more break, at its second byte; after that there is none.
    std::string file(3 * kChunk + 1000, 'x');
    file[100] = ' ';
    file[kChunk - 2] = '\r';
    file[kChunk - 1] = '\n';
    file[kChunk] = ' ';
    ASSERT_TRUE(writeFile(path, file));

    const test::Loaded loaded = test::loadAll(path, Ansi, 0);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.text == file, true); // nothing lost or doubled
    const std::vector<std::size_t> expected = {kChunk - 1, 1, kChunk, kChunk, 1000};
    EXPECT_EQ(loaded.chunkSizes, expected);
}

TEST(Reader, KeepsUtf16ChunksOnUnitBoundaries)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // U+4120 is 41 20 in big-endian order: a 20 byte at every odd offset that must not be cut at.
    std::string be = bytes({0xFE, 0xFF});
    std::string expectedBe;
    while (be.size() < 2 * kChunk + 300) {
        be += bytes({0x41, 0x20});
        expectedBe += bytes({0xE4, 0x84, 0xA0});
    }
    // Little-endian text with real spaces: cuts land before a space unit, always at even sizes.
    std::string le = bytes({0xFF, 0xFE});
    std::string expectedLe;
    for (int i = 0; le.size() < 2 * kChunk + 300; ++i) {
        const char c = i % 7 == 6 ? ' ' : char('a' + i % 26);
        le += std::string{c, '\0'};
        expectedLe += c;
    }

    struct Case
    {
        const char *name;
        DocEncoding encoding;
        const std::string &file;
        const std::string &text;
        bool cuts;
    };
    for (const Case &c : {Case{"be", UnicodeBigEndian, be, expectedBe, false},
                          Case{"le", Unicode, le, expectedLe, true}}) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(writeFile(path, c.file));
        const test::Loaded loaded = test::loadAll(path, c.encoding, 2);
        ASSERT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.text, c.text);
        ASSERT_GE(loaded.chunkSizes.size(), 3u);
        for (std::size_t i = 0; i + 1 < loaded.chunkSizes.size(); ++i)
            EXPECT_EQ(loaded.chunkSizes[i] % 2, 0u);
        EXPECT_EQ(loaded.chunkSizes[0] < kChunk, c.cuts);

        ASSERT_TRUE(test::saveAll(path, c.encoding, loaded.text));
        EXPECT_EQ(readFile(path) == c.file, true);
    }
}

TEST(Reader, JoinsASurrogatePairSplitByTheChunkLimit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (DocEncoding encoding : {Unicode, UnicodeBigEndian}) {
        SCOPED_TRACE(int(encoding));
        const bool le = encoding == Unicode;
        const auto unit = [le](int u) {
            return le ? std::string{char(u & 0xFF), char(u >> 8)}
                      : std::string{char(u >> 8), char(u & 0xFF)};
        };
        // No break anywhere, so the first chunk is exactly the limit and ends on the high half.
        std::string file = std::string(markBytes(encoding));
        std::string text;
        while (file.size() < kChunk - 2) {
            file += unit('x');
            text += 'x';
        }
        file += unit(0xD83D) + unit(0xDE00) + unit('y');
        text += kEmoji + "y";

        const QString path = dir.filePath(QStringLiteral("pair.txt"));
        ASSERT_TRUE(writeFile(path, file));
        const test::Loaded loaded = test::loadAll(path, encoding, 2);
        ASSERT_TRUE(loaded.ok);
        ASSERT_EQ(loaded.chunkSizes.size(), 2u);
        EXPECT_EQ(loaded.chunkSizes[0], kChunk);
        EXPECT_EQ(hex(loaded.text.substr(loaded.text.size() - 5)), hex(kEmoji + "y"));
        EXPECT_EQ(loaded.text, text);

        // Saved in pieces that split the four-byte character too.
        ASSERT_TRUE(test::saveAll(path, encoding, loaded.text, nullptr, text.size() - 3));
        EXPECT_EQ(readFile(path) == file, true);
    }
}

TEST(Reader, ReportsSizePositionAndEnd)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    const std::string file(kChunk + 10, 'z');
    ASSERT_TRUE(writeFile(path, file));

    TextFileReader reader;
    ASSERT_TRUE(reader.open(path, Ansi, 0));
    EXPECT_EQ(reader.size(), std::int64_t(file.size()));
    EXPECT_EQ(reader.position(), 0);
    std::string chunk;
    ASSERT_TRUE(reader.nextChunk(chunk));
    EXPECT_EQ(reader.position(), std::int64_t(kChunk));
    ASSERT_TRUE(reader.nextChunk(chunk));
    EXPECT_EQ(chunk, std::string(10, 'z'));
    EXPECT_EQ(reader.position(), reader.size());
    EXPECT_FALSE(reader.nextChunk(chunk));
    EXPECT_TRUE(chunk.empty());
    EXPECT_FALSE(reader.nextChunk(chunk));
    EXPECT_FALSE(reader.hasError());
}

TEST(Reader, StopsCleanlyWhenTheFileShrinks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("shrinking.txt"));
    for (const qint64 newSize : {qint64(300000), qint64(1000)}) {
        SCOPED_TRACE(newSize);
        ASSERT_TRUE(writeFile(path, std::string(4 * kChunk, 'q')));
        TextFileReader reader;
        ASSERT_TRUE(reader.open(path, Ansi, 0));
        std::string chunk;
        std::size_t total = 0;
        ASSERT_TRUE(reader.nextChunk(chunk));
        total += chunk.size();
        ASSERT_TRUE(QFile::resize(path, newSize));
        int chunks = 0;
        while (reader.nextChunk(chunk) && chunks < 100) {
            total += chunk.size();
            ++chunks;
        }
        EXPECT_LT(chunks, 100);
        EXPECT_FALSE(reader.hasError());
        EXPECT_EQ(total, std::max<std::size_t>(kChunk, std::size_t(newSize)));
    }
}

TEST(Reader, HandlesSizesBeyond4GiB)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sparse.bin"));
    const qint64 size = (qint64(5) << 30) + 7;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (!file.resize(size))
            GTEST_SKIP() << "the temporary folder cannot hold a sparse 5 GiB file";
        ASSERT_TRUE(file.seek(size - 3));
        ASSERT_EQ(file.write("end", 3), 3);
    }
    TextFileReader reader;
    ASSERT_TRUE(reader.open(path, Ansi, 0));
    EXPECT_EQ(reader.size(), size);
    std::string chunk;
    ASSERT_TRUE(reader.nextChunk(chunk));
    EXPECT_EQ(chunk.size(), kChunk);
    EXPECT_EQ(reader.position(), qint64(kChunk));
}

TEST(Reader, ReportsOpenFailuresWithTheSystemText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TextFileReader reader;
    QString error;
    EXPECT_FALSE(reader.open(dir.filePath(QStringLiteral("missing.txt")), Utf8, 3, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("No such file"), Qt::CaseInsensitive))
        << error.toStdString();
    std::string chunk;
    EXPECT_FALSE(reader.nextChunk(chunk));

    error.clear();
    EXPECT_FALSE(reader.open(dir.path(), Ansi, 0, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(Reader, ReportsAReadOnlyFile)
{
    if (runningAsRoot())
        GTEST_SKIP() << "every file is writable for root";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ro.txt"));
    ASSERT_TRUE(writeFile(path, "x"));
    TextFileReader reader;
    ASSERT_TRUE(reader.open(path, Ansi, 0));
    EXPECT_FALSE(reader.wasReadOnly());
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    ASSERT_TRUE(reader.open(path, Ansi, 0));
    EXPECT_TRUE(reader.wasReadOnly());
}

TEST(Reader, RefusesDevicesAndPipes)
{
#if defined(Q_OS_UNIX)
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Opening a pipe that nobody writes to would block; a device like /dev/zero never ends.
    for (const QString &path : {fifo, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        QString error;
        TextFileReader reader;
        EXPECT_FALSE(reader.open(path, Ansi, 0, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << error.toStdString();
        EncodingDetector detector;
        EXPECT_FALSE(detector.detect(path));
    }
    QString error;
    EXPECT_FALSE(test::saveAll(fifo, Ansi, "text", &error));
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    EXPECT_EQ(test::entries(dir.path()), QStringList{QStringLiteral("pipe")});
#else
    GTEST_SKIP() << "needs POSIX pipes";
#endif
}

// ---------------------------------------------------------------------------------------------
// Saving

TEST(Writer, KeepsPermissions)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("script.sh"));
    using P = QFile::Permission;
    const std::vector<QFile::Permissions> modes = {
        P::ReadOwner | P::WriteOwner,
        P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadGroup | P::ExeGroup | P::ReadOther |
            P::ExeOther,
        P::ReadOwner | P::WriteOwner | P::ReadGroup | P::WriteGroup,
    };
    for (const QFile::Permissions mode : modes) {
        SCOPED_TRACE(int(mode));
        ASSERT_TRUE(writeFile(path, "old"));
        ASSERT_TRUE(QFile::setPermissions(path, mode));
        const QFile::Permissions before = QFile::permissions(path);
        ASSERT_TRUE(test::saveAll(path, Utf8, "new"));
        EXPECT_EQ(QFile::permissions(path), before);
        EXPECT_EQ(readFile(path), bytes({0xEF, 0xBB, 0xBF}) + "new");
    }
}

TEST(Writer, KeepsOwnerAndGroupWhenAllowed)
{
#if defined(Q_OS_UNIX)
    if (!runningAsRoot())
        GTEST_SKIP() << "only a privileged process can give a file to another owner";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("owned.txt"));
    ASSERT_TRUE(writeFile(path, "old"));
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 4321, 4322), 0);
    ASSERT_TRUE(test::saveAll(path, Ansi, "new"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
#else
    GTEST_SKIP() << "owners are a POSIX notion";
#endif
}

TEST(Writer, WritesThroughSymbolicLinks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
    const QString target = dir.filePath(QStringLiteral("real/target.txt"));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    const QString chain = dir.filePath(QStringLiteral("chain.txt"));
    const QString dangling = dir.filePath(QStringLiteral("dangling.txt"));
    ASSERT_TRUE(writeFile(target, "old"));
    if (!QFile::link(QStringLiteral("real/target.txt"), link))
        GTEST_SKIP() << "symbolic links are not available here";
    ASSERT_TRUE(QFile::link(QStringLiteral("link.txt"), chain));
    ASSERT_TRUE(QFile::link(QStringLiteral("real/new.txt"), dangling));

    for (const QString &via : {link, chain}) {
        SCOPED_TRACE(via.toStdString());
        TextFileWriter writer;
        ASSERT_TRUE(writer.open(via, Ansi));
        EXPECT_EQ(writer.targetPath(), QFileInfo(target).absoluteFilePath());
        ASSERT_TRUE(writer.write("through " + via.toStdString()));
        ASSERT_TRUE(writer.commit());
        EXPECT_TRUE(QFileInfo(link).isSymbolicLink());
        EXPECT_TRUE(QFileInfo(chain).isSymbolicLink());
        EXPECT_EQ(readFile(target), "through " + via.toStdString());
    }

    ASSERT_TRUE(test::saveAll(dangling, Ansi, "created"));
    EXPECT_TRUE(QFileInfo(dangling).isSymbolicLink());
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("real/new.txt"))), "created");
    EXPECT_EQ(test::entries(dir.filePath(QStringLiteral("real"))),
              (QStringList{QStringLiteral("new.txt"), QStringLiteral("target.txt")}));
}

// What a failed save must leave behind: the original untouched and no temporary file.
void expectUntouched(const QString &folder, const QStringList &entries, const QString &path,
                     const std::string &content)
{
    EXPECT_EQ(test::entries(folder), entries);
    EXPECT_EQ(readFile(path), content);
}

TEST(Writer, FailsInAReadOnlyFolder)
{
    if (runningAsRoot())
        GTEST_SKIP() << "root may write into a read-only folder";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(writeFile(path, "original"));
    const auto folderMode = QFile::permissions(dir.path());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    QString error;
    EXPECT_FALSE(test::saveAll(path, Utf8, "changed", &error));
    QFile::setPermissions(dir.path(), folderMode);
    EXPECT_FALSE(error.isEmpty());
    expectUntouched(dir.path(), {QStringLiteral("doc.txt")}, path, "original");
}

TEST(Writer, FailsOnAnUnwritableTarget)
{
    if (runningAsRoot())
        GTEST_SKIP() << "every file is writable for root";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(writeFile(path, "original"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    QString error;
    EXPECT_FALSE(test::saveAll(path, Ansi, "changed", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("read-only"))) << error.toStdString();
    expectUntouched(dir.path(), {QStringLiteral("doc.txt")}, path, "original");
}

TEST(Writer, FailsWhenTheFolderCannotHoldTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    ASSERT_TRUE(writeFile(plain, "original"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));

    struct Row
    {
        const char *name;
        QString path;
    };
    for (const Row &row : {Row{"parent_is_a_file", plain + QStringLiteral("/doc.txt")},
                           Row{"target_is_a_folder", dir.filePath(QStringLiteral("folder"))},
                           Row{"missing_folder", dir.filePath(QStringLiteral("none/doc.txt"))}}) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_FALSE(test::saveAll(row.path, Ansi, "changed", &error));
        EXPECT_FALSE(error.isEmpty());
        expectUntouched(dir.path(), {QStringLiteral("folder"), QStringLiteral("plain.txt")}, plain,
                        "original");
        EXPECT_TRUE(test::entries(dir.filePath(QStringLiteral("folder"))).isEmpty());
    }
}

TEST(Writer, FailsWhenTheTargetBecomesAFolderBeforeCommit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(writeFile(path, "original"));
    TextFileWriter writer;
    ASSERT_TRUE(writer.open(path, Unicode));
    ASSERT_TRUE(writer.write("changed"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("doc.txt")));
    QString error;
    EXPECT_FALSE(writer.commit(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("doc.txt"))) << error.toStdString();
    EXPECT_EQ(test::entries(dir.path()), QStringList{QStringLiteral("doc.txt")});
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST(Writer, FailsWhenTheDiskRefusesMoreData)
{
#if defined(Q_OS_UNIX)
    // A file-size limit makes writes fail part-way the way a full disk does, even for root.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(writeFile(path, "original"));
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = 100000;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString error;
    const bool saved1 = test::saveAll(path, Unicode, std::string(3 * kChunk, 'w'), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved1);
    EXPECT_FALSE(error.isEmpty());
    expectUntouched(dir.path(), {QStringLiteral("doc.txt")}, path, "original");
#else
    GTEST_SKIP() << "needs a POSIX file-size limit";
#endif
}

TEST(Writer, AbortsWhenNotCommitted)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(writeFile(path, "original"));
    {
        TextFileWriter writer;
        ASSERT_TRUE(writer.open(path, Utf8));
        ASSERT_TRUE(writer.write("half of it"));
        EXPECT_EQ(test::entries(dir.path()).size(), 2); // the temporary file exists meanwhile
    }
    expectUntouched(dir.path(), {QStringLiteral("doc.txt")}, path, "original");

    TextFileWriter writer;
    ASSERT_TRUE(writer.open(path, Utf8));
    writer.abort();
    EXPECT_FALSE(writer.commit());
    EXPECT_FALSE(writer.write("late"));
    expectUntouched(dir.path(), {QStringLiteral("doc.txt")}, path, "original");
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

TEST(Writer, RetriesWhileTheTargetIsBusy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));

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
        EXPECT_EQ(test::saveAll(path, Ansi, "changed", &error), row.saved);
        EXPECT_EQ(calls, row.expectedCalls);
        EXPECT_EQ(readFile(path), row.saved ? "changed" : "original");
        EXPECT_EQ(error.isEmpty(), row.saved);
        EXPECT_EQ(test::entries(dir.path()), QStringList{QStringLiteral("doc.txt")});
    }
}

TEST(Writer, SavesLargeTextInPieces)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    std::string text;
    for (int i = 0; text.size() < 3 * kChunk; ++i)
        text += "line " + std::to_string(i) + " caf" + bytes({0xC3, 0xA9}) + kEmoji + "\r\n";
    for (DocEncoding encoding : {Utf8, Unicode, UnicodeBigEndian, Utf32LE, Utf32BE}) {
        SCOPED_TRACE(int(encoding));
        TextFileWriter writer;
        writer.setSyncToDisk(false);
        ASSERT_TRUE(writer.open(path, encoding));
        // Pieces of an odd size split characters; the writer must carry them over.
        for (std::size_t at = 0; at < text.size(); at += 65537)
            ASSERT_TRUE(writer.write(std::string_view(text).substr(at, 65537)));
        ASSERT_TRUE(writer.commit());
        EXPECT_EQ(writer.bytesWritten(), QFileInfo(path).size());

        EncodingDetector detector;
        ASSERT_TRUE(detector.detect(path));
        EXPECT_EQ(detector.encoding(), encoding);
        const test::Loaded loaded = test::loadAll(path, encoding, detector.markLength());
        ASSERT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.text == text, true);
    }
}

} // namespace
} // namespace pw::enc
