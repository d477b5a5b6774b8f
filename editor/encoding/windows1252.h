// Windows-1252, the 8-bit code page every "Ansi" file is read and written in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pw::enc::cp1252 {

// The character a byte stands for. The five bytes Windows-1252 leaves unassigned (81, 8D, 8F, 90,
// 9D) stand for the C1 controls of the same value, so all 256 byte values round-trip.
char32_t toUnicode(unsigned char byte);

// The byte that stands for c, or nothing when Windows-1252 cannot hold c.
std::optional<unsigned char> fromUnicode(char32_t c);

// Appends the UTF-8 form of bytes to utf8 (1 byte per ASCII byte, 2 or 3 for the others).
void decode(std::string_view bytes, std::string &utf8);

} // namespace pw::enc::cp1252
