// Reading a text file into the editor's UTF-8 in chunks, deciding its encoding on the way.
#pragma once

#include "editor/encoding/codec.h"
#include "editor/encoding/docencoding.h"
#include "editor/encoding/fileops.h"
#include "editor/encoding/filestamp.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

namespace pw::enc {

// Reads a file in chunks of at most ChunkSize bytes and hands out each chunk decoded to editor
// bytes. Every full chunk is cut with cutChunk() and the rest starts the next chunk, so no byte is
// lost or read twice; the last chunk of the file is kept whole. Offsets are 64-bit.
//
// Typical use:
//     reader.open(path, Auto, &error);
//     for (;;) {
//         while (reader.nextChunk(chunk)) append(chunk);
//         if (!reader.restartRequired()) break;
//         clearEverythingAppended();
//         reader.restartAsAnsi();
//     }
//     if (reader.hasError()) fail(reader.errorString());
//     encoding = reader.encoding(); markLength = reader.markLength(); stamp = reader.stamp();
//
// A read error, or the file becoming shorter than it was when opened, ends the reading with
// hasError(): never a truncated success. A file that grows is read to its new end.
class TextFileReader
{
public:
    static constexpr std::int64_t ChunkSize = 262144;

    TextFileReader() = default;
    TextFileReader(const TextFileReader &) = delete;
    TextFileReader &operator=(const TextFileReader &) = delete;

    // Opens path for reading. With Auto the encoding is detected as EncodingDetector does, from
    // the first bytes of the file; when they find none (and hold no zero byte) the whole file is
    // checked as it is read (see Decoder): well-formed UTF-8 with at least one multi-byte sequence
    // is Utf8 without a mark, anything else Ansi. Any other encoding is read as named; a mark of
    // that encoding at the start of the file is skipped whenever it is there (8-bit encodings
    // never skip). Folders, devices and pipes are refused. On failure error gets the reason and
    // false is returned.
    bool open(const QString &path, DocEncoding encoding, QString *error = nullptr);
    // The older form: markLength is not needed any more (a present mark is always recognised).
    bool open(const QString &path, DocEncoding encoding, int markLength, QString *error = nullptr);
    void close();

    // Replaces editorBytes with the next decoded chunk (which may be empty, e.g. a chunk holding
    // only the mark). Returns false, leaving editorBytes empty, once the file is exhausted, a read
    // failed (hasError()) or the whole-file check needs a restart (restartRequired()).
    bool nextChunk(std::string &editorBytes);

    // True when the whole-file check met bytes that are not UTF-8 after it had already handed out
    // multi-byte characters: the file is Ansi after all. The caller drops every chunk it has and
    // calls restartAsAnsi(). Rare: the file must be mostly UTF-8 with a stray Windows-1252 byte
    // more than a chunk after its first non-ASCII character.
    bool restartRequired() const { return m_restartRequired; }
    // Reads the file again from its first byte as Windows-1252. Returns false (with the reason)
    // when no restart was required or the file cannot be read again.
    bool restartAsAnsi(QString *error = nullptr);
    bool wasRestarted() const { return m_restarted; }

    // The encoding the file is read in. Final once nextChunk() returned false without an error or
    // a restart; before that it is Auto while the whole-file check is undecided.
    DocEncoding encoding() const { return m_decoder.encoding(); }
    // Bytes of mark skipped: 0 or the size of markBytes(encoding()).
    int markLength() const { return m_markLength; }
    // A partial code unit at the end of a UTF-16 (odd last byte) or UTF-32 file, kept out of the
    // text; final once the file is exhausted. The document should warn and hand it back to
    // TextFileWriter::setTrailingBytes() while it saves in the same encoding.
    const std::string &trailingBytes() const { return m_decoder.trailingBytes(); }

    // File size in bytes when opened (for progress).
    std::int64_t size() const { return m_size; }
    // Editor bytes the whole file is expected to decode to, for reserving the editor's buffer:
    // the file size scaled by how the first chunk decodes, plus 1 %. Windows-1252 text with
    // accents grows in UTF-8 and UTF-16 text shrinks, so reserving size() would make the editor
    // reallocate (and copy) the whole text once near the end of the load, or waste room.
    std::int64_t textSizeEstimate() const { return m_textSizeEstimate; }
    // File bytes handed out so far, mark included.
    std::int64_t position() const { return m_position; }
    // Size in bytes of the file chunk behind the last nextChunk() result.
    std::size_t lastChunkSize() const { return m_lastChunkSize; }
    // True when the file cannot be written by this process (read-only attribute or permissions).
    bool wasReadOnly() const { return m_readOnly; }
    // The file's stamp when it was opened; compare later with FileStamp::of().
    const FileStamp &stamp() const { return m_stamp; }

    bool hasError() const { return !m_error.isEmpty(); }
    // What failed, with the system's reason: "Cannot read "/x/a.txt": Input/output error".
    QString errorString() const { return m_error; }
    // Only the system's reason ("Input/output error"), or a short reason of ours.
    QString systemReason() const { return m_reason; }

    // Tests: called before every read with the file offset; a non-zero result is an error number
    // that read fails with. An empty function restores normal reading.
    using ReadFault = std::function<int(std::int64_t offset)>;
    static void setReadFault(ReadFault fault);

private:
    bool fail(const QString &message, const QString &reason);
    bool fill();
    void startDecoding(DocEncoding requested);

    QString m_path;
    sys::File m_file;
    Decoder m_decoder{Ansi};
    std::string m_buffer;
    std::size_t m_buffered = 0;
    std::int64_t m_size = 0;
    std::int64_t m_textSizeEstimate = 0;
    std::int64_t m_read = 0;     // bytes read from the file
    std::int64_t m_position = 0; // bytes handed out
    std::size_t m_lastChunkSize = 0;
    int m_markLength = 0;
    bool m_readOnly = false;
    bool m_atEnd = true;
    bool m_done = true;
    bool m_restartRequired = false;
    bool m_restarted = false;
    FileStamp m_stamp;
    QString m_error;
    QString m_reason;
};

} // namespace pw::enc
