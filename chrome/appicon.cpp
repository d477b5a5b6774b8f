// appIcon: the page and nib, drawn at each size from one set of shapes in a 64-unit square.
#include "chrome/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pw {

namespace {

void drawIcon(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    // Background tile.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1a, 0x4a, 0x7a));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // The page, with its top right corner folded.
    QPainterPath page;
    page.moveTo(14, 10);
    page.lineTo(40, 10);
    page.lineTo(50, 20);
    page.lineTo(50, 54);
    page.lineTo(14, 54);
    page.closeSubpath();
    p.setBrush(QColor(0xf7, 0xf7, 0xf2));
    p.drawPath(page);
    p.setBrush(QColor(0xc9, 0xd3, 0xdd));
    p.drawPolygon(QPolygonF({QPointF(40, 10), QPointF(40, 20), QPointF(50, 20)}));
    // Lines of text.
    p.setBrush(QColor(0x8a, 0x99, 0xa8));
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(19, 25 + i * 7, i == 3 ? 14 : 24, 2.5));
    // The nib, from the lower right towards the page.
    QPainterPath nib;
    nib.moveTo(58, 30);
    nib.lineTo(62, 34);
    nib.lineTo(40, 56);
    nib.lineTo(34, 58);
    nib.lineTo(36, 52);
    nib.closeSubpath();
    p.setBrush(QColor(0xe8, 0x8a, 0x1a));
    p.drawPath(nib);
}

} // namespace

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.scale(size / 64.0, size / 64.0);
        drawIcon(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace pw
