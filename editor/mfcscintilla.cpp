// CMFCScintilla: creation, the fixed look and the plain editing operations.
#include "editor/mfcscintilla.h"

#include "editor/recordedsteps.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDate>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QTime>

namespace pw {

unsigned colourFromText(const char *text)
{
    // "#RRGGBB": anything malformed reads as black rather than garbage.
    if (!text || text[0] != '#')
        return 0;
    bool ok = false;
    const unsigned rgb = QByteArray(text + 1, 6).toUInt(&ok, 16);
    if (!ok)
        return 0;
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

namespace {
unsigned toColour(const QColor &c)
{
    return unsigned(c.red() | c.green() << 8 | c.blue() << 16);
}

struct MarginSpec
{
    int type;
    int width;
    unsigned mask;
    unsigned colour;
};
} // namespace

// The column ruler above the text: a tick every column, a longer tick every five and a number
// every ten, following the horizontal scroll.
class CMFCScintilla::Ruler : public QWidget
{
public:
    explicit Ruler(CMFCScintilla *editor) : QWidget(editor), m_editor(editor) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        int textLeft =
            -int(m_editor->send(SCI_GETXOFFSET)) + int(m_editor->send(SCI_GETMARGINLEFT));
        for (int m = 0; m < 5; ++m)
            textLeft += int(m_editor->send(SCI_GETMARGINWIDTHN, m));
        const int charWidth =
            std::max(1, int(m_editor->sendText(SCI_TEXTWIDTH, STYLE_DEFAULT, "0")));
        const int h = height();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawLine(0, h - 1, width(), h - 1);
        for (int col = 0, x = textLeft; x < width(); ++col, x += charWidth) {
            if (x < 0)
                continue;
            const int tick = col % 10 == 0 ? h / 2 : (col % 5 == 0 ? h / 3 : h / 6);
            painter.drawLine(x, h - 1 - tick, x, h - 1);
            if (col % 10 == 0 && col > 0)
                painter.drawText(x + 2, h / 2, QString::number(col));
        }
    }

private:
    CMFCScintilla *m_editor;
};

CMFCScintilla::CMFCScintilla(QWidget *parent)
    : QsciScintillaBase(parent), m_recordedSteps(std::make_unique<RecordedSteps>(this))
{
    setObjectName(QStringLiteral("Editor"));
    setWindowTitle(QStringLiteral("Editor"));
    // The component's own creation has run in the base constructor; what follows is ours.
    send(SCI_SETINDICATORCURRENT, m_option2500 ? 1 : 0);
    send(SCI_SETSCROLLWIDTHTRACKING, 1);
    // The component's default keeps one laid-out line for all of them, so a very long line is
    // measured afresh, character by character, on every repaint; a page of them keeps the
    // caret's line and the visible ones.
    send(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &CMFCScintilla::onUpdateUi);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char *, int, int, int, int, int, int token) {
                m_recordedSteps->notified(type, token);
            });
    registerLiveEditor();
    updateModificationEvents();
}

long CMFCScintilla::send(unsigned int message, unsigned long wParam, long lParam) const
{
    switch (message) {
    case SCI_UNDO:
    case SCI_REDO:
        return m_recordedSteps->watch([&] { return SendScintilla(message, wParam, lParam); });
    case SCI_EMPTYUNDOBUFFER:
    case SCI_SETDOCPOINTER:
        m_recordedSteps->clear();
        break;
    case SCI_BEGINUNDOACTION:
        m_recordedSteps->groupOpened();
        break;
    case SCI_ENDUNDOACTION:
        m_recordedSteps->groupClosed();
        break;
    default:
        break;
    }
    return SendScintilla(message, wParam, lParam);
}

long CMFCScintilla::sendText(unsigned int message, unsigned long wParam, const char *text) const
{
    return SendScintilla(message, uintptr_t(wParam), text);
}

long CMFCScintilla::sendPtr(unsigned int message, unsigned long wParam, void *pointer) const
{
    return SendScintilla(message, wParam, pointer);
}

void CMFCScintilla::setupDefaults()
{
    send(SCI_CANCEL);
    send(SCI_MARKERDEFINE, BookmarkMarker, SC_MARK_ROUNDRECT);
    send(SCI_MARKERDEFINE, SpareMarker, SC_MARK_EMPTY);
    send(SCI_MARKERSETFORE, BookmarkMarker, 0x0000C8);
    send(SCI_MARKERSETBACK, BookmarkMarker, 0x0000C8);
    send(SCI_SETCODEPAGE, 0);

    const unsigned buttonFace = toColour(QApplication::palette().color(QPalette::Button));
    // Margins 1 and 3 are thin coloured separators.
    const MarginSpec margins[5] = {
        {SC_MARGIN_SYMBOL, 16, 0x01FFFFFF, buttonFace},
        {SC_MARGIN_FORE, 1, 0, 0xC0C0C0},
        {SC_MARGIN_NUMBER, 0, 0, 0xFFFFFF},
        {SC_MARGIN_FORE, 0, 0, 0xB4B4B4},
        {SC_MARGIN_SYMBOL, 16, unsigned(SC_MASK_FOLDERS), 0xFFFFFF},
    };
    for (int m = 0; m < 5; ++m)
        send(SCI_SETMARGINTYPEN, m, margins[m].type);
    for (int m = 0; m < 5; ++m)
        send(SCI_SETMARGINWIDTHN, m, margins[m].width);
    for (int m = 0; m < 5; ++m)
        send(SCI_SETMARGINMASKN, m, long(margins[m].mask));
    send(SCI_SETMARGINSENSITIVEN, BookmarkMargin, 1);
    for (int m = 0; m < 5; ++m)
        setMarginColour(m, margins[m].colour);
    send(SCI_STYLESETFORE, STYLE_LINENUMBER, 0x808000);
    send(SCI_STYLESETBACK, STYLE_LINENUMBER, 0xFFFFFF);

    send(SCI_SETSELBACK, 1, long(colourFromText("#316AC5")));
    send(SCI_SETSELFORE, 1, long(colourFromText("#FFFFFF")));
    updateModificationEvents();
    send(SCI_SETINDICATORCURRENT, m_option2500 ? 1 : 0);
}

void CMFCScintilla::setMarginColour(int margin, unsigned colour)
{
    // The public component colours a margin of its own only in the SC_MARGIN_COLOUR type, which
    // still draws markers; the fold margin has its own colour pair, and the number margin takes
    // the line-number style's background.
    const long mask = send(SCI_GETMARGINMASKN, margin);
    const long type = send(SCI_GETMARGINTYPEN, margin);
    if (type == SC_MARGIN_NUMBER || type == SC_MARGIN_TEXT || type == SC_MARGIN_RTEXT)
        return;
    if (mask & SC_MASK_FOLDERS) {
        send(SCI_SETFOLDMARGINCOLOUR, 1, long(colour));
        send(SCI_SETFOLDMARGINHICOLOUR, 1, long(colour));
        return;
    }
    send(SCI_SETMARGINTYPEN, margin, SC_MARGIN_COLOUR);
    send(SCI_SETMARGINBACKN, margin, long(colour));
}

void CMFCScintilla::setFont(const QString &face, int pointSize, bool bold, bool italic, int charset)
{
    const QByteArray faceBytes = face.toUtf8();
    sendText(SCI_STYLESETFONT, STYLE_DEFAULT, faceBytes.constData());
    send(SCI_STYLESETSIZE, STYLE_DEFAULT, pointSize);
    send(SCI_STYLESETCHARACTERSET, STYLE_DEFAULT, charset);
    send(SCI_STYLESETBOLD, STYLE_DEFAULT, bold);
    send(SCI_STYLESETITALIC, STYLE_DEFAULT, italic);
    send(SCI_STYLECLEARALL);
    for (int style : {STYLE_BRACELIGHT, STYLE_BRACEBAD}) {
        send(SCI_STYLESETBOLD, style, bold);
        send(SCI_STYLESETITALIC, style, italic);
    }
}

int CMFCScintilla::lineNumberMarginWidth() const
{
    long lines = send(SCI_GETLINECOUNT);
    int digits = 0;
    do {
        ++digits;
        lines /= 10;
    } while (lines > 0);
    digits = std::max(digits, 4);
    const int nine = int(sendText(SCI_TEXTWIDTH, STYLE_LINENUMBER, "9"));
    return std::max(nine * digits + 4, 36);
}

void CMFCScintilla::showLineNumbers(bool show, int margin)
{
    if (show) {
        const int width = lineNumberMarginWidth();
        // Only touch the component when the width changes: this runs on every line-count change.
        if (send(SCI_GETMARGINWIDTHN, margin) != width)
            send(SCI_SETMARGINWIDTHN, margin, width);
        if (send(SCI_GETMARGINWIDTHN, margin + 1) != 1)
            send(SCI_SETMARGINWIDTHN, margin + 1, 1);
    } else {
        send(SCI_SETMARGINWIDTHN, margin, 0);
        send(SCI_SETMARGINWIDTHN, margin + 1, 0);
    }
}

void CMFCScintilla::setFolding(bool enabled)
{
    static constexpr int kFoldMarkers[7][2] = {
        {SC_MARKNUM_FOLDEROPEN, SC_MARK_BOXMINUS},
        {SC_MARKNUM_FOLDER, SC_MARK_BOXPLUS},
        {SC_MARKNUM_FOLDERSUB, SC_MARK_VLINE},
        {SC_MARKNUM_FOLDERTAIL, SC_MARK_LCORNER},
        {SC_MARKNUM_FOLDEREND, SC_MARK_BOXPLUSCONNECTED},
        {SC_MARKNUM_FOLDEROPENMID, SC_MARK_BOXMINUSCONNECTED},
        {SC_MARKNUM_FOLDERMIDTAIL, SC_MARK_TCORNER},
    };
    for (const auto &marker : kFoldMarkers) {
        send(SCI_MARKERDEFINE, marker[0], marker[1]);
        send(SCI_MARKERSETFORE, marker[0], 0xFFFFFF);
        send(SCI_MARKERSETBACK, marker[0], 0x808080);
    }
    sendText(SCI_SETPROPERTY, reinterpret_cast<uintptr_t>("fold.compact"), "1");
    if (enabled) {
        sendText(SCI_SETPROPERTY, reinterpret_cast<uintptr_t>("fold"), "1");
        send(SCI_SETMARGINMASKN, FoldMargin, long(unsigned(SC_MASK_FOLDERS)));
        send(SCI_SETMARGINSENSITIVEN, FoldMargin, 1);
        sendText(SCI_SETPROPERTY, reinterpret_cast<uintptr_t>("fold.html"), "1");
        sendText(SCI_SETPROPERTY, reinterpret_cast<uintptr_t>("fold.html.preprocessor"), "1");
    } else {
        send(SCI_SETMARGINMASKN, FoldMargin, 5);
        send(SCI_SETMARGINSENSITIVEN, FoldMargin, 0);
    }
}

void CMFCScintilla::setWordWrap(bool on)
{
    send(SCI_SETWRAPMODE, on ? 1 : 0);
    send(SCI_SETWRAPVISUALFLAGS, on ? 1 : 0);
    send(SCI_SETWRAPVISUALFLAGSLOCATION, 1);
}

void CMFCScintilla::showWhitespace(bool on)
{
    send(SCI_SETVIEWWS, on ? 1 : 0);
}
void CMFCScintilla::showLineEndings(bool on)
{
    send(SCI_SETVIEWEOL, on ? 1 : 0);
}

void CMFCScintilla::setCaretLine(bool visible, unsigned colour, int alpha)
{
    send(SCI_SETCARETLINEVISIBLE, visible ? 1 : 0);
    send(SCI_SETCARETLINEBACK, long(colour));
    send(SCI_SETCARETLINEBACKALPHA, alpha);
}

void CMFCScintilla::setLongLineMarker(int mode, int column)
{
    send(SCI_SETEDGECOLUMN, column);
    send(SCI_SETEDGEMODE, mode == 1 ? 1 : 0);
}

void CMFCScintilla::setBlockSelect(bool on)
{
    m_blockSelect = on;
}

void CMFCScintilla::showRuler(bool on)
{
    m_ruler = on;
    if (on && !m_rulerWidget) {
        m_rulerWidget = new Ruler(this);
        // Scrolling sideways moves the ticks with the text.
        connect(this, &QsciScintillaBase::SCN_UPDATEUI, m_rulerWidget, [this](int updated) {
            if (updated & SC_UPDATE_H_SCROLL)
                m_rulerWidget->update();
        });
    }
    setViewportMargins(0, on ? fontMetrics().height() + 6 : 0, 0, 0);
    if (m_rulerWidget) {
        m_rulerWidget->setGeometry(0, 0, width(), viewportMargins().top());
        m_rulerWidget->setVisible(on);
        m_rulerWidget->update();
    }
}

void CMFCScintilla::setCodePage(int codePage)
{
    send(SCI_SETCODEPAGE, codePage);
}

bool CMFCScintilla::hasSelection() const
{
    return send(SCI_GETSELECTIONEND) != send(SCI_GETSELECTIONSTART);
}

void CMFCScintilla::indentRight()
{
    if (!hasSelection())
        send(SCI_GOTOPOS,
             send(SCI_POSITIONFROMLINE, send(SCI_LINEFROMPOSITION, send(SCI_GETCURRENTPOS))));
    send(SCI_TAB);
}

void CMFCScintilla::deleteWord()
{
    const long p = send(SCI_WORDENDPOSITION, send(SCI_GETCURRENTPOS), 0);
    send(SCI_SETCURRENTPOS, p);
    send(SCI_DELWORDLEFT);
}

void CMFCScintilla::selectWord(long position)
{
    send(SCI_SETSEL, send(SCI_WORDSTARTPOSITION, position, 0),
         send(SCI_WORDENDPOSITION, position, 0));
}

void CMFCScintilla::selectLine(long line)
{
    send(SCI_SETSEL, send(SCI_POSITIONFROMLINE, line), send(SCI_GETLINEENDPOSITION, line));
}

QByteArray CMFCScintilla::textRange(long start, long end) const
{
    if (end <= start)
        return {};
    // The range pointer reads straight out of the component's buffer, with no second copy.
    const char *data =
        reinterpret_cast<const char *>(send(SCI_GETRANGEPOINTER, start, end - start));
    return data ? QByteArray(data, end - start) : QByteArray();
}

QByteArray CMFCScintilla::getSelectedText() const
{
    // SCI_GETSELTEXT handles rectangular and multiple selections the way copy does.
    const long length = send(SCI_GETSELTEXT, 0, 0);
    QByteArray text(int(std::max(length, 1L)), '\0');
    send(SCI_GETSELTEXT, 0, reinterpret_cast<long>(text.data()));
    // Older components count the terminating NUL, newer ones do not.
    while (!text.isEmpty() && text.endsWith('\0'))
        text.chop(1);
    return text;
}

QByteArray CMFCScintilla::getLineText(long line) const
{
    const long length = send(SCI_LINELENGTH, line);
    QByteArray text(int(length), '\0');
    if (length > 0)
        send(SCI_GETLINE, line, reinterpret_cast<long>(text.data()));
    return text;
}

void CMFCScintilla::insertTemplate(const QByteArray &text)
{
    QByteArray result = text;
    result.replace("<%REPLACE%>", hasSelection() ? getSelectedText() : QByteArray());
    if (!hasSelection())
        sendText(SCI_INSERTTEXT, send(SCI_GETCURRENTPOS), result.constData());
    else
        sendText(SCI_REPLACESEL, 0, result.constData());
}

QString CMFCScintilla::formatDate()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString CMFCScintilla::formatTime()
{
    // The locale's long time form carries seconds; drop a trailing time-zone field.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(QTime::currentTime(), format.trimmed());
}

void CMFCScintilla::insertDate()
{
    const QString text = formatDate();
    if (!text.isEmpty())
        insertTemplate(toEditorBytes(text));
}

void CMFCScintilla::insertTime()
{
    const QString text = formatTime();
    if (!text.isEmpty())
        insertTemplate(toEditorBytes(text));
}

void CMFCScintilla::showWordList(const QByteArray &words)
{
    sendText(SCI_USERLISTSHOW, 1, words.constData());
}

void CMFCScintilla::gotoLineEnsureVisible(long line, bool ensureVisible)
{
    if (ensureVisible)
        send(SCI_ENSUREVISIBLEENFORCEPOLICY, line);
    send(SCI_GOTOLINE, line);
}

QByteArray CMFCScintilla::toEditorBytes(const QString &text) const
{
    return send(SCI_GETCODEPAGE) == SC_CP_UTF8 ? text.toUtf8() : text.toLatin1();
}

QString CMFCScintilla::fromEditorBytes(const QByteArray &bytes) const
{
    return send(SCI_GETCODEPAGE) == SC_CP_UTF8 ? QString::fromUtf8(bytes)
                                               : QString::fromLatin1(bytes);
}

void CMFCScintilla::onUpdateUi(int updated)
{
    if (updated & SC_UPDATE_CONTENT) {
        updateModificationEvents();
        m_recordedSteps->contentChanged();
    }
    if (updated & SC_UPDATE_SELECTION)
        emit caretMoved(send(SCI_GETCURRENTPOS));
}

void CMFCScintilla::keyPressEvent(QKeyEvent *event)
{
    m_recordedSteps->watch([&] {
        QsciScintillaBase::keyPressEvent(event);
        return 0;
    });
}

void CMFCScintilla::contextMenuEvent(QContextMenuEvent *event)
{
    emit contextMenuRequested(event->globalPos());
    event->accept();
}

// Column select mode: plain drags make rectangular selections, as an Alt drag does otherwise.
void CMFCScintilla::mousePressEvent(QMouseEvent *event)
{
    if (m_blockSelect && event->button() == Qt::LeftButton) {
        QMouseEvent altered(event->type(), event->position(), event->scenePosition(),
                            event->globalPosition(), event->button(), event->buttons(),
                            event->modifiers() | Qt::AltModifier);
        QsciScintillaBase::mousePressEvent(&altered);
        return;
    }
    QsciScintillaBase::mousePressEvent(event);
}

void CMFCScintilla::mouseMoveEvent(QMouseEvent *event)
{
    if (m_blockSelect && (event->buttons() & Qt::LeftButton)) {
        QMouseEvent altered(event->type(), event->position(), event->scenePosition(),
                            event->globalPosition(), event->button(), event->buttons(),
                            event->modifiers() | Qt::AltModifier);
        QsciScintillaBase::mouseMoveEvent(&altered);
        return;
    }
    QsciScintillaBase::mouseMoveEvent(event);
}

void CMFCScintilla::resizeEvent(QResizeEvent *event)
{
    QsciScintillaBase::resizeEvent(event);
    if (m_rulerWidget)
        m_rulerWidget->setGeometry(0, 0, width(), viewportMargins().top());
}

} // namespace pw
