// HexEditorWin: the messages, loading and saving, scrolling, painting the visible rows, the search.
#include "hex/hexeditorwin.h"
#include "editor/encoding/nativepath.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

namespace pw {

using hex::Offset;

namespace {
// Above this many rows the scroll bar's int range stands for the 64-bit row range in proportion.
constexpr qint64 ScrollLimit = qint64(1) << 30;
} // namespace

const char *const HexEditorWin::MimeType = "application/x-penwright-hex-bytes";

struct HexEditorWin::SearchJob
{
    std::atomic<Offset> done{0};
    Offset total = 0;
    Offset patternLength = 0;
    std::jthread thread; // last: joined before the fields above go
};

HexEditorWin::HexEditorWin(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("HexEditor"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    viewport()->setFont(font);
    setFont(font);
    const QFontMetrics metrics(font);
    m_charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    m_rowHeight = std::max(1, metrics.lineSpacing());
    m_ascent = metrics.ascent();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    updateScrollBars();
}

HexEditorWin::~HexEditorWin()
{
    // The worker reads the buffer: it stops and is joined before the buffer goes.
    if (m_search)
        m_search->thread.request_stop();
    m_search.reset();
}

qint64 HexEditorWin::sendMessage(unsigned message, quintptr wParam, qintptr lParam)
{
    const auto clipboardResult = [this](bool ok) {
        if (!ok)
            sendMessage(ClipboardFailedMessage);
        return qint64(ok);
    };
    switch (message) {
    case CutMessage:
        return clipboardResult(cut());
    case CopyMessage:
        return clipboardResult(copy());
    case PasteMessage:
        return clipboardResult(paste());
    case GetPositionMessage:
        return m_caret;
    case SetPositionMessage:
        setPosition(Offset(wParam));
        return 1;
    case SetSelectionMessage:
        setSelection(Offset(wParam), Offset(lParam));
        return 1;
    case LoadFileMessage:
        return wParam && loadFile(QString::fromUtf8(reinterpret_cast<const char *>(wParam)));
    case SaveFileMessage:
        return wParam && saveFile(QString::fromUtf8(reinterpret_cast<const char *>(wParam)));
    case PasteBlockedMessage:
        return editsRefused();
    case IsModifiedMessage:
        return isModified();
    case SetupMessage:
        m_notifying = wParam != 0;
        return 1;
    case IsInsertModeMessage:
        return m_insert;
    case UndoMessage:
        return undo();
    case RedoMessage:
        return redo();
    case CanUndoMessage:
        return canUndo();
    case CanRedoMessage:
        return canRedo();
    case EnsureVisibleMessage:
        ensureVisible(Offset(wParam));
        return 1;
    case GetLengthMessage:
        return length();
    case SetPatternMessage: {
        const auto *record = reinterpret_cast<const PatternRecord *>(wParam);
        if (!record || !record->bytes || record->length <= 0)
            return 0;
        m_pattern.bytes.assign(record->bytes, record->bytes + record->length);
        m_pattern.caseSensitive = record->caseSensitive != 0;
        m_patternUp = record->up != 0;
        return 1;
    }
    case SearchMessage: {
        const auto *record = reinterpret_cast<const SearchRecord *>(wParam);
        if (!record || !startSearch(m_pattern, record->from, record->up != 0))
            return 0;
        if (qint64 *match = record->match) {
            const int job = m_searchNumber;
            connect(
                this, &HexEditorWin::searchFinished, this,
                [this, job, match](const hex::SearchResult &result) {
                    if (job == m_searchNumber && result.found())
                        *match = result.offset;
                },
                Qt::SingleShotConnection);
        }
        return 1;
    }
    case CanCopyMessage:
        return canCopy();
    case ClipboardFailedMessage:
        QApplication::beep();
        return 1;
    default:
        return 0;
    }
}

bool HexEditorWin::loadFile(const QString &path, QString *error)
{
    stopSearch();
    m_search.reset();
    std::string why;
    if (!m_buffer.open(enc::nativeFromPath(path).toStdString(), &why)) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    }
    m_caret = m_anchor = 0;
    m_nibble = 0;
    m_topRow = 0;
    m_toldReadError = false;
    m_offsetDigits = m_buffer.size() > 0xFFFFFFFFLL ? 16 : 8;
    updateScrollBars();
    viewport()->update();
    m_toldPosition = -1;
    m_toldModified = !m_buffer.isModified();
    emitChanges();
    return true;
}

bool HexEditorWin::saveFile(const QString &path, QString *error, const hex::SaveOptions &options)
{
    if (isSearching() || m_saving) {
        if (error)
            *error = QStringLiteral("The bytes are being read by a search or another save.");
        return false;
    }
    std::string why;
    const std::string target = enc::nativeFromPath(path).toStdString();
    m_saving = true;
    const bool ok = target == m_buffer.path() ? m_buffer.save(&why, options)
                                              : m_buffer.saveAs(target, &why, options);
    m_saving = false;
    if (!ok && error)
        *error = QString::fromStdString(why);
    emitChanges();
    viewport()->update();
    return ok;
}

// ---- layout and scrolling

Offset HexEditorWin::rowCount() const
{
    // One row more than the bytes fill when the last is full: the caret may stand at the end.
    return m_buffer.size() / BytesPerRow + 1;
}

int HexEditorWin::visibleRows() const
{
    return std::max(1, viewport()->height() / m_rowHeight);
}

qint64 HexEditorWin::maxTopRow() const
{
    return std::max<qint64>(0, rowCount() - visibleRows());
}

void HexEditorWin::updateScrollBars()
{
    const qint64 maxTop = maxTopRow();
    QScrollBar *bar = verticalScrollBar();
    m_settingScroll = true;
    if (maxTop <= ScrollLimit) {
        bar->setRange(0, int(maxTop));
        bar->setPageStep(visibleRows());
        bar->setValue(int(m_topRow));
    } else {
        bar->setRange(0, int(ScrollLimit));
        bar->setPageStep(int(std::max<qint64>(1, visibleRows() * ScrollLimit / maxTop)));
        bar->setValue(int(static_cast<long double>(m_topRow) * ScrollLimit / maxTop));
    }
    bar->setSingleStep(1);
    const int width = (m_offsetDigits + 2 + BytesPerRow * 3 + 1 + BytesPerRow + 1) * m_charWidth;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(m_charWidth);
    m_settingScroll = false;
}

void HexEditorWin::setTopRow(qint64 row)
{
    row = std::clamp<qint64>(row, 0, maxTopRow());
    if (row == m_topRow)
        return;
    m_topRow = row;
    updateScrollBars();
    viewport()->update();
}

void HexEditorWin::scrollContentsBy(int, int dy)
{
    if (m_settingScroll)
        return;
    if (dy != 0) {
        const qint64 maxTop = maxTopRow();
        const qint64 value = verticalScrollBar()->value();
        m_topRow = maxTop <= ScrollLimit
                       ? value
                       : qint64(static_cast<long double>(value) * maxTop / ScrollLimit);
    }
    viewport()->update();
}

void HexEditorWin::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_topRow = std::min(m_topRow, maxTopRow());
    updateScrollBars();
}

void HexEditorWin::wheelEvent(QWheelEvent *event)
{
    // Three rows a notch; the small steps of a touchpad add up.
    m_wheelRemainder += event->angleDelta().y();
    const int rows = m_wheelRemainder / 40;
    m_wheelRemainder -= rows * 40;
    setTopRow(m_topRow - rows);
    if (event->angleDelta().x() != 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - event->angleDelta().x());
    event->accept();
}

void HexEditorWin::ensureVisible(Offset offset)
{
    const qint64 row = std::clamp<Offset>(offset, 0, m_buffer.size()) / BytesPerRow;
    if (row < m_topRow)
        setTopRow(row);
    else if (row >= m_topRow + visibleRows())
        setTopRow(row - visibleRows() + 1);
}

// ---- painting

void HexEditorWin::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPalette &pal = palette();
    painter.fillRect(viewport()->rect(), pal.color(QPalette::Base));
    const int cw = m_charWidth;
    const int x0 = cw / 2 - horizontalScrollBar()->value();
    const int xHex = x0 + (m_offsetDigits + 2) * cw;
    const int xChars = xHex + (BytesPerRow * 3 + 1) * cw;
    const int rows = visibleRows() + 1;
    const Offset size = m_buffer.size();
    const Offset first = m_topRow * BytesPerRow;
    const Offset count = std::clamp<Offset>(size - first, 0, Offset(rows) * BytesPerRow);
    std::vector<std::uint8_t> data(std::size_t(count), 0);
    if (count > 0 && !m_buffer.read(first, data.data(), data.size()))
        checkReadError();

    const Offset selStart = selectionStart();
    const Offset selEnd = selStart + selectionLength();
    const QColor text = pal.color(QPalette::Text);
    const QColor dim = pal.color(QPalette::PlaceholderText);
    const QColor highlight = pal.color(QPalette::Highlight);
    const QColor highlightText = pal.color(QPalette::HighlightedText);
    static const char digits[] = "0123456789ABCDEF";

    painter.setPen(dim);
    painter.drawLine(xChars - cw, 0, xChars - cw, viewport()->height());
    for (int r = 0; r < rows; ++r) {
        const Offset rowOffset = first + Offset(r) * BytesPerRow;
        if (rowOffset > size || (rowOffset == size && size % BytesPerRow != 0))
            break;
        const int y = r * m_rowHeight;
        painter.setPen(dim);
        painter.drawText(x0, y + m_ascent,
                         QStringLiteral("%1").arg(rowOffset, m_offsetDigits, 16, QLatin1Char('0'))
                             .toUpper());
        for (int i = 0; i < BytesPerRow; ++i) {
            const Offset at = rowOffset + i;
            if (at >= size)
                break;
            const std::uint8_t byte = data[std::size_t(at - first)];
            const bool selected = at >= selStart && at < selEnd;
            const QRect hexRect(xHex + i * 3 * cw, y, 2 * cw, m_rowHeight);
            const QRect charRect(xChars + i * cw, y, cw, m_rowHeight);
            if (selected) {
                painter.fillRect(hexRect.adjusted(0, 0, i + 1 < BytesPerRow ? cw : 0, 0),
                                 highlight);
                painter.fillRect(charRect, highlight);
            }
            painter.setPen(selected ? highlightText : text);
            const char pair[2] = {digits[byte >> 4], digits[byte & 15]};
            painter.drawText(hexRect.left(), y + m_ascent, QString::fromLatin1(pair, 2));
            const QChar shown = byte >= 0x20 && byte < 0x7F ? QChar(byte) : QLatin1Char('.');
            painter.drawText(charRect.left(), y + m_ascent, QString(shown));
        }
    }

    // The caret: a bar in insert mode, a box in overwrite mode; the other column outlines its byte.
    const qint64 caretRow = m_caret / BytesPerRow;
    if (caretRow >= m_topRow && caretRow < m_topRow + rows) {
        const int y = int(caretRow - m_topRow) * m_rowHeight;
        const int col = int(m_caret % BytesPerRow);
        const QRect hexCell(xHex + (col * 3 + (m_inChars ? 0 : m_nibble)) * cw, y,
                            m_inChars ? 2 * cw : cw, m_rowHeight);
        const QRect charCell(xChars + col * cw, y, cw, m_rowHeight);
        const QRect active = m_inChars ? charCell : hexCell;
        const QRect other = m_inChars ? hexCell : charCell;
        painter.setPen(dim);
        painter.drawRect(other.adjusted(0, 0, -1, -1));
        if (hasFocus() || !isActiveWindow()) {
            painter.setPen(text);
            if (m_insert)
                painter.fillRect(QRect(active.left() - 1, y, 2, m_rowHeight), text);
            else
                painter.drawRect(active.adjusted(0, 0, -1, -1));
        }
    }
}

void HexEditorWin::checkReadError()
{
    if (m_toldReadError || !m_buffer.hasError())
        return;
    m_toldReadError = true;
    // Told after the paint that found it.
    QTimer::singleShot(0, this, [this] {
        emit readFailed(QString::fromStdString(m_buffer.errorString()));
    });
}

// ---- caret, selection, notifications

void HexEditorWin::emitChanges()
{
    if (m_caret != m_toldPosition) {
        m_toldPosition = m_caret;
        emit notify(PositionChanged);
    }
    if (m_buffer.isModified() != m_toldModified) {
        m_toldModified = m_buffer.isModified();
        emit notify(ModifiedChanged);
    }
}

void HexEditorWin::moveCaret(Offset to, bool extend, int nibble)
{
    m_halfByteAt = -1;
    m_caret = std::clamp<Offset>(to, 0, m_buffer.size());
    m_nibble = m_caret < m_buffer.size() ? nibble : 0;
    if (!extend)
        m_anchor = m_caret;
    ensureVisible(m_caret);
    viewport()->update();
    emitChanges();
}

void HexEditorWin::setPosition(Offset offset)
{
    moveCaret(offset, false);
}

void HexEditorWin::setSelection(Offset start, Offset length)
{
    const Offset size = m_buffer.size();
    m_anchor = std::clamp<Offset>(start, 0, size);
    moveCaret(m_anchor + std::clamp<Offset>(length, 0, size - m_anchor), true);
}

void HexEditorWin::setCharacterColumn(bool chars)
{
    m_inChars = chars;
    m_nibble = 0;
    viewport()->update();
}

void HexEditorWin::setInsertMode(bool insert)
{
    if (insert == m_insert)
        return;
    m_insert = insert;
    viewport()->update();
    emit notify(InsertModeChanged);
}

void HexEditorWin::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

// ---- search

bool HexEditorWin::startSearch(const hex::SearchPattern &pattern, Offset from, bool up)
{
    if (isSearching() || pattern.bytes.empty())
        return false;
    auto job = std::make_unique<SearchJob>();
    job->total = m_buffer.size();
    job->patternLength = Offset(pattern.bytes.size());
    const int number = ++m_searchNumber;
    SearchJob *raw = job.get();
    m_search = std::move(job);
    raw->thread = std::jthread([this, raw, number, pattern, from, up](std::stop_token stop) {
        const hex::HexSearch search(pattern);
        const hex::SearchResult result =
            search.find(m_buffer, from, up, stop, [raw](Offset done, Offset) {
                raw->done.store(done, std::memory_order_relaxed);
            });
        QMetaObject::invokeMethod(
            this, [this, number, result] { finishSearch(number, result); },
            Qt::QueuedConnection);
    });
    viewport()->update();
    return true;
}

void HexEditorWin::stopSearch()
{
    if (m_search)
        m_search->thread.request_stop();
}

Offset HexEditorWin::searchDone() const
{
    return m_search ? m_search->done.load(std::memory_order_relaxed) : 0;
}

Offset HexEditorWin::searchTotal() const
{
    return m_search ? m_search->total : 0;
}

void HexEditorWin::finishSearch(int job, const hex::SearchResult &result)
{
    if (job != m_searchNumber || !m_search)
        return;
    const Offset length = m_search->patternLength;
    m_search.reset(); // joins the worker, which has nothing left to do
    if (result.found()) {
        setSelection(result.offset, length);
        ensureVisible(result.offset);
    } else if (result.status == hex::SearchStatus::ReadFailed) {
        checkReadError();
    }
    viewport()->update();
    emit searchFinished(result);
}

} // namespace pw
