// The 44-byte window placement record: byte layout, size rule and the show state on reopening.
#include "settings/windowplacement.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace pw {
namespace {

quint32 fieldAt(const QByteArray &bytes, int index)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData()) + index * 4;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

WindowPlacement sample()
{
    WindowPlacement p;
    p.flags = 2;
    p.showCmd = WindowPlacement::ShowMaximized;
    p.minX = -32000;
    p.minY = -32000;
    p.maxX = -8;
    p.maxY = -8;
    p.left = 100;
    p.top = 50;
    p.right = 1124;
    p.bottom = 818;
    return p;
}

TEST(WindowPlacementTest, IsElevenLittleEndianFieldsInOrderAndNothingElse)
{
    const QByteArray bytes = sample().encode();
    ASSERT_EQ(bytes.size(), 44);
    const quint32 expected[11] = {
        44, 2, 3, quint32(-32000), quint32(-32000), quint32(-8), quint32(-8), 100, 50, 1124, 818};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(fieldAt(bytes, i), expected[i]) << "field " << i;
    const auto decoded = WindowPlacement::decode(bytes);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, sample());
    for (int size : {0, 1, 40, 43, 45, 48, 88})
        EXPECT_FALSE(WindowPlacement::decode(QByteArray(size, '\x01')).has_value()) << size;
}

// Only a maximised window reopens maximised; a minimised one reopens normal, and saving again
// never records a minimised window.
TEST(WindowPlacementTest, ReopensMaximisedOrNormal)
{
    const std::pair<qint32, bool> rows[] = {{1, false}, {2, false}, {3, true}, {6, false},
                                            {7, false}, {9, false}, {0, false}};
    for (const auto &[stored, maximized] : rows) {
        QByteArray raw = sample().encode();
        for (int b = 0; b < 4; ++b) // the state as some other program may have left it
            raw[8 + b] = char((quint32(stored) >> (8 * b)) & 0xFF);
        const auto decoded = WindowPlacement::decode(raw);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->opensMaximized(), maximized) << stored;
        EXPECT_EQ(fieldAt(decoded->encode(), 2), maximized ? 3u : 1u) << stored;
    }
}

TEST(WindowPlacementTest, FromGeometryRecordsTheNormalRectangleAndShowState)
{
    const QRect geometry(10, 20, 640, 480);
    const WindowPlacement normal = WindowPlacement::fromGeometry(geometry, false);
    EXPECT_EQ(normal.showCmd, 1);
    EXPECT_EQ(normal.right, 650) << "the right edge lies outside the rectangle";
    EXPECT_EQ(normal.bottom, 500);
    EXPECT_EQ(normal.normalGeometry(), geometry);
    EXPECT_EQ(WindowPlacement::fromGeometry(geometry, true).showCmd, 3);
}

TEST(WindowPlacementTest, CorruptRectangleGivesAnEmptyGeometryInsteadOfOverflowing)
{
    WindowPlacement p;
    p.left = INT32_MIN;
    p.right = INT32_MAX;
    p.top = 10;
    p.bottom = 5;
    EXPECT_TRUE(p.normalGeometry().isEmpty());
}

} // namespace
} // namespace pw
