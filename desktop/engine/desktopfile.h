// The desktop entry's text: its command line, its icon, and the file types it offers to open.
#pragma once

#include <QString>
#include <QStringList>

namespace pw::desktop {

// The entry's file name; the same for the system's entry and a user's, so a user's entry stands in
// for the system's one rather than showing the program twice.
inline constexpr char DesktopFileName[] = "penwright.desktop";

// Extensions of the shipped language files, lower case with their dot, as read from the language
// folder when the build was configured.
const QStringList &shippedExtensions();

// The MIME types the reviewed extension table gives for these extensions, sorted, each once,
// "text/plain" always among them. Extensions are matched without regard to case.
QStringList mimeTypesForExtensions(const QStringList &extensions);

// The MIME types of the shipped languages: the one list both the installed entry and a user's
// entry carry.
QStringList shippedMimeTypes();

// One argument of an Exec key: quoted when it holds a reserved character, "%" doubled, then the
// key file's own escapes applied. Empty when the text cannot stand in an entry (control
// characters, an empty argument).
QString execArgument(const QString &argument);

// The whole entry for a program started as `executable` (an absolute path, or a name looked up
// on PATH). Empty when the path cannot stand in an entry.
QString desktopEntryText(const QString &executable);

} // namespace pw::desktop
