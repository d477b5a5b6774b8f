// Writing editor text to a file safely: strict encoding first, then replace or write in place.
#pragma once

#include "editor/encoding/codec.h"
#include "editor/encoding/docencoding.h"
#include "editor/encoding/fileops.h"
#include "editor/encoding/filestamp.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace pw::enc {

// Writes editor text (UTF-8) to a file. The mark and the encoded text first go to a staging file;
// the target is touched only on commit(), so a character the encoding cannot hold, a full disk or
// any other failure while writing leaves the target as it was.
//
// How commit() puts the text in place:
//  - Replace (the usual case: the folder is writable and the file has one name): the staging file
//    is the hidden ".<name>.pw-save" beside the target, given the target's permissions, owner and
//    group, flushed to disk and renamed over the target. When the owner or group cannot be kept
//    (the file belongs to someone else), the text is written in place instead.
//  - In place (the file has several hard links, or its folder is not writable but the file is):
//    the staging file is ".<name>.pw-save" when the folder is writable, otherwise a nameless file
//    in the system's temporary folder. commit() reserves the disk space first, then copies the
//    staged text over the file's bytes and cuts it to length, so every name of the file shows the
//    new text and its identity, owner and permissions stay. Only a failure during that copy can
//    leave the target part-written; the message then says so.
// A staging file left by an earlier save that was killed is removed by the next save of the same
// file. A symbolic link is followed and its final target written, so the link stays a link. When
// the system reports the target busy, the rename is retried every ReplaceRetryDelayMs,
// ReplaceAttempts times in all. Destroying a writer that was not committed aborts it.
class TextFileWriter
{
public:
    static constexpr int ReplaceAttempts = 20;
    static constexpr int ReplaceRetryDelayMs = 50;

    enum class Status {
        Ok,
        CannotEncode, // the text holds a character the encoding cannot hold: see unencodable()
        Failed,       // the system refused: see errorString() and systemReason()
    };
    enum class Method { None, Replace, InPlace };

    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter &) = delete;
    TextFileWriter &operator=(const TextFileWriter &) = delete;

    // Prepares the staging file and writes the mark of encoding when markLength > 0 (0 writes no
    // mark; the 8-bit encodings never have one). Auto and invalid codes write Windows-1252. Fails
    // when the target is not a regular file (a folder, a device, a pipe), cannot be written, or
    // neither its folder nor the file itself accepts the text.
    bool open(const QString &path, DocEncoding encoding, int markLength, QString *error = nullptr);
    // The older form: writes the encoding's mark whenever it has one.
    bool open(const QString &path, DocEncoding encoding, QString *error = nullptr);
    // Encodes and writes a chunk of editor bytes (ideally ending on a character boundary). At a
    // character the encoding cannot hold, the save is abandoned (status() CannotEncode, nothing of
    // the target touched) and false is returned.
    bool write(std::string_view editorBytes, QString *error = nullptr);
    // Bytes written after the text on commit: the partial unit TextFileReader::trailingBytes()
    // kept out of the text of a UTF-16 or UTF-32 file, so it survives a save.
    void setTrailingBytes(std::string_view bytes) { m_trailing.assign(bytes); }
    // Completes the text and puts it in place (see above). On success stamp() is the saved file's.
    bool commit(QString *error = nullptr);
    // Drops the staging file; the target is untouched.
    void abort();

    Status status() const { return m_status; }
    // What failed, with the system's reason: "Cannot write "/x/a.txt": No space left on device".
    QString errorString() const { return m_error; }
    // Only the system's reason ("No space left on device"), or a short reason of ours, for a
    // second line under the program's own message.
    QString systemReason() const { return m_reason; }
    // The first character the encoding cannot hold, when status() is CannotEncode.
    const std::optional<Unencodable> &unencodable() const { return m_encoder.unencodable(); }
    // How commit() puts the text in place; None before open() succeeded.
    Method method() const { return m_method; }
    // The saved file's stamp after a successful commit().
    const FileStamp &stamp() const { return m_stamp; }

    // The staging file name used for target: ".<name>.pw-save" in the same folder (shortened with
    // a hash when the name is too long for the file system).
    static QString stagingPathFor(const QString &target);

    // Whether commit() waits for the data to reach the disk (default on; turning it off trades
    // crash safety for speed, e.g. in benchmarks).
    void setSyncToDisk(bool sync) { m_sync = sync; }
    bool isOpen() const { return m_staging.isOpen(); }
    // The file that commit() writes: path with symbolic links resolved.
    const QString &targetPath() const { return m_target; }
    // File bytes written so far, mark included.
    std::int64_t bytesWritten() const { return m_written; }

    // Replaces the function that renames the staging file over the target (tests use it to
    // simulate a busy target); an empty function restores the real one.
    using ReplaceFunction = std::function<std::error_code(const QString &from, const QString &to)>;
    static void setReplaceFunction(ReplaceFunction replace);

private:
    bool fail(QString *error, const QString &message, const QString &reason);
    bool cannotEncode(QString *error);
    bool writeRaw(std::string_view bytes, QString *error);
    bool openStaging(const sys::Info &target, QString *error);
    bool commitReplace(QString *error);
    bool commitInPlace(QString *error);

    sys::File m_staging;
    sys::File m_targetFile; // open for writing in place
    QString m_stagingPath;  // empty for a nameless staging file
    QString m_target;
    Method m_method = Method::None;
    Status m_status = Status::Ok;
    Encoder m_encoder{Ansi};
    std::string m_scratch;
    std::string m_trailing;
    std::int64_t m_written = 0;
    bool m_sync = true;
    bool m_keepStaging = false; // it holds the only whole copy of the text after a failed copy
    FileStamp m_stamp;
    QString m_error;
    QString m_reason;
};

} // namespace pw::enc
