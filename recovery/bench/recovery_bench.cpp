// penwright-bench "recovery": the list of a recovery folder, and the latency and UI stall of
// snapshots while typing into big documents.
#include "app/mainframehost.h"
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "framework/commandrouter.h"
#include "recovery/engine/recoveryfile.h"
#include "recovery/recoverydialog.h"
#include "recovery/recoverymanager.h"
#include "resources/commandids.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <cstdio>

namespace {

QString encodingName(int encoding)
{
    switch (encoding) {
    case 0: return QStringLiteral("UTF-8");
    case 1: return QStringLiteral("Unicode");
    case 2: return QStringLiteral("Unicode (Big Endian)");
    case 3: return QStringLiteral("Ansi");
    default: return QStringLiteral("code %1").arg(encoding);
    }
}

// "--list DIR": one line per file as the start-up dialog lists them.
QJsonObject listFolder(const QString &folder)
{
    for (const pw::recovery::Entry &entry : pw::recovery::listEntries(folder)) {
        const QString line =
            entry.damaged
                ? QStringLiteral("%1\tdamaged").arg(entry.file)
                : QStringLiteral("%1\t%2\t%3")
                      .arg(pw::CRecoveryDialog::nameOf(entry))
                      .arg(entry.textSize)
                      .arg(encodingName(entry.header.encoding));
        std::printf("%s\n", line.toUtf8().constData());
    }
    return {{QStringLiteral("printed"), true}};
}

// Types a few keys into a document of size bytes, then waits for the snapshot; the event loop's
// longest turn meanwhile is the stall the user would feel.
QJsonObject measure(pw::bench::BenchApp &bench, qint64 size)
{
    bench.closeAll();
    auto *host = bench.app->host();
    auto *manager = dynamic_cast<pw::RecoveryManager *>(host->recovery());
    host->router()->execute(Cmd::FileNew);
    auto *doc = qobject_cast<pw::CRidereDoc *>(host->activeFrame()->document());
    pw::CMFCScintilla *editor = doc->editor();
    {
        const QByteArray line(79, 'x');
        QByteArray chunk;
        while (chunk.size() < (1 << 20))
            chunk += line + '\n';
        pw::CMFCScintilla::QuietChanges quiet(editor);
        for (qint64 done = 0; done < size; done += chunk.size())
            editor->sendText(pw::Sci::SCI_APPENDTEXT, static_cast<unsigned long>(chunk.size()),
                             chunk.constData());
    }
    bool written = false;
    QObject::connect(manager, &pw::RecoveryManager::snapshotWritten, doc,
                     [&written](const QString &, bool ok) { written = ok; });
    QElapsedTimer clock;
    clock.start();
    qint64 lastKey = 0;
    qint64 longestTurn = 0;
    const auto turn = [&] {
        const qint64 start = clock.nsecsElapsed();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        longestTurn = std::max(longestTurn, clock.nsecsElapsed() - start);
    };
    for (int key = 0; key < 5; ++key) {
        editor->send(pw::Sci::SCI_DOCUMENTEND);
        editor->sendText(pw::Sci::SCI_ADDTEXT, 1, "k");
        lastKey = clock.nsecsElapsed();
        while (clock.nsecsElapsed() - lastKey < 100'000'000)
            turn();
    }
    // The keys' own painting is over; from here the snapshot is the only work.
    const qint64 typingTurn = longestTurn;
    longestTurn = 0;
    while (!written && clock.nsecsElapsed() - lastKey < 60'000'000'000LL)
        turn();
    const qint64 snapshotTurn = longestTurn;
    longestTurn = std::max(typingTurn, snapshotTurn);
    const QString file = manager->fileOf(doc);
    return {{QStringLiteral("bytes"), size},
            {QStringLiteral("written"), written && QFile::exists(file)},
            {QStringLiteral("latency_ms"), double(clock.nsecsElapsed() - lastKey) / 1e6},
            {QStringLiteral("longest_ui_turn_ms"), double(longestTurn) / 1e6},
            {QStringLiteral("typing_turn_ms"), double(typingTurn) / 1e6},
            {QStringLiteral("snapshot_turn_ms"), double(snapshotTurn) / 1e6},
            {QStringLiteral("snapshot_ui_step_ms"), double(manager->lastUiStepNs()) / 1e6}};
}

QJsonObject recoveryBench(const QStringList &args)
{
    const QString list = pw::bench::option(args, QStringLiteral("--list"));
    if (!list.isEmpty())
        return listFolder(list);
    pw::bench::BenchApp bench;
    QJsonArray runs;
    const QString sizes = pw::bench::option(args, QStringLiteral("--mb"), QStringLiteral("1,100"));
    for (const QString &mb : sizes.split(QLatin1Char(',')))
        runs.append(measure(bench, mb.toLongLong() << 20));
    return {{QStringLiteral("quiet_ms"), pw::RecoveryManager::QuietMs},
            {QStringLiteral("runs"), runs}};
}

} // namespace

PW_BENCH("recovery", recoveryBench);
