// Runs GNU diff on two texts for differential tests.
#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <optional>
#include <string>

namespace pw::diff::test {

inline bool gnuDiffAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("diff")).isEmpty();
}

// GNU diff's output for a against b with the given arguments (files named A and B).
inline std::optional<std::string> runGnuDiff(const std::string &a, const std::string &b,
                                             const QStringList &arguments)
{
    QTemporaryDir dir;
    const QString pa = dir.filePath(QStringLiteral("A"));
    const QString pb = dir.filePath(QStringLiteral("B"));
    for (const auto &[path, text] : {std::pair(pa, &a), std::pair(pb, &b)}) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text->data(), qint64(text->size())) < 0)
            return std::nullopt;
    }
    QProcess diff;
    diff.setWorkingDirectory(dir.path());
    diff.start(QStringLiteral("diff"), QStringList(arguments)
                                           << QStringLiteral("A") << QStringLiteral("B"));
    if (!diff.waitForFinished(60000) || diff.exitStatus() != QProcess::NormalExit ||
        diff.exitCode() > 1)
        return std::nullopt;
    const QByteArray out = diff.readAllStandardOutput();
    return std::string(out.constData(), std::size_t(out.size()));
}

// Lines GNU diff adds plus lines it removes.
inline std::optional<long> gnuEditSize(const std::string &a, const std::string &b)
{
    const std::optional<std::string> out = runGnuDiff(a, b, {});
    if (!out)
        return std::nullopt;
    long size = 0;
    std::size_t pos = 0;
    while (pos < out->size()) {
        if ((*out)[pos] == '<' || (*out)[pos] == '>')
            ++size;
        const std::size_t nl = out->find('\n', pos);
        if (nl == std::string::npos)
            break;
        pos = nl + 1;
    }
    return size;
}

} // namespace pw::diff::test
