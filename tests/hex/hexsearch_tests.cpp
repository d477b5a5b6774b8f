// The pattern search against brute force: directions, case, block and piece edges, stop, failures.
#include "hex/engine/bytescan.h"
#include "hex/engine/hexbuffer.h"
#include "hex/engine/hexsearch.h"
#include "hextestutil.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace pw::hex;
using namespace pw::hex::test;

namespace {

class VectorSource final : public ByteSource
{
public:
    explicit VectorSource(Bytes bytes) : m_bytes(std::move(bytes)) {}
    Offset size() const override { return Offset(m_bytes.size()); }
    bool read(Offset offset, void *dst, std::size_t length) const override
    {
        if (offset < 0 || offset > size() || Offset(length) > size() - offset)
            return false;
        largestRead = std::max(largestRead, length);
        std::memcpy(dst, m_bytes.data() + offset, length);
        return offset + Offset(length) <= failFrom;
    }
    Offset failFrom = INT64_MAX;
    mutable std::size_t largestRead = 0;

private:
    Bytes m_bytes;
};

std::uint8_t fold(std::uint8_t b)
{
    return b >= 'A' && b <= 'Z' ? b | 0x20 : b;
}

bool matchAt(const Bytes &data, std::size_t at, const SearchPattern &p)
{
    for (std::size_t i = 0; i < p.bytes.size(); ++i) {
        const std::uint8_t a = data[at + i], b = p.bytes[i];
        if (p.caseSensitive ? a != b : fold(a) != fold(b))
            return false;
    }
    return true;
}

// The answer by definition: down, the first start >= from; up, the last start < from.
Offset bruteForce(const Bytes &data, const SearchPattern &p, Offset from, bool up)
{
    const auto size = Offset(data.size()), m = Offset(p.bytes.size());
    from = std::clamp<Offset>(from, 0, size);
    if (up) {
        for (Offset s = std::min(from - 1, size - m); s >= 0; --s)
            if (matchAt(data, std::size_t(s), p))
                return s;
    } else {
        for (Offset s = from; s + m <= size; ++s)
            if (matchAt(data, std::size_t(s), p))
                return s;
    }
    return -1;
}

Offset offsetOf(const SearchResult &r)
{
    return r.found() ? r.offset : -1;
}

} // namespace

TEST(HexSearch, AgreesWithABruteForceScan)
{
    // A small alphabet of letters in both cases, zeros and a non-ASCII letter pair makes matches,
    // near-matches and case questions frequent.
    const Bytes alphabet = {'a', 'A', 'b', 'B', 0x00, 0xE9, 0xC9, '['};
    const std::size_t blockSizes[] = {1, 2, 3, 5, 8, 64, HexSearch::DefaultBlockSize};
    std::mt19937_64 random(11);
    int found = 0;
    for (int round = 0; round < 400; ++round) {
        Bytes data(random() % 120);
        for (auto &b : data)
            b = alphabet[random() % alphabet.size()];
        SearchPattern pattern;
        pattern.caseSensitive = random() % 2;
        pattern.bytes.resize(1 + random() % 4);
        for (auto &b : pattern.bytes)
            b = alphabet[random() % alphabet.size()];
        const VectorSource source(data);
        for (const std::size_t block : blockSizes) {
            const HexSearch search(pattern, block);
            for (int probe = 0; probe < 6; ++probe) {
                const Offset from = Offset(random() % (data.size() + 3)) - 1;
                const bool up = random() % 2;
                const Offset expected = bruteForce(data, pattern, from, up);
                SCOPED_TRACE("round " + std::to_string(round) + " block " + std::to_string(block) +
                             " from " + std::to_string(from) + (up ? " up" : " down"));
                ASSERT_EQ(offsetOf(search.find(source, from, up)), expected);
                found += expected >= 0;
            }
        }
    }
    EXPECT_GT(found, 1000) << "the cases must include many matches";
}

// The brute-force alphabet has no pair of non-letters 0x20 apart, so a fold by OR-ing 0x20 into
// every byte would pass it; these would not.
TEST(HexSearch, FoldingChangesLettersOnly)
{
    const VectorSource source(text("@[`{ say HeLLo"));
    for (const std::size_t block : {std::size_t(1), std::size_t(4), std::size_t(1) << 20}) {
        SCOPED_TRACE("block " + std::to_string(block));
        EXPECT_EQ(offsetOf(HexSearch({text("`{"), false}, block).find(source, 0, false)), 2);
        EXPECT_EQ(offsetOf(HexSearch({text("@["), false}, block).find(source, 9, true)), 0);
        EXPECT_EQ(offsetOf(HexSearch({text("hello"), false}, block).find(source, 0, false)), 9);
    }
}

TEST(HexSearch, EmptyPatternAndStopAndReadFailureAreReportedAsSuch)
{
    const VectorSource source(Bytes(1000, 'x'));
    EXPECT_EQ(HexSearch(SearchPattern{}).find(source, 0, false).status, SearchStatus::EmptyPattern);
    EXPECT_FALSE(HexSearch(makeSearchPattern("7", false, false)).isValid())
        << "a single hex digit gives no bytes";

    const HexSearch search({text("y"), true}, 16);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(search.find(source, 0, false, stop.get_token()).status, SearchStatus::Cancelled);

    // Stopped from the progress report after the first block: the next block is not read.
    std::stop_source later;
    std::vector<Offset> reports;
    const SearchResult r =
        search.find(source, 0, false, later.get_token(), [&](Offset done, Offset) {
            reports.push_back(done);
            later.request_stop();
        });
    EXPECT_EQ(r.status, SearchStatus::Cancelled);
    EXPECT_EQ(reports, std::vector<Offset>{16});

    VectorSource failing(Bytes(1000, 'x'));
    failing.failFrom = 500;
    EXPECT_EQ(search.find(failing, 0, false).status, SearchStatus::ReadFailed);
}

TEST(HexSearch, ProgressClimbsToTheTotalAndReadsStayOneBlock)
{
    const VectorSource source(Bytes(10000, 'x'));
    for (const bool up : {false, true}) {
        SCOPED_TRACE(up ? "up" : "down");
        const HexSearch search({text("needle"), true}, 1000);
        std::vector<std::pair<Offset, Offset>> reports;
        const SearchResult r = search.find(source, 2000, up, {}, [&](Offset done, Offset total) {
            reports.emplace_back(done, total);
        });
        EXPECT_EQ(r.status, SearchStatus::NotFound);
        ASSERT_FALSE(reports.empty());
        const Offset total = up ? 2000 + 5 : 8000;
        for (std::size_t i = 0; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i].second, total);
            if (i > 0) {
                EXPECT_GT(reports[i].first, reports[i - 1].first);
            }
        }
        EXPECT_EQ(reports.back().first, total);
        EXPECT_LE(source.largestRead, 1000u + 5u);
    }
}

TEST(HexSearch, FindsMatchesAcrossPiecesOfAnEditedFile)
{
    TempDir dir;
    std::mt19937_64 random(5);
    Bytes content = randomBytes(random, 4000, 4); // bytes 0..3 only: the needle is not in it
    writeFile(dir.file("f"), content);
    HexBuffer buffer(pagesOf(64, 2));
    ASSERT_TRUE(buffer.open(dir.file("f")));
    // "NEEDLE" is made of file bytes around typed ones: each needle spans three pieces.
    const Offset places[] = {0, 1000, 1023, 2047, 3994};
    for (const Offset at : places) {
        ASSERT_TRUE(buffer.overwrite(at, text("NE")));
        ASSERT_TRUE(buffer.overwrite(at + 4, text("LE")));
        ASSERT_TRUE(buffer.overwrite(at + 2, text("ED")));
    }
    ASSERT_GT(buffer.pieceCount(), 10u);
    for (const std::size_t block : {std::size_t(7), std::size_t(64), std::size_t(1) << 20}) {
        SCOPED_TRACE("block " + std::to_string(block));
        const HexSearch search(makeSearchPattern("needle", true, false), block);
        std::vector<Offset> down, up;
        for (Offset at = 0;; ++at) {
            const SearchResult r = search.find(buffer, at, false);
            if (!r.found())
                break;
            down.push_back(at = r.offset);
        }
        for (Offset at = buffer.size();;) {
            const SearchResult r = search.find(buffer, at, true);
            if (!r.found())
                break;
            up.insert(up.begin(), at = r.offset);
        }
        EXPECT_EQ(down, std::vector<Offset>(std::begin(places), std::end(places)));
        EXPECT_EQ(up, down);
    }
}

TEST(HexSearch, PatternFromTheFindBox)
{
    const SearchPattern ascii = makeSearchPattern("Ab 1", true, false);
    EXPECT_EQ(ascii.bytes, text("Ab 1"));
    EXPECT_FALSE(ascii.caseSensitive) << "an ASCII search without Match Case ignores case";
    EXPECT_TRUE(makeSearchPattern("Ab", true, true).caseSensitive);
    const SearchPattern hex = makeSearchPattern("4D 5a90", false, false);
    EXPECT_EQ(hex.bytes, (Bytes{0x4D, 0x5A, 0x90}));
    EXPECT_TRUE(hex.caseSensitive) << "a hex search is always exact";
}

TEST(ByteScan, AgreesWithAPlainLoop)
{
    std::mt19937_64 random(2);
    for (std::size_t n = 0; n < 300; ++n) {
        Bytes data(n);
        for (const std::uint8_t mask : {std::uint8_t(0), std::uint8_t(0x20)}) {
            for (int round = 0; round < 4; ++round) {
                std::fill(data.begin(), data.end(), 'x');
                for (int hits = int(random() % 3); hits > 0 && n > 0; --hits)
                    data[random() % n] = random() % 2 ? 'Q' : 'q';
                const std::uint8_t value = mask ? 'q' : 'Q';
                std::size_t first = n, last = n;
                for (std::size_t i = 0; i < n; ++i) {
                    if ((data[i] | mask) == value) {
                        first = std::min(first, i);
                        last = i;
                    }
                }
                SCOPED_TRACE("length " + std::to_string(n) + " mask " + std::to_string(mask));
                ASSERT_EQ(scanForward(data.data(), n, value, mask), first);
                ASSERT_EQ(scanBackward(data.data(), n, value, mask), last);
            }
        }
    }
}

TEST(ByteScan, PairScanAgreesWithAPlainLoop)
{
    std::mt19937_64 random(4);
    const Bytes alphabet = {'k', 'K', 'z', 0x4B ^ 0x20, 0x00};
    for (int round = 0; round < 3000; ++round) {
        BytePair pair;
        pair.offset1 = random() % 6;
        pair.offset2 = random() % 6;
        pair.mask1 = random() % 2 ? 0x20 : 0;
        pair.mask2 = random() % 2 ? 0x20 : 0;
        pair.value1 = std::uint8_t(alphabet[random() % alphabet.size()] | pair.mask1);
        pair.value2 = std::uint8_t(alphabet[random() % alphabet.size()] | pair.mask2);
        const std::size_t count = random() % 150;
        Bytes data(count + std::max(pair.offset1, pair.offset2));
        for (auto &b : data)
            b = alphabet[random() % alphabet.size()];
        std::size_t first = count, last = count;
        for (std::size_t s = 0; s < count; ++s) {
            if ((data[s + pair.offset1] | pair.mask1) == pair.value1 &&
                (data[s + pair.offset2] | pair.mask2) == pair.value2) {
                first = std::min(first, s);
                last = s;
            }
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(scanPairForward(data.data(), count, pair), first);
        ASSERT_EQ(scanPairBackward(data.data(), count, pair), last);
    }
}
