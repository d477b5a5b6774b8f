// The program's own icon, from the renderings of its drawing compiled into the program.
#pragma once

#include <QIcon>

namespace pw {

// A written page with a pen across it, at every size the icon theme gets.
QIcon appIcon();

} // namespace pw
