// Title decoration, file filters, the Save As name and the navigation history.
#include "editor/doccore/doccore.h"
#include "editor/doccore/navigationhistory.h"

#include <gtest/gtest.h>
#include <ostream>

using namespace pw::doc;

// Lets GoogleTest show QStrings as text, as compared values and in failure messages.
inline std::ostream &operator<<(std::ostream &out, const QString &text)
{
    return out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << text;
}

TEST(TitleDecoration, FollowsModifiedAndReadOnly)
{
    struct Row
    {
        const char *title;
        bool modified;
        bool readOnly;
        const char *expected;
    };
    const Row rows[] = {
        {"a.txt", false, false, "a.txt"},
        {"a.txt", true, false, "a.txt*"},
        {"a.txt", false, true, "a.txt [Read Only]"},
        {"a.txt", true, true, "a.txt [Read Only]"}, // read-only never shows "*"
        {"a.txt*", false, false, "a.txt"},
        {"a.txt*", true, false, "a.txt*"}, // no double star
        {"a.txt [Read Only]", false, false, "a.txt"},
        {"a.txt [Read Only]", true, false, "a.txt*"},
        {"a.txt [Read Only]", false, true, "a.txt [Read Only]"},
        {"", true, false, "*"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.title);
        EXPECT_EQ(decorateTitle(QString::fromUtf8(row.title), row.modified, row.readOnly),
                  QString::fromUtf8(row.expected));
    }
    EXPECT_EQ(plainTitle(QStringLiteral("*a*b.txt*")), QStringLiteral("ab.txt"));
}

// The name Save As writes: a name typed without any "." takes the chosen filter's first extension;
// a filter for all files leaves the name as typed.
TEST(SaveAsName, TakesTheFiltersExtensionOnlyWhenTheNameHasNoDot)
{
    struct Row
    {
        const char *pattern;
        const char *typed;
        const char *saved;
    };
    const Row rows[] = {
        {"*.cpp;*.h", "/home/u/notes", "/home/u/notes.cpp"},
        {"*.tar.gz", "/home/u/notes", "/home/u/notes.tar.gz"},
        {"*.txt", "/home/u/notes.md", "/home/u/notes.md"},
        {"*.txt", "/home/my.dir/notes", "/home/my.dir/notes.txt"}, // a folder's dot is no extension
        {"*.*", "/home/u/notes", "/home/u/notes"},
        {"*", "/home/u/notes", "/home/u/notes"},
        {"", "/home/u/notes", "/home/u/notes"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pattern);
        EXPECT_EQ(applyDefaultExtension(QString::fromUtf8(row.typed),
                                        defaultExtension(QString::fromUtf8(row.pattern))),
                  QString::fromUtf8(row.saved));
    }
}

TEST(FileFilters, ParsedAndConvertedForTheDialog)
{
    const auto filters = parseFilterString(
        QStringLiteral("Text files (*.txt;*.log)|*.txt;*.log|C|*.c|All Files (*.*)|*.*||"));
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].label, QStringLiteral("Text files (*.txt;*.log)"));
    EXPECT_EQ(filters[0].pattern, QStringLiteral("*.txt;*.log"));
    EXPECT_EQ(toQtFilter(filters[0]), QStringLiteral("Text files (*.txt *.log)"));
    EXPECT_EQ(toQtFilter(filters[1]), QStringLiteral("C (*.c)"));
    EXPECT_EQ(toQtFilter(filters[2]), QStringLiteral("All Files (*)")) << "dotless names too";
    EXPECT_EQ(storedDefaultExtension(QStringLiteral("Text files (*.txt)")), QStringLiteral("txt"));
}

TEST(NavigationHistory, KeepsTheLastTwentyDistinctPlaces)
{
    pw::NavigationHistory history;
    int viewA = 0;
    for (long pos = 0; pos < 21; ++pos)
        history.add(&viewA, pos * 10);
    ASSERT_EQ(history.entries().size(), 20u);
    EXPECT_EQ(history.entries().front().position, 10) << "the oldest place went";
    EXPECT_EQ(history.current(), 19);
    history.add(&viewA, 200); // already held
    EXPECT_EQ(history.entries().size(), 20u);
    EXPECT_FALSE(history.canGoForward());
}

TEST(NavigationHistory, BackAndForwardAcrossViews)
{
    pw::NavigationHistory history;
    int a = 0, b = 0;
    EXPECT_FALSE(history.back());
    history.add(&a, 1);
    EXPECT_FALSE(history.canGoBack()) << "one entry goes nowhere";
    history.add(&b, 2);
    history.add(&a, 3);
    auto step = history.back();
    ASSERT_TRUE(step);
    EXPECT_EQ(step->view, &b);
    EXPECT_EQ(step->position, 2);
    step = history.back();
    ASSERT_TRUE(step);
    EXPECT_EQ(step->position, 1);
    EXPECT_FALSE(history.back());
    step = history.forward();
    ASSERT_TRUE(step);
    EXPECT_EQ(step->position, 2);

    history.remove(&b);
    ASSERT_EQ(history.entries().size(), 2u);
    EXPECT_EQ(history.current(), 1);
    EXPECT_TRUE(history.canGoBack());
    EXPECT_FALSE(history.canGoForward());
    history.remove(&a);
    EXPECT_EQ(history.current(), -1);
    EXPECT_FALSE(history.canGoBack());
}
