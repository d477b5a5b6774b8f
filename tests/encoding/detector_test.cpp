// Encoding detection: the mark table, the zero-byte pattern, the UTF-8 test and the binary flag.
#include "editor/encoding/encodingdetector.h"
#include "tests/encoding/testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pw::enc {
namespace {

using test::bytes;

struct DetectRow
{
    const char *name;
    std::string sample;
    DocEncoding encoding;
    int markLength;
    bool binary;
};

void PrintTo(const DetectRow &row, std::ostream *os)
{
    *os << row.name;
}

const std::string pad = "AAAAAAA"; // keeps what precedes it inside the checked part of the sample

std::vector<DetectRow> detectRows()
{
    return {
        // Marks, in table order.
        {"utf16be_mark", bytes({0xFE, 0xFF, 0x00, 0x41}), UnicodeBigEndian, 2, false},
        {"utf32le_mark", bytes({0xFF, 0xFE, 0x00, 0x00, 0x41, 0, 0, 0}), Utf32LE, 4, false},
        {"utf32le_mark_alone", bytes({0xFF, 0xFE, 0x00, 0x00}), Utf32LE, 4, false},
        {"utf16le_mark", bytes({0xFF, 0xFE, 0x41, 0x00}), Unicode, 2, false},
        {"utf16le_mark_then_one_zero", bytes({0xFF, 0xFE, 0x00, 0x41}), Unicode, 2, false},
        {"utf16le_mark_cut_by_sample", bytes({0xFF, 0xFE, 0x00}), Unicode, 2, false},
        {"utf16le_mark_alone", bytes({0xFF, 0xFE}), Unicode, 2, false},
        {"utf8_mark", bytes({0xEF, 0xBB, 0xBF, 0x41}), Utf8, 3, false},
        {"utf8_mark_with_zeros", bytes({0xEF, 0xBB, 0xBF, 0x00, 0x00}), Utf8, 3, false},
        {"utf8_mark_incomplete", bytes({0xEF, 0xBB}), Ansi, 0, false},
        {"utf32be_mark", bytes({0x00, 0x00, 0xFE, 0xFF, 0, 0, 0, 0x41}), Utf32BE, 4, false},
        {"scsu_mark", bytes({0x0E, 0xFE, 0xFF, 0x41}), Scsu, 3, false},
        {"bocu1_mark", bytes({0xFB, 0xEE, 0x28, 0x41}), Bocu1, 3, false},
        {"utf7_mark_38_2d", bytes({0x2B, 0x2F, 0x76, 0x38, 0x2D, 0x41}), Utf7, 5, false},
        {"utf7_mark_38", bytes({0x2B, 0x2F, 0x76, 0x38, 0x41}), Utf7, 4, false},
        {"utf7_mark_39", bytes({0x2B, 0x2F, 0x76, 0x39, 0x2D}), Utf7, 4, false},
        {"utf7_mark_2b", bytes({0x2B, 0x2F, 0x76, 0x2B}), Utf7, 4, false},
        {"utf7_mark_2f", bytes({0x2B, 0x2F, 0x76, 0x2F}), Utf7, 4, false},
        {"utf7_prefix_other_byte", "+/vA" + pad, Ansi, 0, false},
        {"utf7_prefix_cut_by_sample", "+/v", Ansi, 0, false},
        {"utf_ebcdic_mark", bytes({0xDD, 0x73, 0x66, 0x73}), UtfEbcdic, 4, false},
        {"utf_ebcdic_prefix", bytes({0xDD, 0x73, 0x66, 0x41}), Ansi, 0, false},

        // Zero-byte pattern.
        {"le_without_mark", bytes({0x41, 0x00, 0x42, 0x00}), Unicode, 0, false},
        {"be_without_mark", bytes({0x00, 0x41, 0x00, 0x42}), UnicodeBigEndian, 0, false},
        {"le_odd_length", bytes({0x41, 0x00, 0x42}), Unicode, 0, false},
        {"be_odd_length", bytes({0x00, 0x41, 0x42}), UnicodeBigEndian, 0, false},
        {"zeros_at_both_parities", bytes({0x00, 0x41, 0x00}), Ansi, 0, true},
        {"le_one_unit_not_latin", bytes({0x41, 0x00, 0x42, 0x30}), Ansi, 0, true},
        {"all_zero_prefers_le", bytes({0, 0, 0, 0}), Unicode, 0, false},

        // Short samples.
        {"empty", "", Ansi, 0, false},
        {"one_byte", "A", Ansi, 0, false},
        {"one_zero_byte", bytes({0x00}), Ansi, 0, true},
        {"six_bytes_of_utf8", bytes({0xC3, 0xA9, 0xC3, 0xA9, 0xC3, 0xA9}), Ansi, 0, false},
        {"seven_bytes_of_utf8", bytes({0xC3, 0xA9, 0x41, 0x41, 0x41, 0x41, 0x41}), Utf8, 0, false},

        // The UTF-8 test.
        {"plain_ascii", "Hello, world\r\n", Ansi, 0, false},
        {"two_byte_lowest", bytes({0xC2, 0x80}) + pad, Utf8, 0, false},
        {"three_byte_euro", bytes({0xE2, 0x82, 0xAC}) + pad, Utf8, 0, false},
        {"three_byte_below_surrogates", bytes({0xED, 0x9F, 0xBF}) + pad, Utf8, 0, false},
        {"four_byte_emoji", bytes({0xF0, 0x9F, 0x98, 0x80}) + pad, Utf8, 0, false},
        {"four_byte_highest", bytes({0xF4, 0x8F, 0xBF, 0xBF}) + pad, Utf8, 0, false},
        {"overlong_two_byte_c0", bytes({0xC0, 0xAF}) + pad, Ansi, 0, false},
        {"overlong_two_byte_c1", bytes({0xC1, 0xBF}) + pad, Ansi, 0, false},
        {"overlong_three_byte", bytes({0xE0, 0x80, 0xAF}) + pad, Ansi, 0, false},
        {"overlong_four_byte", bytes({0xF0, 0x80, 0x80, 0xAF}) + pad, Ansi, 0, false},
        {"surrogate_high", bytes({0xED, 0xA0, 0x80}) + pad, Ansi, 0, false},
        {"surrogate_low", bytes({0xED, 0xBF, 0xBF}) + pad, Ansi, 0, false},
        {"above_10ffff", bytes({0xF4, 0x90, 0x80, 0x80}) + pad, Ansi, 0, false},
        {"lead_f5", bytes({0xF5, 0x80, 0x80, 0x80}) + pad, Ansi, 0, false},
        {"five_byte_form", bytes({0xF8, 0x88, 0x80, 0x80, 0x80}) + pad, Ansi, 0, false},
        {"lone_continuation", bytes({0x80}) + pad, Ansi, 0, false},
        {"lead_without_continuation", bytes({0xC3, 0x41}) + pad, Ansi, 0, false},
        {"valid_then_windows_1252", bytes({0xC3, 0xA9, 0x41, 0xE9, 0x41}) + pad, Ansi, 0, false},
        {"latin1_word", "caf" + bytes({0xE9}) + " au lait", Ansi, 0, false},

        // Only sequences starting before (length - 6) are checked.
        {"ill_formed_in_last_six", bytes({0xC3, 0xA9, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0xFF}),
         Utf8, 0, false},
        {"ill_formed_at_last_checked_offset",
         bytes({0xC3, 0xA9, 0xFF, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41}), Ansi, 0, false},
        {"character_cut_by_sample_end",
         "AAAA" + bytes({0xC3, 0xA9}) + "AAAAAA" + bytes({0xE2, 0x82}), Utf8, 0, false},
        {"multibyte_only_in_last_six", "AAA" + bytes({0xC3, 0xA9, 0x41, 0x41, 0x41, 0x41}), Ansi, 0,
         false},
        {"sequence_reaching_into_last_six",
         bytes({0x41, 0x41, 0xF0, 0x9F, 0x98, 0x80, 0x41, 0x41, 0x41, 0x41, 0x41}), Utf8, 0, false},

        // Binary flag.
        {"zero_byte_in_ascii", bytes({0x41, 0x42, 0x00, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48}), Ansi,
         0, true},
        {"zero_byte_in_utf8_is_text", bytes({0xC3, 0xA9, 0x00, 0x41, 0x42, 0x43, 0x44, 0x45}), Utf8,
         0, false},
    };
}

class DetectTable : public ::testing::TestWithParam<DetectRow>
{
};

TEST_P(DetectTable, ClassifiesSample)
{
    const DetectRow &row = GetParam();
    EncodingDetector detector;
    detector.detectSample(row.sample);
    EXPECT_EQ(detector.encoding(), row.encoding) << test::hex(row.sample);
    EXPECT_EQ(detector.markLength(), row.markLength);
    EXPECT_EQ(detector.isBinary(), row.binary);
    EXPECT_EQ(detector.sample(), row.sample);
}

INSTANTIATE_TEST_SUITE_P(Samples, DetectTable, ::testing::ValuesIn(detectRows()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(EncodingDetector, UsesOnlyTheFirst1024Bytes)
{
    // The only multi-byte character lies beyond the sample.
    const std::string text = std::string(1024, 'a') + bytes({0xC3, 0xA9}) + "tail";
    EncodingDetector detector;
    detector.detectSample(text);
    EXPECT_EQ(detector.encoding(), Ansi);
    EXPECT_EQ(detector.sample().size(), 1024u);

    // A zero byte beyond the sample does not make the file binary either.
    detector.detectSample(std::string(1024, 'a') + std::string(1, '\0'));
    EXPECT_FALSE(detector.isBinary());
}

TEST(EncodingDetector, DetectsFromFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mark.txt"));
    ASSERT_TRUE(test::writeFile(path, bytes({0xFF, 0xFE, 0x41, 0x00}) + std::string(4000, 'x')));

    EncodingDetector detector;
    ASSERT_TRUE(detector.detect(path));
    EXPECT_EQ(detector.encoding(), Unicode);
    EXPECT_EQ(detector.markLength(), 2);
    EXPECT_EQ(detector.sample().size(), 1024u);
    EXPECT_EQ(detector.path(), path);
}

TEST(EncodingDetector, ReportsUnreadableFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EncodingDetector detector;
    detector.detectSample(bytes({0xFF, 0xFE}));
    EXPECT_FALSE(detector.detect(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_EQ(detector.encoding(), Ansi); // no stale result of an earlier detection
    EXPECT_EQ(detector.markLength(), 0);
    EXPECT_TRUE(detector.sample().empty());
}

} // namespace
} // namespace pw::enc
