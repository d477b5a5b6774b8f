// The string table: every text the program shows in a message box, status pane, title or list.
#include "resources/resources.h"
#include "resources/stringids.h"

#include <algorithm>

namespace pw::res {
namespace {
// Texts are byte-exact, double blanks included; printf-style placeholders are filled by the caller
// ("%1" is the framework-style numbered argument).
constexpr StringInfo kStrings[] = {
    // Resources numbered by the program itself
    {Str::AppTitle, "Penwright"},
    // Document type descriptors: window title, document name, new-file name, filter name, filter
    // extension, type id and type name, separated by line feeds.
    {Str::DocTypeText, "\nUntitled\nPenwright\n\n\nText.Document\nText Document"},
    {Str::DocTypeHex, "\nHex\n\n\n\nSlate.Document\nSlate.Document"},
    {Str::DocTypeCompare, "\nCompare\n\n\n\nSlate.Document\nSlate.Document"},
    {Str::DocTypeWebPreview, "\nWeb Preview"},
    {Str::ThemeWindows2000, "Windows 2000"},
    {Str::ThemeWindowsXp, "Windows XP"},
    {Str::ThemeWhidbey, "Whidbey"},
    {Str::ThemeOfficeXp, "Office XP"},
    {Str::ThemeOffice2003, "Office 2003"},
    {Str::SearchTextNotFound, "The search text was not found"},
    {Str::NoMoreBookmarks, "No more bookmarks have been found"},
    {Str::FailedSaveFileExtension, "Failed to save the file extension"},
    {Str::SelectFiltersBeforeDelete, "Please select one or more filters before pressing Delete."},
    {Str::ProvideSearchValue, "Please provide a search value"},
    {Str::FindNothingToDo, "Find has nothing to do"},
    {Str::IndicatorCaps, "CAP"},
    {Str::IndicatorNum, "NUM"},
    {Str::IndicatorScroll, "SCRL"},
    {Str::IndicatorInsert, "INS"},

    // Application and text document
    {Str::FailedCreateFileOnSave, "Failed to create a new file when saving the current document"},
    {Str::FailedCreateCompareTemp, "Failed to create the temporary file used in the compare"},
    {Str::ReloadModifiedQuestion, "This file has been modified.  Continue to reload the file?"},
    {Str::SaveChangesQuestion, "Save changes to %1?"},
    {Str::AllFilesFilter, "All Files (*.*)|*.*||"},
    {Str::StatusLineColumn, "Ln %2d Col %2d"},
    {Str::Untitled, "Untitled"},
    {Str::ReplaceExistingQuestion, "%1 already exists.\nDo you want to replace it?"},
    {Str::ReadOnlySuffix, " [Read Only]"},
    {Str::EncodingUtf8Name, "UTF-8"},
    {Str::EncodingUnicodeName, "Unicode"},
    {Str::EncodingUnicodeBigEndianName, "Unicode (Big Endian)"},
    {Str::EncodingAnsiName, "Ansi"},
    {Str::EncodingAutoName, "Auto"},
    {Str::LineEndingWindowsName, "Windows (CRLF)"},
    {Str::LineEndingMacName, "Macintosh (CR)"},
    {Str::LineEndingUnixName, "Unix (LF)"},
    {Str::OpenAsText, "Text"},
    {Str::OpenAsHex, "Hex Editor (Binary)"},
    {Str::OpenAsAuto, "Auto"},
    {Str::CannotEncodeQuestion,
     "%1\n\nThis document holds characters that %2 cannot hold, such as \"%3\" on line %4.\n"
     "Save it as UTF-8 instead?"},
    {Str::ChangedOnDiskReload,
     "%s\n\nThis file has been changed by another program. Reload it and lose your changes?"},
    {Str::DeletedOnDiskKeep,
     "%s\n\nThis file has been deleted or moved by another program. Keep the document open?"},
    {Str::ChangedOnDiskSave, "%s\n\nThis file has been changed by another program since it was "
                             "opened or saved. Save over it?"},
    {Str::ReloadedFromDisk, "%s was changed by another program and has been reloaded"},
    {Str::TrailingBytesKept, "%1 ends with %2 byte(s) that do not make a whole character. They are "
                             "kept, and written back when the file is saved in the same encoding."},
    {Str::FileTooLargeForText,
     "%1 is too large to be opened as text: the editor could not hold all of it."},
    {Str::TooLargeOpenAsHex,
     "%1 is too large to edit as text (%2). Open it in the hex editor instead?"},
    {Str::SaveFailedReason, "Reason: %1"},
    {Str::LargeFileMode, "Large file: colouring, folding and word wrap are off; choose a language "
                         "or turn them on to have them"},
    {Str::ColouringClearsUndo,
     "To colour this large document it must be copied into a new one that can hold colours. "
     "Its undo history will be cleared; the text and its unsaved changes are kept. Continue?"},
    {Str::LinesCutQuestion,
     "%1 has lines longer than %3 bytes (the longest: %2 bytes). Such a line holds the window "
     "while it is measured for display, so these lines are shown cut into pieces of %3 bytes, "
     "and the document is read-only: saving it would change the file.\n\nShow the lines whole "
     "instead? The window may then stop responding for seconds when they are first shown, and "
     "again whenever one of them is edited."},
    {Str::LinesCutStatus, "Long lines are shown cut into pieces; the document is read-only. "
                          "Choose Reload to show them whole"},
    {Str::LinesCutCannotSave,
     "%1 is shown with its long lines cut into pieces, so it cannot be saved or made writable: "
     "the text shown is not the file's. Choose Reload to read it with whole lines first."},

    // Main frame
    {Str::CaptionProjectExplorer, "Project Explorer"},
    {Str::CaptionFileExplorer, "File Explorer"},
    {Str::CaptionListExplorer, "List Explorer"},
    {Str::CaptionDocumentSelector, "Document Selector"},
    {Str::CaptionFunctionList, "Function List"},
    {Str::CaptionToolWindow, "Tool Window"},
    {Str::CaptionFindInFiles, "Find In Files"},
    {Str::MenuBarTitle, "Menu Bar"},
    {Str::ToolbarTitle, "Toolbar"},
    {Str::HideTabs, "Hide Tabs"},
    {Str::ShowTabs, "Show Tabs"},

    // Printing
    {Str::PrintPageFooter, "Page %d"},
    {Str::PrintFailed, "The document could not be printed to %s."},
    {Str::PreviewTitle, "Print Preview"},
    {Str::PreviewPrint, "&Print..."},
    {Str::PreviewFirst, "First Page"},
    {Str::PreviewPrevious, "Previous Page"},
    {Str::PreviewNext, "Next Page"},
    {Str::PreviewLast, "Last Page"},
    {Str::PreviewZoomIn, "Zoom In"},
    {Str::PreviewZoomOut, "Zoom Out"},
    {Str::PreviewStop, "Stop Counting"},
    {Str::PreviewClose, "&Close"},
    {Str::PreviewPageCount, "of %d"},
    {Str::PreviewCounting, "of %d (counting)"},
    {Str::PrintNoPrinter, "No printer is installed. Print to a PDF file instead: /pt FILE OUT.pdf"},

    // Language selection
    {Str::ColoringNotAvailable, "Coloring Not Available"},
    {Str::ViewAsTitle, "View As ..."},
    {Str::ViewAsPrompt, "Select View As Parser"},
    {Str::ConfigLoadError, "Could not load config file '%s'. Error='%s'."},

    // Find and replace
    {Str::OccurrencesReplaced, "%d occurrence(s) replaced"},
    {Str::ReplaceSelectionEmpty, "Could not replace in selection as nothing was selected."},
    {Str::ReplaceAllNotFound, "Search text not found."},
    {Str::FindTitle, "Find"},
    {Str::ReplaceTitle, "Replace"},
    {Str::GotoTitle, "Go To Line"},
    {Str::GotoLineLabel, "Line number (1 - %d):"},
    {Str::SearchStopped, "The search was stopped before the end of the text.\n%s"},
    {Str::SearchInvalidPattern, "The regular expression is not valid:\n%s"},
    {Str::SearchLimitReached, "The regular expression needed more work than one search may do."},

    // Find in files
    {Str::FindInFilesTitle, "Find in Files"},
    {Str::FindInFilesResultLine, "%s (%d): %s"},
    {Str::FindInFilesAllTypes, "*.*"},
    {Str::FindInFilesSearching, "Searching %s..."},
    {Str::FindInFilesSummary, "%d matches in %d files (%d files searched)"},
    {Str::FindInFilesStopped, "The search was stopped."},
    {Str::FindInFilesUnreadableFolder, "Cannot read the folder %s"},
    {Str::FindInFilesLinkLoop, "Skipped %s: the link leads back into a folder it lies in"},
    {Str::FindInFilesUnreadableFile, "Cannot read %s"},
    {Str::FindInFilesInvalidPattern, "The regular expression is not valid: %s"},
    {Str::FindInFilesListFull,
     "The list is full: only the first %d lines are shown; the count below includes them all."},

    // Function list
    {Str::FunctionListNotSupported, "Language not supported"},
    {Str::FunctionListEventError, "CreateEvent error: %d\n"},

    // Backups
    {Str::BackupFailed, "Penwright failed to backup your file.  Please make sure that the backup "
                        "folder path found in the application properties is valid."},
    {Str::BackupHistoryTitle, "Document Backups"},
    {Str::BackupCurrentItem, "Current"},
    {Str::BackupTimeFormat, "%02d %s %d  %02d:%02d"},
    {Str::BackupSelectTwo,
     "Please ensure that just two items are selected before requesting a compare."},
    {Str::BackupDeleteAllQuestion, "Delete all file backups?"},

    // Compare
    {Str::CompareCaption, "Compare"},
    {Str::CompareSelectFirst, "Please select a file to compare"},
    {Str::CompareFirstMissing, "File does not exist. Please select a file to compare"},
    {Str::CompareSelectSecond, "Please select a second file to compare"},
    {Str::CompareSecondMissing,
     "The second file does not exist. Please select a second file to compare"},
    {Str::CompareDialogTitle, "Compare Files"},
    {Str::CompareHeaderSeparator, " : "},

    // Hex view
    {Str::HexStatusPosition, "Pos: %d"},
    {Str::HexNoActiveDocument, "Error: No Active Document to Search"},
    {Str::HexNotFound, "Not found."},
    {Str::HexInvalidHexDigit, "Invalid hex digit"},
    {Str::HexInvalidDecimalDigit, "Invalid decimal digit. Numeric only."},
    {Str::HexOffsetTooLarge, "Selected offset larger than file length."},
    {Str::HexFileLengthHex, "File Length: %X"},
    {Str::HexFileLengthDecimal, "File Length: %d"},
    {Str::HexFindTitle, "Hex Find"},
    {Str::HexGotoTitle, "Hex Goto"},
    {Str::HexDefaultSaveName, "untitled.txt"},

    // Macros
    {Str::MacroSaveFailed, "Failed to save macro"},
    {Str::MacroLoadFailed, "Failed to load macro"},
    {Str::MacroNameExists, "There is already a macro named %s"},
    {Str::MacroDeleteQuestion, "Are you sure that you want to delete %s?"},
    {Str::MacroDeleteFailed, "Failed to delete macro"},
    {Str::MacrosTitle, "Macros"},
    {Str::NewMacroTitle, "New Macro"},
    {Str::RenameMacroTitle, "Rename Macro"},
    {Str::MacroDefaultName, "Macro"},
    {Str::MacroNamePrompt, "Macro name:"},
    {Str::MacroStepNotReplayable, "Macro step %d uses message %d, which cannot be replayed"},
    {Str::MacroFileTooLarge, "%s is larger than %d MB and cannot be read as a macro file"},
    {Str::MacroTooManySteps, "The macro %s has more than %d steps and cannot be run"},
    {Str::MacroRecordingFull,
     "The macro reached %d steps; the steps after that were not recorded"},

    // External tools and output capture
    {Str::ToolOutputWindow, "Output Window"},
    {Str::ToolOutputEditorDocument, "Editor Document"},
    {Str::ToolOutputRunExternally, "Dos Prompt / Run Externally"},
    {Str::DefaultToolCommandPrompt, "Command Prompt"},
    {Str::DefaultToolExplorer, "Explorer"},
    {Str::ToolCommandFilter,
     "Executable (*.exe)|*.exe|Command (*.com)|*.com|Information (*.pif)|*.pif|Batch "
     "(*.bat;*.cmd)|*.bat; *.cmd|All Files (*.*)|*.*||"},
    {Str::ToolBrowseTitle, "Browse"},
    {Str::ToolsPageTitle, "Tools"},
    {Str::ToolNewDocumentFailed, "CMAINFRAME::ONTOOLSMANAGER::FAILED TO CREATE A NEW DOCUMENT"},
    {Str::RedirErrorPrefix, "\r\nError message: "},
    {Str::RedirConsoleError, "Redirect console error: %x\r\n"},
    {Str::RedirReadPipeError, "Read stdout pipe error\r\n"},
    {Str::RedirThreadDead, "The redir thread is dead\r\n"},

    // Explorer panes and the file properties dialog
    {Str::ProjectAddTip, "Add directory to the Project Explorer"},
    {Str::ProjectRemoveTip, "Remove the current directory from the Project Explorer"},
    {Str::ProjectRemoveQuestion, "Remove %s from the Project Explorer?"},
    {Str::ProjectFileTitle, "Project File"},
    {Str::ProjectFilePrompt, "Enter just the new file or folder name"},
    {Str::ProjectNewFolderName, "New Folder"},
    {Str::ProjectDeleteQuestion, "Are you sure you want to delete\n'%s'?"},
    {Str::ProjectCannotDeleteRoot, "You cannot delete the project folder"},
    {Str::ListHtmlTags, "HTML Tags"},
    {Str::ListHtmlEntities, "HTML Entities"},
    {Str::ListAsciiCodes, "Ascii Codes"},
    {Str::FilePropertiesTitle, "File Properties"},
    {Str::FilePropertiesUnknown, "Unknown"},
    {Str::FilePropertiesSize, "%02d (bytes)"},
    {Str::FilePropertiesTime, "%02d %s %d, %02d:%02d:%02d"},
    {Str::FileExplorerUnreadable, "The folder %s cannot be read"},
    {Str::FileExplorerLinkLoop, "%s leads back to a folder above it and is not opened again"},
    {Str::ProjectFolderReading, "Reading the folder…"},

    // Markup tools
    {Str::XmlWellFormed, "** document is well formed **"},
    {Str::XmlParseError, "Line: %d Col: %d Error parsing xml := '%s'."},
    {Str::TidySevereError, "A severe error (%d) occurred.\n"},
    {Str::TidySheetTitle, "Tidy Properties"},
    {Str::TidyPageHtmlClean, "HTML Clean & Repair"},
    {Str::TidyPageXhtmlClean, "XHTML Clean & Repair"},
    {Str::TidyPageXmlPrettyPrint, "XML Pretty Print"},
    {Str::TidyCategoryMarkup, "Markup"},
    {Str::TidyCategoryDiagnostics, "Diagnostics"},
    {Str::TidyCategoryPrettyPrint, "Pretty Print"},
    {Str::TidyCategoryEncoding, "Encoding"},
    {Str::TidyCategoryMiscellaneous, "Miscellaneous"},
    {Str::TidyCategoryNone, "No Category"},
    {Str::WebPreviewNoSandbox, "Web preview: running as root, the browser runs without its sandbox"},
    {Str::WebPreviewFallback,
     "Web preview: the browser engine could not start; the page is shown in a simple view"},

    // Spell checking
    {Str::SpellInitFailed,
     "Failed to initialize the dictionary.  Check that the dictionary path is correct in settings"},
    {Str::SpellComplete, "The spelling check is complete"},
    {Str::SpellNoSuggestions, "(no spelling suggestions)"},
    {Str::SpellCheckerTitle, "Spell Checker"},
    {Str::SpellPersonalNotSaved,
     "The words added to the personal dictionary could not be saved.\n\n%1"},

    // Recovery of unsaved work
    {Str::RecoveryTitle, "Recover Unsaved Documents"},
    {Str::RecoveryExplain,
     "The program ended without saving these documents. Choose what to do with each one."},
    {Str::RecoveryColumnDocument, "Document"},
    {Str::RecoveryColumnSnapshot, "Snapshot"},
    {Str::RecoveryColumnDisk, "File on disk"},
    {Str::RecoveryColumnAction, "Action"},
    {Str::RecoveryDamaged, "Damaged recovery file"},
    {Str::RecoveryNeverSaved, "Never saved"},
    {Str::RecoveryChangedSince, "Changed since"},
    {Str::RecoveryUnchanged, "Unchanged"},
    {Str::RecoveryRecover, "Recover"},
    {Str::RecoveryDiscard, "Discard"},
    {Str::RecoveryLater, "Decide later"},
    {Str::RecoveryDecideLater, "Decide Later"},
    {Str::RecoveryWriteFailed, "Unsaved changes could not be kept for recovery: %1"},

    // Properties sheet
    {Str::PropertiesSheetTitle, "Document Properties"},
    {Str::PageGeneral, "General Settings"},
    {Str::PageFileFilters, "File Dialog Filters"},
    {Str::PageSyntaxColoring, "Syntax Coloring"},
    {Str::PageBackupManager, "Backup Manager"},
    {Str::PageGeneralMore, "General Settings More"},
    {Str::PageSpellChecker, "Spell Checker"},
    {Str::PagePrinterOptions, "Printer Options"},
    {Str::PageViewSettings, "View Settings"},
    {Str::ShellIntegrationExplainOld,
     "Check this box to add the Penwright Code Editor shortcut to the Windows Explorer context "
     "menu.  Uncheck this box to remove it."},
    {Str::ShellIntegrationExplainNew,
     "Check this box to add a Penwright shortcut to the Windows Explorer context menu.  Uncheck "
     "this box to remove it. Note: Windows Vista will ask permission to do this."},
    {Str::FilterColumnLabel, "Label"},
    {Str::FilterColumnExtension, "Extension"},
    {Str::SyntaxSampleText, "AaBbCcXxYyZz"},
    {Str::DesktopIntegrationExplain,
     "Check this box to add Penwright to the desktop's application menu, with its icon and the "
     "file types it opens.  Uncheck this box to remove it."},
    {Str::DesktopIntegrationUnavailable,
     "This copy of Penwright was built without desktop integration."},

    // Shared: English month names
    {Str::MonthJanuary, "January"},
    {Str::MonthJanuary + 1, "February"},
    {Str::MonthJanuary + 2, "March"},
    {Str::MonthJanuary + 3, "April"},
    {Str::MonthJanuary + 4, "May"},
    {Str::MonthJanuary + 5, "June"},
    {Str::MonthJanuary + 6, "July"},
    {Str::MonthJanuary + 7, "August"},
    {Str::MonthJanuary + 8, "September"},
    {Str::MonthJanuary + 9, "October"},
    {Str::MonthJanuary + 10, "November"},
    {Str::MonthDecember, "December"},
};
} // namespace

const char *string(int id)
{
    const auto it = std::find_if(std::begin(kStrings), std::end(kStrings),
                                 [id](const StringInfo &e) { return e.id == id; });
    return it == std::end(kStrings) ? "" : it->text;
}

std::span<const StringInfo> strings()
{
    return kStrings;
}

} // namespace pw::res
