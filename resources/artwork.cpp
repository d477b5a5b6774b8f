// Registers the icon resource once and names its files.
#include "resources/artwork.h"

#include <algorithm>

// A resource compiled into a static library is only kept and registered when something refers to
// it; these functions are that reference.
static void registerArtwork()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(artwork);
        return true;
    }();
    (void)done;
}

namespace pw::artwork {

QString scalableIconFile()
{
    registerArtwork();
    return QStringLiteral(":/pw/icons/penwright.svg");
}

QString iconFile(int size)
{
    registerArtwork();
    if (std::find(IconSizes.begin(), IconSizes.end(), size) == IconSizes.end())
        return {};
    return QStringLiteral(":/pw/icons/%1x%1/penwright.png").arg(size);
}

} // namespace pw::artwork
