// PageStarts: the walk over the text, page by page, kept as a table of starts.
#include "printing/engine/pagestarts.h"

namespace pw::printing {

PageStarts::PageStarts(qint64 length) : m_length(std::max<qint64>(0, length)), m_complete(m_length == 0)
{
}

bool PageStarts::advance(const FormatFn &format, int maxPages)
{
    for (int i = 0; i < maxPages && !m_complete; ++i) {
        const qint64 from = m_starts.back();
        const qint64 next = format(from);
        m_reached = std::min(std::max(next, from), m_length);
        if (next <= from || next >= m_length) {
            m_reached = m_length;
            m_complete = true;
            break;
        }
        m_starts.push_back(next);
    }
    return m_complete;
}

qint64 PageStarts::start(int index) const
{
    if (index < 0 || index >= knownPages())
        return -1;
    return m_starts[std::size_t(index)];
}

qint64 PageStarts::end(int index) const
{
    if (index < 0 || index >= knownPages())
        return -1;
    if (index + 1 < knownPages())
        return m_starts[std::size_t(index) + 1];
    return m_length;
}

} // namespace pw::printing
