// Temporary folders and file helpers shared by the hex buffer tests.
#pragma once

#include "hex/engine/hexbuffer.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pw::hex::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder removed with everything in it at the end of the test.
class TempDir
{
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pwhex.XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    std::string file(const std::string &name) const { return (m_path / name).string(); }
    const std::filesystem::path &path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline void writeFile(const std::string &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline Bytes readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes randomBytes(std::mt19937_64 &random, std::size_t length, int alphabet = 256)
{
    Bytes bytes(length);
    std::uniform_int_distribution<int> pick(0, alphabet - 1);
    for (auto &b : bytes)
        b = std::uint8_t(pick(random));
    return bytes;
}

inline Bytes text(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

// A buffer whose cache holds few, small pages, so that reads cross page edges all the time.
inline BufferOptions pagesOf(std::size_t pageSize, std::size_t pages)
{
    BufferOptions options;
    options.cache = {pageSize, pages};
    return options;
}

// Bytes the file system really stores (holes excluded).
inline std::int64_t allocatedBytes(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? std::int64_t(st.st_blocks) * 512 : -1;
}

} // namespace pw::hex::test
