// The component's byte classes: its defaults and a table rebuilt from its byte lists.
#include "editor/textsearch/charclass.h"

namespace pw::search {

namespace {
CharClassTable buildDefaults()
{
    CharClassTable table{};
    for (int c = 0; c < 256; ++c) {
        CharClass cls = CharClass::Punctuation;
        if (c == '\r' || c == '\n')
            cls = CharClass::NewLine;
        else if (c < 0x20 || c == ' ')
            cls = CharClass::Space;
        else if (c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                 (c >= 'a' && c <= 'z') || c == '_')
            cls = CharClass::Word;
        table[std::size_t(c)] = cls;
    }
    return table;
}
} // namespace

const CharClassTable &defaultCharClasses()
{
    static const CharClassTable table = buildDefaults();
    return table;
}

CharClassTable charClassesFrom(const QByteArray &wordChars, const QByteArray &whitespaceChars,
                               const QByteArray &punctuationChars)
{
    CharClassTable table = defaultCharClasses();
    auto mark = [&table](const QByteArray &bytes, CharClass cls) {
        for (char c : bytes)
            table[static_cast<unsigned char>(c)] = cls;
    };
    mark(wordChars, CharClass::Word);
    mark(whitespaceChars, CharClass::Space);
    mark(punctuationChars, CharClass::Punctuation);
    return table;
}

} // namespace pw::search
