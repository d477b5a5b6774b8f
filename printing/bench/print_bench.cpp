// penwright-bench "print": a file printed to PDF through the Print command's path, or the time
// the preview takes to its first page and to the last page start.
#include "app/mainframehost.h"
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "editor/rideredoc.h"
#include "printing/printcommands.h"
#include "printing/printjob.h"
#include "settings/framesettings.h"

#include <QElapsedTimer>
#include <QPrinter>
#include <cstdio>

namespace {

using namespace pw;

QJsonObject failure(const QString &text)
{
    std::fprintf(stderr, "penwright-bench print: %s\n", text.toLocal8Bit().constData());
    return {{QStringLiteral("error"), text}};
}

// penwright-bench print --file F --pdf OUT [--line-numbers] [--format 0-3]
//     {"pages": N, "ms": ...}: F printed to OUT with the header and footer on.
// penwright-bench print --file F --preview [--line-numbers]
//     {"first_page_ms": ..., "count_ms": ..., "pages": N}: the preview's first page, then every
//     page start, on the page setup's default printer layout.
QJsonObject run(const QStringList &args)
{
    const QString path = bench::option(args, QStringLiteral("--file"));
    const QString pdf = bench::option(args, QStringLiteral("--pdf"));
    const bool previewOnly = args.contains(QStringLiteral("--preview"));
    if (path.isEmpty() || (pdf.isEmpty() && !previewOnly))
        return failure(QStringLiteral("usage: print --file F (--pdf OUT | --preview) "
                                      "[--line-numbers] [--format 0-3]"));
    bool formatOk = false;
    const int format = bench::option(args, QStringLiteral("--format"), QStringLiteral("0")).toInt(&formatOk);
    if (!formatOk || format < 0 || format > 3)
        return failure(QStringLiteral("--format takes 0 to 3"));

    bench::BenchApp bench;
    CRidereDoc *document = bench.openText(path);
    if (!document)
        return failure(QStringLiteral("cannot open %1").arg(path));
    QCoreApplication::processEvents();
    FrameSettings &s = bench.app->host()->settings();
    s.printHeader = true;
    s.printFooter = true;
    s.printLineNumbers = args.contains(QStringLiteral("--line-numbers"));
    s.printFormat = format;
    auto *commands = bench.app->host()->services().service<PrintCommands>();
    if (!commands)
        return failure(QStringLiteral("the program has no printing"));

    QElapsedTimer timer;
    if (previewOnly) {
        timer.start();
        const QPrinter &chosen = commands->printer();
        PrintJob job(document->editor(), commands->optionsFor(document), chosen.pageLayout(),
                     chosen.resolution());
        const QImage first = job.pageImage(0, 96);
        const double firstMs = timer.nsecsElapsed() / 1e6;
        while (!job.countPages(25)) {
        }
        return {{QStringLiteral("first_page_ms"), firstMs},
                {QStringLiteral("count_ms"), timer.nsecsElapsed() / 1e6 - firstMs},
                {QStringLiteral("pages"), job.pageStarts().knownPages()},
                {QStringLiteral("rendered"), !first.isNull()}};
    }
    timer.start();
    const int pages = commands->printUnattended(document, pdf);
    if (pages < 0)
        return failure(commands->errorText());
    return {{QStringLiteral("pages"), pages}, {QStringLiteral("ms"), timer.nsecsElapsed() / 1e6}};
}

PW_BENCH("print", run);

} // namespace
