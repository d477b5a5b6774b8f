// Word-then-character comparison of two lines.
#include "compare/engine/intraline.h"

#include "compare/engine/lineinterner.h"
#include "compare/engine/myers.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace pw::diff {
namespace {

// Token rounds beyond which two lines count as rewritten rather than edited.
constexpr int TokenCostLimit = 64;
// Replaced runs longer than this on either side (in bytes) are not compared character by
// character: the characters of a rewritten phrase share little that helps a reader.
constexpr std::size_t MaxCharRefineBytes = 40;

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

bool isWordByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c >= 0x80;
}

bool isBlankByte(unsigned char c)
{
    return c == ' ' || c == '\t';
}

// Start offsets of the tokens of text, plus its size at the end.
std::vector<int> tokenStarts(std::string_view text)
{
    std::vector<int> starts;
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        starts.push_back(i);
        const auto c = static_cast<unsigned char>(text[std::size_t(i)]);
        if (isWordByte(c)) {
            while (i < n && isWordByte(static_cast<unsigned char>(text[std::size_t(i)])))
                ++i;
        } else if (isBlankByte(c)) {
            while (i < n && isBlankByte(static_cast<unsigned char>(text[std::size_t(i)])))
                ++i;
        } else {
            ++i;
        }
    }
    starts.push_back(n);
    return starts;
}

// Start offsets of the characters of text (UTF-8 sequences kept whole), plus its size.
std::vector<int> charStarts(std::string_view text)
{
    std::vector<int> starts;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i)
        if (!isContinuation(static_cast<unsigned char>(text[std::size_t(i)])) || i == 0)
            starts.push_back(i);
    starts.push_back(n);
    return starts;
}

void addRange(std::vector<CharRange> &ranges, int start, int end)
{
    if (end <= start)
        return;
    if (!ranges.empty() && ranges.back().start + ranges.back().length >= start) {
        ranges.back().length = std::max(ranges.back().length, end - ranges.back().start);
        return;
    }
    ranges.push_back(CharRange{start, end - start});
}

// Numbers for the pieces of two texts (equal pieces, equal numbers) and Myers over them.
struct PieceDiff
{
    std::vector<std::uint8_t> changedA;
    std::vector<std::uint8_t> changedB;
};

// With checkRewritten, returns nothing when fewer than a quarter of the pieces that are not blanks
// are common to both texts: a rewritten line, whose comparison would only find scattered
// coincidences (and is the slowest case for the search).
std::optional<PieceDiff> diffPieces(std::string_view a, const std::vector<int> &sa,
                                    std::string_view b, const std::vector<int> &sb,
                                    bool checkRewritten)
{
    // Pieces sorted by hash, then numbered; equal hashes are confirmed byte by byte.
    struct Piece
    {
        std::uint64_t hash;
        std::string_view text;
        int index; // pieces of a first, then b
    };
    const std::size_t na = sa.size() - 1;
    const std::size_t nb = sb.size() - 1;
    std::vector<Piece> pieces;
    pieces.reserve(na + nb);
    auto collect = [&](std::string_view text, const std::vector<int> &starts, int offset) {
        for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
            const std::string_view piece =
                text.substr(std::size_t(starts[i]), std::size_t(starts[i + 1] - starts[i]));
            pieces.push_back(Piece{detail::hashBytes(piece), piece, offset + int(i)});
        }
    };
    collect(a, sa, 0);
    collect(b, sb, int(na));
    std::sort(pieces.begin(), pieces.end(), [](const Piece &x, const Piece &y) {
        return x.hash < y.hash || (x.hash == y.hash && x.text < y.text);
    });
    std::vector<int> numbers(na + nb);
    int next = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0 && (pieces[i].hash != pieces[i - 1].hash || pieces[i].text != pieces[i - 1].text))
            ++next;
        numbers[std::size_t(pieces[i].index)] = next;
    }
    if (checkRewritten) {
        // Pieces are sorted by number: count, per number, the non-blank pieces on each side.
        std::size_t common = 0;
        std::size_t solidA = 0;
        std::size_t solidB = 0;
        for (std::size_t i = 0; i < pieces.size();) {
            std::size_t inA = 0;
            std::size_t inB = 0;
            const int number = numbers[std::size_t(pieces[i].index)];
            const bool blank = isBlankByte(static_cast<unsigned char>(pieces[i].text[0]));
            for (; i < pieces.size() && numbers[std::size_t(pieces[i].index)] == number; ++i)
                (std::size_t(pieces[i].index) < na ? inA : inB) += 1;
            if (!blank) {
                common += std::min(inA, inB);
                solidA += inA;
                solidB += inB;
            }
        }
        if (common * 4 < std::max(solidA, solidB))
            return std::nullopt;
    }
    PieceDiff d{std::vector<std::uint8_t>(na), std::vector<std::uint8_t>(nb)};
    detail::myersDiff(numbers.data(), int(na), numbers.data() + na, int(nb), d.changedA.data(),
                      d.changedB.data(), TokenCostLimit, nullptr);
    return d;
}

// Replaced run [a0, a1) / [b0, b1) (byte offsets into the lines): characters when mostly alike,
// else the whole runs.
void refineRun(std::string_view a, int a0, int a1, std::string_view b, int b0, int b1,
               std::vector<CharRange> &aRanges, std::vector<CharRange> &bRanges)
{
    if (a1 > a0 && b1 > b0 && std::size_t(a1 - a0) <= MaxCharRefineBytes &&
        std::size_t(b1 - b0) <= MaxCharRefineBytes) {
        const std::string_view ra = a.substr(std::size_t(a0), std::size_t(a1 - a0));
        const std::string_view rb = b.substr(std::size_t(b0), std::size_t(b1 - b0));
        const std::vector<int> ca = charStarts(ra);
        const std::vector<int> cb = charStarts(rb);
        const PieceDiff d = *diffPieces(ra, ca, rb, cb, false);
        const auto commonA = std::count(d.changedA.begin(), d.changedA.end(), 0);
        const std::size_t longer = std::max(d.changedA.size(), d.changedB.size());
        if (std::size_t(commonA) * 2 >= longer) {
            for (std::size_t i = 0; i < d.changedA.size(); ++i)
                if (d.changedA[i])
                    addRange(aRanges, a0 + ca[i], a0 + ca[i + 1]);
            for (std::size_t j = 0; j < d.changedB.size(); ++j)
                if (d.changedB[j])
                    addRange(bRanges, b0 + cb[j], b0 + cb[j + 1]);
            return;
        }
    }
    addRange(aRanges, a0, a1);
    addRange(bRanges, b0, b1);
}

} // namespace

void intraLineDiff(std::string_view a, std::string_view b, std::vector<CharRange> &aRanges,
                   std::vector<CharRange> &bRanges)
{
    aRanges.clear();
    bRanges.clear();
    // Common start and end, on character boundaries.
    std::size_t prefix = 0;
    const std::size_t shorter = std::min(a.size(), b.size());
    while (prefix < shorter && a[prefix] == b[prefix])
        ++prefix;
    while (prefix > 0 &&
           ((prefix < a.size() && isContinuation(static_cast<unsigned char>(a[prefix]))) ||
            (prefix < b.size() && isContinuation(static_cast<unsigned char>(b[prefix])))))
        --prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    while (suffix > 0 && isContinuation(static_cast<unsigned char>(a[a.size() - suffix])))
        --suffix;
    if (prefix == a.size() && prefix == b.size())
        return;
    if (a.size() - prefix - suffix + b.size() - prefix - suffix > 2 * LongLineBytes) {
        addRange(aRanges, int(prefix), int(a.size() - suffix));
        addRange(bRanges, int(prefix), int(b.size() - suffix));
        return;
    }

    // Words are compared over the whole lines so that a change inside a word is seen as a
    // changed word first.
    const std::vector<int> ta = tokenStarts(a);
    const std::vector<int> tb = tokenStarts(b);
    const std::optional<PieceDiff> compared = diffPieces(a, ta, b, tb, true);
    if (!compared) {
        addRange(aRanges, int(prefix), int(a.size() - suffix));
        addRange(bRanges, int(prefix), int(b.size() - suffix));
        return;
    }
    const PieceDiff &d = *compared;
    const std::size_t na = d.changedA.size();
    const std::size_t nb = d.changedB.size();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < na || j < nb) {
        if (i < na && j < nb && !d.changedA[i] && !d.changedB[j]) {
            ++i;
            ++j;
            continue;
        }
        const std::size_t i0 = i;
        const std::size_t j0 = j;
        while (i < na && d.changedA[i])
            ++i;
        while (j < nb && d.changedB[j])
            ++j;
        if (i == i0 && j == j0) { // cannot happen with consistent flags; do not loop
            i = na;
            j = nb;
        }
        refineRun(a, ta[i0], ta[i], b, tb[j0], tb[j], aRanges, bRanges);
    }
}

} // namespace pw::diff
