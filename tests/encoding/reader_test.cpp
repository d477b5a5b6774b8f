// Loading real files: byte-exact round trips, the whole-file check, chunk boundaries, read errors
// and stamps.
#include "editor/encoding/textfile.h"
#include "tests/encoding/testutil.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::enc {
namespace {

using test::bytes;
using test::hex;
using test::readFile;
using test::writeFile;
using Reader = test::TempFolder;
using FileStamps = test::TempFolder;

constexpr std::size_t kChunk = std::size_t(TextFileReader::ChunkSize);
const std::string kEmoji = bytes({0xF0, 0x9F, 0x98, 0x80});

// ---------------------------------------------------------------------------------------------
// Load -> save round trips: what opens, and that saving it unchanged gives the file back.

struct RoundTripRow
{
    const char *name;
    std::string file;
    DocEncoding requested; // Auto: detect as an automatic open does
    DocEncoding encoding;  // the encoding the file opens with
    int markLength;        // mark bytes found and skipped
    std::string text;      // editor bytes (UTF-8)
    std::string trailing;  // a partial unit kept out of the text
};

void PrintTo(const RoundTripRow &row, std::ostream *os)
{
    *os << row.name;
}

std::vector<RoundTripRow> roundTripRows()
{
    const std::string utf8Mark = bytes({0xEF, 0xBB, 0xBF});
    const std::string leMark = bytes({0xFF, 0xFE});
    const std::string cafe = "caf" + bytes({0xC3, 0xA9}) + " au lait\n";
    std::string allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes.push_back(char(b));
    Decoder ansi(Ansi);
    std::string allBytesText;
    ansi.decode(allBytes, allBytesText);
    const std::string utf32le =
        bytes({0xFF, 0xFE, 0,    0, 0x41, 0, 0,    0, 0x00, 0xF6, 0x01, 0,    0x00, 0xD8,
               0,    0,    0x0D, 0, 0,    0, 0x0A, 0, 0,    0,    0x78, 0x56, 0x34, 0x12});

    return {
        {"utf8_mark_kept", utf8Mark + "A\r\n", Auto, Utf8, 3, "A\r\n", ""},
        {"utf8_without_mark_stays_without", cafe, Auto, Utf8, 0, cafe, ""},
        {"utf16le_mark", leMark + bytes({0x41, 0, 0x0D, 0, 0x0A, 0}), Auto, Unicode, 2, "A\r\n",
         ""},
        {"utf16be_mark", bytes({0xFE, 0xFF, 0x00, 0x41, 0x00, 0x0A}), Auto, UnicodeBigEndian, 2,
         "A\n", ""},
        {"utf16le_without_mark_stays_without", bytes({0x41, 0, 0x42, 0}), Auto, Unicode, 0, "AB",
         ""},
        {"utf16le_odd_last_byte_kept", leMark + bytes({0x41, 0x00, 0x42}), Auto, Unicode, 2, "A",
         "B"},
        {"utf32le_mark", utf32le, Auto, Utf32LE, 4,
         "A" + kEmoji + bytes({0xED, 0xA0, 0x80}) + "\r\n" +
             bytes({0xFC, 0x92, 0x8D, 0x85, 0x99, 0xB8}),
         ""},
        {"utf32be_partial_unit_kept", bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 0x41, 0, 0x0A}), Auto,
         Utf32BE, 4, "A", bytes({0, 0x0A})},
        {"scsu_as_windows_1252", bytes({0x0E, 0xFE, 0xFF, 0x41}), Auto, Scsu, 0,
         bytes({0x0E, 0xC3, 0xBE, 0xC3, 0xBF, 0x41}), ""},
        {"utf7_mark_is_text", "+/v8-Hi", Auto, Utf7, 0, "+/v8-Hi", ""},
        {"ansi_every_byte", allBytes, Auto, Ansi, 0, allBytesText, ""},
        {"ansi_latin", "caf\xE9 \x93quoted\x94\n", Auto, Ansi, 0,
         "caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D\n", ""},
        {"ascii_is_ansi", "plain text\rmore\r", Auto, Ansi, 0, "plain text\rmore\r", ""},
        {"empty", "", Auto, Ansi, 0, "", ""},
        {"one_byte", "A", Auto, Ansi, 0, "A", ""},
        {"short_utf8_found_by_the_whole_file_check", bytes({0xC3, 0xA9, 0xC3, 0xA9}), Auto, Utf8, 0,
         bytes({0xC3, 0xA9, 0xC3, 0xA9}), ""},
        // Named encodings: a mark is recognised only when it is really there.
        {"named_utf8_with_mark", utf8Mark + "AB", Utf8, Utf8, 3, "AB", ""},
        {"named_utf8_keeps_bad_bytes", "A\xE9", Utf8, Utf8, 0, "A\xE9", ""},
        {"named_unicode_without_mark", bytes({0x41, 0, 0x42, 0}), Unicode, Unicode, 0, "AB", ""},
        {"named_unicode_one_byte", bytes({0xFF}), Unicode, Unicode, 0, "", bytes({0xFF})},
        {"named_ansi_reads_a_utf8_mark_as_text", utf8Mark + "A", Ansi, Ansi, 0,
         "\xC3\xAF\xC2\xBB\xC2\xBF"
         "A",
         ""},
    };
}

class RoundTrip : public test::TempFolder, public ::testing::WithParamInterface<RoundTripRow>
{
};

TEST_P(RoundTrip, LoadsAndSavesByteExactly)
{
    const RoundTripRow &row = GetParam();
    const QString path = tempFile("doc.txt");
    ASSERT_TRUE(writeFile(path, row.file));

    const test::Loaded loaded = test::loadAll(path, row.requested);
    ASSERT_TRUE(loaded.ok) << loaded.error.toStdString();
    EXPECT_EQ(loaded.encoding, row.encoding);
    EXPECT_EQ(loaded.markLength, row.markLength);
    EXPECT_EQ(hex(loaded.text), hex(row.text));
    EXPECT_EQ(hex(loaded.trailing), hex(row.trailing));
    EXPECT_FALSE(loaded.restarted);

    // Saved over the original as it was found: same encoding, same mark, same trailing bytes.
    QString error;
    ASSERT_TRUE(test::saveAll(path, loaded.encoding, loaded.markLength, loaded.text, &error, 262144,
                              loaded.trailing))
        << error.toStdString();
    EXPECT_EQ(hex(readFile(path)), hex(row.file));
    EXPECT_EQ(test::entries(folder()), QStringList{QStringLiteral("doc.txt")});
}

INSTANTIATE_TEST_SUITE_P(Files, RoundTrip, ::testing::ValuesIn(roundTripRows()),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The whole-file check through real files

TEST(WholeFileCheck, DecidesAsTheFileIsRead)
{
    const std::string e = bytes({0xC3, 0xA9});
    const std::string sampleOfAscii(2000, 's');
    std::string ascii(2 * kChunk, 'x');
    for (std::size_t i = 80; i < ascii.size(); i += 81)
        ascii[i] = '\n';
    struct Row
    {
        const char *name;
        std::string file;
        DocEncoding encoding;
        bool restarted;
    };
    const std::vector<Row> rows = {
        // The case: a licence header, then the first accented letter after 2 KB.
        {"first_multibyte_after_2kb", std::string(2100, 'a') + "\n" + e + "\n", Utf8, false},
        {"first_multibyte_chunks_later", ascii + e, Utf8, false},
        {"windows_1252_chunks_later", ascii + "\xE9", Ansi, false},
        // The sample holds no multi-byte character, the first chunk does.
        {"utf8_then_a_windows_1252_byte_chunks_later", sampleOfAscii + e + ascii + "\xE9", Ansi,
         true},
        {"utf8_then_a_cut_sequence_at_the_end", sampleOfAscii + e + ascii + "\xE2\x82", Ansi, true},
        {"utf8_found_by_the_sample_keeps_bad_bytes", e + ascii + "\xE9", Utf8, false},
        {"zero_byte_in_the_sample_skips_the_check", std::string("A\0B", 3) + ascii + e, Ansi,
         false},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(writeFile(path, row.file));
        const test::Loaded loaded = test::loadAll(path, Auto);
        ASSERT_TRUE(loaded.ok) << loaded.error.toStdString();
        EXPECT_EQ(loaded.encoding, row.encoding);
        EXPECT_EQ(loaded.markLength, 0);
        EXPECT_EQ(loaded.restarted, row.restarted);
        Decoder reference(row.encoding);
        std::string expected;
        reference.decode(row.file, expected);
        EXPECT_EQ(loaded.text == expected, true) << "text differs from a plain decode";
        // Nothing lost or doubled by the restart: the chunks cover the file once.
        std::size_t covered = 0;
        for (std::size_t size : loaded.chunkSizes)
            covered += size;
        EXPECT_EQ(covered, row.file.size());

        ASSERT_TRUE(test::saveAll(path, loaded.encoding, 0, loaded.text));
        EXPECT_EQ(readFile(path) == row.file, true) << "saved bytes differ";
    }
}

TEST(WholeFileCheck, RestartIsOnlyOfferedWhenRequired)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(writeFile(path, "plain"));
    TextFileReader reader;
    ASSERT_TRUE(reader.open(path, Auto));
    EXPECT_EQ(reader.encoding(), Auto); // undecided until the end
    QString error;
    EXPECT_FALSE(reader.restartAsAnsi(&error));
    EXPECT_FALSE(error.isEmpty());
    std::string chunk;
    EXPECT_TRUE(reader.nextChunk(chunk));
    EXPECT_EQ(chunk, "plain");
    EXPECT_FALSE(reader.nextChunk(chunk));
    EXPECT_FALSE(reader.restartRequired());
    EXPECT_EQ(reader.encoding(), Ansi);
}

// ---------------------------------------------------------------------------------------------
// Chunks

TEST_F(Reader, CutsFullChunksBeforeTheLastBreak)
{
    const QString path = tempFile("big.txt");
    // The first window's last break is the LF of a CRLF at its very end; the second window starts
    // with that LF and holds one more break, at its second byte; after that there is none.
    std::string file(3 * kChunk + 1000, 'x');
    file[100] = ' ';
    file[kChunk - 2] = '\r';
    file[kChunk - 1] = '\n';
    file[kChunk] = ' ';
    ASSERT_TRUE(writeFile(path, file));

    const test::Loaded loaded = test::loadAll(path, Ansi);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.text == file, true); // nothing lost or doubled
    const std::vector<std::size_t> expected = {kChunk - 1, 1, kChunk, kChunk, 1000};
    EXPECT_EQ(loaded.chunkSizes, expected);
}

TEST_F(Reader, KeepsUtf16ChunksOnUnitBoundaries)
{
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
        const QString path = m_dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(writeFile(path, c.file));
        const test::Loaded loaded = test::loadAll(path, c.encoding);
        ASSERT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.text, c.text);
        ASSERT_GE(loaded.chunkSizes.size(), 3u);
        for (std::size_t i = 0; i + 1 < loaded.chunkSizes.size(); ++i)
            EXPECT_EQ(loaded.chunkSizes[i] % 2, 0u);
        EXPECT_EQ(loaded.chunkSizes[0] < kChunk, c.cuts);
    }
}

TEST_F(Reader, JoinsASurrogatePairSplitByTheChunkLimit)
{
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

        const QString path = tempFile("pair.txt");
        ASSERT_TRUE(writeFile(path, file));
        const test::Loaded loaded = test::loadAll(path, encoding);
        ASSERT_TRUE(loaded.ok);
        ASSERT_EQ(loaded.chunkSizes.size(), 2u);
        EXPECT_EQ(loaded.chunkSizes[0], kChunk);
        EXPECT_EQ(loaded.text, text);

        // Saved in pieces that split the four-byte character too.
        ASSERT_TRUE(test::saveAll(path, encoding, 2, loaded.text, nullptr, text.size() - 3));
        EXPECT_EQ(readFile(path) == file, true);
    }
}

TEST_F(Reader, EstimatesTheTextSizeForTheEditorBuffer)
{
    const QString path = tempFile("doc.txt");
    std::string latin;
    std::string utf16 = bytes({0xFF, 0xFE});
    for (int i = 0; latin.size() < 3 * kChunk; ++i) {
        latin += "caf\xE9 na\xEFve \x93quoted\x94\n";
        utf16 += bytes({'a', 0, 0xE9, 0, 0x0A, 0});
    }
    struct Row
    {
        const char *name;
        const std::string &file;
        DocEncoding requested;
    };
    for (const Row &row :
         {Row{"windows_1252_grows", latin, Auto}, Row{"windows_1252_named", latin, Ansi},
          Row{"utf16_shrinks", utf16, Auto}}) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(writeFile(path, row.file));
        TextFileReader reader;
        ASSERT_TRUE(reader.open(path, row.requested));
        const std::int64_t estimate = reader.textSizeEstimate();
        const test::Loaded loaded = test::loadAll(path, row.requested);
        const auto actual = std::int64_t(loaded.text.size());
        EXPECT_GE(estimate, actual);
        EXPECT_LE(estimate, actual + actual / 20 + 16);
    }
}

TEST_F(Reader, HandlesSizesBeyond4GiB)
{
    const QString path = tempFile("sparse.bin");
    const qint64 size = (qint64(5) << 30) + 7;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (!file.resize(size))
            GTEST_SKIP() << "the temporary folder cannot hold a sparse 5 GiB file";
    }
    TextFileReader reader;
    ASSERT_TRUE(reader.open(path, Ansi));
    EXPECT_EQ(reader.size(), size);
    std::string chunk;
    ASSERT_TRUE(reader.nextChunk(chunk));
    EXPECT_EQ(chunk.size(), kChunk);
    EXPECT_EQ(reader.position(), qint64(kChunk));
}

// ---------------------------------------------------------------------------------------------
// Failures: a clear error, never a truncated success

class ReadFaultHook
{
public:
    explicit ReadFaultHook(TextFileReader::ReadFault fault)
    {
        TextFileReader::setReadFault(std::move(fault));
    }
    ~ReadFaultHook() { TextFileReader::setReadFault({}); }
};

TEST_F(Reader, FailsOnAReadErrorPartWay)
{
    const QString path = tempFile("doc.txt");
    ASSERT_TRUE(writeFile(path, std::string(3 * kChunk, 'r')));
    ReadFaultHook hook(
        [](std::int64_t offset) { return offset >= std::int64_t(kChunk) ? EIO : 0; });
    TextFileReader reader;
    ASSERT_TRUE(reader.open(path, Auto));
    std::string chunk;
    std::size_t handedOut = 0;
    while (reader.nextChunk(chunk))
        handedOut += chunk.size();
    EXPECT_LT(handedOut, 3 * kChunk);
    EXPECT_TRUE(reader.hasError());
    EXPECT_FALSE(reader.restartRequired());
    EXPECT_EQ(reader.systemReason(), QStringLiteral("Input/output error"));
    EXPECT_TRUE(reader.errorString().contains(QStringLiteral("doc.txt")));
    EXPECT_FALSE(test::loadAll(path, Ansi).ok);
}

TEST_F(Reader, FailsWhenTheFileShrinksWhileRead)
{
    const QString path = tempFile("shrinking.txt");
    for (const qint64 newSize : {qint64(300000), qint64(1000)}) {
        SCOPED_TRACE(newSize);
        ASSERT_TRUE(writeFile(path, std::string(4 * kChunk, 'q')));
        TextFileReader reader;
        ASSERT_TRUE(reader.open(path, Ansi));
        std::string chunk;
        ASSERT_TRUE(reader.nextChunk(chunk));
        ASSERT_TRUE(QFile::resize(path, newSize));
        int chunks = 0;
        while (reader.nextChunk(chunk) && chunks < 100)
            ++chunks;
        EXPECT_LT(chunks, 100);
        EXPECT_TRUE(reader.hasError());
        EXPECT_TRUE(reader.systemReason().contains(QStringLiteral("shorter")));
    }
}

TEST_F(Reader, RefusesWhatItCannotOpenWithTheSystemsReason)
{
    const QString fifo = tempFile("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Opening a pipe that nobody writes to would block; a device like /dev/zero never ends.
    const std::pair<QString, const char *> rows[] = {
        {tempFile("missing.txt"), "No such file or directory"},
        {folder(), "Is a directory"},
        {fifo, "not a regular file"},
        {QStringLiteral("/dev/zero"), "not a regular file"},
    };
    for (const auto &[path, reason] : rows) {
        SCOPED_TRACE(path.toStdString());
        TextFileReader reader;
        QString error;
        EXPECT_FALSE(reader.open(path, Auto, &error));
        EXPECT_EQ(reader.systemReason(), QString::fromLatin1(reason));
        EXPECT_TRUE(error.contains(QFileInfo(path).fileName())) << error.toStdString();
        std::string chunk;
        EXPECT_FALSE(reader.nextChunk(chunk));
    }
}

TEST_F(Reader, ReportsAReadOnlyFile)
{
    const QString writable = tempFile("rw.txt");
    const QString readOnly = tempFile("ro.txt");
    ASSERT_TRUE(writeFile(writable, "x"));
    ASSERT_TRUE(writeFile(readOnly, "x"));
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(writable).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    const test::Unprivileged run = test::runUnprivileged(folder(), [&] {
        TextFileReader reader;
        if (!reader.open(writable, Ansi) || reader.wasReadOnly())
            return 10;
        if (!reader.open(readOnly, Ansi) || !reader.wasReadOnly())
            return 11;
        return 0;
    });
    if (!run.ran)
        GTEST_SKIP() << run.skipReason.toStdString();
    EXPECT_EQ(run.exitCode, 0);
}

// ---------------------------------------------------------------------------------------------
// Stamps

TEST_F(FileStamps, TellsChangesByOtherPrograms)
{
    const QString path = tempFile("doc.txt");
    const QString other = tempFile("other.txt");
    const QByteArray native = QFile::encodeName(path);

    struct Row
    {
        const char *name;
        std::function<void()> change;
        FileChange expected;
    };
    const std::vector<Row> rows = {
        {"untouched", [] {}, FileChange::None},
        {"same_size_new_time",
         [&] {
             ASSERT_TRUE(writeFile(path, "abcd"));
             const struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 123}};
             ASSERT_EQ(::utimensat(AT_FDCWD, native.constData(), times, 0), 0);
         },
         FileChange::Modified},
        {"replaced_keeping_size_and_time",
         [&] {
             // Another editor's atomic save that copies the time along.
             ASSERT_TRUE(writeFile(other, "wxyz"));
             struct stat st;
             ASSERT_EQ(::stat(native.constData(), &st), 0);
             const struct timespec times[2] = {st.st_atim, st.st_mtim};
             ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), times, 0), 0);
             ASSERT_TRUE(QFile::remove(path));
             ASSERT_TRUE(QFile::rename(other, path));
         },
         FileChange::Modified},
        {"deleted", [&] { ASSERT_TRUE(QFile::remove(path)); }, FileChange::Deleted},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(writeFile(path, "abcd"));
        TextFileReader reader;
        ASSERT_TRUE(reader.open(path, Auto));
        const FileStamp loaded = reader.stamp();
        EXPECT_EQ(loaded, FileStamp::of(path));
        reader.close();
        row.change();
        EXPECT_EQ(compareStamps(loaded, FileStamp::of(path)), row.expected);
    }
    // A file that appears where there was none counts as a change.
    EXPECT_EQ(compareStamps(FileStamp{}, FileStamp::of(tempFile("none"))), FileChange::None);
    ASSERT_TRUE(writeFile(path, "new"));
    EXPECT_EQ(compareStamps(FileStamp{}, FileStamp::of(path)), FileChange::Modified);
}

} // namespace
} // namespace pw::enc
