// penwright-bench "tidy", "xmlcheck" and "tidy-speed": the markup engine from the command line.
#include "bench/benchregistry.h"
#include "markup/engine/tidyprofiles.h"
#include "markup/engine/tidyrunner.h"
#include "markup/engine/xmlcheck.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <cstdio>

namespace {

QJsonObject failure(const QString &text)
{
    return QJsonObject{{QStringLiteral("error"), text}};
}

bool readAll(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return true;
}

// A profile given by name ("xhtml_clean" or "xhtml_clean.tidy") from the program's folder, or
// by the path of a file.
QString profilePath(const QString &name)
{
    if (name.contains(QLatin1Char('/')) && QFileInfo::exists(name))
        return name;
    QString file = name;
    if (!file.endsWith(QLatin1String(".tidy")))
        file += QLatin1String(".tidy");
    return pw::TidyProfiles::ensure(QFile::encodeName(file).constData());
}

void writeOut(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Cleaned text on standard output, Tidy's report on standard error.
QJsonObject tidy(const QStringList &args)
{
    const QString file = pw::bench::option(args, QStringLiteral("--file"));
    const QString profile =
        pw::bench::option(args, QStringLiteral("--profile"), QStringLiteral("html_clean"));
    QByteArray text;
    if (file.isEmpty() || !readAll(file, text))
        return failure(QStringLiteral("cannot read --file ") + file);
    const pw::TidyRun run = pw::runTidy(text, profilePath(profile));
    writeOut(stdout, run.output);
    writeOut(stderr, run.message());
    QJsonObject result{{QStringLiteral("printed"), true}};
    if (!run.ok())
        result.insert(QStringLiteral("error"), run.rc);
    return result;
}

QJsonObject xmlcheck(const QStringList &args)
{
    const QString file = pw::bench::option(args, QStringLiteral("--file"));
    QByteArray text;
    if (file.isEmpty() || !readAll(file, text))
        return failure(QStringLiteral("cannot read --file ") + file);
    writeOut(stdout, pw::checkXml(text).message().toUtf8() + '\n');
    return QJsonObject{{QStringLiteral("printed"), true}};
}

// The time of one clean of a generated page of about --mb megabytes (10 by default).
QJsonObject tidySpeed(const QStringList &args)
{
    const int mb = pw::bench::option(args, QStringLiteral("--mb"), QStringLiteral("10")).toInt();
    QByteArray page = "<html><head><title>t</title></head><body>\n";
    const QByteArray row = "<p>Row with <b>bold</b>, <i>italic &amp; more</i> and "
                           "<a href=\"x.html\">a link</a><br>\n";
    while (page.size() < qsizetype(mb) * 1024 * 1024)
        page += row;
    page += "</body></html>\n";
    QElapsedTimer timer;
    timer.start();
    const pw::TidyRun run =
        pw::runTidy(page, profilePath(pw::bench::option(args, QStringLiteral("--profile"),
                                                        QStringLiteral("html_clean"))));
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return QJsonObject{{QStringLiteral("bytes"), double(page.size())},
                       {QStringLiteral("rc"), run.rc},
                       {QStringLiteral("output_bytes"), double(run.output.size())},
                       {QStringLiteral("seconds"), seconds},
                       {QStringLiteral("peak_rss_bytes"), double(pw::bench::peakRssBytes())}};
}

} // namespace

PW_BENCH("tidy", tidy);
PW_BENCH("xmlcheck", xmlcheck);
PW_BENCH("tidy-speed", tidySpeed);
