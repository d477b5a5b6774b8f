// Hashing and interning of lines: one pass over each text, an open-addressing table.
#include "compare/engine/lineinterner.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace pw::diff::detail {
namespace {

constexpr std::uint64_t MulA = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t MulB = 0xD6E8FEB86659FD93ull;

inline std::uint64_t finalMix(std::uint64_t h)
{
    h ^= h >> 32;
    h *= MulB;
    h ^= h >> 29;
    return h;
}

// Table slot: the hash's high half as a tag, and the line number's id (-1 while free).
struct Slot
{
    std::uint32_t tag;
    std::int32_t id;
};

class Interner
{
public:
    Interner(std::size_t lines, bool ignoreLineEndings) : m_ignore(ignoreLineEndings)
    {
        const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(lines * 2, 16));
        m_slots.assign(capacity, Slot{0, -1});
        m_mask = capacity - 1;
        m_keys.reserve(lines / 2 + 16);
    }

    int intern(std::string_view key, std::uint64_t h)
    {
        const auto tag = std::uint32_t(h >> 32);
        std::size_t i = std::size_t(h) & m_mask;
        for (;;) {
            Slot &slot = m_slots[i];
            if (slot.id < 0) {
                slot.tag = tag;
                slot.id = int(m_keys.size());
                m_keys.push_back(key);
                return slot.id;
            }
            if (slot.tag == tag) {
                const std::string_view known = m_keys[std::size_t(slot.id)];
                if (known.size() == key.size() &&
                    std::memcmp(known.data(), key.data(), key.size()) == 0)
                    return slot.id;
            }
            i = (i + 1) & m_mask;
        }
    }

    // Lines are hashed a batch ahead and their slots fetched into the cache before they are
    // looked at: the table is far larger than the cache, and waiting for each slot in turn
    // would cost more than all the hashing.
    void internAll(const DiffText &text, std::vector<int> &ids, Ticker &ticker)
    {
        constexpr int Batch = 64;
        std::uint64_t hashes[Batch];
        const int n = text.lineCount();
        ids.resize(std::size_t(n));
        for (int base = 0; base < n; base += Batch) {
            const int count = std::min(Batch, n - base);
            for (int k = 0; k < count; ++k) {
                hashes[k] = hashBytes(lineKey(text, base + k, m_ignore));
                __builtin_prefetch(&m_slots[std::size_t(hashes[k]) & m_mask]);
            }
            for (int k = 0; k < count; ++k)
                ids[std::size_t(base + k)] = intern(lineKey(text, base + k, m_ignore), hashes[k]);
            ticker.advance(count);
        }
    }

    int distinct() const { return int(m_keys.size()); }

private:
    std::vector<Slot> m_slots;
    std::vector<std::string_view> m_keys;
    std::size_t m_mask = 0;
    bool m_ignore;
};

} // namespace

std::string_view lineKey(const DiffText &text, int line, bool ignoreLineEndings)
{
    std::string_view l = text.line(line);
    if (ignoreLineEndings) {
        if (!l.empty() && l.back() == '\n')
            l.remove_suffix(1);
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
    }
    return l;
}

std::uint64_t hashBytes(std::string_view bytes)
{
    const char *p = bytes.data();
    std::size_t n = bytes.size();
    std::uint64_t h = (std::uint64_t(n) + 1) * MulB;
    while (n >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        h = std::rotl((h ^ v) * MulA, 27);
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t v = 0;
        std::memcpy(&v, p, n);
        h = std::rotl((h ^ v) * MulA, 27);
    }
    return finalMix(h * MulA);
}

InternedLines internLines(const DiffText &a, const DiffText &b, bool ignoreLineEndings,
                          Ticker &ticker)
{
    InternedLines out;
    Interner interner(std::size_t(a.lineCount()) + std::size_t(b.lineCount()), ignoreLineEndings);
    interner.internAll(a, out.a, ticker);
    interner.internAll(b, out.b, ticker);
    out.distinct = interner.distinct();
    return out;
}

} // namespace pw::diff::detail
