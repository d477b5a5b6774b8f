// Texts typed into the hex dialogs: the hex pattern rule of the find box and the go-to offset.
#pragma once

#include "hex/engine/bytesource.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pw::hex {

// The find box's rule, lenient by design: spaces are skipped, the other characters are read two
// at a time, each pair as a hexadecimal number that stops at its first non-hex character (so
// "G1" and "0x" give 0, "1G" gives 1), and a last single character is dropped. "4D 5a90" gives
// 4D 5A 90; a single digit gives no bytes.
std::vector<std::uint8_t> parseHexPattern(std::string_view text);

// The strict form, for input where a mistyped digit must not silently become 0: spaces are
// skipped and everything else must be hex digits, an even number of them. On failure *error says
// what is wrong and where (1-based character position).
bool parseHexBytes(std::string_view text, std::vector<std::uint8_t> &bytes, std::string *error);

// A go-to offset as typed. Hex texts may start with "0x" or "0X"; values too large for an offset
// saturate at the largest one (which no file reaches, so the length check refuses it).
enum class OffsetTextStatus {
    Valid,
    Empty, // valid, and the offset stays as it was
    InvalidHexDigit,
    InvalidDecimalDigit,
};
struct OffsetText
{
    OffsetTextStatus status = OffsetTextStatus::Empty;
    Offset value = 0;
};
OffsetText parseOffsetText(std::string_view text, bool hex);
// The dialog's message for a refused text; empty for Valid and Empty.
std::string offsetTextMessage(OffsetTextStatus status);

} // namespace pw::hex
