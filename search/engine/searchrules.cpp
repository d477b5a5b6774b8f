// The small rules of find and replace.
#include "search/engine/searchrules.h"

#include <algorithm>
#include <limits>

namespace pw::search {

QByteArray expandLineEnds(const QByteArray &text, int eolMode)
{
    if (!text.contains("^n"))
        return text;
    const QByteArray lineEnd = eolMode == 1   ? QByteArray("\r")
                               : eolMode == 2 ? QByteArray("\n")
                                              : QByteArray("\r\n");
    QByteArray result = text;
    result.replace("^n", lineEnd);
    return result;
}

Seed seedText(const QByteArray &selection, SeedMode mode, const QByteArray &remembered, bool utf8)
{
    QByteArray text = selection;
    if (text.size() > SeedMaxBytes) {
        qsizetype cut = SeedMaxBytes;
        // A cut inside a UTF-8 character keeps the whole characters before it.
        while (utf8 && cut > 0 && (static_cast<unsigned char>(text.at(cut)) & 0xC0) == 0x80)
            --cut;
        text.truncate(cut);
    }
    if (text.isEmpty() && mode == SeedMode::Seed)
        return {remembered, false};
    return {text, true};
}

int findHistoryEntry(const QStringList &entries, const QString &text, Qt::CaseSensitivity cs)
{
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).compare(text, cs) == 0)
            return i;
    return -1;
}

QStringList historyToStore(const QStringList &entries)
{
    return entries.mid(0, HistoryLimit);
}

int completionEntry(const QStringList &entries, const QString &typed)
{
    if (typed.isEmpty() || entries.isEmpty())
        return -1;
    const int count = int(entries.size());
    for (int k = 1; k <= count; ++k) {
        const int i = k % count;
        if (entries.at(i).startsWith(typed, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

int parseLineNumber(const QString &field)
{
    qint64 value = 0;
    bool any = false;
    for (const QChar ch : field) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            break;
        any = true;
        value =
            std::min<qint64>(value * 10 + (ch.unicode() - '0'), std::numeric_limits<int>::max());
    }
    return any ? int(value) : 0;
}

qint64 gotoLineIndex(qint64 number, qint64 lineCount)
{
    return std::clamp<qint64>(number - 1, 0, std::max<qint64>(lineCount, 0));
}

} // namespace pw::search
