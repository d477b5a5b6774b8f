// PrintCommands: the print dialog, the preview and unattended printing over one PrintJob.
#include "printing/printcommands.h"

#include "editor/editorhost.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "printing/engine/printrules.h"
#include "printing/printpreviewdialog.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"

#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace pw {

namespace {
PrintCommands::PrintDialogHook &printDialogHook()
{
    static PrintCommands::PrintDialogHook hook;
    return hook;
}
PrintCommands::PreviewHook &previewHook()
{
    static PrintCommands::PreviewHook hook;
    return hook;
}
} // namespace

PrintCommands::PrintCommands(EditorHost &host, PageSetup pageSetup, QObject *parent)
    : QObject(parent), m_host(host), m_pageSetup(std::move(pageSetup))
{
    const auto enabled = [this](CommandUi &ui) { ui.enabled = activeTextDocument() != nullptr; };
    onCommand(Cmd::FilePrint, [this] { print(); }, enabled);
    onCommand(Cmd::FilePrintPreview, [this] { preview(); }, enabled);
}

PrintCommands::~PrintCommands() = default;

void PrintCommands::setPrintDialogHook(PrintDialogHook hook)
{
    printDialogHook() = std::move(hook);
}

void PrintCommands::setPreviewHook(PreviewHook hook)
{
    previewHook() = std::move(hook);
}

CRidereDoc *PrintCommands::activeTextDocument() const
{
    CMDIChildFrame *frame = m_host.activeFrame();
    auto *document = frame ? qobject_cast<CRidereDoc *>(frame->document()) : nullptr;
    // A document still being read in has not all its pages yet.
    return document && !document->isLoading() && document->editor() ? document : nullptr;
}

QPrinter &PrintCommands::printer()
{
    QPrinter *chosen = m_pageSetup.printer ? m_pageSetup.printer() : nullptr;
    if (!chosen) {
        if (!m_ownPrinter)
            m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        chosen = m_ownPrinter.get();
    }
    if (m_pageSetup.margins) {
        chosen->setPageMargins(printing::marginsInMillimetres(m_pageSetup.margins(),
                                                              m_host.settings().printMarginMetric),
                               QPageLayout::Millimeter);
    }
    return *chosen;
}

PrintOptions PrintCommands::optionsFor(const CRidereDoc *document) const
{
    const FrameSettings &s = m_host.settings();
    PrintOptions options;
    options.header = s.printHeader;
    options.footer = s.printFooter;
    options.lineNumbers = s.printLineNumbers;
    options.format = s.printFormat;
    options.headerText = printing::headerText(document->pathName(), document->title());
    options.fontFace = s.fontStyle;
    options.fontSize = s.fontSize;
    return options;
}

int PrintCommands::printDocument(CRidereDoc *document, QPrinter &printer)
{
    m_error.clear();
    PrintJob job(document->editor(), optionsFor(document), printer.pageLayout(),
                 printer.resolution());
    const std::unique_ptr<Progress> progress =
        m_host.startProgress(std::max<qint64>(1, job.pageStarts().length()), true);
    const int pages = job.print(printer, progress.get());
    m_error = job.errorText();
    return pages;
}

int PrintCommands::printUnattended(CRidereDoc *document, const QString &target)
{
    QPrinter &chosen = printer();
    if (target.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        chosen.setOutputFormat(QPrinter::PdfFormat);
        chosen.setOutputFileName(target);
    } else if (!target.isEmpty()) {
        chosen.setPrinterName(target);
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        m_error = resourceText(Str::PrintNoPrinter);
        return -1;
    }
    if (chosen.outputFormat() == QPrinter::NativeFormat && !chosen.isValid()) {
        m_error = resourceText(Str::PrintFailed).replace(QLatin1String("%s"), target);
        return -1;
    }
    chosen.setFromTo(0, 0);
    return printDocument(document, chosen);
}

void PrintCommands::print()
{
    CRidereDoc *document = activeTextDocument();
    if (!document)
        return;
    QPrinter &chosen = printer();
    chosen.setFromTo(0, 0);
    if (printDialogHook()) {
        if (!printDialogHook()(chosen))
            return;
    } else {
        QPrintDialog dialog(&chosen, m_host.window());
        dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                          QAbstractPrintDialog::PrintShowPageSize);
        dialog.setMinMax(1, 999999);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    if (printDocument(document, chosen) < 0 && !m_error.isEmpty())
        showMessage(m_host.window(), MessageIcon::Exclamation, m_error);
}

void PrintCommands::preview()
{
    CRidereDoc *document = activeTextDocument();
    if (!document)
        return;
    const QPrinter &chosen = printer();
    auto job = std::make_unique<PrintJob>(document->editor(), optionsFor(document),
                                          chosen.pageLayout(), chosen.resolution());
    CPrintPreviewDialog dialog(m_host, std::move(job), m_host.window());
    if (previewHook()) {
        dialog.show();
        previewHook()(dialog);
        if (dialog.isVisible())
            dialog.reject();
    } else {
        dialog.exec();
    }
    if (dialog.printRequested())
        print();
}

} // namespace pw
