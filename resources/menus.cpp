// Menu resources: the menu bar of each document kind and the context menus.
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/resources.h"

#include <algorithm>
#include <array>

namespace pw::res {
namespace {
using E = MenuEntry;

constexpr MenuEntry popup(int depth, const char *title)
{
    return {depth, E::Popup, 0, title};
}
constexpr MenuEntry cmd(int depth, int id, const char *text = nullptr)
{
    return {depth, E::Command, id, text};
}
constexpr MenuEntry sep(int depth)
{
    return {depth, E::Separator, 0, nullptr};
}

// Menu bars share whole pop-ups (View, Tools, Window, Help); they are written once and joined.
template <std::size_t... N> constexpr auto join(const std::array<MenuEntry, N> &...parts)
{
    std::array<MenuEntry, (N + ...)> out{};
    std::size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), out.begin() + at), at += N), ...);
    return out;
}

// ---- File menus

constexpr auto kFileText = std::to_array<MenuEntry>({
    popup(0, "&File"),
    cmd(1, Cmd::FileNew),
    cmd(1, Cmd::FileOpen),
    cmd(1, Cmd::FileOpenHex),
    cmd(1, Cmd::FileClose),
    sep(1),
    cmd(1, Cmd::FileSave),
    cmd(1, Cmd::FileSaveAs),
    cmd(1, Cmd::FileSaveAll),
    sep(1),
    cmd(1, Cmd::ReloadDocument),
    cmd(1, Cmd::SetReadOnly),
    sep(1),
    cmd(1, Cmd::CopyFilePath),
    cmd(1, Cmd::OpenContainingFolder),
    cmd(1, Cmd::FileSendMail),
    sep(1),
    cmd(1, Cmd::FilePageSetup),
    cmd(1, Cmd::FilePrintPreview),
    cmd(1, Cmd::FilePrint),
    sep(1),
    cmd(1, Cmd::FileMru1),
    sep(1),
    cmd(1, Cmd::AppExit),
});

constexpr auto kFileNoDocument = std::to_array<MenuEntry>({
    popup(0, "&File"),
    cmd(1, Cmd::FileNew),
    cmd(1, Cmd::FileOpen),
    cmd(1, Cmd::FileOpenHex),
    sep(1),
    cmd(1, Cmd::FilePageSetup),
    sep(1),
    cmd(1, Cmd::FileMru1),
    sep(1),
    cmd(1, Cmd::AppExit),
});

constexpr auto kFileHex = std::to_array<MenuEntry>({
    popup(0, "&File"),
    cmd(1, Cmd::FileNew),
    cmd(1, Cmd::FileOpen),
    cmd(1, Cmd::FileOpenHex),
    cmd(1, Cmd::FileClose),
    sep(1),
    cmd(1, Cmd::FileSave),
    cmd(1, Cmd::FileSaveAs),
    cmd(1, Cmd::FileSaveAll),
    sep(1),
    cmd(1, Cmd::CopyFilePath),
    cmd(1, Cmd::OpenContainingFolder),
    sep(1),
    cmd(1, Cmd::FileMru1),
    sep(1),
    cmd(1, Cmd::AppExit),
});

// Compare and web-preview windows have no file of their own to save.
constexpr auto kFileViewOnly = std::to_array<MenuEntry>({
    popup(0, "&File"),
    cmd(1, Cmd::FileNew),
    cmd(1, Cmd::FileOpen),
    cmd(1, Cmd::FileOpenHex),
    cmd(1, Cmd::FileClose),
    sep(1),
    cmd(1, Cmd::FileSaveAll),
    sep(1),
    cmd(1, Cmd::FileMru1),
    sep(1),
    cmd(1, Cmd::AppExit),
});

// ---- Edit menus

constexpr auto kEditText = std::to_array<MenuEntry>({
    popup(0, "&Edit"),
    cmd(1, Cmd::EditUndo),
    cmd(1, Cmd::EditRedo),
    sep(1),
    cmd(1, Cmd::EditCut),
    cmd(1, Cmd::EditCopy),
    cmd(1, Cmd::EditPaste),
    cmd(1, Cmd::EditSelectAll),
    sep(1),
    cmd(1, Cmd::EditCutLine),
    cmd(1, Cmd::EditCopyLine),
    cmd(1, Cmd::EditCutAppend),
    cmd(1, Cmd::EditCopyAppend),
    sep(1),
    cmd(1, Cmd::EditDeleteWord),
    cmd(1, Cmd::EditDeleteLine),
    cmd(1, Cmd::EditDeleteToLineEnd),
    sep(1),
    cmd(1, Cmd::EditSelectWord),
    cmd(1, Cmd::EditSelectLine),
    cmd(1, Cmd::SwapLines),
    sep(1),
    popup(1, "&Insert"),
    cmd(2, Cmd::InsertDate),
    sep(2),
    cmd(2, Cmd::InsertTime),
    cmd(2, Cmd::InsertFileName),
    cmd(1, Cmd::AutoComplete),
});

constexpr auto kEditHex = std::to_array<MenuEntry>({
    popup(0, "&Edit"),
    cmd(1, Cmd::EditUndo),
    cmd(1, Cmd::EditRedo),
    sep(1),
    cmd(1, Cmd::EditCut),
    cmd(1, Cmd::EditCopy),
    cmd(1, Cmd::EditPaste),
    sep(1),
    cmd(1, Cmd::EditFind),
    cmd(1, Cmd::FindNext),
    cmd(1, Cmd::GotoLine, "Go To Offset..."),
});

constexpr auto kEditCompare = std::to_array<MenuEntry>({
    popup(0, "&Edit"),
    cmd(1, Cmd::EditCopy),
    sep(1),
    cmd(1, Cmd::EditSelectAll),
});

// ---- Search menus

constexpr auto kSearchText = std::to_array<MenuEntry>({
    popup(0, "&Search"),
    cmd(1, Cmd::EditFind),
    cmd(1, Cmd::EditReplace),
    cmd(1, Cmd::FindNext),
    cmd(1, Cmd::FindPrevious),
    sep(1),
    cmd(1, Cmd::FindInFiles),
    sep(1),
    cmd(1, Cmd::GotoLine),
    sep(1),
    popup(1, "&Bookmarks"),
    cmd(2, Cmd::ToggleBookmark),
    cmd(2, Cmd::NextBookmark),
    cmd(2, Cmd::PreviousBookmark),
    sep(2),
    cmd(2, Cmd::ClearBookmarks),
    sep(1),
    cmd(1, Cmd::NavigateBackward),
    cmd(1, Cmd::NavigateForward),
    sep(1),
    cmd(1, Cmd::PaneFunctionList),
    cmd(1, Cmd::RefreshFunctionList),
});

constexpr auto kSearchNoDocument = std::to_array<MenuEntry>({
    popup(0, "&Search"),
    cmd(1, Cmd::FindInFiles),
});

// ---- View menus: panes, then (where text windows can exist) the options for every text window

constexpr auto kViewPanesOpen = std::to_array<MenuEntry>({
    popup(0, "&View"),
    cmd(1, Cmd::PaneProjectExplorer),
    cmd(1, Cmd::PaneFileExplorer),
    cmd(1, Cmd::PaneListExplorer),
    cmd(1, Cmd::PaneDocumentSelector),
    cmd(1, Cmd::PaneFunctionList),
    cmd(1, Cmd::PaneToolWindow),
    cmd(1, Cmd::PaneFindInFiles),
    sep(1),
    cmd(1, Cmd::ShowAllPanes),
    cmd(1, Cmd::RefreshFileExplorer),
    sep(1),
});

constexpr auto kViewTextOptions = std::to_array<MenuEntry>({
    cmd(1, Cmd::ViewWordWrap),
    cmd(1, Cmd::ViewWhitespace),
    cmd(1, Cmd::ViewLineEndings),
    cmd(1, Cmd::ViewCaretLine),
    cmd(1, Cmd::ViewLineNumbers),
    cmd(1, Cmd::ViewRuler),
    cmd(1, Cmd::ViewCodeFolding),
    cmd(1, Cmd::ViewColumnSelect),
    cmd(1, Cmd::ViewLongLineMarker),
    cmd(1, Cmd::ViewMatchBracket),
    sep(1),
    cmd(1, Cmd::ViewFont),
    sep(1),
});

// The language entries are built each time the submenu opens; the placeholder marks their place.
constexpr auto kViewColorDocumentAs = std::to_array<MenuEntry>({
    popup(1, "Color Document As ..."),
    cmd(2, Cmd::ColorDocumentAs),
    sep(2),
    cmd(2, Cmd::ColorDocumentAsMore),
    sep(1),
});

constexpr auto kViewToolbars = std::to_array<MenuEntry>({
    popup(1, "&Toolbars"),
    cmd(2, Cmd::CustomizeToolbars),
    cmd(2, Cmd::CustomizeMenus),
    cmd(2, Cmd::CustomizeKeyboard),
    cmd(2, Cmd::CustomizePresentation),
    sep(2),
    cmd(2, Cmd::CustomizeAlt),
});

// ---- Text document menus

constexpr auto kFormatText = std::to_array<MenuEntry>({
    popup(0, "F&ormat"),
    popup(1, "&Encoding"),
    cmd(2, Cmd::EncodingUtf8NoMark),
    cmd(2, Cmd::EncodingUtf8),
    cmd(2, Cmd::EncodingUnicode),
    cmd(2, Cmd::EncodingUnicodeBigEndian),
    cmd(2, Cmd::EncodingAnsi),
    popup(1, "&Line Endings"),
    cmd(2, Cmd::LineEndingWindows),
    cmd(2, Cmd::LineEndingMac),
    cmd(2, Cmd::LineEndingUnix),
    sep(1),
    cmd(1, Cmd::UpperCase),
    cmd(1, Cmd::LowerCase),
    sep(1),
    cmd(1, Cmd::IndentRight),
    cmd(1, Cmd::IndentLeft),
    sep(1),
    cmd(1, Cmd::CommentLines),
    cmd(1, Cmd::UnCommentLines),
    sep(1),
    cmd(1, Cmd::TabsToSpaces),
    cmd(1, Cmd::SpacesToTabs),
    cmd(1, Cmd::TrimTrailingSpaces),
});

constexpr auto kMacrosText = std::to_array<MenuEntry>({
    popup(0, "&Macros"),
    cmd(1, Cmd::MacroRun),
    cmd(1, Cmd::MacroRecord),
    cmd(1, Cmd::MacroStopRecording),
});

constexpr auto kHtmlText = std::to_array<MenuEntry>({
    popup(0, "HTM&L"),
    cmd(1, Cmd::HtmlCleanRepair),
    cmd(1, Cmd::XhtmlCleanRepair),
    cmd(1, Cmd::XmlPrettyPrint),
    cmd(1, Cmd::XmlWellFormedCheck),
    sep(1),
    cmd(1, Cmd::TidyProperties),
    cmd(1, Cmd::XmlTidyProperties),
    sep(1),
    cmd(1, Cmd::PreviewInBrowser),
});

// ---- Tools menus: the external tools are inserted after their placeholder at run time

constexpr auto kToolsText = std::to_array<MenuEntry>({
    popup(0, "&Tools"),
    cmd(1, Cmd::ToolsPlaceholder),
    sep(1),
    cmd(1, Cmd::CompareFiles),
    cmd(1, Cmd::CompareWithActive),
    cmd(1, Cmd::CompareWithSaved),
    cmd(1, Cmd::CompareActiveWithSaved),
    cmd(1, Cmd::ViewBackupVersions),
    sep(1),
    cmd(1, Cmd::StopUserTool),
    cmd(1, Cmd::Customize),
    sep(1),
    cmd(1, Cmd::SpellChecker),
    sep(1),
    cmd(1, Cmd::EditorProperties),
});

constexpr auto kToolsGeneral = std::to_array<MenuEntry>({
    popup(0, "&Tools"),
    cmd(1, Cmd::ToolsPlaceholder),
    sep(1),
    cmd(1, Cmd::CompareFiles),
    sep(1),
    cmd(1, Cmd::StopUserTool),
    cmd(1, Cmd::Customize),
    sep(1),
    cmd(1, Cmd::EditorProperties),
});

// ---- Window and Help; the framework appends the list of document windows to Window

constexpr auto kWindowText = std::to_array<MenuEntry>({
    popup(0, "&Window"),
    cmd(1, Cmd::WindowNew),
    cmd(1, Cmd::WindowCascade),
    cmd(1, Cmd::WindowTile),
    cmd(1, Cmd::WindowArrange),
    sep(1),
    cmd(1, Cmd::ToggleTabs),
    cmd(1, Cmd::TabsAlignLeft),
    cmd(1, Cmd::TabsAlignRight),
    cmd(1, Cmd::TabsAlignTop),
    cmd(1, Cmd::TabsAlignBottom),
    sep(1),
    cmd(1, Cmd::CloseAllButActive),
});

// Only a text document can be shown in a second window.
constexpr auto kWindowGeneral = std::to_array<MenuEntry>({
    popup(0, "&Window"),
    cmd(1, Cmd::WindowCascade),
    cmd(1, Cmd::WindowTile),
    cmd(1, Cmd::WindowArrange),
    sep(1),
    cmd(1, Cmd::ToggleTabs),
    cmd(1, Cmd::TabsAlignLeft),
    cmd(1, Cmd::TabsAlignRight),
    cmd(1, Cmd::TabsAlignTop),
    cmd(1, Cmd::TabsAlignBottom),
    sep(1),
    cmd(1, Cmd::CloseAllButActive),
});

constexpr auto kHelp = std::to_array<MenuEntry>({
    popup(0, "&Help"),
    cmd(1, Cmd::HelpTopics),
    cmd(1, Cmd::HelpContents),
    sep(1),
    cmd(1, Cmd::CheckForUpdates),
    cmd(1, Cmd::OtherProducts),
    sep(1),
    cmd(1, Cmd::AppAbout),
});

// ---- Menu bars

constexpr auto kMenuMainFrame = join(kFileNoDocument, kSearchNoDocument, kViewPanesOpen,
                                     kViewTextOptions, kViewToolbars, kToolsGeneral, kHelp);

constexpr auto kMenuText =
    join(kFileText, kEditText, kSearchText, kViewPanesOpen, kViewTextOptions, kViewColorDocumentAs,
         kViewToolbars, kFormatText, kMacrosText, kHtmlText, kToolsText, kWindowText, kHelp);

constexpr auto kMenuHex =
    join(kFileHex, kEditHex, kViewPanesOpen, kViewToolbars, kToolsGeneral, kWindowGeneral, kHelp);

constexpr auto kMenuCompare = join(kFileViewOnly, kEditCompare, kViewPanesOpen, kViewToolbars,
                                   kToolsGeneral, kWindowGeneral, kHelp);

constexpr auto kMenuWebPreview =
    join(kFileViewOnly, kViewPanesOpen, kViewToolbars, kToolsGeneral, kWindowGeneral, kHelp);

// ---- Context menus (one top-level pop-up each)

constexpr MenuEntry kEditorContext[] = {
    popup(0, "Editor"),
    cmd(1, Cmd::EditUndo),
    cmd(1, Cmd::EditRedo),
    sep(1),
    cmd(1, Cmd::EditCut),
    cmd(1, Cmd::EditCopy),
    cmd(1, Cmd::EditPaste),
    cmd(1, Cmd::EditDelete),
    sep(1),
    cmd(1, Cmd::FileSendMail),
    cmd(1, Cmd::ViewBackupVersions),
    cmd(1, Cmd::PreviewInBrowser),
    sep(1),
    cmd(1, Cmd::ReloadDocument, "Reload Document"),
    sep(1),
    cmd(1, Cmd::CompareWithActive, "Compare Active Document"),
    cmd(1, Cmd::CompareWithSaved, "Compare Saved Document"),
    cmd(1, Cmd::CompareActiveWithSaved),
    sep(1),
    cmd(1, Cmd::AutoComplete),
    sep(1),
    cmd(1, Cmd::EditCutAppend),
    cmd(1, Cmd::EditCopyAppend),
    sep(1),
    cmd(1, Cmd::UpperCase),
    cmd(1, Cmd::LowerCase),
    sep(1),
    popup(1, "Insert"),
    cmd(2, Cmd::InsertDate),
    sep(2),
    cmd(2, Cmd::InsertTime),
    cmd(2, Cmd::InsertFileName),
    sep(1),
    cmd(1, Cmd::EditSelectAll),
};

constexpr MenuEntry kDocumentTabContext[] = {
    popup(0, "Document Tab"),
    cmd(1, Cmd::FileSave),
    cmd(1, Cmd::FileSaveAs, "Save As"),
    cmd(1, Cmd::FileClose),
    cmd(1, Cmd::CloseAllButActive, "Close All But This Document..."),
    sep(1),
    cmd(1, Cmd::CopyFilePath),
    cmd(1, Cmd::OpenContainingFolder),
    cmd(1, Cmd::FileSendMail, "Email Document"),
    sep(1),
    cmd(1, Cmd::TabsAlignLeft),
    cmd(1, Cmd::TabsAlignRight),
    cmd(1, Cmd::TabsAlignTop),
    cmd(1, Cmd::TabsAlignBottom),
    sep(1),
    cmd(1, Cmd::ToggleTabs),
};

constexpr MenuEntry kHexContext[] = {
    popup(0, "Hex"),       cmd(1, Cmd::FileClose), sep(1),
    cmd(1, Cmd::EditUndo), cmd(1, Cmd::EditRedo),  sep(1),
    cmd(1, Cmd::EditCut),  cmd(1, Cmd::EditCopy),  cmd(1, Cmd::EditPaste),
};

constexpr MenuEntry kCompareContext[] = {
    popup(0, "Compare"),        cmd(1, Cmd::FileClose), sep(1), cmd(1, Cmd::EditCopy), sep(1),
    cmd(1, Cmd::EditSelectAll),
};

constexpr MenuEntry kProjectTreeContext[] = {
    popup(0, "Project"),
    cmd(1, Cmd::ProjectOpenFile),
    sep(1),
    cmd(1, Cmd::ProjectNewFile),
    cmd(1, Cmd::ProjectNewFolder),
    cmd(1, Cmd::ProjectAddExistingFile),
    sep(1),
    cmd(1, Cmd::ProjectDelete),
    cmd(1, Cmd::ProjectRename),
    cmd(1, Cmd::ProjectRefresh),
    sep(1),
    cmd(1, Cmd::ProjectInsertIntoDocument),
    cmd(1, Cmd::ProjectCopyFileToClipboard),
    cmd(1, Cmd::ProjectCopyPathToClipboard),
};

// The file explorer opens the selected item directly, so its entry drops the "..." of File, Open.
constexpr MenuEntry kFileExplorerContext[] = {
    popup(0, "File Explorer"),
    cmd(1, Cmd::FileOpen, "&Open"),
    cmd(1, Cmd::FileOpenHex),
    sep(1),
    cmd(1, Cmd::CopyFilePath),
    cmd(1, Cmd::OpenContainingFolder),
    sep(1),
    cmd(1, Cmd::RefreshFileExplorer),
    sep(1),
    cmd(1, Cmd::FileProperties),
};

constexpr MenuResource kMenus[] = {
    {MenuId::MainFrame, kMenuMainFrame},
    {MenuId::TextDocument, kMenuText},
    {MenuId::HexDocument, kMenuHex},
    {MenuId::CompareDocument, kMenuCompare},
    {MenuId::WebPreviewDocument, kMenuWebPreview},
    {MenuId::HexContext, kHexContext},
    {MenuId::EditorContext, kEditorContext},
    {MenuId::DocumentTabContext, kDocumentTabContext},
    {MenuId::CompareContext, kCompareContext},
    {MenuId::ProjectTreeContext, kProjectTreeContext},
    {MenuId::FileExplorerContext, kFileExplorerContext},
};
} // namespace

std::span<const MenuResource> menus()
{
    return kMenus;
}

const MenuResource *findMenu(int id)
{
    const auto it = std::find_if(std::begin(kMenus), std::end(kMenus),
                                 [id](const MenuResource &m) { return m.id == id; });
    return it == std::end(kMenus) ? nullptr : &*it;
}

} // namespace pw::res
