// The macros file: reading it within bounds, and the edits the macro dialogs make to it.
#pragma once

#include <QString>
#include <QStringList>
#include <tinyxml2.h>

namespace pw::macrofile {

enum class ReadResult { Read, Missing, TooLarge, Malformed };

// Parses the file into doc unless it is missing, larger than MaxFileBytes or not well-formed.
ReadResult read(const QString &path, tinyxml2::XMLDocument &doc);
// Writes doc, making the folder first; false when it cannot be written.
bool write(const QString &path, tinyxml2::XMLDocument &doc);

// The "macros" root of doc, or null.
tinyxml2::XMLElement *root(tinyxml2::XMLDocument &doc);
// The first "macro" under root whose "name" is non-empty and equals name exactly, or null.
tinyxml2::XMLElement *findMacro(tinyxml2::XMLElement *root, const QString &name);

// Every macro's name in file order (empty when the file cannot be read; result, when given,
// tells why).
QStringList names(const QString &path, ReadResult *result = nullptr);
// Whether the file names a macro so; false when the file cannot be read.
bool contains(const QString &path, const QString &name);
// Remove and rename act on the first macro of that name; false when the file, its root or the
// macro is missing, or the file cannot be written.
bool remove(const QString &path, const QString &name);
bool rename(const QString &path, const QString &from, const QString &to);

} // namespace pw::macrofile
