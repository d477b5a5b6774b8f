// Adds and removes the program's desktop entry and icon in a user's data folder.
#pragma once

#include <QString>

namespace pw::desktop {

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
QString defaultDataHome();

// Whether "<dataHome>/applications/penwright.desktop" is there.
bool isDesktopEntryInstalled(const QString &dataHome);

// Writes the icon into "<dataHome>/icons/hicolor" (the drawing and every rendering) and then the
// entry into "<dataHome>/applications", each file replaced atomically, for a program started as
// `executable`. On failure nothing this call created is left behind, and *error (when given)
// says what went wrong.
bool installDesktopEntry(const QString &dataHome, const QString &executable, QString *error);

// Removes exactly the files installDesktopEntry writes, then the folders that held only them.
// Succeeds when nothing was installed.
bool removeDesktopEntry(const QString &dataHome, QString *error);

} // namespace pw::desktop
