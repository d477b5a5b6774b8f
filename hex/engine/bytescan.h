// Vectorised scans for one byte value, optionally with bits masked on (for ASCII case folding).
#pragma once

#include <cstddef>
#include <cstdint>

namespace pw::hex {

// Index of the first, respectively last, byte b of [p, p + n) with (b | mask) == value; n when
// there is none. With mask 0 this is memchr/memrchr.
std::size_t scanForward(const std::uint8_t *p, std::size_t n, std::uint8_t value,
                        std::uint8_t mask);
std::size_t scanBackward(const std::uint8_t *p, std::size_t n, std::uint8_t value,
                         std::uint8_t mask);

// Two bytes of a pattern, at their offsets within it, each compared after its mask is ORed in.
struct BytePair
{
    std::size_t offset1 = 0;
    std::uint8_t value1 = 0;
    std::uint8_t mask1 = 0;
    std::size_t offset2 = 0;
    std::uint8_t value2 = 0;
    std::uint8_t mask2 = 0;
};

// The first, respectively last, start s in [0, count) at which both bytes of the pair match, or
// count when there is none. Bytes up to p[count - 1 + max(offset1, offset2)] must be readable.
// Sixteen starts are tested at once; on random data about one start in 65536 passes, so the
// comparisons after it cost next to nothing.
std::size_t scanPairForward(const std::uint8_t *p, std::size_t count, const BytePair &pair);
std::size_t scanPairBackward(const std::uint8_t *p, std::size_t count, const BytePair &pair);

} // namespace pw::hex
