// Reading a text file into editor bytes in chunks, and writing editor bytes to a file atomically.
#pragma once

#include "editor/encoding/codec.h"
#include "editor/encoding/docencoding.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace pw::enc {

// Reads a file in chunks of at most ChunkSize bytes and hands out each chunk decoded to editor
// bytes. Every full chunk is cut with cutChunk() and the rest starts the next chunk, so no byte is
// lost or read twice; the last chunk of the file is kept whole. Offsets are 64-bit. A file that
// shrinks while it is read simply ends early; a file that grows is read to its new end.
class TextFileReader
{
public:
    static constexpr std::int64_t ChunkSize = 262144;

    TextFileReader() = default;
    TextFileReader(const TextFileReader &) = delete;
    TextFileReader &operator=(const TextFileReader &) = delete;

    // Opens path for reading. markLength > 0 asks to skip the encoding's mark, which is done only
    // when the file really starts with markBytes(encoding); markLength() tells what was skipped.
    // Ansi, Auto and the raw codes 7-10 never skip anything. Folders, devices and pipes are
    // refused. On failure error gets the system's message and false is returned.
    bool open(const QString &path, DocEncoding encoding, int markLength, QString *error = nullptr);
    void close();

    // File size in bytes when opened (for progress and for reserving editor room).
    std::int64_t size() const { return m_size; }
    // Replaces editorBytes with the next decoded chunk (which may be empty, e.g. a chunk holding
    // only the mark). Returns false, leaving editorBytes empty, once the file is exhausted or a
    // read failed (see hasError()).
    bool nextChunk(std::string &editorBytes);
    // File bytes handed out so far, mark included.
    std::int64_t position() const { return m_position; }
    // Size in bytes of the file chunk behind the last nextChunk() result.
    std::size_t lastChunkSize() const { return m_lastChunkSize; }
    // True when the file cannot be written by this process (read-only attribute or permissions).
    bool wasReadOnly() const { return m_readOnly; }
    // Bytes of mark actually skipped: 0 or the size of markBytes(encoding).
    int markLength() const { return m_markLength; }
    DocEncoding encoding() const { return m_encoding; }
    bool hasError() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }

private:
    bool fill();

    QFile m_file;
    DocEncoding m_encoding = Ansi;
    Decoder m_decoder{Ansi};
    std::string m_buffer;
    std::size_t m_buffered = 0;
    std::int64_t m_size = 0;
    std::int64_t m_position = 0;
    std::size_t m_lastChunkSize = 0;
    int m_markLength = 0;
    bool m_readOnly = false;
    bool m_atEnd = true;
    bool m_done = true;
    QString m_error;
};

// Writes editor bytes to a file without ever leaving it half-written: the mark and the encoded
// text go to a temporary file in the target's folder, which replaces the target only on commit().
// The target keeps its permissions and, where the system allows, its owner and group. A symbolic
// link is followed and its final target replaced, so the link stays a link. When the system reports
// the target busy the replacement is retried every ReplaceRetryDelayMs, ReplaceAttempts times in
// all. On any failure the original file is left as it was, the temporary file is removed and
// error gets a readable reason. Destroying a writer that was not committed aborts it.
class TextFileWriter
{
public:
    static constexpr int ReplaceAttempts = 20;
    static constexpr int ReplaceRetryDelayMs = 50;

    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter &) = delete;
    TextFileWriter &operator=(const TextFileWriter &) = delete;

    // Prepares the temporary file and writes the mark of encoding. Fails when the target is not a
    // regular file (a folder, a device, a pipe), exists but is not writable, or its folder does
    // not accept a new file.
    bool open(const QString &path, DocEncoding encoding, QString *error = nullptr);
    // Encodes and writes a chunk of editor bytes (ideally ending on a character boundary).
    bool write(std::string_view editorBytes, QString *error = nullptr);
    // Completes the text, flushes it to disk and replaces the target.
    bool commit(QString *error = nullptr);
    // Drops the temporary file; the target is untouched.
    void abort();

    // Whether commit() waits for the data to reach the disk before replacing the target (default
    // on; turning it off trades crash safety for speed).
    void setSyncToDisk(bool sync) { m_sync = sync; }
    bool isOpen() const { return m_file.isOpen(); }
    // The file that commit() replaces: path with symbolic links resolved.
    const QString &targetPath() const { return m_target; }
    // File bytes written so far, mark included.
    std::int64_t bytesWritten() const { return m_written; }

    // Replaces the function that renames the temporary file over the target (tests use it to
    // simulate a busy target); an empty function restores the real one.
    using ReplaceFunction = std::function<std::error_code(const QString &from, const QString &to)>;
    static void setReplaceFunction(ReplaceFunction replace);

private:
    bool fail(QString *error, const QString &reason);
    bool writeRaw(std::string_view bytes, QString *error);

    QFile m_file;
    QString m_target;
    Encoder m_encoder{Ansi};
    std::string m_scratch;
    std::int64_t m_written = 0;
    bool m_sync = true;
};

} // namespace pw::enc
