// EditorHost: the host as text documents and views see it, with the services of the editor floor.
#pragma once

#include "framework/host.h"

#include <QStringList>

namespace pw {

class CMFCScintilla;
class DocumentWatcher;
class LanguageList;
class NavigationHistory;

// The function list, as text documents reach it; absent when the program is built without it.
class FunctionListService
{
public:
    // Why a parse is asked for: each reason has its own quiet time before the parse starts.
    enum class Reason { Forced, Loaded, Painted };

    virtual ~FunctionListService() = default;
    // Asks for a parse of the editor's text. key tells documents apart (the path, or the title
    // of an untitled one); lexerId picks the rules (0 or less: none).
    virtual void requestParse(CMFCScintilla *editor, const QString &key, int lexerId,
                              Reason reason) = 0;
    // Names of the functions listed for editor, in line order; empty when the list shows
    // another document or nothing.
    virtual QStringList names(const CMFCScintilla *editor) const = 0;
    // The caret of editor moved to line (0-based): the list selects the function holding it.
    virtual void caretMoved(CMFCScintilla *editor, int line) = 0;
    // Whether a forced refresh can do anything now (the pane is shown).
    virtual bool isShown() const = 0;
};

class EditorHost : public Host
{
public:
    // The languages documents are coloured with; a document's language is its position here.
    virtual const LanguageList &languages() const = 0;
    // Navigate Backward and Forward.
    virtual NavigationHistory &navigation() = 0;
    // Null when the program has no function list.
    virtual FunctionListService *functionList() const = 0;
    // Watches the files of open documents for changes by other programs.
    virtual DocumentWatcher &documentWatcher() = 0;
};

} // namespace pw
