// Decoding of file bytes into the editor's UTF-8 and strict encoding back, with state carried
// across chunks.
#include "editor/encoding/codec.h"

#include "editor/encoding/utf8scan.h"
#include "editor/encoding/windows1252.h"

#include <algorithm>
#include <cstring>

namespace pw::enc {
namespace {

using utf8::Byte;

bool isHighSurrogate(std::uint32_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool isLowSurrogate(std::uint32_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Writes value in the shortest form of the wide UTF-8 scheme (up to 7 bytes for 32-bit values).
inline Byte *putWide(Byte *o, std::uint32_t v)
{
    if (v < 0x80) {
        *o++ = Byte(v);
        return o;
    }
    if (v < 0x800) {
        *o++ = Byte(0xC0 | v >> 6);
        *o++ = Byte(0x80 | (v & 0x3F));
        return o;
    }
    if (v < 0x10000) {
        *o++ = Byte(0xE0 | v >> 12);
        *o++ = Byte(0x80 | ((v >> 6) & 0x3F));
        *o++ = Byte(0x80 | (v & 0x3F));
        return o;
    }
    int continuation;
    Byte lead;
    if (v < 0x200000) {
        continuation = 3;
        lead = Byte(0xF0 | v >> 18);
    } else if (v < 0x4000000) {
        continuation = 4;
        lead = Byte(0xF8 | v >> 24);
    } else if (v < 0x80000000u) {
        continuation = 5;
        lead = Byte(0xFC | v >> 30);
    } else {
        continuation = 6; // FE carries no value bits; six continuation bytes hold 36
        lead = 0xFE;
    }
    *o++ = lead;
    for (int shift = 6 * (continuation - 1); shift >= 0; shift -= 6)
        *o++ = Byte(0x80 | ((std::uint64_t(v) >> shift) & 0x3F));
    return o;
}

// Reads the shortest-form sequence of the wide scheme at p. Returns its length with value set, 0
// when the lead byte does not start an acceptable sequence (stray continuation byte, FF, overlong
// form, too long or too large for the target), or utf8::kIncomplete when the bytes available are
// a valid beginning cut short. Surrogate values are accepted: they are what the UTF-16 decoder
// writes for a lone surrogate.
int readSequence(const Byte *p, std::size_t available, int maxLength, std::uint32_t maxValue,
                 std::uint32_t &value)
{
    static constexpr std::uint64_t kMinimum[8] = {0,       0,        0x80,      0x800,
                                                  0x10000, 0x200000, 0x4000000, 0x80000000u};
    const Byte b = p[0];
    int length;
    std::uint64_t v;
    if (b < 0x80) {
        value = b;
        return 1;
    } else if (b < 0xC0) {
        return 0;
    } else if (b < 0xE0) {
        length = 2;
        v = b & 0x1F;
    } else if (b < 0xF0) {
        length = 3;
        v = b & 0x0F;
    } else if (b < 0xF8) {
        length = 4;
        v = b & 0x07;
    } else if (b < 0xFC) {
        length = 5;
        v = b & 0x03;
    } else if (b < 0xFE) {
        length = 6;
        v = b & 0x01;
    } else if (b == 0xFE) {
        length = 7;
        v = 0;
    } else {
        return 0;
    }
    if (length > maxLength)
        return 0;
    for (int k = 1; k < length; ++k) {
        if (std::size_t(k) >= available)
            return utf8::kIncomplete;
        const Byte c = p[k];
        if ((c & 0xC0) != 0x80)
            return 0;
        v = v << 6 | (c & 0x3F);
    }
    if (v < kMinimum[length] || v > maxValue)
        return 0;
    value = std::uint32_t(v);
    return length;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Decoder

Decoder::Decoder(DocEncoding encoding, int markLength)
    : m_requested(isValidEncoding(encoding) ? encoding : Ansi), m_encoding(m_requested)
{
    reset(markLength);
}

void Decoder::reset(int markLength)
{
    m_encoding = m_requested;
    m_skip = isEightBit(m_requested) ? 0 : std::uint64_t(std::max(markLength, 0));
    m_carryLength = 0;
    m_pendingHigh = 0;
    m_multiByteHandedOut = false;
    m_needsRestart = false;
    m_trailing.clear();
}

bool Decoder::decode(std::string_view fileBytes, std::string &editorBytes, bool complete)
{
    if (m_needsRestart)
        return false;
    if (m_skip > 0) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(m_skip, fileBytes.size()));
        fileBytes.remove_prefix(n);
        m_skip -= n;
    }
    if (fileBytes.empty())
        return true;
    if (m_encoding == Auto)
        return decodeAuto(fileBytes, editorBytes, complete);
    switch (unitSize(m_encoding)) {
    case 2:
        decodeUtf16(fileBytes, editorBytes);
        break;
    case 4:
        decodeUtf32(fileBytes, editorBytes);
        break;
    default:
        if (m_encoding == Utf8)
            editorBytes.append(fileBytes);
        else
            cp1252::decode(fileBytes, editorBytes);
        break;
    }
    return true;
}

bool Decoder::decodeAuto(std::string_view bytes, std::string &out, bool complete)
{
    const Byte *p = reinterpret_cast<const Byte *>(bytes.data());
    const std::size_t n = bytes.size();
    const std::string carried(reinterpret_cast<const char *>(m_carry), std::size_t(m_carryLength));

    // Nothing is appended until the whole call is known to be UTF-8, so that an ill-formed byte
    // can still turn this call's bytes into Windows-1252 text.
    Byte completed[4];
    int completedLength = 0;
    std::size_t start = 0;
    bool ok = true;
    bool multiByte = false;
    if (m_carryLength > 0) {
        Byte joined[8];
        const std::size_t extra = std::min<std::size_t>(n, 4);
        std::memcpy(joined, m_carry, carried.size());
        std::memcpy(joined + carried.size(), p, extra);
        const int length = utf8::wellFormedLength(joined, carried.size() + extra);
        if (length == utf8::kIncomplete && !complete) {
            std::memcpy(m_carry + m_carryLength, p, n); // n is below what the sequence needs
            m_carryLength += int(n);
            return true;
        }
        if (length <= 0) {
            ok = false;
        } else {
            std::memcpy(completed, joined, std::size_t(length));
            completedLength = length;
            start = std::size_t(length) - carried.size();
            multiByte = true;
        }
    }
    utf8::Scan scan;
    if (ok) {
        scan = utf8::scan(p + start, n - start);
        ok = scan.valid == n - start || (scan.incomplete && !complete);
    }
    if (!ok) {
        if (m_multiByteHandedOut) {
            m_needsRestart = true;
            return false;
        }
        // Only ASCII went out so far, which reads the same in Windows-1252.
        m_encoding = Ansi;
        m_carryLength = 0;
        cp1252::decode(carried, out);
        cp1252::decode(bytes, out);
        return true;
    }
    out.append(reinterpret_cast<const char *>(completed), std::size_t(completedLength));
    out.append(bytes.substr(start, scan.valid));
    m_multiByteHandedOut = m_multiByteHandedOut || multiByte || scan.multiByte;
    m_carryLength = int(n - start - scan.valid);
    std::memcpy(m_carry, p + start + scan.valid, std::size_t(m_carryLength));
    return true;
}

void Decoder::decodeUtf16(std::string_view bytes, std::string &out)
{
    const bool littleEndian = m_encoding == Unicode;
    const std::size_t base = out.size();
    const std::size_t units = (std::size_t(m_carryLength) + bytes.size()) / 2;
    // Three bytes per unit at most, plus a waiting surrogate that turns out to stand alone.
    out.resize(base + units * 3 + 3);
    Byte *const begin = reinterpret_cast<Byte *>(out.data()) + base;
    Byte *o = begin;
    std::uint32_t pending = m_pendingHigh;

    const auto put = [&](std::uint32_t u) {
        if (pending != 0) {
            if (isLowSurrogate(u)) {
                const std::uint32_t cp = 0x10000 + ((pending - 0xD800) << 10) + (u - 0xDC00);
                o = putWide(o, cp);
                pending = 0;
                return;
            }
            o = putWide(o, pending);
            pending = 0;
        }
        if (isHighSurrogate(u))
            pending = u;
        else
            o = putWide(o, u);
    };

    const Byte *p = reinterpret_cast<const Byte *>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    if (m_carryLength == 1) {
        const Byte first = m_carry[0];
        put(littleEndian ? first | p[0] << 8 : first << 8 | p[0]);
        m_carryLength = 0;
        i = 1;
    }
    const std::size_t lowByte = littleEndian ? 0 : 1;
    for (; i + 1 < n; i += 2) {
        if (pending == 0 && p[i + 1 - lowByte] == 0 && p[i + lowByte] < 0x80) {
            *o++ = p[i + lowByte]; // ASCII, by far the most common unit
            continue;
        }
        put(littleEndian ? std::uint32_t(p[i]) | std::uint32_t(p[i + 1]) << 8
                         : std::uint32_t(p[i]) << 8 | std::uint32_t(p[i + 1]));
    }
    if (i < n) {
        m_carry[0] = p[i];
        m_carryLength = 1;
    }
    m_pendingHigh = pending;
    out.resize(base + std::size_t(o - begin));
}

void Decoder::decodeUtf32(std::string_view bytes, std::string &out)
{
    const bool littleEndian = m_encoding == Utf32LE;
    const std::size_t base = out.size();
    const std::size_t units = (std::size_t(m_carryLength) + bytes.size()) / 4;
    out.resize(base + units * 7);
    Byte *const begin = reinterpret_cast<Byte *>(out.data()) + base;
    Byte *o = begin;

    const auto value = [littleEndian](const Byte *q) {
        return littleEndian ? std::uint32_t(q[0]) | std::uint32_t(q[1]) << 8 |
                                  std::uint32_t(q[2]) << 16 | std::uint32_t(q[3]) << 24
                            : std::uint32_t(q[0]) << 24 | std::uint32_t(q[1]) << 16 |
                                  std::uint32_t(q[2]) << 8 | std::uint32_t(q[3]);
    };

    const Byte *p = reinterpret_cast<const Byte *>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    if (m_carryLength > 0) {
        const std::size_t take = std::min<std::size_t>(4 - std::size_t(m_carryLength), n);
        std::memcpy(m_carry + m_carryLength, p, take);
        m_carryLength += int(take);
        i = take;
        if (m_carryLength < 4) {
            out.resize(base);
            return;
        }
        o = putWide(o, value(m_carry));
        m_carryLength = 0;
    }
    for (; i + 3 < n; i += 4)
        o = putWide(o, value(p + i));
    if (i < n) {
        m_carryLength = int(n - i);
        std::memcpy(m_carry, p + i, n - i);
    }
    out.resize(base + std::size_t(o - begin));
}

bool Decoder::finish(std::string &editorBytes)
{
    if (m_needsRestart)
        return false;
    if (m_encoding == Auto) {
        if (m_carryLength > 0) {
            // The file ends inside a sequence: not UTF-8.
            if (m_multiByteHandedOut) {
                m_needsRestart = true;
                return false;
            }
            cp1252::decode(std::string_view(reinterpret_cast<const char *>(m_carry),
                                            std::size_t(m_carryLength)),
                           editorBytes);
            m_carryLength = 0;
            m_encoding = Ansi;
        } else {
            m_encoding = m_multiByteHandedOut ? Utf8 : Ansi;
        }
        return true;
    }
    if (m_pendingHigh != 0) {
        Byte form[3];
        const Byte *end = putWide(form, m_pendingHigh);
        editorBytes.append(reinterpret_cast<const char *>(form), std::size_t(end - form));
        m_pendingHigh = 0;
    }
    m_trailing.assign(reinterpret_cast<const char *>(m_carry), std::size_t(m_carryLength));
    m_carryLength = 0;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Encoder

namespace {

enum class Target { Cp1252, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct RunResult
{
    std::size_t used = 0;
    bool failed = false;
    std::size_t failLength = 1;
    std::optional<char32_t> character;
};

// Encodes the sequences of p[0, n) that start before limit; stops early at a sequence cut short by
// the end of the bytes unless atEnd, and at the first sequence the target cannot hold. Specialised
// per target so the ASCII path stays a tight loop.
template <Target T>
RunResult encodeRunT(const Byte *p, std::size_t n, std::size_t limit, bool atEnd, Byte *&o)
{
    constexpr bool wide = T == Target::Utf32LE || T == Target::Utf32BE;
    constexpr int maxLength = wide ? 7 : 4;
    constexpr std::uint32_t maxValue = wide ? 0xFFFFFFFFu : 0x10FFFFu;
    Byte *out = o;

    const auto put16 = [&out](std::uint32_t u) {
        if constexpr (T == Target::Utf16LE) {
            out[0] = Byte(u);
            out[1] = Byte(u >> 8);
        } else {
            out[0] = Byte(u >> 8);
            out[1] = Byte(u);
        }
        out += 2;
    };
    const auto put = [&](std::uint32_t v) {
        if constexpr (T == Target::Cp1252) {
            *out++ = Byte(v);
        } else if constexpr (T == Target::Utf32LE) {
            out[0] = Byte(v);
            out[1] = Byte(v >> 8);
            out[2] = Byte(v >> 16);
            out[3] = Byte(v >> 24);
            out += 4;
        } else if constexpr (T == Target::Utf32BE) {
            out[0] = Byte(v >> 24);
            out[1] = Byte(v >> 16);
            out[2] = Byte(v >> 8);
            out[3] = Byte(v);
            out += 4;
        } else if (v >= 0x10000) {
            v -= 0x10000;
            put16(0xD800 + (v >> 10));
            put16(0xDC00 + (v & 0x3FF));
        } else {
            put16(v);
        }
    };

    RunResult result;
    std::size_t i = 0;
    while (i < limit) {
        if constexpr (T == Target::Cp1252) {
            const std::size_t ascii = utf8::asciiPrefix(p + i, limit - i);
            std::memcpy(out, p + i, ascii);
            out += ascii;
            i += ascii;
            if (i >= limit)
                break;
        }
        const Byte b = p[i];
        if (b < 0x80) {
            put(b);
            ++i;
            continue;
        }
        std::uint32_t value = 0;
        const int length = readSequence(p + i, n - i, maxLength, maxValue, value);
        if (length == utf8::kIncomplete && !atEnd)
            break;
        if (length <= 0) {
            result.failed = true;
            break;
        }
        if constexpr (T == Target::Cp1252) {
            const std::optional<unsigned char> byte = cp1252::fromUnicode(value);
            if (!byte) {
                result.failed = true;
                result.failLength = std::size_t(length);
                result.character = value;
                break;
            }
            value = *byte;
        }
        put(value);
        i += std::size_t(length);
    }
    o = out;
    result.used = i;
    return result;
}

Target targetOf(DocEncoding encoding)
{
    switch (encoding) {
    case Unicode:
        return Target::Utf16LE;
    case UnicodeBigEndian:
        return Target::Utf16BE;
    case Utf32LE:
        return Target::Utf32LE;
    case Utf32BE:
        return Target::Utf32BE;
    default:
        return Target::Cp1252;
    }
}

} // namespace

Encoder::Encoder(DocEncoding encoding) : m_encoding(isValidEncoding(encoding) ? encoding : Ansi) {}

bool Encoder::run(const Byte *p, std::size_t n, std::size_t limit, bool atEnd, std::size_t &used,
                  Byte *&out)
{
    RunResult r;
    switch (targetOf(m_encoding)) {
    case Target::Cp1252:
        r = encodeRunT<Target::Cp1252>(p, n, limit, atEnd, out);
        break;
    case Target::Utf16LE:
        r = encodeRunT<Target::Utf16LE>(p, n, limit, atEnd, out);
        break;
    case Target::Utf16BE:
        r = encodeRunT<Target::Utf16BE>(p, n, limit, atEnd, out);
        break;
    case Target::Utf32LE:
        r = encodeRunT<Target::Utf32LE>(p, n, limit, atEnd, out);
        break;
    case Target::Utf32BE:
        r = encodeRunT<Target::Utf32BE>(p, n, limit, atEnd, out);
        break;
    }
    used = r.used;
    if (r.failed)
        m_unencodable = Unencodable{m_consumed + r.used, r.failLength, r.character};
    m_consumed += r.used;
    return !r.failed;
}

bool Encoder::encode(std::string_view editorBytes, std::string &fileBytes)
{
    if (m_unencodable)
        return false;
    if (isIdentity()) {
        fileBytes.append(editorBytes);
        m_consumed += editorBytes.size();
        return true;
    }
    const Byte *p = reinterpret_cast<const Byte *>(editorBytes.data());
    const std::size_t n = editorBytes.size();
    // A byte becomes at most one byte (Windows-1252), one 16-bit or one 32-bit unit.
    const std::size_t perByte = isEightBit(m_encoding) ? 1 : std::size_t(unitSize(m_encoding));
    const std::size_t base = fileBytes.size();
    fileBytes.resize(base + (n + std::size_t(m_carryLength)) * perByte);
    Byte *const begin = reinterpret_cast<Byte *>(fileBytes.data()) + base;
    Byte *o = begin;
    const auto done = [&](bool ok) {
        fileBytes.resize(base + std::size_t(o - begin));
        return ok;
    };

    std::size_t start = 0;
    if (m_carryLength > 0) {
        // The carry is one cut sequence (at most 6 bytes); 8 more bytes always complete or refute
        // it, so the rest of the chunk can be read in place.
        Byte joined[sizeof(m_carry) + 8];
        const std::size_t carried = std::size_t(m_carryLength);
        const std::size_t extra = std::min<std::size_t>(n, 8);
        std::memcpy(joined, m_carry, carried);
        std::memcpy(joined + carried, p, extra);
        std::size_t used = 0;
        if (!run(joined, carried + extra, carried, false, used, o))
            return done(false);
        if (used < carried) {
            // Still cut short: the whole (short) chunk joins the carry.
            m_carryLength = int(carried + extra - used);
            std::memmove(m_carry, joined + used, std::size_t(m_carryLength));
            return done(true);
        }
        m_carryLength = 0;
        start = used - carried;
    }
    const std::size_t rest = n - start;
    std::size_t used = 0;
    if (!run(p + start, rest, rest, false, used, o))
        return done(false);
    if (used < rest) {
        m_carryLength = int(rest - used);
        std::memcpy(m_carry, p + start + used, std::size_t(m_carryLength));
    }
    return done(true);
}

bool Encoder::finish(std::string &fileBytes)
{
    if (m_unencodable)
        return false;
    if (m_carryLength == 0)
        return true;
    const std::size_t base = fileBytes.size();
    fileBytes.resize(base + std::size_t(m_carryLength) * 4);
    Byte *const begin = reinterpret_cast<Byte *>(fileBytes.data()) + base;
    Byte *o = begin;
    const std::size_t carried = std::size_t(m_carryLength);
    std::size_t used = 0;
    const bool ok = run(m_carry, carried, carried, true, used, o);
    m_carryLength = 0;
    fileBytes.resize(base + std::size_t(o - begin));
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Checks and reinterpretation

std::optional<Unencodable> firstUnencodable(std::string_view text, DocEncoding encoding)
{
    Encoder encoder(encoding);
    if (encoder.isIdentity())
        return std::nullopt;
    constexpr std::size_t kSlice = 65536;
    std::string scratch;
    // Sized for the text, so that checking a short text does not cost a quarter megabyte.
    scratch.reserve(std::min(text.size(), kSlice) * 4 + 16);
    for (std::size_t at = 0; at < text.size(); at += kSlice) {
        scratch.clear();
        if (!encoder.encode(text.substr(at, kSlice), scratch))
            return encoder.unencodable();
    }
    scratch.clear();
    if (!encoder.finish(scratch))
        return encoder.unencodable();
    return std::nullopt;
}

bool reinterpretationChangesText(DocEncoding from, DocEncoding to)
{
    return isEightBit(from) != isEightBit(to);
}

Reinterpretation reinterpret(std::string_view text, DocEncoding from, DocEncoding to)
{
    Reinterpretation result;
    if (!reinterpretationChangesText(from, to)) {
        result.text.assign(text);
        return result;
    }
    if (!isEightBit(from)) {
        cp1252::decode(text, result.text);
        return result;
    }
    // Back to the Windows-1252 bytes; what that cannot hold keeps its UTF-8 bytes.
    std::string bytes;
    bytes.reserve(text.size());
    std::uint64_t base = 0;
    for (;;) {
        Encoder encoder(Ansi);
        if (encoder.encode(text, bytes) && encoder.finish(bytes))
            break;
        const Unencodable &u = *encoder.unencodable();
        if (!result.unencodable)
            result.unencodable = Unencodable{base + u.offset, u.length, u.character};
        const std::size_t end = std::size_t(u.offset) + u.length;
        bytes.append(text.substr(std::size_t(u.offset), u.length));
        text.remove_prefix(end);
        base += end;
    }
    result.text = std::move(bytes);
    return result;
}

} // namespace pw::enc
