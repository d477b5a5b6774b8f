// Choosing a file's language from its extension, its whole name and its first line.
#pragma once

#include "languages/engine/languagelist.h"

#include <QByteArray>
#include <QString>

namespace pw {

// How many bytes of a file are looked at for its first line.
inline constexpr qsizetype FirstLineBytes = 1024;

// The first line of a file's first bytes, without its line ending: a byte-order mark says UTF-16
// (either order) or UTF-8; bytes without one are read as UTF-8, which keeps every ASCII clue.
QString firstLineOf(const QByteArray &head);
// The first line of the file at path; empty when it cannot be read.
QString readFirstLine(const QString &path);

// The language a first line names, as a lower-case word ("sh", "python", "xml", "make"):
// the program of a "#!" line (through "/usr/bin/env" too, version digits dropped), "xml" for
// "<?xml", or the mode of an Emacs "-*- mode: X -*-" / "-*- X -*-" or vim "vim: set ft=X" line.
// Empty when the line names none.
QString languageHintOf(const QString &firstLine);

// The position in list of the language a hint names: through the usual names of each language's
// files, then a menu label equal to the hint, then the hint taken as an extension; -1 for none.
int indexOfHint(const LanguageList &list, const QString &hint);

// The language of a file opened or saved as path (a folder part is ignored): the extension's
// language first; when the extension names none, or only the catch-all text language, the first
// language listing the whole file name; failing that, the language firstLine names; failing all,
// the extension's text language, else the default with the document's number left as it was.
LanguageChoice chooseLanguage(const LanguageList &list, const QString &path,
                              const QString &firstLine);

} // namespace pw
