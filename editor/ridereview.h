// CRidereView: the view of a text document, turning editor notifications into document state.
#pragma once

#include "framework/commandtarget.h"

#include <QWidget>
#include <functional>
#include <optional>

namespace pw {

class CMFCScintilla;
class CRidereDoc;
class EditorHost;
class LanguageRecord;

class CRidereView : public QWidget, public CommandTarget
{
    Q_OBJECT
public:
    CRidereView(EditorHost &host, CRidereDoc *document, QWidget *parent = nullptr);
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
    // Tab width, tabs or spaces and indentation guides, after the settings changed.
    void applyTabs();
    void gotoPosition(long position);

    // The language the text is coloured by: the document's, unless "More ..." chose another
    // for this window only.
    int languageIndex() const;
    void applyLanguage();
    // "Color Document As": the document's language, its colouring and its function-list rules.
    void setLanguage(int index);
    // "More ...": colours by another language without changing the document's language.
    void showViewAsDialog();
    using ViewAsHook = std::function<bool(const QStringList &labels, int &index)>;
    static void setViewAsHook(ViewAsHook hook);

    // The document attached a new text: its language comes back, and a plain one (large, and
    // nobody asked for colouring) starts without colouring, folding and word wrap.
    void textReplaced(bool plain);

    // "Ln %2d Col %2d" for the caret.
    QString positionText() const;

signals:
    void positionChanged(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static inline ViewAsHook s_viewAsHook;
    void registerCommands();
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
    void replaceKeepingLine(const QByteArray &find, const QByteArray &replacement, bool regExp);
    LanguageRecord currentLanguage() const;

    EditorHost &m_host;
    CRidereDoc *m_document;
    CMFCScintilla *m_editor;
    std::optional<int> m_viewAsIndex;
    // Large-file mode: plain until the user chooses a language.
    bool m_plainLargeText = false;
    bool m_hasSelection = false;
    long m_lineCount = -1;
};

} // namespace pw
