// CRidereView: the view of a text document, turning editor notifications into document state.
#pragma once

#include "app/commandtarget.h"

#include <QWidget>
#include <functional>
#include <set>

namespace pw {

class CMFCScintilla;
class LanguageRecord;
class CRidereDoc;

class CRidereView : public QWidget, public CommandTarget
{
    Q_OBJECT
public:
    explicit CRidereView(CRidereDoc *document, QWidget *parent = nullptr);
    ~CRidereView() override;

    CMFCScintilla *editor() const { return m_editor; }
    CRidereDoc *document() const { return m_document; }
    bool hasSelection() const { return m_hasSelection; }

    // View operations the main frame calls when a setting changes.
    void applyWordWrap(bool on);
    void applyWhitespace(bool on);
    void applyLineEndings(bool on);
    void applyCaretLine(bool on);
    void applyLineNumbers(bool on);
    void applyFolding(bool on);
    void applyBlockSelect(bool on);
    void applyRuler(bool on);
    void applyLongLine();
    void applyMatchBracket(bool on);
    // The long line marker follows the settings whatever the toggle passes.
    void applyLongLineMarker(bool) { applyLongLine(); }
    void applyFont();
    void gotoPosition(long position);

    // Languages: the frame's language index, applied to the editor.
    int languageIndex() const;
    void applyLanguage();
    // "Color Document As": the frame's and the document's language, and the function-list rules.
    void setLanguage(int index);
    // "More ...": colours by another language without changing the document's language.
    void showViewAsDialog();
    using ViewAsHook = std::function<bool(const QStringList &labels, int &index)>;
    static void setViewAsHook(ViewAsHook hook);

    // "Ln %2d Col %2d" for the caret.
    QString positionText() const;

    // Find and replace on this view's text (the dialogs and the search engine live in search/).
    // The search flags are the component's (SCFIND_MATCHCASE 4, SCFIND_WHOLEWORD 2,
    // SCFIND_REGEXP 0x200000); "^n" in a search or replacement text is the document's line end.
    void setSearchFlags(bool matchCase, bool wholeWord, bool regExp);
    // From the selection downwards (or upwards), once more over the whole text with wrap: the
    // match is selected with its lines made visible; its start, or -1.
    long findNext(const QByteArray &text, bool up, bool wrap);
    // Replaces the selection when lastResult is not -1, then finds the next match downwards.
    long replaceNext(const QByteArray &text, const QByteArray &replacement, long lastResult);
    // Replaces every match (the replacement taken literally) in the document or in the lines of
    // the selection, as one undo step: the count, -1 when nothing matched, -2 when inSelection
    // and nothing is selected.
    int replaceAll(const QByteArray &find, const QByteArray &replacement, int flags,
                   bool inSelection);
    // Toggles the bookmark of every match's line; 0 when nothing matched, else 1.
    int markAll(const QByteArray &text);
    // The selection (at most 99 bytes) or, in seed mode, the remembered "LastSelectedValue".
    QByteArray seedText(bool seedMode);
    // Find Next (F3) and Find Previous (Shift+F3) with no search options; false when nothing
    // was searched or found.
    bool quickSearch(bool up);
    // The Go To Line dialog.
    void gotoLine();

signals:
    void positionChanged(const QString &text);

private:
    void registerCommands();
    void registerSearchCommands();
    void applySettings();
    void onUpdateUi(int updated);
    void followLineCount();
    void onModified(int position, int type, const char *text, int length, int linesAdded, int line,
                    int foldNow, int foldPrev, int token, int annotationLinesAdded);
    void onMarginClick(int position, int modifiers, int margin);
    void foldChanged(long line, int levelNow, int levelPrev);
    void expandFold(long header);
    void showContextMenu(const QPoint &globalPos);
    void insertFileName();
    void registerLanguageCommands();
    void registerFormatCommands();
    void undoRedo(bool undo);
    // Runs a document-wide replacement and puts the caret at the start of the line it was on.
    void replaceKeepingLine(const QByteArray &find, const QByteArray &replacement, int flags);
    LanguageRecord currentLanguage() const;

    CRidereDoc *m_document;
    CMFCScintilla *m_editor;
    bool m_hasSelection = false;
    long m_lineCount = -1;
    std::set<long> m_foldedHeaders;
};

} // namespace pw
