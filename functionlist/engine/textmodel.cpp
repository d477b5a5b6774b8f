// Line table and bracket pairing of a function-list text copy.
#include "functionlist/engine/textmodel.h"

#include <algorithm>
#include <array>

namespace pw::functionlist {

TextModel::TextModel(QByteArray text, bool utf8) : m_text(std::move(text)), m_utf8(utf8)
{
    m_lineStarts.push_back(0);
    const qsizetype n = m_text.size();
    const char *p = m_text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\r') {
            if (i + 1 < n && p[i + 1] == '\n')
                ++i;
            m_lineStarts.push_back(i + 1);
        } else if (p[i] == '\n') {
            m_lineStarts.push_back(i + 1);
        }
    }
}

int TextModel::lineFromPosition(qsizetype pos) const
{
    if (pos <= 0)
        return 0;
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), pos);
    return int(it - m_lineStarts.begin()) - 1;
}

qsizetype TextModel::positionFromLine(int line) const
{
    if (line <= 0)
        return 0;
    if (line >= lineCount())
        return length();
    return m_lineStarts[std::size_t(line)];
}

qsizetype TextModel::lineEndPosition(int line) const
{
    if (line < 0)
        line = 0;
    if (line + 1 >= lineCount())
        return length();
    qsizetype end = m_lineStarts[std::size_t(line) + 1];
    const qsizetype start = m_lineStarts[std::size_t(line)];
    if (end > start && m_text.at(end - 1) == '\n')
        --end;
    if (end > start && m_text.at(end - 1) == '\r')
        --end;
    return end;
}

namespace {

bool isTrailByte(unsigned char c)
{
    return c >= 0x80 && c < 0xc0;
}

// Bytes of the character a lead byte starts, 1 for bytes that start none.
int sequenceLength(unsigned char lead)
{
    if (lead >= 0xc2 && lead <= 0xdf)
        return 2;
    if (lead >= 0xe0 && lead <= 0xef)
        return 3;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 4;
    return 1;
}

// Whether bytes [0, n) form a character the component accepts: no overlong forms, surrogates,
// values past U+10FFFF, nor the non-characters U+xFFFE and U+xFFFF.
bool wellFormed(const unsigned char *b, int n)
{
    for (int k = 1; k < n; ++k)
        if (!isTrailByte(b[k]))
            return false;
    switch (n) {
    case 2:
        return true;
    case 3:
        if (b[0] == 0xe0 && b[1] < 0xa0)
            return false;
        if (b[0] == 0xed && b[1] >= 0xa0)
            return false;
        return !(b[0] == 0xef && b[1] == 0xbf && (b[2] == 0xbe || b[2] == 0xbf));
    case 4:
        if (b[0] == 0xf0 && b[1] < 0x90)
            return false;
        if (b[0] == 0xf4 && b[1] >= 0x90)
            return false;
        return !((b[1] & 0x0f) == 0x0f && b[2] == 0xbf && (b[3] == 0xbe || b[3] == 0xbf));
    default:
        return false;
    }
}

} // namespace

qsizetype TextModel::movePastCharacter(qsizetype pos, bool lineEnds) const
{
    if (pos <= 0)
        return 0;
    if (pos >= length())
        return length();
    const auto *b = reinterpret_cast<const unsigned char *>(m_text.constData());
    if (lineEnds && b[pos - 1] == '\r' && b[pos] == '\n')
        return pos + 1;
    if (!m_utf8 || !isTrailByte(b[pos]))
        return pos;
    qsizetype trail = pos;
    while (trail > 0 && pos - trail < 4 && isTrailByte(b[trail - 1]))
        --trail;
    const qsizetype start = trail > 0 ? trail - 1 : trail;
    const int width = sequenceLength(b[start]);
    if (width == 1 || pos - start > width - 1)
        return pos;
    unsigned char bytes[4] = {b[start], 0, 0, 0};
    for (int k = 1; k < width && start + k < length(); ++k)
        bytes[k] = b[start + k];
    return wellFormed(bytes, width) ? start + width : pos;
}

qsizetype TextModel::braceMatch(qsizetype pos) const
{
    if (pos < 0 || pos >= length())
        return -1;
    if (!m_partnersBuilt)
        buildBracePartners();
    return m_partner[std::size_t(pos)];
}

void TextModel::buildBracePartners() const
{
    // The component scans from the bracket towards its partner counting only brackets of the
    // same kind; a stack per kind pairs every bracket the same way in one pass.
    m_partner.assign(std::size_t(length()), -1);
    std::array<std::vector<std::int32_t>, 4> open;
    const char *p = m_text.constData();
    for (qsizetype i = 0; i < length(); ++i) {
        int kind = -1;
        bool opening = false;
        switch (p[i]) {
        case '(':
            opening = true;
            [[fallthrough]];
        case ')':
            kind = 0;
            break;
        case '[':
            opening = true;
            [[fallthrough]];
        case ']':
            kind = 1;
            break;
        case '{':
            opening = true;
            [[fallthrough]];
        case '}':
            kind = 2;
            break;
        case '<':
            opening = true;
            [[fallthrough]];
        case '>':
            kind = 3;
            break;
        default:
            continue;
        }
        auto &stack = open[std::size_t(kind)];
        if (opening) {
            stack.push_back(std::int32_t(i));
        } else if (!stack.empty()) {
            const std::int32_t partner = stack.back();
            stack.pop_back();
            m_partner[std::size_t(partner)] = std::int32_t(i);
            m_partner[std::size_t(i)] = partner;
        }
    }
    m_partnersBuilt = true;
}

} // namespace pw::functionlist
