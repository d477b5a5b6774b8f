// Command icons: a table of shapes on a 16-unit grid per command, a few style icons, and badges.
#include "chrome/toolbaricons.h"

#include "resources/commandids.h"
#include "resources/resources.h"

#include <QApplication>
#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <algorithm>
#include <array>
#include <vector>

namespace pw {

namespace {

// A colour of the pictures: a base, how much darker or lighter (in percent, as QColor takes
// it) and its opacity. Fully transparent means "do not draw" (no pen, no brush).
struct Paint
{
    QRgb rgb = 0;
    int darker = 100;
    int lighter = 100;
    int alpha = 255;
};

constexpr Paint kNone{0, 100, 100, 0};
constexpr Paint kCharcoal{0x333b48}, kPaper{0xffffff}, kGrey{0x8a9099}, kPaleGrey{0xe4e7eb},
    kSilver{0xc8cdd4}, kLabel{0xdde3ea}, kSlate{0x333b48, 100, 150};
constexpr Paint kBlue{0x2f6fc8}, kDarkBlue{0x2f6fc8, 130}, kMidBlue{0x2f6fc8, 120},
    kLightBlue{0xbfd9f4}, kTint{0x2f6fc8, 100, 100, 90}, kBookmarkBlue{0x5b9be8};
constexpr Paint kGreen{0x2e8b3a}, kDarkGreen{0x2e8b3a, 130};
constexpr Paint kRed{0xd0312d}, kDarkRed{0xd0312d, 130}, kDeepRed{0xd0312d, 140};
constexpr Paint kYellow{0xf2c23c}, kPaleYellow{0xf2c23c, 100, 130}, kBrown{0xb0804a};

QColor colour(const Paint &paint)
{
    QColor c(paint.rgb);
    if (paint.darker != 100)
        c = c.darker(paint.darker);
    if (paint.lighter != 100)
        c = c.lighter(paint.lighter);
    c.setAlpha(paint.alpha);
    return c;
}

// What a shape is; the numbers it takes are listed with each, all in 16ths of the icon.
enum class Op : quint8 {
    Line,      // x1 y1 x2 y2
    Rect,      // x y w h corner-radius
    Ellipse,   // cx cy rx ry
    Triangle,  // x1 y1 x2 y2 x3 y3
    Curve,     // x1 y1, two control points, x2 y2: a cubic Bezier
    Arc,       // x y w h start-degrees span-degrees
    Sheet,     // x y w h: paper with a folded top-right corner
    Lines,     // x y width count step: lines of text, every third one shorter
    Magnifier, // cx cy radius
    Arrow,     // x1 y1 x2 y2: a line with a filled head at the second point
    Floppy,    // x y w h
    Cross,     // cx cy half-size
};

struct Shape
{
    Op op;
    Paint stroke = kNone;
    float width = 1.0f;
    Paint fill = kNone;
    std::array<float, 8> v{};
};

Shape line(const Paint &c, float w, float x1, float y1, float x2, float y2)
{
    return {Op::Line, c, w, kNone, {x1, y1, x2, y2}};
}
Shape rect(const Paint &c, float w, const Paint &fill, float x, float y, float wd, float h,
           float radius = 0)
{
    return {Op::Rect, c, w, fill, {x, y, wd, h, radius}};
}
Shape ellipse(const Paint &c, float w, const Paint &fill, float cx, float cy, float rx, float ry)
{
    return {Op::Ellipse, c, w, fill, {cx, cy, rx, ry}};
}
Shape triangle(const Paint &c, const Paint &fill, float x1, float y1, float x2, float y2, float x3,
               float y3)
{
    return {Op::Triangle, c, 0.8f, fill, {x1, y1, x2, y2, x3, y3}};
}
Shape curve(const Paint &c, float w, std::array<float, 8> points)
{
    return {Op::Curve, c, w, kNone, points};
}
Shape arc(const Paint &c, float w, float x, float y, float wd, float h, float start, float span)
{
    return {Op::Arc, c, w, kNone, {x, y, wd, h, start, span}};
}
Shape sheet(float x, float y, float w, float h)
{
    return {Op::Sheet, kCharcoal, 0.8f, kPaper, {x, y, w, h}};
}
Shape lines(const Paint &c, float x, float y, float width, int count, float step)
{
    return {Op::Lines, c, 1.0f, kNone, {x, y, width, float(count), step}};
}
Shape magnifier(float cx, float cy, float r)
{
    return {Op::Magnifier, kCharcoal, 1.2f, kLightBlue, {cx, cy, r}};
}
Shape arrow(const Paint &c, float x1, float y1, float x2, float y2)
{
    return {Op::Arrow, c, 1.6f, c, {x1, y1, x2, y2}};
}
Shape floppy(float x, float y, float w, float h)
{
    return {Op::Floppy, kCharcoal, 0.8f, kBlue, {x, y, w, h}};
}
Shape cross(const Paint &c, float cx, float cy, float half)
{
    return {Op::Cross, c, 1.8f, kNone, {cx, cy, half}};
}
Shape bookmark(float x, float y, float w, float h)
{
    return rect(kDarkBlue, 0.8f, kBookmarkBlue, x, y, w, h, 1.5f);
}

struct Picture
{
    int id;
    std::vector<Shape> shapes;
    bool mirrored = false; // drawn flipped left to right
};

const std::vector<Picture> &pictures()
{
    const std::vector<Shape> bentArrow = {
        curve(kBlue, 2.0f, {4, 6, 8, 2.5, 14.5, 4, 13.5, 10}),
        curve(kBlue, 2.0f, {13.5, 10, 13, 12.5, 11, 13.5, 9, 13.5}),
        triangle(kNone, kBlue, 1.5, 3, 7.5, 4, 3, 9.5),
    };
    const std::vector<Shape> navigation = {
        ellipse(kMidBlue, 0.8f, kBlue, 8, 8, 6.5, 6.5),
        triangle(kNone, kPaper, 10, 4.5, 5, 8, 10, 11.5),
    };
    static const std::vector<Picture> table = {
        {Cmd::FileSaveAll, {floppy(5, 1, 10, 10), floppy(1, 5, 10, 10)}},
        {Cmd::EditCut,
         {line(kCharcoal, 1.3f, 4.5, 1.5, 10, 10), line(kCharcoal, 1.3f, 11.5, 1.5, 6, 10),
          ellipse(kRed, 1.4f, kNone, 4.5, 12, 2.4, 2.4),
          ellipse(kRed, 1.4f, kNone, 11.5, 12, 2.4, 2.4)}},
        {Cmd::EditCopy,
         {sheet(1.5, 1.5, 8, 10), sheet(6.5, 4.5, 8, 10), lines(kGrey, 8, 9, 5, 3, 2)}},
        {Cmd::EditPaste,
         {rect(kCharcoal, 0.8f, kBrown, 2, 2.5, 10, 12.5, 1),
          rect(kCharcoal, 0.8f, kGrey, 4.5, 1, 5, 3, 1), sheet(7, 6, 7.5, 9)}},
        {Cmd::EditUndo, bentArrow},
        {Cmd::EditRedo, bentArrow, true},
        {Cmd::EditFind, {magnifier(6.5, 6.5, 4.5)}},
        {Cmd::FindNext, {magnifier(5.5, 5.5, 4), arrow(kGreen, 9, 13, 15, 13)}},
        {Cmd::FindPrevious, {magnifier(5.5, 5.5, 4), arrow(kGreen, 15, 13, 9, 13)}},
        {Cmd::EditReplace,
         {rect(kCharcoal, 0.8f, kLightBlue, 1, 1.5, 6, 5),
          rect(kCharcoal, 0.8f, kYellow, 9, 9.5, 6, 5), arrow(kGreen, 4, 8, 8, 12),
          arrow(kGreen, 12, 8, 8.5, 4)}},
        {Cmd::GotoLine,
         {lines(kGrey, 7, 3, 7.5, 5, 2.5), line(kBlue, 1.6f, 7, 8, 14.5, 8),
          arrow(kBlue, 1, 8, 5.5, 8)}},
        {Cmd::FindInFiles,
         {rect(kCharcoal, 0.8f, kYellow, 1, 4, 12, 9, 1),
          rect(kCharcoal, 0.8f, kYellow, 1, 2.5, 5, 2), magnifier(9.5, 9.5, 3.3)}},
        {Cmd::ToggleBookmark, {bookmark(3, 3, 10, 10)}},
        {Cmd::NextBookmark, {bookmark(1.5, 1.5, 8, 8), arrow(kGreen, 12.5, 5, 12.5, 15)}},
        {Cmd::PreviousBookmark, {bookmark(1.5, 6.5, 8, 8), arrow(kGreen, 12.5, 11, 12.5, 1)}},
        {Cmd::ClearBookmarks, {bookmark(1.5, 1.5, 9, 9), cross(kRed, 11.5, 11.5, 2.8)}},
        {Cmd::CommentLines,
         {line(kGreen, 1.6f, 3, 12, 6.5, 4), line(kGreen, 1.6f, 7, 12, 10.5, 4)}},
        {Cmd::UnCommentLines,
         {line(kGrey, 1.6f, 3, 12, 6.5, 4), line(kGrey, 1.6f, 7, 12, 10.5, 4),
          cross(kRed, 12, 12, 2.5)}},
        {Cmd::IndentRight, {lines(kCharcoal, 7, 3, 7.5, 5, 2.5), arrow(kBlue, 1, 8, 5.5, 8)}},
        {Cmd::IndentLeft, {lines(kCharcoal, 7, 3, 7.5, 5, 2.5), arrow(kBlue, 5.5, 8, 1, 8)}},
        {Cmd::ViewWordWrap,
         {line(kCharcoal, 1.0f, 1.5, 3, 13.5, 3), line(kCharcoal, 1.0f, 1.5, 13, 6.5, 13),
          line(kCharcoal, 1.0f, 1.5, 8, 4, 8), line(kBlue, 1.5f, 6, 8, 12, 8),
          curve(kBlue, 1.5f, {12, 8, 15.5, 8, 15.5, 13, 12, 13}),
          line(kBlue, 1.5f, 12, 13, 10.5, 13), triangle(kNone, kBlue, 8, 13, 11, 10.5, 11, 15.5)}},
        {Cmd::ViewWhitespace,
         {ellipse(kNone, 0, kCharcoal, 2.5, 4.5, 1, 1), ellipse(kNone, 0, kCharcoal, 6, 4.5, 1, 1),
          ellipse(kNone, 0, kCharcoal, 9.5, 4.5, 1, 1), ellipse(kNone, 0, kCharcoal, 13, 4.5, 1, 1),
          arrow(kBlue, 1.5, 11.5, 14.5, 11.5)}},
        {Cmd::ViewLineEndings,
         {lines(kCharcoal, 1.5, 4, 7, 3, 4), line(kBlue, 1.3f, 13.5, 2, 13.5, 4),
          line(kBlue, 1.3f, 13.5, 4, 10.5, 4), line(kBlue, 1.3f, 13.5, 6, 13.5, 8),
          line(kBlue, 1.3f, 13.5, 8, 10.5, 8), line(kBlue, 1.3f, 13.5, 10, 13.5, 12),
          line(kBlue, 1.3f, 13.5, 12, 10.5, 12)}},
        {Cmd::ViewLineNumbers,
         {rect(kNone, 0, kPaleGrey, 1, 1, 5, 14), line(kBlue, 1.2f, 3.5, 2.5, 3.5, 5),
          line(kBlue, 1.2f, 2.5, 7, 4.5, 7), line(kBlue, 1.2f, 4.5, 7, 2.5, 10),
          line(kBlue, 1.2f, 2.5, 10, 4.5, 10), line(kBlue, 1.2f, 2.5, 12, 4.5, 12),
          line(kBlue, 1.2f, 4.5, 12, 4.5, 14.5), line(kBlue, 1.2f, 2.5, 14.5, 4.5, 14.5),
          lines(kCharcoal, 8, 3.5, 6.5, 4, 3.3)}},
        {Cmd::ViewCaretLine,
         {rect(kNone, 0, kPaleYellow, 1, 6, 14, 4), lines(kCharcoal, 2, 3.5, 12, 4, 3)}},
        {Cmd::ViewCodeFolding,
         {rect(kCharcoal, 0.8f, kPaper, 1.5, 2, 5, 5), line(kCharcoal, 0.8f, 2.8, 4.5, 5.2, 4.5),
          line(kCharcoal, 0.8f, 4, 7, 4, 14), line(kCharcoal, 0.8f, 4, 14, 6.5, 14),
          lines(kGrey, 8.5, 4.5, 6, 4, 3)}},
        {Cmd::ViewMatchBracket,
         {arc(kBlue, 1.6f, 2, 2, 8, 12, 100, 160), arc(kBlue, 1.6f, 6, 2, 8, 12, -80, 160)}},
        {Cmd::ViewColumnSelect,
         {lines(kGrey, 1.5, 3, 13, 5, 2.5), rect(kBlue, 1.0f, kTint, 5, 1.5, 6, 13)}},
        {Cmd::FilePrint,
         {rect(kCharcoal, 0.8f, kPaper, 4, 1.5, 8, 5),
          rect(kCharcoal, 0.8f, kSilver, 1.5, 6, 13, 6, 1),
          rect(kCharcoal, 0.8f, kPaper, 4, 10, 8, 4.5), lines(kGrey, 5.5, 12, 5, 2, 1.5),
          ellipse(kNone, 0, kGreen, 12.5, 8, 0.8, 0.8)}},
        {Cmd::FilePrintPreview,
         {sheet(1.5, 1, 10, 13), lines(kGrey, 3.5, 4, 5, 3, 2), magnifier(9.5, 9.5, 3.2)}},
        {Cmd::NavigateBackward, navigation},
        {Cmd::NavigateForward, navigation, true},
        {Cmd::MacroRecord, {ellipse(kDarkRed, 0.8f, kRed, 8, 8, 5.5, 5.5)}},
        {Cmd::MacroStopRecording, {rect(kCharcoal, 0.8f, kSlate, 3, 3, 10, 10)}},
        {Cmd::MacroRun, {triangle(kDarkGreen, kGreen, 4, 2.5, 13.5, 8, 4, 13.5)}},
        {Cmd::StopUserTool,
         {rect(kDeepRed, 0.8f, kRed, 2.5, 2.5, 11, 11, 2), line(kPaper, 1.6f, 5.5, 8, 10.5, 8)}},
        {Cmd::SpellChecker,
         {lines(kCharcoal, 1.5, 3, 12, 2, 3), line(kGreen, 2.0f, 4, 11, 7, 14),
          line(kGreen, 2.0f, 7, 14, 14, 7)}},
        {Cmd::PreviewInBrowser,
         {ellipse(kDarkBlue, 1.0f, kLightBlue, 8, 8, 6.5, 6.5),
          ellipse(kDarkBlue, 1.0f, kNone, 8, 8, 3, 6.5), line(kDarkBlue, 1.0f, 1.5, 8, 14.5, 8)}},
        {Cmd::ToggleTabs,
         {rect(kCharcoal, 0.8f, kPaper, 1.5, 4.5, 13, 10),
          rect(kCharcoal, 0.8f, kLightBlue, 1.5, 1.5, 5, 3),
          rect(kCharcoal, 0.8f, kPaleGrey, 6.5, 1.5, 5, 3)}},
    };
    return table;
}

// Commands that a QStyle draws well enough.
struct StandardPicture
{
    int id;
    QStyle::StandardPixmap pixmap;
};
constexpr StandardPicture kStandardPictures[] = {
    {Cmd::FileNew, QStyle::SP_FileIcon},
    {Cmd::FileOpen, QStyle::SP_DialogOpenButton},
    {Cmd::FileSave, QStyle::SP_DialogSaveButton},
    {Cmd::FileClose, QStyle::SP_DialogCloseButton},
    {Cmd::HelpTopics, QStyle::SP_DialogHelpButton},
    {Cmd::HelpContents, QStyle::SP_DialogHelpButton},
    {Cmd::RefreshFileExplorer, QStyle::SP_BrowserReload},
    {Cmd::ProjectRefresh, QStyle::SP_BrowserReload},
};

QPen pen(const Paint &ink, qreal width)
{
    if (ink.alpha == 0)
        return Qt::NoPen;
    QPen p(colour(ink), width);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

QBrush brush(const Paint &ink)
{
    return ink.alpha == 0 ? QBrush(Qt::NoBrush) : QBrush(colour(ink));
}

void drawArrow(QPainter &p, const QPointF &from, const QPointF &to, const Paint &ink)
{
    constexpr qreal head = 3.0;
    const QLineF line(from, to);
    const QLineF back(to, from);
    QLineF left = back;
    left.setLength(head);
    left.setAngle(back.angle() + 35);
    QLineF right = back;
    right.setLength(head);
    right.setAngle(back.angle() - 35);
    p.drawLine(QLineF(from, line.pointAt(1.0 - 0.5 / std::max<qreal>(1.0, line.length()))));
    p.setBrush(brush(ink));
    p.drawPolygon(QPolygonF({to, left.p2(), right.p2()}));
}

void drawSheet(QPainter &p, const QRectF &r)
{
    const qreal fold = r.width() / 3;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void drawShape(QPainter &p, const Shape &s)
{
    const auto &v = s.v;
    p.setPen(pen(s.stroke, s.width));
    p.setBrush(brush(s.fill));
    switch (s.op) {
    case Op::Line:
        p.drawLine(QPointF(v[0], v[1]), QPointF(v[2], v[3]));
        break;
    case Op::Rect:
        if (v[4] > 0)
            p.drawRoundedRect(QRectF(v[0], v[1], v[2], v[3]), v[4], v[4]);
        else
            p.drawRect(QRectF(v[0], v[1], v[2], v[3]));
        break;
    case Op::Ellipse:
        p.drawEllipse(QPointF(v[0], v[1]), v[2], v[3]);
        break;
    case Op::Triangle:
        p.drawPolygon(QPolygonF({QPointF(v[0], v[1]), QPointF(v[2], v[3]), QPointF(v[4], v[5])}));
        break;
    case Op::Curve: {
        QPainterPath path(QPointF(v[0], v[1]));
        path.cubicTo(QPointF(v[2], v[3]), QPointF(v[4], v[5]), QPointF(v[6], v[7]));
        p.drawPath(path);
        break;
    }
    case Op::Arc:
        p.drawArc(QRectF(v[0], v[1], v[2], v[3]), int(v[4] * 16), int(v[5] * 16));
        break;
    case Op::Sheet:
        drawSheet(p, QRectF(v[0], v[1], v[2], v[3]));
        break;
    case Op::Lines:
        for (int i = 0; i < int(v[3]); ++i) {
            const qreal w = (i % 3 == 2) ? v[2] * 0.6 : v[2];
            const qreal y = v[1] + i * v[4];
            p.drawLine(QPointF(v[0], y), QPointF(v[0] + w, y));
        }
        break;
    case Op::Magnifier: {
        const QPointF centre(v[0], v[1]);
        const qreal r = v[2];
        p.setPen(pen(s.stroke, 2.0));
        const QPointF handle = centre + QPointF(r * 0.7, r * 0.7);
        p.drawLine(handle, handle + QPointF(r * 0.9, r * 0.9));
        p.setPen(pen(s.stroke, s.width));
        p.drawEllipse(centre, r, r);
        break;
    }
    case Op::Arrow:
        drawArrow(p, QPointF(v[0], v[1]), QPointF(v[2], v[3]), s.fill);
        break;
    case Op::Floppy: {
        const QRectF r(v[0], v[1], v[2], v[3]);
        p.drawRoundedRect(r, 1, 1);
        p.setBrush(brush(kPaper));
        p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.6, r.height() * 0.4));
        p.setBrush(brush(kLabel));
        p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.6, r.width() * 0.5,
                          r.height() * 0.4));
        break;
    }
    case Op::Cross: {
        const QPointF centre(v[0], v[1]);
        const qreal half = v[2];
        p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
        p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
        break;
    }
    }
}

// The first letter of the command's text, for the badge of commands without a picture.
QChar badgeLetter(int id)
{
    if (const res::CommandInfo *info = res::findCommand(id)) {
        for (const QChar c : QString::fromUtf8(info->text)) {
            if (c.isLetterOrNumber())
                return c.toUpper();
        }
    }
    return QLatin1Char('?');
}

void drawBadge(QPainter &p, int id)
{
    // A stable colour per command keeps neighbouring badges apart.
    const QColor fill = QColor::fromHsv(int((quint32(id) * 47u) % 360u), 140, 170);
    QPen border(fill.darker(140), 0.8);
    p.setPen(border);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QString(badgeLetter(id)));
}

QPixmap render(int id, const Picture *picture, int size, qreal dpr)
{
    QPixmap pixmap(int(size * dpr), int(size * dpr));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(size / 16.0, size / 16.0);
    if (!picture) {
        drawBadge(painter, id);
        return pixmap;
    }
    if (picture->mirrored) {
        painter.translate(16, 0);
        painter.scale(-1, 1);
    }
    for (const Shape &shape : picture->shapes)
        drawShape(painter, shape);
    return pixmap;
}

QIcon makeIcon(int id)
{
    const auto standard = std::find_if(std::begin(kStandardPictures), std::end(kStandardPictures),
                                       [id](const StandardPicture &s) { return s.id == id; });
    if (standard != std::end(kStandardPictures) && QApplication::style()) {
        QIcon icon = QApplication::style()->standardIcon(standard->pixmap);
        // Some platform themes hand back an icon with no pictures behind it.
        if (!icon.isNull() && !icon.pixmap(16, 16).isNull())
            return icon;
    }
    const std::vector<Picture> &table = pictures();
    const auto it =
        std::find_if(table.begin(), table.end(), [id](const Picture &p) { return p.id == id; });
    const Picture *picture = it != table.end() ? &*it : nullptr;
    QIcon icon;
    for (int size : {16, 24}) {
        icon.addPixmap(render(id, picture, size, 1.0));
        icon.addPixmap(render(id, picture, size, 2.0));
    }
    return icon;
}

} // namespace

QIcon commandIcon(int id)
{
    // Pixmaps must go before the application does, so the cache is emptied as it ends.
    static QHash<int, QIcon> *cache = nullptr;
    if (!cache) {
        cache = new QHash<int, QIcon>;
        qAddPostRoutine([] {
            delete cache;
            cache = nullptr;
        });
    }
    auto it = cache->find(id);
    if (it == cache->end())
        it = cache->insert(id, makeIcon(id));
    return *it;
}

} // namespace pw
