// The block-wise pattern search and the choice of the byte it scans for.
#include "hex/engine/hexsearch.h"

#include "hex/engine/bytescan.h"
#include "hex/engine/hextext.h"

#include <algorithm>
#include <cstring>

namespace pw::hex {
namespace {

bool isLetter(std::uint8_t b)
{
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

std::uint8_t lower(std::uint8_t b)
{
    return b >= 'A' && b <= 'Z' ? std::uint8_t(b | 0x20) : b;
}

// How often a byte turns up in typical files, roughly: the scan goes for the rarest byte of the
// pattern so that few hits need comparing. Zeros and 0xFF fill binaries, text is mostly lower
// case.
int commonness(std::uint8_t b)
{
    if (b == 0x00)
        return 100;
    if (b == 0xFF)
        return 90;
    if (b == ' ')
        return 85;
    if (b >= 'a' && b <= 'z')
        return 70;
    if (b >= '0' && b <= '9')
        return 60;
    if (b >= 'A' && b <= 'Z')
        return 55;
    if (b == '\n' || b == '\r' || b == '\t')
        return 50;
    if (b > ' ' && b < 0x7F)
        return 40;
    if (b < ' ')
        return 30;
    return 20;
}

} // namespace

SearchPattern makeSearchPattern(std::string_view text, bool ascii, bool matchCase)
{
    if (ascii)
        return {std::vector<std::uint8_t>(text.begin(), text.end()), matchCase};
    return {parseHexPattern(text), true};
}

HexSearch::HexSearch(SearchPattern pattern, std::size_t blockSize)
    : m_pattern(std::move(pattern)), m_blockSize(std::max<std::size_t>(blockSize, 1))
{
    const auto &bytes = m_pattern.bytes;
    if (!m_pattern.caseSensitive && std::none_of(bytes.begin(), bytes.end(), isLetter))
        m_pattern.caseSensitive = true; // nothing to fold: exact comparison is the same, faster
    m_folded = bytes;
    if (!m_pattern.caseSensitive)
        std::transform(m_folded.begin(), m_folded.end(), m_folded.begin(), lower);
    int best = 1000;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool folded = !m_pattern.caseSensitive && isLetter(bytes[i]);
        // A letter found in either case is twice as likely; the lower-case rank covers both.
        const int rank = commonness(folded ? lower(bytes[i]) : bytes[i]) + (folded ? 5 : 0);
        if (rank <= best) {
            best = rank;
            m_anchor = i;
            m_anchorMask = folded ? 0x20 : 0;
            m_anchorValue = folded ? lower(bytes[i]) : bytes[i];
        }
    }
}

bool HexSearch::matchesAt(const std::uint8_t *at) const
{
    const std::size_t m = m_folded.size();
    if (m_pattern.caseSensitive)
        return std::memcmp(at, m_folded.data(), m) == 0;
    for (std::size_t i = 0; i < m; ++i) {
        if (lower(at[i]) != m_folded[i])
            return false;
    }
    return true;
}

std::ptrdiff_t HexSearch::findFirstIn(const std::uint8_t *bytes, std::size_t length) const
{
    const std::size_t m = m_folded.size();
    if (m == 0 || length < m)
        return -1;
    // Anchor positions j whose match would start at j - m_anchor and fit.
    std::size_t j = m_anchor;
    const std::size_t last = length - m + m_anchor;
    while (j <= last) {
        const std::size_t count = last - j + 1;
        const std::size_t k = scanForward(bytes + j, count, m_anchorValue, m_anchorMask);
        if (k == count)
            return -1;
        j += k;
        if (matchesAt(bytes + j - m_anchor))
            return std::ptrdiff_t(j - m_anchor);
        ++j;
    }
    return -1;
}

std::ptrdiff_t HexSearch::findLastIn(const std::uint8_t *bytes, std::size_t length) const
{
    const std::size_t m = m_folded.size();
    if (m == 0 || length < m)
        return -1;
    std::size_t end = length - m + m_anchor + 1; // anchor positions [m_anchor, end) remain
    while (end > m_anchor) {
        const std::size_t count = end - m_anchor;
        const std::size_t k =
            scanBackward(bytes + m_anchor, count, m_anchorValue, m_anchorMask);
        if (k == count)
            return -1;
        if (matchesAt(bytes + k))
            return std::ptrdiff_t(k);
        end = m_anchor + k;
    }
    return -1;
}

SearchResult HexSearch::find(const ByteSource &source, Offset from, bool up, std::stop_token stop,
                             const SearchProgress &progress) const
{
    const auto m = Offset(m_folded.size());
    if (m == 0)
        return {SearchStatus::EmptyPattern};
    const Offset size = source.size();
    from = std::clamp<Offset>(from, 0, size);
    // Each block overlaps the next by m - 1 bytes, so a match across the edge lies whole in one.
    const auto window = Offset(m_blockSize) + m - 1;
    std::vector<std::uint8_t> buffer(std::size_t(std::min(window, size)));

    if (!up) {
        const Offset total = size - from;
        for (Offset pos = from; size - pos >= m;) {
            if (stop.stop_requested())
                return {SearchStatus::Cancelled};
            const Offset length = std::min(window, size - pos);
            if (!source.read(pos, buffer.data(), std::size_t(length)))
                return {SearchStatus::ReadFailed};
            if (const std::ptrdiff_t hit = findFirstIn(buffer.data(), std::size_t(length));
                hit >= 0)
                return {SearchStatus::Found, pos + hit};
            pos += length - m + 1;
            if (progress)
                progress(size - pos < m ? total : pos - from, total);
        }
        return {SearchStatus::NotFound};
    }

    // Up: matches start before from, so they end by from + m - 1.
    Offset end = std::min(size, from + m - 1);
    const Offset total = end;
    while (end >= m) {
        if (stop.stop_requested())
            return {SearchStatus::Cancelled};
        const Offset start = std::max<Offset>(0, end - window);
        const Offset length = end - start;
        if (!source.read(start, buffer.data(), std::size_t(length)))
            return {SearchStatus::ReadFailed};
        if (const std::ptrdiff_t hit = findLastIn(buffer.data(), std::size_t(length)); hit >= 0)
            return {SearchStatus::Found, start + hit};
        if (progress)
            progress(total - start, total);
        if (start == 0)
            break;
        end = start + m - 1;
    }
    return {SearchStatus::NotFound};
}

} // namespace pw::hex
