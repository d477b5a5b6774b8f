// Recovery files: the unsaved text of one document with what is needed to open it again.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace pw::recovery {

// What a snapshot knows of its document besides the text.
struct SnapshotHeader
{
    QString path;  // the file, empty when the document was never saved
    QString title; // shown for a document without a file
    int encoding = 0;
    int markLength = 0;
    int lineEnding = 0;
    std::int64_t caret = 0;
    // The file on disk when the document was loaded or saved last; size -1 when there was none.
    std::int64_t diskSize = -1;
    std::int64_t diskModifiedNs = 0;
    std::int64_t snapshotMs = 0; // when the snapshot was taken, ms since the epoch (UTC)
};

struct Snapshot
{
    SnapshotHeader header;
    QByteArray text; // the editor's bytes, as they are
};

// The whole file: a fixed magic, the header fields, the text, and a CRC-32 of everything before
// it. Integers are little-endian.
QByteArray encodeSnapshot(const Snapshot &snapshot);

enum class ParseError { None, Foreign, Truncated, Damaged };

// Reads bytes of an untrusted file. Any length, field or checksum that does not add up gives an
// error and no snapshot; nothing beyond size is read.
std::optional<Snapshot> decodeSnapshot(const char *data, std::size_t size, ParseError *error = nullptr);

// Only the header, from the first bytes of a file whose full size is fileSize: the start-up list
// needs no text. The checksum is not verified here, only that the sizes agree.
// textSize, when given, receives the size of the text.
std::optional<SnapshotHeader> decodeHeader(const QByteArray &head, std::int64_t fileSize,
                                           ParseError *error = nullptr,
                                           std::int64_t *textSize = nullptr);

// Bytes of a file enough for decodeHeader whatever its path length.
constexpr int HeaderReadLimit = 64 * 1024 + 256;

// Writes path through a temporary file in the same folder, flushed to disk, renamed over path,
// and the folder flushed too, so a crash leaves the old file or the new one, never a mix. false
// (and error set) when anything failed; the temporary file is removed then. The pieces are
// written one after the other.
bool writeFileAtomically(const QString &path, const QList<QByteArrayView> &pieces,
                         QString *error = nullptr);
inline bool writeFileAtomically(const QString &path, const QByteArray &bytes,
                                QString *error = nullptr)
{
    return writeFileAtomically(path, QList<QByteArrayView>{bytes}, error);
}
// The bytes of encodeSnapshot(snapshot), written without assembling them: a big text is not
// copied again.
bool writeSnapshotFile(const QString &path, const Snapshot &snapshot, QString *error = nullptr);

constexpr const char *FileSuffix = ".pwrec";

// One recovery file as the start-up list shows it.
struct Entry
{
    QString file;      // the recovery file
    bool damaged = false;
    SnapshotHeader header; // meaningful when not damaged
    std::int64_t textSize = 0;
};

// Recovery files of folder (sorted by name); those whose name starts with one of skipPrefixes
// (the files of running instances) are left out.
QList<Entry> listEntries(const QString &folder, const QStringList &skipPrefixes = {});

// The full snapshot of a recovery file, its checksum verified.
std::optional<Snapshot> readSnapshot(const QString &file, ParseError *error = nullptr);

// Whether the file on disk differs from what the snapshot's document had loaded or saved.
bool diskFileChanged(const SnapshotHeader &header);

} // namespace pw::recovery
