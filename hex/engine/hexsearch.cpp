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
    if (bytes.empty())
        return;
    // The two rarest bytes filter the starts; a letter matched in either case counts as a bit
    // more common, since both of its forms pass.
    auto rank = [&](std::size_t i) {
        const bool folded = !m_pattern.caseSensitive && isLetter(bytes[i]);
        return commonness(folded ? lower(bytes[i]) : bytes[i]) + (folded ? 5 : 0);
    };
    std::vector<std::size_t> order(bytes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
    auto set = [&](std::size_t i, std::size_t &offset, std::uint8_t &value, std::uint8_t &mask) {
        const bool folded = !m_pattern.caseSensitive && isLetter(bytes[i]);
        offset = i;
        mask = folded ? 0x20 : 0;
        value = folded ? lower(bytes[i]) : bytes[i];
    };
    set(order[0], m_pair.offset1, m_pair.value1, m_pair.mask1);
    set(order.size() > 1 ? order[1] : order[0], m_pair.offset2, m_pair.value2, m_pair.mask2);
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
    const std::size_t count = length - m + 1; // possible starts
    if (m == 1) {
        const std::size_t k = scanForward(bytes, count, m_pair.value1, m_pair.mask1);
        return k < count ? std::ptrdiff_t(k) : -1;
    }
    for (std::size_t s = 0; s < count; ++s) {
        const std::size_t k = scanPairForward(bytes + s, count - s, m_pair);
        if (k == count - s)
            return -1;
        s += k;
        if (matchesAt(bytes + s))
            return std::ptrdiff_t(s);
    }
    return -1;
}

std::ptrdiff_t HexSearch::findLastIn(const std::uint8_t *bytes, std::size_t length) const
{
    const std::size_t m = m_folded.size();
    if (m == 0 || length < m)
        return -1;
    const std::size_t count = length - m + 1;
    if (m == 1) {
        const std::size_t k = scanBackward(bytes, count, m_pair.value1, m_pair.mask1);
        return k < count ? std::ptrdiff_t(k) : -1;
    }
    for (std::size_t end = count; end > 0;) { // starts [0, end) remain
        const std::size_t k = scanPairBackward(bytes, end, m_pair);
        if (k == end)
            return -1;
        if (matchesAt(bytes + k))
            return std::ptrdiff_t(k);
        end = k;
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
