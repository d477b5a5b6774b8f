// The tag and code tables, built from their rules, and the conversion of insertion texts.
#include "explorers/engine/listtables.h"

#include <QList>
#include <array>
#include <cstring>

namespace pw::explorers {

std::vector<ListEntry> buildEntityTable(); // listtables_entities.cpp

namespace {

constexpr const char *kTags[] = {
    "A",        "ABBR",     "ACRONYM", "ADDRESS",  "APPLET",   "AREA",   "B",        "BASE",
    "BASEFONT", "BDO",      "BIG",     "BLOCKQUOTE", "BODY",   "BR",     "BUTTON",   "CAPTION",
    "CENTER",   "CITE",     "CODE",    "COL",      "COLGROUP", "DD",     "DEL",      "DFN",
    "DIR",      "DIV",      "DL",      "DT",       "EM",       "FIELDSET", "FONT",   "FORM",
    "FRAME",    "FRAMESET", "H1",      "H2",       "H3",       "H4",     "H5",       "H6",
    "HEAD",     "HR",       "HTML",    "I",        "IFRAME",   "IMG",    "INPUT",    "INS",
    "ISINDEX",  "KBD",      "LABEL",   "LEGEND",   "LI",       "LINK",   "MAP",      "MENU",
    "META",     "NOFRAMES", "NOSCRIPT", "OBJECT",  "OL",       "OPTGROUP", "OPTION", "P",
    "PARAM",    "PRE",      "Q",       "S",        "SAMP",     "SCRIPT", "SELECT",   "SMALL",
    "SPAN",     "STRIKE",   "STRONG",  "STYLE",    "SUB",      "SUP",    "TABLE",    "TBODY",
    "TD",       "TEXTAREA", "TFOOT",   "TH",       "THEAD",    "TITLE",  "TR",       "TT",
    "U",        "UL",       "VAR",
};

enum TagShape { Pair, PairWithSpace, SelfClosing };

struct TagTemplate
{
    const char *tag;
    const char *attributes; // space-separated; "=" ends a bare attribute name
    TagShape shape;
};

// Start tags that carry attribute templates or a different shape.
constexpr TagTemplate kTemplates[] = {
    {"A", "HREF=", Pair},
    {"ABBR", "", PairWithSpace},
    {"APPLET", "CODEBASE CODE NAME ARCHIVE OBJECT WIDTH HEIGHT", Pair},
    {"AREA", "ALT", PairWithSpace},
    {"BASE", "HREF", Pair},
    {"BASEFONT", "SIZE COLOR FACE", Pair},
    {"BDO", "DIR", Pair},
    {"BR", "", SelfClosing},
    {"BUTTON", "NAME VALUE TYPE", Pair},
    {"FONT", "SIZE COLOR FACE", Pair},
    {"FORM", "ACTION", Pair},
    {"FRAME", "NAME SRC", PairWithSpace},
    {"FRAMESET", "ROWS COLS", Pair},
    {"HR", "ALIGN SIZE WIDTH", SelfClosing},
    {"IFRAME", "NAME SRC WIDTH HEIGHT", Pair},
    {"IMG", "SRC ALT", SelfClosing},
    {"INPUT", "TYPE NAME VALUE", Pair},
    {"ISINDEX", "PROMPT", Pair},
    {"LINK", "HREF", PairWithSpace},
    {"MAP", "NAME", PairWithSpace},
    {"MENU", "TITLE", Pair},
    {"META", "CONTENT", Pair},
    {"OBJECT", "WIDTH HEIGHT NAME CODEBASE", Pair},
    {"OPTION", "", PairWithSpace},
    {"PARAM", "NAME", Pair},
    {"SCRIPT", "TYPE LANGUAGE SRC", Pair},
    {"SELECT", "NAME", Pair},
    {"STYLE", "TYPE", Pair},
    {"TABLE", "WIDTH BORDER CELLSPACING CELLPADDING", Pair},
    {"TD", "WIDTH ROWSPAN COLSPAN", Pair},
    {"TEXTAREA", "NAME ROWS COLS", Pair},
    {"TH", "WIDTH ROWSPAN COLSPAN", Pair},
};

QByteArray tagInsertion(const char *tag)
{
    TagTemplate shape{tag, "", Pair};
    for (const TagTemplate &t : kTemplates) {
        if (std::strcmp(t.tag, tag) == 0)
            shape = t;
    }
    QByteArray text = QByteArray("<") + tag;
    for (const QByteArray &attribute : QByteArray(shape.attributes).split(' ')) {
        if (attribute.isEmpty())
            continue;
        if (attribute.endsWith('='))
            text += ' ' + attribute.chopped(1);
        else
            text += ' ' + attribute + "=\"\"";
    }
    if (shape.shape == SelfClosing)
        return text + "/>";
    if (shape.shape == PairWithSpace)
        text += ' ';
    return text + "><%REPLACE%></" + tag + '>';
}

std::vector<ListEntry> buildTagTable()
{
    std::vector<ListEntry> table;
    for (const char *tag : kTags)
        table.push_back({QByteArray(tag), tagInsertion(tag)});
    return table;
}

// Codes whose byte is unassigned in Windows-1252, or is DEL, the low single quote or the
// no-break space, which the list leaves out.
bool codeListed(int code)
{
    constexpr int kLeftOut[] = {127, 129, 130, 141, 143, 144, 157, 160};
    for (int left : kLeftOut) {
        if (code == left)
            return false;
    }
    return true;
}

std::vector<ListEntry> buildCodeTable()
{
    std::vector<ListEntry> table;
    for (int code = 33; code <= 255; ++code) {
        if (!codeListed(code))
            continue;
        const QByteArray character(1, char(code));
        table.push_back({QByteArray::number(code) + '\t' + character, character});
    }
    return table;
}

// Windows-1252 bytes 0x80-0x9F; the unassigned ones keep their own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

const std::vector<ListEntry> &listTable(ListKind kind)
{
    static const std::vector<ListEntry> tags = buildTagTable();
    static const std::vector<ListEntry> entities = buildEntityTable();
    static const std::vector<ListEntry> codes = buildCodeTable();
    switch (kind) {
    case ListKind::HtmlTags:
        return tags;
    case ListKind::HtmlEntities:
        return entities;
    case ListKind::AsciiCodes:
        break;
    }
    return codes;
}

QString fromWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            text += QChar(kHighControls[byte - 0x80]);
        else
            text += QChar(char16_t(byte));
    }
    return text;
}

QByteArray insertionBytes(const ListEntry &entry, bool utf8Document)
{
    return utf8Document ? fromWindows1252(entry.insertion).toUtf8() : entry.insertion;
}

QByteArray expandTemplate(const QByteArray &insertion, const QByteArray &selection)
{
    QByteArray text = insertion;
    return text.replace("<%REPLACE%>", selection);
}

} // namespace pw::explorers
