// What undoes and redoes a Replace All: where each hit was and the text it held, packed small.
#pragma once

#include "editor/textsearch/match.h"

#include <QByteArray>
#include <QByteArrayView>
#include <string>
#include <vector>

namespace pw::search {

// Every hit of one Replace All took the same replacement, so the only text worth keeping is what
// the hits held. Their places are kept as gaps of untouched text between them, run-length coded,
// so a hit at every character of a line costs a few bytes for the line; the text they held is
// packed with zlib a megabyte at a time. A hit at every character of 100 MB of generated source
// lines keeps a record of about a quarter of that, where the component's own undo would keep
// both the removed and the inserted text, twice the document.
class ReplaceRecord
{
public:
    // One hit as a replay sees it: the untouched bytes since the previous hit's end (since the
    // text's start for the first), and what the hit held before the replacement.
    struct Piece
    {
        qsizetype gap = 0;
        QByteArrayView before;
    };

    class Reader
    {
    public:
        // The record must be finished and outlive the reader.
        explicit Reader(const ReplaceRecord &record);
        // The next hit in text order; false after the last. piece.before stays valid until the
        // next call.
        bool next(Piece &piece);

    private:
        bool loadChunk();
        bool loadRuns();

        const ReplaceRecord &m_record;
        std::size_t m_runChunk = 0;
        QByteArray m_runs;
        qsizetype m_runOffset = 0;
        qsizetype m_gap = 0;
        qsizetype m_length = 0;
        quint64 m_repeat = 0;
        std::size_t m_chunk = 0;
        QByteArray m_unpacked;
        qsizetype m_chunkOffset = 0;
    };

    explicit ReplaceRecord(QByteArray replacement);

    // One batch of hits before it is applied: positions in the whole text as it is then (all
    // earlier batches applied), in order and never overlapping; text points at its first byte.
    void addBatch(const char *text, const std::vector<Match> &hits);
    // No more hits; the record can be read from now on.
    void finish();

    const QByteArray &replacement() const { return m_replacement; }
    qint64 hitCount() const { return m_hits; }
    // What the record holds in memory, near enough.
    std::size_t heldBytes() const;

    // Packing starts a new chunk after this many bytes of hit text (a hit is never split).
    static constexpr qsizetype ChunkBytes = 1 << 20;
    // The places are packed too, in chunks of about this many bytes of whole runs.
    static constexpr std::size_t RunChunkBytes = 1 << 18;

private:
    struct Chunk
    {
        QByteArray bytes;
        bool packed = false;
    };

    void addHit(qsizetype gap, const char *bytes, qsizetype length);
    void closeRun();
    void packRuns();
    void closeChunk();

    QByteArray m_replacement;
    qint64 m_hits = 0;
    bool m_finished = false;
    // Varint triples: gap, hit length, how many hits in a row share both; the open chunk, then
    // the packed ones.
    std::string m_runs;
    std::vector<QByteArray> m_runChunks;
    qsizetype m_runGap = -1;
    qsizetype m_runLength = 0;
    quint64 m_runRepeat = 0;
    std::vector<Chunk> m_chunks;
    QByteArray m_open;
    // End of the last hit's replacement in the text as its batch left it.
    qsizetype m_lastEnd = 0;
};

} // namespace pw::search
