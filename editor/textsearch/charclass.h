// How the editing component classifies bytes for words, whole-word matches and regex word edges.
#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

namespace pw::search {

// The component's four character classes. Whole-word searches compare the classes on both sides of
// a match edge; "\<", "\>" and "\w" in regular expressions only ask whether a byte is Word.
enum class CharClass : std::uint8_t { Space, NewLine, Word, Punctuation };

using CharClassTable = std::array<CharClass, 256>;

// The component's defaults: "\r" and "\n" line ends, other control bytes and the blank are space,
// letters, digits, "_" and every byte from 0x80 are word bytes, everything else punctuation.
const CharClassTable &defaultCharClasses();

// The table the component holds after its word, whitespace and punctuation byte lists were read
// back from it; bytes in none of the lists keep their default class.
CharClassTable charClassesFrom(const QByteArray &wordChars, const QByteArray &whitespaceChars,
                               const QByteArray &punctuationChars);

} // namespace pw::search
