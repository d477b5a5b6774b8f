// penwright-bench "macro": replays one macro of a macros file into a text loaded from a file, in an
// offscreen window, and saves the result.
// Usage: macro --macros FILE --name NAME --text IN --out OUT
// Prints one JSON line: {"benchmark":"macro","steps":..,"replayed":..,"skipped":..,...} or, on
// failure, {"benchmark":"macro","error":...} with exit code 1.
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "editor/rideredoc.h"
#include "macros/engine/macrorecorder.h"
#include "macros/macrocommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <cstdio>

using pw::bench::option;

namespace {

QJsonObject failure(const QString &why)
{
    return {{QStringLiteral("error"), why}};
}

QJsonObject replay(const QStringList &args)
{
    const QString macros = option(args, QStringLiteral("--macros"));
    const QString name = option(args, QStringLiteral("--name"));
    const QString in = option(args, QStringLiteral("--text"));
    const QString out = option(args, QStringLiteral("--out"));
    if (macros.isEmpty() || name.isEmpty() || in.isEmpty() || out.isEmpty())
        return failure(
            QStringLiteral("usage: macro --macros FILE --name NAME --text IN --out OUT"));

    pw::MacroRecorder recorder(macros);
    switch (recorder.load(name)) {
    case pw::MacroRecorder::LoadResult::Loaded:
        break;
    case pw::MacroRecorder::LoadResult::TooLarge:
        return failure(QStringLiteral("the macros file is too large"));
    case pw::MacroRecorder::LoadResult::TooManySteps:
        return failure(QStringLiteral("the macro has too many steps"));
    case pw::MacroRecorder::LoadResult::NoPath:
    case pw::MacroRecorder::LoadResult::NotFound:
        return failure(QStringLiteral("no macro of that name"));
    }

    pw::bench::BenchApp bench;
    pw::CRidereDoc *doc = bench.openText(in);
    if (!doc)
        return failure(QStringLiteral("cannot open the text"));
    QElapsedTimer timer;
    timer.start();
    const pw::ReplayReport report = pw::MacroCommands::play(doc->editor(), recorder.steps());
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!doc->writeCopy(out))
        return failure(QStringLiteral("cannot save the result"));
    return {{QStringLiteral("steps"), int(recorder.steps().size())},
            {QStringLiteral("replayed"), report.replayed},
            {QStringLiteral("skipped"), report.skipped},
            {QStringLiteral("first_skipped_step"), report.firstSkippedStep},
            {QStringLiteral("replay_seconds"), seconds}};
}

// The result as one line, which scripts read more easily than the usual indented object.
QJsonObject macro(const QStringList &args)
{
    QJsonObject result = replay(args);
    result.insert(QStringLiteral("benchmark"), QStringLiteral("macro"));
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
    result.insert(QStringLiteral("printed"), true);
    return result;
}

} // namespace

PW_BENCH("macro", macro);
