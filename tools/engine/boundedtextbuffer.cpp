// The Tool Window's text: the newest output up to a fixed size, trimmed by whole lines.
#include "tools/engine/boundedtextbuffer.h"

#include <algorithm>

namespace pw {

namespace {

qsizetype findNewline(const char16_t *begin, const char16_t *end)
{
    const char16_t *at = std::find(begin, end, u'\n');
    return at == end ? -1 : at - begin;
}

} // namespace

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
    const auto *incoming = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype held = size();
    const qsizetype total = held + text.size();
    if (total <= m_capacity) {
        m_data.insert(m_data.end(), incoming, incoming + text.size());
        return {0, text.size()};
    }
    // The first line start at or after `excess` gives the longest tail that fits; a line start
    // is one unit after a '\n', and the end of the text does not count (nothing would be left).
    const qsizetype excess = total - m_capacity;
    qsizetype cut = -1;
    if (excess - 1 < held) {
        const char16_t *from = m_data.data() + m_start + excess - 1;
        const qsizetype at = findNewline(from, m_data.data() + m_data.size());
        if (at >= 0)
            cut = excess + at;
    }
    if (cut < 0) {
        const qsizetype from = qMax<qsizetype>(excess - 1 - held, 0);
        const qsizetype at = findNewline(incoming + from, incoming + text.size());
        if (at >= 0)
            cut = held + from + at + 1;
    }
    if (cut < 0 || cut >= total) {
        cut = excess;
        const char16_t first = cut < held ? m_data[m_start + cut] : incoming[cut - held];
        if (QChar::isLowSurrogate(first))
            ++cut;
    }
    // Full from now on: one allocation for good (the held text and the dropped part before a
    // compaction never take more than twice the capacity), so a flood never reallocates.
    m_data.reserve(std::size_t(2 * m_capacity));
    if (cut <= held) {
        m_start += cut;
        if (m_start >= size()) {
            m_data.erase(m_data.begin(), m_data.begin() + m_start);
            m_start = 0;
        }
        m_data.insert(m_data.end(), incoming, incoming + text.size());
        return {cut, text.size()};
    }
    m_data.assign(incoming + (cut - held), incoming + text.size());
    m_start = 0;
    return {held, total - cut};
}

} // namespace pw
