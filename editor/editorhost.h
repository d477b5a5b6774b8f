// EditorHost: the host as text documents and views see it, with the services of the editor floor.
#pragma once

#include "framework/host.h"

#include <QStringList>
#include <memory>

namespace pw {

class CMFCScintilla;
class CRidereView;
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

// The backup copies of one text document; the document owns it. Failures are reported to the user
// here and never stop the document's own work.
class DocumentBackups
{
public:
    virtual ~DocumentBackups() = default;
    // The document has a path: it was loaded, or saved under a new name.
    virtual void init(const QString &path) = 0;
    // Called by a plain save (the document keeps its path) before the file is written: copies
    // the file as it is on disk. A copy that fails shows its message; the save goes on.
    virtual void beforePlainSave(const QString &path) = 0;
    // The document closes.
    virtual void close() = 0;
    // "View Backup Versions": enabled when there is at least one version to list.
    virtual bool canViewVersions() const = 0;
    // The versions dialog, and a compare of the two entries the user picked.
    virtual void viewVersions() = 0;
};

// Makes the backups of each text document; absent when the program is built without backups.
class BackupService
{
public:
    virtual ~BackupService() = default;
    virtual std::unique_ptr<DocumentBackups> createDocumentBackups() = 0;
    // The preferences' Apply: every open document's backups follow the settings now (in mode 2
    // the folder is made, in mode 0 every backup goes). False when the folder could not be made;
    // the user has been told.
    virtual bool applyBackupSettings() = 0;
    // "Delete Files...": every open document forgets its backups, then all of them are deleted.
    // False when something could not be deleted.
    virtual bool deleteAllBackups() = 0;
};

class CRidereDoc;

// Keeps the unsaved text of open documents safe from a crash; absent when the program is built
// without it.
class RecoveryService
{
public:
    virtual ~RecoveryService() = default;
    // document has its view and its text (new, or coming from its file): its changes are
    // watched from now on, until it goes. Watching twice is harmless.
    virtual void watch(CRidereDoc *document) = 0;
};

class EditorHost : public Host
{
public:
    // The languages documents are coloured with; a document's language is its position here.
    virtual const LanguageList &languages() const = 0;
    // Loads the languages again from their files; with applyToOpen every open text window
    // colours its text anew.
    virtual void reloadLanguages(bool applyToOpen) = 0;
    // Every open text window, for settings that reach all of them at once.
    virtual QList<CRidereView *> textViews() const = 0;
    // Navigate Backward and Forward.
    virtual NavigationHistory &navigation() = 0;
    // Null when the program has no function list.
    virtual FunctionListService *functionList() const = 0;
    // Watches the files of open documents for changes by other programs.
    virtual DocumentWatcher &documentWatcher() = 0;
    // Null when the program has no backups.
    virtual BackupService *backups() const = 0;
    // Null when the program keeps no recovery files.
    virtual RecoveryService *recovery() const { return nullptr; }
};

} // namespace pw
