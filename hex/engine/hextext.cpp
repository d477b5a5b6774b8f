// The hex pattern rule and the go-to offset text.
#include "hex/engine/hextext.h"

#include <limits>

namespace pw::hex {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::vector<std::uint8_t> parseHexPattern(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    char pair[2];
    int held = 0;
    for (const char c : text) {
        if (c == ' ')
            continue;
        pair[held++] = c;
        if (held < 2)
            continue;
        held = 0;
        const int high = hexValue(pair[0]);
        const int low = hexValue(pair[1]);
        if (high < 0)
            bytes.push_back(0);
        else if (low < 0)
            bytes.push_back(std::uint8_t(high));
        else
            bytes.push_back(std::uint8_t(high * 16 + low));
    }
    return bytes;
}

bool parseHexBytes(std::string_view text, std::vector<std::uint8_t> &bytes, std::string *error)
{
    bytes.clear();
    int high = -1;
    std::size_t lastDigit = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ')
            continue;
        const int v = hexValue(text[i]);
        if (v < 0) {
            if (error)
                *error = "\"" + std::string(1, text[i]) + "\" at position " +
                         std::to_string(i + 1) + " is not a hex digit";
            return false;
        }
        lastDigit = i;
        if (high < 0) {
            high = v;
        } else {
            bytes.push_back(std::uint8_t(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) {
        if (error)
            *error = "The hex digit at position " + std::to_string(lastDigit + 1) +
                     " has no partner: every byte takes two digits";
        return false;
    }
    if (bytes.empty()) {
        if (error)
            *error = "No hex digits were given";
        return false;
    }
    return true;
}

OffsetText parseOffsetText(std::string_view text, bool hex)
{
    if (text.empty())
        return {OffsetTextStatus::Empty, 0};
    if (hex && text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    const int base = hex ? 16 : 10;
    constexpr Offset Largest = std::numeric_limits<Offset>::max();
    Offset value = 0;
    for (const char c : text) {
        const int digit = hex ? hexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return {hex ? OffsetTextStatus::InvalidHexDigit : OffsetTextStatus::InvalidDecimalDigit,
                    0};
        value = value > (Largest - digit) / base ? Largest : value * base + digit;
    }
    return {OffsetTextStatus::Valid, value};
}

std::string offsetTextMessage(OffsetTextStatus status)
{
    switch (status) {
    case OffsetTextStatus::InvalidHexDigit:
        return "Invalid hex digit";
    case OffsetTextStatus::InvalidDecimalDigit:
        return "Invalid decimal digit. Numeric only.";
    case OffsetTextStatus::Valid:
    case OffsetTextStatus::Empty:
        break;
    }
    return {};
}

} // namespace pw::hex
