// HexEditorWin: the hex control, offset / hex / character columns painted from a HexBuffer.
#pragma once

#include "hex/engine/hexbuffer.h"
#include "hex/engine/hexsearch.h"

#include <QAbstractScrollArea>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

namespace pw {

// The control of a hex window. Hosts speak to it in the messages below, here typed methods;
// sendMessage() takes them by number, and it tells its host of changes through notify().
//
// Only the rows on screen are ever read, so a file of any size opens and scrolls at once. Offsets
// are 64-bit throughout, so every offset or length a message carries is widened from 32 to 64
// bits: wParam and lParam are pointer-sized, and the two record messages (2170, 2172) hold 64-bit
// lengths and offsets. Where rows outnumber the scroll bar's int range, the bar stands for the
// file in proportion.
//
// Keys: the arrows (by digit within a byte in the hex column), Page Up and Down, Home and End
// (with Ctrl, the ends of the file); Shift extends the selection, as a drag of the mouse does.
// Tab switches between the hex and character columns, Insert between insert and overwrite mode;
// Delete and Backspace remove bytes. One undo step takes back a whole typed byte.
//
// 2172 does not block: it starts the search on a worker thread and returns nonzero when the
// search started; searchFinished() delivers the outcome (and, on a match, the control has
// already selected it). While a search runs the control refuses edits (2134 is then nonzero).
class HexEditorWin : public QAbstractScrollArea
{
    Q_OBJECT
public:
    // The message numbers of the control's contract.
    enum Message : unsigned {
        CutMessage = 768,
        CopyMessage = 769,
        PasteMessage = 770,
        GetPositionMessage = 2116,    // the caret's offset
        SetPositionMessage = 2120,    // wParam: offset
        SetSelectionMessage = 2123,   // wParam: start, lParam: length
        LoadFileMessage = 2127,       // wParam: const char * path (UTF-8)
        SaveFileMessage = 2128,       // wParam: const char * path (UTF-8)
        PasteBlockedMessage = 2134,   // nonzero while edits are refused (read-only, searching)
        IsModifiedMessage = 2136,
        SetupMessage = 2141,          // wParam 1: the host wants notifications
        IsInsertModeMessage = 2142,
        UndoMessage = 2149,
        RedoMessage = 2150,
        CanUndoMessage = 2151,
        CanRedoMessage = 2152,
        EnsureVisibleMessage = 2155,  // wParam: offset
        GetLengthMessage = 2156,
        SetPatternMessage = 2170,     // wParam: const PatternRecord *
        SearchMessage = 2172,         // wParam: const SearchRecord *
        CanCopyMessage = 2174,
        ClipboardFailedMessage = 2175,
    };
    // Codes of notify().
    enum Notification : int {
        PositionChanged = -1024,
        ModifiedChanged = -1029,
        InsertModeChanged = -1030,
    };
    struct PatternRecord
    {
        const std::uint8_t *bytes = nullptr;
        qint64 length = 0;
        int up = 0;
        int caseSensitive = 1;
    };
    struct SearchRecord
    {
        qint64 *match = nullptr; // receives the match's offset when the search ends with one
        qint64 from = 0;
        int up = 0;
    };
    static constexpr int BytesPerRow = 16;

    explicit HexEditorWin(QWidget *parent = nullptr);
    ~HexEditorWin() override;

    // The contract by number; unknown messages give 0.
    qint64 sendMessage(unsigned message, quintptr wParam = 0, qintptr lParam = 0);

    bool loadFile(const QString &path, QString *error = nullptr);
    // Writes the bytes to path (the opened file itself, or another one that then becomes the
    // control's file) through a temporary file and a rename. Edits are refused meanwhile, as the
    // options' progress may let events through.
    bool saveFile(const QString &path, QString *error = nullptr,
                  const hex::SaveOptions &options = {});
    const hex::HexBuffer &buffer() const { return m_buffer; }

    hex::Offset position() const { return m_caret; }
    hex::Offset length() const { return m_buffer.size(); }
    void setPosition(hex::Offset offset);
    void ensureVisible(hex::Offset offset);
    // Selects [start, start + length); the caret goes to its end.
    void setSelection(hex::Offset start, hex::Offset length);
    hex::Offset selectionStart() const { return std::min(m_anchor, m_caret); }
    hex::Offset selectionLength() const { return std::abs(m_caret - m_anchor); }
    bool inCharacterColumn() const { return m_inChars; }
    void setCharacterColumn(bool chars);

    bool isInsertMode() const { return m_insert; }
    void setInsertMode(bool insert);
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool editsRefused() const { return m_readOnly || m_saving || isSearching(); }
    bool isModified() const { return m_buffer.isModified(); }
    bool canCopy() const { return selectionLength() > 0; }
    bool canUndo() const { return !editsRefused() && m_buffer.canUndo(); }
    bool canRedo() const { return !editsRefused() && m_buffer.canRedo(); }
    bool undo();
    bool redo();
    // The clipboard carries the bytes (MimeType) and their hex text ("4D 5A 90"). Paste takes
    // the bytes, else a text of hex digits, else the text's own bytes.
    bool copy();
    bool cut();
    bool paste();
    static const char *const MimeType;

    // Edits at the caret as typing does (for hosts and tests): one hex digit in the hex column,
    // one byte in the character column.
    bool typeText(const QString &text);

    // The search. startSearch() returns false when the pattern is empty or a search runs.
    bool startSearch(const hex::SearchPattern &pattern, hex::Offset from, bool up);
    bool isSearching() const { return m_search != nullptr; }
    void stopSearch();
    // Bytes covered so far and the most the running search can cover.
    hex::Offset searchDone() const;
    hex::Offset searchTotal() const;

    // The first visible row; 64-bit, the scroll bar only follows it.
    qint64 topRow() const { return m_topRow; }
    int visibleRows() const;

signals:
    void notify(int code);
    // A search ended; a Found result is already selected and in view.
    void searchFinished(const hex::SearchResult &result);
    // The file behind the bytes became unreadable (shortened or gone); said once per load.
    void readFailed(const QString &message);
    void contextMenuRequested(const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool) override { return false; } // Tab switches columns

private:
    struct SearchJob;

    hex::Offset rowCount() const;
    qint64 maxTopRow() const;
    void setTopRow(qint64 row);
    void updateScrollBars();
    // The byte and column under a point of the viewport; false outside the columns.
    bool hitTest(const QPoint &pos, hex::Offset &offset, bool &chars, int &nibble) const;
    void moveCaret(hex::Offset to, bool extend, int nibble = 0);
    bool editAt(hex::Offset at, const std::vector<std::uint8_t> &bytes, bool insert);
    bool typeHexDigit(int digit);
    bool typeByte(std::uint8_t byte);
    bool removeSelectionOrByte(bool backwards);
    void afterEdit(hex::Offset caret);
    void emitChanges();
    void finishSearch(int job, const hex::SearchResult &result);
    void checkReadError();

    hex::HexBuffer m_buffer;
    hex::Offset m_caret = 0;
    hex::Offset m_anchor = 0;
    int m_nibble = 0; // 1: the caret is on the low digit of its byte
    // Where the first digit of a byte was just typed (-1: nowhere), and that digit.
    hex::Offset m_halfByteAt = -1;
    int m_halfByteDigit = 0;
    bool m_inChars = false;
    bool m_insert = false;
    bool m_readOnly = false;
    bool m_saving = false;
    bool m_notifying = false;
    qint64 m_topRow = 0;
    int m_wheelRemainder = 0;
    bool m_settingScroll = false;

    // Layout, from the font.
    int m_charWidth = 8;
    int m_rowHeight = 16;
    int m_ascent = 12;
    int m_offsetDigits = 8;

    // What the last notifications said, so a change is told once.
    hex::Offset m_toldPosition = -1;
    bool m_toldModified = false;
    bool m_toldReadError = false;

    hex::SearchPattern m_pattern; // 2170's, used by 2172
    bool m_patternUp = false;
    std::unique_ptr<SearchJob> m_search;
    int m_searchNumber = 0;
};

} // namespace pw
