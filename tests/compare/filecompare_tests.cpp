// File-level comparison: encodings as open detects them, binary files, unreadable files, cancel.
#include "compare/engine/filecompare.h"
#include "difftestutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace pw::diff {
namespace {

const std::string Text = "Gr\xC3\xBC\xC3\x9F"
                         "e\n\xD0\xBC\xD0\xB8\xD1\x80\nplain ascii\n\xE2\x82\xAC 5\n";

std::string utf16(const std::string &utf8, bool bigEndian, bool mark)
{
    const QString s = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    std::string out;
    if (mark)
        out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (QChar c : s) {
        const char hi = char(c.unicode() >> 8);
        const char lo = char(c.unicode() & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

class Files : public ::testing::Test
{
protected:
    QString write(const QString &name, const std::string &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
        return path;
    }
    QTemporaryDir m_dir;
};

// Without a mark, UTF-16 is recognised only by a zero in every other byte: plain ASCII text.
const std::string AsciiText = "first line\nsecond line\n";

// A sample of plain ASCII leaves the choice to the whole file, as the open routine does: UTF-8
// met later makes it UTF-8, and a Windows-1252 byte more than a reading chunk after that makes it
// Ansi from its first byte (read again, not cut where the stray byte was met).
const std::string LongAscii(300000, 'a');
const std::string Utf8Mark = "\xEF\xBB\xBF";
const std::string LateUtf8 = LongAscii + "\n\xC3\xA9\n";
const std::string LateAnsiBytes = LateUtf8 + LongAscii + "\n\x93\n";
const std::string LateAnsiAsUtf8 =
    Utf8Mark + LongAscii + "\n\xC3\x83\xC2\xA9\n" + LongAscii + "\n\xE2\x80\x9C\n";

TEST_F(Files, SameTextInAnotherEncodingComparesEqualToItsUtf8Copy)
{
    const struct
    {
        const char *name;
        std::string utf8;
        std::string bytes;
        enc::DocEncoding encoding;
    } cases[] = {
        {"UTF-16 LE, marked", Text, utf16(Text, false, true), enc::Unicode},
        {"UTF-16 BE, marked", Text, utf16(Text, true, true), enc::UnicodeBigEndian},
        {"UTF-16 LE, unmarked", AsciiText, utf16(AsciiText, false, false), enc::Unicode},
        {"UTF-16 BE, unmarked", AsciiText, utf16(AsciiText, true, false), enc::UnicodeBigEndian},
        {"UTF-8, marked", Text, "\xEF\xBB\xBF" + Text, enc::Utf8},
        {"UTF-8 past the sample", Utf8Mark + LateUtf8, LateUtf8, enc::Utf8},
        {"stray Ansi byte after a chunk of UTF-8", LateAnsiAsUtf8, LateAnsiBytes, enc::Ansi},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString utf8 = write(QStringLiteral("utf8.txt"), c.utf8);
        const QString other = write(QStringLiteral("other.txt"), c.bytes);
        const FileComparison fc = compareFiles(utf8, other);
        ASSERT_EQ(fc.status, CompareStatus::Compared) << fc.error.toStdString();
        EXPECT_EQ(fc.second.encoding, c.encoding);
        EXPECT_TRUE(fc.identical());
        EXPECT_EQ(unifiedDiff(fc, UnifiedOptions{"a", "b", 3}), "");
    }
}

TEST_F(Files, ChangeInUtf16FileShowsAsUtf8Text)
{
    const QString a = write(QStringLiteral("a.txt"), Text);
    std::string changed = Text;
    changed.replace(changed.find("plain"), 5, "fancy");
    const QString b = write(QStringLiteral("b.txt"), utf16(changed, false, true));
    const FileComparison c = compareFiles(a, b);
    ASSERT_EQ(c.status, CompareStatus::Compared);
    EXPECT_EQ(c.diff.counts.changedLines, 1);
    EXPECT_NE(unifiedDiff(c, UnifiedOptions{"a", "b", 0}).find("+fancy ascii\n"),
              std::string::npos);
}

std::string binaryBytes(std::size_t size, std::size_t flipAt = std::string::npos)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = char((i * 31) % 7 == 0 ? 0 : 'a' + i % 26);
    if (flipAt < size)
        s[flipAt] = char(s[flipAt] ^ 0x40);
    return s;
}

TEST_F(Files, BinaryFilesReportTheFirstDifferentByte)
{
    const struct
    {
        const char *name;
        std::string a;
        std::string b;
        std::optional<std::int64_t> firstDifference;
    } cases[] = {
        {"identical", binaryBytes(5000), binaryBytes(5000), std::nullopt},
        {"differ in the second megabyte", binaryBytes(3000000), binaryBytes(3000000, 1500001),
         1500001},
        {"first is the start of the second", binaryBytes(1000), binaryBytes(1500), 1000},
        {"binary against text", binaryBytes(100), "just text\n", 0},
        {"text is the start of binary", "ab", std::string("ab\0cd\0ef", 8), 2},
    };
    for (const auto &bc : cases) {
        SCOPED_TRACE(bc.name);
        const FileComparison c = compareFiles(write(QStringLiteral("a.bin"), bc.a),
                                              write(QStringLiteral("b.bin"), bc.b));
        ASSERT_EQ(c.status, CompareStatus::Binary);
        EXPECT_EQ(c.firstDifference, bc.firstDifference);
        EXPECT_EQ(c.identical(), !bc.firstDifference.has_value());
        EXPECT_EQ(unifiedDiff(c, UnifiedOptions{"a.bin", "b.bin", 3}),
                  bc.firstDifference ? "Binary files a.bin and b.bin differ\n" : "");
    }
}

TEST_F(Files, UnreadableFilesFailWithAMessageNamingThem)
{
    const QString good = write(QStringLiteral("good.txt"), "x\n");
    const QString missing = m_dir.filePath(QStringLiteral("missing.txt"));
    struct Case
    {
        QString first;
        QString second;
        Side side;
        QString named;
    };
    for (const Case &k :
         {Case{missing, good, Side::First, missing}, Case{good, missing, Side::Second, missing},
          Case{good, m_dir.path(), Side::Second, m_dir.path()},
          Case{QString(), good, Side::First, QString()}}) {
        const FileComparison c = compareFiles(k.first, k.second);
        EXPECT_EQ(c.status, CompareStatus::Failed);
        EXPECT_EQ(c.failedSide, k.side);
        EXPECT_FALSE(c.error.isEmpty());
        EXPECT_TRUE(c.error.contains(QDir::toNativeSeparators(k.named))) << c.error.toStdString();
        EXPECT_FALSE(c.identical());
        EXPECT_EQ(unifiedDiff(c, UnifiedOptions{"a", "b", 3}), "");
    }
}

TEST_F(Files, CancelledComparisonSaysSo)
{
    const QString a = write(QStringLiteral("a.txt"), Text);
    CancelToken token;
    token.cancel();
    DiffControl control;
    control.cancel = &token;
    EXPECT_EQ(compareFiles(a, a, {}, control).status, CompareStatus::Cancelled);
    EXPECT_EQ(compareFiles(write(QStringLiteral("b.bin"), binaryBytes(10)), a, {}, control).status,
              CompareStatus::Cancelled);
}

TEST_F(Files, LineEndingOptionReachesFiles)
{
    const QString a = write(QStringLiteral("a.txt"), "one\r\ntwo\r\n");
    const QString b = write(QStringLiteral("b.txt"), "one\ntwo\n");
    EXPECT_FALSE(compareFiles(a, b).identical());
    DiffOptions options;
    options.ignoreLineEndings = true;
    EXPECT_TRUE(compareFiles(a, b, options).identical());
}

} // namespace
} // namespace pw::diff
