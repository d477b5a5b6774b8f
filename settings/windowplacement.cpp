// The 44-byte window placement record kept for the main window and the resizable dialogs.
#include "settings/windowplacement.h"

#include <QtEndian>
#include <climits>

namespace pw {

namespace {

constexpr int FieldCount = 11;
static_assert(WindowPlacement::RecordSize == FieldCount * 4);

} // namespace

WindowPlacement WindowPlacement::fromGeometry(const QRect &normal, bool maximized)
{
    WindowPlacement p;
    p.showCmd = maximized ? ShowMaximized : ShowNormal;
    p.left = normal.x();
    p.top = normal.y();
    p.right = normal.x() + normal.width();
    p.bottom = normal.y() + normal.height();
    return p;
}

QByteArray WindowPlacement::encode() const
{
    const quint32 fields[FieldCount] = {
        quint32(length),
        flags,
        quint32(showCmd == ShowMaximized ? ShowMaximized : ShowNormal),
        quint32(minX),
        quint32(minY),
        quint32(maxX),
        quint32(maxY),
        quint32(left),
        quint32(top),
        quint32(right),
        quint32(bottom)};
    QByteArray bytes(RecordSize, Qt::Uninitialized);
    for (int i = 0; i < FieldCount; ++i)
        qToLittleEndian(fields[i], bytes.data() + i * 4);
    return bytes;
}

std::optional<WindowPlacement> WindowPlacement::decode(QByteArrayView bytes)
{
    if (bytes.size() != RecordSize)
        return std::nullopt;
    auto field = [&](int i) { return qFromLittleEndian<quint32>(bytes.data() + i * 4); };
    WindowPlacement p;
    p.length = qint32(field(0));
    p.flags = field(1);
    p.showCmd = qint32(field(2));
    p.minX = qint32(field(3));
    p.minY = qint32(field(4));
    p.maxX = qint32(field(5));
    p.maxY = qint32(field(6));
    p.left = qint32(field(7));
    p.top = qint32(field(8));
    p.right = qint32(field(9));
    p.bottom = qint32(field(10));
    return p;
}

QRect WindowPlacement::normalGeometry() const
{
    // Widths are computed in 64 bits: a corrupt record must not overflow.
    const qint64 width = qint64(right) - left;
    const qint64 height = qint64(bottom) - top;
    if (width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX)
        return QRect();
    return QRect(left, top, int(width), int(height));
}

} // namespace pw
