// Icons of the commands on toolbars: drawn by the program so they exist on every desktop.
#pragma once

#include <QIcon>

namespace pw {

// The icon of a command, with pixmaps for 16 and 24 pixel toolbars (and their double-density
// forms). Commands without a picture of their own get a badge with the first letter of their
// text, so a toolbar button is never blank. The icons are made once and cached.
QIcon commandIcon(int id);

} // namespace pw
