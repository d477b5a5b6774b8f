// The piece table: reads, edits, undo and redo.
#include "hex/engine/hexbuffer.h"

#include <algorithm>
#include <cstring>

namespace pw::hex {

HexBuffer::HexBuffer(const BufferOptions &options) : m_options(options) {}

HexBuffer::~HexBuffer() = default;

void HexBuffer::clear()
{
    m_path.clear();
    m_pieces.clear();
    m_size = 0;
    m_added = {};
    m_files.clear();
    m_steps.clear();
    m_applied = 0;
    m_savedAt = 0;
    m_groupDepth = 0;
    m_stepOpen = false;
}

bool HexBuffer::open(const std::string &path, std::string *error)
{
    clear();
    std::unique_ptr<FileSource> source = FileSource::open(path, error, m_options.cache);
    if (!source)
        return false;
    m_path = path;
    m_size = source->size();
    m_files.push_back(std::move(source));
    if (m_size > 0)
        m_pieces.push_back({0, 0, m_size, 1});
    return true;
}

Offset HexBuffer::lengthOf(const std::vector<Piece> &pieces)
{
    Offset total = 0;
    for (const Piece &p : pieces)
        total += p.length;
    return total;
}

std::size_t HexBuffer::pieceAt(Offset offset) const
{
    const auto it = std::upper_bound(m_pieces.begin(), m_pieces.end(), offset,
                                     [](Offset o, const Piece &p) { return o < p.start; });
    return std::size_t(it - m_pieces.begin()) - 1;
}

bool HexBuffer::read(Offset offset, void *dst, std::size_t length) const
{
    if (offset < 0 || offset > m_size || Offset(length) > m_size - offset)
        return false;
    auto *out = static_cast<std::uint8_t *>(dst);
    bool ok = true;
    for (std::size_t i = length ? pieceAt(offset) : 0; length > 0; ++i) {
        const Piece &p = m_pieces[i];
        const Offset within = offset - p.start;
        const auto n = std::size_t(std::min<Offset>(Offset(length), p.length - within));
        if (p.source == 0)
            std::memcpy(out, m_added.data() + p.from + within, n);
        else if (!file(p.source).read(p.from + within, out, n))
            ok = false; // the rest is still delivered where it can be
        out += n;
        offset += Offset(n);
        length -= n;
    }
    return ok;
}

std::vector<std::uint8_t> HexBuffer::bytes(Offset offset, Offset length) const
{
    offset = std::clamp<Offset>(offset, 0, m_size);
    length = std::clamp<Offset>(length, 0, m_size - offset);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
    read(offset, out.data(), out.size());
    return out;
}

// Makes a piece start at offset and returns its index (the piece count at the end).
std::size_t HexBuffer::splitAt(Offset offset)
{
    if (offset >= m_size)
        return m_pieces.size();
    const std::size_t i = pieceAt(offset);
    Piece &left = m_pieces[i];
    if (left.start == offset)
        return i;
    const Offset cut = offset - left.start;
    Piece right = left;
    right.start = offset;
    right.from += cut;
    right.length -= cut;
    left.length = cut;
    m_pieces.insert(m_pieces.begin() + std::ptrdiff_t(i) + 1, right);
    return i + 1;
}

// Joins neighbours in [first, last] that continue each other in the same source, so that
// typing, undo and redo do not leave the table ever more fragmented.
void HexBuffer::mergeAround(std::size_t first, std::size_t last)
{
    last = std::min(last, m_pieces.size() - 1);
    for (std::size_t b = last; b > first && b > 0; --b) { // b: the boundary before piece b
        Piece &a = m_pieces[b - 1];
        const Piece &next = m_pieces[b];
        if (a.source == next.source && a.from + a.length == next.from) {
            a.length += next.length;
            m_pieces.erase(m_pieces.begin() + std::ptrdiff_t(b));
        }
    }
}

void HexBuffer::splice(Offset offset, Offset length, const std::vector<Piece> &inserted,
                       std::vector<Piece> *removed)
{
    const std::size_t first = splitAt(offset);
    const std::size_t last = splitAt(offset + length);
    if (removed)
        removed->assign(m_pieces.begin() + std::ptrdiff_t(first),
                        m_pieces.begin() + std::ptrdiff_t(last));
    const auto at = m_pieces.erase(m_pieces.begin() + std::ptrdiff_t(first),
                                   m_pieces.begin() + std::ptrdiff_t(last));
    m_pieces.insert(at, inserted.begin(), inserted.end());
    m_size += lengthOf(inserted) - length;
    Offset start = first > 0 ? m_pieces[first - 1].start + m_pieces[first - 1].length : 0;
    for (std::size_t i = first; i < m_pieces.size(); ++i) {
        m_pieces[i].start = start;
        start += m_pieces[i].length;
    }
    if (!m_pieces.empty())
        mergeAround(first > 0 ? first - 1 : 0, first + inserted.size());
}

void HexBuffer::record(Splice change)
{
    if (!m_stepOpen) {
        m_steps.resize(m_applied); // a new edit drops what could be redone
        if (m_savedAt && *m_savedAt > m_applied)
            m_savedAt.reset();
        m_steps.emplace_back();
        ++m_applied;
        m_stepOpen = m_groupDepth > 0;
    }
    m_steps.back().splices.push_back(std::move(change));
}

bool HexBuffer::replace(Offset offset, Offset length, std::span<const std::uint8_t> bytes)
{
    if (offset < 0 || length < 0 || offset > m_size || length > m_size - offset)
        return false;
    if (length == 0 && bytes.empty())
        return true;
    Splice change;
    change.offset = offset;
    if (!bytes.empty()) {
        change.inserted.push_back({0, Offset(m_added.size()), Offset(bytes.size()), 0});
        m_added.insert(m_added.end(), bytes.begin(), bytes.end());
    }
    splice(offset, length, change.inserted, &change.removed);
    record(std::move(change));
    return true;
}

bool HexBuffer::insert(Offset offset, std::span<const std::uint8_t> bytes)
{
    return replace(offset, 0, bytes);
}

bool HexBuffer::overwrite(Offset offset, std::span<const std::uint8_t> bytes)
{
    if (offset < 0 || offset > m_size)
        return false;
    return replace(offset, std::min<Offset>(Offset(bytes.size()), m_size - offset), bytes);
}

bool HexBuffer::remove(Offset offset, Offset length)
{
    return replace(offset, length, {});
}

std::optional<EditRange> HexBuffer::undo()
{
    m_stepOpen = false;
    if (m_applied == 0)
        return std::nullopt;
    const Step &step = m_steps[--m_applied];
    EditRange range;
    for (auto it = step.splices.rbegin(); it != step.splices.rend(); ++it) {
        range = {it->offset, lengthOf(it->inserted), lengthOf(it->removed)};
        splice(it->offset, range.removed, it->removed, nullptr);
    }
    return range;
}

std::optional<EditRange> HexBuffer::redo()
{
    m_stepOpen = false;
    if (m_applied >= m_steps.size())
        return std::nullopt;
    const Step &step = m_steps[m_applied++];
    EditRange range;
    for (const Splice &s : step.splices) {
        range = {s.offset, lengthOf(s.removed), lengthOf(s.inserted)};
        splice(s.offset, range.removed, s.inserted, nullptr);
    }
    return range;
}

void HexBuffer::beginUndoGroup()
{
    ++m_groupDepth;
}

void HexBuffer::endUndoGroup()
{
    if (m_groupDepth > 0 && --m_groupDepth == 0)
        m_stepOpen = false;
}

void HexBuffer::clearUndoHistory()
{
    m_steps.clear();
    m_savedAt = isModified() ? std::nullopt : std::optional<std::size_t>(0);
    m_applied = 0;
    m_stepOpen = false;
    dropUnusedSources();
}

void HexBuffer::setSavePoint()
{
    m_savedAt = m_applied;
    m_stepOpen = false;
}

std::size_t HexBuffer::openFileCount() const
{
    return std::size_t(
        std::count_if(m_files.begin(), m_files.end(), [](const auto &f) { return f != nullptr; }));
}

// Closes the files and frees the added bytes that neither the content nor any undo or redo step
// refers to any more.
void HexBuffer::dropUnusedSources()
{
    std::vector<bool> used(m_files.size() + 1, false);
    auto mark = [&](const std::vector<Piece> &pieces) {
        for (const Piece &p : pieces)
            used[p.source] = true;
    };
    mark(m_pieces);
    for (const Step &step : m_steps) {
        for (const Splice &s : step.splices) {
            mark(s.removed);
            mark(s.inserted);
        }
    }
    if (!used[0])
        m_added = {};
    for (std::size_t k = 0; k < m_files.size(); ++k) {
        if (!used[k + 1])
            m_files[k].reset();
    }
}

} // namespace pw::hex
