// A file read on demand through a small page cache, with a sticky error when it shrinks or fails.
#pragma once

#include "hex/engine/bytesource.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pw::hex {

struct PageCacheOptions
{
    // Bytes per cached page; reads of at least this length bypass the cache.
    std::size_t pageSize = 64 * 1024;
    // Pages kept (least recently used goes first). Memory is at most pageSize * pages.
    std::size_t pages = 16;
};

// The bytes of one file as it was when opened. Nothing is mapped and nothing is read ahead: a
// file of any size costs one descriptor and the cache. Reads are safe from several threads.
class FileSource final : public ByteSource
{
public:
    // Opens a regular file for reading. Returns nullptr and sets *error for a missing, unreadable
    // or non-regular file (folders, devices and pipes are refused).
    static std::unique_ptr<FileSource> open(const std::string &path, std::string *error,
                                            const PageCacheOptions &cache = {});
    // Takes over an open descriptor (closed with the source) whose first size bytes are the
    // content; path is what messages name.
    FileSource(int fd, std::string path, Offset size, const PageCacheOptions &cache = {});
    ~FileSource() override;
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    // The length when opened; later growth of the file is not seen.
    Offset size() const override { return m_size; }
    bool read(Offset offset, void *dst, std::size_t length) const override;

    const std::string &path() const { return m_path; }
    int descriptor() const { return m_fd; }

    // Once a read came back short or failed, the source stays failed: its bytes can no longer be
    // trusted, so nothing may be saved from it.
    bool failed() const;
    std::string error() const;
    // Looks at the open file now; sets the failed state when it has become shorter than size().
    bool checkLength() const;
    // Records a failure found by someone else reading the descriptor (a save copying from it).
    void setFailed(const std::string &message) const;
    // The message for bytes missing from offset on.
    std::string shrunkMessage(Offset offset) const;

private:
    struct Page
    {
        Offset index = -1;
        std::uint64_t lastUse = 0;
        std::vector<std::uint8_t> bytes;
    };

    // Reads all of the range or says why not (zero-filling what is missing); takes no lock.
    bool preadAll(Offset offset, std::uint8_t *dst, std::size_t length, std::string &why) const;
    // The file's length now, at most fallback (which is also the answer when it cannot be told).
    Offset currentLength(Offset fallback) const;
    bool readDirect(Offset offset, std::uint8_t *dst, std::size_t length) const;
    const Page *page(Offset index) const; // with m_lock held; nullptr when the read failed

    int m_fd = -1;
    std::string m_path;
    Offset m_size = 0;
    PageCacheOptions m_options;

    mutable std::mutex m_lock;
    mutable std::vector<Page> m_pages;
    mutable std::uint64_t m_useClock = 0;
    mutable bool m_failed = false;
    mutable std::string m_error;
};

} // namespace pw::hex
