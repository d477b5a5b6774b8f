// The command table: menu text, default accelerator and tip of every command id.
#include "resources/commandids.h"
#include "resources/resources.h"

#include <algorithm>

namespace pw::res {
namespace {
// Menu texts use "&" before the mnemonic letter and "&&" for a literal ampersand. A tip may carry a
// short tooltip after a newline. Accelerators never take a plain key the editor needs for typing.
constexpr CommandInfo kCommands[] = {
    // Application: files, printing, recent files, help
    {Cmd::FileNew, "&New File", "Ctrl+N", "Create a new empty text document"},
    {Cmd::FileOpen, "&Open...", "Ctrl+O", "Open one or more existing files"},
    {Cmd::FileOpenHex, "Open as &Hex...", "Ctrl+Shift+O",
     "Open one or more files as bytes in the hex editor"},
    {Cmd::FileClose, "&Close", "Ctrl+F4", "Close the active document"},
    {Cmd::FileSave, "&Save", "Ctrl+S", "Save the active document"},
    {Cmd::FileSaveAs, "Save &As...", "Ctrl+Alt+S",
     "Save the active document under a new name, encoding or line ending"},
    {Cmd::FileSaveAll, "Save A&ll", "Ctrl+Shift+S", "Save every modified text document"},
    {Cmd::FilePageSetup, "Page Setup...", "", "Choose the printer and the page margins"},
    {Cmd::FilePrintSetup, "P&rint Setup...", "", "Choose the printer and its options"},
    {Cmd::FilePrint, "&Print...", "Ctrl+P", "Print the active document"},
    {Cmd::FilePrintPreview, "Print Pre&view", "", "Show the printed pages of the active document"},
    {Cmd::FileSendMail, "Email Active Document", "",
     "Attach the active document to a new email message"},
    {Cmd::FileMru1, "Recent File", "", "Open this recently used file"},
    {Cmd::FileMru2, "Recent File 2", "", "Open this recently used file"},
    {Cmd::FileMru3, "Recent File 3", "", "Open this recently used file"},
    {Cmd::FileMru4, "Recent File 4", "", "Open this recently used file"},
    {Cmd::CompareFiles, "Compare Files...", "", "Compare any two files side by side"},
    {Cmd::AppExit, "E&xit", "Alt+F4", "Close every document and quit Penwright"},
    {Cmd::HelpTopics, "&Help Topics", "F1", "Open the help"},
    {Cmd::HelpContents, "&Contents", "", "Open the help's table of contents"},
    {Cmd::HelpIndex, "Help &Index", "", "Open the help's index"},
    {Cmd::HelpSearch, "&Search Help", "", "Search the help"},
    {Cmd::AppAbout, "&About Penwright...", "", "Show the program's version and copyright"},

    // Text document
    {Cmd::EncodingUtf8NoMark, "UTF-8", "", "Save the document as UTF-8 without a byte-order mark"},
    {Cmd::EncodingUtf8, "UTF-8 with BOM", "", "Save the document as UTF-8 with a byte-order mark"},
    {Cmd::EncodingAnsi, "Ansi (Windows-1252)", "",
     "Save the document in Windows-1252, one byte per character (no byte-order mark)"},
    {Cmd::EncodingUnicode, "Unicode", "",
     "Save the document as UTF-16, low byte first, with a byte-order mark"},
    {Cmd::EncodingUnicodeBigEndian, "Unicode (Big-Endian)", "",
     "Save the document as UTF-16, high byte first, with a byte-order mark"},
    {Cmd::LineEndingWindows, "Windows (CR+LF)", "",
     "End new lines with a carriage return and a line feed"},
    {Cmd::LineEndingMac, "Mac (CR)", "", "End new lines with a carriage return"},
    {Cmd::LineEndingUnix, "UNIX (LF)", "", "End new lines with a line feed"},
    {Cmd::ReloadDocument, "Reload Active Document", "Ctrl+R",
     "Read the active document's file from disk again"},
    {Cmd::CompareWithActive, "Compare with the Active Document", "",
     "Compare the current text with a file you choose"},
    {Cmd::CompareWithSaved, "Compare with the Saved Document", "",
     "Compare the saved file with a file you choose"},
    {Cmd::CompareActiveWithSaved, "Compare Active With Saved Document", "",
     "Compare the current text with the saved file"},
    {Cmd::ViewBackupVersions, "View Backup Versions", "",
     "List the backup versions of this document and compare two of them"},
    {Cmd::RefreshFunctionList, "Refresh Function List", "F9",
     "Parse the active document again for the code function list"},

    // Editor view
    {Cmd::EditUndo, "&Undo", "Ctrl+Z", "Undo the last change"},
    {Cmd::EditRedo, "&Redo", "Ctrl+Y", "Redo the change last undone"},
    {Cmd::EditCut, "Cu&t", "Ctrl+X", "Move the selection to the clipboard"},
    {Cmd::EditCopy, "&Copy", "Ctrl+C", "Copy the selection to the clipboard"},
    {Cmd::EditPaste, "&Paste", "Ctrl+V", "Insert the clipboard's text"},
    {Cmd::EditClear, "Clear", "", "Erase the selection"},
    {Cmd::EditDelete, "Delete", "", "Delete the selection"},
    {Cmd::EditSelectAll, "Select All", "Ctrl+A", "Select the whole document"},
    {Cmd::EditCutLine, "Cut Line", "Ctrl+L", "Move the caret's line to the clipboard"},
    {Cmd::EditCopyLine, "Copy Line", "Ctrl+Shift+T", "Copy the caret's line to the clipboard"},
    {Cmd::EditCutAppend, "Cut Append", "Ctrl+Shift+X",
     "Add the selection to the end of the clipboard's text and delete it"},
    {Cmd::EditCopyAppend, "Copy Append", "Ctrl+Shift+C",
     "Add the selection to the end of the clipboard's text"},
    {Cmd::EditDeleteWord, "Delete Word", "", "Delete the word under the caret"},
    {Cmd::EditDeleteLine, "Delete Line", "Ctrl+Shift+L", "Delete the caret's line"},
    {Cmd::EditDeleteToLineEnd, "Delete to End of Line", "Ctrl+Shift+Del",
     "Delete from the caret to the end of its line"},
    {Cmd::InsertDate, "Date", "", "Insert today's date"},
    {Cmd::InsertTime, "Time", "", "Insert the current time"},
    {Cmd::InsertFileName, "File Name", "", "Insert the document's file name"},
    {Cmd::EditSelectWord, "Select Word", "", "Select the word under the caret"},
    {Cmd::EditSelectLine, "Select Line", "", "Select the caret's line"},
    {Cmd::SetReadOnly, "Set ReadOnly", "", "Allow or forbid changes to the document"},
    {Cmd::ToggleBookmark, "Toggle Bookmark", "Ctrl+F2",
     "Set or remove a bookmark on the caret's line"},
    {Cmd::NextBookmark, "Next Bookmark", "F2", "Go to the next bookmarked line"},
    {Cmd::PreviousBookmark, "Previous Bookmark", "Shift+F2", "Go to the previous bookmarked line"},
    {Cmd::ClearBookmarks, "Clear Bookmarks", "Ctrl+Shift+F2",
     "Remove every bookmark of the document"},
    {Cmd::AutoComplete, "Auto Complete", "Ctrl+Space",
     "Choose a name from the code function list to insert"},
    {Cmd::UpperCase, "Upper Case", "Ctrl+Shift+U", "Turn the selection into capital letters"},
    {Cmd::LowerCase, "Lower Case", "Ctrl+U", "Turn the selection into small letters"},
    {Cmd::TabsToSpaces, "Tabs to Spaces", "", "Replace every tab character by spaces"},
    {Cmd::SpacesToTabs, "Spaces to Tabs", "",
     "Replace every run of a tab's width of spaces by a tab"},
    {Cmd::TrimTrailingSpaces, "Trim Trailing Spaces", "",
     "Remove blanks and tabs at the end of every line"},
    {Cmd::SwapLines, "Swap Lines", "Ctrl+T", "Swap the caret's line with the line above"},
    {Cmd::IndentRight, "Indent Right", "Ctrl+]", "Indent the selected lines one step more"},
    {Cmd::IndentLeft, "Indent Left", "Ctrl+[", "Indent the selected lines one step less"},
    {Cmd::CommentLines, "Comment", "Ctrl+Q", "Turn the selected lines into line comments"},
    {Cmd::UnCommentLines, "UnComment", "Ctrl+Shift+Q",
     "Remove the line-comment marker from the selected lines"},
    {Cmd::CopyFilePath, "Copy Filepath to Clipboard", "",
     "Copy the document's full path to the clipboard"},
    {Cmd::OpenContainingFolder, "Open in Windows Explorer", "",
     "Show the document's folder in the file browser"},
    {Cmd::PreviewInBrowser, "Preview in Browser", "Ctrl+Shift+P",
     "Show the document's text rendered as a web page"},

    // Main frame: panes
    {Cmd::PaneProjectExplorer, "&Project Explorer", "", "Show or hide the project folders"},
    {Cmd::PaneFileExplorer, "&File Explorer", "", "Show or hide the file-system tree"},
    {Cmd::PaneListExplorer, "&List Explorer", "",
     "Show or hide the lists of HTML tags, entities and character codes"},
    {Cmd::PaneDocumentSelector, "O&pen Files", "", "Show or hide the list of open documents"},
    {Cmd::PaneFunctionList, "Code Function List", "",
     "Show or hide the functions of the active document"},
    {Cmd::PaneToolWindow, "&Output Window", "", "Show or hide the external tools' output"},
    {Cmd::PaneFindInFiles, "F&ind In Files", "", "Show or hide the find-in-files results"},
    {Cmd::ShowAllPanes, "&Show All Windows", "", "Show every hidden pane"},
    {Cmd::RefreshFileExplorer, "Refresh File Explorer View", "",
     "Show the file explorer and read its folders again"},

    // Main frame: document windows and tabs
    {Cmd::ToggleTabs, "Hide Tabs", "", "Hide or show the row of document tabs"},
    {Cmd::TabsAlignLeft, "Align Left", "", "Put the document tabs on the left"},
    {Cmd::TabsAlignRight, "Align Right", "", "Put the document tabs on the right"},
    {Cmd::TabsAlignTop, "Align Top", "", "Put the document tabs at the top"},
    {Cmd::TabsAlignBottom, "Align Bottom", "", "Put the document tabs at the bottom"},
    {Cmd::WindowNew, "&New Window", "", "Open another window on the active document"},
    {Cmd::WindowArrange, "&Arrange Icons", "", "Arrange the minimized document windows"},
    {Cmd::WindowCascade, "&Cascade", "", "Arrange the document windows so they overlap"},
    {Cmd::WindowTile, "&Tile", "", "Arrange the document windows side by side"},
    {Cmd::CloseAllButActive, "Close All But Active Document...", "",
     "Close every document window except the active one"},

    // Main frame: view options for every text window
    {Cmd::ViewWordWrap, "&Word Wrap", "Alt+Z", "Wrap long lines at the window's edge"},
    {Cmd::ViewWhitespace, "Wh&itespace", "", "Show blanks and tabs"},
    {Cmd::ViewLineEndings, "Line &Endings", "", "Show the line-end characters"},
    {Cmd::ViewCaretLine, "&Caret Line", "", "Highlight the line that holds the caret"},
    {Cmd::ViewLineNumbers, "&Line Numbers", "", "Show line numbers in the margin"},
    {Cmd::ViewRuler, "&Ruler", "", "Show a column ruler above the text"},
    {Cmd::ViewCodeFolding, "C&ode Folding", "", "Show the fold margin to fold blocks of code"},
    {Cmd::ViewColumnSelect, "Column Select Mode", "", "Select rectangular blocks of text"},
    {Cmd::ViewLongLineMarker, "L&ong Line Marker", "", "Mark the long-line column"},
    {Cmd::ViewMatchBracket, "&Match Bracket", "", "Highlight the bracket matching the caret's"},
    {Cmd::ViewFont, "Font...", "", "Choose the editor font"},
    {Cmd::NavigateBackward, "Navigate Backward", "Alt+Left",
     "Go back to the previous caret position"},
    {Cmd::NavigateForward, "Navigate Forward", "Alt+Right",
     "Go forward to the next caret position"},

    // Main frame: tools, customisation, preferences and web pages
    {Cmd::FindInFiles, "Find in Files", "Ctrl+Shift+F", "Search the files of a folder for a text"},
    {Cmd::StopUserTool, "&Stop User Tool", "", "Stop a tool from running\nStop Tool"},
    {Cmd::EditorProperties, "Editor Properties", "", "Change Penwright's preferences"},
    {Cmd::TidyProperties, "Tidy Properties", "",
     "Change the options of the HTML and XHTML clean-up"},
    {Cmd::XmlTidyProperties, "XML Tidy Properties", "",
     "Change the options of the XML pretty print"},
    {Cmd::Customize, "&Customize...", "", "Customize the toolbars, menus, keys and external tools"},
    {Cmd::CustomizeAlt, "&Customize...", "",
     "Customize the toolbars, menus, keys and external tools"},
    {Cmd::CustomizeToolbars, "Create Toolbars", "", "Create and change toolbars"},
    {Cmd::CustomizeMenus, "Edit Menus", "", "Change the menus"},
    {Cmd::CustomizeKeyboard, "Keyboard Shortcuts", "", "Change the keyboard shortcuts"},
    {Cmd::CustomizePresentation, "Presentation Options", "", "Change how toolbars and menus look"},
    {Cmd::CheckForUpdates, "C&heck for Updates", "", "Visit Penwright's web site"},
    {Cmd::OtherProducts, "Learn About Our Other Products", "", "Visit the maker's products page"},
    {Cmd::OpenUpdatePage, "Open Update Page", "", "Visit the update page"},

    // Search
    {Cmd::EditFind, "Find...", "Ctrl+F", "Find a text in the active document"},
    {Cmd::EditReplace, "Replace...", "Ctrl+H", "Replace a text in the active document"},
    {Cmd::FindNext, "Find Next", "F3", "Find the selection or the search box's text again"},
    {Cmd::FindPrevious, "Find Previous", "Shift+F3",
     "Find the selection or the search box's text upwards"},
    {Cmd::GotoLine, "Goto...", "Ctrl+G", "Go to a line number"},
    {Cmd::ToolbarFindBox, "Find Box", "",
     "Type a text and press Enter to find it in the active document"},
    {Cmd::FindDialogFindNext, "Find Next", "", "Find the search text again"},

    // Language selection
    {Cmd::ColorDocumentAs, "Coloring Not Available", "", "Color the document as this language"},
    {Cmd::ColorDocumentAsMore, "More ...", "",
     "Choose the document's coloring from every language"},

    // Macros
    {Cmd::MacroRun, "Macros", "Alt+F8", "Run, rename or delete a recorded macro"},
    {Cmd::MacroRecord, "Record New Macro...", "Ctrl+Shift+R", "Start recording a new macro"},
    {Cmd::MacroStopRecording, "Stop Recording", "", "Stop recording and save the macro"},

    // Markup tools
    {Cmd::HtmlCleanRepair, "HTML Clean && Repair", "", "Clean up the document as HTML with Tidy"},
    {Cmd::XhtmlCleanRepair, "XHTML Clean && Repair", "",
     "Clean up the document as XHTML with Tidy"},
    {Cmd::XmlPrettyPrint, "XML Pretty Print", "", "Lay out the document as indented XML"},
    {Cmd::XmlWellFormedCheck, "XML Well Formed Check", "",
     "Check that the document is well-formed XML"},

    // Spell checking
    {Cmd::SpellChecker, "Spell Checker", "F7", "Check the spelling of the document or selection"},

    // External tools
    {Cmd::ToolsPlaceholder, "Tools", "", "Your external tools appear here"},
    {Cmd::RunTool, "External Tool", "", "Run this external tool"},

    // Hex view
    {Cmd::HexFindNext, "Find", "", "Find the hex find dialog's pattern again"},

    // Project explorer tree
    {Cmd::ProjectOpenFile, "Open File", "", "Open the selected file"},
    {Cmd::ProjectNewFile, "New File", "", "Create a file in the selected folder"},
    {Cmd::ProjectNewFolder, "New Folder", "", "Create a folder in the selected folder"},
    {Cmd::ProjectAddExistingFile, "Add Existing File To Project", "",
     "Copy files into the selected folder"},
    {Cmd::ProjectDelete, "Delete", "", "Delete the selected file or folder from the disk"},
    {Cmd::ProjectRename, "Rename", "", "Rename the selected file or folder"},
    {Cmd::ProjectRefresh, "Refresh", "", "Read the selected folder again"},
    {Cmd::ProjectInsertIntoDocument, "Insert Into Active Document", "",
     "Insert the selected file's text at the caret"},
    {Cmd::ProjectCopyFileToClipboard, "Copy File To Clipboard", "",
     "Copy the selected file's text to the clipboard"},
    {Cmd::ProjectCopyPathToClipboard, "Copy Path To Clipboard", "",
     "Copy the selected item's path to the clipboard"},

    // File explorer
    {Cmd::FileProperties, "Properties", "", "Show the selected file's properties"},
};
} // namespace

std::span<const CommandInfo> commands()
{
    return kCommands;
}

const CommandInfo *findCommand(int id)
{
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const CommandInfo &c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

} // namespace pw::res
