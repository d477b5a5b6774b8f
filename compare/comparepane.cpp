// ComparePane: filling one side of the compare control, its colours, line numbers and copy.
#include "compare/comparepane.h"

#include <QFocusEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <algorithm>
#include <string>

namespace pw::compare {

namespace {

// Colours as the component takes them: 0x00BBGGRR.
constexpr long RemovedBack = 0xD8D8FF;  // light red
constexpr long AddedBack = 0xD4F4D4;    // light green
constexpr long ChangedBack = 0xC4F2FF;  // light amber
constexpr long FillerBack = 0xE6E6E6;   // grey: no line on this side
constexpr long RemovedChars = 0x7070E8; // the changed characters, stronger than their row
constexpr long AddedChars = 0x50B850;
constexpr long CaretLineBack = 0xE8C8A8;
constexpr long CurrentArrow = 0x2060C0;

// Text goes to the component in pieces of about this size: few calls, little extra memory.
constexpr std::size_t AppendPiece = 4 << 20;

} // namespace

ComparePane::ComparePane(diff::Side side, QWidget *parent) : CMFCScintilla(parent), m_side(side)
{
    setObjectName(side == diff::Side::First ? QStringLiteral("FirstPane")
                                            : QStringLiteral("SecondPane"));
    setupLook();
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { fillLineNumbers(); });
}

void ComparePane::setupLook()
{
    send(SCI_SETCODEPAGE, SC_CP_UTF8);
    send(SCI_SETLEXER, SCLEX_NULL);
    send(SCI_SETUNDOCOLLECTION, 0);
    send(SCI_SETWRAPMODE, SC_WRAP_NONE);
    send(SCI_SETREADONLY, 1);
    setTextFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    send(SCI_SETMARGINTYPEN, 0, SC_MARGIN_RTEXT);
    send(SCI_SETMARGINMASKN, 0, 0);
    send(SCI_SETMARGINTYPEN, 1, SC_MARGIN_SYMBOL);
    send(SCI_SETMARGINWIDTHN, 1, 12);
    send(SCI_SETMARGINMASKN, 1, 1 << CurrentMarker);
    for (int margin = 2; margin < 5; ++margin)
        send(SCI_SETMARGINWIDTHN, margin, 0);

    const bool first = m_side == diff::Side::First;
    const std::pair<int, long> rowColours[] = {
        {RemovedMarker, RemovedBack},
        {AddedMarker, AddedBack},
        {ChangedMarker, ChangedBack},
        {FillerMarker, FillerBack},
    };
    for (const auto &[marker, colour] : rowColours) {
        send(SCI_MARKERDEFINE, marker, SC_MARK_BACKGROUND);
        send(SCI_MARKERSETBACK, marker, colour);
    }
    send(SCI_MARKERDEFINE, CurrentMarker, SC_MARK_SHORTARROW);
    send(SCI_MARKERSETFORE, CurrentMarker, CurrentArrow);
    send(SCI_MARKERSETBACK, CurrentMarker, CurrentArrow);

    send(SCI_INDICSETSTYLE, ChangedCharsIndicator, INDIC_STRAIGHTBOX);
    send(SCI_INDICSETFORE, ChangedCharsIndicator, first ? RemovedChars : AddedChars);
    send(SCI_INDICSETALPHA, ChangedCharsIndicator, 120);
    send(SCI_INDICSETOUTLINEALPHA, ChangedCharsIndicator, 200);
    send(SCI_INDICSETUNDER, ChangedCharsIndicator, 1);

    // The caret of the other pane follows this one; both show where they are.
    send(SCI_SETCARETLINEVISIBLE, 1);
    send(SCI_SETCARETLINEVISIBLEALWAYS, 1);
    send(SCI_SETCARETLINEBACK, CaretLineBack);
    send(SCI_SETCARETLINEBACKALPHA, 70);
}

void ComparePane::setTextFont(const QFont &font)
{
    const QByteArray family = font.family().toUtf8();
    sendText(SCI_STYLESETFONT, STYLE_DEFAULT, family.constData());
    send(SCI_STYLESETSIZE, STYLE_DEFAULT, std::max(1, font.pointSize()));
    send(SCI_STYLECLEARALL);
    send(SCI_STYLESETFORE, STYLE_LINENUMBER, 0x808000);
    send(SCI_STYLESETBACK, STYLE_LINENUMBER, 0xF4F4F4);
    updateMarginWidth();
}

void ComparePane::updateMarginWidth()
{
    if (!m_text) {
        send(SCI_SETMARGINWIDTHN, 0, 0);
        return;
    }
    const QByteArray widest(QByteArray::number(std::max(1, m_text->lineCount())).size(), '9');
    send(SCI_SETMARGINWIDTHN, 0,
         sendText(SCI_TEXTWIDTH, STYLE_LINENUMBER, widest.constData()) + 10);
}

void ComparePane::showPlainText(const QByteArray &utf8)
{
    m_text = nullptr;
    m_layout = nullptr;
    m_numbered.clear();
    m_currentRow = -1;
    send(SCI_SETREADONLY, 0);
    send(SCI_CLEARALL);
    send(SCI_MARKERDELETEALL, -1);
    send(SCI_MARGINTEXTCLEARALL);
    send(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()),
         reinterpret_cast<long>(utf8.constData()));
    send(SCI_SETREADONLY, 1);
    send(SCI_GOTOPOS, 0);
    updateMarginWidth();
}

void ComparePane::showComparison(const diff::DiffText &text, const diff::DiffResult &diff,
                                 const diff::SideBySideLayout &layout)
{
    const bool first = m_side == diff::Side::First;
    m_text = &text;
    m_layout = &layout;
    m_currentRow = -1;
    m_numbered.assign(std::size_t(layout.rowCount()) + 1, false);
    send(SCI_SETREADONLY, 0);
    send(SCI_CLEARALL);
    send(SCI_MARKERDELETEALL, -1);
    send(SCI_MARGINTEXTCLEARALL);
    send(SCI_ALLOCATE, long(text.bytes().size()) + layout.rowCount() + 1);
    {
        QuietChanges quiet(this, QuietChanges::SeparateSteps);
        std::string piece;
        const auto flush = [&] {
            send(SCI_APPENDTEXT, static_cast<unsigned long>(piece.size()),
                 reinterpret_cast<long>(piece.data()));
            piece.clear();
        };
        for (const diff::Block &block : diff.blocks) {
            const int start = first ? block.aStart : block.bStart;
            const int count = first ? block.aCount : block.bCount;
            if (count > 0) {
                const std::size_t from = text.lineStart(start);
                const std::size_t to = text.lineStart(start + count);
                // Long runs of equal lines go in straight from the text, without a copy.
                if (to - from >= AppendPiece) {
                    flush();
                    send(SCI_APPENDTEXT, static_cast<unsigned long>(to - from),
                         reinterpret_cast<long>(text.bytes().data() + from));
                } else {
                    piece.append(text.bytes(), from, to - from);
                }
                // A last line without a break still ends its row.
                if (text.lineBreak(start + count - 1).empty())
                    piece += '\n';
            }
            piece.append(std::size_t(block.rows() - count), '\n');
            if (piece.size() >= AppendPiece)
                flush();
        }
        flush();
    }

    int row = 0;
    for (const diff::Block &block : diff.blocks) {
        int marker = -1;
        switch (block.kind) {
        case diff::BlockKind::Equal:
            break;
        case diff::BlockKind::Changed:
            marker = ChangedMarker;
            break;
        case diff::BlockKind::Removed:
            marker = first ? RemovedMarker : FillerMarker;
            break;
        case diff::BlockKind::Added:
            marker = first ? FillerMarker : AddedMarker;
            break;
        }
        if (marker >= 0) {
            for (int r = row; r < row + block.rows(); ++r)
                send(SCI_MARKERADD, r, marker);
        }
        row += block.rows();
    }

    send(SCI_SETINDICATORCURRENT, ChangedCharsIndicator);
    for (const diff::LinePairDiff &pair : diff.pairs) {
        const long rowStart = send(SCI_POSITIONFROMLINE, layout.rowOfFirstLine(pair.aLine));
        for (const diff::CharRange &range : first ? pair.aRanges : pair.bRanges)
            send(SCI_INDICATORFILLRANGE, rowStart + range.start, range.length);
    }
    send(SCI_SETREADONLY, 1);
    send(SCI_GOTOPOS, 0);
    updateMarginWidth();
    fillLineNumbers();
}

std::optional<int> ComparePane::lineOfRow(int row) const
{
    if (!m_layout || row < 0 || row >= m_layout->rowCount())
        return std::nullopt;
    const diff::SideBySideLayout::Row r = m_layout->row(row);
    return m_side == diff::Side::First ? r.firstLine : r.secondLine;
}

void ComparePane::fillLineNumbers()
{
    if (!m_layout)
        return;
    const long first = send(SCI_GETFIRSTVISIBLELINE);
    const long last = std::min<long>(first + send(SCI_LINESONSCREEN) + 2, m_layout->rowCount());
    for (long row = first; row < last; ++row) {
        if (m_numbered[std::size_t(row)])
            continue;
        m_numbered[std::size_t(row)] = true;
        if (const std::optional<int> line = lineOfRow(int(row))) {
            const QByteArray number = QByteArray::number(*line + 1);
            sendText(SCI_MARGINSETTEXT, static_cast<unsigned long>(row), number.constData());
            send(SCI_MARGINSETSTYLE, row, STYLE_LINENUMBER);
        }
    }
}

int ComparePane::caretRow() const
{
    return int(send(SCI_LINEFROMPOSITION, send(SCI_GETCURRENTPOS)));
}

long ComparePane::caretColumn() const
{
    return send(SCI_GETCOLUMN, send(SCI_GETCURRENTPOS));
}

void ComparePane::placeCaret(int row, long column)
{
    row = std::clamp<int>(row, 0, int(send(SCI_GETLINECOUNT)) - 1);
    send(SCI_SETEMPTYSELECTION, send(SCI_FINDCOLUMN, row, column));
}

void ComparePane::markCurrentRow(int row)
{
    if (m_currentRow >= 0)
        send(SCI_MARKERDELETE, m_currentRow, CurrentMarker);
    m_currentRow = row;
    if (row >= 0)
        send(SCI_MARKERADD, row, CurrentMarker);
}

QByteArray ComparePane::selectedSourceText() const
{
    if (!m_layout)
        return getSelectedText();
    const long start = send(SCI_GETSELECTIONSTART);
    const long end = send(SCI_GETSELECTIONEND);
    const int firstRow = int(send(SCI_LINEFROMPOSITION, start));
    const int lastRow = int(send(SCI_LINEFROMPOSITION, end));
    QByteArray result;
    for (int row = firstRow; row <= lastRow; ++row) {
        const std::optional<int> line = lineOfRow(row);
        if (!line)
            continue;
        // The file's own line with its own break (none for a last line without one).
        const std::string_view source = m_text->line(*line);
        const long rowStart = send(SCI_POSITIONFROMLINE, row);
        const std::size_t from = row == firstRow ? std::size_t(start - rowStart) : 0;
        const std::size_t to =
            std::min(row == lastRow ? std::size_t(end - rowStart) : source.size(), source.size());
        if (from < to)
            result.append(source.data() + from, qsizetype(to - from));
    }
    return result;
}

void ComparePane::focusInEvent(QFocusEvent *event)
{
    emit focused();
    CMFCScintilla::focusInEvent(event);
}

// Copy and Select All reach the control's own handling, which knows the rows, even where no
// window-wide shortcut catches the keys first.
void ComparePane::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        emit copyKey();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        emit selectAllKey();
        event->accept();
        return;
    }
    CMFCScintilla::keyPressEvent(event);
}

} // namespace pw::compare
