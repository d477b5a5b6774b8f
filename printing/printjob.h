// PrintJob: one document's printed pages, drawn by the component on a printer or a page image.
#pragma once

#include "printing/engine/pagestarts.h"

#include <QImage>
#include <QPageLayout>
#include <QPointer>
#include <QString>
#include <functional>

class QPainter;
class QPrinter;

namespace pw {

class CMFCScintilla;
class Progress;

// What the settings and the document ask of the printed pages.
struct PrintOptions
{
    bool header = false;
    bool footer = false;
    bool lineNumbers = false;
    int format = 0;           // "PrintFormat"
    QString headerText;       // the path or the title, by the header rule
    QString fontFace;         // the editor font, for the header and footer
    int fontSize = 10;
};

class PrintJob
{
public:
    // Pages laid out for layout at resolution dots per inch: the printer's, so that the preview
    // breaks pages where the printer will.
    PrintJob(CMFCScintilla *editor, PrintOptions options, const QPageLayout &layout,
             int resolution);

    const PrintOptions &options() const { return m_options; }
    const printing::PageStarts &pageStarts() const { return m_starts; }
    // Finds further page starts for about budgetMs; true once every start is known.
    bool countPages(int budgetMs);

    // Page index (0-based, its start known) drawn on a white image at dpi dots per inch.
    QImage pageImage(int index, qreal dpi);

    // Prints pages fromPage..toPage (counted from 1; 0 for either end: no limit) on printer,
    // which is set up already. Returns the pages printed, or -1 when the printer could not
    // start or the run was stopped through progress.
    int print(QPrinter &printer, Progress *progress = nullptr);
    QString errorText() const { return m_error; }

private:
    qint64 formatPage(QPainter &painter, const QRect &printable, qint64 from, int page,
                      bool draw);

    QPointer<CMFCScintilla> m_editor;
    PrintOptions m_options;
    QPageLayout m_layout;
    int m_resolution;
    printing::PageStarts m_starts;
    QString m_error;
};

} // namespace pw
