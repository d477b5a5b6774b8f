// The HTML 4.01 character entities with the sample each list row shows.
#include "explorers/engine/listtables.h"

#include <cstring>

namespace pw::explorers {

std::vector<ListEntry> buildEntityTable();

namespace {

struct Entity
{
    const char *name;
    char32_t character;
};

constexpr Entity kEntities[] = {
    {"aacute", 0xE1},    {"Aacute", 0xC1},   {"acirc", 0xE2},    {"Acirc", 0xC2},
    {"acute", 0xB4},     {"aelig", 0xE6},    {"AElig", 0xC6},    {"agrave", 0xE0},
    {"Agrave", 0xC0},    {"alefsym", 0x2135}, {"Alpha", 0x391},  {"alpha", 0x3B1},
    {"amp", 0x26},       {"and", 0x2227},    {"ang", 0x2220},    {"aring", 0xE5},
    {"Aring", 0xC5},     {"asymp", 0x2248},  {"atilde", 0xE3},   {"Atilde", 0xC3},
    {"auml", 0xE4},      {"Auml", 0xC4},     {"bdquo", 0x201E},  {"Beta", 0x392},
    {"beta", 0x3B2},     {"brvbar", 0xA6},   {"bull", 0x2022},   {"cap", 0x2229},
    {"ccedil", 0xE7},    {"Ccedil", 0xC7},   {"cedil", 0xB8},    {"cent", 0xA2},
    {"chi", 0x3C7},      {"Chi", 0x3A7},     {"circ", 0x2C6},    {"clubs", 0x2663},
    {"cong", 0x2245},    {"copy", 0xA9},     {"crarr", 0x21B5},  {"cup", 0x222A},
    {"curren", 0xA4},    {"dagger", 0x2020}, {"Dagger", 0x2021}, {"darr", 0x2193},
    {"dArr", 0x21D3},    {"deg", 0xB0},      {"delta", 0x3B4},   {"Delta", 0x394},
    {"diams", 0x2666},   {"divide", 0xF7},   {"eacute", 0xE9},   {"Eacute", 0xC9},
    {"ecirc", 0xEA},     {"Ecirc", 0xCA},    {"egrave", 0xE8},   {"Egrave", 0xC8},
    {"empty", 0x2205},   {"emsp", 0x2003},   {"ensp", 0x2002},   {"epsilon", 0x3B5},
    {"Epsilon", 0x395},  {"equiv", 0x2261},  {"eta", 0x3B7},     {"Eta", 0x397},
    {"eth", 0xF0},       {"ETH", 0xD0},      {"euml", 0xEB},     {"Euml", 0xCB},
    {"euro", 0x20AC},    {"exist", 0x2203},  {"fnof", 0x192},    {"forall", 0x2200},
    {"frac12", 0xBD},    {"frac14", 0xBC},   {"frac34", 0xBE},   {"frasl", 0x2044},
    {"gamma", 0x3B3},    {"Gamma", 0x393},   {"ge", 0x2265},     {"gt", 0x3E},
    {"harr", 0x2194},    {"hArr", 0x21D4},   {"hearts", 0x2665}, {"hellip", 0x2026},
    {"iacute", 0xED},    {"Iacute", 0xCD},   {"icirc", 0xEE},    {"Icirc", 0xCE},
    {"iexcl", 0xA1},     {"igrave", 0xEC},   {"Igrave", 0xCC},   {"image", 0x2111},
    {"infin", 0x221E},   {"int", 0x222B},    {"iota", 0x3B9},    {"Iota", 0x399},
    {"iquest", 0xBF},    {"isin", 0x2208},   {"iuml", 0xEF},     {"Iuml", 0xCF},
    {"kappa", 0x3BA},    {"Kappa", 0x39A},   {"lambda", 0x3BB},  {"Lambda", 0x39B},
    {"lang", 0x2329},    {"laquo", 0xAB},    {"larr", 0x2190},   {"lArr", 0x21D0},
    {"lceil", 0x2308},   {"ldquo", 0x201C},  {"le", 0x2264},     {"lfloor", 0x230A},
    {"lowast", 0x2217},  {"loz", 0x25CA},    {"lrm", 0x200E},    {"lsaquo", 0x2039},
    {"lsquo", 0x2018},   {"lt", 0x3C},       {"macr", 0xAF},     {"mdash", 0x2014},
    {"micro", 0xB5},     {"middot", 0xB7},   {"minus", 0x2212},  {"Mu", 0x39C},
    {"mu", 0x3BC},       {"nabla", 0x2207},  {"nbsp", 0xA0},     {"ndash", 0x2013},
    {"ne", 0x2260},      {"ni", 0x220B},     {"not", 0xAC},      {"notin", 0x2209},
    {"nsub", 0x2284},    {"ntilde", 0xF1},   {"Ntilde", 0xD1},   {"nu", 0x3BD},
    {"Nu", 0x39D},       {"oacute", 0xF3},   {"Oacute", 0xD3},   {"ocirc", 0xF4},
    {"Ocirc", 0xD4},     {"oelig", 0x153},   {"OElig", 0x152},   {"ograve", 0xF2},
    {"Ograve", 0xD2},    {"oline", 0x203E},  {"omega", 0x3C9},   {"Omega", 0x3A9},
    {"omicron", 0x3BF},  {"Omicron", 0x39F}, {"oplus", 0x2295},  {"or", 0x2228},
    {"ordf", 0xAA},      {"ordm", 0xBA},     {"oslash", 0xF8},   {"Oslash", 0xD8},
    {"otilde", 0xF5},    {"Otilde", 0xD5},   {"otimes", 0x2297}, {"ouml", 0xF6},
    {"Ouml", 0xD6},      {"para", 0xB6},     {"part", 0x2202},   {"permil", 0x2030},
    {"perp", 0x22A5},    {"phi", 0x3C6},     {"Phi", 0x3A6},     {"pi", 0x3C0},
    {"Pi", 0x3A0},       {"piv", 0x3D6},     {"plusmn", 0xB1},   {"pound", 0xA3},
    {"prime", 0x2032},   {"Prime", 0x2033},  {"prod", 0x220F},   {"prop", 0x221D},
    {"psi", 0x3C8},      {"Psi", 0x3A8},     {"quot", 0x22},     {"radic", 0x221A},
    {"rang", 0x232A},    {"raquo", 0xBB},    {"rarr", 0x2192},   {"rArr", 0x21D2},
    {"rceil", 0x2309},   {"rdquo", 0x201D},  {"real", 0x211C},   {"reg", 0xAE},
    {"rfloor", 0x230B},  {"rho", 0x3C1},     {"Rho", 0x3A1},     {"rlm", 0x200F},
    {"rsaquo", 0x203A},  {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"scaron", 0x161},
    {"Scaron", 0x160},   {"sdot", 0x22C5},   {"sect", 0xA7},     {"shy", 0xAD},
    {"sigma", 0x3C3},    {"Sigma", 0x3A3},   {"sigmaf", 0x3C2},  {"sim", 0x223C},
    {"spades", 0x2660},  {"sub", 0x2282},    {"sube", 0x2286},   {"sum", 0x2211},
    {"sup", 0x2283},     {"sup1", 0xB9},     {"sup2", 0xB2},     {"sup3", 0xB3},
    {"supe", 0x2287},    {"szlig", 0xDF},    {"tau", 0x3C4},     {"Tau", 0x3A4},
    {"there4", 0x2234},  {"theta", 0x3B8},   {"Theta", 0x398},   {"thetasym", 0x3D1},
    {"thinsp", 0x2009},  {"thorn", 0xFE},    {"THORN", 0xDE},    {"tilde", 0x2DC},
    {"times", 0xD7},     {"trade", 0x2122},  {"uacute", 0xFA},   {"Uacute", 0xDA},
    {"uarr", 0x2191},    {"uArr", 0x21D1},   {"ucirc", 0xFB},    {"Ucirc", 0xDB},
    {"ugrave", 0xF9},    {"Ugrave", 0xD9},   {"uml", 0xA8},      {"upsih", 0x3D2},
    {"upsilon", 0x3C5},  {"Upsilon", 0x3A5}, {"uuml", 0xFC},     {"Uuml", 0xDC},
    {"weierp", 0x2118},  {"xi", 0x3BE},      {"Xi", 0x39E},      {"yacute", 0xFD},
    {"Yacute", 0xDD},    {"yen", 0xA5},      {"yuml", 0xFF},     {"Yuml", 0x178},
    {"zeta", 0x3B6},     {"Zeta", 0x396},    {"zwj", 0x200D},    {"zwnj", 0x200C},
};

// Rows whose character has no Windows-1252 byte show a look-alike instead of the entity text.
struct LookAlike
{
    const char *name;
    char byte;
};

constexpr LookAlike kLookAlikes[] = {
    {"alpha", 'a'},  {"asymp", '\x98'}, {"beta", '\xDF'},  {"empty", '\xD8'}, {"frasl", '/'},
    {"image", 'I'},  {"lang", '<'},     {"lowast", '*'},   {"lsaquo", '{'},   {"minus", '-'},
    {"mu", '\xB5'},  {"nbsp", ' '},     {"prime", '\''},   {"radic", 'v'},    {"rang", '>'},
    {"real", 'R'},   {"rsaquo", '}'},   {"sdot", '\xB7'},  {"sim", '~'},      {"weierp", 'P'},
};

// The Windows-1252 byte of a character, or -1 when the code page has none.
int windows1252Byte(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return int(character);
    for (int byte = 0x80; byte < 0xA0; ++byte) {
        const QString decoded = fromWindows1252(QByteArray(1, char(byte)));
        if (decoded.at(0).unicode() == character && character > 0xFF)
            return byte;
    }
    return -1;
}

QByteArray sampleOf(const Entity &entity)
{
    for (const LookAlike &alike : kLookAlikes) {
        if (std::strcmp(alike.name, entity.name) == 0)
            return QByteArray(1, alike.byte);
    }
    const int byte = windows1252Byte(entity.character);
    if (byte >= 0)
        return QByteArray(1, char(byte));
    return QByteArray("&") + entity.name + ';';
}

} // namespace

std::vector<ListEntry> buildEntityTable()
{
    std::vector<ListEntry> table;
    for (const Entity &entity : kEntities) {
        const QByteArray name = QByteArray("&") + entity.name;
        table.push_back({name + "\t\t'" + sampleOf(entity) + '\'', name + ';'});
    }
    return table;
}

} // namespace pw::explorers
