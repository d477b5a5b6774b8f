// appIcon: the shipped icon's renderings, the same artwork the desktop entry and the icon theme
// get.
#include "chrome/appicon.h"

#include "resources/artwork.h"

namespace pw {

QIcon appIcon()
{
    QIcon icon;
    for (int size : artwork::IconSizes)
        icon.addFile(artwork::iconFile(size), QSize(size, size));
    return icon;
}

} // namespace pw
