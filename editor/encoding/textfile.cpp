// Chunked, decoding file reader and atomic, encoding file writer.
#include "editor/encoding/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace pw::enc {
namespace {

std::filesystem::path toFsPath(const QString &path)
{
#if defined(Q_OS_WIN)
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString display(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool isBusy(const std::error_code &ec)
{
    if (ec == std::errc::device_or_resource_busy || ec == std::errc::text_file_busy)
        return true;
#if defined(Q_OS_WIN)
    // ERROR_SHARING_VIOLATION and ERROR_LOCK_VIOLATION: another process holds the file open.
    if (ec.category() == std::system_category() && (ec.value() == 32 || ec.value() == 33))
        return true;
#endif
    return false;
}

std::error_code renameOver(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(toFsPath(from), toFsPath(to), ec);
    return ec;
}

TextFileWriter::ReplaceFunction &replaceFunction()
{
    static TextFileWriter::ReplaceFunction function;
    return function;
}

// Follows a chain of symbolic links to the file that really holds the text. A dangling link gives
// the path it points to, so saving creates that file.
bool resolveLinks(const QString &path, QString &resolved, QString &reason)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(current);
        if (!info.isSymbolicLink()) {
            resolved = current;
            return true;
        }
        current = info.symLinkTarget();
        if (current.isEmpty())
            break;
    }
    reason = QStringLiteral("Cannot follow the symbolic link \"%1\"").arg(display(path));
    return false;
}

// Gives the temporary file the target's permissions (and owner and group where allowed) before any
// text is written, so the text is never readable by more people than the original.
void copyAccess(QFile &temporary, const QString &target)
{
#if defined(Q_OS_UNIX)
    struct stat st;
    if (::stat(QFile::encodeName(target).constData(), &st) != 0)
        return;
    const int fd = temporary.handle();
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
        // Only a privileged process may give a file away; others may still match the group.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && ::fchown(fd, uid_t(-1), st.st_gid) != 0) {
            // Best effort: the new file stays ours.
        }
    }
    // After fchown, which may clear set-id bits.
    if (::fchmod(fd, st.st_mode & 07777) != 0) {
        // Some file systems refuse modes; the file keeps the default ones.
    }
#else
    temporary.setPermissions(QFile::permissions(target));
#endif
}

// Returns 0 or the system's error number.
int syncToDisk(QFile &file)
{
#if defined(Q_OS_UNIX)
    if (::fsync(file.handle()) == 0 || errno == EINVAL || errno == EROFS) // some cannot sync
        return 0;
    return errno;
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0 ? 0 : errno;
#else
    Q_UNUSED(file);
    return 0;
#endif
}

void syncFolder(const QString &folder)
{
#if defined(Q_OS_UNIX)
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TextFileReader

bool TextFileReader::open(const QString &path, DocEncoding encoding, int markLength, QString *error)
{
    close();
    m_encoding = isValidEncoding(encoding) ? encoding : Ansi;
    m_file.setFileName(path);
    const QFileInfo info(path);
    QString reason;
    if (info.isDir()) {
        reason = QStringLiteral("\"%1\" is a folder").arg(display(path));
    } else if (info.exists() && !info.isFile()) {
        // Devices and pipes could block or never end.
        reason = QStringLiteral("\"%1\" is not a regular file").arg(display(path));
    } else if (!m_file.open(QIODevice::ReadOnly)) {
        reason = m_file.errorString();
    } else {
        m_size = m_file.size();
        m_readOnly = !info.isWritable();
        m_done = false;
        m_atEnd = false;
        m_buffer.resize(std::size_t(ChunkSize));
        if (!fill())
            reason = m_error;
    }
    if (!reason.isEmpty()) {
        close();
        m_error = reason;
        if (error)
            *error = reason;
        return false;
    }
    const bool skipMark = markLength > 0 && !isRawEncoding(m_encoding) &&
                          startsWithMark(std::string_view(m_buffer.data(), m_buffered), m_encoding);
    m_markLength = skipMark ? int(markBytes(m_encoding).size()) : 0;
    m_decoder = Decoder(m_encoding, m_markLength);
    return true;
}

void TextFileReader::close()
{
    m_file.close();
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_buffered = 0;
    m_size = 0;
    m_position = 0;
    m_lastChunkSize = 0;
    m_markLength = 0;
    m_readOnly = false;
    m_atEnd = true;
    m_done = true;
    m_error.clear();
}

bool TextFileReader::fill()
{
    while (!m_atEnd && m_buffered < m_buffer.size()) {
        const qint64 n =
            m_file.read(m_buffer.data() + m_buffered, qint64(m_buffer.size() - m_buffered));
        if (n < 0) {
            m_error = m_file.errorString();
            return false;
        }
        if (n == 0)
            m_atEnd = true;
        m_buffered += std::size_t(n);
    }
    return true;
}

bool TextFileReader::nextChunk(std::string &editorBytes)
{
    editorBytes.clear();
    m_lastChunkSize = 0;
    if (m_done)
        return false;
    if (!fill()) {
        m_done = true;
        return false;
    }
    if (m_buffered == 0) {
        m_decoder.finish(editorBytes);
        m_done = true;
        return !editorBytes.empty();
    }
    const std::string_view buffered(m_buffer.data(), m_buffered);
    // The last chunk of the file is kept whole: there is nothing after it to carry a cut over to.
    const std::size_t keep = m_atEnd ? m_buffered : cutChunk(buffered, m_encoding);
    m_decoder.decode(buffered.substr(0, keep), editorBytes);
    m_position += std::int64_t(keep);
    m_lastChunkSize = keep;
    std::memmove(m_buffer.data(), m_buffer.data() + keep, m_buffered - keep);
    m_buffered -= keep;
    if (m_atEnd && m_buffered == 0) {
        m_decoder.finish(editorBytes);
        m_done = true;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// TextFileWriter

TextFileWriter::~TextFileWriter()
{
    abort();
}

void TextFileWriter::setReplaceFunction(ReplaceFunction replace)
{
    replaceFunction() = std::move(replace);
}

bool TextFileWriter::fail(QString *error, const QString &reason)
{
    abort();
    if (error)
        *error = reason;
    return false;
}

void TextFileWriter::abort()
{
    if (m_file.fileName().isEmpty())
        return;
    m_file.close();
    QFile::remove(m_file.fileName());
    m_file.setFileName(QString());
}

bool TextFileWriter::open(const QString &path, DocEncoding encoding, QString *error)
{
    abort();
    m_written = 0;
    m_encoder = Encoder(isValidEncoding(encoding) ? encoding : Ansi);

    QString reason;
    if (path.isEmpty())
        return fail(error, QStringLiteral("No file name was given"));
    if (!resolveLinks(path, m_target, reason))
        return fail(error, reason);
    const QFileInfo target(m_target);
    if (target.isDir())
        return fail(error, QStringLiteral("\"%1\" is a folder").arg(display(m_target)));
    if (target.exists() && !target.isFile()) // a device or pipe must not be replaced by a file
        return fail(error, QStringLiteral("\"%1\" is not a regular file").arg(display(m_target)));
    if (target.exists() && !target.isWritable())
        return fail(error, QStringLiteral("\"%1\" is read-only").arg(display(m_target)));

    // A hidden name beside the target, so the final rename never crosses file systems. The base
    // is shortened to keep the name within the usual 255-byte limit.
    QString base = target.fileName().left(100);
    if (!base.isEmpty() && base.back().isHighSurrogate())
        base.chop(1);
    const QString folder = target.absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = folder + QLatin1String("/.") + base + QLatin1Char('.') +
                             QString::number(QRandomGenerator::global()->generate(), 16) +
                             QLatin1String(".pwtmp");
        m_file.setFileName(name);
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        reason = m_file.errorString();
        const bool taken = QFileInfo::exists(name);
        m_file.setFileName(QString()); // nothing of ours to remove
        if (!taken)
            break;
    }
    if (!m_file.isOpen()) {
        return fail(error, QStringLiteral("Cannot create a temporary file in \"%1\": %2")
                               .arg(display(folder), reason));
    }
    if (target.exists())
        copyAccess(m_file, m_target);
    return writeRaw(markBytes(m_encoder.encoding()), error);
}

bool TextFileWriter::writeRaw(std::string_view bytes, QString *error)
{
    while (!bytes.empty()) {
        const qint64 n = m_file.write(bytes.data(), qint64(bytes.size()));
        if (n <= 0) {
            return fail(error, QStringLiteral("Cannot write \"%1\": %2")
                                   .arg(display(m_target), m_file.errorString()));
        }
        bytes.remove_prefix(std::size_t(n));
        m_written += n;
    }
    return true;
}

bool TextFileWriter::write(std::string_view editorBytes, QString *error)
{
    if (!m_file.isOpen()) {
        if (error)
            *error = QStringLiteral("The file is not open for writing");
        return false;
    }
    if (m_encoder.isIdentity())
        return writeRaw(editorBytes, error);
    m_scratch.clear();
    m_encoder.encode(editorBytes, m_scratch);
    return writeRaw(m_scratch, error);
}

bool TextFileWriter::commit(QString *error)
{
    if (!m_file.isOpen()) {
        if (error)
            *error = QStringLiteral("The file is not open for writing");
        return false;
    }
    m_scratch.clear();
    m_encoder.finish(m_scratch);
    if (!writeRaw(m_scratch, error))
        return false;
    m_scratch = std::string();
    if (const int code = m_sync ? syncToDisk(m_file) : 0; code != 0) {
        return fail(error, QStringLiteral("Cannot write \"%1\": %2")
                               .arg(display(m_target),
                                    QString::fromStdString(std::generic_category().message(code))));
    }
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        return fail(
            error,
            QStringLiteral("Cannot write \"%1\": %2").arg(display(m_target), m_file.errorString()));
    }

    const QString temporary = m_file.fileName();
    const ReplaceFunction &replace = replaceFunction();
    std::error_code ec;
    for (int attempt = 1; attempt <= ReplaceAttempts; ++attempt) {
        ec = replace ? replace(temporary, m_target) : renameOver(temporary, m_target);
        if (!ec || !isBusy(ec))
            break;
        if (attempt < ReplaceAttempts)
            std::this_thread::sleep_for(std::chrono::milliseconds(ReplaceRetryDelayMs));
    }
    if (ec) {
        return fail(error, QStringLiteral("Cannot replace \"%1\": %2")
                               .arg(display(m_target), QString::fromStdString(ec.message())));
    }
    m_file.setFileName(QString());
    if (m_sync)
        syncFolder(QFileInfo(m_target).absolutePath());
    return true;
}

} // namespace pw::enc
