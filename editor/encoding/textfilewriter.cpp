// Safe, strictly encoding file writer: staging file, then rename or in-place copy.
#include "editor/encoding/textfilewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

namespace pw::enc {
namespace {

QString display(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool isBusy(const std::error_code &ec)
{
    return ec == std::errc::device_or_resource_busy || ec == std::errc::text_file_busy;
}

std::error_code renameOver(const QString &from, const QString &to)
{
    const sys::Error e = sys::renameFile(from, to);
    return e ? std::error_code(e.code, std::generic_category()) : std::error_code();
}

TextFileWriter::ReplaceFunction &replaceFunction()
{
    static TextFileWriter::ReplaceFunction function;
    return function;
}

// Follows a chain of symbolic links to the file that really holds the text. A dangling link gives
// the path it points to, so saving creates that file.
bool resolveLinks(const QString &path, QString &resolved)
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
    return false;
}

QString characterName(const Unencodable &u)
{
    if (!u.character)
        return QStringLiteral("bytes that are not UTF-8");
    const char32_t c = *u.character;
    QString name =
        QStringLiteral("U+") + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
    if (c >= 0x20 && (c < 0xD800 || c > 0xDFFF) && c != 0x7F)
        name = QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&c, 1), name);
    return name;
}

constexpr std::size_t kCopyBlock = 1 << 20;

} // namespace

TextFileWriter::~TextFileWriter()
{
    abort();
}

void TextFileWriter::setReplaceFunction(ReplaceFunction replace)
{
    replaceFunction() = std::move(replace);
}

QString TextFileWriter::stagingPathFor(const QString &target)
{
    const QFileInfo info(target);
    const QString name = info.fileName();
    constexpr int kMaxName = 255; // bytes in a name on the usual file systems
    constexpr int kAdded = 9;     // "." and ".pw-save"
    const QByteArray encoded = QFile::encodeName(name);
    QString base = name;
    if (encoded.size() + kAdded > kMaxName) {
        // Shortened names of different files must still differ, and stay the same for one file.
        std::uint32_t hash = 2166136261u; // FNV-1a
        for (char c : encoded)
            hash = (hash ^ std::uint8_t(c)) * 16777619u;
        const QString tag = QStringLiteral("~%1").arg(hash, 8, 16, QLatin1Char('0'));
        while (!base.isEmpty() && QFile::encodeName(base).size() + kAdded + tag.size() > kMaxName) {
            base.chop(1);
            if (!base.isEmpty() && base.back().isHighSurrogate())
                base.chop(1);
        }
        base += tag;
    }
    return info.absolutePath() + QLatin1String("/.") + base + QLatin1String(".pw-save");
}

bool TextFileWriter::fail(QString *error, const QString &message, const QString &reason)
{
    abort();
    m_status = Status::Failed;
    m_reason = reason.isEmpty() ? message : reason;
    m_error = reason.isEmpty() ? message : message + QStringLiteral(": ") + reason;
    if (error)
        *error = m_error;
    return false;
}

bool TextFileWriter::cannotEncode(QString *error)
{
    abort();
    m_status = Status::CannotEncode;
    const Unencodable &u = *m_encoder.unencodable();
    const DocEncoding encoding = m_encoder.encoding();
    const char *name = encodingName(encoding, int(markBytes(encoding).size()));
    m_reason = QStringLiteral("%1 cannot hold %2").arg(QString::fromUtf8(name), characterName(u));
    m_error = QStringLiteral("Cannot save \"%1\": %2 (at byte %3 of the text)")
                  .arg(display(m_target), m_reason)
                  .arg(u.offset);
    if (error)
        *error = m_error;
    return false;
}

void TextFileWriter::abort()
{
    (void)m_targetFile.close(); // only opened, or its failure is already reported
    (void)m_staging.close();
    if (!m_stagingPath.isEmpty() && !m_keepStaging)
        (void)sys::removeFile(m_stagingPath); // best effort: the next save removes it otherwise
    m_stagingPath.clear();
}

bool TextFileWriter::open(const QString &path, DocEncoding encoding, QString *error)
{
    return open(path, encoding, int(markBytes(encoding).size()), error);
}

bool TextFileWriter::open(const QString &path, DocEncoding encoding, int markLength, QString *error)
{
    abort();
    m_status = Status::Ok;
    m_method = Method::None;
    m_error.clear();
    m_reason.clear();
    m_written = 0;
    m_keepStaging = false;
    m_stamp = {};
    m_trailing.clear();
    m_target.clear();
    m_encoder = Encoder(encoding);

    if (path.isEmpty())
        return fail(error, QStringLiteral("No file name was given"), {});
    if (!resolveLinks(path, m_target)) {
        return fail(error,
                    QStringLiteral("Cannot follow the symbolic link \"%1\"").arg(display(path)),
                    sys::Error::fromCode(ELOOP).text);
    }
    const QString cannotWrite = QStringLiteral("Cannot write \"%1\"").arg(display(m_target));
    sys::Info target;
    if (const sys::Error e = sys::infoOf(m_target, target))
        return fail(error, cannotWrite, e.text);
    if (target.directory)
        return fail(error, cannotWrite, sys::Error::fromCode(EISDIR).text);
    if (target.exists && !target.regular) // a device or pipe must not be replaced by a file
        return fail(error, cannotWrite, QStringLiteral("not a regular file"));
    // Opening for writing changes nothing yet, and tells at once whether the file may be written
    // at all, so a read-only file is never replaced just because its folder is writable.
    if (target.exists) {
        if (const sys::Error e = m_targetFile.openForWriting(m_target))
            return fail(error, cannotWrite, e.text);
    }
    if (!openStaging(target, error))
        return false;
    if (markLength > 0)
        return writeRaw(markBytes(m_encoder.encoding()), error);
    return true;
}

bool TextFileWriter::openStaging(const sys::Info &target, QString *error)
{
    const QString folder = QFileInfo(m_target).absolutePath();
    const QString staging = stagingPathFor(m_target);
    bool inPlace = target.exists && target.links > 1; // a rename would split the hard link

    // The staging file of an earlier save of this file that was killed part-way.
    sys::Info stale;
    if (!sys::linkInfoOf(staging, stale) && stale.exists && !stale.directory)
        (void)sys::removeFile(staging); // if this fails, creating it below says why

    // A file of ours is private until it has the target's permissions.
    const sys::Error created = m_staging.createNew(staging, target.exists ? 0600 : 0666);
    if (!created) {
        m_stagingPath = staging;
    } else {
        const bool folderClosed =
            created.code == EACCES || created.code == EPERM || created.code == EROFS;
        if (!target.exists || !folderClosed) {
            return fail(error,
                        QStringLiteral("Cannot create a file in \"%1\"").arg(display(folder)),
                        created.text);
        }
        inPlace = true;
    }

    if (!inPlace && target.exists) {
        // Give the new file the target's owner, group and permissions before any text is in it.
        // Where the owner or group cannot be kept (someone else's file), write in place instead.
        sys::Info own;
        if (m_staging.info(own) ||
            ((own.owner != target.owner || own.group != target.group) &&
             m_staging.setOwner(target.owner, target.group)) ||
            m_staging.setMode(target.mode)) {
            inPlace = true;
        }
    }
    if (!inPlace) {
        (void)m_targetFile.close(); // only opened to check it may be written
        m_method = Method::Replace;
        return true;
    }
    if (!m_staging.isOpen()) {
        const QString temporary = QDir::tempPath();
        if (const sys::Error e = m_staging.createAnonymous(temporary)) {
            return fail(error,
                        QStringLiteral("Cannot create a file in \"%1\"").arg(display(temporary)),
                        e.text);
        }
    }
    m_method = Method::InPlace;
    return true;
}

bool TextFileWriter::writeRaw(std::string_view bytes, QString *error)
{
    if (bytes.empty())
        return true;
    if (const sys::Error e = m_staging.writeAll(bytes.data(), bytes.size()))
        return fail(error, QStringLiteral("Cannot write \"%1\"").arg(display(m_target)), e.text);
    m_written += std::int64_t(bytes.size());
    return true;
}

bool TextFileWriter::write(std::string_view editorBytes, QString *error)
{
    if (m_status != Status::Ok || !m_staging.isOpen()) {
        if (error)
            *error = m_status != Status::Ok ? m_error
                                            : QStringLiteral("The file is not open for writing");
        return false;
    }
    if (m_encoder.isIdentity())
        return writeRaw(editorBytes, error);
    m_scratch.clear();
    if (!m_encoder.encode(editorBytes, m_scratch))
        return cannotEncode(error);
    return writeRaw(m_scratch, error);
}

bool TextFileWriter::commit(QString *error)
{
    if (m_status != Status::Ok || !m_staging.isOpen()) {
        if (error)
            *error = m_status != Status::Ok ? m_error
                                            : QStringLiteral("The file is not open for writing");
        return false;
    }
    m_scratch.clear();
    if (!m_encoder.finish(m_scratch))
        return cannotEncode(error);
    if (!writeRaw(m_scratch, error) || !writeRaw(m_trailing, error))
        return false;
    m_scratch = std::string();
    return m_method == Method::Replace ? commitReplace(error) : commitInPlace(error);
}

bool TextFileWriter::commitReplace(QString *error)
{
    const QString cannotWrite = QStringLiteral("Cannot write \"%1\"").arg(display(m_target));
    if (m_sync) {
        if (const sys::Error e = m_staging.sync())
            return fail(error, cannotWrite, e.text);
    }
    sys::Info info;
    if (const sys::Error e = m_staging.info(info))
        return fail(error, cannotWrite, e.text);
    if (const sys::Error e = m_staging.close())
        return fail(error, cannotWrite, e.text);

    const ReplaceFunction &replace = replaceFunction();
    std::error_code ec;
    for (int attempt = 1; attempt <= ReplaceAttempts; ++attempt) {
        ec = replace ? replace(m_stagingPath, m_target) : renameOver(m_stagingPath, m_target);
        if (!ec || !isBusy(ec))
            break;
        if (attempt < ReplaceAttempts)
            std::this_thread::sleep_for(std::chrono::milliseconds(ReplaceRetryDelayMs));
    }
    if (ec) {
        return fail(error, QStringLiteral("Cannot replace \"%1\"").arg(display(m_target)),
                    QString::fromStdString(ec.message()));
    }
    m_stagingPath.clear(); // it is the target now
    if (m_sync)
        sys::syncFolder(QFileInfo(m_target).absolutePath());
    m_stamp = sys::stampOf(info); // a rename keeps size, time and identity
    return true;
}

bool TextFileWriter::commitInPlace(QString *error)
{
    const QString cannotWrite = QStringLiteral("Cannot write \"%1\"").arg(display(m_target));
    const std::int64_t size = m_written;
    // With a named staging file, the whole text is safe on disk before the target is touched.
    if (m_sync && !m_stagingPath.isEmpty()) {
        if (const sys::Error e = m_staging.sync())
            return fail(error, cannotWrite, e.text);
    }
    sys::Info old;
    if (const sys::Error e = m_targetFile.info(old))
        return fail(error, cannotWrite, e.text);
    if (size > old.size) {
        if (const sys::Error e = m_targetFile.reserve(old.size, size - old.size))
            return fail(error, cannotWrite, e.text);
    }

    // From here on a failure leaves the target part-written.
    const auto partWritten = [&](const sys::Error &e) {
        QString reason = e.text + QStringLiteral(". The file may now be incomplete");
        if (!m_stagingPath.isEmpty()) {
            m_keepStaging = true;
            reason +=
                QStringLiteral("; the new text is kept in \"%1\"").arg(display(m_stagingPath));
        }
        fail(error, cannotWrite, reason);
        m_reason = e.text;
        return false;
    };
    std::vector<char> block(kCopyBlock);
    for (std::int64_t at = 0; at < size;) {
        std::size_t got = 0;
        sys::Error e = m_staging.readAt(at, block.data(), block.size(), got);
        if (!e && got == 0)
            e = sys::Error::fromCode(EIO);
        if (!e)
            e = m_targetFile.writeAt(at, block.data(), got);
        if (e)
            return partWritten(e);
        at += std::int64_t(got);
    }
    if (const sys::Error e = m_targetFile.truncate(size))
        return partWritten(e);
    if (m_sync) {
        if (const sys::Error e = m_targetFile.sync())
            return partWritten(e);
    }
    sys::Info info;
    if (const sys::Error e = m_targetFile.info(info))
        return partWritten(e);
    if (const sys::Error e = m_targetFile.close())
        return partWritten(e);
    abort(); // the staging file has served its purpose
    m_stamp = sys::stampOf(info);
    return true;
}

} // namespace pw::enc
