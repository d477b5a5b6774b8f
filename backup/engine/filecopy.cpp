// Whole-file copies that use the file system's cheap copy where it has one, and file times.
#include "backup/engine/filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace pw::backup {

const char *copyMethodName(CopyMethod method)
{
    switch (method) {
    case CopyMethod::Clone:
        return "clone";
    case CopyMethod::CopyRange:
        return "copy_file_range";
    case CopyMethod::ReadWrite:
        return "read/write";
    }
    return "";
}

bool removeFile(const QString &path)
{
    QFile file(path);
    return file.remove() || !QFileInfo::exists(path);
}

qint64 creationTime(const QString &path)
{
    return creationTime(QFileInfo(path));
}

qint64 creationTime(const QFileInfo &info)
{
    QDateTime when = info.birthTime();
    if (!when.isValid())
        when = info.lastModified();
    return when.isValid() ? when.toSecsSinceEpoch() : 0;
}

#ifdef Q_OS_UNIX

namespace {

constexpr std::size_t BufferSize = 1 << 20;

QString systemError(const char *what, int error)
{
    return QString::fromLatin1(what) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(error));
}

// Closes a descriptor on every way out.
class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes now and reports the error a file system may only give at close (NFS, quotas).
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// Copies the rest of `src` from its current offset to `dst` at its current offset.
// Returns 0 or an errno value.
int readWriteLoop(int src, int dst)
{
    const std::unique_ptr<char[]> buffer(new char[BufferSize]);
    for (;;) {
        const ssize_t got = ::read(src, buffer.get(), BufferSize);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(dst, buffer.get() + done, std::size_t(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += put;
        }
    }
}

#ifdef Q_OS_LINUX
// True when the error only says this file system (or this pair of file systems) cannot do the
// cheaper copy, so the next method may still succeed.
bool unsupported(int error)
{
    return error == ENOSYS || error == EXDEV || error == EOPNOTSUPP || error == EINVAL ||
           error == ENOTTY || error == EBADF || error == EPERM || error == ETXTBSY;
}
#endif

// Moves every byte of src to dst (both at offset 0). Returns 0 or an errno value.
int copyBytes(int src, int dst, CopyMethod cheapest, CopyMethod *used)
{
#ifdef Q_OS_LINUX
    if (cheapest == CopyMethod::Clone) {
        if (::ioctl(dst, FICLONE, src) == 0) {
            *used = CopyMethod::Clone;
            return 0;
        }
        if (!unsupported(errno))
            return errno;
        cheapest = CopyMethod::CopyRange;
    }
    if (cheapest == CopyMethod::CopyRange) {
        bool copiedAny = false;
        for (;;) {
            const ssize_t n = ::copy_file_range(src, nullptr, dst, nullptr, 1 << 30, 0);
            if (n > 0) {
                copiedAny = true;
                continue;
            }
            if (n == 0)
                break; // end of file; the loop below picks up anything a pseudo-file held back
            if (errno == EINTR)
                continue;
            if (copiedAny || !unsupported(errno))
                return errno;
            break;
        }
        *used = copiedAny ? CopyMethod::CopyRange : CopyMethod::ReadWrite;
        return readWriteLoop(src, dst);
    }
#else
    Q_UNUSED(cheapest);
#endif
    *used = CopyMethod::ReadWrite;
    return readWriteLoop(src, dst);
}

} // namespace

CopyOutcome copyFile(const QString &from, const QString &to, const QDateTime &stamp,
                     CopyMethod cheapest)
{
    CopyOutcome outcome;
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);

    Fd src(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    if (src.get() < 0) {
        outcome.error = systemError("open source", errno);
        return outcome;
    }
    struct stat info
    {
    };
    if (::fstat(src.get(), &info) != 0) {
        outcome.error = systemError("stat source", errno);
        return outcome;
    }
    if (!S_ISREG(info.st_mode)) {
        outcome.error = QStringLiteral("not a regular file");
        return outcome;
    }

    // A new inode rather than a truncated old one: the copy's birth time is the backup's time,
    // and a hard link to the old copy is left alone.
    if (::unlink(target.constData()) != 0 && errno != ENOENT) {
        outcome.error = systemError("replace backup", errno);
        return outcome;
    }
    Fd dst(::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (dst.get() < 0) {
        outcome.error = systemError("create backup", errno);
        return outcome;
    }

    auto fail = [&](const char *what, int error) {
        outcome.error = systemError(what, error);
        dst.close();
        ::unlink(target.constData());
        return outcome;
    };

    if (const int error = copyBytes(src.get(), dst.get(), cheapest, &outcome.method))
        return fail("copy", error);
    if (::fchmod(dst.get(), info.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO)) != 0)
        return fail("set permissions", errno);
    if (stamp.isValid()) {
        const qint64 ms = stamp.toMSecsSinceEpoch();
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = time_t(ms / 1000);
        times[1].tv_nsec = long(ms % 1000) * 1000000L;
        if (::futimens(dst.get(), times) != 0)
            return fail("set time", errno);
    }
    if (dst.close() != 0) {
        outcome.error = systemError("close backup", errno);
        ::unlink(target.constData());
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

#else // not Q_OS_UNIX

CopyOutcome copyFile(const QString &from, const QString &to, const QDateTime &stamp, CopyMethod)
{
    CopyOutcome outcome;
    outcome.method = CopyMethod::ReadWrite;
    QFile src(from);
    if (!src.open(QIODevice::ReadOnly)) {
        outcome.error = src.errorString();
        return outcome;
    }
    if (!removeFile(to)) {
        outcome.error = QStringLiteral("cannot replace ") + to;
        return outcome;
    }
    QFile dst(to);
    if (!dst.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        outcome.error = dst.errorString();
        return outcome;
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    bool ok = true;
    for (qint64 got; ok && (got = src.read(buffer.data(), buffer.size())) != 0;)
        ok = got > 0 && dst.write(buffer.constData(), got) == got;
    ok = ok && dst.setPermissions(src.permissions());
    if (ok && stamp.isValid())
        ok = dst.setFileTime(stamp, QFileDevice::FileModificationTime);
    dst.close();
    ok = ok && dst.error() == QFileDevice::NoError;
    if (!ok) {
        outcome.error = dst.errorString();
        dst.remove();
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

#endif

} // namespace pw::backup
