// ReplaceRecord: run-length coded hit places and zlib-packed hit text.
#include "editor/textsearch/replacerecord.h"

#include <QtGlobal>
#include <utility>

namespace pw::search {

namespace {

// Level 1 packs ordinary text to a third or better at a few hundred megabytes a second; higher
// levels gain little on it and cost several times the time.
constexpr int PackLevel = 1;

void putNumber(std::string &out, quint64 value)
{
    while (value >= 0x80) {
        out.push_back(char(value & 0x7F) | char(0x80));
        value >>= 7;
    }
    out.push_back(char(value));
}

quint64 takeNumber(const QByteArray &in, qsizetype &offset)
{
    quint64 value = 0;
    for (int shift = 0; offset < in.size(); shift += 7) {
        const auto byte = static_cast<unsigned char>(in[offset++]);
        value |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
    }
    return value;
}

} // namespace

ReplaceRecord::ReplaceRecord(QByteArray replacement) : m_replacement(std::move(replacement)) {}

void ReplaceRecord::addBatch(const char *text, const std::vector<Match> &hits)
{
    Q_ASSERT(!m_finished);
    if (hits.empty())
        return;
    qsizetype previousEnd = m_lastEnd;
    qsizetype shift = 0;
    for (const Match &hit : hits) {
        addHit(hit.start - previousEnd, text + hit.start, hit.length());
        previousEnd = hit.end;
        shift += m_replacement.size() - hit.length();
    }
    m_lastEnd = hits.back().end + shift;
}

void ReplaceRecord::addHit(qsizetype gap, const char *bytes, qsizetype length)
{
    ++m_hits;
    if (gap == m_runGap && length == m_runLength) {
        ++m_runRepeat;
    } else {
        closeRun();
        m_runGap = gap;
        m_runLength = length;
        m_runRepeat = 1;
    }
    // A chunk closes only between hits, so a reader finds each hit's text whole.
    if (!m_open.isEmpty() && m_open.size() + length > ChunkBytes)
        closeChunk();
    if (m_open.capacity() < ChunkBytes)
        m_open.reserve(ChunkBytes);
    m_open.append(bytes, length);
}

void ReplaceRecord::closeRun()
{
    if (m_runRepeat == 0)
        return;
    putNumber(m_runs, quint64(m_runGap));
    putNumber(m_runs, quint64(m_runLength));
    putNumber(m_runs, m_runRepeat);
    m_runRepeat = 0;
    m_runGap = -1;
    if (m_runs.size() >= RunChunkBytes)
        packRuns();
}

void ReplaceRecord::packRuns()
{
    if (m_runs.empty())
        return;
    QByteArray packed = qCompress(reinterpret_cast<const uchar *>(m_runs.data()),
                                  qsizetype(m_runs.size()), PackLevel);
    // Packing allocates for the worst case; what it did not use goes back.
    packed.squeeze();
    m_runChunks.push_back(std::move(packed));
    m_runs.clear();
}

void ReplaceRecord::closeChunk()
{
    if (m_open.isEmpty())
        return;
    Chunk chunk;
    QByteArray packed = qCompress(m_open, PackLevel);
    // Text that does not pack (already compressed data, say) is kept as it is.
    if (packed.size() < m_open.size() - m_open.size() / 8) {
        packed.squeeze();
        chunk.bytes = std::move(packed);
        chunk.packed = true;
        m_open.clear();
    } else {
        chunk.bytes = std::move(m_open);
        chunk.bytes.squeeze();
        m_open = QByteArray();
    }
    m_chunks.push_back(std::move(chunk));
}

void ReplaceRecord::finish()
{
    if (m_finished)
        return;
    closeRun();
    packRuns();
    closeChunk();
    m_open = QByteArray();
    m_runs = std::string();
    m_finished = true;
}

std::size_t ReplaceRecord::heldBytes() const
{
    std::size_t bytes = m_runs.capacity() + std::size_t(m_open.capacity()) +
                        std::size_t(m_replacement.size()) + m_chunks.capacity() * sizeof(Chunk) +
                        m_runChunks.capacity() * sizeof(QByteArray);
    for (const Chunk &chunk : m_chunks)
        bytes += std::size_t(chunk.bytes.capacity());
    for (const QByteArray &runs : m_runChunks)
        bytes += std::size_t(runs.capacity());
    return bytes;
}

ReplaceRecord::Reader::Reader(const ReplaceRecord &record) : m_record(record)
{
    Q_ASSERT(record.m_finished);
}

bool ReplaceRecord::Reader::loadChunk()
{
    if (m_chunk >= m_record.m_chunks.size())
        return false;
    const Chunk &chunk = m_record.m_chunks[m_chunk++];
    m_unpacked = chunk.packed ? qUncompress(chunk.bytes) : chunk.bytes;
    m_chunkOffset = 0;
    return true;
}

bool ReplaceRecord::Reader::loadRuns()
{
    if (m_runChunk >= m_record.m_runChunks.size())
        return false;
    m_runs = qUncompress(m_record.m_runChunks[m_runChunk++]);
    m_runOffset = 0;
    return true;
}

bool ReplaceRecord::Reader::next(Piece &piece)
{
    if (m_repeat == 0) {
        // A chunk holds whole runs.
        while (m_runOffset >= m_runs.size())
            if (!loadRuns())
                return false;
        m_gap = qsizetype(takeNumber(m_runs, m_runOffset));
        m_length = qsizetype(takeNumber(m_runs, m_runOffset));
        m_repeat = takeNumber(m_runs, m_runOffset);
        if (m_repeat == 0)
            return false;
    }
    --m_repeat;
    // Empty hits hold no text; any other hit starts a chunk when the current one is used up.
    while (m_length > 0 && m_chunkOffset + m_length > m_unpacked.size())
        if (!loadChunk())
            return false;
    piece.gap = m_gap;
    piece.before = QByteArrayView(m_unpacked.constData() + m_chunkOffset, m_length);
    m_chunkOffset += m_length;
    return true;
}

} // namespace pw::search
