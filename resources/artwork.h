// The program's icon as shipped: one drawing, its renderings at the theme's sizes, and their names.
#pragma once

#include <QString>
#include <array>

namespace pw::artwork {

// The name the icon goes by in an icon theme and in a desktop entry's Icon key.
inline constexpr char IconName[] = "penwright";
// The sizes rendered from the drawing; each lives in the theme's "<n>x<n>/apps" folder.
inline constexpr std::array<int, 8> IconSizes = {16, 22, 24, 32, 48, 64, 128, 256};

// Resource paths of the drawing (SVG) and of its rendering at one of IconSizes (PNG); empty for a
// size that is not rendered. The resource is registered on first use, so any library linking
// this one can read the files.
QString scalableIconFile();
QString iconFile(int size);

} // namespace pw::artwork
