// Encoding detection from byte-order marks, zero-byte patterns and a UTF-8 test.
#include "editor/encoding/encodingdetector.h"

#include "editor/encoding/fileops.h"
#include "editor/encoding/utf8scan.h"

#include <algorithm>
#include <array>

namespace pw::enc {
namespace {

using namespace std::string_view_literals;

struct MarkRow
{
    std::string_view bytes;
    DocEncoding encoding;
};

// Order matters: FF FE 00 00 must win over FF FE, and the five-byte UTF-7 form over the four.
constexpr std::array<MarkRow, 13> kMarks{{
    {"\xFE\xFF"sv, UnicodeBigEndian},
    {"\xFF\xFE\x00\x00"sv, Utf32LE},
    {"\xFF\xFE"sv, Unicode},
    {"\xEF\xBB\xBF"sv, Utf8},
    {"\x00\x00\xFE\xFF"sv, Utf32BE},
    {"\x0E\xFE\xFF"sv, Scsu},
    {"\xFB\xEE\x28"sv, Bocu1},
    {"\x2B\x2F\x76\x38\x2D"sv, Utf7},
    {"\x2B\x2F\x76\x38"sv, Utf7},
    {"\x2B\x2F\x76\x39"sv, Utf7},
    {"\x2B\x2F\x76\x2B"sv, Utf7},
    {"\x2B\x2F\x76\x2F"sv, Utf7},
    {"\xDD\x73\x66\x73"sv, UtfEbcdic},
}};

} // namespace

bool looksLikeUtf8(std::string_view sample)
{
    if (sample.size() < 7)
        return false;
    const auto *p = reinterpret_cast<const utf8::Byte *>(sample.data());
    const std::size_t checkedEnd = sample.size() - 6;
    bool multiByte = false;
    for (std::size_t i = 0; i < checkedEnd;) {
        // A sequence starting before the last six bytes always fits in the sample.
        const int length = utf8::wellFormedLength(p + i, sample.size() - i);
        if (length <= 0)
            return false;
        multiByte = multiByte || length > 1;
        i += std::size_t(length);
    }
    return multiByte;
}

bool EncodingDetector::detect(const QString &path)
{
    m_path = path;
    detectSample({});
    // Through the file layer, which reaches names that are not UTF-8 by their bytes.
    sys::Info info;
    if (!sys::infoOf(path, info) && info.exists && !info.regular) // devices and pipes could block
        return false;
    sys::File file;
    if (file.openForReading(path))
        return false;
    std::string sample(SampleSize, '\0');
    std::size_t got = 0;
    // A short read is not the end of a regular file only on unusual file systems; keep asking
    // until the sample is full or the file ends.
    while (got < std::size_t(SampleSize)) {
        std::size_t n = 0;
        if (file.read(sample.data() + got, std::size_t(SampleSize) - got, n))
            return false;
        if (n == 0)
            break;
        got += n;
    }
    sample.resize(std::size_t(got));
    detectSample(sample);
    return true;
}

void EncodingDetector::detectSample(std::string_view sample)
{
    m_sample.assign(sample.substr(0, SampleSize));
    const std::string_view s = m_sample;
    m_encoding = Ansi;
    m_markLength = 0;

    if (s.size() >= 2) {
        const auto mark = std::find_if(kMarks.begin(), kMarks.end(), [&](const MarkRow &row) {
            return s.substr(0, row.bytes.size()) == row.bytes;
        });
        if (mark != kMarks.end()) {
            m_encoding = mark->encoding;
            m_markLength = int(mark->bytes.size());
        } else {
            const std::size_t half = s.size() / 2;
            std::size_t oddZeros = 0;
            std::size_t evenZeros = 0;
            // Most samples hold no zero byte at all; one fast scan tells, and find in files
            // asks this of every file it opens.
            if (s.find('\0') != std::string_view::npos) {
                for (std::size_t i = 0; i < s.size(); ++i) {
                    if (s[i] == '\0')
                        ++(i % 2 ? oddZeros : evenZeros);
                }
            }
            if (oddZeros == half)
                m_encoding = Unicode;
            else if (evenZeros == half)
                m_encoding = UnicodeBigEndian;
            else if (looksLikeUtf8(s))
                m_encoding = Utf8;
        }
    }
    m_binary = m_encoding == Ansi && s.find('\0') != std::string_view::npos;
}

} // namespace pw::enc
