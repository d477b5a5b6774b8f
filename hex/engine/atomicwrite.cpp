// Temporary file, hole-preserving kernel copies, flush and rename for a hex save.
#include "hex/engine/atomicwrite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace pw::hex {
namespace {

namespace fs = std::filesystem;

// Large enough that a kernel copy runs at full speed, small enough that a stop request and the
// progress bar are served several times a second.
constexpr Offset CopyChunk = 32 << 20;
constexpr std::size_t UserCopyBuffer = 1 << 20;
// Writeback starts behind the copy in steps of this size, so that the final flush has little left.
constexpr Offset WritebackStep = 16 << 20;

std::string errnoText(int code)
{
    return std::strerror(code);
}

// Follows a chain of symbolic links to the file that really holds the bytes; a dangling link
// gives the path it points to, so saving creates that file.
bool resolveLinks(const std::string &path, std::string &resolved, std::string &reason)
{
    fs::path current = fs::absolute(fs::path(path));
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec))) {
            resolved = current.string();
            return true;
        }
        const fs::path next = fs::read_symlink(current, ec);
        if (ec)
            break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    reason = "Cannot follow the symbolic link \"" + path + "\"";
    return false;
}

// The name's first bytes, never cutting a UTF-8 sequence, so the temporary name stays within
// the usual 255-byte limit.
std::string shortBase(const std::string &name)
{
    std::size_t n = std::min<std::size_t>(name.size(), 100);
    while (n > 0 && n < name.size() && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80)
        --n;
    return name.substr(0, n);
}

std::string randomTag()
{
    thread_local std::mt19937_64 generator{std::random_device{}()};
    char text[20];
    std::snprintf(text, sizeof text, "%08llx", static_cast<unsigned long long>(generator()));
    return text;
}

void syncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd); // best effort: the rename itself is already done
        ::close(fd);
    }
}

} // namespace

AtomicFileWriter::AtomicFileWriter(SaveOptions options) : m_options(std::move(options)) {}

AtomicFileWriter::~AtomicFileWriter()
{
    abandon();
}

void AtomicFileWriter::abandon()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool AtomicFileWriter::fail(std::string *error, const std::string &reason)
{
    abandon();
    if (error)
        *error = reason;
    return false;
}

bool AtomicFileWriter::begin(const std::string &path, Offset total, std::string *error)
{
    abandon();
    m_total = total;
    m_written = 0;
    m_flushedUpTo = 0;
    m_kernelCopy = true;
    if (path.empty())
        return fail(error, "No file name was given");
    std::string reason;
    if (!resolveLinks(path, m_target, reason))
        return fail(error, reason);

    struct stat st;
    const bool exists = ::stat(m_target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return fail(error, "\"" + m_target + "\" is a folder");
    if (exists && !S_ISREG(st.st_mode)) // a device or pipe must not be replaced by a file
        return fail(error, "\"" + m_target + "\" is not a regular file");
    if (exists && ::access(m_target.c_str(), W_OK) != 0)
        return fail(error, "\"" + m_target + "\" is read-only");

    // A hidden name beside the target, so the final rename never crosses file systems.
    const fs::path target(m_target);
    const std::string folder = target.parent_path().string();
    const std::string stem = folder + "/." + shortBase(target.filename().string()) + ".";
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        const std::string name = stem + randomTag() + ".pwtmp";
        m_fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            m_temporary = name;
        else if (errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        return fail(error,
                    "Cannot create a temporary file in \"" + folder + "\": " + errnoText(errno));
    }
    if (exists) {
        // Before any byte is written, so the bytes are never readable by more people than the
        // original's were. Only a privileged process may give a file away; others may still
        // match the group. Both are best effort: the new file otherwise stays ours.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            if (::fchown(m_fd, st.st_uid, st.st_gid) != 0 &&
                ::fchown(m_fd, uid_t(-1), st.st_gid) != 0) {
            }
        }
        // After fchown, which may clear set-id bits. Some file systems refuse modes.
        if (::fchmod(m_fd, st.st_mode & 07777) != 0) {
        }
    }
    return true;
}

void AtomicFileWriter::reportProgress()
{
    if (m_options.progress)
        m_options.progress(m_written, m_total);
}

void AtomicFileWriter::startWriteback()
{
#if defined(__linux__)
    // Starting the disk writes while the copy goes on leaves the final fsync little to wait for.
    if (m_options.sync && m_written - m_flushedUpTo >= WritebackStep) {
        (void)::sync_file_range(m_fd, m_flushedUpTo, m_written - m_flushedUpTo,
                                SYNC_FILE_RANGE_WRITE);
        m_flushedUpTo = m_written;
    }
#endif
}

bool AtomicFileWriter::writeAt(const void *bytes, std::size_t length, Offset at, std::string *error)
{
    const auto *p = static_cast<const std::uint8_t *>(bytes);
    while (length > 0) {
        const ssize_t n = ::pwrite(m_fd, p, length, off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (error)
                *error = "Cannot write \"" + m_target + "\": " + errnoText(n < 0 ? errno : ENOSPC);
            return false;
        }
        p += n;
        at += Offset(n);
        length -= std::size_t(n);
    }
    return true;
}

bool AtomicFileWriter::append(const void *bytes, std::size_t length, std::string *error)
{
    if (m_fd < 0)
        return fail(error, "The file is not open for writing");
    if (cancelled())
        return fail(error, "The save of \"" + m_target + "\" was stopped; the file is unchanged");
    if (!writeAt(bytes, length, m_written, error))
        return false;
    m_written += Offset(length);
    startWriteback();
    reportProgress();
    return true;
}

AtomicFileWriter::CopyStatus AtomicFileWriter::copyData(int fd, Offset from, Offset length,
                                                        Offset to, std::string *error,
                                                        Offset *shortAt)
{
    std::vector<std::uint8_t> buffer;
    while (length > 0) {
        if (cancelled())
            return CopyStatus::Cancelled;
        const Offset chunk = std::min(length, CopyChunk);
        ssize_t n = -1;
        if (m_kernelCopy) {
            // In the kernel: no copy through this process, and a reflink where the file system
            // offers one.
            loff_t in = from;
            loff_t out = to;
            n = ::copy_file_range(fd, &in, m_fd, &out, std::size_t(chunk), 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                m_kernelCopy = false; // across file systems, or not offered: copy by hand
        }
        if (!m_kernelCopy) {
            buffer.resize(UserCopyBuffer);
            n = ::pread(fd, buffer.data(), std::min<std::size_t>(buffer.size(), std::size_t(chunk)),
                        off_t(from));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                if (error)
                    *error = errnoText(errno);
                return CopyStatus::SourceFailed;
            }
            if (n > 0 && !writeAt(buffer.data(), std::size_t(n), to, error))
                return CopyStatus::WriteFailed;
        }
        if (n == 0) {
            if (shortAt)
                *shortAt = from;
            return CopyStatus::SourceShort;
        }
        from += n;
        to += n;
        length -= n;
        if (m_options.progress)
            m_options.progress(to, m_total);
    }
    return CopyStatus::Copied;
}

AtomicFileWriter::CopyStatus AtomicFileWriter::appendFrom(int fd, Offset from, Offset length,
                                                          std::string *error, Offset *shortAt)
{
    if (m_fd < 0) {
        if (error)
            *error = "The file is not open for writing";
        return CopyStatus::WriteFailed;
    }
    const Offset end = from + length;
    Offset pos = from;
    while (pos < end) {
        if (cancelled())
            return CopyStatus::Cancelled;
        // Only the data parts are copied; a hole stays a hole because nothing is written there.
        off_t data = ::lseek(fd, off_t(pos), SEEK_DATA);
        if (data < 0 && errno == ENXIO) {
            // No data from pos on: a trailing hole, or the file ended early.
            struct stat st;
            if (::fstat(fd, &st) == 0 && Offset(st.st_size) < end) {
                if (shortAt)
                    *shortAt = std::max<Offset>(st.st_size, from);
                return CopyStatus::SourceShort;
            }
            data = off_t(end);
        } else if (data < 0) {
            data = off_t(pos); // holes unknown here: all of it is data
        }
        if (Offset(data) >= end)
            break;
        off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole < 0 || Offset(hole) > end)
            hole = off_t(end);
        const CopyStatus status = copyData(fd, Offset(data), Offset(hole - data),
                                           m_written + (data - from), error, shortAt);
        if (status != CopyStatus::Copied)
            return status;
        pos = Offset(hole);
    }
    m_written += length;
    startWriteback();
    reportProgress();
    return CopyStatus::Copied;
}

bool AtomicFileWriter::commit(std::string *error)
{
    if (m_fd < 0)
        return fail(error, "The file is not open for writing");
    if (cancelled())
        return fail(error, "The save of \"" + m_target + "\" was stopped; the file is unchanged");
    // Gives a trailing hole its length.
    if (::ftruncate(m_fd, off_t(m_written)) != 0)
        return fail(error, "Cannot write \"" + m_target + "\": " + errnoText(errno));
    if (m_options.sync && ::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        return fail(error, "Cannot write \"" + m_target + "\": " + errnoText(errno));
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return fail(error, "Cannot replace \"" + m_target + "\": " + errnoText(errno));
    m_temporary.clear();
    if (m_options.sync)
        syncFolder(fs::path(m_target).parent_path().string());
    return true;
}

int AtomicFileWriter::takeDescriptor()
{
    if (!m_temporary.empty())
        return -1; // not committed: the descriptor belongs to a file about to be removed
    return std::exchange(m_fd, -1);
}

} // namespace pw::hex
