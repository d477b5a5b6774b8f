// The Tool Window's text: the newest output up to a fixed size, trimmed by whole lines.
#include "tools/engine/boundedtextbuffer.h"

namespace pw {

BoundedTextBuffer::BoundedTextBuffer(qsizetype capacity) : m_capacity(qMax<qsizetype>(capacity, 1))
{
}

void BoundedTextBuffer::clear()
{
    m_data.clear();
    m_start = 0;
}

BoundedTextBuffer::Change BoundedTextBuffer::append(QStringView text)
{
    const qsizetype held = size();
    const qsizetype total = held + text.size();
    if (total <= m_capacity) {
        m_data.append(text);
        return {0, text.size()};
    }
    // The first line start at or after `excess` gives the longest tail that fits; a line start
    // is one unit after a '\n', and the end of the text does not count (nothing would be left).
    const qsizetype excess = total - m_capacity;
    qsizetype cut = -1;
    if (excess - 1 < held) {
        const qsizetype at = m_data.indexOf(u'\n', m_start + excess - 1);
        if (at >= 0)
            cut = at - m_start + 1;
    }
    if (cut < 0) {
        const qsizetype from = qMax<qsizetype>(excess - 1 - held, 0);
        const qsizetype at = text.indexOf(u'\n', from);
        if (at >= 0)
            cut = held + at + 1;
    }
    if (cut < 0 || cut >= total) {
        cut = excess;
        const QChar first = cut < held ? m_data[m_start + cut] : text[cut - held];
        if (first.isLowSurrogate())
            ++cut;
    }
    if (cut <= held) {
        m_start += cut;
        if (m_start >= m_data.size() - m_start) {
            m_data.remove(0, m_start);
            m_start = 0;
        }
        m_data.append(text);
        return {cut, text.size()};
    }
    m_data.clear();
    m_start = 0;
    m_data.append(text.sliced(cut - held));
    return {held, total - cut};
}

} // namespace pw
