// PrintCommands: "&Print..." (57607) and "Print Pre&view" (57609) on the active text document,
// and printing a document from the command line.
#pragma once

#include "framework/commandtarget.h"
#include "printing/printjob.h"

#include <QMarginsF>
#include <QObject>
#include <functional>
#include <memory>

class QPrinter;

namespace pw {

class CPrintPreviewDialog;
class CRidereDoc;
class EditorHost;

class PrintCommands : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    // What Page Setup chose: its printer (null before the first Page Setup) and its margins, in
    // hundredths of a millimetre or thousandths of an inch as the settings' metric flag says.
    struct PageSetup
    {
        std::function<QPrinter *()> printer;
        std::function<QMarginsF()> margins;
    };
    PrintCommands(EditorHost &host, PageSetup pageSetup, QObject *parent = nullptr);
    ~PrintCommands() override;

    // The printer Print uses: Page Setup's, with its margins.
    QPrinter &printer();
    // The settings' options for document's pages.
    PrintOptions optionsFor(const CRidereDoc *document) const;
    // Prints document on printer as Print does once its dialog is answered, with the status
    // bar's progress and Stop. Returns the pages printed; -1 after a failure (errorText()) or a
    // stop.
    int printDocument(CRidereDoc *document, QPrinter &printer);
    QString errorText() const { return m_error; }
    // Prints document without a dialog: to target when it names a PDF file or a printer,
    // otherwise to the default printer. Returns the pages printed; -1 with errorText() when it
    // could not.
    int printUnattended(CRidereDoc *document, const QString &target);

    // Tests answer the print dialog (false cancels) and drive the preview through these.
    using PrintDialogHook = std::function<bool(QPrinter &)>;
    static void setPrintDialogHook(PrintDialogHook hook);
    using PreviewHook = std::function<void(CPrintPreviewDialog &)>;
    static void setPreviewHook(PreviewHook hook);

private:
    CRidereDoc *activeTextDocument() const;
    void print();
    void preview();

    EditorHost &m_host;
    PageSetup m_pageSetup;
    std::unique_ptr<QPrinter> m_ownPrinter;
    QString m_error;
};

} // namespace pw
