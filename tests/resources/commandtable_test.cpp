// The command table: unique ids, well-formed texts and accelerators, the texts and keys that
// matter.
#include "resources/commandids.h"
#include "resources/resources.h"
#include "textchecks.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace pw::test {
namespace {

using res::CommandInfo;

TEST(CommandTable, IdsAreUniqueAndLookupFindsEachCommand)
{
    std::set<int> seen;
    for (const CommandInfo &c : res::commands()) {
        EXPECT_GT(c.id, 0);
        EXPECT_TRUE(seen.insert(c.id).second) << "command id listed twice: " << c.id;
        EXPECT_EQ(res::findCommand(c.id), &c) << c.id;
    }
    EXPECT_GT(seen.size(), 150u);
}

TEST(CommandTable, UnknownIdsAreNotFound)
{
    EXPECT_EQ(res::findCommand(0), nullptr);
    EXPECT_EQ(res::findCommand(-1), nullptr);
    EXPECT_EQ(res::findCommand(12345), nullptr);
}

TEST(CommandTable, TextsTipsAndShortcutsAreWellFormed)
{
    for (const CommandInfo &c : res::commands()) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(c.text, nullptr);
        ASSERT_NE(c.shortcut, nullptr);
        ASSERT_NE(c.tip, nullptr);
        const Markup m = parseMarkup(c.text);
        EXPECT_TRUE(m.valid) << c.text;
        EXPECT_FALSE(m.plain.empty());
        EXPECT_NE(std::string(c.tip), "");
        if (*c.shortcut != '\0') {
            const auto s = parseShortcut(c.shortcut);
            ASSERT_TRUE(s.has_value()) << c.shortcut;
            EXPECT_TRUE(s->canonical) << c.shortcut << ": write modifiers as Ctrl+Alt+Shift+Meta";
        }
    }
}

// The language entries are numbered from the placeholder on, so nothing else may sit in that range.
TEST(CommandTable, LanguageEntryRangeHoldsOnlyThePlaceholder)
{
    for (const CommandInfo &c : res::commands()) {
        if (c.id > Cmd::ColorDocumentAs && c.id <= Cmd::ColorDocumentAsLast) {
            ADD_FAILURE() << "command " << c.id << " lies in the language entries' range";
        }
    }
    EXPECT_EQ(Cmd::ColorDocumentAsLast - Cmd::ColorDocumentAs + 1, 26);
    EXPECT_EQ(Cmd::ColorDocumentAsMore, Cmd::ColorDocumentAsLast + 1);
}

TEST(CommandTable, NoTwoCommandsShareAnAccelerator)
{
    std::map<std::pair<int, std::string>, int> owner;
    for (const CommandInfo &c : res::commands()) {
        const auto s = parseShortcut(c.shortcut);
        if (!s)
            continue;
        const auto [it, fresh] = owner.emplace(std::pair(s->modifiers, s->key), c.id);
        EXPECT_TRUE(fresh) << c.shortcut << " is bound to both " << it->second << " and " << c.id;
    }
    EXPECT_GT(owner.size(), 40u);
}

// A plain key that types or moves the caret must stay with the editor.
TEST(CommandTable, AcceleratorsLeaveTypingKeysToTheEditor)
{
    for (const CommandInfo &c : res::commands()) {
        const auto s = parseShortcut(c.shortcut);
        if (!s)
            continue;
        const bool chord = (s->modifiers & (Ctrl | Alt | Meta)) != 0;
        EXPECT_TRUE(chord || !isEditingKey(s->key)) << c.id << " takes " << c.shortcut;
    }
}

// Alt with a letter opens the menu bar's menu of that mnemonic; an accelerator there hides it.
TEST(CommandTable, AltLetterAcceleratorsDoNotHideMenuMnemonics)
{
    std::set<char> mnemonics;
    for (const res::MenuResource &menu : res::menus()) {
        for (const res::MenuEntry &e : menu.entries) {
            if (e.depth == 0 && e.kind == res::MenuEntry::Popup)
                mnemonics.insert(parseMarkup(e.text).mnemonic);
        }
    }
    for (const CommandInfo &c : res::commands()) {
        const auto s = parseShortcut(c.shortcut);
        if (s && s->modifiers == Alt && s->key.size() == 1) {
            EXPECT_EQ(mnemonics.count(s->key[0]), 0u) << c.shortcut << " of command " << c.id;
        }
    }
}

TEST(CommandTable, NamedAcceleratorsAreBoundToTheirCommands)
{
    const std::pair<int, const char *> rows[] = {
        {Cmd::EditFind, "Ctrl+F"},
        {Cmd::FindNext, "F3"},
        {Cmd::FindPrevious, "Shift+F3"},
        {Cmd::EditReplace, "Ctrl+H"},
        {Cmd::GotoLine, "Ctrl+G"},
        {Cmd::FindInFiles, "Ctrl+Shift+F"},
        {Cmd::RefreshFunctionList, "F9"},
        {Cmd::MacroRun, "Alt+F8"},
        {Cmd::MacroRecord, "Ctrl+Shift+R"},
        {Cmd::PreviewInBrowser, "Ctrl+Shift+P"},
        {Cmd::SpellChecker, "F7"},
        {Cmd::FileClose, "Ctrl+F4"},
        {Cmd::FileNew, "Ctrl+N"},
        {Cmd::FileOpen, "Ctrl+O"},
        {Cmd::FileSave, "Ctrl+S"},
        {Cmd::EditUndo, "Ctrl+Z"},
        {Cmd::EditRedo, "Ctrl+Y"},
        {Cmd::EditCut, "Ctrl+X"},
        {Cmd::EditCopy, "Ctrl+C"},
        {Cmd::EditPaste, "Ctrl+V"},
        {Cmd::EditSelectAll, "Ctrl+A"},
        {Cmd::ToggleBookmark, "Ctrl+F2"},
        {Cmd::NextBookmark, "F2"},
        {Cmd::PreviousBookmark, "Shift+F2"},
        {Cmd::EditCutLine, "Ctrl+L"},
        {Cmd::SwapLines, "Ctrl+T"},
        {Cmd::LowerCase, "Ctrl+U"},
        {Cmd::UpperCase, "Ctrl+Shift+U"},
        {Cmd::CommentLines, "Ctrl+Q"},
        {Cmd::NavigateBackward, "Alt+Left"},
        {Cmd::NavigateForward, "Alt+Right"},
    };
    for (const auto &[id, shortcut] : rows) {
        const CommandInfo *c = res::findCommand(id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_STREQ(c->shortcut, shortcut) << id;
    }
}

// Menu texts the program shows exactly as written, markup included.
TEST(CommandTable, ExactMenuTexts)
{
    const std::pair<int, const char *> rows[] = {
        {Cmd::FileNew, "&New File"},
        {Cmd::FileOpen, "&Open..."},
        {Cmd::FileOpenHex, "Open as &Hex..."},
        {Cmd::FileSaveAll, "Save A&ll"},
        {Cmd::CompareFiles, "Compare Files..."},
        {Cmd::AppAbout, "&About Penwright..."},
        {Cmd::FilePrint, "&Print..."},
        {Cmd::FilePrintPreview, "Print Pre&view"},
        {Cmd::FileSendMail, "Email Active Document"},
        {Cmd::EncodingAnsi, "Windows (ANSI)"},
        {Cmd::EncodingUnicodeBigEndian, "Unicode (Big-Endian)"},
        {Cmd::LineEndingWindows, "Windows (CR+LF)"},
        {Cmd::LineEndingMac, "Mac (CR)"},
        {Cmd::LineEndingUnix, "UNIX (LF)"},
        {Cmd::ReloadDocument, "Reload Active Document"},
        {Cmd::CompareWithActive, "Compare with the Active Document"},
        {Cmd::CompareWithSaved, "Compare with the Saved Document"},
        {Cmd::CompareActiveWithSaved, "Compare Active With Saved Document"},
        {Cmd::EditDeleteToLineEnd, "Delete to End of Line"},
        {Cmd::SetReadOnly, "Set ReadOnly"},
        {Cmd::UnCommentLines, "UnComment"},
        {Cmd::CopyFilePath, "Copy Filepath to Clipboard"},
        {Cmd::PaneDocumentSelector, "O&pen Files"},
        {Cmd::PaneFunctionList, "Code Function List"},
        {Cmd::PaneToolWindow, "&Output Window"},
        {Cmd::PaneFindInFiles, "F&ind In Files"},
        {Cmd::ShowAllPanes, "&Show All Windows"},
        {Cmd::ToggleTabs, "Hide Tabs"},
        {Cmd::CloseAllButActive, "Close All But Active Document..."},
        {Cmd::ViewWhitespace, "Wh&itespace"},
        {Cmd::ViewCodeFolding, "C&ode Folding"},
        {Cmd::ViewLongLineMarker, "L&ong Line Marker"},
        {Cmd::StopUserTool, "&Stop User Tool"},
        {Cmd::Customize, "&Customize..."},
        {Cmd::CustomizeAlt, "&Customize..."},
        {Cmd::CheckForUpdates, "C&heck for Updates"},
        {Cmd::EditFind, "Find..."},
        {Cmd::GotoLine, "Goto..."},
        {Cmd::ColorDocumentAs, "Coloring Not Available"},
        {Cmd::ColorDocumentAsMore, "More ..."},
        {Cmd::MacroRecord, "Record New Macro..."},
        {Cmd::XmlWellFormedCheck, "XML Well Formed Check"},
        {Cmd::ToolsPlaceholder, "Tools"},
        {Cmd::ProjectAddExistingFile, "Add Existing File To Project"},
    };
    for (const auto &[id, text] : rows) {
        const CommandInfo *c = res::findCommand(id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_STREQ(c->text, text) << id;
    }
}

// "&" marks a mnemonic, so an ampersand that is shown must be doubled in the table.
TEST(CommandTable, AmpersandsInShownTextsAreDoubled)
{
    EXPECT_EQ(parseMarkup(res::findCommand(Cmd::HtmlCleanRepair)->text).plain,
              "HTML Clean & Repair");
    EXPECT_EQ(parseMarkup(res::findCommand(Cmd::XhtmlCleanRepair)->text).plain,
              "XHTML Clean & Repair");
}

TEST(CommandTable, StopUserToolCarriesItsStatusTextAndTooltip)
{
    EXPECT_STREQ(res::findCommand(Cmd::StopUserTool)->tip, "Stop a tool from running\nStop Tool");
}

} // namespace
} // namespace pw::test
