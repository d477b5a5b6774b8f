// Replace All's own undo record: played back either way it gives the text before and after, and
// it stays far smaller than the text it can put back.
#include "editor/textsearch/replaceplanner.h"
#include "editor/textsearch/replacerecord.h"

#include <gtest/gtest.h>
#include <random>

using namespace pw::search;

namespace {

constexpr int Re = SearchFlag::RegExp;

struct Replaced
{
    QByteArray replaced;
    std::unique_ptr<ReplaceRecord> record;
};

// Replaces in place batch by batch as the editor does, recording each batch before it is applied.
Replaced replaceInPlace(QByteArray text, const QByteArray &find, int flags, const QByteArray &with,
                        std::size_t batch)
{
    Replaced run{{}, std::make_unique<ReplaceRecord>(with)};
    SearchPattern pattern(find, flags);
    TextView view{text.constData(), text.size(), false};
    // No time bound: a sanitized build on a busy machine must not cut a large run short.
    SearchBudget unbounded(std::chrono::milliseconds(0));
    unbounded.setPassOverHardPositions(false);
    ReplacePlanner planner(view, pattern, 0, text.size(), with, &unbounded);
    std::vector<Match> hits;
    while (planner.next(hits, batch)) {
        run.record->addBatch(text.constData(), hits);
        qsizetype delta = 0;
        for (const Match &hit : hits) {
            text.replace(hit.start + delta, hit.length(), with);
            delta += with.size() - hit.length();
        }
        view = TextView{text.constData(), text.size(), false};
        planner.applied(view, planner.batchShift());
    }
    run.record->finish();
    run.replaced = text;
    return run;
}

// What the editor's replay does, on a byte array.
QByteArray replay(QByteArray text, const ReplaceRecord &record, bool undo)
{
    ReplaceRecord::Reader reader(record);
    ReplaceRecord::Piece piece;
    qsizetype end = 0;
    const QByteArray &with = record.replacement();
    while (reader.next(piece)) {
        const qsizetype start = end + piece.gap;
        const QByteArray before = piece.before.toByteArray();
        if (undo)
            text.replace(start, with.size(), before);
        else
            text.replace(start, before.size(), with);
        end = start + (undo ? before.size() : with.size());
    }
    return text;
}

QByteArray randomText(std::mt19937 &random, qsizetype size)
{
    static const char alphabet[] = "ab c\n\t.xy1";
    std::uniform_int_distribution<int> pick(0, int(sizeof(alphabet)) - 2);
    QByteArray text(size, Qt::Uninitialized);
    for (char &c : text)
        c = alphabet[pick(random)];
    return text;
}

} // namespace

TEST(ReplaceRecord, PlaysBackToTheTextBeforeAndAfter)
{
    struct Row
    {
        const char *name;
        QByteArray find;
        int flags;
        QByteArray with;
    };
    const Row rows[] = {
        {"one character to one", "a", 0, "z"},
        {"longer replacement", "b", 0, "<<b>>"},
        {"hits taken out", "ab", 0, ""},
        {"every character", ".", Re, "x"},
        {"runs of varied length", "[a-c]+", Re, "-"},
        {"empty hits at line starts", "^", Re, "> "},
        {"replacement with a line end", "c", 0, "\r\n"},
        {"hits holding line ends", "\n", 0, " "},
    };
    std::mt19937 random(7);
    for (const Row &row : rows) {
        for (const std::size_t batch : {std::size_t(1), std::size_t(3), std::size_t(1) << 16}) {
            const QByteArray text = randomText(random, 4000);
            const Replaced run = replaceInPlace(text, row.find, row.flags, row.with, batch);
            SCOPED_TRACE(testing::Message() << row.name << ", batches of " << batch);
            ASSERT_GT(run.record->hitCount(), 0);
            const QByteArray undone = replay(run.replaced, *run.record, true);
            EXPECT_EQ(undone, text);
            EXPECT_EQ(replay(undone, *run.record, false), run.replaced);
        }
    }
}

TEST(ReplaceRecord, HitsLargerThanAChunkAndTextThatDoesNotPack)
{
    std::mt19937 random(11);
    // Random bytes between two marks: one hit of several chunks, then many small ones.
    QByteArray noise(3 * ReplaceRecord::ChunkBytes + 17, Qt::Uninitialized);
    for (char &c : noise)
        c = char('A' + random() % 26);
    const QByteArray text = "<" + noise + ">" + randomText(random, 50000);
    // Without Match case the class takes every letter: the noise is one hit.
    const Replaced run = replaceInPlace(text, "[A-Z<>]+", Re, "#", 1000);
    ASSERT_TRUE(run.replaced.startsWith('#'));
    ASSERT_GT(run.record->hitCount(), 1000);
    EXPECT_EQ(replay(run.replaced, *run.record, true), text);
}

TEST(ReplaceRecord, AHitAtEveryCharacterCostsAFractionOfTheText)
{
    QByteArray text;
    for (int line = 0; text.size() < 3 * ReplaceRecord::ChunkBytes; ++line)
        text += "    value_" + QByteArray::number(line) + " = compute(item, " +
                QByteArray::number(line % 97) + ");\n";
    const Replaced run = replaceInPlace(text, ".", Re, "x", 1 << 16);
    EXPECT_EQ(run.record->hitCount(), text.size() - text.count('\n'));
    // The component's own record would hold twice the text.
    EXPECT_LT(run.record->heldBytes(), std::size_t(text.size() / 3));
    EXPECT_EQ(replay(run.replaced, *run.record, true), text);
}
