// UTF-8 well-formedness checks shared by detection, the whole-file check and the encoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pw::enc::utf8 {

using Byte = unsigned char;

// A sequence that is a valid beginning but is cut off by the end of the bytes available.
constexpr int kIncomplete = -1;

// Length (1-4) of the well-formed UTF-8 sequence at p by the Unicode standard's table (no overlong
// forms, no surrogates, nothing above U+10FFFF), 0 when it is ill-formed, or kIncomplete when the
// available bytes are a well-formed beginning that ends too early. available must be at least 1.
inline int wellFormedLength(const Byte *p, std::size_t available)
{
    const Byte b0 = p[0];
    if (b0 < 0x80)
        return 1;
    int length;
    Byte lo = 0x80;
    Byte hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return 0; // 80-BF alone, C0-C1 and F5-FF never start a well-formed sequence
    }
    for (int k = 1; k < length; ++k) {
        if (std::size_t(k) >= available)
            return kIncomplete;
        const Byte c = p[k];
        if (k == 1 ? (c < lo || c > hi) : (c & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// Bytes of p[0, n) before the first byte with its high bit set (so n when all are ASCII).
inline std::size_t asciiPrefix(const Byte *p, std::size_t n)
{
    std::size_t i = 0;
    while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ull)
            break;
        i += 8;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

struct Scan
{
    std::size_t valid = 0;   // bytes of well-formed UTF-8 from the start
    bool multiByte = false;  // at least one sequence in them is longer than one byte
    bool incomplete = false; // the bytes after them are a well-formed beginning cut by the end
};

// Walks p[0, n) sequence by sequence. valid == n, or valid < n with incomplete set, means no
// ill-formed byte was met; otherwise the byte at valid is where the text stops being UTF-8.
inline Scan scan(const Byte *p, std::size_t n)
{
    Scan result;
    std::size_t i = 0;
    while (i < n) {
        i += asciiPrefix(p + i, n - i);
        if (i >= n)
            break;
        const int length = wellFormedLength(p + i, n - i);
        if (length <= 0) {
            result.incomplete = length == kIncomplete;
            break;
        }
        result.multiByte = true;
        i += std::size_t(length);
    }
    result.valid = i;
    return result;
}

} // namespace pw::enc::utf8
