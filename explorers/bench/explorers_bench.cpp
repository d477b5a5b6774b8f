// penwright-bench "explorer" (a folder's tree as the project pane shows it, or the fill time of a
// large folder) and "listexplorer" (the three insertion lists and what each entry inserts).
#include "bench/benchregistry.h"
#include "explorers/engine/listtables.h"
#include "explorers/engine/projecttree.h"
#include "explorers/solutionbarproject.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
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
    timer.restart();
    tree.setRootFolder(temp.path());
    const double fillSeconds = double(timer.nsecsElapsed()) / 1e9;
    return {{QStringLiteral("files"), files},
            {QStringLiteral("listed"), qint64(listed)},
            {QStringLiteral("shown"), tree.root() ? tree.root()->childCount() : 0},
            {QStringLiteral("list_seconds"), listSeconds},
            {QStringLiteral("fill_seconds"), fillSeconds}};
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
PW_BENCH("listexplorer", listExplorerBench);

} // namespace
