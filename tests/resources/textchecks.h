// Small checkers for resource texts: mnemonic markup, portable key sequences, printf formats.
#pragma once

#include <optional>
#include <string>

namespace pw::test {

// Menu text markup: "&x" marks the mnemonic x, "&&" is a literal ampersand.
struct Markup
{
    bool valid = false; // at most one mnemonic, no "&" at the end or before a blank
    char mnemonic = 0;  // upper-cased mnemonic letter, 0 when none
    std::string plain;  // the text as shown, without markup
};
Markup parseMarkup(const std::string &text);

// A key sequence in Qt's portable text form, a single chord such as "Ctrl+Shift+F".
enum Modifier { Ctrl = 1, Alt = 2, Shift = 4, Meta = 8 };
struct Shortcut
{
    int modifiers = 0;
    std::string key;        // "F", "F3", "Del", "]", ...
    bool canonical = false; // modifiers written in the order Qt writes them
    bool operator==(const Shortcut &) const = default;
};
std::optional<Shortcut> parseShortcut(const std::string &text);

// Keys that produce text or move the caret: as an application shortcut they would be taken away
// from the editor unless Ctrl, Alt or Meta is held.
bool isEditingKey(const std::string &key);

// The conversions of a printf-style format, one letter each ("d", "s", "x", "X", ...; "1" for the
// framework's numbered "%1"); nullopt when a "%" starts no valid conversion.
std::optional<std::string> formatSignature(const std::string &format);

} // namespace pw::test
