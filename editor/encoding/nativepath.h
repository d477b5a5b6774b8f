// File names as the disk has them: bytes that are not UTF-8 survive the trip through a QString.
#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

namespace pw::enc {

// Qt decodes a name that is not valid UTF-8 with replacement characters, so the file it names can
// no longer be reached. These two map such a name to a string and back without loss: each byte
// that is not part of a valid UTF-8 sequence becomes a lone low surrogate U+DC80..U+DCFF, which
// valid UTF-8 can never produce. Valid names give the same string as QFile::decodeName.
QString pathFromNative(const QByteArray &native);
QByteArray nativeFromPath(const QString &path);
// Whether path carries such an escaped byte.
bool hasEscapedBytes(const QString &path);
// The path for people: escaped bytes show as U+FFFD.
QString displayPath(const QString &path);
// The path of a file URL (as dropped files come) with its bytes: QUrl::toLocalFile() decodes
// percent-encoded bytes that are not UTF-8 with replacement characters. Other URLs give "".
QString pathFromLocalUrl(const QUrl &url);
// Existence and writability of what path names, through its real bytes.
bool pathExists(const QString &path);
bool pathIsFile(const QString &path);
bool pathIsWritable(const QString &path);

} // namespace pw::enc
