// penwright-bench: runs one named benchmark and prints its result as one JSON object.
#include "bench/benchregistry.h"

#include <QApplication>
#include <QJsonDocument>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace pw::bench {

std::map<std::string, BenchFn> &registry()
{
    static std::map<std::string, BenchFn> commands;
    return commands;
}

qint64 peakRssBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            std::istringstream in(line.substr(6));
            qint64 kb = 0;
            in >> kb;
            return kb * 1024;
        }
    }
    return 0;
}

bool resetPeakRss()
{
    std::ofstream clear("/proc/self/clear_refs");
    if (!clear)
        return false;
    clear << "5";
    return bool(clear);
}

QString option(const QStringList &args, const QString &name, const QString &fallback)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
}

} // namespace pw::bench

int main(int argc, char **argv)
{
    // Benchmarks drive real widgets but never need a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    auto &commands = pw::bench::registry();
    if (args.isEmpty() || !commands.count(args.first().toStdString())) {
        std::fprintf(stderr, "usage: penwright-bench COMMAND [options]\ncommands:");
        for (const auto &entry : commands)
            std::fprintf(stderr, " %s", entry.first.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    const std::string name = args.takeFirst().toStdString();
    QJsonObject result = commands[name](args);
    // Subcommands whose output format is fixed (a diff, a list of hits) print it themselves and
    // say so with "printed".
    if (result.value(QStringLiteral("printed")).toBool())
        return result.contains(QStringLiteral("error")) ? 1 : 0;
    result.insert(QStringLiteral("benchmark"), QString::fromStdString(name));
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Indented).constData());
    return result.contains(QStringLiteral("error")) ? 1 : 0;
}
