// The file operations of fileops.h over POSIX calls.
#include "editor/encoding/fileops.h"
#include "editor/encoding/nativepath.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pw::enc::sys {
namespace {

QByteArray native(const QString &path)
{
    return nativeFromPath(path);
}

Error lastError()
{
    return Error::fromCode(errno);
}

void fill(const struct stat &st, Info &info)
{
    info.exists = true;
    info.regular = S_ISREG(st.st_mode);
    info.directory = S_ISDIR(st.st_mode);
    info.size = std::int64_t(st.st_size);
#if defined(__APPLE__)
    info.modifiedNs = std::int64_t(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
    info.accessedNs = std::int64_t(st.st_atimespec.tv_sec) * 1000000000 + st.st_atimespec.tv_nsec;
#else
    info.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    info.accessedNs = std::int64_t(st.st_atim.tv_sec) * 1000000000 + st.st_atim.tv_nsec;
#endif
    info.inode = std::uint64_t(st.st_ino);
    info.device = std::uint64_t(st.st_dev);
    info.links = std::uint64_t(st.st_nlink);
    info.mode = unsigned(st.st_mode & 07777);
    info.owner = unsigned(st.st_uid);
    info.group = unsigned(st.st_gid);
}

Error statWith(int (*call)(const char *, struct stat *), const QString &path, Info &info)
{
    info = Info{};
    struct stat st;
    if (call(native(path).constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return lastError();
    }
    fill(st, info);
    return {};
}

} // namespace

Error Error::fromCode(int code)
{
    Error e;
    e.code = code;
    if (code != 0)
        e.text = QString::fromStdString(std::generic_category().message(code));
    return e;
}

Error infoOf(const QString &path, Info &info)
{
    return statWith(::stat, path, info);
}

Error linkInfoOf(const QString &path, Info &info)
{
    return statWith(::lstat, path, info);
}

std::int64_t createdNs(const QString &path)
{
#if defined(__linux__) && defined(STATX_BTIME)
    struct statx st;
    if (::statx(AT_FDCWD, native(path).constData(), 0, STATX_BTIME, &st) == 0 &&
        (st.stx_mask & STATX_BTIME))
        return std::int64_t(st.stx_btime.tv_sec) * 1000000000 + st.stx_btime.tv_nsec;
#elif defined(__APPLE__)
    struct stat st;
    if (::stat(native(path).constData(), &st) == 0)
        return std::int64_t(st.st_birthtimespec.tv_sec) * 1000000000 +
               st.st_birthtimespec.tv_nsec;
#else
    (void)path; // this system keeps no creation time
#endif
    return 0;
}

Error setMode(const QString &path, unsigned mode)
{
    return ::chmod(native(path).constData(), mode_t(mode & 07777)) == 0 ? Error{} : lastError();
}

Error removeFile(const QString &path)
{
    return ::unlink(native(path).constData()) == 0 ? Error{} : lastError();
}

Error renameFile(const QString &from, const QString &to)
{
    return ::rename(native(from).constData(), native(to).constData()) == 0 ? Error{} : lastError();
}

bool isWritable(const QString &path)
{
    return ::access(native(path).constData(), W_OK) == 0;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd); // best effort: some file systems cannot sync a folder
        ::close(fd);
    }
}

bool mayChangeOwners()
{
    return ::geteuid() == 0;
}

File::~File()
{
    close();
}

Error File::close()
{
    if (m_fd < 0)
        return {};
    const int fd = m_fd;
    m_fd = -1;
    // After a failed close the descriptor is gone all the same; the error still matters (NFS
    // reports write failures here).
    return ::close(fd) == 0 || errno == EINTR ? Error{} : lastError();
}

Error File::createNew(const QString &path, unsigned mode)
{
    close();
    m_fd = ::open(native(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
    return m_fd >= 0 ? Error{} : lastError();
}

Error File::openForWriting(const QString &path)
{
    close();
    m_fd = ::open(native(path).constData(), O_WRONLY | O_CLOEXEC);
    return m_fd >= 0 ? Error{} : lastError();
}

Error File::openForReading(const QString &path)
{
    close();
    m_fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    return m_fd >= 0 ? Error{} : lastError();
}

Error File::createAnonymous(const QString &folder)
{
    close();
    QByteArray name = native(QDir(folder).filePath(QStringLiteral(".pw-save-XXXXXX")));
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return lastError();
    ::unlink(name.constData());
    return {};
}

Error File::read(char *data, std::size_t max, std::size_t &got)
{
    got = 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, data, max);
        if (n >= 0) {
            got = std::size_t(n);
            return {};
        }
        if (errno != EINTR)
            return lastError();
    }
}

Error File::readAt(std::int64_t offset, char *data, std::size_t max, std::size_t &got)
{
    got = 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, data, max, off_t(offset));
        if (n >= 0) {
            got = std::size_t(n);
            return {};
        }
        if (errno != EINTR)
            return lastError();
    }
}

Error File::writeAll(const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (n == 0)
            return Error::fromCode(EIO);
        data += n;
        size -= std::size_t(n);
    }
    return {};
}

Error File::writeAt(std::int64_t offset, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, data, size, off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (n == 0)
            return Error::fromCode(EIO);
        data += n;
        offset += n;
        size -= std::size_t(n);
    }
    return {};
}

Error File::seekToStart()
{
    return ::lseek(m_fd, 0, SEEK_SET) == 0 ? Error{} : lastError();
}

Error File::truncate(std::int64_t size)
{
    return ::ftruncate(m_fd, off_t(size)) == 0 ? Error{} : lastError();
}

Error File::sync()
{
    if (::fsync(m_fd) == 0 || errno == EINVAL || errno == EROFS) // some files cannot be synced
        return {};
    return lastError();
}

Error File::reserve(std::int64_t offset, std::int64_t length)
{
#if defined(__linux__)
    if (length <= 0 || ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, off_t(offset), off_t(length)) == 0)
        return {};
    if (errno == EOPNOTSUPP || errno == ENOSYS)
        return {};
    return lastError();
#else
    (void)offset; // no portable way to reserve without changing the size
    (void)length;
    return {};
#endif
}

Error File::info(Info &info) const
{
    info = Info{};
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return lastError();
    fill(st, info);
    return {};
}

Error File::setOwner(unsigned owner, unsigned group)
{
    return ::fchown(m_fd, uid_t(owner), gid_t(group)) == 0 ? Error{} : lastError();
}

Error File::setMode(unsigned mode)
{
    return ::fchmod(m_fd, mode_t(mode)) == 0 ? Error{} : lastError();
}

} // namespace pw::enc::sys
