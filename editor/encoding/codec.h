// Stateful conversion between a file's bytes and the editor's UTF-8, chunk by chunk.
#pragma once

#include "editor/encoding/docencoding.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pw::enc {

// File bytes -> editor bytes (UTF-8). Feed the file in any chunks (they need not end on a unit or
// character boundary), then call finish() once.
//  - Ansi, the raw codes 7-10 and invalid codes: each byte becomes its Windows-1252 character
//    (cp1252::toUnicode), so every byte value comes back on save. No mark is skipped.
//  - Utf8: the first markLength bytes are skipped, the rest is copied as it is (ill-formed bytes
//    included; the editor shows them as such and they are saved back unchanged).
//  - UTF-16: the first markLength bytes are skipped; each 16-bit unit becomes its UTF-8 form; a
//    high surrogate followed by a low surrogate becomes one four-byte character; a surrogate that
//    is not part of a pair keeps a three-byte form (ED A0-BF xx) so the encoder writes the same
//    unit back.
//  - UTF-32: the first markLength bytes are skipped; each 32-bit value becomes its shortest form in
//    the original, wider UTF-8 scheme: 1-4 bytes up to 1FFFFF (surrogates included), 5 bytes
//    (F8-FB) up to 3FFFFFF, 6 bytes (FC-FD) up to 7FFFFFFF and 7 bytes (FE + six continuation
//    bytes) above, so every file value is written back unchanged.
//  - Auto: the whole-file check. Bytes pass through while they are well-formed UTF-8. At the end,
//    text with at least one multi-byte sequence is Utf8, anything else Ansi. At the first
//    ill-formed byte the verdict is Ansi: when nothing but ASCII was handed out by earlier calls,
//    the current call's bytes are decoded as Windows-1252 (ASCII reads the same either way) and
//    decoding goes on as Ansi; when a multi-byte sequence was already handed out, decode() or
//    finish() returns false, appends nothing and needsRestart() becomes true: the caller drops
//    everything it has and decodes the stream again from its start with a Decoder(Ansi).
// A trailing partial unit of UTF-16 (an odd last byte) or UTF-32 (1-3 bytes) is kept out of the
// text and reported by trailingBytes(), so the caller can warn and write it back.
// markLength is skipped unconditionally; TextFileReader checks that the mark is there first.
class Decoder
{
public:
    explicit Decoder(DocEncoding encoding, int markLength = 0);

    // Appends the editor bytes of fileBytes. Returns false only in the Auto case described above.
    // complete says that no UTF-8 sequence continues past fileBytes: the file ends there, or the
    // next byte is ASCII. The whole-file check can then judge a sequence cut off at the end within
    // this call, before any of its multi-byte characters is handed out.
    bool decode(std::string_view fileBytes, std::string &editorBytes, bool complete = false);
    // Appends what the end of the file completes (a surrogate left waiting for its pair) and sets
    // trailingBytes(). Returns false only in the Auto case. Use reset() before reusing.
    bool finish(std::string &editorBytes);
    void reset(int markLength = 0);

    // The encoding decoded so far. For Auto: Auto while undecided, then Utf8 or Ansi (final after
    // finish()).
    DocEncoding encoding() const { return m_encoding; }
    bool needsRestart() const { return m_needsRestart; }
    // Bytes of a trailing partial unit after finish() (empty when the file ended on a unit).
    const std::string &trailingBytes() const { return m_trailing; }

private:
    bool decodeAuto(std::string_view bytes, std::string &out, bool complete);
    void decodeUtf16(std::string_view bytes, std::string &out);
    void decodeUtf32(std::string_view bytes, std::string &out);

    DocEncoding m_requested;
    DocEncoding m_encoding;
    std::uint64_t m_skip = 0;
    unsigned char m_carry[4] = {};
    int m_carryLength = 0;
    std::uint32_t m_pendingHigh = 0; // a high surrogate waiting for its low half, 0 when none
    bool m_multiByteHandedOut = false;
    bool m_needsRestart = false;
    std::string m_trailing;
};

// A character of the editor text that an encoding cannot hold.
struct Unencodable
{
    std::uint64_t offset = 0; // editor bytes before it, from the start of the text
    std::size_t length = 1;   // editor bytes it takes
    // The character; nothing when the bytes there are not well-formed UTF-8 (one byte is reported).
    std::optional<char32_t> character;
    friend bool operator==(const Unencodable &, const Unencodable &) = default;
};

// Editor bytes (UTF-8) -> file bytes, without the mark (TextFileWriter writes it). Chunks should
// end on a character boundary, but a sequence cut at the end of a chunk is kept and completed by
// the next. Nothing is ever replaced: at the first character the encoding cannot hold, encode()
// or finish() returns false, unencodable() says where and what it was, and every later call
// returns false without output. fileBytes then ends with the bytes of the text before it.
//  - Utf8: the bytes as they are (never fails).
//  - Ansi, Auto, the raw codes 7-10: Windows-1252 (cp1252::fromUnicode); fails on any other
//    character and on bytes that are not well-formed UTF-8.
//  - UTF-16: a sequence of 1-3 bytes (the surrogate forms ED A0-BF xx included) is one unit, a
//    four-byte character a surrogate pair; fails on anything else.
//  - UTF-32: every shortest form of the wider scheme the decoder uses (1-7 bytes) is one value;
//    fails on anything else.
// Decoding a file and encoding the result gives the file's bytes back (the mark and trailing
// partial unit aside, which the reader and writer handle).
class Encoder
{
public:
    explicit Encoder(DocEncoding encoding);

    bool encode(std::string_view editorBytes, std::string &fileBytes);
    // Encodes a sequence left incomplete at the end of the text (which fails: it is no character).
    bool finish(std::string &fileBytes);

    DocEncoding encoding() const { return m_encoding; }
    // True when the editor bytes pass to the file unchanged (no conversion, cannot fail).
    bool isIdentity() const { return m_encoding == Utf8; }
    const std::optional<Unencodable> &unencodable() const { return m_unencodable; }

private:
    bool run(const unsigned char *p, std::size_t n, std::size_t limit, bool atEnd,
             std::size_t &used, unsigned char *&out);

    DocEncoding m_encoding;
    unsigned char m_carry[8] = {};
    int m_carryLength = 0;
    std::uint64_t m_consumed = 0; // editor bytes encoded so far (the carry not included)
    std::optional<Unencodable> m_unencodable;
};

// The first character of text that encoding cannot hold, or nothing when all of it can be saved
// in that encoding. Cheap: one pass, no allocation proportional to the text; Utf8 returns at once.
std::optional<Unencodable> firstUnencodable(std::string_view text, DocEncoding encoding);
inline bool canEncode(std::string_view text, DocEncoding encoding)
{
    return !firstUnencodable(text, encoding);
}

// What an encoding command does to the text. The file bytes the old rule of the program would
// write are kept and read again in the new encoding: for an 8-bit encoding (Ansi, the raw codes)
// those are the text's Windows-1252 bytes, for every other encoding the UTF-8 text itself. So
// only a change between an 8-bit encoding and the others changes the text: a UTF-8 file read as
// Ansi is put right by choosing UTF-8, and a Unicode document switched to Ansi will be written
// as its UTF-8 bytes. Between UTF-8, UTF-16 and UTF-32 the text stays and the file is converted
// when saved.
struct Reinterpretation
{
    std::string text;
    // Set when the text held characters the old 8-bit encoding cannot hold (typed after the file
    // was opened): they are carried over as they are, and this names the first of them, so the
    // caller can warn or refuse.
    std::optional<Unencodable> unencodable;
};
bool reinterpretationChangesText(DocEncoding from, DocEncoding to);
Reinterpretation reinterpret(std::string_view text, DocEncoding from, DocEncoding to);

} // namespace pw::enc
