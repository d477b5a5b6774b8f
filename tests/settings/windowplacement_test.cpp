// The 44-byte window placement record: byte layout, size rule and the show state on reopening.
#include "settings/windowplacement.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>

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

TEST(WindowPlacementTest, EncodesElevenLittleEndianFieldsInOrder)
{
    const QByteArray bytes = sample().encode();
    ASSERT_EQ(bytes.size(), 44);
    const quint32 expected[11] = {
        44, 2, 3, quint32(-32000), quint32(-32000), quint32(-8), quint32(-8), 100, 50, 1124, 818};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(fieldAt(bytes, i), expected[i]) << "field " << i;
    // The low byte comes first.
    EXPECT_EQ(static_cast<unsigned char>(bytes[36]), 0x64); // 1124 = 0x0464
    EXPECT_EQ(static_cast<unsigned char>(bytes[37]), 0x04);
    EXPECT_EQ(static_cast<unsigned char>(bytes[12]), 0x00); // -32000 = 0xFFFF8300
    EXPECT_EQ(static_cast<unsigned char>(bytes[13]), 0x83);
    EXPECT_EQ(static_cast<unsigned char>(bytes[14]), 0xFF);
}

TEST(WindowPlacementTest, DecodeReversesEncode)
{
    const auto decoded = WindowPlacement::decode(sample().encode());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, sample());
}

class PlacementSize : public ::testing::TestWithParam<int>
{
};

TEST_P(PlacementSize, AnythingButFortyFourBytesIsNoPlacement)
{
    EXPECT_FALSE(WindowPlacement::decode(QByteArray(GetParam(), '\x01')).has_value());
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlacementSize, ::testing::Values(0, 1, 40, 43, 45, 48, 88));

struct ShowCase
{
    const char *name;
    qint32 stored;
    bool maximized;
    friend void PrintTo(const ShowCase &c, std::ostream *out) { *out << c.name; }
};

class ReopenShowState : public ::testing::TestWithParam<ShowCase>
{
};

TEST_P(ReopenShowState, OnlyMaximisedReopensMaximisedAndMinimisedReopensNormal)
{
    WindowPlacement p = sample();
    p.showCmd = GetParam().stored;
    QByteArray raw = p.encode();
    // Write the raw state into the record as some other program might have left it.
    const auto stored = quint32(GetParam().stored);
    for (int b = 0; b < 4; ++b)
        raw[8 + b] = char((stored >> (8 * b)) & 0xFF);
    const auto decoded = WindowPlacement::decode(raw);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->opensMaximized(), GetParam().maximized);
    // Saving it again never records a minimised window.
    EXPECT_EQ(fieldAt(decoded->encode(), 2), GetParam().maximized ? 3u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    States, ReopenShowState,
    ::testing::Values(ShowCase{"normal", 1, false}, ShowCase{"minimized", 2, false},
                      ShowCase{"maximized", 3, true}, ShowCase{"minimize", 6, false},
                      ShowCase{"min_no_activate", 7, false}, ShowCase{"restore", 9, false},
                      ShowCase{"hidden", 0, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WindowPlacementTest, FromGeometryRecordsTheNormalRectangleAndShowState)
{
    const QRect geometry(10, 20, 640, 480);
    const WindowPlacement normal = WindowPlacement::fromGeometry(geometry, false);
    EXPECT_EQ(normal.showCmd, 1);
    EXPECT_EQ(normal.left, 10);
    EXPECT_EQ(normal.top, 20);
    EXPECT_EQ(normal.right, 650);
    EXPECT_EQ(normal.bottom, 500);
    EXPECT_EQ(normal.length, 44);
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
