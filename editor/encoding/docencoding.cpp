// Marks, code pages, the load chunk cut and line-ending detection.
#include "editor/encoding/docencoding.h"

#include <cstdint>

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

bool isRawEncoding(DocEncoding encoding)
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
    return isRawEncoding(encoding) ? 0 : 65001;
}

std::size_t cutChunk(std::string_view chunk, DocEncoding encoding)
{
    const std::size_t unit = std::size_t(unitSize(encoding));
    const std::size_t units = chunk.size() / unit;
    if (units == 0)
        return chunk.size();
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
