// Byte rules and conversion: choices, the chunk cut, line endings, Windows-1252, Unicode, the
// whole-file check, strict encoding and reinterpretation.
#include "editor/encoding/codec.h"
#include "editor/encoding/docencoding.h"
#include "editor/encoding/windows1252.h"
#include "tests/encoding/testutil.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <random>
#include <set>

namespace pw::enc {
namespace {

using test::bytes;
using test::hex;

std::string decodeAll(DocEncoding encoding, std::string_view file, int markLength = 0)
{
    Decoder decoder(encoding, markLength);
    std::string out;
    decoder.decode(file, out);
    decoder.finish(out);
    return out;
}

struct Encoded
{
    std::string file;
    std::optional<Unencodable> unencodable;
};

Encoded encodeAll(DocEncoding encoding, std::string_view editor)
{
    Encoder encoder(encoding);
    Encoded out;
    if (encoder.encode(editor, out.file))
        encoder.finish(out.file);
    out.unencodable = encoder.unencodable();
    return out;
}

// ---------------------------------------------------------------------------------------------
// Choices offered to the user

TEST(EncodingChoices, OfferBothUtf8FormsAndAlwaysTheDocumentsOwn)
{
    const std::vector<EncodingChoice> standard = encodingChoices(Utf8, 0);
    std::set<std::string> names;
    for (std::size_t i = 0; i < standard.size(); ++i) {
        const EncodingChoice &c = standard[i];
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(names.insert(c.name).second) << "names must tell the choices apart";
        EXPECT_EQ(choiceIndex(c.encoding, c.markLength), i);
        EXPECT_EQ(encodingChoices(c.encoding, c.markLength), standard);
        EXPECT_EQ(std::string(encodingName(c.encoding, c.markLength)), c.name);
    }
    const std::size_t plain = choiceIndex(Utf8, 0);
    const std::size_t marked = choiceIndex(Utf8, 3);
    EXPECT_NE(plain, marked);
    EXPECT_EQ(standard[marked].markLength, 3);

    // Encodings outside the standard list are offered as they are, never as another encoding.
    struct Own
    {
        DocEncoding encoding;
        int markLength;
        DocEncoding listed;
        int listedMark;
    };
    for (const Own &own :
         {Own{Unicode, 0, Unicode, 0}, Own{UnicodeBigEndian, 0, UnicodeBigEndian, 0},
          Own{Utf32LE, 4, Utf32LE, 4}, Own{Scsu, 0, Scsu, 0}, Own{Auto, 0, Ansi, 0},
          Own{Utf8, 2, Utf8, 0}}) {
        SCOPED_TRACE(int(own.encoding));
        const std::vector<EncodingChoice> list = encodingChoices(own.encoding, own.markLength);
        const EncodingChoice &chosen = list.at(choiceIndex(own.encoding, own.markLength));
        EXPECT_EQ(chosen.encoding, own.listed);
        EXPECT_EQ(chosen.markLength, own.listedMark);
        EXPECT_TRUE(names.count(chosen.name) == 0 || list.size() == standard.size());
    }
}

// ---------------------------------------------------------------------------------------------
// The chunk cut

TEST(CutChunk, KeepsUpToTheLastBreakingUnit)
{
    struct Row
    {
        const char *name;
        DocEncoding encoding;
        std::string chunk;
        std::size_t keep;
    };
    const std::vector<Row> rows = {
        {"last_of_several", Ansi, "a b c", 3},
        {"crlf_cut_before_lf", Ansi, "abc\r\ndef", 4},
        {"cr", Ansi, "abc\rdef", 3},
        {"break_is_last_byte", Ansi, "abcdef\n", 6},
        {"no_break_kept_whole", Ansi, "abcdef", 6},
        {"break_only_first_kept_whole", Ansi, " abcdef", 7},
        {"break_at_second_byte", Ansi, "a bcdef", 1},
        {"tab_is_not_a_break", Ansi, "abc\tdef", 7},
        {"empty", Ansi, "", 0},
        {"undetermined_cuts_bytes", Auto, bytes({0xC3, 0xA9, 0x20, 0xC3, 0xA9}), 2},
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
    for (const Row &row : rows) {
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
// Windows-1252

// The system's converter, as an independent reference for the 251 assigned bytes.
std::optional<std::string> systemCp1252ToUtf8(unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-8", "CP1252");
    if (cd == iconv_t(-1))
        return std::nullopt;
    char in = char(byte);
    char out[8];
    char *inPtr = &in;
    char *outPtr = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == std::size_t(-1))
        return std::nullopt;
    return std::string(out, sizeof out - outLeft);
}

TEST(Windows1252, DecodesEveryByteAsTheSystemConverterDoes)
{
    const std::set<int> unassigned = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
    int compared = 0;
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string decoded = decodeAll(Ansi, std::string(1, char(b)));
        if (unassigned.count(b)) {
            // The C1 control of the same value: C2 followed by the byte.
            EXPECT_EQ(hex(decoded), hex(bytes({0xC2, b})));
            continue;
        }
        const std::optional<std::string> reference = systemCp1252ToUtf8(std::uint8_t(b));
        if (!reference)
            continue;
        EXPECT_EQ(hex(decoded), hex(*reference));
        ++compared;
    }
    if (compared == 0)
        GTEST_SKIP() << "the system has no CP1252 converter to compare with";
    EXPECT_EQ(compared, 251);
}

TEST(Windows1252, EveryByteValueRoundTripsInAnyChunking)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(char(b));
    all += all; // every byte after every kind of character too
    std::mt19937 rng(1252);
    std::shuffle(all.begin() + 256, all.end(), rng);
    const std::string text = decodeAll(Ansi, all);
    for (std::size_t piece : {std::size_t(1), std::size_t(2), std::size_t(7), text.size()}) {
        SCOPED_TRACE(piece);
        Encoder encoder(Ansi);
        std::string back;
        for (std::size_t at = 0; at < text.size(); at += piece)
            ASSERT_TRUE(encoder.encode(std::string_view(text).substr(at, piece), back));
        ASSERT_TRUE(encoder.finish(back));
        EXPECT_EQ(hex(back), hex(all));
    }
}

// ---------------------------------------------------------------------------------------------
// Strict encoding: a character the encoding cannot hold stops the save, with its place.

TEST(Encoder, RefusesWhatTheEncodingCannotHold)
{
    struct Row
    {
        const char *name;
        DocEncoding encoding;
        std::string text;
        std::string before; // file bytes written for the text before the character
        Unencodable expected;
    };
    const std::vector<Row> rows = {
        {"arrow_in_ansi", Ansi, "ab\xE2\x86\x92z", "ab", {2, 3, U'\u2192'}},
        {"u0080_in_ansi", Ansi, "\xC2\x80", "", {0, 2, U'\u0080'}},
        {"a_macron_in_ansi", Ansi, "x\xC4\x80", "x", {1, 2, U'\u0100'}},
        {"emoji_in_ansi", Ansi, "\xC3\xA9\xF0\x9F\x98\x80", "\xE9", {2, 4, U'\U0001F600'}},
        {"raw_code_is_ansi", Scsu, "\xE2\x86\x92", "", {0, 3, U'\u2192'}},
        {"lone_surrogate_form_in_ansi", Ansi, "\xED\xA0\x80", "", {0, 3, char32_t(0xD800)}},
        {"invalid_byte_in_ansi", Ansi, "a\xFF", "a", {1, 1, std::nullopt}},
        {"cut_sequence_at_end_in_ansi", Ansi, "a\xE2\x82", "a", {1, 1, std::nullopt}},
        {"stray_continuation_in_utf16", Unicode, "A\x80", bytes({0x41, 0}), {1, 1, std::nullopt}},
        {"windows_1252_byte_in_utf16", UnicodeBigEndian, "\xE9t", "", {0, 1, std::nullopt}},
        {"overlong_in_utf16", Unicode, "\xC0\xAF", "", {0, 1, std::nullopt}},
        {"above_10ffff_in_utf16", Unicode, "\xF4\x90\x80\x80", "", {0, 1, std::nullopt}},
        {"ff_in_utf32", Utf32BE, "A\xFF", bytes({0, 0, 0, 0x41}), {1, 1, std::nullopt}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Encoded out = encodeAll(row.encoding, row.text);
        ASSERT_TRUE(out.unencodable.has_value());
        EXPECT_EQ(*out.unencodable, row.expected);
        EXPECT_EQ(hex(out.file), hex(row.before));
        EXPECT_EQ(firstUnencodable(row.text, row.encoding), row.expected);
        EXPECT_FALSE(canEncode(row.text, row.encoding));
    }
    // UTF-8 holds everything, even bytes that are not UTF-8: they are the file's own.
    EXPECT_TRUE(canEncode("\xFF\xE2\x86\x92\xC0", Utf8));
}

TEST(Encoder, CountsTheOffsetAcrossChunksAndStaysStopped)
{
    // The arrow is split between the second and third chunk.
    const std::string text = std::string(70000, 'a') + "\xE2\x86\x92" + "b";
    for (DocEncoding encoding : {Ansi, Unicode}) {
        SCOPED_TRACE(int(encoding));
        const bool ansi = encoding == Ansi;
        Encoder encoder(encoding);
        std::string out;
        EXPECT_TRUE(encoder.encode(std::string_view(text).substr(0, 40000), out));
        EXPECT_TRUE(encoder.encode(std::string_view(text).substr(40000, 30001), out));
        EXPECT_EQ(encoder.encode(std::string_view(text).substr(70001), out), !ansi);
        EXPECT_EQ(encoder.finish(out), !ansi);
        EXPECT_EQ(encoder.unencodable().has_value(), ansi);
        if (ansi) {
            EXPECT_EQ(*encoder.unencodable(), (Unencodable{70000, 3, U'\u2192'}));
            EXPECT_EQ(out, std::string(70000, 'a'));
            EXPECT_FALSE(encoder.encode("more", out)); // nothing after the first refusal
            EXPECT_EQ(out.size(), 70000u);
        }
    }
    // The cheap check slices the text too; the arrow straddles its 64 KiB slice boundary.
    const std::string straddling = std::string(65535, 'a') + "\xE2\x86\x92";
    EXPECT_EQ(firstUnencodable(straddling, Ansi), (Unencodable{65535, 3, U'\u2192'}));
}

// ---------------------------------------------------------------------------------------------
// Reversible conversion tables

struct ConvertRow
{
    const char *name;
    DocEncoding encoding;
    std::string file;   // without a mark
    std::string editor; // what the file decodes to
};

void PrintTo(const ConvertRow &row, std::ostream *os)
{
    *os << row.name;
}

std::vector<ConvertRow> reversibleRows()
{
    return {
        {"le_ascii", Unicode, bytes({0x41, 0, 0x0D, 0, 0x0A, 0}), "A\r\n"},
        {"le_nul", Unicode, bytes({0, 0}), std::string(1, '\0')},
        {"le_e_acute", Unicode, bytes({0xE9, 0}), bytes({0xC3, 0xA9})},
        {"le_7ff", Unicode, bytes({0xFF, 0x07}), bytes({0xDF, 0xBF})},
        {"le_800", Unicode, bytes({0x00, 0x08}), bytes({0xE0, 0xA0, 0x80})},
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
        {"utf32le_surrogate_values_stay_apart", Utf32LE,
         bytes({0x3D, 0xD8, 0, 0, 0x00, 0xDE, 0, 0}), bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80})},
        {"utf32le_110000", Utf32LE, bytes({0, 0, 0x11, 0}), bytes({0xF4, 0x90, 0x80, 0x80})},
        {"utf32le_200000", Utf32LE, bytes({0, 0, 0x20, 0}), bytes({0xF8, 0x88, 0x80, 0x80, 0x80})},
        {"utf32le_7fffffff", Utf32LE, bytes({0xFF, 0xFF, 0xFF, 0x7F}),
         bytes({0xFD, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF})},
        {"utf32be_ffffffff", Utf32BE, bytes({0xFF, 0xFF, 0xFF, 0xFF}),
         bytes({0xFE, 0x83, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF})},
        {"ansi_latin_and_euro", Ansi, bytes({0x63, 0xE9, 0x80}),
         bytes({0x63, 0xC3, 0xA9, 0xE2, 0x82, 0xAC})},
        {"ansi_zero_and_c1", Ansi, bytes({0x00, 0x81, 0x9D}),
         bytes({0x00, 0xC2, 0x81, 0xC2, 0x9D})},
        {"utf8_any_bytes", Utf8, bytes({0xC3, 0x28, 0xFF}), bytes({0xC3, 0x28, 0xFF})},
        {"scsu_mark_read_as_windows_1252", Scsu, bytes({0x0E, 0xFE, 0xFF, 0x41}),
         bytes({0x0E, 0xC3, 0xBE, 0xC3, 0xBF, 0x41})},
    };
}

class Reversible : public ::testing::TestWithParam<ConvertRow>
{
};

TEST_P(Reversible, DecodesAndEncodesBack)
{
    const ConvertRow &row = GetParam();
    EXPECT_EQ(hex(decodeAll(row.encoding, row.file)), hex(row.editor));
    const Encoded back = encodeAll(row.encoding, row.editor);
    EXPECT_FALSE(back.unencodable);
    EXPECT_EQ(hex(back.file), hex(row.file));
}

INSTANTIATE_TEST_SUITE_P(Rows, Reversible, ::testing::ValuesIn(reversibleRows()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Decoder, KeepsAPartialUnitAtTheEndOutOfTheText)
{
    struct Row
    {
        DocEncoding encoding;
        std::string file;
        std::string editor;
        std::string trailing;
    };
    const std::vector<Row> rows = {
        {Unicode, bytes({0x41, 0, 0x42}), "A", "B"},
        {UnicodeBigEndian, bytes({0, 0x41, 0}), "A", std::string(1, '\0')},
        {Unicode, bytes({0x3D, 0xD8, 0x42}), bytes({0xED, 0xA0, 0xBD}), "B"},
        {Utf32LE, bytes({0x41, 0, 0, 0, 0x42, 0, 0}), "A", bytes({0x42, 0, 0})},
        {Utf32BE, bytes({0, 0, 0, 0x41, 0}), "A", std::string(1, '\0')},
        {Unicode, bytes({0x41, 0}), "A", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(hex(row.file));
        Decoder decoder(row.encoding);
        std::string out;
        decoder.decode(row.file, out);
        decoder.finish(out);
        EXPECT_EQ(hex(out), hex(row.editor));
        EXPECT_EQ(hex(decoder.trailingBytes()), hex(row.trailing));
        // The text and the kept bytes give the file back.
        EXPECT_EQ(hex(encodeAll(row.encoding, out).file + decoder.trailingBytes()), hex(row.file));
    }
}

// ---------------------------------------------------------------------------------------------
// The whole-file check (Decoder(Auto)), fed chunk by chunk as the reader does.

TEST(WholeFileCheck, DecidesBetweenUtf8AndWindows1252)
{
    struct Row
    {
        const char *name;
        std::vector<std::string> chunks;
        bool restart;
        DocEncoding verdict; // when there is no restart
        std::string text;    // when there is no restart
    };
    const std::string e = bytes({0xC3, 0xA9}); // é in UTF-8, "Ã©" in Windows-1252
    const std::string eAsAnsi = bytes({0xC3, 0x83, 0xC2, 0xA9});
    const std::vector<Row> rows = {
        {"empty", {}, false, Ansi, ""},
        {"ascii_only", {"abc", "def"}, false, Ansi, "abcdef"},
        {"multibyte_late", {"abc", "d" + e}, false, Utf8, "abcd" + e},
        {"sequence_split_between_chunks", {"a\xC3", "\xA9\x62"}, false, Utf8, "a" + e + "b"},
        {"four_bytes_in_three_chunks", {"\xF0\x9F", "\x98", "\x80!"}, false, Utf8,
         "\xF0\x9F\x98\x80!"},
        {"invalid_before_any_multibyte", {"abc", "d\xE9\x66"}, false, Ansi, "abcd" + e + "f"},
        {"invalid_after_multibyte_in_the_same_chunk", {"ab", e + " \xE9"}, false, Ansi,
         "ab" + eAsAnsi + " " + e},
        {"invalid_after_multibyte_in_the_same_middle_chunk", {"ab", e + " \xE9", "z"}, false,
         Ansi, "ab" + eAsAnsi + " " + e + "z"},
        {"invalid_after_multibyte_handed_out", {e, "\xE9"}, true, Ansi, ""},
        {"split_sequence_refuted_before_any_multibyte", {"a\xC3", "("}, false, Ansi, "a\xC3\x83("},
        {"sequence_cut_by_the_end_after_multibyte", {e, "\xE2\x82"}, true, Ansi, ""},
        {"sequence_cut_by_the_end_in_ascii", {"ab\xE2\x82"}, false, Ansi, "ab\xC3\xA2\xE2\x80\x9A"},
        {"surrogate_form_is_not_utf8", {"x", "\xED\xA0\x80"}, false, Ansi,
         "x\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"overlong_form_is_not_utf8", {"x\xC0\xAF"}, false, Ansi, "x\xC3\x80\xC2\xAF"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Decoder decoder(Auto);
        std::string out;
        bool ok = true;
        for (std::size_t i = 0; i < row.chunks.size(); ++i) {
            // As the reader says it: the end, or an ASCII byte next, completes every sequence.
            const bool complete = i + 1 == row.chunks.size() || row.chunks[i + 1].empty() ||
                                  std::uint8_t(row.chunks[i + 1][0]) < 0x80;
            ok = ok && decoder.decode(row.chunks[i], out, complete);
        }
        ok = ok && decoder.finish(out);
        EXPECT_EQ(!ok, row.restart);
        EXPECT_EQ(decoder.needsRestart(), row.restart);
        if (row.restart)
            continue;
        EXPECT_EQ(decoder.encoding(), row.verdict);
        EXPECT_EQ(hex(out), hex(row.text));
    }

    // Not told that a chunk was the last, the check hands out its multi-byte characters while a
    // cut sequence waits for more; the end then asks for a restart.
    Decoder decoder(Auto);
    std::string out;
    EXPECT_TRUE(decoder.decode(e + " \xE9", out));
    EXPECT_FALSE(decoder.finish(out));
    EXPECT_TRUE(decoder.needsRestart());
}

// ---------------------------------------------------------------------------------------------
// Reinterpretation by the encoding commands

TEST(Reinterpret, KeepsTheBytesTheOldRuleWouldWrite)
{
    const std::string cafe = "caf" + bytes({0xC3, 0xA9});
    const std::string cafeReadAsAnsi = decodeAll(Ansi, cafe);
    struct Row
    {
        const char *name;
        std::string text;
        DocEncoding from;
        DocEncoding to;
        std::string expected;
        std::optional<Unencodable> unencodable;
    };
    const std::vector<Row> rows = {
        {"utf8_read_as_ansi_is_put_right", cafeReadAsAnsi, Ansi, Utf8, cafe, std::nullopt},
        {"unicode_switched_to_ansi", cafe, Unicode, Ansi, cafeReadAsAnsi, std::nullopt},
        {"between_unicode_forms_text_stays", cafe, Utf8, UnicodeBigEndian, cafe, std::nullopt},
        {"between_8bit_codes_text_stays", cafeReadAsAnsi, Ansi, Utf7, cafeReadAsAnsi, std::nullopt},
        {"typed_arrow_kept_as_typed", "a\xE2\x86\x92" + decodeAll(Ansi, "\xE9"), Ansi, Utf8,
         "a\xE2\x86\x92\xE9", Unencodable{1, 3, U'\u2192'}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Reinterpretation r = reinterpret(row.text, row.from, row.to);
        EXPECT_EQ(hex(r.text), hex(row.expected));
        EXPECT_EQ(r.unencodable, row.unencodable);
        EXPECT_EQ(reinterpretationChangesText(row.from, row.to), row.text != row.expected);
        // Saved in the new encoding, the file gets the bytes the old encoding's text stood for.
        if (!row.unencodable && isEightBit(row.from) != isEightBit(row.to)) {
            const std::string oldBytes =
                isEightBit(row.from) ? encodeAll(Ansi, row.text).file : row.text;
            EXPECT_EQ(hex(encodeAll(isEightBit(row.to) ? Ansi : Utf8, r.text).file), hex(oldBytes));
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
    for (DocEncoding encoding : {Unicode, UnicodeBigEndian, Utf32LE, Utf32BE, Utf8, Ansi, Bocu1}) {
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
                ASSERT_TRUE(
                    encoder.encode(std::string_view(editor).substr(
                                       editorCuts[c - 1], editorCuts[c] - editorCuts[c - 1]),
                                   back));
            ASSERT_TRUE(encoder.finish(back));
            ASSERT_EQ(hex(back), hex(file)) << "encoding " << int(encoding);
        }
    }
}

} // namespace
} // namespace pw::enc
