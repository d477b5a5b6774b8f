// The printed page's rules without a window: the header's path rule, the bands around the body
// and the walk that finds every page start.
#include "printing/engine/pagestarts.h"
#include "printing/engine/printrules.h"

#include <gtest/gtest.h>

using namespace pw::printing;

TEST(PrintRules, HeaderIsThePathUpTo68CharactersOtherwiseTheTitle)
{
    struct Row
    {
        int pathLength;
        bool expectPath;
    };
    const Row rows[] = {{1, true}, {68, true}, {69, false}, {200, false}, {0, false}};
    for (const Row &row : rows) {
        const QString path = row.pathLength ? QLatin1Char('/') + QString(row.pathLength - 1, QLatin1Char('a')) : QString();
        const QString title = QStringLiteral("notes.txt");
        EXPECT_EQ(headerText(path, title), row.expectPath ? path : title) << row.pathLength;
    }
}

TEST(PrintRules, BandsTakeTwoLinesEachAndStayInsideThePrintableArea)
{
    const QRect printable(100, 200, 4000, 6000);
    const int lineHeight = 50;
    struct Row
    {
        bool header, footer;
        QRect body;
    };
    const Row rows[] = {
        {false, false, printable},
        {true, false, QRect(100, 300, 4000, 5900)},
        {false, true, QRect(100, 200, 4000, 5900)},
        {true, true, QRect(100, 300, 4000, 5800)},
    };
    for (const Row &row : rows) {
        const PageBands bands = pageBands(printable, lineHeight, row.header, row.footer);
        EXPECT_EQ(bands.body, row.body) << row.header << row.footer;
        EXPECT_EQ(bands.header.isEmpty(), !row.header);
        EXPECT_EQ(bands.footer.isEmpty(), !row.footer);
        if (row.header) {
            EXPECT_EQ(bands.header.bottom() + 1, bands.body.top());
            EXPECT_TRUE(printable.contains(bands.header));
        }
        if (row.footer) {
            EXPECT_EQ(bands.footer.top(), bands.body.bottom() + 1);
            EXPECT_TRUE(printable.contains(bands.footer));
        }
    }
    // A page too short for its bands still has a body to lay text into.
    EXPECT_GE(pageBands(QRect(0, 0, 100, 150), 50, true, true).body.height(), 1);
}

TEST(PageStarts, EveryStartIsFoundWhateverTheSliceAndWithNoPageLimit)
{
    struct Row
    {
        qint64 length;
        qint64 perPage;
        int slice;
        int pages;
    };
    const Row rows[] = {
        {0, 100, 1, 1},          // an empty text still has its one page
        {99, 100, 1, 1},         {100, 100, 3, 1}, {101, 100, 3, 2},
        {1050, 100, 1, 11},      {1050, 100, 1000, 11},
        {250000, 100, 7, 2500},  // far past a table of 1000 entries
    };
    for (const Row &row : rows) {
        PageStarts starts(row.length);
        int calls = 0;
        const auto format = [&](qint64 from) {
            ++calls;
            return std::min(from + row.perPage, row.length);
        };
        int slices = 0;
        while (!starts.advance(format, row.slice))
            ++slices;
        EXPECT_TRUE(starts.complete());
        ASSERT_EQ(starts.knownPages(), row.pages) << row.length << "/" << row.slice;
        EXPECT_LE(calls, row.pages) << "each page is laid out once";
        for (int page = 0; page < row.pages; ++page) {
            EXPECT_EQ(starts.start(page), page * row.perPage);
            EXPECT_EQ(starts.end(page), std::min((page + 1) * row.perPage, row.length));
        }
        EXPECT_EQ(starts.start(row.pages), -1);
        EXPECT_EQ(starts.reached(), row.length);
        if (row.slice < row.pages) {
            EXPECT_GT(slices, 0) << "a small slice leaves work for later calls";
        }
    }
}

TEST(PageStarts, ALayoutThatStopsMovingEndsTheWalk)
{
    PageStarts starts(1000);
    const auto stuck = [](qint64 from) { return from < 300 ? from + 150 : from; };
    starts.advance(stuck, 100);
    EXPECT_TRUE(starts.complete());
    EXPECT_EQ(starts.knownPages(), 3);
    EXPECT_EQ(starts.end(2), 1000);
}
