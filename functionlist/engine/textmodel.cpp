// Line table and bracket pairing of a function-list text copy.
#include "functionlist/engine/textmodel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define PW_FUNCTIONLIST_SSE2 1
#endif

namespace pw::functionlist {

namespace {

// Calls found(i), in order, for each position i of [0, n) whose byte is one of bytes: sixteen
// bytes at a time where the processor allows, since lines and brackets are a small part of a
// text.
template <std::size_t N, typename Found>
void forEachByteOf(const char *p, qsizetype n, const std::array<char, N> &bytes, Found &&found)
{
    qsizetype i = 0;
#ifdef PW_FUNCTIONLIST_SSE2
    __m128i needles[N];
    for (std::size_t k = 0; k < N; ++k)
        needles[k] = _mm_set1_epi8(bytes[k]);
    for (; i + 16 <= n; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        __m128i hit = _mm_cmpeq_epi8(chunk, needles[0]);
        for (std::size_t k = 1; k < N; ++k)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(chunk, needles[k]));
        for (auto mask = unsigned(_mm_movemask_epi8(hit)); mask != 0; mask &= mask - 1)
            found(i + std::countr_zero(mask));
    }
#endif
    for (; i < n; ++i)
        if (std::find(bytes.begin(), bytes.end(), p[i]) != bytes.end())
            found(i);
}

constexpr char Brackets[] = "()[]{}<>";

// Where c stands in Brackets (an opening bracket at an even index, its partner after it), or -1.
int bracketIndex(char c)
{
    const void *at = c ? std::memchr(Brackets, c, 8) : nullptr;
    return at ? int(static_cast<const char *>(at) - Brackets) : -1;
}

} // namespace

TextModel::TextModel(QByteArray text, bool utf8) : m_text(std::move(text)), m_utf8(utf8)
{
    m_lineStarts.push_back(0);
    const qsizetype n = m_text.size();
    const char *p = m_text.constData();
    qsizetype pairEnd = -1; // the "\n" of a "\r\n" pair, already counted
    forEachByteOf(p, n, std::array<char, 2>{'\r', '\n'}, [&](qsizetype i) {
        if (i == pairEnd)
            return;
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
            pairEnd = ++i;
        m_lineStarts.push_back(i + 1);
    });
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
    if (bracketIndex(m_text.at(pos)) < 0)
        return -1;
    if (!m_partnersBuilt)
        buildBracePartners();
    const auto it = std::lower_bound(m_bracket.begin(), m_bracket.end(), std::int32_t(pos));
    if (it == m_bracket.end() || *it != pos)
        return -1;
    return m_partner[std::size_t(it - m_bracket.begin())];
}

void TextModel::buildBracePartners() const
{
    // The component scans from the bracket towards its partner counting only brackets of the
    // same kind; a stack per kind pairs every bracket the same way in one pass. Unpaired
    // brackets are listed too (with partner -1), which keeps the list in text order.
    m_bracket.clear();
    m_partner.clear();
    std::array<std::vector<std::int32_t>, 4> open; // indexes into m_bracket
    const char *p = m_text.constData();
    forEachByteOf(p, length(), std::to_array<char>({'(', ')', '[', ']', '{', '}', '<', '>'}),
                  [&](qsizetype i) {
                      const int which = bracketIndex(p[i]);
                      const auto index = std::int32_t(m_bracket.size());
                      m_bracket.push_back(std::int32_t(i));
                      m_partner.push_back(-1);
                      auto &stack = open[std::size_t(which / 2)];
                      if (which % 2 == 0) {
                          stack.push_back(index);
                      } else if (!stack.empty()) {
                          const std::int32_t other = stack.back();
                          stack.pop_back();
                          m_partner[std::size_t(other)] = std::int32_t(i);
                          m_partner[std::size_t(index)] = m_bracket[std::size_t(other)];
                      }
                  });
    m_partnersBuilt = true;
}

} // namespace pw::functionlist
