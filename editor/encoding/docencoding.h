// Encoding codes, line-ending modes and the small byte rules shared by detection, load and save.
#pragma once

#include <cstddef>
#include <string_view>

namespace pw::enc {

// Codes shared with the open request, the file dialogs and the Format menu; the numbers are stored
// in settings and must not change. Auto is a request only: it is resolved before a file is read.
// Codes 5-10 are what detection reports for a recognised mark: 5 and 6 are decoded (UTF-32), 7-10
// are opened as raw bytes and saved back unchanged.
enum DocEncoding : int {
    Utf8 = 0,
    Unicode = 1,          // UTF-16, low byte first
    UnicodeBigEndian = 2, // UTF-16, high byte first
    Ansi = 3,             // the 8-bit code page; bytes are kept as they are
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

// True for the codes whose file bytes reach the editor unchanged: Ansi, Auto (treated as Ansi
// wherever it reaches a reader or writer) and the raw codes 7-10.
bool isRawEncoding(DocEncoding encoding);

// Bytes per code unit in the file: 2 for UTF-16, 4 for UTF-32, 1 otherwise.
int unitSize(DocEncoding encoding);

// The byte-order mark written in front of the text on save: EF BB BF, FF FE, FE FF, FF FE 00 00,
// 00 00 FE FF; empty for Ansi, Auto and the raw codes 7-10 (their own mark, if any, is part of the
// text and is written back as it was read).
std::string_view markBytes(DocEncoding encoding);

// Mark length assumed when the user names an encoding instead of letting it be detected: 3 for
// UTF-8, 2 for both UTF-16 byte orders, 0 otherwise.
int namedMarkLength(DocEncoding encoding);

// True when bytes begins with the non-empty mark of encoding.
bool startsWithMark(std::string_view bytes, DocEncoding encoding);

// Code page the editor shows the text in: 0 (the system's 8-bit page) for Ansi, Auto and the raw
// codes 7-10; 65001 (UTF-8) for every decoded encoding.
int editorCodePage(DocEncoding encoding);

// Load cuts every full chunk so that it ends just before the last space, CR or LF found scanning
// from its last unit back to its second unit; the rest starts the next chunk. Units are bytes for
// 8-bit text, 16-bit or 32-bit units (in the encoding's byte order) for UTF-16 and UTF-32, so a cut
// never splits a unit. Returns how many bytes of chunk to keep now: always at least one unit when
// chunk holds one, and always a whole number of units (a trailing partial unit is left for the
// next chunk). A chunk shorter than one unit is kept whole.
std::size_t cutChunk(std::string_view chunk, DocEncoding encoding);

// The first line of text including its line break (CR, LF or CR LF, as the editor splits lines),
// or all of text when it holds no break.
std::string_view firstLineWithBreak(std::string_view text);

// Line-ending mode from the first line including its break, scanning from its end backwards: LF
// preceded by CR gives Crlf, LF alone Lf, a CR reached first Cr; no break keeps currentMode.
int detectLineEnding(std::string_view firstLineWithBreak, int currentMode);

} // namespace pw::enc
