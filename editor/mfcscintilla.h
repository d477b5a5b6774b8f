// CMFCScintilla: the editing component of every text window, with typed operations over its
// messages.
#pragma once

#include <QByteArray>
#include <QString>
#include <Qsci/qsciscintillabase.h>
#include <memory>
#include <utility>
#include <vector>

namespace pw {

class LanguageRecord;
class RecordedSteps;
struct FrameSettings;

// The component's message and constant names live in its class.
using Sci = QsciScintillaBase;

class CMFCScintilla : public QsciScintillaBase
{
    Q_OBJECT
public:
    // Fixed numbers of the component's look.
    static constexpr int BookmarkMarker = 1;
    static constexpr int BookmarkMask = 1 << BookmarkMarker;
    static constexpr int SpareMarker = 15;
    static constexpr int BookmarkMargin = 0;
    static constexpr int SelectMargin = 1;
    static constexpr int LineNumberMargin = 2;
    static constexpr int FoldMargin = 4;
    static constexpr int EditorChildId = 0x8011;

    // From this size on, insertions and deletions are no longer reported one by one, and the
    // editor's accessible stops translating positions: the component's Qt layer counts the
    // characters before a position for each of those, so every keystroke near the end of a big
    // text would cost a scan of everything before it.
    static constexpr long QuietDocumentBytes = 1L << 20;

    // Changes made while one of these lives are not reported one by one (see above: a long run
    // of them on a big text would take hours); whoever listens catches up from the content
    // update that follows. With OneUndoStep the changes also undo together.
    class QuietChanges
    {
    public:
        enum Grouping { SeparateSteps, OneUndoStep };
        explicit QuietChanges(CMFCScintilla *editor, Grouping grouping = OneUndoStep);
        ~QuietChanges();
        QuietChanges(const QuietChanges &) = delete;
        QuietChanges &operator=(const QuietChanges &) = delete;

    private:
        CMFCScintilla *m_editor;
        bool m_grouped;
    };

    // Changes made while one of these lives leave nothing in the component's undo record: the
    // editor keeps such a step itself (recordedSteps()).
    class UndoCollectionOff
    {
    public:
        explicit UndoCollectionOff(CMFCScintilla *editor);
        ~UndoCollectionOff();
        UndoCollectionOff(const UndoCollectionOff &) = delete;
        UndoCollectionOff &operator=(const UndoCollectionOff &) = delete;

    private:
        CMFCScintilla *m_editor;
        long m_collecting;
    };

    explicit CMFCScintilla(QWidget *parent = nullptr);
    ~CMFCScintilla() override;

    // Reports every kind of modification on small texts, and all but insertions and deletions
    // from QuietDocumentBytes on; the accessible follows the same size rule.
    void updateModificationEvents();
    // The editor's accessible translates positions only while an assistive technology listens
    // and the text is small; otherwise it is a plain one that costs nothing per caret move.
    bool wantsPlainAccessible() const;
    void refreshAccessible();

    // The one entry point for every message; QsciScintillaBase already calls the component
    // directly rather than through an event queue. Undo and Redo played from the editor's own
    // records (recordedSteps()) rely on every undo, redo and history change coming through here.
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    long sendText(unsigned int message, unsigned long wParam, const char *text) const;
    long sendPtr(unsigned int message, unsigned long wParam, void *pointer) const;

    // Look
    void setupDefaults();
    void setFont(const QString &face, int pointSize, bool bold, bool italic, int charset);
    void showLineNumbers(bool show, int margin = LineNumberMargin);
    // Width the line-number margin takes for the current line count and font.
    int lineNumberMarginWidth() const;
    void setFolding(bool enabled);
    void setWordWrap(bool on);
    void showWhitespace(bool on);
    void showLineEndings(bool on);
    void setCaretLine(bool visible, unsigned colour, int alpha);
    void setLongLineMarker(int mode, int column);
    void setBlockSelect(bool on);
    bool blockSelect() const { return m_blockSelect; }
    void showRuler(bool on);
    bool rulerShown() const { return m_ruler; }
    void setCodePage(int codePage);
    // Colours the text as the language describes: lexer, keywords, styles, tabs and braces.
    // options are the view settings the language step uses (tabs, guides, brace colours).
    void applyLanguage(const LanguageRecord &record, const FrameSettings &options);
    // Background of one margin (the component's margin-colour extension).
    void setMarginColour(int margin, unsigned colour);

    // Undo steps kept by the editor rather than the component (a Replace All's).
    RecordedSteps &recordedSteps() const { return *m_recordedSteps; }

    // Editing
    void undo() { send(SCI_UNDO); }
    void redo() { send(SCI_REDO); }
    void cut() { send(SCI_CUT); }
    void copy() { send(SCI_COPY); }
    void paste() { send(SCI_PASTE); }
    void selectAll() { send(SCI_SELECTALL); }
    void clear() { send(SCI_CLEARALL); }
    bool canUndo() const { return send(SCI_CANUNDO) == 1; }
    bool canRedo() const { return send(SCI_CANREDO) == 1; }
    bool canPaste() const { return send(SCI_CANPASTE) > 0; }
    bool hasSelection() const;
    bool isReadOnly() const { return send(SCI_GETREADONLY) != 0; }
    void setReadOnly(bool on) { send(SCI_SETREADONLY, on ? 1 : 0); }
    void cutLine() { send(SCI_LINECUT); }
    void copyLine() { send(SCI_LINECOPY); }
    void deleteLine() { send(SCI_LINEDELETE); }
    void deleteToLineEnd() { send(SCI_DELLINERIGHT); }
    void swapLines() { send(SCI_LINETRANSPOSE); }
    void upperCase() { send(SCI_UPPERCASE); }
    void lowerCase() { send(SCI_LOWERCASE); }
    void indentLeft() { send(SCI_BACKTAB); }
    void indentRight();
    void deleteWord();
    void selectWord(long position);
    void selectLine(long line);
    QByteArray getSelectedText() const;
    QByteArray getLineText(long line) const;
    QByteArray textRange(long start, long end) const;
    void insertTemplate(const QByteArray &text);
    void insertDate();
    void insertTime();
    void showWordList(const QByteArray &words);
    void gotoLineEnsureVisible(long line, bool ensureVisible);

    // Text conversion between the editor's bytes (Ansi or UTF-8 by code page) and QString.
    QByteArray toEditorBytes(const QString &text) const;
    QString fromEditorBytes(const QByteArray &bytes) const;

    // Bookmarks (marker 1)
    void toggleBookmark(long line = -1);
    // Shows "No more bookmarks have been found" and returns false when there is nowhere to go.
    bool gotoBookmark(bool forward, bool extend);
    void clearBookmarks() { send(SCI_MARKERDELETEALL, BookmarkMarker); }
    // Every line that carries markers, with its marker set, in line order.
    std::vector<std::pair<long, int>> lineMarkers() const;
    // Puts markers back exactly as lineMarkers() found them, for text whose line count is the same.
    void restoreLineMarkers(const std::vector<std::pair<long, int>> &markers);

    void commentLines(bool comment, const QByteArray &marker);
    void autoIndent(int character, bool nest);
    bool findMatchingBrace(long &braceAtCaret, long &braceOpposite, bool sloppy) const;
    void highlightBraces();

    // Appending to the clipboard; both leave the clipboard alone when it holds no text.
    void copyAppend();
    void cutAppend();

    // A seam for tests and for platforms whose date functions need care.
    static QString formatDate();
    static QString formatTime();

signals:
    // The caret moved (the component's caret-move extension): position is the new caret.
    void caretMoved(long position);
    // The outermost QuietChanges ended: lines may have come or gone unreported.
    void quietChangesEnded();
    void contextMenuRequested(const QPoint &globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The component's own keys for Undo and Redo (Alt+Backspace, Ctrl+Shift+Z) may reach a
    // recorded step.
    void keyPressEvent(QKeyEvent *event) override;

private:
    class Ruler;
    void onUpdateUi(int updated);
    void registerLiveEditor();

    bool m_blockSelect = false;
    bool m_ruler = false;
    Ruler *m_rulerWidget = nullptr;
    bool m_option2500 = true;
    int m_quietDepth = 0;
    bool m_largeDocument = false;
    // Made before the constructor sends its first message.
    std::unique_ptr<RecordedSteps> m_recordedSteps;
};

// Colour text "#RRGGBB" to the component's 0x00BBGGRR value.
unsigned colourFromText(const char *text);

} // namespace pw
