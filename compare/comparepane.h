// ComparePane: one read-only side of the compare control, row for row with the other side.
#pragma once

#include "compare/engine/filecompare.h"
#include "compare/engine/sidebyside.h"
#include "editor/mfcscintilla.h"

#include <vector>

namespace pw::compare {

// Shows one text of a comparison as rows of the side-by-side layout: every row is one line of the
// component, a line of this text or an empty filler facing a line the other text has alone, so
// both panes have the same lines and scroll together by line number. Rows are coloured by kind
// (removed, added, changed, filler) and the changed characters of changed rows are marked. The
// line-number margin shows the text's own line numbers, filled in for the rows on screen only,
// so a text of a million lines costs nothing up front.
class ComparePane : public CMFCScintilla
{
    Q_OBJECT
public:
    // Marker and indicator numbers of the pane's look.
    static constexpr int RemovedMarker = 0;
    static constexpr int AddedMarker = 1;
    static constexpr int ChangedMarker = 2;
    static constexpr int FillerMarker = 3;
    static constexpr int CurrentMarker = 4; // the arrow beside the difference stepped to
    static constexpr int ChangedCharsIndicator = 8;

    ComparePane(diff::Side side, QWidget *parent = nullptr);

    diff::Side side() const { return m_side; }
    // Fills the pane from a comparison. text and layout must stay alive while they are shown.
    void showComparison(const diff::DiffText &text, const diff::DiffResult &diff,
                        const diff::SideBySideLayout &layout);
    // Plain lines with no rows behind them (binary files, errors); empty clears the pane.
    void showPlainText(const QByteArray &utf8);

    // The row (component line) of the caret.
    int caretRow() const;
    // Puts the caret at column bytes into row (clamped to the row), without scrolling and
    // without a selection.
    void placeCaret(int row, long column);
    long caretColumn() const;
    // The arrow beside the first row of the current difference; -1 for none.
    void markCurrentRow(int row);

    // The selected text as the file has it: filler rows and the line breaks the pane adds to a
    // last line without one are left out.
    QByteArray selectedSourceText() const;

    void setTextFont(const QFont &font);

signals:
    void focused();
    void copyKey();
    void selectAllKey();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setupLook();
    void fillLineNumbers();
    std::optional<int> lineOfRow(int row) const;
    void updateMarginWidth();

    diff::Side m_side;
    const diff::DiffText *m_text = nullptr;
    const diff::SideBySideLayout *m_layout = nullptr;
    std::vector<bool> m_numbered; // rows whose margin text is set
    int m_currentRow = -1;
};

} // namespace pw::compare
