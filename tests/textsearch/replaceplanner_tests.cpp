// The Replace All plan: the hits, where the loop leaves the caret, and the places where earlier
// replacements change what the later searches see.
#include "editor/textsearch/replaceplanner.h"

#include <gtest/gtest.h>

using namespace pw::search;

namespace {

constexpr int Re = SearchFlag::RegExp;

struct Outcome
{
    int count = -1; // -1 when the plan found nothing
    QByteArray text;
    qsizetype caret = -1;
};

Outcome replaceAll(const QByteArray &text, const QByteArray &find, int flags,
                   const QByteArray &replacement)
{
    TextView view{text.constData(), text.size(), false};
    SearchPattern pattern(find, flags);
    const ReplacePlan plan = planReplaceAll(view, pattern, 0, text.size(), replacement);
    Outcome outcome;
    if (plan.status != SearchStatus::Found)
        return outcome;
    outcome.count = int(plan.hits.size());
    outcome.text = text;
    qsizetype delta = 0;
    for (const Match &hit : plan.hits) {
        EXPECT_GE(hit.start + delta, 0);
        outcome.text.replace(hit.start + delta, hit.length(), replacement);
        delta += replacement.size() - hit.length();
    }
    outcome.caret = plan.caret;
    return outcome;
}

} // namespace

TEST(ReplacePlanner, ReplacesAsTheComponentsLoopDoes)
{
    struct Row
    {
        const char *name;
        QByteArray text;
        QByteArray find;
        int flags;
        QByteArray replacement;
        int count;
        QByteArray result;
        qsizetype caret;
    };
    const Row rows[] = {
        {"three on a line, caret after the last", "x x x\n", "x", 0, "y", 3, "y y y\n", 5},
        {"longer replacements shift later hits", "ab ab", "ab", 0, "abc", 2, "abc abc", 7},
        {"the replacement is literal", "a1a", "a", Re, "\\1", 2, "\\11\\1", 5},
        {"nothing matched", "abc", "z", 0, "y", -1, {}, -1},
        {"an empty match at each line end moves on", "ab\ncd\nef", "$", Re, "!", 3, "ab!\ncd!\nef!",
         11},
        {"the line after an empty line's end is skipped", "a\n\nb\n", "$", Re, "!", 2, "a!\n\nb!\n",
         7},
        {"after a match the search starts behind the replacement", "aaa", "aa", 0, "a", 1, "aa", 1},
        {"a word run into the one before is no whole word",
         "abab",
         "ab",
         SearchFlag::WholeWord,
         "-",
         -1,
         {},
         -1},
        // Later searches see the replacements before them
        {"a replacement of punctuation opens a word for the next search", "abab", "ab",
         SearchFlag::WordStart, "-", 2, "--", 2},
        {"a replacement of letters keeps the next one joined", "abab", "ab", SearchFlag::WordStart,
         "x", 1, "xab", 1},
        {"a replacement ending in a line end opens a line", "aa", "^a", Re, "\n", 2, "\n\n", 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome outcome = replaceAll(row.text, row.find, row.flags, row.replacement);
        EXPECT_EQ(outcome.count, row.count);
        if (row.count < 0)
            continue;
        EXPECT_EQ(outcome.text, row.result);
        EXPECT_EQ(outcome.caret, row.caret);
    }
}

TEST(ReplacePlanner, BadPatternsPlanNothing)
{
    EXPECT_EQ(replaceAll("abc", "[a", Re, "y").count, -1);
    // One start position needs more backtracking than allowed: the plan cannot be the
    // component's, so it stops there even though "b" matches later.
    const QByteArray text = "x\n" + QByteArray(20000, 'a') + "c\nb";
    TextView view{text.constData(), text.size(), false};
    SearchPattern pattern("a*a*a*a*a*a*b", Re);
    SearchLimits limits;
    limits.matchLimit = 200'000;
    const ReplacePlan plan = planReplaceAll(view, pattern, 0, text.size(), "y", nullptr, limits);
    EXPECT_EQ(plan.status, SearchStatus::Stopped);
    EXPECT_EQ(plan.stop.reason, StopReason::HardPosition);
    EXPECT_EQ(plan.stop.position, 2);
    EXPECT_TRUE(plan.hits.empty());
}

TEST(ReplacePlanner, EveryMatchOfALargeTextIsPlannedOnce)
{
    QByteArray text;
    for (int i = 0; i < 50000; ++i)
        text += "word ";
    TextView view{text.constData(), text.size(), false};
    SearchPattern pattern("word", SearchFlag::WholeWord);
    const ReplacePlan plan = planReplaceAll(view, pattern, 0, text.size(), "w");
    ASSERT_EQ(plan.hits.size(), 50000u);
    for (std::size_t i = 0; i < plan.hits.size(); ++i)
        ASSERT_EQ(plan.hits[i], (Match{qsizetype(i) * 5, qsizetype(i) * 5 + 4}));
    EXPECT_EQ(plan.scopeEnd, text.size() - 150000);
}

TEST(GroupHits, JoinsHitsWithinTheSpanAndKeepsLinesWhenAsked)
{
    struct Row
    {
        const char *name;
        QByteArray text;
        QByteArray find;
        qsizetype maxSpan;
        bool acrossLineEnds;
        std::vector<std::pair<std::size_t, std::size_t>> groups;
    };
    const Row rows[] = {
        {"one line, three hits", "\ta\tb\tc\n", "\t", 100, false, {{0, 2}}},
        {"a line end between", "\ta\n\tb\n", "\t", 100, false, {{0, 0}, {1, 1}}},
        {"a carriage return between", "\ta\r\tb\r", "\t", 100, false, {{0, 0}, {1, 1}}},
        {"line ends between, joined when allowed", "\ta\r\n\tb\r", "\t", 100, true, {{0, 1}}},
        {"the span caps a group", "\t\t\t\t", "\t", 2, false, {{0, 1}, {2, 3}}},
        {"the span caps across lines too", "\t\n\t\n\t", "\t", 3, true, {{0, 1}, {2, 2}}},
        {"a span of one keeps hits apart", "\t\t", "\t", 1, false, {{0, 0}, {1, 1}}},
        {"a hit holding a line end stands alone",
         "a\nb a\nb",
         "a\nb",
         100,
         false,
         {{0, 0}, {1, 1}}},
        {"and stands alone across lines", "a\nb\nc", "\n", 100, true, {{0, 0}, {1, 1}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TextView view{row.text.constData(), row.text.size(), false};
        SearchPattern pattern(row.find, 0);
        const ReplacePlan plan = planReplaceAll(view, pattern, 0, row.text.size(), "    ");
        ASSERT_EQ(plan.status, SearchStatus::Found);
        const std::vector<EditGroup> groups =
            groupHits(view, plan.hits, row.maxSpan, row.acrossLineEnds);
        std::vector<std::pair<std::size_t, std::size_t>> got;
        for (const EditGroup &g : groups)
            got.emplace_back(g.first, g.last);
        EXPECT_EQ(got, row.groups);
    }
}
