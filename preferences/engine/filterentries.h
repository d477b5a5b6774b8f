// File-dialog filter entries as the filter page lists them, and the name of a new one.
#pragma once

#include <QString>
#include <QStringList>

namespace pw::prefs {

// The number after the last "_" of an entry's key ("entry_7" is 7); 0 when there is none or it
// is not a number.
int filterEntryNumber(const QString &key);

// The key of an entry added after the listed ones: "entry_%d", one above the highest number
// among them ("entry_1" for none).
QString nextFilterEntryKey(const QStringList &listedKeys);

} // namespace pw::prefs
