// Saving the piece table, re-basing onto the saved file, and the health of the opened files.
#include "hex/engine/hexbuffer.h"

#include <fcntl.h>
#include <unistd.h>

namespace pw::hex {

bool HexBuffer::hasError() const
{
    for (const auto &f : m_files) {
        if (f && f->failed())
            return true;
    }
    return false;
}

std::string HexBuffer::errorString() const
{
    for (const auto &f : m_files) {
        if (f && f->failed())
            return f->error();
    }
    return {};
}

bool HexBuffer::checkFiles() const
{
    bool ok = true;
    for (const auto &f : m_files) {
        if (f && !f->checkLength())
            ok = false;
    }
    return ok;
}

bool HexBuffer::writeTo(AtomicFileWriter &writer, std::string *error) const
{
    // A file that lost bytes would give a saved file with holes in the user's data.
    for (const Piece &p : m_pieces) {
        if (p.source != 0 && !file(p.source).checkLength()) {
            if (error)
                *error = file(p.source).error();
            return false;
        }
    }
    for (const Piece &p : m_pieces) {
        if (p.source == 0) {
            if (!writer.append(m_added.data() + p.from, std::size_t(p.length), error))
                return false;
            continue;
        }
        const FileSource &source = file(p.source);
        Offset shortAt = 0;
        std::string why;
        switch (writer.appendFrom(source.descriptor(), p.from, p.length, &why, &shortAt)) {
        case AtomicFileWriter::CopyStatus::Copied:
            continue;
        case AtomicFileWriter::CopyStatus::SourceShort:
            source.setFailed(source.shrunkMessage(shortAt));
            why = source.error();
            break;
        case AtomicFileWriter::CopyStatus::SourceFailed:
            source.setFailed("Cannot read \"" + source.path() + "\": " + why);
            why = source.error();
            break;
        case AtomicFileWriter::CopyStatus::Cancelled:
            why = "The save of \"" + writer.target() + "\" was stopped; the file is unchanged";
            break;
        case AtomicFileWriter::CopyStatus::WriteFailed:
            break;
        }
        if (error)
            *error = why;
        return false;
    }
    // Shortened while it was copied: what was copied may already miss bytes.
    for (const Piece &p : m_pieces) {
        if (p.source != 0 && !file(p.source).checkLength()) {
            if (error)
                *error = file(p.source).error();
            return false;
        }
    }
    return true;
}

bool HexBuffer::writeCopy(const std::string &path, std::string *error,
                          const SaveOptions &options) const
{
    AtomicFileWriter writer(options);
    return writer.begin(path, m_size, error) && writeTo(writer, error) && writer.commit(error);
}

bool HexBuffer::saveTo(const std::string &path, std::string *error, const SaveOptions &options)
{
    AtomicFileWriter writer(options);
    if (!writer.begin(path, m_size, error) || !writeTo(writer, error) || !writer.commit(error))
        return false;
    // The written file is the content now: read from it from here on. The descriptor was opened
    // for the temporary name and follows the file through the rename.
    const int fd = writer.takeDescriptor();
    m_files.push_back(std::make_unique<FileSource>(fd, path, m_size, m_options.cache));
    m_pieces.clear();
    if (m_size > 0)
        m_pieces.push_back({0, 0, m_size, std::uint32_t(m_files.size())});
    m_path = path;
    setSavePoint();
    dropUnusedSources();
    return true;
}

bool HexBuffer::save(std::string *error, const SaveOptions &options)
{
    return saveTo(m_path, error, options);
}

bool HexBuffer::saveAs(const std::string &path, std::string *error, const SaveOptions &options)
{
    return saveTo(path, error, options);
}

} // namespace pw::hex
