// Filter entry keys: their numbers and the next free one.
#include "preferences/engine/filterentries.h"

#include <algorithm>

namespace pw::prefs {

int filterEntryNumber(const QString &key)
{
    const qsizetype underscore = key.lastIndexOf(QLatin1Char('_'));
    if (underscore < 0)
        return 0;
    bool ok = false;
    const int number = key.mid(underscore + 1).toInt(&ok);
    return ok && number > 0 ? number : 0;
}

QString nextFilterEntryKey(const QStringList &listedKeys)
{
    int highest = 0;
    for (const QString &key : listedKeys)
        highest = std::max(highest, filterEntryNumber(key));
    return QStringLiteral("entry_%1").arg(highest + 1);
}

} // namespace pw::prefs
