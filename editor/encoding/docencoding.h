// Encoding codes, line-ending modes, names and the small byte rules shared by detection, load and
// save.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace pw::enc {

// Codes shared with the open request, the file dialogs and the Format menu; the numbers are stored
// in settings and must not change. Auto is a request: "detect from the content". Codes 5-10 are
// what detection reports for a recognised mark: 5 and 6 are decoded (UTF-32); 7-10 have no decoder
// and are read as Windows-1252 like Ansi, which gives every byte back unchanged on save.
enum DocEncoding : int {
    Utf8 = 0,
    Unicode = 1,          // UTF-16, low byte first
    UnicodeBigEndian = 2, // UTF-16, high byte first
    Ansi = 3,             // Windows-1252, every byte value round-tripping
    Auto = 4,
    Utf32LE = 5,
    Utf32BE = 6,
    Scsu = 7,
    Bocu1 = 8,
    Utf7 = 9,
    UtfEbcdic = 10,
};

// Numbered like the editing component's end-of-line modes.
enum LineEnding : int { Crlf = 0, Cr = 1, Lf = 2 };

// True for 0..10.
bool isValidEncoding(int code);

// True for the codes whose file bytes are single bytes of Windows-1252: Ansi, the raw codes 7-10
// and, wherever a writer or a fixed decoder meets it, Auto (and any invalid code).
bool isEightBit(DocEncoding encoding);

// Bytes per code unit in the file: 2 for UTF-16, 4 for UTF-32, 1 otherwise.
int unitSize(DocEncoding encoding);

// The byte-order mark of an encoding: EF BB BF, FF FE, FE FF, FF FE 00 00, 00 00 FE FF; empty for
// the 8-bit codes (a mark of 7-10 is part of the text and is written back as it was read).
std::string_view markBytes(DocEncoding encoding);

// Mark length implied when the old menus named UTF-8 (3) or a UTF-16 order (2); 0 otherwise. The
// choice list below names the mark explicitly and is what new code should use.
int namedMarkLength(DocEncoding encoding);

// True when bytes begins with the non-empty mark of encoding.
bool startsWithMark(std::string_view bytes, DocEncoding encoding);

// Code page the editor shows every document in: 65001 (UTF-8). Kept as a function so callers do
// not hard-code it.
int editorCodePage(DocEncoding encoding);

// One way of writing a file that the user can pick: an encoding and whether its mark is written
// (markLength is 0 or the size of markBytes(encoding)). name is UTF-8 text for menus and lists.
struct EncodingChoice
{
    DocEncoding encoding;
    int markLength;
    const char *name;
    friend bool operator==(const EncodingChoice &, const EncodingChoice &) = default;
};

// The choices of the Encoding menu and the Save As list, in their order: "UTF-8", "UTF-8 with
// BOM", "Unicode", "Unicode (Big Endian)", "Ansi (Windows-1252)". When the document's own encoding
// and mark are none of these (UTF-16 without a mark, UTF-32, the raw codes), it is appended, so a
// list built from this never has to preselect another encoding than the document's.
std::vector<EncodingChoice> encodingChoices(DocEncoding current, int currentMarkLength);

// Position of (encoding, markLength) in encodingChoices(encoding, markLength). Auto and invalid
// codes count as Ansi; a mark length that is neither 0 nor the encoding's mark size counts as 0.
std::size_t choiceIndex(DocEncoding encoding, int markLength);

// Short UTF-8 name of an encoding and mark, for the status bar and the lists above.
const char *encodingName(DocEncoding encoding, int markLength);

// Load cuts every full chunk so that it ends just before the last space, CR or LF found scanning
// from its last unit back to its second unit; the rest starts the next chunk. Units are bytes for
// 8-bit text, 16-bit or 32-bit units (in the encoding's byte order) for UTF-16 and UTF-32, so a cut
// never splits a unit (nor a well-formed UTF-8 sequence, whose bytes are never 20, 0D or 0A).
// Returns how many bytes of chunk to keep now: always at least one unit when chunk holds one, and
// always a whole number of units. A chunk shorter than one unit is kept whole.
std::size_t cutChunk(std::string_view chunk, DocEncoding encoding);

// The first line of text including its line break (CR, LF or CR LF, as the editor splits lines),
// or all of text when it holds no break.
std::string_view firstLineWithBreak(std::string_view text);

// Line-ending mode from the first line including its break, scanning from its end backwards: LF
// preceded by CR gives Crlf, LF alone Lf, a CR reached first Cr; no break keeps currentMode.
int detectLineEnding(std::string_view firstLineWithBreak, int currentMode);

} // namespace pw::enc
