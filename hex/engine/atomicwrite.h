// Writes a new file beside its target and renames it over the target only once it is complete.
#pragma once

#include "hex/engine/bytesource.h"

#include <functional>
#include <stop_token>
#include <string>

namespace pw::hex {

struct SaveOptions
{
    // Flush the new file and its folder to disk before and after the rename.
    bool sync = true;
    // Called now and then with the bytes written so far and the total.
    std::function<void(Offset written, Offset total)> progress;
    // A stop request abandons the save; the target stays as it was.
    std::stop_token stop;
};

// One save. The temporary file is removed unless commit() succeeds, so the target is either the
// old file or the complete new one, never a mix. Bytes are appended in order; ranges copied from
// another file keep that file's holes, so a sparse file stays sparse.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(SaveOptions options = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // Creates the temporary file in the folder of path (symbolic links followed to the real
    // file), giving it the target's permissions before anything is written. total is the length
    // the file will have, for progress.
    bool begin(const std::string &path, Offset total, std::string *error);
    bool append(const void *bytes, std::size_t length, std::string *error);

    enum class CopyStatus {
        Copied,
        SourceShort,  // the source ended early: *shortAt tells where
        SourceFailed, // reading the source failed: *error says why
        WriteFailed,  // *error says why
        Cancelled,
    };
    // Appends bytes [from, from + length) of the open file fd.
    CopyStatus appendFrom(int fd, Offset from, Offset length, std::string *error, Offset *shortAt);

    // Sizes, flushes and renames the file over the target. On failure the target is untouched.
    bool commit(std::string *error);
    // After commit: the descriptor of the new file (read-write), now the caller's to close.
    int takeDescriptor();

    // The file that is replaced: the given path with symbolic links followed.
    const std::string &target() const { return m_target; }
    Offset written() const { return m_written; }

private:
    bool fail(std::string *error, const std::string &reason);
    void abandon();
    bool cancelled() const { return m_options.stop.stop_requested(); }
    void reportProgress();
    bool writeAt(const void *bytes, std::size_t length, Offset at, std::string *error);
    CopyStatus copyData(int fd, Offset from, Offset length, Offset to, std::string *error,
                        Offset *shortAt);
    void startWriteback();

    SaveOptions m_options;
    std::string m_target;
    std::string m_temporary;
    int m_fd = -1;
    Offset m_total = 0;
    Offset m_written = 0;     // logical length so far (holes included)
    Offset m_flushedUpTo = 0; // writeback started up to here
    bool m_kernelCopy = true; // copy_file_range works between these files
};

} // namespace pw::hex
