// The program's own icon, drawn in code so every size is sharp and nothing needs an image file.
#pragma once

#include <QIcon>

namespace pw {

// A page with lines of text and a pen nib across it, at the usual icon sizes.
QIcon appIcon();

} // namespace pw
