// Windows-1252 tables and the table-driven decoder into UTF-8.
#include "editor/encoding/windows1252.h"

#include "editor/encoding/utf8scan.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace pw::enc::cp1252 {
namespace {

// Bytes 80-9F; the rest of 80-FF is Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t characterOf(unsigned b)
{
    return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char32_t(b);
}

// The UTF-8 form of each byte 80-FF: up to three bytes and the count.
struct Form
{
    unsigned char bytes[3];
    unsigned char length;
};

constexpr std::array<Form, 128> makeForms()
{
    std::array<Form, 128> forms{};
    for (unsigned b = 0x80; b < 0x100; ++b) {
        const char32_t c = characterOf(b);
        Form &f = forms[b - 0x80];
        if (c < 0x800) {
            f = {{static_cast<unsigned char>(0xC0 | c >> 6),
                  static_cast<unsigned char>(0x80 | (c & 0x3F)), 0},
                 2};
        } else {
            f = {{static_cast<unsigned char>(0xE0 | c >> 12),
                  static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)),
                  static_cast<unsigned char>(0x80 | (c & 0x3F))},
                 3};
        }
    }
    return forms;
}

constexpr std::array<Form, 128> kForms = makeForms();

} // namespace

char32_t toUnicode(unsigned char byte)
{
    return characterOf(byte);
}

std::optional<unsigned char> fromUnicode(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (unsigned i = 0; i < 32; ++i) {
        if (kHigh[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

void decode(std::string_view bytes, std::string &utf8)
{
    using utf8::Byte;
    const Byte *p = reinterpret_cast<const Byte *>(bytes.data());
    const std::size_t n = bytes.size();
    const std::size_t base = utf8.size();
    utf8.resize(base + n * 3);
    Byte *const begin = reinterpret_cast<Byte *>(utf8.data()) + base;
    Byte *o = begin;
    std::size_t i = 0;
    while (i < n) {
        const std::size_t ascii = utf8::asciiPrefix(p + i, n - i);
        std::memcpy(o, p + i, ascii);
        o += ascii;
        i += ascii;
        // Accented text has its high bytes in short runs; take them without re-entering the scan.
        while (i < n && p[i] >= 0x80) {
            const Form &f = kForms[p[i] - 0x80];
            std::memcpy(o, f.bytes, 3);
            o += f.length;
            ++i;
        }
    }
    utf8.resize(base + std::size_t(o - begin));
}

} // namespace pw::enc::cp1252
