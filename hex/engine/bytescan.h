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

} // namespace pw::hex
