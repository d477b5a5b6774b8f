// Printed-page rules: header and footer texts, colour modes, margins and the bands of a page.
#pragma once

#include <QMarginsF>
#include <QRect>
#include <QString>

namespace pw::printing {

// A path this long or longer does not fit the header's line; the title stands in for it.
inline constexpr int LongestHeaderPath = 68;

// The header: the full path when it is short enough, otherwise (and for a document without a
// file) the title.
QString headerText(const QString &path, const QString &title);
// The footer of page (counted from 1): "Page 1", "Page 2", ...
QString footerText(int page);

// The component's print colour modes, as "PrintFormat" stores them.
enum class ColourMode { Normal = 0, InvertLight = 1, BlackOnWhite = 2, ColourOnWhite = 3 };
// "PrintFormat" to the mode it asks for; a value out of range prints as the screen shows.
ColourMode colourMode(int printFormat);

// The page setup's margins (hundredths of a millimetre when metric, otherwise thousandths of an
// inch) in millimetres.
QMarginsF marginsInMillimetres(const QMarginsF &margins, bool metric);

// Where the parts of one page go, in device units.
struct PageBands
{
    QRect body;   // the component's text
    QRect header; // empty when the header is off
    QRect footer; // empty when the footer is off
    int lineHeight = 0;
};
// Splits the printable rectangle: each band takes two lines of lineHeight off the body.
PageBands pageBands(const QRect &printable, int lineHeight, bool header, bool footer);

} // namespace pw::printing
