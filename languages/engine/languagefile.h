// Reading a language configuration file into a record, and writing its colours back.
#pragma once

#include "languages/engine/languagerecord.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace pw {

// Language files are small; anything bigger is not one and is not read at all.
inline constexpr qint64 MaxLanguageFileSize = 4 * 1024 * 1024;

// Reads one language file. nullopt when the file cannot be read, is too big, holds NUL bytes, is
// not well-formed XML or defines no usable COLOUR; error then receives the diagnostic
// "Could not load config file '%s'. Error='%s'." (the program shows it nowhere).
std::optional<LanguageRecord> readLanguageFile(const QString &path, QString *error = nullptr);

// The same for the file's bytes already in memory (filePath becomes path).
std::optional<LanguageRecord> parseLanguageFile(const QByteArray &bytes, const QString &path,
                                                QString *error = nullptr);

// Writes the record's DEFAULT, BACKGROUND and COLOUR colours into record.filePath. Every other
// byte of the file stays as it was; only when the file's layout defeats that does the whole file
// take the XML library's standard printing. False, with nothing written, when the file is gone,
// unreadable, too big or no longer well-formed.
bool writeLanguageColours(const LanguageRecord &record);

// The edit itself, on bytes: the new file content, or nullopt when bytes do not parse.
std::optional<QByteArray> patchLanguageColours(const QByteArray &bytes,
                                               const LanguageRecord &record);

} // namespace pw
