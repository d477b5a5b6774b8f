// penwright-bench "tool": runs one tool for a file exactly as the Tools menu would and prints the
// captured text (or, with --expand-only, the argument vector).
#include "bench/benchregistry.h"
#include "tools/bench/benchsinks.h"
#include "tools/engine/consoleredirector.h"
#include "tools/engine/externaltool.h"
#include "tools/engine/toolcommand.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <cstdio>

namespace {

using namespace pw;
using namespace pw::bench;

void print(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// Runs the capture until it ends, or stops it after timeoutMs (0: no limit).
void runCapture(ConsoleRedirector &redirector, TimedSink &sink, const ToolLaunch &launch,
                int timeoutMs)
{
    redirector.open(launch);
    QDeadlineTimer deadline = timeoutMs > 0 ? QDeadlineTimer(timeoutMs) : QDeadlineTimer::Forever;
    while (!sink.finished) {
        if (deadline.hasExpired()) {
            redirector.close();
            break;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

QJsonObject tool(const QStringList &args)
{
    ExternalTool t;
    t.cmd = option(args, QStringLiteral("--cmd"));
    t.args = option(args, QStringLiteral("--args"));
    t.dir = option(args, QStringLiteral("--dir"));
    t.type = option(args, QStringLiteral("--mode"), QStringLiteral("0")).toInt();
    const ToolVariables variables{option(args, QStringLiteral("--file")), QDir::currentPath()};
    const ToolLaunch launch = expandTool(t, variables);
    if (args.contains(QStringLiteral("--expand-only"))) {
        QByteArray out;
        for (const QString &argument : launch.arguments)
            out += argument.toUtf8() + '\n';
        print(out);
        return {{"printed", true}};
    }
    const int timeoutMs = option(args, QStringLiteral("--timeout-ms"), QStringLiteral("0")).toInt();
    const std::optional<ToolOutputMode> mode = outputModeOf(t);
    if (mode == ToolOutputMode::OutputWindow) {
        PaneSink sink;
        ConsoleRedirector redirector(&sink);
        runCapture(redirector, sink, launch, timeoutMs);
        print(sink.buffer.text().toUtf8());
    } else if (mode == ToolOutputMode::EditorDocument) {
        EditorSink sink;
        ConsoleRedirector redirector(&sink, ConsoleRedirector::Options::forDocument());
        runCapture(redirector, sink, launch, timeoutMs);
        print(sink.text());
    } else if (mode == ToolOutputMode::RunExternally) {
        if (const int error = startDetached(launch)) {
            const QString text = ConsoleRedirector::startErrorText(error);
            std::fprintf(stderr, "%s", text.toUtf8().constData());
            return {{"printed", true}, {"error", text}};
        }
    } else {
        std::fprintf(stderr, "tool: --mode must be 0, 1 or 2\n");
        return {{"printed", true}, {"error", QStringLiteral("no such output mode")}};
    }
    return {{"printed", true}};
}

} // namespace

PW_BENCH("tool", tool);
