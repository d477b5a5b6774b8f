// String-table identifiers. Numbered ids come from the program's resources; texts the program shows
// without a numbered resource get ids from 40000 up, in blocks of a hundred per subsystem.
#pragma once

namespace Str {

// Resources numbered by the program itself
constexpr int AppTitle = 128;     // "Penwright"
constexpr int DocTypeText = 129;  // the text document type's descriptor fields
// Address opened by "C&heck for Updates". It has no text: there is no web site, so the help
// page's section on updates answers instead.
constexpr int MakerWebSite = 134;
constexpr int DocTypeHex = 500;
constexpr int DocTypeCompare = 501;
constexpr int DocTypeWebPreview = 520;
// Look-and-feel names: the "Theme" setting holds the id, ThemeFirst + the list index
constexpr int ThemeWindows2000 = 720;
constexpr int ThemeWindowsXp = 721;
constexpr int ThemeWhidbey = 722;
constexpr int ThemeOfficeXp = 723;
constexpr int ThemeOffice2003 = 724;
constexpr int ThemeFirst = ThemeWindows2000;
constexpr int ThemeLast = ThemeOffice2003;
constexpr int SearchTextNotFound = 10501; // "The search text was not found"
constexpr int NoMoreBookmarks = 10502;    // "No more bookmarks have been found"
constexpr int FailedSaveFileExtension = 10503;
constexpr int SelectFiltersBeforeDelete = 10504;
constexpr int ProvideSearchValue = 10505; // "Please provide a search value"
constexpr int FindNothingToDo = 10508;    // "Find has nothing to do"
constexpr int IndicatorCaps = 59137;      // status-bar indicators share their pane's id
constexpr int IndicatorNum = 59138;
constexpr int IndicatorScroll = 59139;
constexpr int IndicatorInsert = 59598;

// Application and text document (40000)
constexpr int FailedCreateFileOnSave = 40001; // "Failed to create a new file when saving ..."
constexpr int FailedCreateCompareTemp = 40002;
constexpr int ReloadModifiedQuestion = 40003;
constexpr int SaveChangesQuestion = 40004; // "Save changes to %1?"
constexpr int AllFilesFilter = 40005;      // "All Files (*.*)|*.*||"
constexpr int StatusLineColumn = 40006;    // "Ln %2d Col %2d"
constexpr int Untitled = 40007;            // "Untitled"
constexpr int ReadOnlySuffix = 40008;      // " [Read Only]"
constexpr int ReplaceExistingQuestion = 40009; // "%1 already exists.\nDo you want to replace it?"
constexpr int EncodingUtf8Name = 40010;    // file dialogs: EncodingNameFirst + encoding code
constexpr int EncodingUnicodeName = 40011;
constexpr int EncodingUnicodeBigEndianName = 40012;
constexpr int EncodingAnsiName = 40013;
constexpr int EncodingAutoName = 40014;
constexpr int EncodingNameFirst = EncodingUtf8Name;
constexpr int LineEndingWindowsName = 40015; // LineEndingNameFirst + line-ending mode
constexpr int LineEndingMacName = 40016;
constexpr int LineEndingUnixName = 40017;
constexpr int LineEndingNameFirst = LineEndingWindowsName;
constexpr int OpenAsText = 40018; // OpenAsNameFirst + open mode (0-2)
constexpr int OpenAsHex = 40019;
constexpr int OpenAsAuto = 40020;
constexpr int OpenAsNameFirst = OpenAsText;
// Text integrity: what a save cannot write, files changed by other programs, odd file ends.
constexpr int CannotEncodeQuestion = 40021;   // path, encoding, character, line
constexpr int ChangedOnDiskReload = 40022;    // "%s\n\nThis file has been changed by another ..."
constexpr int DeletedOnDiskKeep = 40023;      // "%s\n\nThis file has been deleted or moved ..."
constexpr int ChangedOnDiskSave = 40024;      // asked before saving over another program's change
constexpr int ReloadedFromDisk = 40025;       // status-bar note after a reload in place
constexpr int TrailingBytesKept = 40026;      // path, byte count
constexpr int FileTooLargeForText = 40027;    // path
constexpr int SaveFailedReason = 40028;       // second line of a failed save: the system's reason
constexpr int LargeFileMode = 40029;          // status-bar note for a file opened in large-file mode
constexpr int TooLargeOpenAsHex = 40030;      // path, size: offered the hex window instead of text
constexpr int ColouringClearsUndo = 40031;    // asked before a modified large text is rebuilt to colour it
constexpr int LinesCutQuestion = 40032;       // path, longest line, limit: show cut lines whole?
constexpr int LinesCutStatus = 40033;         // status-bar note for a text with cut lines
constexpr int LinesCutCannotSave = 40034;     // path: refused save of a text with cut lines

// Main frame (40100)
constexpr int CaptionProjectExplorer = 40100;
constexpr int CaptionFileExplorer = 40101;
constexpr int CaptionListExplorer = 40102;
constexpr int CaptionDocumentSelector = 40103;
constexpr int CaptionFunctionList = 40104;
constexpr int CaptionToolWindow = 40105;
constexpr int CaptionFindInFiles = 40106;
constexpr int MenuBarTitle = 40110;
constexpr int ToolbarTitle = 40111;
constexpr int HideTabs = 40112; // the tab toggle's text names the action it takes
constexpr int ShowTabs = 40113;

// Printing (40200)
constexpr int PrintPageFooter = 40200; // "Page %d"
constexpr int PrintFailed = 40201;     // "%s" names the printer or the file
constexpr int PreviewTitle = 40202;
constexpr int PreviewPrint = 40203;
constexpr int PreviewFirst = 40204;
constexpr int PreviewPrevious = 40205;
constexpr int PreviewNext = 40206;
constexpr int PreviewLast = 40207;
constexpr int PreviewZoomIn = 40208;
constexpr int PreviewZoomOut = 40209;
constexpr int PreviewStop = 40210;
constexpr int PreviewClose = 40211;
constexpr int PreviewPageCount = 40212;
constexpr int PreviewCounting = 40213;
constexpr int PrintNoPrinter = 40214;

// Language selection (40300)
constexpr int ColoringNotAvailable = 40300;
constexpr int ViewAsTitle = 40301;
constexpr int ViewAsPrompt = 40302;
constexpr int ConfigLoadError = 40303; // composed for diagnostics, shown nowhere

// Find and replace (40400)
constexpr int OccurrencesReplaced = 40400; // "%d occurrence(s) replaced"
constexpr int ReplaceSelectionEmpty = 40401;
constexpr int ReplaceAllNotFound = 40402; // "Search text not found."
constexpr int FindTitle = 40403;
constexpr int ReplaceTitle = 40404;
constexpr int GotoTitle = 40405;
constexpr int GotoLineLabel = 40406; // "Line number (1 - %d):"
constexpr int SearchStopped = 40407;  // "The search was stopped before the end of the text.\n%s"
constexpr int SearchInvalidPattern = 40408; // "The regular expression is not valid:\n%s"
constexpr int SearchLimitReached = 40409;   // why a regular expression search stopped

// Find in files (40500)
constexpr int FindInFilesTitle = 40500;
constexpr int FindInFilesResultLine = 40501; // "%s (%d): %s": path, line, line text
constexpr int FindInFilesAllTypes = 40502;   // "*.*"
constexpr int FindInFilesSearching = 40503;  // "Searching %s...": the folder
constexpr int FindInFilesSummary = 40504;    // matching lines, files with matches, files searched
constexpr int FindInFilesStopped = 40505;
constexpr int FindInFilesUnreadableFolder = 40506; // the folder
constexpr int FindInFilesLinkLoop = 40507;         // the link
constexpr int FindInFilesUnreadableFile = 40508;   // the file
constexpr int FindInFilesInvalidPattern = 40509;   // why
constexpr int FindInFilesListFull = 40510;         // the lines listed so far

// Function list (40600)
constexpr int FunctionListNotSupported = 40600;
constexpr int FunctionListEventError = 40601; // debugger output

// Backups (40700)
constexpr int BackupFailed = 40700;
constexpr int BackupHistoryTitle = 40701;
constexpr int BackupCurrentItem = 40702;
constexpr int BackupTimeFormat = 40703; // day, month name, year, hour, minute
constexpr int BackupSelectTwo = 40704;
constexpr int BackupDeleteAllQuestion = 40705;

// Compare (40800)
constexpr int CompareCaption = 40800;
constexpr int CompareSelectFirst = 40801;
constexpr int CompareFirstMissing = 40802;
constexpr int CompareSelectSecond = 40803;
constexpr int CompareSecondMissing = 40804;
constexpr int CompareDialogTitle = 40805;
constexpr int CompareHeaderSeparator = 40806; // " : " between the two file names

// Hex view (40900)
constexpr int HexStatusPosition = 40900; // "Pos: %d"
constexpr int HexNoActiveDocument = 40901;
constexpr int HexNotFound = 40902;
constexpr int HexInvalidHexDigit = 40903;
constexpr int HexInvalidDecimalDigit = 40904;
constexpr int HexOffsetTooLarge = 40905;
constexpr int HexFileLengthHex = 40906;     // "File Length: %X"
constexpr int HexFileLengthDecimal = 40907; // "File Length: %d"
constexpr int HexFindTitle = 40908;
constexpr int HexGotoTitle = 40909;
constexpr int HexDefaultSaveName = 40910; // "untitled.txt"

// Macros (41000)
constexpr int MacroSaveFailed = 41000;
constexpr int MacroLoadFailed = 41001;
constexpr int MacroNameExists = 41002;     // "There is already a macro named %s"
constexpr int MacroDeleteQuestion = 41003; // "Are you sure that you want to delete %s?"
constexpr int MacroDeleteFailed = 41004;
constexpr int MacrosTitle = 41005;
constexpr int NewMacroTitle = 41006;
constexpr int RenameMacroTitle = 41007;
constexpr int MacroDefaultName = 41008;
constexpr int MacroNamePrompt = 41009;
constexpr int MacroStepNotReplayable = 41010; // "Macro step %d uses message %d, ..."
constexpr int MacroFileTooLarge = 41011;      // file path, size limit in MB
constexpr int MacroTooManySteps = 41012;      // macro name, step limit
constexpr int MacroRecordingFull = 41013;     // step limit

// External tools and output capture (41100)
constexpr int ToolOutputWindow = 41100; // ToolOutputModeFirst + output mode (0-2)
constexpr int ToolOutputEditorDocument = 41101;
constexpr int ToolOutputRunExternally = 41102;
constexpr int ToolOutputModeFirst = ToolOutputWindow;
constexpr int DefaultToolCommandPrompt = 41103;
constexpr int DefaultToolExplorer = 41104;
constexpr int ToolCommandFilter = 41105; // file filter of the Command field's browse button
constexpr int ToolBrowseTitle = 41106;
constexpr int ToolsPageTitle = 41107;
constexpr int ToolNewDocumentFailed = 41108; // debugger output
constexpr int RedirErrorPrefix = 41110;      // written before each of the three texts below
constexpr int RedirConsoleError = 41111;     // "Redirect console error: %x\r\n"
constexpr int RedirReadPipeError = 41112;
constexpr int RedirThreadDead = 41113;

// Explorer panes and the file properties dialog (41200)
constexpr int ProjectAddTip = 41200;
constexpr int ProjectRemoveTip = 41201;
constexpr int ProjectRemoveQuestion = 41202; // "Remove %s from the Project Explorer?"
constexpr int ProjectFileTitle = 41203;
constexpr int ProjectFilePrompt = 41204;
constexpr int ProjectNewFolderName = 41205;
constexpr int ProjectDeleteQuestion = 41206; // "Are you sure you want to delete\n'%s'?"
constexpr int ProjectCannotDeleteRoot = 41207;
constexpr int ListHtmlTags = 41210; // ListNameFirst + the list's item data (0-2)
constexpr int ListHtmlEntities = 41211;
constexpr int ListAsciiCodes = 41212;
constexpr int ListNameFirst = ListHtmlTags;
constexpr int FilePropertiesTitle = 41213;
constexpr int FilePropertiesUnknown = 41214;
constexpr int FilePropertiesSize = 41215; // "%02d (bytes)"
constexpr int FilePropertiesTime = 41216; // day, month name, year, hour, minute, second
constexpr int FileExplorerUnreadable = 41217; // "%s": the folder
constexpr int FileExplorerLinkLoop = 41218;   // "%s": the folder
constexpr int ProjectFolderReading = 41219;

// Markup tools (41300)
constexpr int XmlWellFormed = 41300;
constexpr int XmlParseError = 41301;   // row, column, parser's description
constexpr int TidySevereError = 41302; // "A severe error (%d) occurred.\n"
constexpr int TidySheetTitle = 41303;
constexpr int TidyPageHtmlClean = 41304;
constexpr int TidyPageXhtmlClean = 41305;
constexpr int TidyPageXmlPrettyPrint = 41306;
constexpr int TidyCategoryMarkup = 41310; // TidyCategoryFirst + Tidy's category (0-4)
constexpr int TidyCategoryDiagnostics = 41311;
constexpr int TidyCategoryPrettyPrint = 41312;
constexpr int TidyCategoryEncoding = 41313;
constexpr int TidyCategoryMiscellaneous = 41314;
constexpr int TidyCategoryNone = 41315; // any other category
constexpr int TidyCategoryFirst = TidyCategoryMarkup;
constexpr int WebPreviewNoSandbox = 41320;
constexpr int WebPreviewFallback = 41321;

// Spell checking (41400)
constexpr int SpellInitFailed = 41400;
constexpr int SpellComplete = 41401;
constexpr int SpellNoSuggestions = 41402;
constexpr int SpellCheckerTitle = 41403;
constexpr int SpellPersonalNotSaved = 41404;

// Properties sheet (41500)
constexpr int PropertiesSheetTitle = 41500; // "Document Properties"
constexpr int PageGeneral = 41501;          // pages in the order the sheet shows them
constexpr int PageFileFilters = 41502;
constexpr int PageSyntaxColoring = 41503;
constexpr int PageBackupManager = 41504;
constexpr int PageGeneralMore = 41505;
constexpr int PageSpellChecker = 41506;
constexpr int PagePrinterOptions = 41507;
constexpr int PageViewSettings = 41508;
constexpr int ShellIntegrationExplainOld = 41510; // systems of major version 5 or lower
constexpr int ShellIntegrationExplainNew = 41511;
constexpr int FilterColumnLabel = 41512;
constexpr int FilterColumnExtension = 41513;
constexpr int SyntaxSampleText = 41514; // "AaBbCcXxYyZz"
// The shell integration on this platform: a desktop entry in the user's application menu.
constexpr int DesktopIntegrationExplain = 41520;
constexpr int DesktopIntegrationUnavailable = 41521;

// Recovery of unsaved work (41700)
constexpr int RecoveryTitle = 41700;
constexpr int RecoveryExplain = 41701;
constexpr int RecoveryColumnDocument = 41702;
constexpr int RecoveryColumnSnapshot = 41703;
constexpr int RecoveryColumnDisk = 41704;
constexpr int RecoveryColumnAction = 41705;
constexpr int RecoveryDamaged = 41706;
constexpr int RecoveryNeverSaved = 41707;
constexpr int RecoveryChangedSince = 41708;
constexpr int RecoveryUnchanged = 41709;
constexpr int RecoveryRecover = 41710; // the action choices, in the dialog's Choice order
constexpr int RecoveryDiscard = 41711;
constexpr int RecoveryLater = 41712;
constexpr int RecoveryDecideLater = 41713;
constexpr int RecoveryWriteFailed = 41714;

// Shared: English month names, MonthFirst + month - 1 (1-12)
constexpr int MonthJanuary = 41600;
constexpr int MonthDecember = 41611;
constexpr int MonthFirst = MonthJanuary;

} // namespace Str
