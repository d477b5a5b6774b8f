// LanguageList: every language of the configuration folder, in file-name order.
#pragma once

#include "languages/engine/languagerecord.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace pw {

// Positions in the list are the language numbers that frames and documents keep, so the order
// changes only through a full load, after which every document's language must be applied again.
class LanguageList
{
public:
    // Reads every "*.config" file of folder, sorted by file name (ignoring case, then exactly).
    // An empty folder argument reloads from the folder of the previous load. The list is cleared
    // first; files that cannot be used are skipped (see readLanguageFile). True when at least one
    // "*.config" file was found, whether or not it could be used.
    bool load(const QString &folder = QString());
    // Reads one file and appends its record when it defines a language; false when skipped.
    bool readFile(const QString &path);
    void clear();

    int count() const { return int(m_records.size()); }
    QString folder() const { return m_folder; }
    // A copy of the record at index; any other index gives LanguageRecord::fallback().
    LanguageRecord get(int index) const;
    // Replaces the record at index with a copy of record; an index outside the list is ignored.
    void replace(int index, const LanguageRecord &record);
    // The first language marked default; without one, the first that claims ".*"; else 0.
    int indexOfDefault() const;
    // The first language in list order whose extensions claim extension, or -1.
    int indexOfExtension(const QString &extension) const;
    // The first language in list order that lists fileName (no folder) among its file names, or -1.
    int indexOfFileName(const QString &fileName) const;
    // The first language whose menu label equals label, ignoring case, or -1.
    int indexOfMenuLabel(const QString &label) const;
    // The diagnostics of the files the last load skipped, in file order.
    QStringList loadErrors() const { return m_errors; }

private:
    QString m_folder;
    std::deque<LanguageRecord> m_records;
    QStringList m_errors;
};

// The language a file gets from its extension (with its leading dot, empty for a new document).
struct LanguageChoice
{
    int index = 0;              // the position to colour with
    std::optional<int> lexerId; // the document's new language number; nullopt leaves it as it was
};

// The first language in list order that claims extension, with its language number; when none
// does, the default language (indexOfDefault) with the document's number unchanged.
LanguageChoice chooseLanguageByExtension(const LanguageList &list, const QString &extension);

} // namespace pw
