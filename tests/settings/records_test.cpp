// History lists, file filters and external tools in the settings file.
#include "settings/xmlsettingsstore.h"
#include "tests/settings/settingstestutil.h"

namespace pw {
namespace {

using namespace Qt::StringLiterals;
using test::freshCopy;
using test::readAll;
using test::settingsXml;
using test::writeAll;

const QString History = u"SearchHistory"_s;
const QString Filters = u"FileFilter"_s;
const QString Tools = u"ExternalTools"_s;

using RecordsTest = test::SettingsFileTest;

TEST_F(RecordsTest, LoadHistorySelectsAsStored)
{
    const QStringList ab{u"a"_s, u"b"_s};
    const QByteArray values = "<value_0>a</value_0><value_1>b</value_1>";
    const struct
    {
        const char *name;
        QByteArray section; // children of SearchHistory
        QStringList entries;
        int selected;
    } rows[] = {
        {"selected one", values + "<Selected>1</Selected>", ab, 1},
        {"minus one picks the first", values + "<Selected>-1</Selected>", ab, 0},
        {"missing means zero", values, ab, 0},
        {"empty means zero", values + "<Selected/>", ab, 0},
        {"past the end selects nothing", values + "<Selected>2</Selected>", ab, -1},
        {"other negatives select nothing", values + "<Selected>-3</Selected>", ab, -1},
        {"minus one with no entries", "<Selected>-1</Selected>", {}, -1},
        {"empty values are skipped",
         "<value_0>a</value_0><value_1></value_1><value_2>b</value_2><Selected>1</Selected>", ab,
         1},
        // Only value_0 .. value_(key count - 1) are read: three keys, so not value_5.
        {"numbers beyond the key count",
         "<value_0>a</value_0><value_5>z</value_5><Selected>0</Selected>",
         {u"a"_s},
         0},
        {"gap within the key count",
         "<value_0>a</value_0><value_2>b</value_2><Selected>0</Selected>", ab, 0},
        {"empty section", "", {}, -1},
    };
    for (const auto &row : rows) {
        const HistoryList h =
            storeWith("<SearchHistory>" + row.section + "</SearchHistory>").loadHistory(History);
        EXPECT_EQ(h.entries, row.entries) << row.name;
        EXPECT_EQ(h.selected, row.selected) << row.name;
    }
    EXPECT_EQ(storeWith("").loadHistory(History), HistoryList{}) << "no section";
}

TEST_F(RecordsTest, SaveHistoryWritesAtMostFiftyEntriesThenSelected)
{
    QStringList entries{u"a]]>b"_s, u"  spaced  "_s, u"<tag attr=\"1\">"_s, u"x\ry"_s};
    for (int i = 4; i < 60; ++i)
        entries << u"text %1"_s.arg(i);
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.saveHistory(History, entries, 7));
    QStringList names;
    EXPECT_EQ(store.enumerateKeys(History, names), 51);
    EXPECT_EQ(names[49], u"value_49"_s);
    EXPECT_EQ(names.last(), u"Selected"_s);
    const HistoryList loaded = XmlSettingsStore(freshCopy(settingsPath())).loadHistory(History);
    EXPECT_EQ(loaded.entries, entries.mid(0, 50));
    EXPECT_EQ(loaded.selected, 7);
}

TEST_F(RecordsTest, SaveHistorySkipsEmptyEntriesAndKeepsStaleValues)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.saveHistory(History, {u"a"_s, u"b"_s, u"c"_s}, 0));
    ASSERT_TRUE(store.saveHistory(History, {u"new"_s, QString()}, -1));
    EXPECT_EQ(store.readString(History, u"value_0"_s), u"new"_s);
    EXPECT_EQ(store.readString(History, u"value_1"_s), u"b"_s) << "the empty entry is not written";
    EXPECT_EQ(store.readString(History, u"value_2"_s), u"c"_s);
    EXPECT_EQ(store.getInt(History, u"Selected"_s, 99), -1);
}

TEST_F(RecordsTest, FilterEntryLayoutOnDisk)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeLabelExtension(Filters, u"entry_1"_s, u"C++"_s, u"*.cpp;*.h"_s));
    EXPECT_TRUE(readAll(settingsPath())
                    .contains("    <FileFilter>\n"
                              "        <entry_1>\n"
                              "            <label><![CDATA[C++]]></label>\n"
                              "            <extension><![CDATA[*.cpp;*.h]]></extension>\n"
                              "        </entry_1>\n"
                              "    </FileFilter>\n"))
        << readAll(settingsPath()).constData();
    QString label, extension;
    ASSERT_TRUE(XmlSettingsStore(freshCopy(settingsPath()))
                    .readLabelExtension(Filters, u"entry_1"_s, label, extension));
    EXPECT_EQ(label, u"C++"_s);
    EXPECT_EQ(extension, u"*.cpp;*.h"_s);
}

// The user's filters come first, in file order, then the one that lists every file.
TEST_F(RecordsTest, FilterStringListsCompleteEntriesInFileOrderThenAllFiles)
{
    XmlSettingsStore &store =
        storeWith("<FileFilter>"
                  "<entry_2><label>B</label><extension>*.b</extension></entry_2>"
                  "<entry_5><label>NoExt</label></entry_5>"
                  "<entry_3><label></label><extension>*.e</extension></entry_3>"
                  "<entry_1><label>A</label><extension>*.a;*.aa</extension></entry_1>"
                  "</FileFilter>");
    const QString filters = store.buildFilterString();
    const QString userPart = u"B (*.b)|*.b|A (*.a;*.aa)|*.a;*.aa|"_s;
    EXPECT_TRUE(filters.startsWith(userPart)) << filters;
    const QStringList rest = filters.mid(userPart.size()).split(u'|');
    ASSERT_EQ(rest.size(), 4) << filters << ": one more label and pattern, then the final \"||\"";
    EXPECT_TRUE(rest[0].startsWith(u"All Files"_s)) << filters;
    EXPECT_EQ(rest[2] + rest[3], QString());
    EXPECT_TRUE(XmlSettingsStore(settingsPath() + u".none"_s)
                    .buildFilterString()
                    .startsWith(u"All Files"_s))
        << "with no filters of the user's";

    QString label = u"untouched"_s, extension;
    EXPECT_FALSE(store.readLabelExtension(Filters, u"entry_5"_s, label, extension));
    EXPECT_TRUE(store.readLabelExtension(Filters, u"entry_3"_s, label, extension))
        << "both children exist, even though one is empty";
}

TEST_F(RecordsTest, NextFilterEntryNameIsOneAboveTheHighestNumber)
{
    const std::pair<QByteArray, const char *> rows[] = {
        {"", "entry_1"},
        {"<entry_1/>", "entry_2"},
        {"<entry_1/><entry_7/><entry_3/>", "entry_8"},
        {"<entry_2/>", "entry_3"},
        {"<entry_x/><other/>", "entry_1"},
        {"<entry_12b/>", "entry_13"},
    };
    for (const auto &[filters, expected] : rows) {
        EXPECT_EQ(storeWith("<FileFilter>" + filters + "</FileFilter>").nextFilterEntryName(),
                  QString::fromLatin1(expected))
            << filters.constData();
    }
}

TEST_F(RecordsTest, ToolsRoundTripInOrderAndReplaceThePreviousList)
{
    XmlSettingsStore store(settingsPath());
    const QList<ExternalToolRecord> tools{
        {u"Build & run"_s, 8000, u"\"$FilePath\" <in >out"_s, u"/home/u/My Projects"_s,
         u"/usr/bin/make"_s, 2},
        {QString(), 0, u"multi\nline\targs\r\n"_s, QString(), u"x"_s, 1},
        {u"Ünïcödé ]]> name"_s, 8001, QString(), QString(), QString(), 0}};
    ASSERT_TRUE(store.writeTools(Tools, u"Tool"_s, {{u"Old"_s, 1, {}, {}, u"old"_s, 0}}));
    ASSERT_TRUE(store.writeTools(Tools, u"Tool"_s, tools));
    QList<ExternalToolRecord> read;
    EXPECT_EQ(XmlSettingsStore(freshCopy(settingsPath())).readTools(Tools, u"Tool"_s, read), 1);
    EXPECT_EQ(read, tools);
}

TEST_F(RecordsTest, ReadToolsTellsAnEmptyListFromNoListAndFillsMissingAttributes)
{
    QList<ExternalToolRecord> read;
    EXPECT_EQ(XmlSettingsStore(settingsPath()).readTools(Tools, u"Tool"_s, read), 0)
        << "no file: the caller adds its default tools";
    EXPECT_EQ(storeWith("<ExternalTools/>").readTools(Tools, u"Tool"_s, read), 1)
        << "an empty list is a list, not a reason for defaults";
    EXPECT_TRUE(read.isEmpty());

    read = {ExternalToolRecord{u"kept"_s, 0, {}, {}, {}, 0}};
    XmlSettingsStore &store = storeWith("<ExternalTools><Tool cmd=\"ls\">List</Tool><Other/>"
                                        "<Tool icon=\"12x\" type=\"abc\"/></ExternalTools>");
    EXPECT_EQ(store.readTools(Tools, u"Tool"_s, read), 1);
    ASSERT_EQ(read.size(), 3) << "read appends";
    EXPECT_EQ(read[1], (ExternalToolRecord{u"List"_s, 0, {}, {}, u"ls"_s, 0}));
    EXPECT_EQ(read[2], (ExternalToolRecord{QString(), 12, {}, {}, {}, 0}));
}

} // namespace
} // namespace pw
