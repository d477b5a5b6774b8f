// LineCutter: finds line ends a line at a time with memchr; only over-long runs are walked.
#include "editor/encoding/linecutter.h"

#include <algorithm>
#include <cstring>

namespace pw::enc {

namespace {

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

LineCutter::LineCutter(std::size_t limit, std::string_view lineBreak)
    // A piece must hold at least one whole character for the cutting to move on.
    : m_limit(std::max<std::size_t>(limit, 8)), m_break(lineBreak)
{
}

std::string_view LineCutter::cut(std::string_view chunk)
{
    m_copying = false;
    m_copied = 0;
    const char *data = chunk.data();
    const std::size_t size = chunk.size();
    std::size_t pos = 0;
    while (pos < size) {
        const auto *nl = static_cast<const char *>(std::memchr(data + pos, '\n', size - pos));
        const std::size_t end = nl ? std::size_t(nl - data) : size;
        // The common case: a whole line, short enough, whatever "\r" it ends with.
        if (nl && m_column + (end - pos) <= m_limit) {
            m_longest = std::max<std::uint64_t>(m_longest, m_lineBytes + (end - pos));
        } else {
            // Lone "\r"s end lines too; the run between them is what may need cutting.
            std::size_t at = pos;
            while (at < end) {
                const auto *cr = static_cast<const char *>(std::memchr(data + at, '\r', end - at));
                const std::size_t runEnd = cr ? std::size_t(cr - data) : end;
                cutRun(chunk, at, runEnd);
                if (!cr)
                    break;
                // "\r" before the "\n" ending a line counts with that line end.
                m_column = 0;
                m_lineBytes = 0;
                at = runEnd + 1;
            }
            if (!nl)
                break;
        }
        m_column = 0;
        m_lineBytes = 0;
        pos = end + 1;
    }
    m_consumed += size;
    if (!m_copying)
        return chunk;
    m_out.append(data + m_copied, size - m_copied);
    return m_out;
}

void LineCutter::cutRun(std::string_view chunk, std::size_t from, std::size_t to)
{
    while (m_column + (to - from) > m_limit) {
        // The run of a character that passed the limit ends its piece at once.
        std::size_t at = from + (m_column < m_limit ? m_limit - m_column : 0);
        // Onwards to the next character's start: the lead byte may lie in an earlier chunk, so
        // a cut is never made before a continuation byte.
        for (int i = 0; i < 3 && at < to && isContinuation(chunk[at]); ++i)
            ++at;
        if (at >= to)
            break;
        if (!m_copying) {
            m_copying = true;
            m_out.clear();
            m_out.reserve(chunk.size() + chunk.size() / m_limit * m_break.size() + 64);
        }
        m_out.append(chunk.data() + m_copied, at - m_copied);
        m_out += m_break;
        m_copied = at;
        m_offsets.push_back(m_consumed + at);
        m_lineBytes += at - from;
        m_longest = std::max(m_longest, m_lineBytes);
        m_column = 0;
        from = at;
    }
    m_column += to - from;
    m_lineBytes += to - from;
    m_longest = std::max(m_longest, m_lineBytes);
}

} // namespace pw::enc
