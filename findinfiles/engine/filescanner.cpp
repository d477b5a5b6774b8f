// The search of one file: chunks read with plain reads (never the whole file), the encoding the
// open routine would pick, and the matching lines found by the component's own search engine.
#include "findinfiles/engine/filescanner.h"

#include "editor/encoding/encodingdetector.h"
#include "editor/encoding/utf8scan.h"
#include "editor/encoding/windows1252.h"

#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::fif {

namespace {

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Bytes equal to '\n' in p[0, n), eight at a time.
qsizetype countNewLines(const char *p, std::size_t n)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    qsizetype lines = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        // A zero byte of x is a '\n' of word; (x - ones) & ~x & highs marks zero bytes, and
        // marks exactly them when no byte of x is 0x80 or above, which ((x & ~highs) + ~highs)
        // avoids.
        const std::uint64_t x = word ^ (ones * '\n');
        const std::uint64_t nonzero = (((x & ~highs) + ~highs) | x) & highs;
        // The marks summed by one multiplication: each is 1 after the shift.
        lines += 8 - qsizetype(((nonzero >> 7) * ones) >> 56);
    }
    for (; i < n; ++i)
        lines += p[i] == '\n';
    return lines;
}

// Line ends as the editor counts them: "\r\n", "\r" and "\n". hasCr: whether the text holds
// any CR at all (most files have none, and then only LFs need counting).
qsizetype countLineEnds(const char *p, std::size_t n, bool hasCr)
{
    if (!hasCr)
        return countNewLines(p, n);
    qsizetype lines = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] == '\n')
            ++lines;
        else if (p[i] == '\r' && (i + 1 >= n || p[i + 1] != '\n'))
            ++lines;
    }
    return lines;
}

// The length of the part of p[0, n) made of whole lines: up to just after its last line end. A
// CR in the last byte may be the first half of a CR LF still to be read, so it does not count.
std::size_t wholeLines(const char *p, std::size_t n)
{
    for (std::size_t i = n; i > 0; --i) {
        if (p[i - 1] == '\n' || (p[i - 1] == '\r' && i < n))
            return i;
    }
    return 0;
}

class FileHandle
{
public:
    explicit FileHandle(const std::string &path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
    }
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    qint64 size() const
    {
        struct stat st {};
        return ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : 0;
    }
    bool rewind() { return ::lseek(m_fd, 0, SEEK_SET) == 0; }

    // The next bytes of the file, at most limit of them (fewer only at the end), read into
    // buffer after its first keep bytes; the view holds those and the new ones. The buffer only
    // ever grows, so that no call pays for clearing it. Sets atEnd once the end was reached;
    // nothing on a read error.
    std::optional<std::string_view> read(std::string &buffer, std::size_t keep, std::size_t limit,
                                         qint64 expected, bool &atEnd)
    {
        // Small files need small reads; one byte more tells that the end was reached without
        // another call.
        const std::size_t want = std::clamp<std::size_t>(
            std::size_t(std::max<qint64>(expected, 0)) + 1, std::min<std::size_t>(4096, limit),
            limit);
        if (buffer.size() < keep + want)
            buffer.resize(keep + want);
        std::size_t got = 0;
        atEnd = false;
        while (got < want) {
            const ssize_t n = ::read(m_fd, buffer.data() + keep + got, want - got);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return std::nullopt;
            }
            if (n == 0) {
                atEnd = true;
                break;
            }
            got += std::size_t(n);
            // A regular file reads short only at its end: once the size it had when opened is
            // reached, the call that would return nothing is saved. Most files end here. Files
            // that report no size (those of /proc) are read until a read returns nothing.
            if (got < want && expected > 0 && qint64(got) >= expected) {
                atEnd = true;
                break;
            }
        }
        return std::string_view(buffer.data(), keep + got);
    }

private:
    int m_fd;
};

// The literal bytes every match of a regular expression in the component's syntax begins with:
// the pattern up to its first byte with a meaning of its own, less a last byte made optional by
// a following "*" or "?". Empty for a pattern anchored with "^", whose search must start at a
// line start.
std::string regexLiteralPrefix(const QByteArray &pattern)
{
    std::string prefix;
    for (char c : pattern) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || std::strchr(" _#-:,;=\"'/<>!@%&~`", c);
        if (c == '\0' || !plain) {
            if ((c == '*' || c == '?') && !prefix.empty())
                prefix.pop_back();
            break;
        }
        prefix.push_back(c);
    }
    return prefix;
}

// How common a byte is in source code and prose, roughly: the scan for candidates looks for the
// needle's least common byte, so that it stops as seldom as possible.
int commonness(unsigned char c)
{
    static const char letters[] = "etaoinsrhldcumfpgwybvkxjqz";
    if (c == ' ')
        return 120;
    if (c >= 'a' && c <= 'z')
        return 100 - 2 * int(std::strchr(letters, c) - letters);
    if (c == '\t')
        return 60;
    if (c == '_')
        return 80;
    if (std::strchr("(),;.*=-/\"{}", c))
        return 40;
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return 30;
    return 10;
}

} // namespace

FileScanner::FileScanner(const search::SearchPattern &pattern, search::SearchBudget &budget)
    : m_pattern(pattern), m_budget(budget)
{
    const QByteArray &text = pattern.text();
    // A literal ASCII text matches the same bytes in the file as in the editor's text of any
    // 8-bit or UTF-8 file, so files without those bytes are passed over undecoded. A regular
    // expression gets the same help from the literal bytes its matches begin with.
    std::string needle = pattern.isRegex() ? regexLiteralPrefix(text)
                                           : std::string(text.constData(), std::size_t(text.size()));
    const bool ascii =
        std::all_of(needle.begin(), needle.end(), [](char c) { return (unsigned char)c < 0x80; });
    if (pattern.isValid() && ascii && !needle.empty()) {
        m_prefilter = pattern.matchCase() ? Prefilter::Exact : Prefilter::Folded;
        m_needle = std::move(needle);
        if (m_prefilter == Prefilter::Folded)
            std::transform(m_needle.begin(), m_needle.end(), m_needle.begin(), foldAscii);
        for (std::size_t i = 1; i < m_needle.size(); ++i)
            if (commonness((unsigned char)m_needle[i]) < commonness((unsigned char)m_needle[m_rare]))
                m_rare = i;
        // The second byte of the pair the folded scan compares, the rarest of the others.
        m_pairB = m_rare;
        for (std::size_t i = 0; i < m_needle.size(); ++i)
            if (i != m_rare && (m_pairB == m_rare || commonness((unsigned char)m_needle[i]) <
                                                         commonness((unsigned char)m_needle[m_pairB])))
                m_pairB = i;
    }
}

namespace {

// Whether p[0, n) is the lower-case needle once its ASCII letters are folded.
bool foldedEqual(const char *p, const std::string &needle)
{
    for (std::size_t k = 0; k < needle.size(); ++k)
        if (foldAscii(p[k]) != needle[k])
            return false;
    return true;
}

// The folded scan, sixteen or thirty-two starts at a time: a start is a candidate when the
// needle's two rarest bytes stand at their offsets from it. A letter is compared with 0x20 set,
// which folds exactly its two cases and no other byte; anything else is compared as it is.
struct PairScan
{
    std::size_t a, b;
    char orA, wantA, orB, wantB;
};

const char *scanPairsTail(const char *p, const char *lastStart, const PairScan &s,
                          const std::string &needle)
{
    for (; p <= lastStart; ++p)
        if (char(p[s.a] | s.orA) == s.wantA && char(p[s.b] | s.orB) == s.wantB &&
            foldedEqual(p, needle))
            return p;
    return nullptr;
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) const char *scanPairsAvx2(const char *p, const char *lastStart,
                                                           const PairScan &s,
                                                           const std::string &needle)
{
    const __m256i orA = _mm256_set1_epi8(s.orA), wantA = _mm256_set1_epi8(s.wantA);
    const __m256i orB = _mm256_set1_epi8(s.orB), wantB = _mm256_set1_epi8(s.wantB);
    // Every load stays inside the text: the last start of a block is at most lastStart, and
    // a, b are offsets inside the needle.
    for (; p + 31 <= lastStart; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + s.a));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + s.b));
        auto mask = unsigned(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(x, orA), wantA),
                             _mm256_cmpeq_epi8(_mm256_or_si256(y, orB), wantB))));
        for (; mask; mask &= mask - 1) {
            const char *candidate = p + __builtin_ctz(mask);
            if (foldedEqual(candidate, needle))
                return candidate;
        }
    }
    return scanPairsTail(p, lastStart, s, needle);
}

const char *scanPairsSse2(const char *p, const char *lastStart, const PairScan &s,
                          const std::string &needle)
{
    const __m128i orA = _mm_set1_epi8(s.orA), wantA = _mm_set1_epi8(s.wantA);
    const __m128i orB = _mm_set1_epi8(s.orB), wantB = _mm_set1_epi8(s.wantB);
    for (; p + 15 <= lastStart; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + s.a));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + s.b));
        auto mask = unsigned(_mm_movemask_epi8(_mm_and_si128(
            _mm_cmpeq_epi8(_mm_or_si128(x, orA), wantA), _mm_cmpeq_epi8(_mm_or_si128(y, orB), wantB))));
        for (; mask; mask &= mask - 1) {
            const char *candidate = p + __builtin_ctz(mask);
            if (foldedEqual(candidate, needle))
                return candidate;
        }
    }
    return scanPairsTail(p, lastStart, s, needle);
}

// Read once, before any search: the CPU does not change.
const bool haveAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif

} // namespace

const char *FileScanner::findFolded(const char *from, const char *end) const
{
    const std::size_t n = m_needle.size();
    const char *lastStart = end - n;
    auto foldBits = [](char c) { return char(c >= 'a' && c <= 'z' ? 0x20 : 0); };
    const PairScan s{m_rare, m_pairB, foldBits(m_needle[m_rare]), m_needle[m_rare],
                     foldBits(m_needle[m_pairB]), m_needle[m_pairB]};
#if defined(__x86_64__) && defined(__GNUC__)
    return haveAvx2 ? scanPairsAvx2(from, lastStart, s, m_needle)
                    : scanPairsSse2(from, lastStart, s, m_needle);
#else
    return scanPairsTail(from, lastStart, s, m_needle);
#endif
}

const char *FileScanner::findCandidate(const char *from, const char *end,
                                       [[maybe_unused]] bool whole) const
{
    const std::size_t n = m_needle.size();
    if (std::size_t(end - from) < n)
        return nullptr;
    if (m_prefilter == Prefilter::Folded)
        return findFolded(from, end);
    const char *hay = from;
    const std::size_t length = std::size_t(end - from);
    // The needle's least common byte by memchr, then the whole needle around it: no set-up per
    // call, which matters when candidates are close together, and memchr's speed while that
    // byte stays rare. In one scan of a whole text, once misses come every few hundred bytes,
    // memmem's longer skips take over.
    const char rare = m_needle[m_rare];
    const char *scan = hay + m_rare;
    const char *last = hay + (length - n) + m_rare; // where the rare byte of the last fit lies
    [[maybe_unused]] std::size_t misses = 0;
    while (scan <= last) {
        const void *hit = std::memchr(scan, rare, std::size_t(last - scan + 1));
        if (!hit)
            return nullptr;
        const char *candidate = static_cast<const char *>(hit) - m_rare;
        std::size_t same = 0;
        while (same < n && candidate[same] == m_needle[same])
            ++same;
        if (same == n)
            return from + (candidate - hay);
        scan = static_cast<const char *>(hit) + 1;
#if defined(__GLIBC__)
        if (whole && ++misses >= 32 && std::size_t(scan - hay) < misses * 256) {
            const char *rest = candidate + 1;
            const void *found =
                ::memmem(rest, std::size_t(hay + length - rest), m_needle.data(), n);
            return found ? from + (static_cast<const char *>(found) - hay) : nullptr;
        }
#endif
    }
    return nullptr;
}

bool FileScanner::searchRegion(const char *data, std::size_t length, bool last,
                               const std::string &path, std::vector<Hit> &hits)
{
    const qsizetype size = qsizetype(length);
    const qsizetype needle = qsizetype(m_needle.size());
    // The start of the text not yet reported, always a line start, and where the next scan for
    // a candidate begins.
    qsizetype lineFrom = 0;
    qsizetype scanFrom = 0;
    qsizetype counted = 0;
    qsizetype line = m_line;
    const bool jump = m_prefilter != Prefilter::None;
    // A literal is checked at each candidate alone; a regular expression searches on from it.
    const bool literalAtCandidate = jump && !m_pattern.isRegex();
    // A literal found by the exact scan is the component's match too, unless words matter.
    const bool candidateIsMatch = literalAtCandidate && m_prefilter == Prefilter::Exact &&
                                  !(m_pattern.flags() & search::SearchFlag::WholeWord);
    const bool hasCr = std::memchr(data, '\r', length) != nullptr;
    std::optional<search::TextView> view;
    std::optional<search::Searcher> searcher;
    // Candidates far apart are looked for with the scan that skips furthest; close ones with
    // the one that costs nothing to start.
    bool sparse = true;
    while (scanFrom < size) {
        qsizetype from = scanFrom;
        if (jump) {
            const char *candidate = findCandidate(data + scanFrom, data + size, sparse);
            if (!candidate)
                break;
            from = candidate - data;
            sparse = from - scanFrom > 512;
        }
        search::Match match;
        if (candidateIsMatch) {
            match = {from, from + needle};
        } else {
            if (!searcher) {
                view.emplace();
                view->data = data;
                view->length = size;
                view->utf8 = true;
                searcher.emplace(*view, m_pattern, &m_budget);
            }
            const qsizetype end = literalAtCandidate ? std::min(size, from + needle) : size;
            if (searcher->find(from, end, match) != search::SearchStatus::Found) {
                if (m_budget.exhausted())
                    return false;
                if (literalAtCandidate) {
                    scanFrom = from + 1;
                    continue;
                }
                break;
            }
        }
        const qsizetype start = match.start;
        if (start >= size)
            break;
        qsizetype lineStart = start;
        while (lineStart > lineFrom && data[lineStart - 1] != '\n' && data[lineStart - 1] != '\r')
            --lineStart;
        qsizetype lineEnd = start;
        if (!hasCr) {
            const void *end = std::memchr(data + start, '\n', std::size_t(size - start));
            lineEnd = end ? static_cast<const char *>(end) - data : size;
        } else {
            while (lineEnd < size && data[lineEnd] != '\n' && data[lineEnd] != '\r')
                ++lineEnd;
        }
        line += countLineEnds(data + counted, std::size_t(lineStart - counted), hasCr);
        counted = lineStart;
        hits.push_back({path, int(line), unsigned(start - lineStart),
                        std::string(data + lineStart, std::size_t(lineEnd - lineStart))});
        lineFrom = lineEnd < size && data[lineEnd] == '\r' && lineEnd + 1 < size &&
                           data[lineEnd + 1] == '\n'
                       ? lineEnd + 2
                       : lineEnd + 1;
        scanFrom = lineFrom;
    }
    if (!last)
        m_line = int(line + countLineEnds(data + counted, std::size_t(size - counted), hasCr));
    return true;
}

FileScanner::Outcome FileScanner::scanText(const std::string &path, std::string_view text,
                                           std::vector<Hit> &hits)
{
    m_line = 1;
    if (m_prefilter != Prefilter::None) {
        if (!findCandidate(text.data(), text.data() + text.size(), true))
            return Outcome::Searched;
    }
    return searchRegion(text.data(), text.size(), true, path, hits) ? Outcome::Searched
                                                                     : Outcome::Stopped;
}

FileScanner::Outcome FileScanner::scanFile(const std::string &path, std::vector<Hit> &hits)
{
    FileHandle file(path);
    if (!file.isOpen())
        return Outcome::Unreadable;
    qint64 expected = file.size();
    bool atEnd = false;
    // The first read takes the whole of most source files in one call; a binary file costs no
    // more than that one read, as the sample the open routine decides by is its start. The rest
    // of the first chunk follows it in the buffer.
    constexpr std::size_t sampleSize = enc::EncodingDetector::SampleSize;
    constexpr std::size_t firstRead = 64u << 10;
    std::optional<std::string_view> raw = file.read(m_raw, 0, firstRead, expected, atEnd);
    if (!raw)
        return Outcome::Unreadable;
    if (raw->empty())
        return Outcome::Searched;
    expected -= qint64(raw->size());
    enc::EncodingDetector &detector = m_detector;
    detector.detectSample(raw->substr(0, sampleSize));
    if (detector.isBinary())
        return Outcome::Binary;
    if (!atEnd) {
        const std::size_t first = raw->size();
        raw = file.read(m_raw, first, ChunkBytes - first, expected, atEnd);
        if (!raw)
            return Outcome::Unreadable;
        expected = std::max<qint64>(0, expected - qint64(raw->size() - first));
    }
    Mode mode = Mode::Ansi;
    std::size_t skip = 0;
    std::optional<enc::Decoder> decoder;
    switch (detector.encoding()) {
    case enc::Utf8:
        mode = Mode::Utf8;
        skip = std::size_t(detector.markLength());
        break;
    case enc::Ansi:
        mode = Mode::Auto;
        break;
    case enc::Unicode:
    case enc::UnicodeBigEndian:
    case enc::Utf32LE:
    case enc::Utf32BE:
        mode = Mode::Decode;
        decoder.emplace(detector.encoding(), detector.markLength());
        break;
    default: // marks nothing decodes: read as Windows-1252, like the editor
        break;
    }

    std::size_t firstHit = hits.size();
    // Lines up to this one were handed out already; a second reading from the start (as
    // Windows-1252, see below) must not report them again.
    int spilledThrough = 0;
    auto dropRepeated = [&] {
        if (spilledThrough > 0)
            hits.erase(std::remove_if(hits.begin() + std::ptrdiff_t(firstHit), hits.end(),
                                      [&](const Hit &h) { return h.line <= spilledThrough; }),
                       hits.end());
    };
    // Whether text already searched may hold UTF-8 sequences that the Windows-1252 reading an
    // ill-formed byte later forces would show differently.
    bool multiByteBehind = false;
    m_line = 1;
    m_text.clear();
    while (true) {
        const std::string_view fresh = raw->substr(std::min(skip, raw->size()));
        skip = 0;
        // The text to search: the file bytes themselves when a whole file of UTF-8 or ASCII
        // came in one read, else the carried part of the last chunk and the new text.
        const char *data = nullptr;
        std::size_t all = 0;
        if (m_text.empty() && atEnd && (mode == Mode::Utf8 || mode == Mode::Auto)) {
            data = fresh.data();
            all = fresh.size();
        } else {
            switch (mode) {
            case Mode::Utf8:
            case Mode::Auto:
                m_text.append(fresh);
                break;
            case Mode::Ansi:
                enc::cp1252::decode(fresh, m_text);
                break;
            case Mode::Decode:
                decoder->decode(fresh, m_text, atEnd);
                if (atEnd)
                    decoder->finish(m_text);
                break;
            }
            data = m_text.data();
            all = m_text.size();
        }
        std::size_t end = atEnd ? all : wholeLines(data, all);
        const bool byteCompatible = mode != Mode::Decode;
        bool skipRegion = false;
        if (byteCompatible && m_prefilter != Prefilter::None) {
            skipRegion = !findCandidate(data, data + end, true);
        }
        if (mode == Mode::Auto && !skipRegion) {
            const auto *bytes = reinterpret_cast<const enc::utf8::Byte *>(data);
            const enc::utf8::Scan scan = enc::utf8::scan(bytes, end);
            if (scan.valid < end) {
                // Not UTF-8 after all: the editor shows the whole file as Windows-1252.
                if (multiByteBehind && hits.size() > firstHit) {
                    hits.resize(firstHit);
                    if (!file.rewind())
                        return Outcome::Unreadable;
                    expected = file.size();
                    raw = file.read(m_raw, 0, ChunkBytes, expected, atEnd);
                    if (!raw)
                        return Outcome::Unreadable;
                    expected -= qint64(raw->size());
                    mode = Mode::Ansi;
                    m_line = 1;
                    m_text.clear();
                    continue;
                }
                m_spare.clear();
                enc::cp1252::decode(std::string_view(data, all), m_spare);
                std::swap(m_text, m_spare);
                mode = Mode::Ansi;
                data = m_text.data();
                all = m_text.size();
                end = atEnd ? all : wholeLines(data, all);
            } else {
                multiByteBehind = multiByteBehind || scan.multiByte;
            }
        }
        if (skipRegion) {
            multiByteBehind = true; // unknown: it was never looked at
            if (!atEnd)
                m_line += int(countLineEnds(data, end, std::memchr(data, '\r', end) != nullptr));
        } else if (!searchRegion(data, end, atEnd, path, hits)) {
            dropRepeated();
            return Outcome::Stopped;
        }
        if (atEnd) {
            dropRepeated();
            return Outcome::Searched;
        }
        m_text.erase(0, end);
        // Hits can be handed out once the file's reading is settled, or while all text behind
        // is ASCII, which reads the same either way; a later reading from the start then
        // finds the same lines again, and they are dropped above.
        if (m_spill && hits.size() >= m_spillAt && (mode != Mode::Auto || !multiByteBehind)) {
            dropRepeated();
            spilledThrough = std::max(spilledThrough, m_line - 1);
            m_spill(hits);
            firstHit = hits.size();
        }
        if (!m_budget.keepGoing(0)) {
            dropRepeated();
            return Outcome::Stopped;
        }
        raw = file.read(m_raw, 0, ChunkBytes, expected, atEnd);
        if (!raw)
            return Outcome::Unreadable;
        expected -= qint64(raw->size());
    }
}

} // namespace pw::fif
