// libFuzzer target for the encoding engine: decoding then encoding gives every input back in
// every encoding, the whole-file check agrees with a plain decode in any chunking, and detection
// never fails.
#include "editor/encoding/codec.h"
#include "editor/encoding/encodingdetector.h"
#include "editor/encoding/utf8scan.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace pw::enc;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Decodes input in pieces of size step, telling the decoder what the reader would: whether an
// ASCII byte or the end follows.
bool decodeInPieces(Decoder &decoder, std::string_view input, std::size_t step, std::string &out)
{
    for (std::size_t at = 0; at < input.size(); at += step) {
        const std::size_t end = std::min(input.size(), at + step);
        const bool complete = end == input.size() || std::uint8_t(input[end]) < 0x80;
        if (!decoder.decode(input.substr(at, end - at), out, complete))
            return false;
    }
    return decoder.finish(out);
}

void roundTrip(DocEncoding encoding, std::string_view input, std::size_t step)
{
    Decoder decoder(encoding);
    std::string text;
    check(decodeInPieces(decoder, input, step, text));
    check(canEncode(text, encoding));
    Encoder encoder(encoding);
    std::string back;
    for (std::size_t at = 0; at < text.size(); at += step + 1)
        check(encoder.encode(std::string_view(text).substr(at, step + 1), back));
    check(encoder.finish(back));
    check(back + decoder.trailingBytes() == input);
}

void wholeFileCheck(std::string_view input, std::size_t step)
{
    Decoder decoder(Auto);
    std::string text;
    if (!decodeInPieces(decoder, input, step, text)) {
        // Only a stream that is not UTF-8 after all may ask for a restart.
        check(decoder.needsRestart());
        const utf8::Scan scan =
            utf8::scan(reinterpret_cast<const utf8::Byte *>(input.data()), input.size());
        check(scan.valid < input.size());
        return;
    }
    const DocEncoding verdict = decoder.encoding();
    check(verdict == Utf8 || verdict == Ansi);
    Decoder plain(verdict);
    std::string expected;
    plain.decode(input, expected);
    plain.finish(expected);
    check(text == expected);
    const utf8::Scan scan =
        utf8::scan(reinterpret_cast<const utf8::Byte *>(input.data()), input.size());
    const bool isUtf8 = scan.valid == input.size() && scan.multiByte;
    check(isUtf8 == (verdict == Utf8));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t step = size > 0 ? data[0] % 17 + 1 : 1;

    EncodingDetector detector;
    detector.detectSample(input);
    check(isValidEncoding(detector.encoding()) && detector.encoding() != Auto);
    check(std::size_t(detector.markLength()) <= input.size());
    (void)looksLikeUtf8(input);

    for (DocEncoding encoding :
         {Utf8, Unicode, UnicodeBigEndian, Ansi, Utf32LE, Utf32BE, Scsu, Bocu1, Utf7, UtfEbcdic}) {
        roundTrip(encoding, input, step);
        // A chunk cut keeps at least one unit and never splits one.
        const std::size_t unit = std::size_t(unitSize(encoding));
        const std::size_t keep = cutChunk(input, encoding);
        check(keep <= input.size() && (keep >= unit || keep == input.size()));
        check(keep % unit == 0 || keep == input.size());
    }
    wholeFileCheck(input, step);

    // An encoding command and its reverse give the file's bytes back.
    Decoder ansi(Ansi);
    std::string ansiText;
    ansi.decode(input, ansiText);
    ansi.finish(ansiText);
    const Reinterpretation asUtf8 = reinterpret(ansiText, Ansi, Utf8);
    check(!asUtf8.unencodable && asUtf8.text == input);
    const Reinterpretation back = reinterpret(asUtf8.text, Utf8, Ansi);
    check(back.text == ansiText);
    return 0;
}
