// Cutting over-long lines: where the breaks go, what passes untouched, and any chunking.
#include "editor/encoding/linecutter.h"

#include <gtest/gtest.h>
#include <random>

namespace pw::enc {
namespace {

// The whole text through a cutter in pieces of the given sizes (cycled), breaks shown as "|".
std::string cutInChunks(std::string_view text, std::size_t limit, std::vector<std::size_t> sizes,
                        LineCutter *keep = nullptr)
{
    LineCutter cutter(limit, "|");
    std::string out;
    std::size_t at = 0;
    for (std::size_t i = 0; at < text.size(); ++i) {
        const std::size_t n = std::min(sizes[i % sizes.size()], text.size() - at);
        out += cutter.cut(text.substr(at, n));
        at += n;
    }
    if (keep)
        *keep = cutter;
    return out;
}

TEST(LineCutter, BreaksGoWhereALinePassesTheLimit)
{
    const std::string accent = "\xc3\xa9"; // two bytes
    struct Row
    {
        const char *what;
        std::string text;
        std::size_t limit;
        std::string expected;
        std::uint64_t longest;
    };
    const Row rows[] = {
        {"lines at the limit stay whole", "12345678\nabcdefgh\n", 8, "12345678\nabcdefgh\n", 8},
        {"a long line in pieces", "aaaaaaaaaabbbbbbbbbbcc", 10, "aaaaaaaaaa|bbbbbbbbbb|cc", 22},
        {"each line counts from its own start", "aaaaaaaaa\nbbbbbbbbbbbb\n", 10,
         "aaaaaaaaa\nbbbbbbbbbb|bb\n", 12},
        {"a line end in CRLF is not part of the count", "aaaaaaaa\r\nbbbbbbbbbbb\r\n", 8,
         "aaaaaaaa\r\nbbbbbbbb|bbb\r\n", 11},
        {"a lone CR ends a line", "aaaaaaaa\rbbbbbbbbbbb\r", 8, "aaaaaaaa\rbbbbbbbb|bbb\r", 11},
        {"a character is never split", "aaaaaaa" + accent + "bbbbbbbbb", 8,
         "aaaaaaa" + accent + "|bbbbbbbb|b", 18},
        {"a character that ends the line needs no break", "aaaaaaa" + accent + "\n", 8,
         "aaaaaaa" + accent + "\n", 9},
    };
    for (const Row &row : rows) {
        LineCutter cutter(0, "");
        EXPECT_EQ(cutInChunks(row.text, row.limit, {row.text.size()}, &cutter), row.expected)
            << row.what;
        EXPECT_EQ(cutter.longestLine(), row.longest) << row.what;
    }
}

TEST(LineCutter, UncutChunksPassThroughUncopied)
{
    LineCutter cutter(16, "\n");
    const std::string text = "short\nlines\r\nonly\n";
    EXPECT_EQ(cutter.cut(text).data(), text.data());
    EXPECT_TRUE(cutter.cutOffsets().empty());
}

TEST(LineCutter, AnyChunkingGivesTheSameTextAndTakingBreaksOutGivesTheInput)
{
    std::mt19937 random(7);
    const std::string pieces[] = {"a", "\n", "\r", "\r\n", "\xc3\xa9", "\xe2\x82\xac",
                                  "\xf0\x9f\x98\x80", "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"};
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int count = int(random() % 200);
        for (int i = 0; i < count; ++i)
            text += pieces[random() % std::size(pieces)];
        const std::size_t limit = 8 + random() % 40;
        const std::string whole = cutInChunks(text, limit, {text.size() + 1});
        for (const std::vector<std::size_t> &sizes :
             {std::vector<std::size_t>{1}, {2, 3}, {7}, {limit, 1}, {limit + 1}}) {
            LineCutter cutter(limit, "|");
            ASSERT_EQ(cutInChunks(text, limit, sizes, &cutter), whole) << round;
            // The recorded offsets name every break, in the text before cutting.
            std::string rebuilt;
            std::size_t from = 0;
            for (const std::uint64_t offset : cutter.cutOffsets()) {
                rebuilt.append(text, from, std::size_t(offset) - from);
                rebuilt += '|';
                from = std::size_t(offset);
            }
            rebuilt.append(text, from);
            ASSERT_EQ(rebuilt, whole) << round;
        }
        std::string restored = whole;
        std::erase(restored, '|');
        ASSERT_EQ(restored, text) << round;
        // No piece passes the limit by more than the rest of the character it would split.
        std::size_t column = 0;
        for (char c : whole) {
            column = (c == '\n' || c == '\r' || c == '|') ? 0 : column + 1;
            ASSERT_LE(column, limit + 3) << round;
        }
    }
}

} // namespace
} // namespace pw::enc
