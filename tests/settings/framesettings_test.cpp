// The main window's copy of its settings: the two load steps, folder defaults, margins and save.
#include "settings/framesettings.h"
#include "settings/xmlsettingsstore.h"
#include "tests/settings/settingstestutil.h"

namespace pw {
namespace {

using namespace Qt::StringLiterals;

const QString BackupDefault = u"/data/Brightmoor/Penwright/Backup"_s;
const QString DictionaryDefault = u"/data/Brightmoor/Penwright/Aspell"_s;

using FrameSettingsTest = test::SettingsFileTest;

// Every field different from its default, so a field that is not saved or loaded shows.
FrameSettings changedSettings()
{
    FrameSettings f;
    f.wordWrap = true;
    f.longLine = true;
    f.longLinePos = 120;
    f.whitespace = true;
    f.lineEndings = true;
    f.caretLine = true;
    f.lineNumbers = true;
    f.fontStyle = u"DejaVu Sans Mono"_s;
    f.fontSize = 13;
    f.charset = 0;
    f.fontBold = true;
    f.fontItalic = true;
    f.codeFolding = true;
    f.blockSelect = true;
    f.largeTBIcons = false;
    f.tabAsSpaces = false;
    f.tabGuides = true;
    f.tabWidth = 8;
    f.matchBracket = false;
    f.braceBadColour = 0x000000FE;
    f.braceHighlight = 0x00FE0000;
    f.caretLineColour = 0x00ABCDEF;
    f.caretLineTransparency = 200;
    f.theme = 724;
    f.rulers = true;
    f.transparentDialogs = false;
    f.transparentPercent = 40;
    f.printHeader = true;
    f.printFooter = true;
    f.printLineNumbers = true;
    f.printFormat = 2;
    f.deleteOnExit = true;
    f.backupSetting = 2;
    f.versions = 9;
    f.backupFolder = u"/home/u/backups"_s;
    f.reuseWindows = false;
    f.resetUndoOnSave = false;
    f.rememberOpenFiles = false;
    f.dictionaryPath = u"/usr/share/dict aspell"_s;
    f.dictionary = u"de_DE"_s;
    f.mdiTabsActive = true;
    return f;
}

TEST_F(FrameSettingsTest, LoadingFromNoFileGivesDefaultsAndTheDefaultFolders)
{
    XmlSettingsStore store(settingsPath());
    FrameSettings loaded = changedSettings();
    loaded.loadView(store);
    loaded.loadRest(store, BackupDefault, DictionaryDefault, true);
    FrameSettings expected;
    expected.backupFolder = BackupDefault;
    expected.dictionaryPath = DictionaryDefault;
    EXPECT_EQ(loaded, expected);
}

TEST_F(FrameSettingsTest, SaveThenLoadGivesEveryFieldBack)
{
    XmlSettingsStore store(settingsPath());
    const FrameSettings saved = changedSettings();
    ASSERT_TRUE(saved.save(store));

    // Colours are stored as unsigned decimal numbers, switches as 0 and 1.
    EXPECT_EQ(store.readString(u"ViewSettings"_s, u"BraceHighlight"_s), u"16646144"_s);
    EXPECT_EQ(store.readString(u"ViewSettings"_s, u"LargeTBIcons"_s), u"0"_s);

    XmlSettingsStore reader(test::freshCopy(settingsPath()));
    FrameSettings loaded;
    loaded.loadView(reader);
    loaded.loadRest(reader, BackupDefault, DictionaryDefault, true);
    EXPECT_EQ(loaded, saved);
}

TEST_F(FrameSettingsTest, LoadViewReadsOnlyTheViewSectionAndTheTabMode)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(changedSettings().save(store));
    FrameSettings f;
    f.loadView(store);
    EXPECT_EQ(f.tabWidth, 8);
    EXPECT_EQ(f.fontStyle, u"DejaVu Sans Mono"_s);
    EXPECT_TRUE(f.mdiTabsActive);
    const FrameSettings defaults;
    EXPECT_EQ(f.printHeader, defaults.printHeader) << "the other sections come with the later load";
    EXPECT_EQ(f.versions, defaults.versions);
    EXPECT_EQ(f.rememberOpenFiles, defaults.rememberOpenFiles);
    EXPECT_EQ(f.dictionary, defaults.dictionary);
}

TEST_F(FrameSettingsTest, EmptyFoldersBecomeTheDefaultFoldersAndAreSavedAsSuch)
{
    XmlSettingsStore store(settingsPath());
    store.writeString(u"BackupSettings"_s, u"BackupFolder"_s, QString());
    FrameSettings f;
    f.loadRest(store, BackupDefault, DictionaryDefault, true);
    EXPECT_EQ(f.backupFolder, BackupDefault);
    EXPECT_EQ(f.dictionaryPath, DictionaryDefault);
    ASSERT_TRUE(f.save(store));
    EXPECT_EQ(store.readString(u"BackupSettings"_s, u"BackupFolder"_s), BackupDefault);
    EXPECT_EQ(store.readString(u"GenSettings"_s, u"DictionaryPath"_s), DictionaryDefault);
}

TEST_F(FrameSettingsTest, PrintMarginsFollowTheMeasurementSystem)
{
    XmlSettingsStore store(settingsPath());
    FrameSettings f;
    f.loadRest(store, BackupDefault, DictionaryDefault, true);
    EXPECT_EQ(f.printMargin, 1500);
    EXPECT_TRUE(f.printMarginMetric);
    f.loadRest(store, BackupDefault, DictionaryDefault, false);
    EXPECT_EQ(f.printMargin, 600);
    EXPECT_FALSE(f.printMarginMetric);
    ASSERT_TRUE(f.save(store));
    QStringList names;
    store.enumerateKeys(u"PrintSettings"_s, names);
    EXPECT_FALSE(names.join(u',').contains(u"Margin"_s)) << "margins are not stored";
}

TEST_F(FrameSettingsTest, SwitchesReadAnyNonZeroNumberAsOn)
{
    XmlSettingsStore store(settingsPath());
    store.writeString(u"ViewSettings"_s, u"WordWrap"_s, u"2"_s);
    store.writeString(u"ViewSettings"_s, u"TabAsSpaces"_s, u"no"_s);
    FrameSettings f;
    f.loadView(store);
    EXPECT_TRUE(f.wordWrap);
    EXPECT_FALSE(f.tabAsSpaces) << "text without digits reads as 0";
}

} // namespace
} // namespace pw
