// The preference pages' number-edit rules and filter-entry numbering, as plain functions.
#include "preferences/engine/filterentries.h"
#include "preferences/engine/numberrules.h"

#include <gtest/gtest.h>

using namespace pw::prefs;

namespace {

struct TypedCase
{
    const char *name;
    NumberEditRule rule;
    const char *typed;
    int previous;
    int value;
    const char *shown;
    bool reverted;
};

TEST(NumberEditRules, TypedTextIsTakenRaisedOrRefused)
{
    const TypedCase cases[] = {
        {"zero tab width shows 1", TabWidthRule, "0", 4, 1, "1", false},
        {"empty text reads as 0 and shows 1", TabWidthRule, "", 4, 1, "1", false},
        {"three digits fit a tab width", TabWidthRule, "999", 4, 999, "999", false},
        {"a fourth digit puts the width back", TabWidthRule, "1234", 8, 8, "8", true},
        {"leading digits are the value", TabWidthRule, "12x", 4, 12, "12x", false},
        {"a negative number is raised to 1", TabWidthRule, "-5", 4, 1, "1", false},
        {"no digits read as 0", LongLineRule, "ab", 80, 1, "1", false},
        {"a column beyond the spin can be typed", LongLineRule, "999", 80, 999, "999", false},
        {"a fourth digit puts the column back", LongLineRule, "1000", 120, 120, "120", true},
        {"two digits fit the versions", VersionsRule, "99", 5, 99, "99", false},
        {"a third digit puts the versions back", VersionsRule, "100", 7, 7, "7", true},
        {"zero versions shows 1", VersionsRule, "00", 3, 1, "1", false},
    };
    for (const TypedCase &c : cases) {
        SCOPED_TRACE(c.name);
        const NumberEditOutcome outcome =
            numberEditChanged(c.rule, QString::fromLatin1(c.typed), c.previous);
        EXPECT_EQ(outcome.value, c.value);
        EXPECT_EQ(outcome.text, QString::fromLatin1(c.shown));
        EXPECT_EQ(outcome.reverted, c.reverted);
    }
}

TEST(NumberEditRules, StoredValuesStartInsideWhatTheEditCanShow)
{
    EXPECT_EQ(numberEditInitial(TabWidthRule, 0), 1);
    EXPECT_EQ(numberEditInitial(TabWidthRule, 12345), 999);
    EXPECT_EQ(numberEditInitial(VersionsRule, 250), 99);
    EXPECT_EQ(numberEditInitial(LongLineRule, 700), 700);
}

TEST(FilterEntries, NewEntryIsNumberedOneAboveTheHighestListed)
{
    const struct
    {
        QStringList keys;
        const char *next;
    } cases[] = {
        {{}, "entry_1"},
        {{QStringLiteral("entry_2"), QStringLiteral("entry_7")}, "entry_8"},
        {{QStringLiteral("entry_7"), QStringLiteral("entry_2")}, "entry_8"},
        {{QStringLiteral("entry_10"), QStringLiteral("entry_9")}, "entry_11"},
        // Keys that carry no number count as 0.
        {{QStringLiteral("custom"), QStringLiteral("entry_x")}, "entry_1"},
        {{QStringLiteral("my_entry_3"), QStringLiteral("entry_1")}, "entry_4"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys.join(QLatin1Char(',')).toStdString());
        EXPECT_EQ(nextFilterEntryKey(c.keys), QString::fromLatin1(c.next));
    }
}

} // namespace
