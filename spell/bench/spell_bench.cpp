// penwright-bench "spell": the words a check of a file stops at, or how fast it gets through it.
#include "bench/benchregistry.h"
#include "settings/settingkeys.h"
#include "spell/engine/aspellbinding.h"
#include "spell/engine/speller.h"
#include "spell/engine/spellrun.h"

#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <string>

namespace {

using namespace pw::spell;

QJsonObject failure(const QString &text)
{
    std::fprintf(stderr, "penwright-bench spell: %s\n", text.toLocal8Bit().constData());
    return {{QStringLiteral("printed"), true}, {QStringLiteral("error"), text}};
}

// penwright-bench spell --file F [--dict NAME] [--measure]
// Prints "OFFSET<TAB>WORD<TAB>S1,S2,S3" for each word the checker stops at when the user
// ignores every one, with the system's dictionaries; --measure times the run instead (JSON).
QJsonObject run(const QStringList &args)
{
    const QString path = pw::bench::option(args, QStringLiteral("--file"));
    if (path.isEmpty())
        return failure(QStringLiteral("usage: spell --file F [--dict NAME] [--measure]"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("cannot read %1").arg(path));
    const ByteText text(file.readAll());
    if (!AspellLibrary::instance().load())
        return failure(AspellLibrary::instance().errorText());

    SpellerOptions options;
    options.dictionary =
        pw::bench::option(args, QStringLiteral("--dict"),
                          QString::fromUtf8(pw::settings::gen::Dictionary.defaultValue));
    Speller speller;
    if (!speller.initialize(options))
        return failure(speller.errorText());
    SpellRun spellRun(text, speller);
    const bool measure = args.contains(QStringLiteral("--measure"));

    QElapsedTimer timer;
    timer.start();
    qint64 words = 0;
    std::string line;
    for (auto hit = spellRun.next(false); hit; hit = spellRun.next(true)) {
        ++words;
        if (measure)
            continue;
        const std::string word(text.bytes().constData() + hit->position, std::size_t(hit->length));
        line = std::to_string(hit->position) + '\t' + word + '\t';
        const std::vector<std::string> suggestions = speller.suggest(word);
        for (std::size_t i = 0; i < suggestions.size() && i < 3; ++i)
            line += (i ? "," : "") + suggestions[i];
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fflush(stdout);
    if (!measure)
        return {{QStringLiteral("printed"), true}};
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return {{QStringLiteral("bytes"), double(text.length())},
            {QStringLiteral("misspellings"), double(words)},
            {QStringLiteral("seconds"), seconds},
            {QStringLiteral("mb_per_second"),
             seconds > 0 ? double(text.length()) / 1e6 / seconds : 0.0}};
}

} // namespace

PW_BENCH("spell", run);
