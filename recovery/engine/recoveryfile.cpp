// Recovery files: encoding, bounded decoding, atomic writes and the folder's list.
#include "recovery/engine/recoveryfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <array>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::recovery {

namespace {

constexpr char Magic[8] = {'P', 'W', 'R', 'E', 'C', 'V', '0', '1'};
constexpr std::uint32_t MaxStringBytes = 64 * 1024;
constexpr int FieldCount = 9; // the fixed integer fields after the two strings

// Continues crc over data; start with 0. Eight bytes a step (slicing by eight): snapshots of big
// texts are checksummed on every write.
std::uint32_t crc32(const char *data, std::size_t size, std::uint32_t crc = 0)
{
    using Tables = std::array<std::array<std::uint32_t, 256>, 8>;
    static const Tables t = [] {
        Tables tables{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            tables[0][i] = c;
        }
        for (std::size_t k = 1; k < 8; ++k) {
            for (std::size_t i = 0; i < 256; ++i)
                tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
        }
        return tables;
    }();
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    std::uint32_t c = crc ^ 0xFFFFFFFFu;
    while (size >= 8) {
        const std::uint32_t one = (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                   std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24) ^ c;
        const std::uint32_t two = std::uint32_t(p[4]) | std::uint32_t(p[5]) << 8 |
                                  std::uint32_t(p[6]) << 16 | std::uint32_t(p[7]) << 24;
        c = t[7][one & 0xFF] ^ t[6][(one >> 8) & 0xFF] ^ t[5][(one >> 16) & 0xFF] ^ t[4][one >> 24] ^
            t[3][two & 0xFF] ^ t[2][(two >> 8) & 0xFF] ^ t[1][(two >> 16) & 0xFF] ^ t[0][two >> 24];
        p += 8;
        size -= 8;
    }
    while (size-- > 0)
        c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putU64(QByteArray &out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void putU32(QByteArray &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void putString(QByteArray &out, const QString &s)
{
    QByteArray utf8 = s.toUtf8().left(MaxStringBytes);
    putU32(out, static_cast<std::uint32_t>(utf8.size()));
    out.append(utf8);
}

// Reads within [data, data + size) only; any read past the end sets truncated and yields 0.
struct Reader
{
    const char *data;
    std::size_t size;
    std::size_t pos = 0;
    bool truncated = false;

    bool need(std::size_t n)
    {
        if (truncated || size - pos < n) {
            truncated = true;
            return false;
        }
        return true;
    }
    std::uint64_t u64()
    {
        if (!need(8))
            return 0;
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(data[pos + static_cast<std::size_t>(i)]);
        pos += 8;
        return v;
    }
    std::uint32_t u32()
    {
        if (!need(4))
            return 0;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(data[pos + static_cast<std::size_t>(i)]);
        pos += 4;
        return v;
    }
    // false for a length beyond the bound (damage), or past the end (truncation).
    bool string(QString &out, bool &damaged)
    {
        const std::uint32_t n = u32();
        if (n > MaxStringBytes) {
            damaged = true;
            return false;
        }
        if (!need(n))
            return false;
        out = QString::fromUtf8(data + pos, static_cast<qsizetype>(n));
        pos += n;
        return true;
    }
};

// The header and the text length; reader stops just before the text.
std::optional<SnapshotHeader> readHeader(Reader &r, std::uint64_t &textSize, ParseError &error)
{
    if (r.size < sizeof Magic || std::memcmp(r.data, Magic, sizeof Magic) != 0) {
        // A file cut inside the magic is as foreign as any other.
        error = ParseError::Foreign;
        return std::nullopt;
    }
    r.pos = sizeof Magic;
    SnapshotHeader h;
    bool damaged = false;
    if (!r.string(h.path, damaged) || !r.string(h.title, damaged)) {
        error = damaged ? ParseError::Damaged : ParseError::Truncated;
        return std::nullopt;
    }
    std::uint64_t fields[FieldCount];
    for (std::uint64_t &f : fields)
        f = r.u64();
    if (r.truncated) {
        error = ParseError::Truncated;
        return std::nullopt;
    }
    h.encoding = static_cast<int>(static_cast<std::int64_t>(fields[0]));
    h.markLength = static_cast<int>(static_cast<std::int64_t>(fields[1]));
    h.lineEnding = static_cast<int>(static_cast<std::int64_t>(fields[2]));
    h.caret = static_cast<std::int64_t>(fields[3]);
    h.diskSize = static_cast<std::int64_t>(fields[4]);
    h.diskModifiedNs = static_cast<std::int64_t>(fields[5]);
    h.snapshotMs = static_cast<std::int64_t>(fields[6]);
    textSize = fields[7];
    // fields[8] is kept at zero for later use; anything else is a file of another kind.
    const bool sane = fields[0] <= 10 && fields[1] <= 5 && fields[2] <= 2 && h.caret >= 0 &&
                      h.diskSize >= -1 && fields[8] == 0 &&
                      textSize <= (std::uint64_t(1) << 40);
    if (!sane) {
        error = ParseError::Damaged;
        return std::nullopt;
    }
    return h;
}

} // namespace

namespace {

// Everything before the text.
QByteArray encodeHeader(const Snapshot &snapshot)
{
    const SnapshotHeader &h = snapshot.header;
    QByteArray out;
    out.append(Magic, sizeof Magic);
    putString(out, h.path);
    putString(out, h.title);
    putU64(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(h.encoding)));
    putU64(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(h.markLength)));
    putU64(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(h.lineEnding)));
    putU64(out, static_cast<std::uint64_t>(h.caret));
    putU64(out, static_cast<std::uint64_t>(h.diskSize));
    putU64(out, static_cast<std::uint64_t>(h.diskModifiedNs));
    putU64(out, static_cast<std::uint64_t>(h.snapshotMs));
    putU64(out, static_cast<std::uint64_t>(snapshot.text.size()));
    putU64(out, 0);
    return out;
}

QByteArray encodeTrailer(const QByteArray &header, const QByteArray &text)
{
    std::uint32_t crc = crc32(header.constData(), static_cast<std::size_t>(header.size()));
    crc = crc32(text.constData(), static_cast<std::size_t>(text.size()), crc);
    QByteArray out;
    putU32(out, crc);
    return out;
}

} // namespace

QByteArray encodeSnapshot(const Snapshot &snapshot)
{
    const QByteArray header = encodeHeader(snapshot);
    return header + snapshot.text + encodeTrailer(header, snapshot.text);
}

bool writeSnapshotFile(const QString &path, const Snapshot &snapshot, QString *error)
{
    const QByteArray header = encodeHeader(snapshot);
    const QByteArray trailer = encodeTrailer(header, snapshot.text);
    return writeFileAtomically(path, {header, snapshot.text, trailer}, error);
}

std::optional<Snapshot> decodeSnapshot(const char *data, std::size_t size, ParseError *error)
{
    ParseError local = ParseError::None;
    ParseError &err = error ? *error : local;
    err = ParseError::None;
    Reader r{data, size};
    std::uint64_t textSize = 0;
    std::optional<SnapshotHeader> header = readHeader(r, textSize, err);
    if (!header)
        return std::nullopt;
    if (size - r.pos < 4 || textSize > size - r.pos - 4) {
        err = ParseError::Truncated;
        return std::nullopt;
    }
    if (size - r.pos - 4 != textSize) {
        err = ParseError::Damaged; // bytes after the checksum
        return std::nullopt;
    }
    const std::size_t textStart = r.pos;
    r.pos += textSize;
    const std::uint32_t stored = r.u32();
    if (stored != crc32(data, textStart + textSize)) {
        err = ParseError::Damaged;
        return std::nullopt;
    }
    Snapshot s;
    s.header = *header;
    s.text = QByteArray(data + textStart, static_cast<qsizetype>(textSize));
    return s;
}

std::optional<SnapshotHeader> decodeHeader(const QByteArray &head, std::int64_t fileSize,
                                           ParseError *error, std::int64_t *textSizeOut)
{
    ParseError local = ParseError::None;
    ParseError &err = error ? *error : local;
    err = ParseError::None;
    Reader r{head.constData(), static_cast<std::size_t>(head.size())};
    std::uint64_t textSize = 0;
    std::optional<SnapshotHeader> header = readHeader(r, textSize, err);
    if (!header)
        return std::nullopt;
    const std::uint64_t expected = r.pos + textSize + 4;
    if (fileSize < 0 || static_cast<std::uint64_t>(fileSize) != expected) {
        err = static_cast<std::uint64_t>(fileSize) < expected ? ParseError::Truncated
                                                               : ParseError::Damaged;
        return std::nullopt;
    }
    if (textSizeOut)
        *textSizeOut = static_cast<std::int64_t>(textSize);
    return header;
}

bool writeFileAtomically(const QString &path, const QList<QByteArrayView> &pieces, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo info(path);
    const QString temporary =
        info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".") +
        QString::number(QRandomGenerator::global()->generate(), 16) + QStringLiteral(".tmp");
    const QByteArray tempName = QFile::encodeName(temporary);
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    for (const QByteArrayView piece : pieces) {
        const char *p = piece.data();
        std::size_t left = static_cast<std::size_t>(piece.size());
        while (left > 0) {
            const ssize_t n = ::write(fd, p, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                const QString why = QString::fromLocal8Bit(std::strerror(n < 0 ? errno : ENOSPC));
                ::close(fd);
                ::unlink(tempName.constData());
                return fail(why);
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::unlink(tempName.constData());
        return fail(why);
    }
    if (::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::unlink(tempName.constData());
        return fail(why);
    }
    // The rename lives in the folder: without this a power cut may forget it.
    const int dir = ::open(QFile::encodeName(info.absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

QList<Entry> listEntries(const QString &folder, const QStringList &skipPrefixes)
{
    QList<Entry> entries;
    const QDir dir(folder);
    const QStringList names = dir.entryList(
        {QStringLiteral("*") + QLatin1String(FileSuffix)}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        if (name.startsWith(QLatin1Char('.')))
            continue; // a temporary file of a write in progress
        bool skip = false;
        for (const QString &prefix : skipPrefixes)
            skip = skip || name.startsWith(prefix);
        if (skip)
            continue;
        Entry entry;
        entry.file = dir.filePath(name);
        QFile file(entry.file);
        std::optional<SnapshotHeader> header;
        if (file.open(QIODevice::ReadOnly))
            header = decodeHeader(file.read(HeaderReadLimit), file.size(), nullptr, &entry.textSize);
        entry.damaged = !header;
        if (header)
            entry.header = *header;
        entries.append(entry);
    }
    return entries;
}

std::optional<Snapshot> readSnapshot(const QString &path, ParseError *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = ParseError::Truncated;
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    return decodeSnapshot(bytes.constData(), static_cast<std::size_t>(bytes.size()), error);
}

bool diskFileChanged(const SnapshotHeader &header)
{
    if (header.path.isEmpty())
        return false;
    struct stat st{};
    const bool exists = ::stat(QFile::encodeName(header.path).constData(), &st) == 0;
    if (header.diskSize < 0)
        return exists;
    if (!exists)
        return true;
    const std::int64_t modifiedNs =
        std::int64_t(st.st_mtim.tv_sec) * 1000000000 + std::int64_t(st.st_mtim.tv_nsec);
    return st.st_size != header.diskSize || modifiedNs != header.diskModifiedNs;
}

} // namespace pw::recovery
