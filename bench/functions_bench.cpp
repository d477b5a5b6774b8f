// penwright-bench "functions": function-list parse times on this machine's sources, against
// universal-ctags; "functions --list FILE" prints what the pane would list for FILE.
#include "bench/benchregistry.h"
#include "functionlist/engine/functionparser.h"
#include "languages/engine/languagechoice.h"
#include "languages/engine/languagelist.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace {

namespace fl = pw::functionlist;
using pw::bench::median;

constexpr qsizetype MaxFileBytes = 512 * 1024;
// The pane parses documents shorter than this.
constexpr qsizetype PaneLimitBytes = 0x80000;
constexpr double TargetMs = 50.0;

// The language number an open document would get: the shipped Config folder beside the program,
// chosen by extension, whole name and first line as the document chooses.
int lexerIdForFile(const QString &path)
{
    static const pw::LanguageList languages = [] {
        pw::LanguageList list;
        list.load(QCoreApplication::applicationDirPath() + QStringLiteral("/Config"));
        return list;
    }();
    const pw::LanguageChoice choice = pw::chooseLanguage(languages, path, pw::readFirstLine(path));
    return choice.lexerId.value_or(languages.get(choice.index).lexerId);
}

bool isUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text);
    return !decoder.hasError();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "functions --list FILE": LINE<TAB>NAME lines on standard output, nothing else, then the
// program ends; problems come back as the usual JSON error.
QJsonObject listFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{QStringLiteral("error"), QStringLiteral("cannot read %1").arg(path)}};
    const QByteArray text = file.readAll();
    const int lexerId = lexerIdForFile(path);
    if (lexerId > 0 && text.size() < PaneLimitBytes) {
        fl::ParseOptions options;
        options.utf8 = isUtf8(text);
        const fl::ParseResult result = fl::parseFunctions(text, lexerId, {}, options);
        if (result.status == fl::ParseStatus::Incomplete)
            return {{QStringLiteral("error"), QStringLiteral("parse incomplete: %1")
                                                  .arg(QString::fromStdString(result.problem))}};
        if (result.status == fl::ParseStatus::NotSupported)
            std::fprintf(stderr, "Language not supported\n");
        for (const fl::FunctionEntry &e : result.displayed)
            std::printf("%d\t%s\n", e.line + 1, e.name.constData());
    } else if (lexerId <= 0) {
        std::fprintf(stderr, "no language for %s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "not parsed: %lld bytes or more\n", qlonglong(PaneLimitBytes));
    }
    std::fflush(stdout);
    std::fflush(stderr);
    // The listing is the whole output: leave before the JSON summary is printed.
    std::_Exit(0);
}

struct Group
{
    QString name;
    // How ctags reads the files: "--language-force=Python --python-kinds=fm" and so on.
    QStringList ctagsOptions;
    QStringList files;
    // ctags names Tcl procs by their last part ("Create" for "::tk::dialog::file::Create"); we
    // list the whole name, compared by its last part.
    bool lastPartOnly = false;
    // A second reading reported beside the first (the C group: every file read as C, as the
    // figures before this reading were taken); empty for none.
    QStringList otherCtagsOptions = {};
};

QStringList largestFiles(const QStringList &roots, const QStringList &patterns, int count)
{
    std::vector<std::pair<qint64, QString>> found;
    for (const QString &root : roots) {
        QDirIterator it(root, patterns, QDir::Files | QDir::NoSymLinks,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const qint64 size = it.fileInfo().size();
            if (size > 0 && size <= MaxFileBytes)
                found.emplace_back(size, it.filePath());
        }
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    QStringList out;
    std::set<QString> seen; // the same file reached twice (python3 and python3.11)
    for (const auto &entry : found) {
        const QString canonical = QFileInfo(entry.second).canonicalFilePath();
        if (!seen.insert(canonical).second)
            continue;
        out << entry.second;
        if (out.size() >= count)
            break;
    }
    return out;
}

QStringList pythonRoots()
{
    QStringList roots;
    const QStringList dirs =
        QDir(QStringLiteral("/usr/lib")).entryList({QStringLiteral("python3*")}, QDir::Dirs);
    for (const QString &dir : dirs)
        roots << QStringLiteral("/usr/lib/") + dir;
    return roots;
}

// Milliseconds for one parse of text, the median of runs.
double parseMs(const QByteArray &text, int lexerId, int runs, fl::ParseResult *last = nullptr)
{
    std::vector<double> times;
    fl::PatternCache cache; // as the worker keeps it
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        fl::ParseResult result = fl::parseFunctions(text, lexerId, {}, {}, &cache);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (last && i + 1 == runs)
            *last = std::move(result);
    }
    return median(times);
}

// A name as the two tools are compared: without blanks, since ctags writes "operator ==" and
// "operator Matcher<T>" where the text and our list have "operator==".
QString comparable(const QString &name)
{
    QString out = name;
    out.removeIf([](QChar c) { return c.isSpace(); });
    return out;
}

// Function names per file from one ctags run over the group, and its wall time.
bool runCtags(const QString &ctags, const Group &group, const QStringList &options, int runs,
              std::map<QString, std::set<QString>> &names, double &ms, QString &error)
{
    QTemporaryDir dir;
    QFile list(dir.filePath(QStringLiteral("files")));
    if (!dir.isValid() || !list.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write the ctags file list");
        return false;
    }
    list.write(group.files.join(QLatin1Char('\n')).toLocal8Bit());
    list.close();
    const QStringList args =
        QStringList{QStringLiteral("-x"), QStringLiteral("--_xformat=%N\t%n\t%F")} + options +
        QStringList{QStringLiteral("-L"), list.fileName()};
    std::vector<double> times;
    QByteArray output;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(ctags, args);
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            error = QStringLiteral("ctags failed: ") +
                    QString::fromLocal8Bit(process.readAllStandardError());
            return false;
        }
        output = process.readAllStandardOutput();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    ms = median(times);
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        // ctags names a lambda "__anon" and a number of its own; no list can show such a name.
        if (fields.size() >= 3 && !fields[0].startsWith("__anon"))
            names[QString::fromLocal8Bit(fields.mid(2).join('\t'))].insert(
                comparable(QString::fromUtf8(fields[0])));
    }
    return true;
}

// A 512 KB C document made of this machine's own C sources, cut at a line end.
QByteArray cDocument(const QStringList &cFiles)
{
    QByteArray text;
    for (const QString &path : cFiles) {
        text += readFile(path);
        if (text.size() >= PaneLimitBytes - 1)
            break;
    }
    if (text.size() > PaneLimitBytes - 1) {
        text.truncate(PaneLimitBytes - 1);
        text.truncate(text.lastIndexOf('\n') + 1);
    }
    return text;
}

QJsonObject runBenchmark(const QStringList &args)
{
    const int perGroup =
        pw::bench::option(args, QStringLiteral("--files"), QStringLiteral("25")).toInt();
    const int runs =
        std::max(1, pw::bench::option(args, QStringLiteral("--runs"), QStringLiteral("3")).toInt());
    const QString include = QStringLiteral("/usr/include");
    const QStringList cFiles =
        largestFiles({include}, {QStringLiteral("*.c"), QStringLiteral("*.h")}, perGroup);
    auto forced = [](const char *language, const char *kinds) {
        return QStringList{QStringLiteral("--language-force=") + QLatin1String(language),
                           QLatin1String(kinds)};
    };
    const QString cKinds = QStringLiteral("--c-kinds=f");
    const QString cxxKinds = QStringLiteral("--c++-kinds=f");
    std::vector<Group> groups = {
        // ctags as it reads these files by itself: "*.h" with its C++ parser, which reads class
        // bodies (LLVM's, gmock's and libstdc++'s headers are C++ under that name), "*.c" as C.
        {QStringLiteral("C"), {cKinds, cxxKinds}, cFiles, false, forced("C", "--c-kinds=f")},
        {QStringLiteral("C++"), forced("C++", "--c++-kinds=f"),
         largestFiles({include},
                      {QStringLiteral("*.hpp"), QStringLiteral("*.cpp"), QStringLiteral("*.cc"),
                       QStringLiteral("*.cxx")},
                      perGroup)},
        {QStringLiteral("Python"), forced("Python", "--python-kinds=fm"),
         largestFiles(pythonRoots(), {QStringLiteral("*.py")}, perGroup)},
        {QStringLiteral("Tcl"), forced("Tcl", "--tcl-kinds=p"),
         largestFiles({QStringLiteral("/usr/share/tcltk")}, {QStringLiteral("*.tcl")}, perGroup),
         true},
        {QStringLiteral("Shell"), forced("Sh", "--sh-kinds=f"),
         largestFiles({QStringLiteral("/usr/share"), QStringLiteral("/usr/lib")},
                      {QStringLiteral("*.sh")}, perGroup)},
    };
    // "--language Tcl": that group alone, for profiling one language's rules.
    const QString only = pw::bench::option(args, QStringLiteral("--language"), QString());
    if (!only.isEmpty())
        std::erase_if(groups, [&](const Group &g) { return g.name != only; });
    const QString ctags = QStandardPaths::findExecutable(QStringLiteral("ctags"));

    QJsonObject result;
    QJsonArray files;
    QJsonObject languages;
    double totalMs = 0, totalCtagsMs = 0;
    qint64 totalOurs = 0, totalTheirs = 0, totalCommon = 0;
    for (const Group &group : groups) {
        if (group.files.isEmpty())
            continue;
        std::map<QString, std::set<QString>> ctagsNames;
        double ctagsMs = 0;
        QString ctagsError;
        const bool haveCtags = !ctags.isEmpty() && runCtags(ctags, group, group.ctagsOptions, runs,
                                                            ctagsNames, ctagsMs, ctagsError);
        std::map<QString, std::set<QString>> otherNames;
        double otherMs = 0;
        const bool haveOther =
            haveCtags && !group.otherCtagsOptions.isEmpty() &&
            runCtags(ctags, group, group.otherCtagsOptions, 1, otherNames, otherMs, ctagsError);
        qint64 otherTheirs = 0, otherCommon = 0;
        double groupMs = 0;
        qint64 bytes = 0, ours = 0, theirs = 0, common = 0;
        for (const QString &path : group.files) {
            const QByteArray text = readFile(path);
            fl::ParseResult parsed;
            const double ms = parseMs(text, lexerIdForFile(path), runs, &parsed);
            std::set<QString> mine;
            for (const fl::FunctionEntry &e : parsed.displayed) {
                const QString name = comparable(QString::fromUtf8(e.name));
                mine.insert(group.lastPartOnly ? name.section(QStringLiteral("::"), -1) : name);
            }
            const std::set<QString> &other = ctagsNames[path];
            qint64 both = 0;
            for (const QString &name : mine)
                both += other.count(name);
            if (haveOther) {
                const std::set<QString> &second = otherNames[path];
                otherTheirs += qint64(second.size());
                for (const QString &name : mine)
                    otherCommon += second.count(name);
            }
            groupMs += ms;
            bytes += text.size();
            ours += qint64(mine.size());
            theirs += qint64(other.size());
            common += both;
            QJsonObject file{{QStringLiteral("path"), path},
                             {QStringLiteral("bytes"), text.size()},
                             {QStringLiteral("ms"), ms},
                             {QStringLiteral("entries"), qint64(parsed.displayed.size())},
                             {QStringLiteral("status"), int(parsed.status)}};
            if (haveCtags) {
                file.insert(QStringLiteral("ctags_names"), qint64(other.size()));
                file.insert(QStringLiteral("common_names"), both);
            }
            files.append(file);
        }
        QJsonObject language{{QStringLiteral("files"), qint64(group.files.size())},
                             {QStringLiteral("bytes"), bytes},
                             {QStringLiteral("ms"), groupMs},
                             {QStringLiteral("names"), ours}};
        if (haveCtags) {
            language.insert(QStringLiteral("ctags_ms"), ctagsMs);
            language.insert(QStringLiteral("ctags_over_ours"), groupMs > 0 ? ctagsMs / groupMs : 0);
            language.insert(QStringLiteral("ctags_names"), theirs);
            language.insert(QStringLiteral("common_names"), common);
            language.insert(QStringLiteral("common_of_ours"), ours ? double(common) / ours : 0);
            language.insert(QStringLiteral("common_of_ctags"),
                            theirs ? double(common) / theirs : 0);
            language.insert(QStringLiteral("ctags_options"),
                            group.ctagsOptions.join(QLatin1Char(' ')));
            if (haveOther) {
                language.insert(QStringLiteral("other_reading"),
                                QJsonObject{{QStringLiteral("ctags_options"),
                                             group.otherCtagsOptions.join(QLatin1Char(' '))},
                                            {QStringLiteral("ctags_names"), otherTheirs},
                                            {QStringLiteral("common_names"), otherCommon},
                                            {QStringLiteral("common_of_ours"),
                                             ours ? double(otherCommon) / ours : 0},
                                            {QStringLiteral("common_of_ctags"),
                                             otherTheirs ? double(otherCommon) / otherTheirs : 0}});
            }
            totalCtagsMs += ctagsMs;
        } else {
            language.insert(QStringLiteral("ctags"),
                            ctags.isEmpty() ? QStringLiteral("not found") : ctagsError);
        }
        languages.insert(group.name, language);
        totalMs += groupMs;
        totalOurs += ours;
        totalTheirs += theirs;
        totalCommon += common;
    }
    result.insert(QStringLiteral("files"), files);
    result.insert(QStringLiteral("languages"), languages);
    result.insert(QStringLiteral("total_ms"), totalMs);
    if (totalCtagsMs > 0) {
        result.insert(QStringLiteral("ctags_total_ms"), totalCtagsMs);
        result.insert(QStringLiteral("ctags_over_ours"), totalCtagsMs / totalMs);
        result.insert(QStringLiteral("common_of_ours"),
                      totalOurs ? double(totalCommon) / totalOurs : 0);
        result.insert(QStringLiteral("common_of_ctags"),
                      totalTheirs ? double(totalCommon) / totalTheirs : 0);
    }

    if (!only.isEmpty())
        return result;
    // The speed goal: a C document as long as the pane parses.
    const QByteArray c512 = cDocument(cFiles);
    fl::ParseResult parsed;
    const double ms = parseMs(c512, 2, std::max(runs, 7), &parsed);
    result.insert(QStringLiteral("c_document"),
                  QJsonObject{{QStringLiteral("bytes"), c512.size()},
                              {QStringLiteral("ms"), ms},
                              {QStringLiteral("entries"), qint64(parsed.displayed.size())},
                              {QStringLiteral("target_ms"), TargetMs},
                              {QStringLiteral("met"), ms <= TargetMs}});
    return result;
}

QJsonObject functions(const QStringList &args)
{
    const qsizetype list = args.indexOf(QStringLiteral("--list"));
    if (list >= 0) {
        if (list + 1 >= args.size())
            return {{QStringLiteral("error"), QStringLiteral("--list needs a file")}};
        return listFile(args.at(list + 1));
    }
    return runBenchmark(args);
}

} // namespace

PW_BENCH("functions", functions);
