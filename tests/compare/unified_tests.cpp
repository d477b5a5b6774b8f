// Unified output: the same text as GNU diff -u where the edit is unambiguous.
#include "difftestutil.h"
#include "gnudiff.h"

namespace pw::diff {
namespace {

using test::unifiedOf;

std::string numbered(int from, int to, std::string_view eol = "\n")
{
    std::string out;
    for (int i = from; i <= to; ++i)
        out += "line " + std::to_string(i) + std::string(eol);
    return out;
}

std::string replaced(std::string text, const std::string &what, const std::string &with)
{
    const std::size_t at = text.find(what);
    return at == std::string::npos ? text : text.replace(at, what.size(), with);
}

TEST(Unified, SameTextAsGnuDiff)
{
    if (!test::gnuDiffAvailable())
        GTEST_SKIP() << "GNU diff not installed";
    const struct
    {
        const char *name;
        std::string a;
        std::string b;
    } cases[] = {
        {"identical", numbered(1, 5), numbered(1, 5)},
        {"first empty", "", numbered(1, 3)},
        {"second empty", numbered(1, 3), ""},
        {"one line each", "a\n", "b\n"},
        {"newline added at the end", "a\nb", "a\nb\n"},
        {"newline removed at the end", "a\nb\n", "a\nc"},
        {"both without newline, change far away", replaced(numbered(1, 12), "\n", "") + "end",
         replaced(numbered(1, 12), "line 1\n", "first\n") + "end"},
        {"both without newline, last line changed", numbered(1, 5) + "x", numbered(1, 5) + "y"},
        {"change near the start", numbered(1, 20), replaced(numbered(1, 20), "line 2\n", "two\n")},
        {"change in the middle", numbered(1, 20), replaced(numbered(1, 20), "line 10\n", "ten\n")},
        {"six equal lines join hunks", numbered(1, 30),
         replaced(replaced(numbered(1, 30), "line 10\n", "ten\n"), "line 17\n", "seventeen\n")},
        {"seven equal lines split hunks", numbered(1, 30),
         replaced(replaced(numbered(1, 30), "line 10\n", "ten\n"), "line 18\n", "eighteen\n")},
        {"insertion only", numbered(1, 10),
         replaced(numbered(1, 10), "line 5\n", "line 5\nnew\nnewer\n")},
        {"deletion at the end", numbered(1, 10), numbered(1, 8)},
        {"CRLF against LF", numbered(1, 4, "\r\n"), numbered(1, 4)},
        {"lone carriage return is text", "a\rb\nc\n", "a\rB\nc\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<std::string> gnu =
            test::runGnuDiff(c.a, c.b,
                             {QStringLiteral("-u"), QStringLiteral("--label"), QStringLiteral("A"),
                              QStringLiteral("--label"), QStringLiteral("B")});
        ASSERT_TRUE(gnu.has_value());
        EXPECT_EQ(unifiedOf(c.a, c.b), *gnu);
    }
}

TEST(Unified, IgnoringLineEndingsHidesThem)
{
    DiffOptions options;
    options.ignoreLineEndings = true;
    EXPECT_EQ(unifiedOf(numbered(1, 4, "\r\n"), numbered(1, 4), options), "");
    EXPECT_EQ(unifiedOf("a\r\nb\r\nc\r\n", "a\nB\nc\n", options),
              "--- A\n+++ B\n@@ -1,3 +1,3 @@\n a\r\n-b\r\n+B\n c\r\n");
}

TEST(Unified, AnyBreakSplitsAtLoneCarriageReturns)
{
    DiffOptions options;
    options.lineSplit = LineSplit::AnyBreak;
    options.ignoreLineEndings = true;
    EXPECT_EQ(unifiedOf("a\rb\rc\r", "a\nb\nc\n", options), "");
    EXPECT_EQ(unifiedOf("a\rb\r", "a\rc\r", options),
              "--- A\n+++ B\n@@ -1,2 +1,2 @@\n a\r\n-b\r\n+c\r\n");
}

TEST(Unified, ZeroContextShowsOnlyChanges)
{
    const DiffText a(numbered(1, 10));
    const DiffText b(replaced(numbered(1, 10), "line 5\n", "five\n"));
    const DiffResult r = diffTexts(a, b).value();
    EXPECT_EQ(unifiedDiff(a, b, r, UnifiedOptions{"x", "y", 0}),
              "--- x\n+++ y\n@@ -5 +5 @@\n-line 5\n+five\n");
}

} // namespace
} // namespace pw::diff
