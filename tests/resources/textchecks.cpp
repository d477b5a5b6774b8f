// Small checkers for resource texts: mnemonic markup, portable key sequences, printf formats.
#include "textchecks.h"

#include <array>
#include <cctype>
#include <string_view>
#include <vector>

namespace pw::test {

Markup parseMarkup(const std::string &text)
{
    Markup m;
    m.valid = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            m.plain += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '&') {
            m.plain += '&';
            ++i;
            continue;
        }
        const bool atEnd = i + 1 == text.size();
        if (atEnd || std::isspace(static_cast<unsigned char>(text[i + 1])) || m.mnemonic != 0) {
            m.valid = false;
            continue;
        }
        m.mnemonic = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    }
    return m;
}

namespace {
constexpr std::array<std::pair<std::string_view, int>, 4> kModifiers{{
    {"Ctrl", Ctrl},
    {"Alt", Alt},
    {"Shift", Shift},
    {"Meta", Meta},
}};

constexpr std::array<std::string_view, 19> kNamedKeys{
    "Space", "Tab",  "Backspace", "Return", "Enter", "Ins",  "Del",    "Pause", "Print", "Home",
    "End",   "Left", "Up",        "Right",  "Down",  "PgUp", "PgDown", "Esc",   "Menu"};

bool isKeyName(const std::string &key)
{
    if (key.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(key[0]);
        // Qt writes letters in upper case; other printable ASCII characters stand for themselves.
        return std::isgraph(c) && !std::islower(c);
    }
    if (key.size() >= 2 && key[0] == 'F' &&
        key.find_first_not_of("0123456789", 1) == std::string::npos && key[1] != '0') {
        const int n = std::stoi(key.substr(1));
        return n >= 1 && n <= 35;
    }
    for (const auto name : kNamedKeys) {
        if (key == name)
            return true;
    }
    return false;
}
} // namespace

std::optional<Shortcut> parseShortcut(const std::string &text)
{
    if (text.find(", ") != std::string::npos)
        return std::nullopt; // a sequence of several chords
    std::vector<std::string> tokens;
    std::size_t start = 0;
    for (;;) {
        const auto plus = text.find('+', start);
        tokens.push_back(text.substr(start, plus == std::string::npos ? plus : plus - start));
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    if (text.size() > 2 && text.ends_with("++")) { // the "+" key itself: "Ctrl++"
        tokens.resize(tokens.size() - 2);
        tokens.emplace_back("+");
    }
    const std::string keyPart = tokens.back();
    tokens.pop_back();
    const std::vector<std::string> &parts = tokens;

    Shortcut s;
    s.key = keyPart;
    s.canonical = true;
    int lastRank = -1;
    for (const auto &part : parts) {
        int rank = -1;
        for (std::size_t r = 0; r < kModifiers.size(); ++r) {
            if (part == kModifiers[r].first)
                rank = static_cast<int>(r);
        }
        if (rank < 0 || (s.modifiers & kModifiers[rank].second) != 0)
            return std::nullopt; // unknown or repeated modifier
        s.modifiers |= kModifiers[rank].second;
        if (rank < lastRank)
            s.canonical = false;
        lastRank = rank;
    }
    if (!isKeyName(s.key))
        return std::nullopt;
    return s;
}

bool isEditingKey(const std::string &key)
{
    if (key.size() == 1)
        return true;
    static constexpr std::array<std::string_view, 16> kEditing{
        "Space", "Tab",  "Backspace", "Return", "Enter", "Ins",  "Del",    "Home",
        "End",   "Left", "Up",        "Right",  "Down",  "PgUp", "PgDown", "Esc"};
    for (const auto name : kEditing) {
        if (key == name)
            return true;
    }
    return false;
}

std::optional<std::string> formatSignature(const std::string &format)
{
    constexpr std::string_view kFlags = "-+ 0#";
    constexpr std::string_view kConversions = "diouxXsc";
    const auto isDigit = [&](std::size_t at) {
        return at < format.size() && std::isdigit(static_cast<unsigned char>(format[at]));
    };
    std::string signature;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (++i == format.size())
            return std::nullopt;
        if (format[i] == '%')
            continue;
        const std::size_t convStart = i;
        while (i < format.size() && kFlags.find(format[i]) != std::string_view::npos)
            ++i;
        const bool flags = i != convStart;
        while (isDigit(i))
            ++i;
        const std::size_t widthEnd = i;
        if (i < format.size() && format[i] == '.') {
            ++i;
            while (isDigit(i))
                ++i;
        }
        if (i < format.size() && kConversions.find(format[i]) != std::string_view::npos) {
            signature += format[i];
            continue;
        }
        // Not a printf conversion: "%1" to "%9" are the framework's numbered arguments ("%1?").
        const bool numbered = !flags && widthEnd == convStart + 1 && format[convStart] >= '1' &&
                              format[convStart] <= '9';
        if (!numbered)
            return std::nullopt;
        signature += format[convStart];
        i = convStart; // what follows the digit is plain text
    }
    return signature;
}

} // namespace pw::test
