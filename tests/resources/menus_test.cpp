// The menu resources: well-formed trees, known commands, and the entries the program must show.
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/resources.h"
#include "textchecks.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace pw::test {
namespace {

using res::MenuEntry;

constexpr int kMenuBars[] = {MenuId::MainFrame, MenuId::TextDocument, MenuId::HexDocument,
                             MenuId::CompareDocument, MenuId::WebPreviewDocument};
constexpr int kContextMenus[] = {MenuId::HexContext,         MenuId::EditorContext,
                                 MenuId::DocumentTabContext, MenuId::CompareContext,
                                 MenuId::ProjectTreeContext, MenuId::FileExplorerContext};

std::span<const MenuEntry> entriesOf(int menuId)
{
    const res::MenuResource *menu = res::findMenu(menuId);
    return menu ? menu->entries : std::span<const MenuEntry>();
}

std::string shownText(const MenuEntry &e)
{
    if (e.kind == MenuEntry::Separator)
        return "-";
    if (e.kind == MenuEntry::Popup)
        return parseMarkup(e.text).plain + " >";
    const char *text = e.text;
    if (!text) {
        const res::CommandInfo *c = res::findCommand(e.id);
        text = c ? c->text : "?";
    }
    return parseMarkup(text).plain;
}

// The shown texts of the direct children of the pop-up at `index`.
std::vector<std::string> childTexts(std::span<const MenuEntry> entries, std::size_t index)
{
    std::vector<std::string> out;
    if (index >= entries.size())
        return out;
    const int depth = entries[index].depth + 1;
    for (std::size_t i = index + 1; i < entries.size() && entries[i].depth >= depth; ++i) {
        if (entries[i].depth == depth)
            out.push_back(shownText(entries[i]));
    }
    return out;
}

// Index of the first pop-up whose shown title is `title`, searched from `from`.
std::size_t findPopup(std::span<const MenuEntry> entries, const std::string &title,
                      std::size_t from = 0)
{
    for (std::size_t i = from; i < entries.size(); ++i) {
        if (entries[i].kind == MenuEntry::Popup && parseMarkup(entries[i].text).plain == title)
            return i;
    }
    return entries.size();
}

TEST(Menus, IdsAreUniqueAndLookupFindsEachMenu)
{
    std::set<int> seen;
    for (const res::MenuResource &m : res::menus()) {
        EXPECT_TRUE(seen.insert(m.id).second) << "menu listed twice: " << m.id;
        EXPECT_EQ(res::findMenu(m.id), &m);
    }
    for (int id : kMenuBars)
        EXPECT_TRUE(seen.count(id)) << "missing menu bar " << id;
    for (int id : kContextMenus)
        EXPECT_TRUE(seen.count(id)) << "missing context menu " << id;
    EXPECT_EQ(res::findMenu(0), nullptr);
    EXPECT_EQ(res::findMenu(999), nullptr);
}

TEST(Menus, TreesAreWellFormed)
{
    for (const res::MenuResource &menu : res::menus()) {
        SCOPED_TRACE(menu.id);
        const auto entries = menu.entries;
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front().depth, 0);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            SCOPED_TRACE(i);
            const MenuEntry &e = entries[i];
            const MenuEntry *next = i + 1 < entries.size() ? &entries[i + 1] : nullptr;
            const MenuEntry *prev = i > 0 ? &entries[i - 1] : nullptr;
            EXPECT_GE(e.depth, 0);
            if (next) { // a child is exactly one deeper than the pop-up that opens it
                EXPECT_LE(next->depth, e.depth + (e.kind == MenuEntry::Popup ? 1 : 0));
            }
            switch (e.kind) {
            case MenuEntry::Popup:
                EXPECT_EQ(e.id, 0);
                ASSERT_NE(e.text, nullptr);
                EXPECT_TRUE(parseMarkup(e.text).valid) << e.text;
                EXPECT_FALSE(parseMarkup(e.text).plain.empty());
                EXPECT_TRUE(next && next->depth == e.depth + 1) << "empty pop-up " << e.text;
                break;
            case MenuEntry::Separator:
                EXPECT_EQ(e.id, 0);
                EXPECT_EQ(e.text, nullptr);
                EXPECT_TRUE(prev && prev->depth >= e.depth) << "separator opens a pop-up";
                EXPECT_TRUE(next && next->depth == e.depth) << "separator closes a pop-up";
                EXPECT_TRUE(!next || next->kind != MenuEntry::Separator) << "double separator";
                break;
            case MenuEntry::Command:
                EXPECT_GT(e.depth, 0) << "a command outside any pop-up";
                EXPECT_NE(res::findCommand(e.id), nullptr) << "unknown command " << e.id;
                if (e.text) {
                    EXPECT_TRUE(parseMarkup(e.text).valid) << e.text;
                }
                break;
            }
        }
    }
}

// An override exists only where the menu shows another text than the command table.
TEST(Menus, TextOverridesDifferFromTheCommandTable)
{
    for (const res::MenuResource &menu : res::menus()) {
        for (const MenuEntry &e : menu.entries) {
            if (e.kind != MenuEntry::Command || !e.text)
                continue;
            const res::CommandInfo *c = res::findCommand(e.id);
            ASSERT_NE(c, nullptr);
            EXPECT_NE(parseMarkup(e.text).plain, parseMarkup(c->text).plain)
                << "menu " << menu.id << " repeats the text of " << e.id;
        }
    }
}

TEST(Menus, NoPopupListsACommandTwice)
{
    for (const res::MenuResource &menu : res::menus()) {
        const auto entries = menu.entries;
        for (std::size_t p = 0; p < entries.size(); ++p) {
            if (entries[p].kind != MenuEntry::Popup)
                continue;
            std::set<int> ids;
            for (std::size_t i = p + 1; i < entries.size() && entries[i].depth > entries[p].depth;
                 ++i) {
                if (entries[i].depth == entries[p].depth + 1 &&
                    entries[i].kind == MenuEntry::Command) {
                    EXPECT_TRUE(ids.insert(entries[i].id).second)
                        << "menu " << menu.id << " pop-up " << entries[p].text << " lists "
                        << entries[i].id << " twice";
                }
            }
        }
    }
}

TEST(Menus, MenuBarsHoldPopupsWithDistinctMnemonics)
{
    for (int id : kMenuBars) {
        SCOPED_TRACE(id);
        std::set<char> mnemonics;
        for (const MenuEntry &e : entriesOf(id)) {
            if (e.depth != 0)
                continue;
            ASSERT_EQ(e.kind, MenuEntry::Popup);
            const char mnemonic = parseMarkup(e.text).mnemonic;
            EXPECT_NE(mnemonic, 0) << e.text;
            EXPECT_TRUE(mnemonics.insert(mnemonic).second) << "mnemonic reused by " << e.text;
        }
        EXPECT_GE(mnemonics.size(), 4u);
    }
}

TEST(Menus, ContextMenusHoldOnePopup)
{
    for (int id : kContextMenus) {
        SCOPED_TRACE(id);
        const auto entries = entriesOf(id);
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front().kind, MenuEntry::Popup);
        int topLevel = 0;
        for (const MenuEntry &e : entries)
            topLevel += e.depth == 0 ? 1 : 0;
        EXPECT_EQ(topLevel, 1);
    }
}

// Every command is reachable from some menu, except those that only keys, toolbars or run-time
// entries reach.
TEST(Menus, EveryCommandAppearsInAMenuUnlessListedAsMenuless)
{
    const std::set<int> menuless = {
        Cmd::HelpIndex,      Cmd::HelpSearch,         Cmd::OpenUpdatePage, Cmd::FilePrintSetup,
        Cmd::FileMru2,       Cmd::FileMru3,           Cmd::FileMru4,       Cmd::EditClear,
        Cmd::ToolbarFindBox, Cmd::FindDialogFindNext, Cmd::RunTool,        Cmd::HexFindNext,
    };
    std::set<int> inMenus;
    for (const res::MenuResource &menu : res::menus()) {
        for (const MenuEntry &e : menu.entries) {
            if (e.kind == MenuEntry::Command)
                inMenus.insert(e.id);
        }
    }
    for (const res::CommandInfo &c : res::commands()) {
        if (menuless.count(c.id)) {
            EXPECT_FALSE(inMenus.count(c.id)) << c.id << " is listed as menuless but has an entry";
        } else {
            EXPECT_TRUE(inMenus.count(c.id)) << "no menu offers command " << c.id << " " << c.text;
        }
    }
}

TEST(Menus, EditorContextMenuListsItsEntriesInOrder)
{
    const auto entries = entriesOf(MenuId::EditorContext);
    ASSERT_FALSE(entries.empty());
    const std::vector<std::string> expected = {"Undo",
                                               "Redo",
                                               "-",
                                               "Cut",
                                               "Copy",
                                               "Paste",
                                               "Delete",
                                               "-",
                                               "Email Active Document",
                                               "View Backup Versions",
                                               "Preview in Browser",
                                               "-",
                                               "Reload Document",
                                               "-",
                                               "Compare Active Document",
                                               "Compare Saved Document",
                                               "Compare Active With Saved Document",
                                               "-",
                                               "Auto Complete",
                                               "-",
                                               "Cut Append",
                                               "Copy Append",
                                               "-",
                                               "Upper Case",
                                               "Lower Case",
                                               "-",
                                               "Insert >",
                                               "-",
                                               "Select All"};
    EXPECT_EQ(childTexts(entries, 0), expected);
    const std::size_t insert = findPopup(entries, "Insert");
    ASSERT_LT(insert, entries.size());
    EXPECT_EQ(childTexts(entries, insert),
              (std::vector<std::string>{"Date", "-", "Time", "File Name"}));

    std::vector<int> ids;
    for (const MenuEntry &e : entries) {
        if (e.kind == MenuEntry::Command)
            ids.push_back(e.id);
    }
    const std::vector<int> expectedIds = {Cmd::EditUndo,
                                          Cmd::EditRedo,
                                          Cmd::EditCut,
                                          Cmd::EditCopy,
                                          Cmd::EditPaste,
                                          Cmd::EditDelete,
                                          Cmd::FileSendMail,
                                          Cmd::ViewBackupVersions,
                                          Cmd::PreviewInBrowser,
                                          Cmd::ReloadDocument,
                                          Cmd::CompareWithActive,
                                          Cmd::CompareWithSaved,
                                          Cmd::CompareActiveWithSaved,
                                          Cmd::AutoComplete,
                                          Cmd::EditCutAppend,
                                          Cmd::EditCopyAppend,
                                          Cmd::UpperCase,
                                          Cmd::LowerCase,
                                          Cmd::InsertDate,
                                          Cmd::InsertTime,
                                          Cmd::InsertFileName,
                                          Cmd::EditSelectAll};
    EXPECT_EQ(ids, expectedIds);
}

TEST(Menus, SmallContextMenusListTheirEntries)
{
    struct Row
    {
        int menu;
        std::vector<std::string> texts;
    };
    const Row rows[] = {
        {MenuId::DocumentTabContext,
         {"Save", "Save As", "Close", "Close All But This Document...", "-",
          "Copy Filepath to Clipboard", "Open in Windows Explorer", "Email Document", "-",
          "Align Left", "Align Right", "Align Top", "Align Bottom", "-", "Hide Tabs"}},
        {MenuId::HexContext, {"Close", "-", "Undo", "Redo", "-", "Cut", "Copy", "Paste"}},
        {MenuId::CompareContext, {"Close", "-", "Copy", "-", "Select All"}},
        {MenuId::ProjectTreeContext,
         {"Open File", "-", "New File", "New Folder", "Add Existing File To Project", "-", "Delete",
          "Rename", "Refresh", "-", "Insert Into Active Document", "Copy File To Clipboard",
          "Copy Path To Clipboard"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.menu);
        const auto entries = entriesOf(row.menu);
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(childTexts(entries, 0), row.texts);
    }
}

TEST(Menus, DocumentTabMenuUsesTheTabCommands)
{
    std::vector<int> ids;
    for (const MenuEntry &e : entriesOf(MenuId::DocumentTabContext)) {
        if (e.kind == MenuEntry::Command)
            ids.push_back(e.id);
    }
    const std::vector<int> expected = {
        Cmd::FileSave,          Cmd::FileSaveAs,      Cmd::FileClose,
        Cmd::CloseAllButActive, Cmd::CopyFilePath,    Cmd::OpenContainingFolder,
        Cmd::FileSendMail,      Cmd::TabsAlignLeft,   Cmd::TabsAlignRight,
        Cmd::TabsAlignTop,      Cmd::TabsAlignBottom, Cmd::ToggleTabs};
    EXPECT_EQ(ids, expected);
}

TEST(Menus, TextDocumentMenuBarOffersEveryMenu)
{
    const auto entries = entriesOf(MenuId::TextDocument);
    std::vector<std::string> titles;
    for (const MenuEntry &e : entries) {
        if (e.depth == 0)
            titles.push_back(parseMarkup(e.text).plain);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"File", "Edit", "Search", "View", "Format",
                                                "Macros", "HTML", "Tools", "Window", "Help"}));
}

// The run-time entries replace placeholders; each placeholder must sit where its entries belong.
TEST(Menus, PlaceholdersSitInTheirPopups)
{
    const auto text = entriesOf(MenuId::TextDocument);
    const std::size_t view = findPopup(text, "View");
    const std::size_t colorAs = findPopup(text, "Color Document As ...", view);
    ASSERT_LT(colorAs, text.size());
    EXPECT_EQ(text[colorAs].depth, 1);
    EXPECT_EQ(childTexts(text, colorAs),
              (std::vector<std::string>{"Coloring Not Available", "-", "More ..."}));

    for (int menu : kMenuBars) {
        SCOPED_TRACE(menu);
        const auto entries = entriesOf(menu);
        const std::size_t tools = findPopup(entries, "Tools");
        ASSERT_LT(tools + 2, entries.size());
        EXPECT_EQ(entries[tools + 1].id, Cmd::ToolsPlaceholder) << "the tools come first";
        EXPECT_EQ(entries[tools + 2].kind, MenuEntry::Separator);
        const std::size_t file = findPopup(entries, "File");
        const auto fileItems = childTexts(entries, file);
        ASSERT_GE(fileItems.size(), 3u);
        EXPECT_EQ(fileItems.back(), "Exit");
        EXPECT_EQ(fileItems[fileItems.size() - 3], "Recent File") << "recent files before Exit";
    }
}

TEST(Menus, FormatMenuOffersEncodingsAndLineEndingsInCodeOrder)
{
    const auto entries = entriesOf(MenuId::TextDocument);
    const std::size_t format = findPopup(entries, "Format");
    const std::size_t encoding = findPopup(entries, "Encoding", format);
    const std::size_t lineEndings = findPopup(entries, "Line Endings", format);
    ASSERT_LT(encoding, entries.size());
    ASSERT_LT(lineEndings, entries.size());
    EXPECT_EQ(entries[encoding + 1].id, Cmd::EncodingAnsi);
    EXPECT_EQ(
        childTexts(entries, encoding),
        (std::vector<std::string>{"Windows (ANSI)", "UTF-8", "Unicode", "Unicode (Big-Endian)"}));
    EXPECT_EQ(childTexts(entries, lineEndings),
              (std::vector<std::string>{"Windows (CR+LF)", "Mac (CR)", "UNIX (LF)"}));
}

TEST(Menus, FunctionListPaneIsInTheSearchAndViewMenus)
{
    const auto entries = entriesOf(MenuId::TextDocument);
    for (const char *title : {"Search", "View"}) {
        const auto items = childTexts(entries, findPopup(entries, title));
        EXPECT_NE(std::find(items.begin(), items.end(), "Code Function List"), items.end())
            << title;
    }
}

} // namespace
} // namespace pw::test
