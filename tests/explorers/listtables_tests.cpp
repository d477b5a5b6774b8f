// The insertion lists: their sizes, rows that follow the shape rules, samples and encodings.
#include "explorers/engine/listtables.h"

#include <gtest/gtest.h>
#include <set>

using namespace pw::explorers;

namespace {

const ListEntry *find(ListKind kind, const QByteArray &display)
{
    for (const ListEntry &entry : listTable(kind)) {
        if (entry.display == display)
            return &entry;
    }
    return nullptr;
}

TEST(ListTablesTest, SizesAndDistinctRows)
{
    const std::pair<ListKind, size_t> sizes[] = {
        {ListKind::HtmlTags, 91}, {ListKind::HtmlEntities, 252}, {ListKind::AsciiCodes, 215}};
    for (const auto &[kind, size] : sizes) {
        EXPECT_EQ(listTable(kind).size(), size) << int(kind);
        std::set<QByteArray> displays;
        for (const ListEntry &entry : listTable(kind))
            displays.insert(entry.display);
        EXPECT_EQ(displays.size(), size) << "a row is doubled in list " << int(kind);
    }
}

TEST(ListTablesTest, TagsFollowTheirShapes)
{
    const std::pair<const char *, const char *> rows[] = {
        {"B", "<B><%REPLACE%></B>"},
        {"A", "<A HREF><%REPLACE%></A>"},
        {"ABBR", "<ABBR ><%REPLACE%></ABBR>"},
        {"AREA", "<AREA ALT=\"\" ><%REPLACE%></AREA>"},
        {"BR", "<BR/>"},
        {"HR", "<HR ALIGN=\"\" SIZE=\"\" WIDTH=\"\"/>"},
        {"IMG", "<IMG SRC=\"\" ALT=\"\"/>"},
        {"TD", "<TD WIDTH=\"\" ROWSPAN=\"\" COLSPAN=\"\"><%REPLACE%></TD>"},
        {"VAR", "<VAR><%REPLACE%></VAR>"},
    };
    for (const auto &[tag, insertion] : rows) {
        const ListEntry *entry = find(ListKind::HtmlTags, tag);
        ASSERT_NE(entry, nullptr) << tag;
        EXPECT_EQ(entry->insertion, QByteArray(insertion)) << tag;
    }
    EXPECT_EQ(listTable(ListKind::HtmlTags).front().display, QByteArray("A"));
    EXPECT_EQ(listTable(ListKind::HtmlTags).back().display, QByteArray("VAR"));
}

TEST(ListTablesTest, EntitySamplesAreWindows1252OrLookAlikes)
{
    const std::pair<const char *, QByteArray> samples[] = {
        {"amp", "&"},        {"eacute", "\xE9"}, {"euro", "\x80"},  {"Yuml", "\x9F"},
        {"alpha", "a"},      {"asymp", "\x98"},  {"beta", "\xDF"},  {"nbsp", " "},
        {"mu", "\xB5"},      {"lsaquo", "{"},    {"rsaquo", "}"},   {"sdot", "\xB7"},
        {"Alpha", "&Alpha;"}, {"zwnj", "&zwnj;"}, {"hearts", "&hearts;"},
    };
    for (const auto &[name, sample] : samples) {
        const QByteArray display = QByteArray("&") + name + "\t\t'" + sample + '\'';
        const ListEntry *entry = find(ListKind::HtmlEntities, display);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->insertion, QByteArray("&") + name + ';');
    }
    EXPECT_EQ(listTable(ListKind::HtmlEntities).front().insertion, QByteArray("&aacute;"));
    EXPECT_EQ(listTable(ListKind::HtmlEntities).back().insertion, QByteArray("&zwnj;"));
}

TEST(ListTablesTest, CodesSkipTheUnlistedBytes)
{
    std::set<int> codes;
    for (const ListEntry &entry : listTable(ListKind::AsciiCodes)) {
        const int code = entry.display.left(entry.display.indexOf('\t')).toInt();
        codes.insert(code);
        EXPECT_EQ(entry.insertion, QByteArray(1, char(code)));
        EXPECT_EQ(entry.display, QByteArray::number(code) + '\t' + entry.insertion);
    }
    for (int unlisted : {32, 127, 129, 130, 141, 143, 144, 157, 160, 256})
        EXPECT_EQ(codes.count(unlisted), 0u) << unlisted;
    EXPECT_EQ(*codes.begin(), 33);
    EXPECT_EQ(*codes.rbegin(), 255);
}

TEST(ListTablesTest, InsertionStaysValidInUtf8Documents)
{
    const struct
    {
        const char *display;
        QByteArray utf8;
        QByteArray ansi;
    } rows[] = {
        {"65\tA", "A", "A"},
        {"128\t\x80", "\xE2\x82\xAC", "\x80"},
        {"159\t\x9F", "\xC5\xB8", "\x9F"},
        {"233\t\xE9", "\xC3\xA9", "\xE9"},
    };
    for (const auto &row : rows) {
        const ListEntry *entry = find(ListKind::AsciiCodes, row.display);
        ASSERT_NE(entry, nullptr) << row.display;
        EXPECT_EQ(insertionBytes(*entry, true), row.utf8) << row.display;
        EXPECT_EQ(insertionBytes(*entry, false), row.ansi) << row.display;
    }
    EXPECT_EQ(fromWindows1252("\x81\x8D"), QString(QChar(0x81)) + QChar(0x8D));
    const ListEntry *b = find(ListKind::HtmlTags, "B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(expandTemplate(b->insertion, "abc"), QByteArray("<B>abc</B>"));
    EXPECT_EQ(expandTemplate(b->insertion, {}), QByteArray("<B></B>"));
}

} // namespace
