// Cutting a text into lines for the diff engine.
#include "compare/engine/difftext.h"

#include <cstring>

namespace pw::diff {

DiffText::DiffText(std::string bytes, LineSplit split) : m_bytes(std::move(bytes)), m_split(split)
{
    const char *data = m_bytes.data();
    const std::size_t size = m_bytes.size();
    // A guess that avoids most regrowth for source text (about 40 bytes per line).
    m_starts.reserve(size / 40 + 2);
    std::size_t pos = 0;
    if (split == LineSplit::Lf) {
        while (pos < size) {
            const void *hit = std::memchr(data + pos, '\n', size - pos);
            if (!hit)
                break;
            pos = std::size_t(static_cast<const char *>(hit) - data) + 1;
            m_starts.push_back(pos);
        }
    } else {
        while (pos < size) {
            const char c = data[pos++];
            if (c == '\n') {
                m_starts.push_back(pos);
            } else if (c == '\r') {
                if (pos < size && data[pos] == '\n')
                    ++pos;
                m_starts.push_back(pos);
            }
        }
    }
    if (m_starts.back() != size)
        m_starts.push_back(size);
}

std::size_t DiffText::breakLength(std::string_view l) const
{
    if (l.empty())
        return 0;
    if (l.back() == '\n')
        return l.size() >= 2 && l[l.size() - 2] == '\r' ? 2 : 1;
    if (l.back() == '\r' && m_split == LineSplit::AnyBreak)
        return 1;
    return 0;
}

} // namespace pw::diff
