// Finding a byte or text pattern in a byte source of any size, up or down, in large blocks.
#pragma once

#include "hex/engine/bytescan.h"
#include "hex/engine/bytesource.h"

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string_view>
#include <vector>

namespace pw::hex {

struct SearchPattern
{
    std::vector<std::uint8_t> bytes;
    // When false, ASCII letters match either case; other bytes always match exactly.
    bool caseSensitive = true;
};

// The pattern of a hex find: with ascii, the text's bytes as they are, case-sensitive only with
// matchCase; otherwise the hex pattern of the text (see parseHexPattern), always case-sensitive.
SearchPattern makeSearchPattern(std::string_view text, bool ascii, bool matchCase);

enum class SearchStatus {
    Found,
    NotFound,
    Cancelled,
    EmptyPattern,
    ReadFailed, // the source could not deliver its bytes; it says why
};

struct SearchResult
{
    SearchStatus status = SearchStatus::NotFound;
    Offset offset = 0; // the match's first byte when Found
    bool found() const { return status == SearchStatus::Found; }
};

// Called between blocks with the bytes covered so far and the most the search can cover.
using SearchProgress = std::function<void(Offset done, Offset total)>;

// Scans the source block by block (each read straight into one buffer, matches across block
// edges included) at memory speed: the starts where the pattern's two rarest bytes match are
// found sixteen at a time with vector instructions, and only those are compared. Memory: one
// block plus the pattern.
class HexSearch
{
public:
    static constexpr std::size_t DefaultBlockSize = 256 << 10; // stays in the L2 cache

    explicit HexSearch(SearchPattern pattern, std::size_t blockSize = DefaultBlockSize);

    const SearchPattern &pattern() const { return m_pattern; }
    bool isValid() const { return !m_pattern.bytes.empty(); }

    // Down: the first match that starts at or after from. Up: the last match that starts before
    // from. from is clipped to [0, size]. A stop request is seen between blocks, so a search of
    // any size stops within one block's time.
    SearchResult find(const ByteSource &source, Offset from, bool up, std::stop_token stop = {},
                      const SearchProgress &progress = {}) const;

    // The first, respectively last, match start in [0, length - pattern length] of a block in
    // memory; -1 when none.
    std::ptrdiff_t findFirstIn(const std::uint8_t *bytes, std::size_t length) const;
    std::ptrdiff_t findLastIn(const std::uint8_t *bytes, std::size_t length) const;

private:
    bool matchesAt(const std::uint8_t *at) const;

    SearchPattern m_pattern;
    std::vector<std::uint8_t> m_folded; // the pattern with ASCII letters in lower case
    std::size_t m_blockSize;
    // The pattern's two rarest bytes (the same one twice for a one-byte pattern); a mask of 0x20
    // matches a letter in either case.
    BytePair m_pair;
};

} // namespace pw::hex
