// SpellRun: the pieces of the checked range, and the shift that keeps later hits in place.
#include "spell/engine/spellrun.h"

#include <algorithm>

namespace pw::spell {

ByteText::ByteText(QByteArray bytes) : m_bytes(std::move(bytes))
{
    m_starts.push_back(0);
    const qint64 n = m_bytes.size();
    const char *p = m_bytes.constData();
    for (qint64 i = 0; i < n; ++i) {
        if (p[i] == '\r') {
            if (i + 1 < n && p[i + 1] == '\n')
                ++i;
            m_starts.push_back(i + 1);
        } else if (p[i] == '\n') {
            m_starts.push_back(i + 1);
        }
    }
}

qint64 ByteText::lineStart(int line) const
{
    if (line < 0)
        return 0;
    return line < lineCount() ? m_starts[std::size_t(line)] : length();
}

qint64 ByteText::lineEnd(int line) const
{
    if (line < 0 || line >= lineCount())
        return length();
    qint64 end = line + 1 < lineCount() ? m_starts[std::size_t(line) + 1] : length();
    const char *p = m_bytes.constData();
    if (end > lineStart(line) && p[end - 1] == '\n')
        --end;
    if (end > lineStart(line) && p[end - 1] == '\r')
        --end;
    return end;
}

int ByteText::lineOf(qint64 position) const
{
    const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), position);
    return int(it - m_starts.begin()) - 1;
}

void ByteText::copy(qint64 from, qint64 to, char *out) const
{
    std::copy(m_bytes.constData() + from, m_bytes.constData() + to, out);
}

void SpellRun::setSelection(qint64 start, qint64 end)
{
    m_selectionStart = std::min(start, end);
    m_selectionEnd = std::max(start, end);
}

void SpellRun::setUpRange()
{
    if (m_selectionStart == m_selectionEnd) {
        m_rangeStart = 0;
        m_rangeEnd = m_text.length();
        // The whole text's first piece runs from the start to the end of line 1: lines 0 and 1.
        m_firstLine = 1;
        m_lastLine = m_text.lineCount();
    } else {
        m_rangeStart = m_selectionStart;
        m_rangeEnd = m_selectionEnd;
        m_firstLine = m_text.lineOf(m_rangeStart);
        m_lastLine = m_text.lineOf(m_rangeEnd);
    }
    m_currentLine = m_firstLine;
    m_started = true;
}

void SpellRun::formPiece()
{
    if (m_firstLine == m_lastLine) {
        m_pieceStart = m_rangeStart;
        m_pieceEnd = m_rangeEnd;
    } else if (m_currentLine == m_firstLine) {
        m_pieceStart = m_rangeStart;
        m_pieceEnd = m_text.lineEnd(m_currentLine);
    } else if (m_currentLine == m_lastLine) {
        m_pieceStart = m_text.lineStart(m_currentLine);
        m_pieceEnd = m_rangeEnd;
    } else {
        m_pieceStart = m_text.lineStart(m_currentLine);
        m_pieceEnd = m_text.lineEnd(m_currentLine);
    }
    ++m_currentLine;
    const qint64 length = m_text.length();
    m_pieceStart = std::clamp<qint64>(m_pieceStart, 0, length);
    m_pieceEnd = std::clamp<qint64>(m_pieceEnd, m_pieceStart, length);
    const qint64 size = m_pieceEnd - m_pieceStart;
    if (qint64(m_pieceBuffer.size()) < size + 1)
        m_pieceBuffer.resize(std::size_t(size) + 1);
    m_text.copy(m_pieceStart, m_pieceEnd, m_pieceBuffer.data());
    m_pieceBuffer[std::size_t(size)] = '\0';
    m_shift = 0;
    m_checker.process(m_pieceBuffer.c_str());
    m_token = m_checker.next();
}

std::optional<SpellHit> SpellRun::next(bool interactive, const RunControl &control)
{
    if (!m_started)
        setUpRange();
    if (!interactive)
        m_token = {};
    if (m_token.length != 0)
        m_token = m_checker.next();
    while (m_token.length == 0 && m_currentLine <= m_lastLine) {
        if (control.cancel && control.cancel->load(std::memory_order_relaxed)) {
            m_stopped = true;
            return std::nullopt;
        }
        if (control.progress)
            control.progress(m_currentLine == m_firstLine ? m_rangeStart
                                                          : m_text.lineStart(m_currentLine));
        formPiece();
    }
    if (m_token.length == 0)
        return std::nullopt;
    return SpellHit{m_pieceStart + m_shift + m_token.offset, m_token.length};
}

void SpellRun::changed(qint64 delta)
{
    m_shift += delta;
    // The range ends where its last byte now is, so the last line's piece stays whole.
    m_rangeEnd += delta;
}

} // namespace pw::spell
