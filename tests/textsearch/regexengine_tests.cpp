// The shared regular-expression engine's own promises: word edges at the range start in both ways
// of running a program, windows of start positions that change no answer, one budget per search
// with its stop reasons, and Replace All plans handed out in batches equal to whole ones.
#include "editor/textsearch/regexprogram.h"
#include "editor/textsearch/replaceplanner.h"
#include "editor/textsearch/textsearch.h"

#include <gtest/gtest.h>
#include <random>

using namespace pw::search;

namespace {

constexpr int Re = SearchFlag::RegExp;

// The program run over the whole text from the range start, as one matcher search.
Match wholeTextMatch(const QByteArray &text, const char *pattern, qsizetype start, RangeStart mode)
{
    const RegexProgram program(pattern, true, false, defaultCharClasses(), mode);
    RegexMatcher matcher(program);
    SearchBudget budget;
    Match match;
    matcher.find(text.constData(), text.size(), start, text.size(), 0, budget, match);
    return match;
}

Match searcherMatch(const QByteArray &text, const QByteArray &pattern, int flags, qsizetype start,
                    qsizetype end, const SearchLimits &limits = {}, bool utf8 = false)
{
    const TextView view{text.constData(), text.size(), utf8};
    const SearchPattern compiled(pattern, flags);
    Searcher searcher(view, compiled, nullptr, limits);
    Match match;
    searcher.find(start, end, match);
    return match;
}

// About `bytes` of lines of `width` prose characters, with no digit.
QByteArray prose(qsizetype bytes, int width)
{
    static const char words[] = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do ";
    QByteArray text;
    text.reserve(bytes + width);
    std::size_t k = 0;
    while (text.size() < bytes) {
        for (int i = 0; i < width; ++i)
            text += words[k++ % (sizeof words - 1)];
        text += '\n';
    }
    return text;
}

const char *const TextPieces[] = {"a",  "b",  "ab", " ",      "\n",         "\r\n", "\r",
                                  ".",  "_",  "1",  "x y",    "\xC3\xA9",   "(",    ")",
                                  "\t", "aa", "ba", "\xC3",   "\xE2\x80\x94", "-"};
const char *const PatternPieces[] = {"a",   "b",   ".",   "*",   "+",    "?",   "*?", "^",
                                     "$",   "[ab]", "[^a]", "\\<", "\\>",  "\\(", "\\)", "\\1",
                                     "\\w", "\\s", "\\d", " ",   "[a-b]", "x",   "\\W", "_"};

template <std::size_t N>
QByteArray randomJoin(std::mt19937 &rng, const char *const (&pieces)[N], int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += pieces[rng() % N];
    return out;
}

} // namespace

// The component treats its range start as a line start for word edges. A program made for a
// subject that starts there and one made for the whole text with the range start as the start
// offset give that answer; run the wrong way, the first misreads a word running into the start.
TEST(RegexEngine, WordEdgesAtTheRangeStartFollowTheSwitch)
{
    struct Row
    {
        const char *name;
        QByteArray text;
        const char *pattern;
        qsizetype start;
        Match component;
        bool wrongWayDiffers;
    };
    const Row rows[] = {
        {"a word start inside a word", "xx abc", "\\<bc", 4, {4, 6}, true},
        {"a word start after a letter", "abc", "\\<c", 2, {2, 3}, true},
        {"never a word end at the range start", "ab cd", "\\>.", 2, {}, true},
        {"a real word start", "a bc", "\\<bc", 2, {2, 4}, false},
        {"a word end later on", "ab cd!", "d\\>", 1, {4, 5}, false},
        {"no word start before punctuation", "x.y", "\\<\\.", 1, {}, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const qsizetype length = row.text.size();
        EXPECT_EQ(searcherMatch(row.text, row.pattern, Re | SearchFlag::MatchCase, row.start,
                                length),
                  row.component);
        EXPECT_EQ(wholeTextMatch(row.text, row.pattern, row.start, RangeStart::StartOffset),
                  row.component);
        const Match wrong =
            wholeTextMatch(row.text, row.pattern, row.start, RangeStart::SubjectStart);
        EXPECT_EQ(wrong != row.component, row.wrongWayDiffers);
    }
}

// A search runs PCRE2 on windows of start positions; where the windows fall must not matter.
TEST(RegexEngine, WindowsOfStartPositionsChangeNoAnswer)
{
    std::mt19937 rng(4242);
    SearchLimits oneCall;
    oneCall.maxWindow = qsizetype(1) << 40;
    SearchLimits onePosition;
    onePosition.maxWindow = 1;
    SearchLimits small;
    small.maxWindow = 7;
    int found = 0;
    for (int round = 0; round < 300; ++round) {
        const bool utf8 = rng() % 2;
        const QByteArray text = randomJoin(rng, TextPieces, 400 + int(rng() % 800));
        const QByteArray pattern = randomJoin(rng, PatternPieces, 1 + int(rng() % 4));
        const int flags = Re | (rng() % 2 ? SearchFlag::MatchCase : 0) |
                          (rng() % 3 == 0 ? SearchFlag::Posix : 0);
        const qsizetype length = text.size();
        qsizetype start = qsizetype(rng() % std::uint32_t(length + 1));
        qsizetype end = qsizetype(rng() % std::uint32_t(length + 1));
        if (round % 2)
            std::swap(start, end); // backwards as often as forwards
        const Match reference = searcherMatch(text, pattern, flags, start, end, oneCall, utf8);
        found += reference.found() ? 1 : 0;
        for (const SearchLimits &limits : {SearchLimits{}, onePosition, small})
            ASSERT_EQ(searcherMatch(text, pattern, flags, start, end, limits, utf8), reference)
                << "pattern \"" << pattern.toPercentEncoding().constData() << "\" range " << start
                << ".." << end << " window " << limits.maxWindow;
    }
    EXPECT_GT(found, 100);
}

TEST(RegexEngine, ACatastrophicPatternStopsOnItsBudgetWithThePositionReached)
{
    const QByteArray text = prose(2 << 20, 199);
    const TextView view{text.constData(), text.size(), false};
    for (const char *pattern :
         {".*.*.*.*[0-9]", "[a-z ]*[a-z ]*[a-z ]*[a-z ]*[a-z ]*[0-9]"}) {
        SCOPED_TRACE(pattern);
        const SearchPattern compiled(pattern, Re);
        SearchBudget budget(std::chrono::milliseconds(50));
        Searcher searcher(view, compiled, &budget);
        Match match;
        ASSERT_EQ(searcher.find(100, text.size(), match), SearchStatus::Stopped);
        EXPECT_FALSE(match.found());
        EXPECT_EQ(searcher.stopPoint().reason, StopReason::Budget);
        EXPECT_GE(searcher.stopPoint().position, 100);
        EXPECT_LT(searcher.stopPoint().position, text.size());
        EXPECT_TRUE(budget.exhausted());
        // The command's later searches stop at once.
        EXPECT_EQ(searcher.find(0, 10, match), SearchStatus::Stopped);
    }
}

TEST(RegexEngine, CancelStopsTheSearchWhereItStands)
{
    // Searches that run for minutes: backtracking at every position, and a long needle that
    // nearly matches everywhere.
    struct Row
    {
        const char *name;
        QByteArray text;
        QByteArray pattern;
        int flags;
    };
    const Row rows[] = {
        {"regular expression", prose(4 << 20, 199), ".*.*.*.*[0-9]", Re},
        {"text", QByteArray(8 << 20, 'a'), QByteArray(4000, 'a') + "b", SearchFlag::MatchCase},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const TextView view{row.text.constData(), row.text.size(), false};
        // The user presses Stop while the run shows its progress.
        std::atomic<bool> cancel{false};
        qsizetype reported = -1;
        SearchBudget budget(std::chrono::milliseconds(0), &cancel, [&](qsizetype position) {
            EXPECT_GE(position, reported) << "progress only moves on";
            reported = position;
            cancel = true;
        });
        const SearchPattern compiled(row.pattern, row.flags);
        Searcher searcher(view, compiled, &budget);
        Match match;
        ASSERT_EQ(searcher.find(0, row.text.size(), match), SearchStatus::Stopped);
        EXPECT_EQ(searcher.stopPoint().reason, StopReason::Cancelled);
        EXPECT_GE(reported, 0);
        EXPECT_GE(searcher.stopPoint().position, reported);
        EXPECT_LT(searcher.stopPoint().position, row.text.size());

        // A token already set stops a search after its first piece of work, backwards too.
        SearchBudget cancelled(std::chrono::milliseconds(0), &cancel);
        Searcher again(view, compiled, &cancelled);
        EXPECT_EQ(again.find(row.text.size(), 0, match), SearchStatus::Stopped);
        EXPECT_EQ(again.stopPoint().reason, StopReason::Cancelled);
    }
}

// One start position that needs too much backtracking is passed over, and the search goes on;
// a search that finds nothing after it says so instead of "not found".
TEST(RegexEngine, AHardPositionIsPassedOverOrEndsTheSearch)
{
    const QByteArray hardLine = "x" + QByteArray(300, 'a') + "\n";
    SearchLimits limits;
    limits.matchLimit = 5000;
    // The later lines hold a "b" and a "c", so PCRE2 cannot rule the text out before trying.
    const char *const pattern = "a*a*a*a*a*a*bc";
    struct Row
    {
        const char *name;
        QByteArray text;
        bool passOver;
        SearchStatus status;
        Match match;
        StopReason reason;
    };
    const Row rows[] = {
        {"a later line's match is found", hardLine + "abc\n", true, SearchStatus::Found,
         {302, 305}, {}},
        {"nothing later: stopped, not not-found", hardLine + "c b\n", true,
         SearchStatus::Stopped, {}, StopReason::HardPosition},
        {"exact callers stop at the hard position", hardLine + "abc\n", false,
         SearchStatus::Stopped, {}, StopReason::HardPosition},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const TextView view{row.text.constData(), row.text.size(), false};
        const SearchPattern compiled(pattern, Re | SearchFlag::MatchCase);
        SearchBudget budget(std::chrono::milliseconds(0));
        budget.setPassOverHardPositions(row.passOver);
        Searcher searcher(view, compiled, &budget, limits);
        Match match;
        EXPECT_EQ(searcher.find(0, row.text.size(), match), row.status);
        EXPECT_EQ(match, row.match);
        EXPECT_EQ(searcher.passedOver(), 1) << "the first 'a' of the long run";
        if (row.status == SearchStatus::Stopped) {
            EXPECT_EQ(searcher.stopPoint().reason, row.reason);
            EXPECT_EQ(searcher.stopPoint().position, 1);
        }
    }
}

// The caller applies each batch before asking for the next; the text it ends with, the count,
// the caret and the scope's end must be the whole plan's.
TEST(ReplacePlanner, BatchesAppliedInPlaceEqualTheWholePlan)
{
    std::mt19937 rng(99);
    const char *const replacements[] = {"", "y", "\n", "ab", "\r\n", "\xC3\xA9", "a a"};
    int planned = 0;
    for (int round = 0; round < 1000; ++round) {
        const bool utf8 = rng() % 2;
        const QByteArray text = randomJoin(rng, TextPieces, int(rng() % 80));
        const bool regex = rng() % 2;
        const QByteArray pattern = regex ? randomJoin(rng, PatternPieces, 1 + int(rng() % 3))
                                         : randomJoin(rng, TextPieces, 1 + int(rng() % 2));
        const int flags = (regex ? Re : 0) | (rng() % 3 == 0 ? SearchFlag::WholeWord : 0) |
                          (rng() % 2 ? SearchFlag::MatchCase : 0);
        const QByteArray replacement = replacements[rng() % std::size(replacements)];
        const qsizetype start = round % 4 ? 0 : qsizetype(rng() % std::uint32_t(text.size() + 1));
        const qsizetype end = text.size();
        const SearchPattern compiled(pattern, flags);
        const TextView original{text.constData(), text.size(), utf8};
        const ReplacePlan whole = planReplaceAll(original, compiled, start, end, replacement);
        QByteArray expected = text;
        qsizetype shift = 0;
        for (const Match &hit : whole.hits) {
            expected.replace(hit.start + shift, hit.length(), replacement);
            shift += replacement.size() - hit.length();
        }
        planned += whole.status == SearchStatus::Found ? 1 : 0;

        for (const std::size_t batchSize : {std::size_t(1), std::size_t(3), std::size_t(64)}) {
            QByteArray document = text;
            TextView view{document.constData(), document.size(), utf8};
            ReplacePlanner planner(view, compiled, start, end, replacement);
            std::vector<Match> hits;
            while (planner.next(hits, batchSize)) {
                ASSERT_LE(hits.size(), batchSize);
                qsizetype applied = 0;
                for (const Match &hit : hits) {
                    document.replace(hit.start + applied, hit.length(), replacement);
                    applied += replacement.size() - hit.length();
                }
                ASSERT_EQ(applied, planner.batchShift());
                view = {document.constData(), document.size(), utf8};
                planner.applied(view, applied);
            }
            const auto trace = [&] {
                return "text \"" + text.toPercentEncoding(" ").toStdString() + "\" pattern \"" +
                       pattern.toPercentEncoding(" ").toStdString() + "\" batch " +
                       std::to_string(batchSize);
            };
            ASSERT_EQ(planner.status(), whole.status) << trace();
            if (whole.status != SearchStatus::Found)
                continue;
            ASSERT_EQ(planner.hitCount(), qint64(whole.hits.size())) << trace();
            ASSERT_EQ(document, expected) << trace();
            ASSERT_EQ(planner.caret(), whole.caret) << trace();
            ASSERT_EQ(planner.scopeEnd(), whole.scopeEnd) << trace();
        }
    }
    EXPECT_GT(planned, 250);
}
