// PrintJob: the component lays out and draws each page (SCI_FORMATRANGE) between the header and
// footer bands; the screen's line-number margin is put back after every use.
#include "printing/printjob.h"

#include "editor/mfcscintilla.h"
#include "framework/host.h"
#include "printing/engine/printrules.h"
#include "resources/resources.h"
#include "resources/stringids.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QtMath>

namespace pw {

namespace {

// While it lives, the editor shows line numbers as the print settings say and prints in their
// colour mode; the screen gets its own margin back at the end. Kept short (one slice, one page,
// one print run) so the window never shows the printed margin.
class PrintSession
{
public:
    PrintSession(CMFCScintilla *editor, const PrintOptions &options) : m_editor(editor)
    {
        m_width = m_editor->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin);
        m_spacer = m_editor->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin + 1);
        m_editor->showLineNumbers(options.lineNumbers);
        m_editor->send(Sci::SCI_SETPRINTCOLOURMODE,
                       static_cast<unsigned long>(printing::colourMode(options.format)));
    }
    ~PrintSession()
    {
        if (m_editor->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin) != m_width)
            m_editor->send(Sci::SCI_SETMARGINWIDTHN, CMFCScintilla::LineNumberMargin, m_width);
        if (m_editor->send(Sci::SCI_GETMARGINWIDTHN, CMFCScintilla::LineNumberMargin + 1) !=
            m_spacer)
            m_editor->send(Sci::SCI_SETMARGINWIDTHN, CMFCScintilla::LineNumberMargin + 1,
                           m_spacer);
    }
    PrintSession(const PrintSession &) = delete;
    PrintSession &operator=(const PrintSession &) = delete;

private:
    CMFCScintilla *m_editor;
    long m_width;
    long m_spacer;
};

// An image that measures like the printer: the component sizes its fonts by the device's dots
// per inch, so a preview laid out at any other resolution would break pages elsewhere.
void matchResolution(QImage &image, int resolution)
{
    const int dotsPerMeter = qRound(resolution / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
}

} // namespace

PrintJob::PrintJob(CMFCScintilla *editor, PrintOptions options, const QPageLayout &layout,
                   int resolution)
    : m_editor(editor), m_options(std::move(options)), m_layout(layout),
      m_resolution(std::max(resolution, 1)),
      m_starts(editor ? editor->send(Sci::SCI_GETLENGTH) : 0)
{
}

qint64 PrintJob::formatPage(QPainter &painter, const QRect &printable, qint64 from, int page,
                            bool draw)
{
    QFont font(m_options.fontFace);
    font.setPointSize(std::max(1, m_options.fontSize));
    const QFontMetrics metrics(font, painter.device());
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const printing::PageBands bands =
        printing::pageBands(printable, lineHeight, m_options.header, m_options.footer);
    if (draw) {
        painter.save();
        painter.setFont(font);
        QPen rule(Qt::black);
        rule.setWidth(std::max(1, lineHeight / 16));
        const int left = bands.body.left();
        const int right = bands.body.right();
        if (m_options.header) {
            const int top = bands.header.top();
            const QRect line(left, top, right - left + 1, lineHeight);
            painter.fillRect(line, Qt::white);
            painter.setPen(Qt::black);
            painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, m_options.headerText);
            painter.setPen(rule);
            const int ruleY = top + lineHeight + lineHeight / 4;
            painter.drawLine(left, ruleY, right, ruleY);
        }
        if (m_options.footer) {
            const int y = bands.body.bottom() + lineHeight / 4;
            painter.fillRect(QRect(left, y, right - left + 1, bands.footer.bottom() - y + 1),
                             Qt::white);
            painter.setPen(Qt::black);
            const QRect line(left, y + lineHeight / 4 + lineHeight / 8, right - left + 1,
                             lineHeight);
            painter.drawText(line, Qt::AlignRight | Qt::AlignTop, printing::footerText(page));
            painter.setPen(rule);
            painter.drawLine(left, y + lineHeight / 4, right, y + lineHeight / 4);
        }
        painter.restore();
    }
    painter.save();
    const long next = m_editor->SendScintilla(Sci::SCI_FORMATRANGE, draw ? 1 : 0, &painter,
                                              bands.body, long(from), long(m_starts.length()));
    painter.restore();
    return next;
}

bool PrintJob::countPages(int budgetMs)
{
    if (m_starts.complete() || !m_editor)
        return m_starts.complete();
    QImage measure(1, 1, QImage::Format_RGB32);
    matchResolution(measure, m_resolution);
    QPainter painter(&measure);
    const QRect paint = m_layout.paintRectPixels(m_resolution);
    const QRect printable(0, 0, paint.width(), paint.height());
    PrintSession session(m_editor, m_options);
    QElapsedTimer timer;
    timer.start();
    int page = m_starts.knownPages();
    const auto format = [&](qint64 from) { return formatPage(painter, printable, from, page++, false); };
    while (!m_starts.advance(format, 8) && timer.elapsed() < budgetMs) {
    }
    return m_starts.complete();
}

QImage PrintJob::pageImage(int index, qreal dpi)
{
    const qint64 from = m_starts.start(index);
    if (from < 0 || !m_editor)
        return {};
    const QRect full = m_layout.fullRectPixels(m_resolution);
    const QRect paint = m_layout.paintRectPixels(m_resolution);
    const qreal scale = dpi / m_resolution;
    QImage image(std::max(1, qCeil(full.width() * scale)), std::max(1, qCeil(full.height() * scale)),
                 QImage::Format_RGB32);
    matchResolution(image, m_resolution);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    painter.translate(paint.topLeft());
    PrintSession session(m_editor, m_options);
    formatPage(painter, QRect(0, 0, paint.width(), paint.height()), from, index + 1, true);
    return image;
}

int PrintJob::print(QPrinter &printer, Progress *progress)
{
    m_error.clear();
    if (!m_editor)
        return -1;
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString target =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        m_error = QString::fromUtf8(res::string(Str::PrintFailed))
                      .replace(QLatin1String("%s"), target);
        return -1;
    }
    const int first = printer.fromPage() > 0 ? printer.fromPage() : 1;
    const int last = printer.toPage() > 0 ? printer.toPage() : INT_MAX;
    const QRect printable(0, 0, printer.width(), printer.height());
    const qint64 length = m_starts.length();
    PrintSession session(m_editor, m_options);
    int printed = 0;
    qint64 from = 0;
    for (int page = 1; page <= last; ++page) {
        const bool draw = page >= first;
        if (draw && printed > 0)
            printer.newPage();
        const qint64 next = formatPage(painter, printable, from, page, draw);
        printed += draw ? 1 : 0;
        if (progress) {
            progress->step(std::min(next, length));
            if (progress->stopRequested()) {
                printer.abort();
                painter.end();
                return -1;
            }
        }
        if (next <= from || next >= length)
            break;
        from = next;
    }
    painter.end();
    return printed;
}

} // namespace pw
