// The small rules: "^n", the seed text, history lists, completion and the Go To Line number.
#include "search/engine/searchrules.h"

#include <gtest/gtest.h>

using namespace pw::search;

TEST(SearchRules, CaretNStandsForTheDocumentsLineEnd)
{
    struct Row
    {
        QByteArray text;
        int eolMode;
        QByteArray expected;
    };
    const Row rows[] = {
        {"a^nb", 2, "a\nb"}, {"a^nb", 1, "a\rb"}, {"a^nb", 0, "a\r\nb"}, {"^n^n", 2, "\n\n"},
        {"a^Nb", 2, "a^Nb"}, {"a^b", 2, "a^b"},   {"a^nb", 7, "a\r\nb"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text.constData());
        EXPECT_EQ(expandLineEnds(row.text, row.eolMode), row.expected);
    }
}

TEST(SearchRules, SeedText)
{
    const QByteArray hundred(100, 'x');
    struct Row
    {
        const char *name;
        QByteArray selection;
        SeedMode mode;
        bool utf8;
        QByteArray text;
        bool remember;
    };
    const Row rows[] = {
        {"a selection seeds and is remembered", "abc", SeedMode::Seed, false, "abc", true},
        {"no selection falls back to the remembered text", {}, SeedMode::Seed, false, "old", false},
        {"quick search remembers even an empty text", {}, SeedMode::Quick, false, {}, true},
        {"a long selection is cut to 99 bytes", hundred, SeedMode::Quick, false,
         QByteArray(99, 'x'), true},
        {"a UTF-8 cut never splits a character", QByteArray(98, 'x') + "\xC3\xA9", SeedMode::Seed,
         true, QByteArray(98, 'x'), true},
        {"bytes of Ansi text are cut where they fall", QByteArray(98, 'x') + "\xC3\xA9",
         SeedMode::Seed, false, QByteArray(98, 'x') + "\xC3", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Seed seed = seedText(row.selection, row.mode, "old", row.utf8);
        EXPECT_EQ(seed.text, row.text);
        EXPECT_EQ(seed.remember, row.remember);
    }
}

TEST(SearchRules, HistoryLists)
{
    const QStringList list{QStringLiteral("foo"), QStringLiteral("Bar")};
    EXPECT_EQ(findHistoryEntry(list, QStringLiteral("Foo"), Qt::CaseInsensitive), 0);
    EXPECT_EQ(findHistoryEntry(list, QStringLiteral("Foo"), Qt::CaseSensitive), -1);
    EXPECT_EQ(findHistoryEntry(list, QStringLiteral("bar"), Qt::CaseInsensitive), 1);

    QStringList many;
    for (int i = 0; i < 51; ++i)
        many.prepend(QString::number(i));
    const QStringList stored = historyToStore(many);
    ASSERT_EQ(stored.size(), 50);
    EXPECT_EQ(stored.first(), QStringLiteral("50"));
    EXPECT_FALSE(stored.contains(QStringLiteral("0"))); // the oldest entry goes
}

TEST(SearchRules, CompletionLooksFromTheSecondEntryAndWraps)
{
    const QStringList list{QStringLiteral("foo"), QStringLiteral("barbaz"),
                           QStringLiteral("foobar")};
    struct Row
    {
        const char *typed;
        int expected;
    };
    const Row rows[] = {
        {"Fo", 2}, {"bar", 1}, {"FOO", 2}, {"fooz", -1}, {"", -1}, {"x", -1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(completionEntry(list, QString::fromLatin1(row.typed)), row.expected);
    }
    EXPECT_EQ(completionEntry({QStringLiteral("foobar")}, QStringLiteral("fo")), 0);
    EXPECT_EQ(completionEntry({}, QStringLiteral("fo")), -1);
}

TEST(SearchRules, GotoLine)
{
    struct Parse
    {
        const char *field;
        int number;
    };
    const Parse parses[] = {
        {"12", 12}, {"007", 7}, {"", 0}, {"12ab", 12}, {"ab", 0}, {"99999999999", 2147483647},
    };
    for (const Parse &p : parses) {
        SCOPED_TRACE(p.field);
        EXPECT_EQ(parseLineNumber(QString::fromLatin1(p.field)), p.number);
    }
    struct Clamp
    {
        qint64 number;
        qint64 lines;
        qint64 index;
    };
    const Clamp clamps[] = {
        {1, 10, 0}, {0, 10, 0}, {-5, 10, 0}, {10, 10, 9}, {11, 10, 10}, {1000, 10, 10},
    };
    for (const Clamp &c : clamps) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(gotoLineIndex(c.number, c.lines), c.index);
    }
}
