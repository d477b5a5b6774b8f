// Chunked, decoding file reader with the whole-file UTF-8 check.
#include "editor/encoding/textfilereader.h"

#include "editor/encoding/encodingdetector.h"
#include "editor/encoding/nativepath.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace pw::enc {
namespace {

TextFileReader::ReadFault &readFault()
{
    static TextFileReader::ReadFault fault;
    return fault;
}

QString display(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

void TextFileReader::setReadFault(ReadFault fault)
{
    readFault() = std::move(fault);
}

bool TextFileReader::fail(const QString &message, const QString &reason)
{
    m_reason = reason;
    m_error = reason.isEmpty() ? message : message + QStringLiteral(": ") + reason;
    m_done = true;
    return false;
}

bool TextFileReader::open(const QString &path, DocEncoding encoding, int markLength, QString *error)
{
    (void)markLength; // a present mark is always recognised now
    return open(path, encoding, error);
}

bool TextFileReader::open(const QString &path, DocEncoding encoding, QString *error)
{
    close();
    m_path = path;
    const auto failOpen = [&](const QString &message, const QString &reason) {
        const QString full = reason.isEmpty() ? message : message + QStringLiteral(": ") + reason;
        close();
        m_error = full;
        m_reason = reason;
        if (error)
            *error = full;
        return false;
    };
    const QString cannotOpen = QStringLiteral("Cannot open \"%1\"").arg(display(path));
    sys::Info info;
    if (const sys::Error e = sys::infoOf(path, info))
        return failOpen(cannotOpen, e.text);
    if (info.directory)
        return failOpen(cannotOpen, sys::Error::fromCode(EISDIR).text);
    if (info.exists && !info.regular) // devices and pipes could block or never end
        return failOpen(cannotOpen, QStringLiteral("not a regular file"));
    if (const sys::Error e = m_file.openForReading(path))
        return failOpen(cannotOpen, e.text);
    if (const sys::Error e = m_file.info(info))
        return failOpen(cannotOpen, e.text);
    m_stamp = sys::stampOf(info);
    m_size = info.size;
    m_readOnly = !pathIsWritable(path);
    m_done = false;
    m_atEnd = false;
    m_buffer.resize(std::size_t(ChunkSize));
    if (!fill()) {
        const QString message = m_error;
        const QString reason = m_reason;
        close();
        m_error = message;
        m_reason = reason;
        if (error)
            *error = message;
        return false;
    }
    startDecoding(isValidEncoding(encoding) ? encoding : Ansi);
    return true;
}

void TextFileReader::startDecoding(DocEncoding requested)
{
    const std::string_view head(m_buffer.data(), m_buffered);
    DocEncoding encoding = requested;
    bool skipMark = false;
    if (requested == Auto) {
        EncodingDetector detector;
        detector.detectSample(head);
        encoding = detector.isUndetermined() ? Auto : detector.encoding();
        skipMark = detector.markLength() > 0;
    } else {
        skipMark = startsWithMark(head, requested);
    }
    // The raw codes keep their mark as text; so do 8-bit files named as such.
    m_markLength = skipMark && !isEightBit(encoding) ? int(markBytes(encoding).size()) : 0;
    m_decoder = Decoder(encoding, m_markLength);

    // A sample of the first chunk, decoded by a throw-away copy of the decoder.
    const std::string_view sample = head.substr(0, 65536);
    Decoder probe(encoding, m_markLength);
    std::string decoded;
    probe.decode(sample, decoded);
    const double ratio = sample.empty() ? 1.0 : double(decoded.size()) / double(sample.size());
    m_textSizeEstimate = std::int64_t(double(m_size) * ratio * 1.01) + 16;
}

void TextFileReader::close()
{
    (void)m_file.close(); // nothing was written: a close error changes nothing read
    m_path.clear();
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_buffered = 0;
    m_size = 0;
    m_textSizeEstimate = 0;
    m_read = 0;
    m_position = 0;
    m_lastChunkSize = 0;
    m_markLength = 0;
    m_readOnly = false;
    m_atEnd = true;
    m_done = true;
    m_restartRequired = false;
    m_restarted = false;
    m_stamp = {};
    m_decoder = Decoder(Ansi);
    m_error.clear();
    m_reason.clear();
}

bool TextFileReader::fill()
{
    while (!m_atEnd && m_buffered < m_buffer.size()) {
        std::size_t got = 0;
        sys::Error e;
        if (const ReadFault &fault = readFault(); fault) {
            if (const int code = fault(m_read))
                e = sys::Error::fromCode(code);
        }
        if (!e)
            e = m_file.read(m_buffer.data() + m_buffered, m_buffer.size() - m_buffered, got);
        if (e)
            return fail(QStringLiteral("Cannot read \"%1\"").arg(display(m_path)), e.text);
        if (got == 0) {
            m_atEnd = true;
            if (m_read < m_size) {
                return fail(QStringLiteral("Cannot read \"%1\"").arg(display(m_path)),
                            QStringLiteral("the file became shorter while it was read"));
            }
        }
        m_buffered += got;
        m_read += std::int64_t(got);
    }
    return true;
}

bool TextFileReader::nextChunk(std::string &editorBytes)
{
    editorBytes.clear();
    m_lastChunkSize = 0;
    if (m_done)
        return false;
    if (!fill())
        return false;
    const auto needRestart = [&] {
        editorBytes.clear();
        m_restartRequired = true;
        m_done = true;
        return false;
    };
    if (m_buffered == 0) {
        m_done = true;
        if (!m_decoder.finish(editorBytes))
            return needRestart();
        return !editorBytes.empty();
    }
    const std::string_view buffered(m_buffer.data(), m_buffered);
    // The last chunk of the file is kept whole: there is nothing after it to carry a cut over to.
    const std::size_t keep = m_atEnd ? m_buffered : cutChunk(buffered, m_decoder.encoding());
    // A cut lands before a space or line break, which no UTF-8 sequence continues over.
    const bool complete = keep < m_buffered ? std::uint8_t(buffered[keep]) < 0x80 : m_atEnd;
    if (!m_decoder.decode(buffered.substr(0, keep), editorBytes, complete))
        return needRestart();
    m_position += std::int64_t(keep);
    m_lastChunkSize = keep;
    std::memmove(m_buffer.data(), m_buffer.data() + keep, m_buffered - keep);
    m_buffered -= keep;
    if (m_atEnd && m_buffered == 0) {
        m_done = true;
        if (!m_decoder.finish(editorBytes))
            return needRestart();
    }
    return true;
}

bool TextFileReader::restartAsAnsi(QString *error)
{
    const auto refuse = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (!m_restartRequired)
        return refuse(QStringLiteral("No restart was required"));
    m_restartRequired = false;
    m_restarted = true;
    if (const sys::Error e = m_file.seekToStart()) {
        fail(QStringLiteral("Cannot read \"%1\"").arg(display(m_path)), e.text);
        return refuse(m_error);
    }
    m_buffered = 0;
    m_read = 0;
    m_position = 0;
    m_lastChunkSize = 0;
    m_markLength = 0;
    m_atEnd = false;
    m_done = false;
    m_decoder = Decoder(Ansi);
    if (!fill())
        return refuse(m_error);
    return true;
}

} // namespace pw::enc
