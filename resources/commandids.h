// Command identifiers, numbered as the program's menus, accelerators and toolbars know them.
#pragma once

namespace Cmd {

// Application: files, printing, recent files, help. Numbers from 57600 up are the framework's
// standard ones, kept so that saved toolbar layouts and user key bindings stay meaningful.
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePageSetup = 32800;
constexpr int FilePrintSetup = 57606;
constexpr int FilePrint = 57607;
constexpr int FilePrintPreview = 57609;
constexpr int FileSendMail = 57612;
constexpr int FileMru1 = 57616; // 57616-57619: the four recent files
constexpr int FileMru2 = 57617;
constexpr int FileMru3 = 57618;
constexpr int FileMru4 = 57619;
constexpr int AppExit = 57665;
constexpr int AppAbout = 57664;
constexpr int FileOpenHex = 32790;
constexpr int CompareFiles = 32831;
constexpr int FileSaveAll = 32806;
constexpr int HelpTopics = 32827;
constexpr int HelpContents = 32828;
constexpr int HelpIndex = 57666;  // no menu entry
constexpr int HelpSearch = 32830; // no menu entry

// Text document
constexpr int EncodingUtf8NoMark = 6290; // ours: UTF-8 without the mark, beside 6212 with it
constexpr int EncodingAnsi = 6211;
constexpr int EncodingUtf8 = 6212;
constexpr int EncodingUnicode = 6213;
constexpr int EncodingUnicodeBigEndian = 6214;
constexpr int LineEndingWindows = 6245; // line-ending mode = id - LineEndingWindows
constexpr int LineEndingMac = 6246;
constexpr int LineEndingUnix = 6247;
constexpr int ReloadDocument = 6240;
constexpr int CompareWithActive = 6239;
constexpr int CompareWithSaved = 6241;
constexpr int CompareActiveWithSaved = 6249;
constexpr int ViewBackupVersions = 7500;
constexpr int RefreshFunctionList = 6252;

// Editor view
constexpr int EditUndo = 57643;
constexpr int EditRedo = 57644;
constexpr int EditCut = 57635;
constexpr int EditCopy = 57634;
constexpr int EditPaste = 57637;
constexpr int EditClear = 57632;
// "Delete" of the context menu: nothing answers it, so it always shows disabled
constexpr int EditDelete = 32780;
constexpr int EditSelectAll = 57642;
constexpr int EditCutLine = 32794;
constexpr int EditCutAppend = 32851;
constexpr int EditCopyLine = 32781;
constexpr int EditCopyAppend = 32852;
constexpr int EditDeleteWord = 32786;
constexpr int EditDeleteLine = 32785;
constexpr int EditDeleteToLineEnd = 7001;
constexpr int InsertDate = 32849;
constexpr int InsertTime = 32850;
constexpr int InsertFileName = 32900;
constexpr int EditSelectWord = 32843;
constexpr int EditSelectLine = 32844;
constexpr int SetReadOnly = 6248;
constexpr int ToggleBookmark = 5007;
constexpr int NextBookmark = 5009;
constexpr int PreviousBookmark = 5010;
constexpr int ClearBookmarks = 5011;
constexpr int AutoComplete = 6251;
constexpr int UpperCase = 32846;
constexpr int LowerCase = 32847;
constexpr int TabsToSpaces = 9005;
constexpr int SpacesToTabs = 9006;
constexpr int TrimTrailingSpaces = 9007;
constexpr int SwapLines = 32792;
constexpr int IndentRight = 32821;
constexpr int IndentLeft = 32822;
constexpr int CommentLines = 32825;
constexpr int UnCommentLines = 32826;
constexpr int CopyFilePath = 28000;
constexpr int OpenContainingFolder = 28001;
constexpr int PreviewInBrowser = 521;

// Main frame
constexpr int PaneProjectExplorer = 59586;
constexpr int PaneFileExplorer = 59585;
constexpr int PaneListExplorer = 59510;
constexpr int PaneDocumentSelector = 6218;
constexpr int PaneFunctionList = 59599;
constexpr int PaneToolWindow = 59590;
constexpr int PaneFindInFiles = 59591;
constexpr int ShowAllPanes = 59587;
constexpr int RefreshFileExplorer = 6007;
constexpr int ToggleTabs = 32805;
constexpr int TabsAlignLeft = 32801;
constexpr int TabsAlignRight = 32802;
constexpr int TabsAlignTop = 32803;
constexpr int TabsAlignBottom = 32804;
constexpr int WindowNew = 57648; // a second view of the same document
constexpr int WindowArrange = 57649;
constexpr int WindowCascade = 57650;
constexpr int WindowTile = 57651;
constexpr int CloseAllButActive = 28002;
constexpr int ViewWordWrap = 31001;
constexpr int ViewWhitespace = 31000;
constexpr int ViewLineEndings = 31002;
constexpr int ViewCaretLine = 32787;
constexpr int ViewLineNumbers = 213;
constexpr int ViewRuler = 1902;
constexpr int ViewCodeFolding = 32788;
constexpr int ViewColumnSelect = 9008;
constexpr int ViewLongLineMarker = 6215;
constexpr int ViewMatchBracket = 32789;
constexpr int ViewFont = 32820;
constexpr int NavigateBackward = 9003;
constexpr int NavigateForward = 9002;
constexpr int FindInFiles = 9000;
constexpr int StopUserTool = 651;
constexpr int EditorProperties = 38806;
constexpr int TidyProperties = 1302;
constexpr int XmlTidyProperties = 1309;
constexpr int Customize = 34000;
constexpr int CustomizeAlt = 35001;
constexpr int CustomizeToolbars = 34020;
constexpr int CustomizeMenus = 34021;
constexpr int CustomizeKeyboard = 34022;
constexpr int CustomizePresentation = 34023;
constexpr int CheckForUpdates = 9500;
constexpr int OtherProducts = 9600;
constexpr int OpenUpdatePage = 250; // no menu entry

// Search: find, replace, go to line and the toolbar search box
constexpr int EditFind = 57636;
constexpr int EditReplace = 57641;
constexpr int FindNext = 149;
constexpr int FindPrevious = 32841;
constexpr int GotoLine = 161;
constexpr int ToolbarFindBox = 5000;     // the search box control on the main toolbar
constexpr int FindDialogFindNext = 5080; // the dialogs' "&Find Next" button, also a command of the
                                         // search boxes

// Language selection: "Color Document As" entries are ColorDocumentAs + list position
constexpr int ColorDocumentAs = 25102; // also the menu placeholder while no language is listed
constexpr int ColorDocumentAsLast = 25127;
constexpr int ColorDocumentAsMore = 25128;

// Macros
constexpr int MacroRun = 6013;
constexpr int MacroRecord = 6025;
constexpr int MacroStopRecording = 6012;

// Markup tools
constexpr int HtmlCleanRepair = 1305;
constexpr int XhtmlCleanRepair = 1306;
constexpr int XmlPrettyPrint = 1307;
constexpr int XmlWellFormedCheck = 1308;

// Spell checking
constexpr int SpellChecker = 380;

// External tools: the Tools menu placeholder and the command every tool entry carries
constexpr int ToolsPlaceholder = 1227;
constexpr int RunTool = 1229;

// Hex view: the hex find dialog's "Find" button, which the main frame's accelerators can reach
constexpr int HexFindNext = 59593;

// Project explorer tree
constexpr int ProjectDelete = 6221;
constexpr int ProjectRename = 6222;
constexpr int ProjectNewFile = 6223;
constexpr int ProjectNewFolder = 6224;
constexpr int ProjectCopyFileToClipboard = 6227;
constexpr int ProjectInsertIntoDocument = 6228;
constexpr int ProjectOpenFile = 6229;
constexpr int ProjectAddExistingFile = 6230;
constexpr int ProjectCopyPathToClipboard = 6232;
constexpr int ProjectRefresh = 6234;

// File explorer
constexpr int FileProperties = 32773;

} // namespace Cmd
