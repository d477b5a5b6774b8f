// Byte scans: the C library's memchr/memrchr, and an SSE2 loop for the case-folding form.
#include "hex/engine/bytescan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pw::hex {

std::size_t scanForward(const std::uint8_t *p, std::size_t n, std::uint8_t value, std::uint8_t mask)
{
    if (n == 0) // p may be null then, which memchr must not see
        return 0;
    if (mask == 0) {
        const void *hit = std::memchr(p, value, n);
        return hit ? std::size_t(static_cast<const std::uint8_t *>(hit) - p) : n;
    }
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i want = _mm_set1_epi8(char(value));
    const __m128i bits = _mm_set1_epi8(char(mask));
    auto hits = [&](std::size_t at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + at));
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(v, bits), want)));
    };
    for (; i + 64 <= n; i += 64) {
        const unsigned a = hits(i), b = hits(i + 16), c = hits(i + 32), d = hits(i + 48);
        if ((a | b | c | d) == 0)
            continue;
        const unsigned long long all =
            a | (b << 16) | (std::uint64_t(c) << 32) | (std::uint64_t(d) << 48);
        return i + std::size_t(__builtin_ctzll(all));
    }
    for (; i + 16 <= n; i += 16) {
        if (const unsigned h = hits(i))
            return i + std::size_t(__builtin_ctz(h));
    }
#endif
    for (; i < n; ++i) {
        if ((p[i] | mask) == value)
            return i;
    }
    return n;
}

std::size_t scanBackward(const std::uint8_t *p, std::size_t n, std::uint8_t value,
                         std::uint8_t mask)
{
    if (n == 0)
        return 0;
    if (mask == 0) {
        const void *hit = ::memrchr(p, value, n);
        return hit ? std::size_t(static_cast<const std::uint8_t *>(hit) - p) : n;
    }
    std::size_t end = n; // bytes [0, end) are still to scan
#if defined(__SSE2__)
    const __m128i want = _mm_set1_epi8(char(value));
    const __m128i bits = _mm_set1_epi8(char(mask));
    auto hits = [&](std::size_t at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + at));
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(v, bits), want)));
    };
    for (; end >= 64; end -= 64) {
        const std::size_t i = end - 64;
        const unsigned a = hits(i), b = hits(i + 16), c = hits(i + 32), d = hits(i + 48);
        if ((a | b | c | d) == 0)
            continue;
        const unsigned long long all =
            a | (b << 16) | (std::uint64_t(c) << 32) | (std::uint64_t(d) << 48);
        return i + 63 - std::size_t(__builtin_clzll(all));
    }
    for (; end >= 16; end -= 16) {
        if (const unsigned h = hits(end - 16))
            return end - 16 + 31 - std::size_t(__builtin_clz(h));
    }
#endif
    while (end > 0) {
        --end;
        if ((p[end] | mask) == value)
            return end;
    }
    return n;
}

namespace {

bool pairAt(const std::uint8_t *p, std::size_t s, const BytePair &pair)
{
    return (p[s + pair.offset1] | pair.mask1) == pair.value1 &&
           (p[s + pair.offset2] | pair.mask2) == pair.value2;
}

#if defined(__SSE2__)
struct PairVectors
{
    explicit PairVectors(const BytePair &pair)
        : value1(_mm_set1_epi8(char(pair.value1))), mask1(_mm_set1_epi8(char(pair.mask1))),
          value2(_mm_set1_epi8(char(pair.value2))), mask2(_mm_set1_epi8(char(pair.mask2)))
    {}
    // Bit i set when the pair matches at start s + i.
    unsigned hits(const std::uint8_t *p, std::size_t s, const BytePair &pair) const
    {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + s + pair.offset1));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + s + pair.offset2));
        const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, mask1), value1),
                                           _mm_cmpeq_epi8(_mm_or_si128(b, mask2), value2));
        return unsigned(_mm_movemask_epi8(both));
    }
    __m128i value1, mask1, value2, mask2;
};
#endif

} // namespace

std::size_t scanPairForward(const std::uint8_t *p, std::size_t count, const BytePair &pair)
{
    std::size_t s = 0;
#if defined(__SSE2__)
    const PairVectors vectors(pair);
    for (; s + 32 <= count; s += 32) {
        const unsigned all = vectors.hits(p, s, pair) | vectors.hits(p, s + 16, pair) << 16;
        if (all)
            return s + std::size_t(__builtin_ctz(all));
    }
#endif
    for (; s < count; ++s) {
        if (pairAt(p, s, pair))
            return s;
    }
    return count;
}

std::size_t scanPairBackward(const std::uint8_t *p, std::size_t count, const BytePair &pair)
{
    std::size_t end = count; // starts [0, end) are still to test
#if defined(__SSE2__)
    const PairVectors vectors(pair);
    for (; end >= 32; end -= 32) {
        const std::size_t s = end - 32;
        const unsigned all = vectors.hits(p, s, pair) | vectors.hits(p, s + 16, pair) << 16;
        if (all)
            return s + 31 - std::size_t(__builtin_clz(all));
    }
#endif
    while (end > 0) {
        if (pairAt(p, --end, pair))
            return end;
    }
    return count;
}

} // namespace pw::hex
