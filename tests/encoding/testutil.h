// Small helpers shared by the encoding tests: byte strings, files, whole-file load and save.
#pragma once

#include "editor/encoding/textfile.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <string>
#include <vector>

namespace pw::enc::test {

inline std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    out.reserve(values.size());
    for (int v : values)
        out.push_back(char(v));
    return out;
}

inline std::string hex(const std::string &data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : data) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
        out.push_back(' ');
    }
    return out;
}

inline bool writeFile(const QString &path, const std::string &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data.data(), qint64(data.size())) == qint64(data.size());
}

inline std::string readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    const QByteArray all = file.readAll();
    return std::string(all.constData(), std::size_t(all.size()));
}

// Every entry of a folder, hidden ones included.
inline QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct Loaded
{
    bool ok = false;
    std::string text;
    std::vector<std::size_t> chunkSizes; // file bytes behind each chunk
    int markLength = -1;
    QString error;
};

inline Loaded loadAll(const QString &path, DocEncoding encoding, int markLength)
{
    Loaded result;
    TextFileReader reader;
    result.ok = reader.open(path, encoding, markLength, &result.error);
    if (!result.ok)
        return result;
    result.markLength = reader.markLength();
    std::string chunk;
    while (reader.nextChunk(chunk)) {
        result.text += chunk;
        result.chunkSizes.push_back(reader.lastChunkSize());
    }
    if (reader.hasError()) {
        result.ok = false;
        result.error = reader.errorString();
    }
    return result;
}

// Saves text in pieces of at most pieceSize editor bytes.
inline bool saveAll(const QString &path, DocEncoding encoding, const std::string &text,
                    QString *error = nullptr, std::size_t pieceSize = 262144)
{
    TextFileWriter writer;
    if (!writer.open(path, encoding, error))
        return false;
    for (std::size_t at = 0; at < text.size(); at += pieceSize) {
        if (!writer.write(std::string_view(text).substr(at, pieceSize), error))
            return false;
    }
    return writer.commit(error);
}

} // namespace pw::enc::test
