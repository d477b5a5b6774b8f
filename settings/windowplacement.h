// The 44-byte window placement record kept for the main window and the resizable dialogs.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QRect>
#include <optional>

namespace pw {

// Eleven 32-bit little-endian fields in this order: length, flags, show state, minimised
// position (x, y), maximised position (x, y), normal rectangle (left, top, right, bottom).
// The rectangle is the restored frame in screen coordinates with right and bottom exclusive.
struct WindowPlacement
{
    static constexpr qsizetype RecordSize = 44;
    // Show states as the record numbers them; 2, 6 and 7 are the minimised variants.
    static constexpr qint32 ShowNormal = 1;
    static constexpr qint32 ShowMinimized = 2;
    static constexpr qint32 ShowMaximized = 3;

    qint32 length = qint32(RecordSize);
    quint32 flags = 0;
    qint32 showCmd = ShowNormal;
    qint32 minX = -1;
    qint32 minY = -1;
    qint32 maxX = -1;
    qint32 maxY = -1;
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;

    // The record for a window whose restored geometry is normal; the show state is 3 when
    // maximized and 1 otherwise (a minimised window is recorded as normal).
    static WindowPlacement fromGeometry(const QRect &normal, bool maximized);

    // Exactly RecordSize bytes. The show state is written as 3 when it is 3 and as 1 otherwise,
    // so a stored placement never reopens minimised.
    QByteArray encode() const;
    // Only a value of exactly RecordSize bytes is a placement; anything else gives nullopt.
    static std::optional<WindowPlacement> decode(QByteArrayView bytes);

    // How a window restored from this record is shown: maximised for show state 3, normal for
    // everything else, including the minimised states.
    bool opensMaximized() const { return showCmd == ShowMaximized; }
    // The restored frame; a null rectangle when the stored one is empty or inverted.
    QRect normalGeometry() const;

    friend bool operator==(const WindowPlacement &, const WindowPlacement &) = default;
};

} // namespace pw
