// Command icons: a few standard style icons and small pictures drawn on a 16-unit grid.
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
#include <functional>

namespace pw {

namespace {

using Draw = std::function<void(QPainter &)>;

const QColor kInk(0x33, 0x3b, 0x48);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kBlue(0x2f, 0x6f, 0xc8);
const QColor kLightBlue(0xbf, 0xd9, 0xf4);
const QColor kGreen(0x2e, 0x8b, 0x3a);
const QColor kRed(0xd0, 0x31, 0x2d);
const QColor kGrey(0x8a, 0x90, 0x99);
const QColor kYellow(0xf2, 0xc2, 0x3c);
const QColor kBrown(0xb0, 0x80, 0x4a);

QPen pen(const QColor &colour, qreal width = 1.0)
{
    QPen p(colour, width);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

// A sheet of paper with a folded top-right corner.
void sheet(QPainter &p, const QRectF &r)
{
    const qreal fold = r.width() / 3;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(pen(kInk, 0.8));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

// Grey lines of text.
void textLines(QPainter &p, qreal x, qreal y, qreal width, int count, qreal step = 2.5,
               const QColor &colour = kGrey)
{
    p.setPen(pen(colour, 1.0));
    for (int i = 0; i < count; ++i) {
        const qreal w = (i % 3 == 2) ? width * 0.6 : width;
        p.drawLine(QPointF(x, y + i * step), QPointF(x + w, y + i * step));
    }
}

void magnifier(QPainter &p, const QPointF &centre, qreal radius)
{
    p.setPen(pen(kInk, 2.0));
    const QPointF handleStart = centre + QPointF(radius * 0.7, radius * 0.7);
    p.drawLine(handleStart, handleStart + QPointF(radius * 0.9, radius * 0.9));
    p.setPen(pen(kInk, 1.2));
    p.setBrush(kLightBlue);
    p.drawEllipse(centre, radius, radius);
}

// A straight arrow from one point to another with a filled head.
void arrow(QPainter &p, const QPointF &from, const QPointF &to, const QColor &colour,
           qreal head = 3.0)
{
    p.setPen(pen(colour, 1.6));
    const QLineF line(from, to);
    const QLineF back(to, from);
    QLineF left = back;
    left.setLength(head);
    left.setAngle(back.angle() + 35);
    QLineF right = back;
    right.setLength(head);
    right.setAngle(back.angle() - 35);
    p.drawLine(QLineF(from, line.pointAt(1.0 - 0.5 / std::max<qreal>(1.0, line.length()))));
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({to, left.p2(), right.p2()}));
}

// A bent arrow: the undo and redo pictures (mirrored for redo).
void bentArrow(QPainter &p, bool mirrored, const QColor &colour)
{
    p.save();
    if (mirrored) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(4, 6);
    path.cubicTo(8, 2.5, 14.5, 4, 13.5, 10);
    path.cubicTo(13, 12.5, 11, 13.5, 9, 13.5);
    p.setPen(pen(colour, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({QPointF(1.5, 3), QPointF(7.5, 4), QPointF(3, 9.5)}));
    p.restore();
}

void bookmark(QPainter &p, const QRectF &r)
{
    p.setPen(pen(kBlue.darker(130), 0.8));
    p.setBrush(QColor(0x5b, 0x9b, 0xe8));
    p.drawRoundedRect(r, 1.5, 1.5);
}

void cross(QPainter &p, const QPointF &centre, qreal half, const QColor &colour = kRed)
{
    p.setPen(pen(colour, 1.8));
    p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
    p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
}

void floppy(QPainter &p, const QRectF &r)
{
    p.setPen(pen(kInk, 0.8));
    p.setBrush(kBlue);
    p.drawRoundedRect(r, 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.6, r.height() * 0.4));
    p.setBrush(QColor(0xdd, 0xe3, 0xea));
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.6, r.width() * 0.5,
                      r.height() * 0.4));
}

void scissors(QPainter &p)
{
    p.setPen(pen(kInk, 1.3));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10, 10));
    p.drawLine(QPointF(11.5, 1.5), QPointF(6, 10));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kRed, 1.4));
    p.drawEllipse(QPointF(4.5, 12), 2.4, 2.4);
    p.drawEllipse(QPointF(11.5, 12), 2.4, 2.4);
}

void clipboard(QPainter &p)
{
    p.setPen(pen(kInk, 0.8));
    p.setBrush(kBrown);
    p.drawRoundedRect(QRectF(2, 2.5, 10, 12.5), 1, 1);
    p.setBrush(kGrey);
    p.drawRoundedRect(QRectF(4.5, 1, 5, 3), 1, 1);
    sheet(p, QRectF(7, 6, 7.5, 9));
}

void printer(QPainter &p)
{
    p.setPen(pen(kInk, 0.8));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(0xc8, 0xcd, 0xd4));
    p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 10, 8, 4.5));
    textLines(p, 5.5, 12, 5, 2, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(12.5, 8), 0.8, 0.8);
}

void commentMarks(QPainter &p, const QColor &colour)
{
    p.setPen(pen(colour, 1.6));
    p.drawLine(QPointF(3, 12), QPointF(6.5, 4));
    p.drawLine(QPointF(7, 12), QPointF(10.5, 4));
}

void indent(QPainter &p, bool right)
{
    textLines(p, 7, 3, 7.5, 5, 2.5, kInk);
    if (right)
        arrow(p, QPointF(1, 8), QPointF(5.5, 8), kBlue);
    else
        arrow(p, QPointF(5.5, 8), QPointF(1, 8), kBlue);
}

void navigation(QPainter &p, bool forward)
{
    p.setPen(pen(kBlue.darker(120), 0.8));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    if (forward)
        p.drawPolygon(QPolygonF({QPointF(6, 4.5), QPointF(11, 8), QPointF(6, 11.5)}));
    else
        p.drawPolygon(QPolygonF({QPointF(10, 4.5), QPointF(5, 8), QPointF(10, 11.5)}));
}

const QHash<int, Draw> &drawings()
{
    static const QHash<int, Draw> table = {
        {Cmd::FileSaveAll,
         [](QPainter &p) {
             floppy(p, QRectF(5, 1, 10, 10));
             floppy(p, QRectF(1, 5, 10, 10));
         }},
        {Cmd::EditCut, [](QPainter &p) { scissors(p); }},
        {Cmd::EditCopy,
         [](QPainter &p) {
             sheet(p, QRectF(1.5, 1.5, 8, 10));
             sheet(p, QRectF(6.5, 4.5, 8, 10));
             textLines(p, 8, 9, 5, 3, 2);
         }},
        {Cmd::EditPaste, [](QPainter &p) { clipboard(p); }},
        {Cmd::EditUndo, [](QPainter &p) { bentArrow(p, false, kBlue); }},
        {Cmd::EditRedo, [](QPainter &p) { bentArrow(p, true, kBlue); }},
        {Cmd::EditFind, [](QPainter &p) { magnifier(p, QPointF(6.5, 6.5), 4.5); }},
        {Cmd::FindNext,
         [](QPainter &p) {
             magnifier(p, QPointF(5.5, 5.5), 4);
             arrow(p, QPointF(9, 13), QPointF(15, 13), kGreen);
         }},
        {Cmd::FindPrevious,
         [](QPainter &p) {
             magnifier(p, QPointF(5.5, 5.5), 4);
             arrow(p, QPointF(15, 13), QPointF(9, 13), kGreen);
         }},
        {Cmd::EditReplace,
         [](QPainter &p) {
             p.setPen(pen(kInk, 0.8));
             p.setBrush(kLightBlue);
             p.drawRect(QRectF(1, 1.5, 6, 5));
             p.setBrush(kYellow);
             p.drawRect(QRectF(9, 9.5, 6, 5));
             arrow(p, QPointF(4, 8), QPointF(8, 12), kGreen);
             arrow(p, QPointF(12, 8), QPointF(8.5, 4), kGreen);
         }},
        {Cmd::GotoLine,
         [](QPainter &p) {
             textLines(p, 7, 3, 7.5, 5, 2.5, kGrey);
             p.setPen(pen(kBlue, 1.6));
             p.drawLine(QPointF(7, 8), QPointF(14.5, 8));
             arrow(p, QPointF(1, 8), QPointF(5.5, 8), kBlue);
         }},
        {Cmd::FindInFiles,
         [](QPainter &p) {
             p.setPen(pen(kInk, 0.8));
             p.setBrush(kYellow);
             p.drawRoundedRect(QRectF(1, 4, 12, 9), 1, 1);
             p.drawRect(QRectF(1, 2.5, 5, 2));
             magnifier(p, QPointF(9.5, 9.5), 3.3);
         }},
        {Cmd::ToggleBookmark, [](QPainter &p) { bookmark(p, QRectF(3, 3, 10, 10)); }},
        {Cmd::NextBookmark,
         [](QPainter &p) {
             bookmark(p, QRectF(1.5, 1.5, 8, 8));
             arrow(p, QPointF(12.5, 5), QPointF(12.5, 15), kGreen);
         }},
        {Cmd::PreviousBookmark,
         [](QPainter &p) {
             bookmark(p, QRectF(1.5, 6.5, 8, 8));
             arrow(p, QPointF(12.5, 11), QPointF(12.5, 1), kGreen);
         }},
        {Cmd::ClearBookmarks,
         [](QPainter &p) {
             bookmark(p, QRectF(1.5, 1.5, 9, 9));
             cross(p, QPointF(11.5, 11.5), 2.8);
         }},
        {Cmd::CommentLines, [](QPainter &p) { commentMarks(p, kGreen); }},
        {Cmd::UnCommentLines,
         [](QPainter &p) {
             commentMarks(p, kGrey);
             cross(p, QPointF(12, 12), 2.5);
         }},
        {Cmd::IndentRight, [](QPainter &p) { indent(p, true); }},
        {Cmd::IndentLeft, [](QPainter &p) { indent(p, false); }},
        {Cmd::ViewWordWrap,
         [](QPainter &p) {
             textLines(p, 1.5, 3, 12, 1, 0, kInk);
             textLines(p, 1.5, 13, 5, 1, 0, kInk);
             QPainterPath path;
             path.moveTo(6, 8);
             path.lineTo(12, 8);
             path.cubicTo(15.5, 8, 15.5, 13, 12, 13);
             path.lineTo(10.5, 13);
             p.setPen(pen(kBlue, 1.5));
             p.setBrush(Qt::NoBrush);
             p.drawPath(path);
             p.setPen(Qt::NoPen);
             p.setBrush(kBlue);
             p.drawPolygon(QPolygonF({QPointF(8, 13), QPointF(11, 10.5), QPointF(11, 15.5)}));
             p.setPen(pen(kInk, 1.0));
             p.drawLine(QPointF(1.5, 8), QPointF(4, 8));
         }},
        {Cmd::ViewWhitespace,
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(kInk);
             for (qreal x : {2.5, 6.0, 9.5, 13.0})
                 p.drawEllipse(QPointF(x, 4.5), 1.0, 1.0);
             arrow(p, QPointF(1.5, 11.5), QPointF(14.5, 11.5), kBlue);
         }},
        {Cmd::ViewLineEndings,
         [](QPainter &p) {
             textLines(p, 1.5, 4, 7, 3, 4, kInk);
             p.setPen(pen(kBlue, 1.3));
             for (qreal y : {4.0, 8.0, 12.0}) {
                 p.drawLine(QPointF(13.5, y - 2), QPointF(13.5, y));
                 p.drawLine(QPointF(13.5, y), QPointF(10.5, y));
             }
         }},
        {Cmd::ViewLineNumbers,
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(0xe4, 0xe7, 0xeb));
             p.drawRect(QRectF(1, 1, 5, 14));
             p.setPen(pen(kBlue, 1.2));
             p.drawLine(QPointF(3.5, 2.5), QPointF(3.5, 5));
             p.drawLine(QPointF(2.5, 7), QPointF(4.5, 7));
             p.drawLine(QPointF(4.5, 7), QPointF(2.5, 10));
             p.drawLine(QPointF(2.5, 10), QPointF(4.5, 10));
             p.drawLine(QPointF(2.5, 12), QPointF(4.5, 12));
             p.drawLine(QPointF(4.5, 12), QPointF(4.5, 14.5));
             p.drawLine(QPointF(2.5, 14.5), QPointF(4.5, 14.5));
             textLines(p, 8, 3.5, 6.5, 4, 3.3, kInk);
         }},
        {Cmd::ViewCaretLine,
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(kYellow.lighter(130));
             p.drawRect(QRectF(1, 6, 14, 4));
             textLines(p, 2, 3.5, 12, 4, 3, kInk);
         }},
        {Cmd::ViewCodeFolding,
         [](QPainter &p) {
             p.setPen(pen(kInk, 0.8));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 2, 5, 5));
             p.drawLine(QPointF(2.8, 4.5), QPointF(5.2, 4.5));
             p.drawLine(QPointF(4, 7), QPointF(4, 14));
             p.drawLine(QPointF(4, 14), QPointF(6.5, 14));
             textLines(p, 8.5, 4.5, 6, 4, 3, kGrey);
         }},
        {Cmd::ViewMatchBracket,
         [](QPainter &p) {
             p.setPen(pen(kBlue, 1.6));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(2, 2, 8, 12), 100 * 16, 160 * 16);
             p.drawArc(QRectF(6, 2, 8, 12), -80 * 16, 160 * 16);
         }},
        {Cmd::ViewColumnSelect,
         [](QPainter &p) {
             textLines(p, 1.5, 3, 13, 5, 2.5, kGrey);
             p.setPen(pen(kBlue, 1.0));
             p.setBrush(QColor(0x2f, 0x6f, 0xc8, 90));
             p.drawRect(QRectF(5, 1.5, 6, 13));
         }},
        {Cmd::FilePrint, [](QPainter &p) { printer(p); }},
        {Cmd::FilePrintPreview,
         [](QPainter &p) {
             sheet(p, QRectF(1.5, 1, 10, 13));
             textLines(p, 3.5, 4, 5, 3, 2);
             magnifier(p, QPointF(9.5, 9.5), 3.2);
         }},
        {Cmd::NavigateBackward, [](QPainter &p) { navigation(p, false); }},
        {Cmd::NavigateForward, [](QPainter &p) { navigation(p, true); }},
        {Cmd::MacroRecord,
         [](QPainter &p) {
             p.setPen(pen(kRed.darker(130), 0.8));
             p.setBrush(kRed);
             p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
         }},
        {Cmd::MacroStopRecording,
         [](QPainter &p) {
             p.setPen(pen(kInk, 0.8));
             p.setBrush(kInk.lighter(150));
             p.drawRect(QRectF(3, 3, 10, 10));
         }},
        {Cmd::MacroRun,
         [](QPainter &p) {
             p.setPen(pen(kGreen.darker(130), 0.8));
             p.setBrush(kGreen);
             p.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5)}));
         }},
        {Cmd::StopUserTool,
         [](QPainter &p) {
             p.setPen(pen(kRed.darker(140), 0.8));
             p.setBrush(kRed);
             p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
             p.setPen(pen(kPaper, 1.6));
             p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
         }},
        {Cmd::SpellChecker,
         [](QPainter &p) {
             textLines(p, 1.5, 3, 12, 2, 3, kInk);
             p.setPen(pen(kGreen, 2.0));
             p.drawLine(QPointF(4, 11), QPointF(7, 14));
             p.drawLine(QPointF(7, 14), QPointF(14, 7));
         }},
        {Cmd::PreviewInBrowser,
         [](QPainter &p) {
             p.setPen(pen(kBlue.darker(130), 1.0));
             p.setBrush(kLightBlue);
             p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(8, 8), 3, 6.5);
             p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
         }},
        {Cmd::ToggleTabs,
         [](QPainter &p) {
             p.setPen(pen(kInk, 0.8));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 4.5, 13, 10));
             p.setBrush(kLightBlue);
             p.drawRect(QRectF(1.5, 1.5, 5, 3));
             p.setBrush(QColor(0xe4, 0xe7, 0xeb));
             p.drawRect(QRectF(6.5, 1.5, 5, 3));
         }},
    };
    return table;
}

// What a QStyle provides well enough for these commands.
bool standardPixmap(int id, QStyle::StandardPixmap &out)
{
    switch (id) {
    case Cmd::FileNew:
        out = QStyle::SP_FileIcon;
        return true;
    case Cmd::FileOpen:
        out = QStyle::SP_DialogOpenButton;
        return true;
    case Cmd::FileSave:
        out = QStyle::SP_DialogSaveButton;
        return true;
    case Cmd::FileClose:
        out = QStyle::SP_DialogCloseButton;
        return true;
    case Cmd::HelpTopics:
    case Cmd::HelpContents:
        out = QStyle::SP_DialogHelpButton;
        return true;
    case Cmd::RefreshFileExplorer:
    case Cmd::ProjectRefresh:
        out = QStyle::SP_BrowserReload;
        return true;
    default:
        return false;
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

void badge(QPainter &p, int id)
{
    // A stable colour per command keeps neighbouring badges apart.
    const QColor fill = QColor::fromHsv(int((quint32(id) * 47u) % 360u), 140, 170);
    p.setPen(pen(fill.darker(140), 0.8));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(kPaper);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QString(badgeLetter(id)));
}

QPixmap render(const Draw &draw, int size, qreal dpr)
{
    QPixmap pixmap(int(size * dpr), int(size * dpr));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(size / 16.0, size / 16.0);
    draw(painter);
    return pixmap;
}

QIcon makeIcon(int id)
{
    QStyle::StandardPixmap standard;
    if (standardPixmap(id, standard) && QApplication::style()) {
        QIcon icon = QApplication::style()->standardIcon(standard);
        // Some platform themes hand back an icon with no pictures behind it.
        if (!icon.isNull() && !icon.pixmap(16, 16).isNull())
            return icon;
    }
    const auto &table = drawings();
    const auto it = table.constFind(id);
    const Draw draw = it != table.constEnd() ? *it : Draw([id](QPainter &p) { badge(p, id); });
    QIcon icon;
    for (int size : {16, 24}) {
        icon.addPixmap(render(draw, size, 1.0));
        icon.addPixmap(render(draw, size, 2.0));
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
