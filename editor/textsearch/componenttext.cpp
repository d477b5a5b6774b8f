// The component's character and line rules over a read-only text.
#include "editor/textsearch/componenttext.h"

#include <algorithm>
#include <cstring>

namespace pw::search {

int utf8BytesOfLead(unsigned char b)
{
    if (b < 0xC2)
        return 1;
    if (b < 0xE0)
        return 2;
    if (b < 0xF0)
        return 3;
    if (b < 0xF5)
        return 4;
    return 1;
}

Utf8Status utf8Classify(const unsigned char *us, int len)
{
    const unsigned char b0 = us[0];
    if (b0 < 0x80)
        return {1, false};
    if (b0 > 0xF4)
        return {1, true};
    if (b0 >= 0xF0) {
        if (len < 4 || !isTrailByte(us[1]) || !isTrailByte(us[2]) || !isTrailByte(us[3]))
            return {1, true};
        if ((us[1] & 0xF) == 0xF && us[2] == 0xBF && (us[3] == 0xBE || us[3] == 0xBF))
            return {4, true};
        if (b0 == 0xF4 && us[1] > 0x8F)
            return {1, true};
        if (b0 == 0xF0 && (us[1] & 0xF0) == 0x80)
            return {1, true};
        return {4, false};
    }
    if (b0 >= 0xE0) {
        if (len < 3 || !isTrailByte(us[1]) || !isTrailByte(us[2]))
            return {1, true};
        if (b0 == 0xE0 && (us[1] & 0xE0) == 0x80)
            return {1, true};
        if (b0 == 0xED && (us[1] & 0xE0) == 0xA0)
            return {1, true};
        if (b0 == 0xEF && us[1] == 0xBF && (us[2] == 0xBE || us[2] == 0xBF))
            return {3, true};
        if (b0 == 0xEF && us[1] == 0xB7 && ((us[2] & 0xF0) == 0x90 || (us[2] & 0xF0) == 0xA0))
            return {3, true};
        return {3, false};
    }
    if (b0 >= 0xC2) {
        if (len < 2 || !isTrailByte(us[1]))
            return {1, true};
        return {2, false};
    }
    return {1, true};
}

unsigned int utf8Decode(const unsigned char *us, int width)
{
    switch (width) {
    case 1:
        return us[0];
    case 2:
        return ((us[0] & 0x1Fu) << 6) | (us[1] & 0x3Fu);
    case 3:
        return ((us[0] & 0x0Fu) << 12) | ((us[1] & 0x3Fu) << 6) | (us[2] & 0x3Fu);
    default:
        return ((us[0] & 0x07u) << 18) | ((us[1] & 0x3Fu) << 12) | ((us[2] & 0x3Fu) << 6) |
               (us[3] & 0x3Fu);
    }
}

unsigned int utf8CharacterEndingAt(const unsigned char *buf, int n)
{
    const unsigned char last = buf[n - 1];
    if (last < 0x80)
        return last;
    if (!isTrailByte(last))
        return ReplacementCharacter;
    int lead = n - 1;
    while (lead > 0 && isTrailByte(buf[lead - 1]))
        --lead;
    if (lead == 0)
        return ReplacementCharacter;
    --lead;
    const int width = utf8BytesOfLead(buf[lead]);
    if (width == 1 || lead + width != n)
        return ReplacementCharacter;
    if (utf8Classify(buf + lead, width).invalid)
        return ReplacementCharacter;
    return utf8Decode(buf + lead, width);
}

Utf8Status ComponentText::classifyAt(qsizetype p) const
{
    unsigned char buffer[4] = {at(p), 0, 0, 0};
    const int width = utf8BytesOfLead(buffer[0]);
    for (int b = 1; b < width; ++b)
        buffer[b] = at(p + b);
    return utf8Classify(buffer, width);
}

bool ComponentText::goodCharacterAround(qsizetype pos, qsizetype &start, qsizetype &end) const
{
    qsizetype trail = pos;
    while (trail > 0 && pos - trail < 4 && isTrailByte(at(trail - 1)))
        --trail;
    start = trail > 0 ? trail - 1 : trail;
    const int width = utf8BytesOfLead(at(start));
    if (width == 1 || pos - start > width - 1)
        return false;
    if (classifyAt(start).invalid)
        return false;
    end = start + width;
    return true;
}

qsizetype ComponentText::moveOutsideCharacter(qsizetype pos, int direction, bool lineEnds) const
{
    if (pos <= 0)
        return 0;
    if (pos >= m_text.length)
        return m_text.length;
    if (lineEnds && at(pos - 1) == '\r' && at(pos) == '\n')
        return direction > 0 ? pos + 1 : pos - 1;
    if (!m_text.utf8 || !isTrailByte(at(pos)))
        return pos;
    qsizetype start = pos;
    qsizetype end = pos;
    if (goodCharacterAround(pos, start, end))
        return direction > 0 ? end : start;
    return pos;
}

qsizetype ComponentText::nextPosition(qsizetype pos, int direction) const
{
    if (pos + direction <= 0)
        return 0;
    if (pos + direction >= m_text.length)
        return m_text.length;
    if (!m_text.utf8)
        return pos + direction;
    if (direction > 0) {
        if (at(pos) < 0x80)
            return pos + 1;
        const Utf8Status status = classifyAt(pos);
        return pos + (status.invalid ? 1 : status.width);
    }
    --pos;
    if (isTrailByte(at(pos))) {
        qsizetype start = pos;
        qsizetype end = pos;
        if (goodCharacterAround(pos, start, end))
            pos = start;
    }
    return pos;
}

bool ComponentText::isCharacterStart(qsizetype p, bool wholeNoncharacters) const
{
    if (!m_text.utf8 || !isTrailByte(at(p)))
        return true;
    for (qsizetype q = p - 1; q >= 0 && q >= p - 3; --q) {
        if (isTrailByte(at(q)))
            continue;
        const Utf8Status status = classifyAt(q);
        if (status.invalid && !wholeNoncharacters)
            return true;
        return q + status.width <= p;
    }
    return true;
}

bool ComponentText::isLineStart(qsizetype p) const
{
    if (p <= 0)
        return true;
    const unsigned char previous = at(p - 1);
    return previous == '\n' || (previous == '\r' && at(p) != '\n');
}

qsizetype ComponentText::lineStartOf(qsizetype p) const
{
    p = std::clamp<qsizetype>(p, 0, m_text.length);
    while (p > 0 && !isLineStart(p))
        --p;
    return p;
}

bool ComponentText::isAtLineEnd(qsizetype p) const
{
    if (p >= m_text.length)
        return true;
    const unsigned char b = at(p);
    if (b == '\n')
        return p == 0 || at(p - 1) != '\r';
    return b == '\r';
}

qsizetype ComponentText::lineEndFrom(qsizetype p) const
{
    p = std::clamp<qsizetype>(p, 0, m_text.length);
    if (m_scanFrom >= 0 && p >= m_scanFrom && p <= m_scanResult)
        return m_scanResult;
    // Growing windows keep the cost near the line's length whichever of the two bytes the text
    // uses for its line ends.
    qsizetype result = m_text.length;
    qsizetype window = 256;
    for (qsizetype from = p; from < m_text.length; from += window, window *= 2) {
        const qsizetype span = std::min(window, m_text.length - from);
        const char *begin = m_text.data + from;
        const void *lf = std::memchr(begin, '\n', std::size_t(span));
        const qsizetype lfSpan = lf ? static_cast<const char *>(lf) - begin : span;
        const void *cr = lfSpan > 0 ? std::memchr(begin, '\r', std::size_t(lfSpan)) : nullptr;
        if (cr || lf) {
            result = from + (cr ? static_cast<const char *>(cr) - begin : lfSpan);
            break;
        }
    }
    m_scanFrom = p;
    m_scanResult = result;
    return result;
}

} // namespace pw::search
