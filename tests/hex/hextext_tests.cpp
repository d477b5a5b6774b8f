// The find box's hex pattern rule, its strict form and the go-to offset text.
#include "hex/engine/hextext.h"
#include "hextestutil.h"

#include <gtest/gtest.h>

using namespace pw::hex;
using pw::hex::test::Bytes;

TEST(HexPattern, ReadsPairsLeniently)
{
    const std::pair<const char *, Bytes> rows[] = {
        {"4D 5a90", {0x4D, 0x5A, 0x90}},
        {"4d5A90", {0x4D, 0x5A, 0x90}},
        {"  ff  00 ", {0xFF, 0x00}},
        {"7", {}},              // one digit: no bytes
        {"123", {0x12}},        // a last single character is dropped
        {"1 2 3", {0x12}},      // spaces do not separate pairs
        {"0x41", {0x00, 0x41}}, // "0x" is a pair of its own, worth 0
        {"G1", {0x00}},         // a pair starting with a non-digit gives 0
        {"1G", {0x01}},         // reading stops at the non-digit
        {"+1-1", {0x00, 0x00}}, // no signs
        {"\t1", {0x00}},        // only spaces are skipped
        {"", {}},
    };
    for (const auto &[text, expected] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parseHexPattern(text), expected);
    }
}

TEST(HexPattern, StrictFormNamesTheProblem)
{
    struct Row
    {
        const char *text;
        bool ok;
        Bytes bytes;
        const char *message;
    };
    const Row rows[] = {
        {"de AD be EF", true, {0xDE, 0xAD, 0xBE, 0xEF}, ""},
        {"0a1", false, {}, "position 3 has no partner"},
        {"0a 1g", false, {}, "\"g\" at position 5 is not a hex digit"},
        {"0x41", false, {}, "\"x\" at position 2"},
        {"   ", false, {}, "No hex digits"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        Bytes bytes;
        std::string error;
        EXPECT_EQ(parseHexBytes(row.text, bytes, &error), row.ok);
        if (row.ok) {
            EXPECT_EQ(bytes, row.bytes);
        } else {
            EXPECT_NE(error.find(row.message), std::string::npos) << error;
        }
    }
}

TEST(GotoOffsetText, ValidatesInTheChosenBase)
{
    struct Row
    {
        const char *text;
        bool hex;
        OffsetTextStatus status;
        Offset value;
    };
    const Row rows[] = {
        {"FF", true, OffsetTextStatus::Valid, 255},
        {"0xff", true, OffsetTextStatus::Valid, 255},
        {"0X1000", true, OffsetTextStatus::Valid, 4096},
        {"100000000", true, OffsetTextStatus::Valid, Offset(1) << 32}, // beyond 32 bits
        {"FG", true, OffsetTextStatus::InvalidHexDigit, 0},
        {"-1", true, OffsetTextStatus::InvalidHexDigit, 0},
        {"255", false, OffsetTextStatus::Valid, 255},
        {"4294967296", false, OffsetTextStatus::Valid, Offset(1) << 32},
        {"FF", false, OffsetTextStatus::InvalidDecimalDigit, 0},
        {"0x10", false, OffsetTextStatus::InvalidDecimalDigit, 0},
        {"1 2", false, OffsetTextStatus::InvalidDecimalDigit, 0},
        {"", true, OffsetTextStatus::Empty, 0},
        {"99999999999999999999999", false, OffsetTextStatus::Valid, INT64_MAX}, // saturates
        {"FFFFFFFFFFFFFFFFFFFF", true, OffsetTextStatus::Valid, INT64_MAX},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        const OffsetText parsed = parseOffsetText(row.text, row.hex);
        EXPECT_EQ(parsed.status, row.status);
        if (row.status == OffsetTextStatus::Valid) {
            EXPECT_EQ(parsed.value, row.value);
        }
    }
    EXPECT_EQ(offsetTextMessage(OffsetTextStatus::InvalidHexDigit), "Invalid hex digit");
    EXPECT_EQ(offsetTextMessage(OffsetTextStatus::InvalidDecimalDigit),
              "Invalid decimal digit. Numeric only.");
    EXPECT_EQ(offsetTextMessage(OffsetTextStatus::Empty), "");
}
