// Recognises a file's encoding from the first bytes of the file.
#pragma once

#include "editor/encoding/docencoding.h"

#include <QString>
#include <string>
#include <string_view>

namespace pw::enc {

// Decides the encoding of a file from a sample of its first bytes, exactly as load will see them:
//  1. a byte-order mark (FE FF, FF FE 00 00, FF FE, EF BB BF, 00 00 FE FF, 0E FE FF, FB EE 28,
//     2B 2F 76 38 2D, 2B 2F 76 followed by 38/39/2B/2F, DD 73 66 73, checked in that order) gives
//     its encoding and mark length;
//  2. otherwise, with half = sample length / 2, a zero byte at every odd offset (count == half)
//     gives Unicode, else a zero byte at every even offset gives UnicodeBigEndian;
//  3. otherwise a sample of at least 7 bytes whose sequences starting before (length - 6) are all
//     well-formed UTF-8, at least one of them multi-byte, gives Utf8 (the last bytes are exempt so
//     a character cut by the sample limit does not count against it);
//  4. otherwise Ansi: no encoding was found in the sample.
// A sample shorter than 2 bytes (empty and one-byte files) is Ansi. The file counts as binary when
// the result is Ansi and the sample holds a zero byte. Ansi without a zero byte is undetermined:
// the load then checks the whole file (TextFileReader with Auto, or Decoder(Auto)).
class EncodingDetector
{
public:
    static constexpr int SampleSize = 1024;

    // Reads up to SampleSize bytes of path and classifies them. Returns false, leaving the result
    // of an empty sample, when the file cannot be opened or read or is not a regular file.
    bool detect(const QString &path);
    // The pure rule on a sample (only its first SampleSize bytes are used).
    void detectSample(std::string_view sample);

    // Never Auto after a detection.
    DocEncoding encoding() const { return m_encoding; }
    // Bytes of mark at the start of the file, 0 when there is none.
    int markLength() const { return m_markLength; }
    bool isBinary() const { return m_binary; }
    // True when the sample found no encoding and holds no zero byte: only the whole file can tell
    // UTF-8 from Windows-1252.
    bool isUndetermined() const { return m_encoding == Ansi && !m_binary; }
    const std::string &sample() const { return m_sample; }
    const QString &path() const { return m_path; }

private:
    QString m_path;
    std::string m_sample;
    DocEncoding m_encoding = Ansi;
    int m_markLength = 0;
    bool m_binary = false;
};

// True when every sequence of sample starting before (size - 6) is well-formed UTF-8 and at least
// one of them is longer than one byte; false for samples shorter than 7 bytes.
bool looksLikeUtf8(std::string_view sample);

} // namespace pw::enc
