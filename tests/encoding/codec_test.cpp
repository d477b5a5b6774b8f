// Byte rules, decoding and encoding: marks, the chunk cut, line endings and reversible conversion.
#include "editor/encoding/codec.h"
#include "editor/encoding/docencoding.h"
#include "tests/encoding/testutil.h"

#include <gtest/gtest.h>
#include <random>

namespace pw::enc {
namespace {

using test::bytes;
using test::hex;

// ---------------------------------------------------------------------------------------------
// Marks and code pages

struct EncodingRow
{
    DocEncoding encoding;
    std::string mark;
    int namedMark;
    int codePage;
};

TEST(EncodingRules, MarkNamedLengthAndCodePage)
{
    const std::vector<EncodingRow> rows = {
        {Utf8, bytes({0xEF, 0xBB, 0xBF}), 3, 65001},
        {Unicode, bytes({0xFF, 0xFE}), 2, 65001},
        {UnicodeBigEndian, bytes({0xFE, 0xFF}), 2, 65001},
        {Ansi, "", 0, 0},
        {Auto, "", 0, 0},
        {Utf32LE, bytes({0xFF, 0xFE, 0x00, 0x00}), 0, 65001},
        {Utf32BE, bytes({0x00, 0x00, 0xFE, 0xFF}), 0, 65001},
        {Scsu, "", 0, 0},
        {Bocu1, "", 0, 0},
        {Utf7, "", 0, 0},
        {UtfEbcdic, "", 0, 0},
    };
    for (const EncodingRow &row : rows) {
        SCOPED_TRACE(int(row.encoding));
        EXPECT_EQ(std::string(markBytes(row.encoding)), row.mark);
        EXPECT_EQ(namedMarkLength(row.encoding), row.namedMark);
        EXPECT_EQ(editorCodePage(row.encoding), row.codePage);
        EXPECT_EQ(startsWithMark(row.mark + "x", row.encoding), !row.mark.empty());
        EXPECT_FALSE(startsWithMark("x" + row.mark, row.encoding));
        if (!row.mark.empty()) { // a cut-off mark is no mark
            EXPECT_FALSE(startsWithMark(row.mark.substr(0, row.mark.size() - 1), row.encoding));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The chunk cut

struct CutRow
{
    const char *name;
    DocEncoding encoding;
    std::string chunk;
    std::size_t keep;
};

TEST(CutChunk, KeepsUpToTheLastBreakingUnit)
{
    const std::vector<CutRow> rows = {
        {"space", Ansi, "abc def", 3},
        {"last_of_several", Ansi, "a b c", 3},
        {"crlf_cut_before_lf", Ansi, "abc\r\ndef", 4},
        {"cr", Ansi, "abc\rdef", 3},
        {"break_is_last_byte", Ansi, "abcdef\n", 6},
        {"no_break_kept_whole", Ansi, "abcdef", 6},
        {"break_only_first_kept_whole", Ansi, " abcdef", 7},
        {"break_at_second_byte", Ansi, "a bcdef", 1},
        {"tab_is_not_a_break", Ansi, "abc\tdef", 7},
        {"empty", Ansi, "", 0},
        {"single_byte", Ansi, " ", 1},
        {"utf8_keeps_characters_whole", Utf8, bytes({0xC3, 0xA9, 0x20, 0xC3, 0xA9}), 2},
        {"raw_code_cuts_bytes", Scsu, "ab cd", 2},
        {"le_space_unit", Unicode, bytes({0x61, 0, 0x20, 0, 0x62, 0}), 2},
        {"be_space_unit", UnicodeBigEndian, bytes({0, 0x61, 0, 0x20, 0, 0x62}), 2},
        // A 20 byte inside a unit (U+4120 big endian, U+2020 little endian) is not a break.
        {"be_20_inside_unit", UnicodeBigEndian, bytes({0x41, 0x20, 0x41, 0x41}), 4},
        {"le_2020_not_a_break", Unicode, bytes({0x20, 0x20, 0x41, 0x00}), 4},
        {"le_wrong_order_is_not_a_break", Unicode, bytes({0x41, 0x00, 0x00, 0x0A}), 4},
        {"le_odd_length_kept_even", Unicode, bytes({0x61, 0, 0x62, 0, 0x63}), 4},
        {"le_odd_length_with_break", Unicode, bytes({0x61, 0, 0x0A, 0, 0x63}), 2},
        {"le_shorter_than_a_unit", Unicode, bytes({0x61}), 1},
        {"utf32le_lf", Utf32LE, bytes({0x61, 0, 0, 0, 0x0A, 0, 0, 0, 0x62, 0, 0, 0}), 4},
        {"utf32be_cr", Utf32BE, bytes({0, 0, 0, 0x61, 0, 0, 0, 0x0D}), 4},
        {"utf32_20_inside_unit", Utf32LE, bytes({0x61, 0, 0, 0, 0x20, 1, 0, 0, 0x62, 0}), 8},
    };
    for (const CutRow &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cutChunk(row.chunk, row.encoding), row.keep);
    }
}

// ---------------------------------------------------------------------------------------------
// Line endings

TEST(LineEnding, FromTheFirstLine)
{
    struct Row
    {
        const char *text;
        int current;
        const char *firstLine;
        int mode;
    };
    const std::vector<Row> rows = {
        {"A\r\nB\nC\r", Lf, "A\r\n", Crlf},
        {"A\nB\r\n", Crlf, "A\n", Lf},
        {"A\rB\r\n", Crlf, "A\r", Cr},
        {"\r\n", Lf, "\r\n", Crlf},
        {"\n\r\n", Crlf, "\n", Lf},
        {"\r\r\n", Crlf, "\r", Cr},
        {"no break", Cr, "no break", Cr},
        {"no break", Lf, "no break", Lf},
        {"", Crlf, "", Crlf},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(row.text)));
        const std::string_view line = firstLineWithBreak(row.text);
        EXPECT_EQ(line, row.firstLine);
        EXPECT_EQ(detectLineEnding(line, row.current), row.mode);
    }
}

// ---------------------------------------------------------------------------------------------
// Decoding and encoding tables

struct ConvertRow
{
    const char *name;
    DocEncoding encoding;
    std::string file;   // without a mark
    std::string editor; // what the file decodes to
};

std::string decodeAll(DocEncoding encoding, std::string_view file, int markLength = 0)
{
    Decoder decoder(encoding, markLength);
    std::string out;
    decoder.decode(file, out);
    decoder.finish(out);
    return out;
}

std::string encodeAll(DocEncoding encoding, std::string_view editor)
{
    Encoder encoder(encoding);
    std::string out;
    encoder.encode(editor, out);
    encoder.finish(out);
    return out;
}

// Rows that convert both ways: the file decodes to the editor bytes and they encode back.
std::vector<ConvertRow> reversibleRows()
{
    return {
        {"le_ascii", Unicode, bytes({0x41, 0, 0x0D, 0, 0x0A, 0}), "A\r\n"},
        {"le_nul", Unicode, bytes({0, 0}), std::string(1, '\0')},
        {"le_e_acute", Unicode, bytes({0xE9, 0}), bytes({0xC3, 0xA9})},
        {"le_7ff", Unicode, bytes({0xFF, 0x07}), bytes({0xDF, 0xBF})},
        {"le_800", Unicode, bytes({0x00, 0x08}), bytes({0xE0, 0xA0, 0x80})},
        {"le_euro", Unicode, bytes({0xAC, 0x20}), bytes({0xE2, 0x82, 0xAC})},
        {"le_ffff", Unicode, bytes({0xFF, 0xFF}), bytes({0xEF, 0xBF, 0xBF})},
        {"be_euro", UnicodeBigEndian, bytes({0x20, 0xAC}), bytes({0xE2, 0x82, 0xAC})},
        {"le_pair", Unicode, bytes({0x3D, 0xD8, 0x00, 0xDE}), bytes({0xF0, 0x9F, 0x98, 0x80})},
        {"be_pair", UnicodeBigEndian, bytes({0xD8, 0x3D, 0xDE, 0x00}),
         bytes({0xF0, 0x9F, 0x98, 0x80})},
        {"le_highest_pair", Unicode, bytes({0xFF, 0xDB, 0xFF, 0xDF}),
         bytes({0xF4, 0x8F, 0xBF, 0xBF})},
        {"le_lone_high_at_end", Unicode, bytes({0x3D, 0xD8}), bytes({0xED, 0xA0, 0xBD})},
        {"le_lone_high_then_ascii", Unicode, bytes({0x3D, 0xD8, 0x41, 0}),
         bytes({0xED, 0xA0, 0xBD, 0x41})},
        {"le_lone_low", Unicode, bytes({0x00, 0xDE, 0x41, 0}), bytes({0xED, 0xB8, 0x80, 0x41})},
        {"le_high_high_low", Unicode, bytes({0x3D, 0xD8, 0x3D, 0xD8, 0x00, 0xDE}),
         bytes({0xED, 0xA0, 0xBD, 0xF0, 0x9F, 0x98, 0x80})},
        {"le_low_then_high", Unicode, bytes({0x00, 0xDE, 0x3D, 0xD8}),
         bytes({0xED, 0xB8, 0x80, 0xED, 0xA0, 0xBD})},
        {"utf32le_ascii", Utf32LE, bytes({0x41, 0, 0, 0}), "A"},
        {"utf32be_emoji", Utf32BE, bytes({0, 0x01, 0xF6, 0x00}), bytes({0xF0, 0x9F, 0x98, 0x80})},
        {"utf32le_10ffff", Utf32LE, bytes({0xFF, 0xFF, 0x10, 0}), bytes({0xF4, 0x8F, 0xBF, 0xBF})},
        {"utf32le_surrogate_value", Utf32LE, bytes({0x00, 0xD8, 0, 0}), bytes({0xED, 0xA0, 0x80})},
        {"utf32le_surrogate_values_stay_apart", Utf32LE,
         bytes({0x3D, 0xD8, 0, 0, 0x00, 0xDE, 0, 0}), bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80})},
        {"utf32le_110000", Utf32LE, bytes({0, 0, 0x11, 0}), bytes({0xF4, 0x90, 0x80, 0x80})},
        {"utf32le_200000", Utf32LE, bytes({0, 0, 0x20, 0}), bytes({0xF8, 0x88, 0x80, 0x80, 0x80})},
        {"utf32le_7fffffff", Utf32LE, bytes({0xFF, 0xFF, 0xFF, 0x7F}),
         bytes({0xFD, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF})},
        {"utf32be_80000000", Utf32BE, bytes({0x80, 0, 0, 0}),
         bytes({0xFE, 0x82, 0x80, 0x80, 0x80, 0x80, 0x80})},
        {"utf32be_ffffffff", Utf32BE, bytes({0xFF, 0xFF, 0xFF, 0xFF}),
         bytes({0xFE, 0x83, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF})},
        {"ansi_any_bytes", Ansi, bytes({0x00, 0xE9, 0xFF, 0x80}), bytes({0x00, 0xE9, 0xFF, 0x80})},
        {"utf8_any_bytes", Utf8, bytes({0xC3, 0x28, 0xFF}), bytes({0xC3, 0x28, 0xFF})},
        {"scsu_raw", Scsu, bytes({0x0E, 0xFE, 0xFF, 0x41}), bytes({0x0E, 0xFE, 0xFF, 0x41})},
        {"utf7_raw", Utf7, "+/v8-A", "+/v8-A"},
    };
}

void PrintTo(const ConvertRow &row, std::ostream *os)
{
    *os << row.name;
}

class Reversible : public ::testing::TestWithParam<ConvertRow>
{
};

TEST_P(Reversible, DecodesAndEncodesBack)
{
    const ConvertRow &row = GetParam();
    EXPECT_EQ(hex(decodeAll(row.encoding, row.file)), hex(row.editor));
    EXPECT_EQ(hex(encodeAll(row.encoding, row.editor)), hex(row.file));
}

INSTANTIATE_TEST_SUITE_P(Rows, Reversible, ::testing::ValuesIn(reversibleRows()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Decoder, DropsAPartialUnitAtTheEnd)
{
    struct Row
    {
        DocEncoding encoding;
        std::string file;
        std::string editor;
        int dropped;
    };
    const std::vector<Row> rows = {
        {Unicode, bytes({0x41, 0, 0x42}), "A", 1},
        {UnicodeBigEndian, bytes({0, 0x41, 0}), "A", 1},
        {Unicode, bytes({0x3D, 0xD8, 0x42}), bytes({0xED, 0xA0, 0xBD}), 1},
        {Utf32LE, bytes({0x41, 0, 0, 0, 0x42, 0, 0}), "A", 3},
        {Utf32BE, bytes({0, 0, 0, 0x41, 0}), "A", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(hex(row.file));
        Decoder decoder(row.encoding);
        std::string out;
        decoder.decode(row.file, out);
        decoder.finish(out);
        EXPECT_EQ(hex(out), hex(row.editor));
        EXPECT_EQ(decoder.droppedBytes(), row.dropped);
    }
}

TEST(Decoder, SkipsTheMarkLengthOnlyForDecodedEncodings)
{
    const std::string utf8 = bytes({0xEF, 0xBB, 0xBF, 0x41});
    EXPECT_EQ(decodeAll(Utf8, utf8, 3), "A");
    EXPECT_EQ(decodeAll(Ansi, utf8, 3), utf8);
    EXPECT_EQ(decodeAll(Scsu, bytes({0x0E, 0xFE, 0xFF, 0x41}), 3), bytes({0x0E, 0xFE, 0xFF, 0x41}));
    EXPECT_EQ(decodeAll(Unicode, bytes({0xFF, 0xFE, 0x41, 0}), 2), "A");
    EXPECT_EQ(decodeAll(Utf32BE, bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 0x41}), 4), "A");

    // The mark may arrive split over several chunks.
    Decoder decoder(Unicode, 2);
    std::string out;
    decoder.decode(bytes({0xFF}), out);
    decoder.decode(bytes({0xFE, 0x41}), out);
    decoder.decode(bytes({0x00}), out);
    decoder.finish(out);
    EXPECT_EQ(out, "A");
}

// Editor bytes that are not what a decoder produces: each byte of a bad sequence becomes a unit
// of its own value, so nothing after it is swallowed.
TEST(Encoder, WritesBadSequencesByteByByte)
{
    const std::vector<ConvertRow> rows = {
        {"stray_continuation", Unicode, bytes({0x80, 0, 0xBF, 0}), bytes({0x80, 0xBF})},
        {"windows_1252_e_acute", Unicode, bytes({0xE9, 0, 0x41, 0, 0x42, 0}),
         bytes({0xE9, 0x41, 0x42})},
        {"cut_at_end", Unicode, bytes({0x41, 0, 0xE2, 0, 0x82, 0}), bytes({0x41, 0xE2, 0x82})},
        {"lead_at_end", UnicodeBigEndian, bytes({0, 0xF0}), bytes({0xF0})},
        {"overlong_two_byte", Unicode, bytes({0xC0, 0, 0xAF, 0}), bytes({0xC0, 0xAF})},
        {"overlong_three_byte", Unicode, bytes({0xE0, 0, 0x80, 0, 0xAF, 0}),
         bytes({0xE0, 0x80, 0xAF})},
        {"above_10ffff_in_utf16", Unicode, bytes({0xF4, 0, 0x90, 0, 0x80, 0, 0x80, 0}),
         bytes({0xF4, 0x90, 0x80, 0x80})},
        {"five_byte_form_in_utf16", Unicode, bytes({0xF8, 0, 0x88, 0, 0x80, 0, 0x80, 0, 0x80, 0}),
         bytes({0xF8, 0x88, 0x80, 0x80, 0x80})},
        {"ff", UnicodeBigEndian, bytes({0, 0xFF, 0, 0x41}), bytes({0xFF, 0x41})},
        {"overlong_five_byte_in_utf32", Utf32LE,
         bytes({0xF8, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0, 0, 0, 0x81, 0, 0, 0}),
         bytes({0xF8, 0x80, 0x80, 0x80, 0x81})},
        {"ff_in_utf32", Utf32BE, bytes({0, 0, 0, 0xFF}), bytes({0xFF})},
    };
    for (const ConvertRow &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(hex(encodeAll(row.encoding, row.editor)), hex(row.file));
    }
}

TEST(Encoder, CompletesASequenceSplitAcrossChunks)
{
    const std::string text =
        "a" + bytes({0xF0, 0x9F, 0x98, 0x80}) + "b" + bytes({0xE2, 0x82, 0xAC});
    for (DocEncoding encoding : {Unicode, UnicodeBigEndian, Utf32LE, Utf32BE}) {
        const std::string whole = encodeAll(encoding, text);
        for (std::size_t cut1 = 0; cut1 <= text.size(); ++cut1) {
            for (std::size_t cut2 = cut1; cut2 <= text.size(); ++cut2) {
                Encoder encoder(encoding);
                std::string out;
                encoder.encode(std::string_view(text).substr(0, cut1), out);
                encoder.encode(std::string_view(text).substr(cut1, cut2 - cut1), out);
                encoder.encode(std::string_view(text).substr(cut2), out);
                encoder.finish(out);
                ASSERT_EQ(hex(out), hex(whole))
                    << "encoding " << int(encoding) << " cuts " << cut1 << ',' << cut2;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Random files: any chunking decodes alike, and what is decoded encodes back to the file.

std::string randomBytes(std::mt19937 &rng, std::size_t size, DocEncoding encoding)
{
    std::string out(size, '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 9);
    const int unit = unitSize(encoding);
    for (std::size_t i = 0; i + std::size_t(unit) <= size; i += std::size_t(unit)) {
        // Bias towards the interesting ranges: ASCII, surrogates, anything.
        const int k = kind(rng);
        for (int b = 0; b < unit; ++b)
            out[i + std::size_t(b)] = char(byte(rng));
        const bool bigEndian = encoding == UnicodeBigEndian || encoding == Utf32BE;
        const std::size_t high = bigEndian ? i : i + std::size_t(unit) - 1;
        const std::size_t low = bigEndian ? i + std::size_t(unit) - 1 : i;
        if (unit == 2 && k < 4) {
            out[high] = char(0xD8 + byte(rng) % 8); // surrogates, paired or not
        } else if (k < 7) {
            for (int b = 0; b < unit; ++b)
                out[i + std::size_t(b)] = 0;
            out[low] = char(byte(rng) % 128);
        }
    }
    return out;
}

std::vector<std::size_t> randomCuts(std::mt19937 &rng, std::size_t size)
{
    std::vector<std::size_t> cuts{0};
    std::uniform_int_distribution<std::size_t> step(0, 9);
    while (cuts.back() < size)
        cuts.push_back(std::min(size, cuts.back() + step(rng)));
    return cuts;
}

TEST(Codec, RandomFilesRoundTripInAnyChunking)
{
    std::mt19937 rng(20240611);
    for (DocEncoding encoding :
         {Unicode, UnicodeBigEndian, Utf32LE, Utf32BE, Utf8, Ansi, Bocu1, UtfEbcdic}) {
        for (int round = 0; round < 200; ++round) {
            const std::string file = randomBytes(rng, 64, encoding);
            const std::string editor = decodeAll(encoding, file);

            Decoder decoder(encoding);
            std::string chunked;
            const std::vector<std::size_t> fileCuts = randomCuts(rng, file.size());
            for (std::size_t c = 1; c < fileCuts.size(); ++c)
                decoder.decode(
                    std::string_view(file).substr(fileCuts[c - 1], fileCuts[c] - fileCuts[c - 1]),
                    chunked);
            decoder.finish(chunked);
            ASSERT_EQ(hex(chunked), hex(editor)) << "encoding " << int(encoding);

            Encoder encoder(encoding);
            std::string back;
            const std::vector<std::size_t> editorCuts = randomCuts(rng, editor.size());
            for (std::size_t c = 1; c < editorCuts.size(); ++c)
                encoder.encode(std::string_view(editor).substr(editorCuts[c - 1],
                                                               editorCuts[c] - editorCuts[c - 1]),
                               back);
            encoder.finish(back);
            ASSERT_EQ(hex(back), hex(file)) << "encoding " << int(encoding);
        }
    }
}

} // namespace
} // namespace pw::enc
