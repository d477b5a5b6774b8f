// Menu resource identifiers: menu bars per document kind and the pop-up (context) menus.
#pragma once

namespace MenuId {

// Menu bars: the main frame's own and one per document kind (the document type's resource id)
constexpr int MainFrame = 128; // no document open
constexpr int TextDocument = 129;
constexpr int HexDocument = 500;
constexpr int CompareDocument = 501;
constexpr int WebPreviewDocument = 520;

// Pop-up menus: each holds a single top-level pop-up whose entries are the context menu
constexpr int HexContext = 117;
constexpr int EditorContext = 141;
constexpr int DocumentTabContext = 142;
constexpr int CompareContext = 143;
constexpr int ProjectTreeContext = 6220;
constexpr int FileExplorerContext = 261; // our own number: its contents are ours to choose

} // namespace MenuId
