// Thin file operations for the reader and the writer that keep the system's reason for a failure.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace pw::enc {
struct FileStamp;
}

namespace pw::enc::sys {

// A failed system call: its error number and the system's text for it ("No space left on
// device"). A default-constructed value means success.
struct Error
{
    int code = 0;
    QString text;
    explicit operator bool() const { return code != 0; }
    static Error fromCode(int code);
};

// What the system tells about a file (following symbolic links).
struct Info
{
    bool exists = false;
    bool regular = false;
    bool directory = false;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // last modification, nanoseconds since the epoch
    std::int64_t accessedNs = 0; // last read, likewise
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    std::uint64_t links = 1;
    unsigned mode = 0; // permission bits, set-id and sticky bits included
    unsigned owner = 0;
    unsigned group = 0;
};

// The stamp of what info describes.
FileStamp stampOf(const Info &info);

// Missing files give exists == false and no error; other failures (a folder that cannot be
// searched) give the error.
Error infoOf(const QString &path, Info &info);
// Like infoOf but does not follow a final symbolic link.
Error linkInfoOf(const QString &path, Info &info);
// When the file was made, in nanoseconds since the epoch; 0 where the system does not keep it or
// cannot tell.
std::int64_t createdNs(const QString &path);
// Sets the permission bits (07777) of the file.
Error setMode(const QString &path, unsigned mode);
Error removeFile(const QString &path);
Error renameFile(const QString &from, const QString &to);
// Whether this process may write to the file.
bool isWritable(const QString &path);
// Best effort: makes a rename in folder durable.
void syncFolder(const QString &folder);
// Whether this process runs with the right to give files away (root).
bool mayChangeOwners();

// One open file descriptor, closed on destruction.
class File
{
public:
    File() = default;
    ~File();
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    // A new file that must not exist yet (never follows a link planted at path), open for reading
    // and writing, created with mode (before the umask).
    Error createNew(const QString &path, unsigned mode);
    // An existing file opened for writing without truncating it.
    Error openForWriting(const QString &path);
    Error openForReading(const QString &path);
    // A file with no name in folder, gone as soon as it is closed (or the process dies).
    Error createAnonymous(const QString &folder);

    bool isOpen() const { return m_fd >= 0; }
    Error close();

    // Reads up to max bytes at the current position; got == 0 means the end of the file.
    Error read(char *data, std::size_t max, std::size_t &got);
    Error readAt(std::int64_t offset, char *data, std::size_t max, std::size_t &got);
    Error writeAll(const char *data, std::size_t size);
    Error writeAt(std::int64_t offset, const char *data, std::size_t size);
    Error seekToStart();
    Error truncate(std::int64_t size);
    Error sync();
    // Reserves disk space for [offset, offset + length) without changing the file's size, so a
    // full disk shows before anything is overwritten. Succeeds where the system cannot reserve.
    Error reserve(std::int64_t offset, std::int64_t length);
    Error info(Info &info) const;
    Error setOwner(unsigned owner, unsigned group);
    Error setMode(unsigned mode);

private:
    int m_fd = -1;
};

} // namespace pw::enc::sys
