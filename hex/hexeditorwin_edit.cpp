// HexEditorWin: typing, deleting, undo, the clipboard, and the keys and mouse that drive them.
#include "hex/hexeditorwin.h"

#include "hex/engine/hextext.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <algorithm>

namespace pw {

using hex::Offset;

namespace {
// A copy holds the bytes and their text in memory; beyond this it is refused.
constexpr Offset CopyLimit = Offset(64) << 20;

QString hexText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    static const char digits[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QLatin1Char(digits[(uchar(c) >> 4) & 15]);
        text += QLatin1Char(digits[uchar(c) & 15]);
    }
    return text;
}
} // namespace

// ---- editing

void HexEditorWin::afterEdit(Offset caret)
{
    m_halfByteAt = -1;
    m_caret = m_anchor = std::clamp<Offset>(caret, 0, m_buffer.size());
    updateScrollBars();
    ensureVisible(m_caret);
    viewport()->update();
    emitChanges();
}

bool HexEditorWin::editAt(Offset at, const std::vector<std::uint8_t> &bytes, bool insert)
{
    // A selection is what typing replaces: gone in insert mode, written over in overwrite mode.
    hex::HexBuffer::UndoGroup group(m_buffer);
    if (selectionLength() > 0) {
        at = selectionStart();
        if (insert && !m_buffer.remove(at, selectionLength()))
            return false;
        m_nibble = 0;
    }
    return insert ? m_buffer.insert(at, bytes) : m_buffer.overwrite(at, bytes);
}

bool HexEditorWin::typeHexDigit(int digit)
{
    if (editsRefused())
        return false;
    const bool selection = selectionLength() > 0;
    const Offset at = selection ? selectionStart() : m_caret;
    if (m_nibble == 1 && !selection) {
        // The second digit of a byte: the first one's step gives way, so that one undo takes
        // back the whole byte.
        std::uint8_t old = 0;
        m_buffer.read(at, &old, 1);
        std::uint8_t byte[1] = {std::uint8_t((old & 0xF0) | digit)};
        const bool joined = m_halfByteAt == at && m_buffer.undo().has_value();
        if (joined) {
            byte[0] = std::uint8_t(m_halfByteDigit << 4 | digit);
            if (!(m_insert ? m_buffer.insert(at, byte) : m_buffer.overwrite(at, byte)))
                return false;
        } else if (!m_buffer.overwrite(at, byte)) {
            return false;
        }
        afterEdit(at + 1);
        m_nibble = 0; // the next digit starts the next byte
        return true;
    }
    std::uint8_t old = 0;
    if (at < m_buffer.size())
        m_buffer.read(at, &old, 1);
    const std::uint8_t byte = std::uint8_t(digit << 4 | (m_insert ? 0 : (old & 0x0F)));
    if (!editAt(at, {byte}, m_insert))
        return false;
    afterEdit(at);
    m_nibble = 1;
    // Only a first digit typed on its own byte, with no selection replaced, can be joined.
    m_halfByteAt = selection ? -1 : at;
    m_halfByteDigit = digit;
    viewport()->update();
    return true;
}

bool HexEditorWin::typeByte(std::uint8_t byte)
{
    if (editsRefused())
        return false;
    const Offset at = selectionLength() > 0 ? selectionStart() : m_caret;
    if (!editAt(at, {byte}, m_insert))
        return false;
    afterEdit(at + 1);
    return true;
}

bool HexEditorWin::typeText(const QString &text)
{
    bool any = false;
    for (const QChar c : text) {
        if (m_inChars) {
            if (c.unicode() < 0x20 || c.unicode() > 0xFF || !typeByte(std::uint8_t(c.unicode())))
                return any;
        } else {
            const int digit = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
            if (digit < 0 || !typeHexDigit(digit))
                return any;
        }
        any = true;
    }
    return any;
}

bool HexEditorWin::removeSelectionOrByte(bool backwards)
{
    if (editsRefused())
        return false;
    Offset at = selectionStart();
    Offset count = selectionLength();
    if (count == 0) {
        at = backwards ? m_caret - 1 : m_caret;
        count = 1;
    }
    if (at < 0 || at >= m_buffer.size() || !m_buffer.remove(at, count))
        return false;
    m_nibble = 0;
    afterEdit(at);
    return true;
}

bool HexEditorWin::undo()
{
    if (editsRefused())
        return false;
    const auto range = m_buffer.undo();
    if (!range)
        return false;
    m_nibble = 0;
    afterEdit(range->offset);
    return true;
}

bool HexEditorWin::redo()
{
    if (editsRefused())
        return false;
    const auto range = m_buffer.redo();
    if (!range)
        return false;
    m_nibble = 0;
    afterEdit(range->offset + range->inserted);
    return true;
}

bool HexEditorWin::copy()
{
    const Offset count = selectionLength();
    if (count <= 0 || count > CopyLimit)
        return false;
    QByteArray bytes(qsizetype(count), Qt::Uninitialized);
    if (!m_buffer.read(selectionStart(), bytes.data(), std::size_t(count))) {
        checkReadError();
        return false;
    }
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(MimeType), bytes);
    mime->setText(hexText(bytes));
    QApplication::clipboard()->setMimeData(mime);
    return true;
}

bool HexEditorWin::cut()
{
    if (editsRefused() || !copy())
        return false;
    return removeSelectionOrByte(false);
}

bool HexEditorWin::paste()
{
    if (editsRefused())
        return false;
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    if (!mime)
        return false;
    std::vector<std::uint8_t> bytes;
    if (mime->hasFormat(QString::fromLatin1(MimeType))) {
        const QByteArray data = mime->data(QString::fromLatin1(MimeType));
        bytes.assign(data.begin(), data.end());
    } else if (mime->hasText()) {
        const QString text = mime->text();
        std::string error;
        if (!hex::parseHexBytes(text.toStdString(), bytes, &error) || bytes.empty()) {
            const QByteArray raw = text.toUtf8();
            bytes.assign(raw.begin(), raw.end());
        }
    }
    if (bytes.empty())
        return false;
    const Offset at = selectionLength() > 0 ? selectionStart() : m_caret;
    if (!editAt(at, bytes, m_insert))
        return false;
    afterEdit(at + Offset(bytes.size()));
    return true;
}

// ---- keys and mouse

void HexEditorWin::keyPressEvent(QKeyEvent *event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const Offset page = Offset(visibleRows()) * BytesPerRow;
    const Offset rowStart = m_caret - m_caret % BytesPerRow;
    switch (event->key()) {
    case Qt::Key_Left:
        if (!m_inChars && m_nibble == 1 && !shift)
            moveCaret(m_caret, false, 0);
        else
            moveCaret(m_caret - 1, shift);
        return;
    case Qt::Key_Right:
        if (!m_inChars && m_nibble == 0 && !shift && m_caret < m_buffer.size())
            moveCaret(m_caret, false, 1);
        else
            moveCaret(m_caret + 1, shift);
        return;
    case Qt::Key_Up:
        if (m_caret >= BytesPerRow)
            moveCaret(m_caret - BytesPerRow, shift, m_nibble);
        return;
    case Qt::Key_Down:
        moveCaret(std::min(m_caret + BytesPerRow, m_buffer.size()), shift, m_nibble);
        return;
    case Qt::Key_PageUp:
        setTopRow(m_topRow - visibleRows());
        moveCaret(m_caret >= page ? m_caret - page : m_caret % BytesPerRow, shift);
        return;
    case Qt::Key_PageDown:
        setTopRow(m_topRow + visibleRows());
        moveCaret(std::min(m_caret + page, m_buffer.size()), shift);
        return;
    case Qt::Key_Home:
        moveCaret(ctrl ? 0 : rowStart, shift);
        return;
    case Qt::Key_End:
        moveCaret(ctrl ? m_buffer.size() : std::min(rowStart + BytesPerRow - 1, m_buffer.size()),
                  shift);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        setCharacterColumn(!m_inChars);
        return;
    case Qt::Key_Insert:
        if (event->modifiers() == Qt::NoModifier) {
            setInsertMode(!m_insert);
            return;
        }
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (!removeSelectionOrByte(event->key() == Qt::Key_Backspace))
            QApplication::beep();
        return;
    default:
        break;
    }
    if (!ctrl && !(event->modifiers() & Qt::AltModifier) && !event->text().isEmpty() &&
        event->text().at(0).isPrint()) {
        if (!typeText(event->text()))
            QApplication::beep();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool HexEditorWin::hitTest(const QPoint &pos, Offset &offset, bool &chars, int &nibble) const
{
    const int cw = m_charWidth;
    const int x = pos.x() + horizontalScrollBar()->value() - cw / 2;
    const int xHex = (m_offsetDigits + 2) * cw;
    const int xChars = xHex + (BytesPerRow * 3 + 1) * cw;
    int col = 0;
    nibble = 0;
    chars = m_inChars;
    if (x >= xChars - cw / 2) {
        chars = true;
        col = (x - xChars) / cw;
    } else if (x >= xHex - cw / 2) {
        chars = false;
        const int within = std::max(0, x - xHex);
        col = within / (3 * cw);
        nibble = within % (3 * cw) >= cw ? 1 : 0;
    }
    col = std::clamp(col, 0, BytesPerRow - 1);
    const qint64 row = m_topRow + std::max(0, pos.y()) / m_rowHeight;
    offset = std::min<Offset>(row * BytesPerRow + col, m_buffer.size());
    return true;
}

void HexEditorWin::mousePressEvent(QMouseEvent *event)
{
    Offset offset = 0;
    bool chars = false;
    int nibble = 0;
    hitTest(event->position().toPoint(), offset, chars, nibble);
    if (event->button() == Qt::RightButton) {
        emit contextMenuRequested(event->globalPosition().toPoint());
        if (offset >= selectionStart() && offset < selectionStart() + selectionLength())
            return;
    }
    m_inChars = chars;
    moveCaret(offset, event->modifiers() & Qt::ShiftModifier, nibble);
}

void HexEditorWin::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    QPoint pos = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls.
    if (pos.y() < 0)
        setTopRow(m_topRow - 1);
    else if (pos.y() >= viewport()->height())
        setTopRow(m_topRow + 1);
    pos.setY(std::clamp(pos.y(), 0, viewport()->height() - 1));
    Offset offset = 0;
    bool chars = false;
    int nibble = 0;
    hitTest(pos, offset, chars, nibble);
    // A drag selects whole bytes: the byte under the pointer is included.
    moveCaret(offset >= m_anchor ? std::min(offset + 1, m_buffer.size()) : offset, true);
}

} // namespace pw
