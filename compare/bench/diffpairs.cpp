// Generated and real file pairs for penwright-bench "diff".
#include "compare/bench/diffpairs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <random>

namespace pw::diff::bench {
namespace {

const char *const Words[] = {
    "value", "count",  "index", "buffer", "result", "state",  "offset", "length", "config", "item",
    "node",  "parent", "child", "handle", "stream", "token",  "cursor", "range",  "limit",  "table",
    "entry", "key",    "name",  "path",   "line",   "column", "width",  "height", "flags",  "mode"};
const char *const Calls[] = {"update", "compute", "insert", "remove", "check", "apply",  "read",
                             "write",  "find",    "merge",  "split",  "reset", "render", "parse"};
const char *const Stock[] = {"",           "",
                             "",           "}",
                             "    }",      "        }",
                             "{",          "    return true;",
                             "    break;", "        break;",
                             "} else {",   "    return false;"};

class LineMaker
{
public:
    explicit LineMaker(std::uint64_t seed) : m_rng(seed) {}

    std::string line()
    {
        if (pick(100) < 22)
            return Stock[pick(std::size(Stock))];
        std::string l(4 * (1 + pick(3)), ' ');
        switch (pick(4)) {
        case 0:
            l += word() + " = " + word() + "." + call() + "(" + number() + ", " + word() + ");";
            break;
        case 1:
            l += "if (" + word() + " > " + number() + " && " + word() + "_" + number() + ") {";
            break;
        case 2:
            l += call() + "(\"" + word() + " " + word() + " " + number() + "\", " + word() + ");";
            break;
        default:
            l += "const auto " + word() + number() + " = " + word() + "[" + number() + "] + " +
                 word() + ";";
            break;
        }
        return l;
    }

    // The same line with one word or number changed, as an edit usually leaves it.
    std::string similar(const std::string &l)
    {
        if (l.size() < 8)
            return line();
        std::string out = l;
        const std::size_t at = 4 + pick(out.size() - 4);
        out.insert(at, pick(2) ? number() : word());
        return out;
    }

    std::size_t pick(std::size_t n) { return n ? std::size_t(m_rng() % n) : 0; }

private:
    std::string word() { return Words[pick(std::size(Words))]; }
    std::string call() { return Calls[pick(std::size(Calls))]; }
    std::string number() { return std::to_string(pick(100000)); }

    std::mt19937_64 m_rng;
};

std::string join(const std::vector<std::string> &lines)
{
    std::size_t size = 0;
    for (const std::string &l : lines)
        size += l.size() + 1;
    std::string out;
    out.reserve(size);
    for (const std::string &l : lines) {
        out += l;
        out += '\n';
    }
    return out;
}

std::string run(const QString &program, const QStringList &arguments, const QByteArray &input,
                bool *ok)
{
    QProcess process;
    process.start(program, arguments);
    if (!input.isEmpty()) {
        process.write(input);
    }
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(300000);
    *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QByteArray out = process.readAllStandardOutput();
    return std::string(out.constData(), std::size_t(out.size()));
}

// The text files of a revision, each preceded by a header line naming it, in path order.
bool dumpRevision(const QString &repository, const QString &revision, const QString &target,
                  QString &error)
{
    bool ok = false;
    const std::string list = run(QStringLiteral("git"),
                                 {QStringLiteral("-C"), repository, QStringLiteral("ls-tree"),
                                  QStringLiteral("-r"), QStringLiteral("--name-only"), revision},
                                 {}, &ok);
    if (!ok) {
        error = QStringLiteral("git ls-tree %1 failed in %2").arg(revision, repository);
        return false;
    }
    QByteArray request;
    std::vector<std::string> paths;
    for (std::size_t pos = 0; pos < list.size();) {
        const std::size_t nl = list.find('\n', pos);
        const std::size_t end = nl == std::string::npos ? list.size() : nl;
        paths.push_back(list.substr(pos, end - pos));
        request += revision.toUtf8() + ':' + QByteArray::fromStdString(paths.back()) + '\n';
        pos = end + 1;
    }
    const std::string blobs = run(
        QStringLiteral("git"),
        {QStringLiteral("-C"), repository, QStringLiteral("cat-file"), QStringLiteral("--batch")},
        request, &ok);
    if (!ok) {
        error = QStringLiteral("git cat-file failed in %1").arg(repository);
        return false;
    }
    // Each answer: "<id> <type> <size>\n<content>\n".
    std::string dump;
    std::size_t pos = 0;
    for (const std::string &path : paths) {
        const std::size_t nl = blobs.find('\n', pos);
        if (nl == std::string::npos)
            break;
        const std::string header = blobs.substr(pos, nl - pos);
        const std::size_t space = header.rfind(' ');
        const std::size_t size =
            space == std::string::npos ? 0 : std::stoull(header.substr(space + 1));
        const std::string_view content(blobs.data() + nl + 1,
                                       std::min(size, blobs.size() - nl - 1));
        pos = nl + 1 + content.size() + 1;
        if (header.find(" blob ") == std::string::npos ||
            content.find('\0') != std::string_view::npos)
            continue;
        dump += "=== " + path + "\n";
        dump += content;
        if (!content.empty() && content.back() != '\n')
            dump += '\n';
    }
    if (!writeFile(target, dump)) {
        error = QStringLiteral("cannot write %1").arg(target);
        return false;
    }
    return true;
}

} // namespace

bool writeFile(const QString &path, const std::string &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

GeneratedPair generatePair(const EditPlan &plan)
{
    LineMaker maker(plan.seed);
    std::vector<std::string> lines;
    std::size_t size = 0;
    const auto target = std::size_t(plan.megabytes * 1e6);
    while (size < target) {
        lines.push_back(maker.line());
        size += lines.back().size() + 1;
    }
    // Edits of 1 line (two thirds) or 2-6 lines at random places, until the planned share of
    // lines is touched; applied in one pass over the first file's lines.
    struct Edit
    {
        std::size_t at;
        std::size_t run;
        std::size_t kind; // 0 replace with similar lines, 1 insert before, 2 delete
    };
    std::vector<Edit> edits;
    for (auto budget = std::int64_t(double(lines.size()) * plan.changedPercent / 100.0);
         budget > 0;) {
        const Edit e{maker.pick(lines.size()), maker.pick(3) ? 1 : 2 + maker.pick(5),
                     maker.pick(3)};
        edits.push_back(e);
        budget -= std::int64_t(e.run);
    }
    std::sort(edits.begin(), edits.end(), [](const Edit &x, const Edit &y) { return x.at < y.at; });
    std::vector<std::string> second;
    second.reserve(lines.size() + lines.size() / 50);
    std::size_t next = 0;
    for (const Edit &e : edits) {
        const std::size_t at = std::max(e.at, next);
        for (; next < at && next < lines.size(); ++next)
            second.push_back(lines[next]);
        const std::size_t end = std::min(lines.size(), next + e.run);
        if (e.kind == 0) {
            for (; next < end; ++next)
                second.push_back(maker.similar(lines[next]));
        } else if (e.kind == 1) {
            for (std::size_t k = 0; k < e.run; ++k)
                second.push_back(maker.line());
        } else {
            next = end;
        }
    }
    for (; next < lines.size(); ++next)
        second.push_back(lines[next]);
    for (int b = 0; b < plan.movedBlocks && second.size() > 4000; ++b) {
        const std::size_t length = 200 + maker.pick(1801);
        const std::size_t from = maker.pick(second.size() - length);
        std::vector<std::string> block(second.begin() + std::ptrdiff_t(from),
                                       second.begin() + std::ptrdiff_t(from + length));
        second.erase(second.begin() + std::ptrdiff_t(from),
                     second.begin() + std::ptrdiff_t(from + length));
        const std::size_t to = maker.pick(second.size());
        second.insert(second.begin() + std::ptrdiff_t(to), block.begin(), block.end());
    }
    return GeneratedPair{join(lines), join(second)};
}

std::vector<RealPair> findRealPairs(const QString &folder, const QString &repository,
                                    const std::vector<RevisionPair> &revisions, QStringList &notes)
{
    std::vector<RealPair> pairs;
    const QString licences = QStringLiteral("/usr/share/common-licenses/");
    for (const auto &[a, b] : {std::pair("GPL-2", "GPL-3"), std::pair("LGPL-2.1", "LGPL-3"),
                               std::pair("GFDL-1.2", "GFDL-1.3")}) {
        const QString first = licences + QLatin1String(a);
        const QString second = licences + QLatin1String(b);
        if (QFileInfo::exists(first) && QFileInfo::exists(second))
            pairs.push_back(
                {QStringLiteral("licence %1 -> %2").arg(QLatin1String(a), QLatin1String(b)), first,
                 second});
        else
            notes << QStringLiteral("no %1 or %2 in %3")
                         .arg(QLatin1String(a), QLatin1String(b), licences);
    }
    if (repository.isEmpty() || !QFileInfo::exists(repository + QStringLiteral("/.git"))) {
        notes << QStringLiteral("no git repository at %1").arg(repository);
        return pairs;
    }
    int index = 0;
    for (const RevisionPair &r : revisions) {
        const QString first = QDir(folder).filePath(QStringLiteral("tree%1-old.txt").arg(index));
        const QString second = QDir(folder).filePath(QStringLiteral("tree%1-new.txt").arg(index));
        ++index;
        QString error;
        if (dumpRevision(repository, r.oldRevision, first, error) &&
            dumpRevision(repository, r.newRevision, second, error))
            pairs.push_back(
                {QStringLiteral("source tree %1 -> %2").arg(r.oldRevision, r.newRevision), first,
                 second});
        else
            notes << error;
    }
    return pairs;
}

QString rootRevision(const QString &repository)
{
    bool ok = false;
    const std::string out = run(QStringLiteral("git"),
                                {QStringLiteral("-C"), repository, QStringLiteral("rev-list"),
                                 QStringLiteral("--max-parents=0"), QStringLiteral("HEAD")},
                                {}, &ok);
    if (!ok || out.size() < 7)
        return {};
    return QString::fromLatin1(out.substr(0, out.find('\n')));
}

} // namespace pw::diff::bench
