// Side-by-side rows and stepping through differences.
#include "compare/engine/sidebyside.h"
#include "difftestutil.h"

namespace pw::diff {
namespace {

// First:  a b c d e f g h        Second: a B c x y e f g H i
// Blocks: = (a) ~ (b/B) = (c) ~ (d/x) + (y) = (e f g) ~ (h/H) + (i); nothing alike pairs in order
class Layout : public ::testing::Test
{
protected:
    Layout()
        : m_diff(test::diffOf("a\nb\nc\nd\ne\nf\ng\nh\n", "a\nB\nc\nx\ny\ne\nf\ng\nH\ni\n")),
          m_layout(m_diff)
    {}
    DiffResult m_diff;
    SideBySideLayout m_layout;
};

TEST_F(Layout, RowsShowEachLineOnce)
{
    ASSERT_EQ(m_layout.rowCount(), 10);
    struct Expect
    {
        int row;
        BlockKind kind;
        std::optional<int> first;
        std::optional<int> second;
    };
    for (const Expect &e :
         {Expect{0, BlockKind::Equal, 0, 0}, Expect{1, BlockKind::Changed, 1, 1},
          Expect{3, BlockKind::Changed, 3, 3}, Expect{4, BlockKind::Added, std::nullopt, 4},
          Expect{5, BlockKind::Equal, 4, 5}, Expect{9, BlockKind::Added, std::nullopt, 9}}) {
        const SideBySideLayout::Row r = m_layout.row(e.row);
        EXPECT_EQ(r.kind, e.kind) << "row " << e.row;
        EXPECT_EQ(r.firstLine, e.first) << "row " << e.row;
        EXPECT_EQ(r.secondLine, e.second) << "row " << e.row;
    }
    for (int line = 0; line < 8; ++line)
        EXPECT_EQ(m_layout.row(m_layout.rowOfFirstLine(line)).firstLine, line);
    for (int line = 0; line < 10; ++line)
        EXPECT_EQ(m_layout.row(m_layout.rowOfSecondLine(line)).secondLine, line);
    EXPECT_EQ(m_layout.rowOfFirstLine(8), 10);
}

TEST_F(Layout, NextAndPreviousStepThroughHunks)
{
    ASSERT_EQ(m_layout.hunkCount(), 3);
    EXPECT_EQ(m_layout.hunkRow(0), 1);
    EXPECT_EQ(m_layout.hunkRow(1), 3);
    EXPECT_EQ(m_layout.hunkRows(1), 2);
    EXPECT_EQ(m_layout.hunkRow(2), 8);
    EXPECT_EQ(m_layout.nextHunk(0), 0);
    EXPECT_EQ(m_layout.nextHunk(1), 1);
    EXPECT_EQ(m_layout.nextHunk(8), std::nullopt);
    EXPECT_EQ(m_layout.previousHunk(8), 1);
    EXPECT_EQ(m_layout.previousHunk(1), std::nullopt);
    EXPECT_EQ(m_layout.hunkAt(4), 1);
    EXPECT_EQ(m_layout.hunkAt(5), std::nullopt);
}

TEST(LayoutOfNothing, HasNoRows)
{
    const SideBySideLayout layout(test::diffOf("", ""));
    EXPECT_EQ(layout.rowCount(), 0);
    EXPECT_EQ(layout.nextHunk(-1), std::nullopt);
    EXPECT_EQ(layout.rowOfFirstLine(0), 0);
}

} // namespace
} // namespace pw::diff
