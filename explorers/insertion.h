// The active text window's editor, where the explorer panes insert their texts.
#pragma once

#include <QByteArray>

namespace pw {

class CMFCScintilla;
class Host;

// Null unless the active window is a text window.
CMFCScintilla *activeTextEditor(Host &host);
// Hands text to the active editor's InsertTemplate; false when no text window is active.
bool insertTemplateText(Host &host, const QByteArray &text);

} // namespace pw
