// Positioned, cached reads of an open file, and the shrink checks.
#include "hex/engine/filesource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::hex {

std::unique_ptr<FileSource> FileSource::open(const std::string &path, std::string *error,
                                             const PageCacheOptions &cache)
{
    auto fail = [&](const std::string &reason) {
        if (error)
            *error = reason;
        return nullptr;
    };
    if (path.empty())
        return fail("No file name was given");
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused right after.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fail("Cannot open \"" + path + "\": " + std::strerror(errno));
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int code = errno;
        ::close(fd);
        return fail("Cannot open \"" + path + "\": " + std::strerror(code));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(st.st_mode) ? "\"" + path + "\" is a folder"
                                        : "\"" + path + "\" is not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<FileSource>(fd, path, Offset(st.st_size), cache);
}

FileSource::FileSource(int fd, std::string path, Offset size, const PageCacheOptions &cache)
    : m_fd(fd), m_path(std::move(path)), m_size(std::max<Offset>(size, 0)), m_options(cache)
{
    m_options.pageSize = std::max<std::size_t>(m_options.pageSize, 1);
    m_options.pages = std::max<std::size_t>(m_options.pages, 1);
}

FileSource::~FileSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileSource::failed() const
{
    std::lock_guard guard(m_lock);
    return m_failed;
}

std::string FileSource::error() const
{
    std::lock_guard guard(m_lock);
    return m_error;
}

void FileSource::setFailed(const std::string &message) const
{
    std::lock_guard guard(m_lock);
    if (!m_failed) { // the first cause is the one worth telling
        m_failed = true;
        m_error = message;
    }
}

std::string FileSource::shrunkMessage(Offset offset) const
{
    return "The file \"" + m_path +
           "\" was shortened or removed after it was opened: its bytes from offset " +
           std::to_string(offset) + " on are gone, so they can be neither shown nor saved";
}

Offset FileSource::currentLength(Offset fallback) const
{
    struct stat st;
    return ::fstat(m_fd, &st) == 0 ? std::min(Offset(st.st_size), fallback) : fallback;
}

bool FileSource::checkLength() const
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        setFailed("Cannot read \"" + m_path + "\": " + std::strerror(errno));
        return false;
    }
    if (Offset(st.st_size) < m_size) {
        setFailed(shrunkMessage(Offset(st.st_size)));
        return false;
    }
    return !failed();
}

bool FileSource::preadAll(Offset offset, std::uint8_t *dst, std::size_t length,
                          std::string &why) const
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, dst + done, length - done, off_t(offset + Offset(done)));
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        std::memset(dst + done, 0, length - done);
        why = n == 0 ? shrunkMessage(currentLength(offset + Offset(done)))
                     : "Cannot read \"" + m_path + "\" at offset " +
                           std::to_string(offset + Offset(done)) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool FileSource::readDirect(Offset offset, std::uint8_t *dst, std::size_t length) const
{
    std::string why;
    if (preadAll(offset, dst, length, why))
        return true;
    setFailed(why);
    return false;
}

const FileSource::Page *FileSource::page(Offset index) const
{
    ++m_useClock;
    for (Page &p : m_pages) {
        if (p.index == index) {
            p.lastUse = m_useClock;
            return &p;
        }
    }
    Page *slot = nullptr;
    if (m_pages.size() < m_options.pages) {
        slot = &m_pages.emplace_back();
    } else {
        slot = &*std::min_element(m_pages.begin(), m_pages.end(), [](const Page &a, const Page &b) {
            return a.lastUse < b.lastUse;
        });
    }
    const Offset start = index * Offset(m_options.pageSize);
    const auto length = std::size_t(std::min<Offset>(Offset(m_options.pageSize), m_size - start));
    slot->bytes.resize(length);
    slot->index = -1;
    // The read happens under the lock: small reads are quick, and no other reader may pick the
    // same slot meanwhile.
    std::string why;
    if (!preadAll(start, slot->bytes.data(), length, why)) {
        if (!m_failed) {
            m_failed = true;
            m_error = why;
        }
        return nullptr;
    }
    slot->index = index;
    slot->lastUse = m_useClock;
    return slot;
}

bool FileSource::read(Offset offset, void *dst, std::size_t length) const
{
    if (offset < 0 || offset > m_size || Offset(length) > m_size - offset)
        return false;
    auto *out = static_cast<std::uint8_t *>(dst);
    if (length >= m_options.pageSize)
        return readDirect(offset, out, length);
    std::lock_guard guard(m_lock);
    const auto pageSize = Offset(m_options.pageSize);
    while (length > 0) {
        const Page *p = page(offset / pageSize);
        const Offset within = offset % pageSize;
        const std::size_t n = std::min<std::size_t>(length, std::size_t(pageSize - within));
        if (!p) {
            std::memset(out, 0, length);
            return false;
        }
        std::memcpy(out, p->bytes.data() + within, n);
        out += n;
        offset += Offset(n);
        length -= n;
    }
    return true;
}

} // namespace pw::hex
