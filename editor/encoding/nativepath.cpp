// Lossless mapping of native file names to strings and back.
#include "editor/encoding/nativepath.h"

#include "editor/encoding/fileops.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace pw::enc {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool isEscape(const QString &s, qsizetype i)
{
    const char16_t c = s.at(i).unicode();
    // A low surrogate after a high one is half of a real character.
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !s.at(i - 1).isHighSurrogate());
}

// Length of the valid UTF-8 sequence at data[i], or 0 when there is none.
int validSequence(const unsigned char *data, qsizetype i, qsizetype size)
{
    const unsigned char b = data[i];
    if (b < 0x80)
        return 1;
    int length = 0;
    char32_t min = 0;
    char32_t c = 0;
    if ((b & 0xE0) == 0xC0) {
        length = 2, min = 0x80, c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, min = 0x800, c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, c = b & 0x07;
    } else {
        return 0;
    }
    if (i + length > size)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((data[i + k] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (data[i + k] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString pathFromNative(const QByteArray &native)
{
    const auto *data = reinterpret_cast<const unsigned char *>(native.constData());
    const qsizetype size = native.size();
    QString result;
    result.reserve(size);
    qsizetype run = 0; // start of the valid bytes not yet decoded
    for (qsizetype i = 0; i < size;) {
        const int length = validSequence(data, i, size);
        if (length > 0) {
            i += length;
            continue;
        }
        result += QString::fromUtf8(native.constData() + run, i - run);
        result += QChar(char16_t(EscapeBase + data[i]));
        run = ++i;
    }
    result += QString::fromUtf8(native.constData() + run, size - run);
    return result;
}

bool hasEscapedBytes(const QString &path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (isEscape(path, i))
            return true;
    }
    return false;
}

QByteArray nativeFromPath(const QString &path)
{
    if (!hasEscapedBytes(path))
        return QFile::encodeName(path);
    QByteArray result;
    qsizetype run = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isEscape(path, i))
            continue;
        result += QFile::encodeName(path.mid(run, i - run));
        result += char(path.at(i).unicode() - EscapeBase);
        run = i + 1;
    }
    result += QFile::encodeName(path.mid(run));
    return result;
}

QString displayPath(const QString &path)
{
    if (!hasEscapedBytes(path))
        return path;
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isEscape(path, i))
            shown[i] = QChar(QChar::ReplacementCharacter);
    }
    return shown;
}

QString pathFromLocalUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return QString();
    const QString host = url.host();
    if (!host.isEmpty() && host != QLatin1String("localhost"))
        return url.toLocalFile(); // a share's name, as the system spells it
    return pathFromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

bool pathExists(const QString &path)
{
    if (!hasEscapedBytes(path))
        return QFileInfo::exists(path);
    sys::Info info;
    return !sys::infoOf(path, info) && info.exists;
}

bool pathIsFile(const QString &path)
{
    if (!hasEscapedBytes(path))
        return QFileInfo(path).isFile();
    sys::Info info;
    return !sys::infoOf(path, info) && info.regular;
}

bool pathIsWritable(const QString &path)
{
    return hasEscapedBytes(path) ? sys::isWritable(path) : QFileInfo(path).isWritable();
}

} // namespace pw::enc
