// Stateful conversion between a file's bytes and the editor's bytes, chunk by chunk.
#pragma once

#include "editor/encoding/docencoding.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pw::enc {

// File bytes -> editor bytes. Feed the file in any chunks (they need not end on a unit or character
// boundary), then call finish() once.
//  - Ansi, Auto and the raw codes 7-10: the bytes as they are (no mark is skipped).
//  - Utf8: the first markLength bytes of the stream are skipped, the rest is copied.
//  - UTF-16: the first markLength bytes are skipped; each 16-bit unit becomes its UTF-8 form
//    (1, 2 or 3 bytes); a high surrogate followed by a low surrogate becomes one four-byte
//    character; a surrogate that is not part of a pair keeps a three-byte form (ED A0-BF xx), so
//    that the encoder writes the same unit back. An odd final byte is dropped.
//  - UTF-32: the first markLength bytes are skipped; each 32-bit value becomes its shortest form in
//    the original, wider UTF-8 scheme: 1-4 bytes up to 1FFFFF (surrogates included), 5 bytes
//    (F8-FB) up to 3FFFFFF, 6 bytes (FC-FD) up to 7FFFFFFF and 7 bytes (FE + six continuation
//    bytes) above. The editor shows the values beyond 10FFFF as invalid bytes, yet every file value
//    is written back unchanged. A final partial unit (1-3 bytes) is dropped.
// The markLength given is skipped unconditionally; TextFileReader checks the mark first.
class Decoder
{
public:
    explicit Decoder(DocEncoding encoding, int markLength = 0);

    // Appends the editor bytes of fileBytes to editorBytes.
    void decode(std::string_view fileBytes, std::string &editorBytes);
    // Appends what the end of the file completes (a surrogate left waiting for its pair) and drops
    // a trailing partial unit. The decoder may be reused for a new stream afterwards only through
    // reset().
    void finish(std::string &editorBytes);
    void reset(int markLength = 0);

    DocEncoding encoding() const { return m_encoding; }
    // Bytes of a trailing partial unit dropped by finish() (0 when the file ended on a unit).
    int droppedBytes() const { return m_dropped; }

private:
    void decodeUtf16(std::string_view bytes, std::string &out);
    void decodeUtf32(std::string_view bytes, std::string &out);

    DocEncoding m_encoding;
    std::uint64_t m_skip = 0;
    unsigned char m_carry[4] = {};
    int m_carryLength = 0;
    std::uint32_t m_pendingHigh = 0; // a high surrogate waiting for its low half, 0 when none
    int m_dropped = 0;
};

// Editor bytes -> file bytes (without the mark; TextFileWriter writes it). Chunks should end on a
// character boundary, but a sequence cut at the end of a chunk is kept and completed by the next.
//  - Ansi, Auto, Utf8 and the raw codes 7-10: the bytes as they are.
//  - UTF-16: every well-formed sequence of 1-3 bytes (surrogate forms ED A0-BF xx included) is one
//    unit, a four-byte character (F0-F4) is a surrogate pair. Any other byte (a stray continuation
//    byte, an invalid or overlong form, a sequence cut off at the end of the text) is a unit of its
//    own value, so no text is swallowed.
//  - UTF-32: every shortest form of the wider scheme the decoder uses (1-7 bytes) is one value;
//    any other byte is a value of its own.
// Decoding a file and encoding the result gives the file's bytes back, but for the dropped partial
// unit at the end.
class Encoder
{
public:
    explicit Encoder(DocEncoding encoding);

    // Appends the file bytes of editorBytes to fileBytes.
    void encode(std::string_view editorBytes, std::string &fileBytes);
    // Appends the bytes of a sequence left incomplete at the end of the text.
    void finish(std::string &fileBytes);

    DocEncoding encoding() const { return m_encoding; }
    // True when the editor bytes pass to the file unchanged (no conversion, no carry).
    bool isIdentity() const { return isRawEncoding(m_encoding) || m_encoding == Utf8; }

private:
    DocEncoding m_encoding;
    unsigned char m_carry[8] = {};
    int m_carryLength = 0;
};

} // namespace pw::enc
