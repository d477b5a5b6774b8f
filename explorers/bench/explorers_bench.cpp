// penwright-bench "explorer" (a folder's tree as the project pane shows it, or the fill time of a
// large folder), "fileexplorer" (a large folder opened in the File Explorer) and "listexplorer"
// (the three insertion lists and what each entry inserts).
#include "bench/benchregistry.h"
#include "bench/stallmeter.h"
#include "explorers/engine/listtables.h"
#include "explorers/engine/projecttree.h"
#include "explorers/filesystemroots.h"
#include "explorers/solutionbarproject.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <unistd.h>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

using namespace pw::explorers;

void printLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
}

// With --dir: the tree, one entry a line. Without: the time to list and to show a folder of
// --files files (default 100000), which the pane fills in one step when it opens.
QJsonObject explorerBench(const QStringList &args)
{
    const QString dir = pw::bench::option(args, QStringLiteral("--dir"));
    if (!dir.isEmpty()) {
        for (const QString &line : expandedTree(nativePathOf(dir)))
            printLine(line.toUtf8());
        std::fflush(stdout);
        return {{QStringLiteral("printed"), true}};
    }
    const int files = pw::bench::option(args, QStringLiteral("--files"), QStringLiteral("100000")).toInt();
    QTemporaryDir temp;
    for (int i = 0; i < files; ++i) {
        QFile file(temp.filePath(QStringLiteral("file%1.txt").arg(i)));
        if (!file.open(QIODevice::WriteOnly))
            return {{QStringLiteral("error"), QStringLiteral("cannot create the files")}};
    }
    QElapsedTimer timer;
    timer.start();
    const std::size_t listed = listFolder(nativePathOf(temp.path())).size();
    const double listSeconds = double(timer.nsecsElapsed()) / 1e9;
    pw::CSolutionBarProjectTree tree;
    // The longest the event loop went without a turn, from the open to the last entry shown.
    pw::bench::StallMeter stalls(1);
    timer.restart();
    stalls.start();
    tree.setRootFolder(temp.path());
    const double openSeconds = double(timer.nsecsElapsed()) / 1e9;
    stalls.mark();
    // A folder that takes longer than the tree waits is read on while the window goes on.
    while (tree.root() && pw::CSolutionBarProjectTree::isReading(tree.root()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double fillSeconds = double(timer.nsecsElapsed()) / 1e9;
    stalls.stop();
    return {{QStringLiteral("files"), files},
            {QStringLiteral("listed"), qint64(listed)},
            {QStringLiteral("shown"), tree.root() ? tree.root()->childCount() : 0},
            {QStringLiteral("list_seconds"), listSeconds},
            {QStringLiteral("open_seconds"), openSeconds},
            {QStringLiteral("fill_seconds"), fillSeconds},
            {QStringLiteral("longest_stall_seconds"), stalls.longestSeconds()}};
}

// A folder of --files entries (default 100000) opened in a shown File Explorer tree: the time until
// its first rows show, until all show, and the longest the window went without a turn of its event
// loop meanwhile. The entries are links to a few files, as a new inode per entry is slow to get.
QJsonObject fileExplorerBench(const QStringList &args)
{
    const int files = pw::bench::option(args, QStringLiteral("--files"), QStringLiteral("100000")).toInt();
    QTemporaryDir temp;
    const QByteArray folder = nativePathOf(temp.path());
    // A file takes at most 65,000 links on ext4; each 50,000 entries get a file of their own.
    QByteArray first;
    for (int i = 0; i < files; ++i) {
        const QByteArray name = folder + "/file" + QByteArray::number(i) + ".txt";
        const bool made = i % 50000 == 0 ? QFile(QFile::decodeName(name)).open(QIODevice::WriteOnly)
                                         : ::link(first.constData(), name.constData()) == 0;
        if (!made)
            return {{QStringLiteral("error"), QStringLiteral("cannot create the files")}};
        if (i % 50000 == 0)
            first = name;
    }
    pw::FileSystemRoots model({temp.path()});
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.resize(300, 600);
    view.show();
    QElapsedTimer timer;
    qint64 lastTurn = 0;
    qint64 longestTurn = 0;
    qint64 firstRows = -1;
    QTimer turns;
    turns.setInterval(0);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        const qint64 now = timer.nsecsElapsed();
        longestTurn = std::max(longestTurn, now - lastTurn);
        lastTurn = now;
        if (firstRows < 0 && model.rowCount(model.index(0, 0)) > 0)
            firstRows = now;
    });
    timer.start();
    turns.start();
    view.expand(model.index(0, 0));
    model.fetchMore(model.index(0, 0));
    while (!model.isIdle() || model.rowCount(model.index(0, 0)) == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    const double allSeconds = double(timer.nsecsElapsed()) / 1e9;
    return {{QStringLiteral("files"), files},
            {QStringLiteral("shown"), model.rowCount(model.index(0, 0))},
            {QStringLiteral("first_rows_seconds"), double(firstRows) / 1e9},
            {QStringLiteral("all_rows_seconds"), allSeconds},
            {QStringLiteral("longest_stall_seconds"), double(longestTurn) / 1e9}};
}

// The counts as one JSON object, then per entry its display text, a tab and the text a double
// click hands to the editor of a document (UTF-8), "<%REPLACE%>" standing for the selection.
QJsonObject listExplorerBench(const QStringList &)
{
    const QJsonObject counts{
        {QStringLiteral("tags"), qint64(listTable(ListKind::HtmlTags).size())},
        {QStringLiteral("entities"), qint64(listTable(ListKind::HtmlEntities).size())},
        {QStringLiteral("codes"), qint64(listTable(ListKind::AsciiCodes).size())}};
    printLine(QJsonDocument(counts).toJson(QJsonDocument::Compact));
    for (int kind = 0; kind < ListKindCount; ++kind) {
        for (const ListEntry &entry : listTable(ListKind(kind)))
            printLine(fromWindows1252(entry.display).toUtf8() + '\t' + insertionBytes(entry, true));
    }
    std::fflush(stdout);
    return {{QStringLiteral("printed"), true}};
}

PW_BENCH("explorer", explorerBench);
PW_BENCH("fileexplorer", fileExplorerBench);
PW_BENCH("listexplorer", listExplorerBench);

} // namespace
