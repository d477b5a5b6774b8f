// History lists, file filters and external tools in the settings file.
#include "settings/xmlsettingsstore.h"
#include "tests/settings/settingstestutil.h"

namespace pw {
namespace {

using test::freshCopy;
using test::readAll;
using test::settingsXml;
using test::writeAll;

const QString History = QStringLiteral("SearchHistory");

class RecordsTest : public test::SettingsFileTest
{
};

struct LoadHistoryCase
{
    const char *name;
    QByteArray section; // children of SearchHistory; null for no section
    QStringList entries;
    int selected;
    friend void PrintTo(const LoadHistoryCase &c, std::ostream *out) { *out << c.name; }
};

class LoadHistoryRule : public test::SettingsFileTest,
                        public ::testing::WithParamInterface<LoadHistoryCase>
{
};

TEST_P(LoadHistoryRule, SelectsAsStored)
{
    if (!GetParam().section.isNull())
        writeAll(settingsPath(),
                 settingsXml("<SearchHistory>" + GetParam().section + "</SearchHistory>\n"));
    const HistoryList h = XmlSettingsStore(settingsPath()).loadHistory(History);
    EXPECT_EQ(h.entries, GetParam().entries);
    EXPECT_EQ(h.selected, GetParam().selected);
}

const QStringList AB{QStringLiteral("a"), QStringLiteral("b")};

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadHistoryRule,
    ::testing::Values(
        LoadHistoryCase{"selected_one_picks_second",
                        "<value_0>a</value_0><value_1>b</value_1><Selected>1</Selected>", AB, 1},
        LoadHistoryCase{"selected_minus_one_picks_first",
                        "<value_0>a</value_0><value_1>b</value_1><Selected>-1</Selected>", AB, 0},
        LoadHistoryCase{"selected_missing_means_zero", "<value_0>a</value_0><value_1>b</value_1>",
                        AB, 0},
        LoadHistoryCase{"selected_empty_means_zero",
                        "<value_0>a</value_0><value_1>b</value_1><Selected/>", AB, 0},
        LoadHistoryCase{"selected_past_the_end_selects_nothing",
                        "<value_0>a</value_0><value_1>b</value_1><Selected>2</Selected>", AB, -1},
        LoadHistoryCase{"other_negative_selects_nothing",
                        "<value_0>a</value_0><value_1>b</value_1><Selected>-3</Selected>", AB, -1},
        LoadHistoryCase{"minus_one_with_no_entries", "<Selected>-1</Selected>", {}, -1},
        LoadHistoryCase{"empty_values_are_skipped",
                        "<value_0>a</value_0><value_1></value_1><value_2>b</value_2>"
                        "<Selected>1</Selected>",
                        AB, 1},
        // Only value_0 .. value_(key count - 1) are looked at: three keys, so value_5 is not.
        LoadHistoryCase{"numbers_beyond_the_key_count_are_ignored",
                        "<value_0>a</value_0><value_5>z</value_5><Selected>0</Selected>",
                        {QStringLiteral("a")},
                        0},
        LoadHistoryCase{"gap_within_the_key_count",
                        "<value_0>a</value_0><value_2>b</value_2><Selected>0</Selected>", AB, 0},
        LoadHistoryCase{"empty_section", "", {}, -1},
        LoadHistoryCase{"no_section", QByteArray(), {}, -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecordsTest, SaveHistoryWritesAtMostFiftyEntriesThenSelected)
{
    QStringList entries;
    for (int i = 0; i < 60; ++i)
        entries << QStringLiteral("text %1").arg(i);
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.saveHistory(History, entries, 7));

    QStringList names;
    EXPECT_EQ(store.enumerateKeys(History, names), 51);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(names[i], QStringLiteral("value_%1").arg(i));
    EXPECT_EQ(names.last(), QStringLiteral("Selected"));
    const HistoryList loaded = XmlSettingsStore(freshCopy(settingsPath())).loadHistory(History);
    EXPECT_EQ(loaded.entries, entries.mid(0, 50));
    EXPECT_EQ(loaded.selected, 7);
}

TEST_F(RecordsTest, SaveHistorySkipsEmptyEntriesAndKeepsStaleValues)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.saveHistory(
        History, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, 0));
    ASSERT_TRUE(store.saveHistory(History, {QStringLiteral("new"), QString()}, -1));
    EXPECT_EQ(store.readString(History, QStringLiteral("value_0")), QStringLiteral("new"));
    EXPECT_EQ(store.readString(History, QStringLiteral("value_1")), QStringLiteral("b"))
        << "an empty entry is not written, so the earlier value stays";
    EXPECT_EQ(store.readString(History, QStringLiteral("value_2")), QStringLiteral("c"));
    EXPECT_EQ(store.getInt(History, QStringLiteral("Selected"), 99), -1);
}

TEST_F(RecordsTest, HistoryEntriesRoundTripWithAwkwardText)
{
    const QStringList entries{QStringLiteral("a]]>b"), QStringLiteral("  spaced  "),
                              QStringLiteral("<tag attr=\"1\">"), QStringLiteral("Ünïcödé"),
                              QStringLiteral("x\ry")};
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.saveHistory(History, entries, 4));
    const HistoryList loaded = XmlSettingsStore(freshCopy(settingsPath())).loadHistory(History);
    EXPECT_EQ(loaded.entries, entries);
    EXPECT_EQ(loaded.selected, 4);
}

TEST_F(RecordsTest, FilterStringForOneEntry)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_1"),
                                          QStringLiteral("Text files"),
                                          QStringLiteral("*.txt;*.log")));
    EXPECT_EQ(XmlSettingsStore(freshCopy(settingsPath())).buildFilterString(),
              QStringLiteral("Text files (*.txt;*.log)|*.txt;*.log|All Files (*.*)|*.*||"));
}

TEST_F(RecordsTest, FilterEntryLayoutOnDisk)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_1"),
                                          QStringLiteral("C++"), QStringLiteral("*.cpp;*.h")));
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
                    .readLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_1"),
                                        label, extension));
    EXPECT_EQ(label, QStringLiteral("C++"));
    EXPECT_EQ(extension, QStringLiteral("*.cpp;*.h"));
}

TEST_F(RecordsTest, FilterStringSkipsIncompleteEntriesAndKeepsFileOrder)
{
    writeAll(settingsPath(),
             settingsXml("<FileFilter>"
                         "<entry_2><label>B</label><extension>*.b</extension></entry_2>"
                         "<entry_5><label>NoExt</label></entry_5>"
                         "<entry_3><label></label><extension>*.e</extension></entry_3>"
                         "<entry_1><label>A</label><extension>*.a</extension></entry_1>"
                         "</FileFilter>\n"));
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.buildFilterString(),
              QStringLiteral("B (*.b)|*.b|A (*.a)|*.a|All Files (*.*)|*.*||"));
    QString label = QStringLiteral("untouched"), extension;
    EXPECT_FALSE(store.readLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_5"),
                                          label, extension));
    EXPECT_TRUE(store.readLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_3"),
                                         label, extension))
        << "both children exist, even though one is empty";
}

TEST_F(RecordsTest, FilterStringWithoutFiltersIsAllFiles)
{
    EXPECT_EQ(XmlSettingsStore(settingsPath()).buildFilterString(),
              QStringLiteral("All Files (*.*)|*.*||"));
}

struct EntryNameCase
{
    const char *name;
    QByteArray filters;
    const char *expected;
    friend void PrintTo(const EntryNameCase &c, std::ostream *out) { *out << c.name; }
};

class NextFilterEntryName : public test::SettingsFileTest,
                            public ::testing::WithParamInterface<EntryNameCase>
{
};

TEST_P(NextFilterEntryName, IsOneAboveTheHighestNumber)
{
    writeAll(settingsPath(), settingsXml("<FileFilter>" + GetParam().filters + "</FileFilter>\n"));
    EXPECT_EQ(XmlSettingsStore(settingsPath()).nextFilterEntryName(),
              QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NextFilterEntryName,
    ::testing::Values(EntryNameCase{"none", "", "entry_1"},
                      EntryNameCase{"one", "<entry_1/>", "entry_2"},
                      EntryNameCase{"gap_uses_highest", "<entry_1/><entry_7/><entry_3/>",
                                    "entry_8"},
                      EntryNameCase{"deleted_first", "<entry_2/>", "entry_3"},
                      EntryNameCase{"names_without_number", "<entry_x/><other/>", "entry_1"},
                      EntryNameCase{"digits_then_letters", "<entry_12b/>", "entry_13"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecordsTest, NewFilterEntryNameIsFreeAfterWriting)
{
    XmlSettingsStore store(settingsPath());
    for (int i = 0; i < 3; ++i) {
        const QString name = store.nextFilterEntryName();
        ASSERT_TRUE(store.writeLabelExtension(QStringLiteral("FileFilter"), name,
                                              QStringLiteral("L%1").arg(i), QStringLiteral("*.x")));
    }
    QStringList names;
    store.enumerateKeys(QStringLiteral("FileFilter"), names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("entry_1"), QStringLiteral("entry_2"),
                                  QStringLiteral("entry_3")}));
}

TEST_F(RecordsTest, ToolsLayoutOnDisk)
{
    XmlSettingsStore store(settingsPath());
    const ExternalToolRecord tool{
        QStringLiteral("Make"), 8000, QStringLiteral("-C \"$FileDir\""), QStringLiteral("$AppDir"),
        QStringLiteral("make"), 1};
    ASSERT_TRUE(store.writeTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), {tool}));
    EXPECT_TRUE(readAll(settingsPath())
                    .contains("    <ExternalTools>\n"
                              "        <Tool icon=\"8000\" args=\"-C &quot;$FileDir&quot;\" "
                              "dir=\"$AppDir\" cmd=\"make\" type=\"1\"><![CDATA[Make]]></Tool>\n"
                              "    </ExternalTools>\n"))
        << readAll(settingsPath()).constData();
}

TEST_F(RecordsTest, ToolsRoundTripInOrderAndReplaceThePreviousList)
{
    XmlSettingsStore store(settingsPath());
    const QList<ExternalToolRecord> first{
        {QStringLiteral("Old"), 1, QString(), QString(), QStringLiteral("old"), 0}};
    const QList<ExternalToolRecord> tools{
        {QStringLiteral("Build & run"), 8000, QStringLiteral("\"$FilePath\" <in >out"),
         QStringLiteral("/home/u/My Projects"), QStringLiteral("/usr/bin/make"), 2},
        {QString(), 0, QStringLiteral("multi\nline\targs\r\n"), QString(), QStringLiteral("x"), 1},
        {QStringLiteral("Ünïcödé ]]> name"), 8001, QString(), QString(), QString(), 0}};
    ASSERT_TRUE(store.writeTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), first));
    ASSERT_TRUE(store.writeTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), tools));
    QList<ExternalToolRecord> read;
    EXPECT_EQ(XmlSettingsStore(freshCopy(settingsPath()))
                  .readTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), read),
              1);
    EXPECT_EQ(read, tools);
}

TEST_F(RecordsTest, ReadToolsReportsWhetherTheSectionExists)
{
    XmlSettingsStore store(settingsPath());
    QList<ExternalToolRecord> read;
    EXPECT_EQ(store.readTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), read), 0)
        << "no file: the caller adds its default tools";
    ASSERT_TRUE(store.writeTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), {}));
    EXPECT_EQ(store.readTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), read), 1)
        << "an empty list is a list, not a reason for defaults";
    EXPECT_TRUE(read.isEmpty());
}

TEST_F(RecordsTest, ReadToolsFillsMissingAttributesAndAppends)
{
    writeAll(settingsPath(), settingsXml("<ExternalTools><Tool cmd=\"ls\">List</Tool><Other/>"
                                         "<Tool icon=\"12x\" type=\"abc\"/></ExternalTools>\n"));
    ExternalToolRecord kept;
    kept.name = QStringLiteral("kept");
    QList<ExternalToolRecord> read{kept};
    EXPECT_EQ(XmlSettingsStore(settingsPath())
                  .readTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), read),
              1);
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[0].name, QStringLiteral("kept"));
    EXPECT_EQ(read[1], (ExternalToolRecord{QStringLiteral("List"), 0, QString(), QString(),
                                           QStringLiteral("ls"), 0}));
    EXPECT_EQ(read[2], (ExternalToolRecord{QString(), 12, QString(), QString(), QString(), 0}));
}

} // namespace
} // namespace pw
