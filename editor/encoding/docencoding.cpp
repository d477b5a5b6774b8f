// Marks, names and choices, the load chunk cut and line-ending detection.
#include "editor/encoding/docencoding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace pw::enc {
namespace {

using namespace std::string_view_literals;

bool isCutByte(std::uint32_t value)
{
    return value == 0x20 || value == 0x0D || value == 0x0A;
}

std::uint32_t unitAt(std::string_view bytes, std::size_t offset, DocEncoding encoding)
{
    const auto b = [&](std::size_t i) { return std::uint32_t(std::uint8_t(bytes[offset + i])); };
    switch (encoding) {
    case Unicode:
        return b(0) | b(1) << 8;
    case UnicodeBigEndian:
        return b(0) << 8 | b(1);
    case Utf32LE:
        return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
    case Utf32BE:
        return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
    default:
        return b(0);
    }
}

} // namespace

bool isValidEncoding(int code)
{
    return code >= Utf8 && code <= UtfEbcdic;
}

bool isEightBit(DocEncoding encoding)
{
    return encoding == Ansi || encoding == Auto || (encoding >= Scsu && encoding <= UtfEbcdic) ||
           !isValidEncoding(encoding);
}

int unitSize(DocEncoding encoding)
{
    switch (encoding) {
    case Unicode:
    case UnicodeBigEndian:
        return 2;
    case Utf32LE:
    case Utf32BE:
        return 4;
    default:
        return 1;
    }
}

std::string_view markBytes(DocEncoding encoding)
{
    switch (encoding) {
    case Utf8:
        return "\xEF\xBB\xBF"sv;
    case Unicode:
        return "\xFF\xFE"sv;
    case UnicodeBigEndian:
        return "\xFE\xFF"sv;
    case Utf32LE:
        return "\xFF\xFE\x00\x00"sv;
    case Utf32BE:
        return "\x00\x00\xFE\xFF"sv;
    default:
        return {};
    }
}

int namedMarkLength(DocEncoding encoding)
{
    switch (encoding) {
    case Utf8:
        return 3;
    case Unicode:
    case UnicodeBigEndian:
        return 2;
    default:
        return 0;
    }
}

bool startsWithMark(std::string_view bytes, DocEncoding encoding)
{
    const std::string_view mark = markBytes(encoding);
    return !mark.empty() && bytes.substr(0, mark.size()) == mark;
}

int editorCodePage(DocEncoding encoding)
{
    (void)encoding; // one code page for every document
    return 65001;
}

namespace {

constexpr EncodingChoice kStandardChoices[] = {
    {Utf8, 0, "UTF-8"},
    {Utf8, 3, "UTF-8 with BOM"},
    {Unicode, 2, "Unicode"},
    {UnicodeBigEndian, 2, "Unicode (Big Endian)"},
    {Ansi, 0, "Ansi (Windows-1252)"},
};

// The form a (code, mark length) pair is listed under.
EncodingChoice normalised(DocEncoding encoding, int markLength)
{
    if (!isValidEncoding(encoding) || encoding == Auto)
        encoding = Ansi;
    const int mark = int(markBytes(encoding).size());
    return {encoding, mark > 0 && markLength == mark ? mark : 0, ""};
}

bool sameForm(const EncodingChoice &a, const EncodingChoice &b)
{
    return a.encoding == b.encoding && a.markLength == b.markLength;
}

} // namespace

std::vector<EncodingChoice> encodingChoices(DocEncoding current, int currentMarkLength)
{
    std::vector<EncodingChoice> choices(std::begin(kStandardChoices), std::end(kStandardChoices));
    EncodingChoice own = normalised(current, currentMarkLength);
    if (std::none_of(choices.begin(), choices.end(),
                     [&](const EncodingChoice &c) { return sameForm(c, own); })) {
        own.name = encodingName(own.encoding, own.markLength);
        choices.push_back(own);
    }
    return choices;
}

std::size_t choiceIndex(DocEncoding encoding, int markLength)
{
    const EncodingChoice own = normalised(encoding, markLength);
    const std::vector<EncodingChoice> choices = encodingChoices(encoding, markLength);
    const auto found = std::find_if(choices.begin(), choices.end(),
                                    [&](const EncodingChoice &c) { return sameForm(c, own); });
    return std::size_t(found - choices.begin());
}

const char *encodingName(DocEncoding encoding, int markLength)
{
    const EncodingChoice own = normalised(encoding, markLength);
    for (const EncodingChoice &c : kStandardChoices) {
        if (sameForm(c, own))
            return c.name;
    }
    switch (own.encoding) {
    case Unicode:
        return "Unicode without BOM";
    case UnicodeBigEndian:
        return "Unicode (Big Endian) without BOM";
    case Utf32LE:
        return own.markLength ? "UTF-32" : "UTF-32 without BOM";
    case Utf32BE:
        return own.markLength ? "UTF-32 (Big Endian)" : "UTF-32 (Big Endian) without BOM";
    case Scsu:
        return "SCSU (bytes kept as they are)";
    case Bocu1:
        return "BOCU-1 (bytes kept as they are)";
    case Utf7:
        return "UTF-7 (bytes kept as they are)";
    case UtfEbcdic:
        return "UTF-EBCDIC (bytes kept as they are)";
    default:
        return "Ansi (Windows-1252)";
    }
}

std::size_t cutChunk(std::string_view chunk, DocEncoding encoding)
{
    const std::size_t unit = std::size_t(unitSize(encoding));
    const std::size_t units = chunk.size() / unit;
    if (units == 0)
        return chunk.size();
    if (unit == 1) {
        // The common case, kept a plain byte loop: text without any break is scanned whole.
        const auto *p = reinterpret_cast<const unsigned char *>(chunk.data());
        for (std::size_t k = units - 1; k >= 1; --k) {
            if (p[k] == 0x20 || p[k] == 0x0D || p[k] == 0x0A)
                return k;
        }
        return units;
    }
    for (std::size_t k = units - 1; k >= 1; --k) {
        if (isCutByte(unitAt(chunk, k * unit, encoding)))
            return k * unit;
    }
    return units * unit;
}

std::string_view firstLineWithBreak(std::string_view text)
{
    const std::size_t brk = text.find_first_of("\r\n"sv);
    if (brk == std::string_view::npos)
        return text;
    if (text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n')
        return text.substr(0, brk + 2);
    return text.substr(0, brk + 1);
}

int detectLineEnding(std::string_view firstLineWithBreak, int currentMode)
{
    for (std::size_t i = firstLineWithBreak.size(); i-- > 0;) {
        const char c = firstLineWithBreak[i];
        if (c == '\n')
            return (i > 0 && firstLineWithBreak[i - 1] == '\r') ? Crlf : Lf;
        if (c == '\r')
            return Cr;
    }
    return currentMode;
}

} // namespace pw::enc
