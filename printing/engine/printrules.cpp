// Printed-page rules: header and footer texts, colour modes, margins and the bands of a page.
#include "printing/engine/printrules.h"

#include "resources/resources.h"
#include "resources/stringids.h"

namespace pw::printing {

QString headerText(const QString &path, const QString &title)
{
    if (path.isEmpty() || path.size() > LongestHeaderPath)
        return title;
    return path;
}

QString footerText(int page)
{
    return QString::fromUtf8(res::string(Str::PrintPageFooter))
        .replace(QLatin1String("%d"), QString::number(page));
}

ColourMode colourMode(int printFormat)
{
    if (printFormat < 0 || printFormat > 3)
        return ColourMode::Normal;
    return ColourMode(printFormat);
}

QMarginsF marginsInMillimetres(const QMarginsF &margins, bool metric)
{
    const qreal toMm = metric ? 0.01 : 0.0254;
    return margins * toMm;
}

PageBands pageBands(const QRect &printable, int lineHeight, bool header, bool footer)
{
    PageBands bands;
    bands.lineHeight = lineHeight;
    bands.body = printable;
    const int band = 2 * lineHeight;
    if (header) {
        bands.header = QRect(printable.left(), printable.top(), printable.width(), band);
        bands.body.setTop(printable.top() + band);
    }
    if (footer) {
        bands.footer = QRect(printable.left(), printable.bottom() - band + 1, printable.width(), band);
        bands.body.setBottom(printable.bottom() - band);
    }
    // A page too small for its bands still gets a body, however thin.
    if (bands.body.height() < 1)
        bands.body.setHeight(1);
    return bands;
}

} // namespace pw::printing
