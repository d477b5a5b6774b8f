// The one list of every settings-file section, key and default, and of every registry name.
#pragma once

#include <QtGlobal>

namespace pw::settings {

// A key of the settings file together with the default a reader passes when it is missing or
// empty. Readers still name the default at the call site: store.getInt(view::TabWidth) is
// shorthand for store.getInt("ViewSettings", "TabWidth", 4).
struct IntSetting
{
    const char *section;
    const char *key;
    int defaultValue;
};

// Colours (0x00BBGGRR) and other unsigned values, written in unsigned decimal.
struct UIntSetting
{
    const char *section;
    const char *key;
    quint32 defaultValue;
};

// defaultValue is UTF-8; an empty default means "the caller substitutes something" (for the two
// folders: the default backup and dictionary folders of the program's folder rules).
struct StringSetting
{
    const char *section;
    const char *key;
    const char *defaultValue;
};

namespace section {
inline constexpr char ViewSettings[] = "ViewSettings";
inline constexpr char PrintSettings[] = "PrintSettings";
inline constexpr char BackupSettings[] = "BackupSettings";
inline constexpr char OutputSettings[] = "OutputSettings";
inline constexpr char EditSettings[] = "EditSettings";
inline constexpr char GenSettings[] = "GenSettings";
inline constexpr char Settings[] = "Settings";
inline constexpr char FindReplace[] = "FindReplace";
inline constexpr char HexFindDialog[] = "HexFindDialog";
inline constexpr char HexGoto[] = "HexGoto";
inline constexpr char ProjectSettings[] = "ProjectSettings";
// One key per project folder; the key names are chosen by the project explorer.
inline constexpr char ProjectDirectory[] = "ProjectDirectory";
inline constexpr char ExternalTools[] = "ExternalTools";
inline constexpr char FileFilter[] = "FileFilter";
inline constexpr char SearchHistory[] = "SearchHistory";
inline constexpr char ReplaceHistory[] = "ReplaceHistory";
inline constexpr char DirectoryHistory[] = "DirectoryHistory";
} // namespace section

// Element name of one tool record inside section::ExternalTools.
inline constexpr char ToolElement[] = "Tool";
// Key name patterns: file filters are "entry_%d" from 1, history entries "value_%d" from 0.
inline constexpr char FilterEntryPrefix[] = "entry_";
inline constexpr char HistoryValuePrefix[] = "value_";
inline constexpr char HistorySelectedKey[] = "Selected";
inline constexpr int HistoryMaxEntries = 50;
inline constexpr char FilterLabelElement[] = "label";
inline constexpr char FilterExtensionElement[] = "extension";

namespace view {
inline constexpr IntSetting WordWrap{section::ViewSettings, "WordWrap", 0};
inline constexpr IntSetting LongLine{section::ViewSettings, "LongLine", 0};
inline constexpr IntSetting LongLinePos{section::ViewSettings, "LongLinePos", 80};
inline constexpr IntSetting Whitespace{section::ViewSettings, "Whitespace", 0};
inline constexpr IntSetting LineEndings{section::ViewSettings, "LineEndings", 0};
inline constexpr IntSetting CaretLine{section::ViewSettings, "CaretLine", 0};
inline constexpr IntSetting LineNumbers{section::ViewSettings, "LineNumbers", 0};
inline constexpr StringSetting FontStyle{section::ViewSettings, "FontStyle", "Courier New"};
inline constexpr IntSetting FontSize{section::ViewSettings, "FontSize", 10};
inline constexpr IntSetting Charset{section::ViewSettings, "Charset", 1};
inline constexpr IntSetting FontBold{section::ViewSettings, "FontBold", 0};
inline constexpr IntSetting FontItalic{section::ViewSettings, "FontItalic", 0};
inline constexpr IntSetting CodeFolding{section::ViewSettings, "CodeFolding", 0};
inline constexpr IntSetting BlockSelect{section::ViewSettings, "BlockSelect", 0};
inline constexpr IntSetting LargeTBIcons{section::ViewSettings, "LargeTBIcons", 1};
inline constexpr IntSetting TabAsSpaces{section::ViewSettings, "TabAsSpaces", 1};
inline constexpr IntSetting TabGuides{section::ViewSettings, "TabGuides", 0};
inline constexpr IntSetting TabWidth{section::ViewSettings, "TabWidth", 4};
inline constexpr IntSetting MatchBracket{section::ViewSettings, "MatchBracket", 1};
inline constexpr UIntSetting BraceBadColour{section::ViewSettings, "BraceBadColour", 255u};
inline constexpr UIntSetting BraceHighlight{section::ViewSettings, "BraceHighlight", 16711680u};
inline constexpr UIntSetting CaretLineColour{section::ViewSettings, "CaretLineColour", 15651521u};
inline constexpr IntSetting CaretLineTransparency{section::ViewSettings, "CaretLineTransparency",
                                                  126};
// 720 "Windows 2000", 721 "Windows XP", 722 "Whidbey", 723 "Office XP", 724 "Office 2003".
inline constexpr IntSetting Theme{section::ViewSettings, "Theme", 721};
inline constexpr IntSetting Rulers{section::ViewSettings, "Rulers", 0};
inline constexpr IntSetting TransparentDialogs{section::ViewSettings, "TransparentDialogs", 1};
inline constexpr IntSetting TransparentPercent{section::ViewSettings, "TransparentPercent", 75};
} // namespace view

namespace print {
inline constexpr IntSetting PrintHeader{section::PrintSettings, "PrintHeader", 0};
inline constexpr IntSetting PrintFooter{section::PrintSettings, "PrintFooter", 0};
inline constexpr IntSetting PrintLineNumbers{section::PrintSettings, "PrintLineNumbers", 0};
inline constexpr IntSetting PrintFormat{section::PrintSettings, "PrintFormat", 0};
// Print margins are not stored: hundredths of a millimetre in metric locales, thousandths of an
// inch otherwise, the same on all four sides.
inline constexpr int MetricMargin = 1500;
inline constexpr int ImperialMargin = 600;
} // namespace print

namespace backup {
inline constexpr IntSetting DeleteOnExit{section::BackupSettings, "DeleteOnExit", 0};
inline constexpr IntSetting Setting{section::BackupSettings, "Setting", 0};
inline constexpr IntSetting Versions{section::BackupSettings, "Versions", 1};
// Empty: the program's default backup folder.
inline constexpr StringSetting BackupFolder{section::BackupSettings, "BackupFolder", ""};
} // namespace backup

namespace output {
inline constexpr IntSetting ReuseWindows{section::OutputSettings, "ReuseWindows", 1};
} // namespace output

namespace edit {
inline constexpr IntSetting ResetUndoOnSave{section::EditSettings, "ResetUndoOnSave", 1};
} // namespace edit

namespace gen {
inline constexpr IntSetting RememberOpenFiles{section::GenSettings, "RememberOpenFiles", 1};
// Empty: the program's default dictionary folder.
inline constexpr StringSetting DictionaryPath{section::GenSettings, "DictionaryPath", ""};
inline constexpr StringSetting Dictionary{section::GenSettings, "Dictionary", "en_US"};
// With several documents open a user must see them: the tab row is on until turned off.
inline constexpr IntSetting MDITabsActive{section::GenSettings, "MDITabsActive", 1};
} // namespace gen

namespace general {
inline constexpr IntSetting FilterIndex{section::Settings, "FilterIndex", 0};
// The extension of the filter last chosen in the file dialog, without "(", ")" and ".".
inline constexpr StringSetting DefExt{section::Settings, "DefExt", "txt"};
inline constexpr IntSetting DefFInFExt{section::Settings, "DefFInFExt", -2};
inline constexpr StringSetting CompareFirstFile{section::Settings, "CompareFirstFile", ""};
inline constexpr StringSetting CompareSecondFile{section::Settings, "CompareSecondFile", ""};
// Empty addresses: the program's own help page answers (it ships with the program; there is no
// web service behind it).
inline constexpr StringSetting CheckForUpdates{section::Settings, "CheckForUpdates", ""};
inline constexpr StringSetting OtherProducts{section::Settings, "OtherProducts", ""};
} // namespace general

namespace findReplace {
inline constexpr IntSetting MatchCase{section::FindReplace, "MatchCase", 0};
inline constexpr IntSetting MatchWord{section::FindReplace, "MatchWord", 0};
inline constexpr IntSetting RegExp{section::FindReplace, "RegExp", 0};
inline constexpr IntSetting SearchUp{section::FindReplace, "SearchUp", 0};
inline constexpr IntSetting WrapAround{section::FindReplace, "WrapAround", 1};
inline constexpr IntSetting Selection{section::FindReplace, "Selection", 0};
inline constexpr IntSetting SubFolders{section::FindReplace, "SubFolders", 0};
inline constexpr StringSetting LastSelectedValue{section::FindReplace, "LastSelectedValue", ""};
} // namespace findReplace

namespace hexFind {
inline constexpr IntSetting SearchAscii{section::HexFindDialog, "SearchAscii", 0};
inline constexpr IntSetting MatchCase{section::HexFindDialog, "MatchCase", 0};
inline constexpr IntSetting SearchUp{section::HexFindDialog, "SearchUp", 0};
} // namespace hexFind

namespace hexGoto {
inline constexpr IntSetting Hex{section::HexGoto, "Hex", 0};
} // namespace hexGoto

namespace project {
inline constexpr StringSetting Directory{section::ProjectSettings, "Directory", ""};
} // namespace project

// Names under the per-user application key (QSettings("Brightmoor", "Penwright")).
namespace registry {
inline constexpr char Organization[] = "Brightmoor";
inline constexpr char Application[] = "Penwright";
// Directly under the application key.
inline constexpr char PenwrightPath[] = "PenwrightPath";
inline constexpr char FilesToOpen[] = "FilesToOpen";
inline constexpr char SettingsGroup[] = "Settings";
inline constexpr char WindowPosition[] = "Window Position";
inline constexpr char AppPath[] = "AppPath";
// Value name of a resizable dialog's record, under the dialog's placement name.
inline constexpr char WindowPlacementValue[] = "WindowPlacement";
inline constexpr char FindDialog[] = "FindDialog";
inline constexpr char ReplaceDialog[] = "ReplaceDialog";
inline constexpr char FindInFilesDialog[] = "FindInFilesDialog";
inline constexpr char HexFindDialog[] = "HexFindDialog";
inline constexpr char CompareDialog[] = "CompareDialog";
inline constexpr char MacroDialog[] = "MacroDialog";
inline constexpr char NewMacroDialog[] = "NewMacroDialog";
inline constexpr char BackupSettingsGroup[] = "BackupSettings";
inline constexpr char NextFolderId[] = "NextFolderId";
inline constexpr char BackupFolders[] = "BackupFolders";
inline constexpr char CommandBars[] = "CommandBars";
// The toolbar layout blob is the one value of its key; this is its name.
inline constexpr char CommandBarsLayout[] = "Layout";
// The recent-file list keeps the names the application framework has always used.
inline constexpr char RecentFileList[] = "Recent File List";
inline constexpr char RecentFileEntryPrefix[] = "File"; // "File1" .. "File4"
inline constexpr int RecentFileCount = 4;
} // namespace registry

} // namespace pw::settings
