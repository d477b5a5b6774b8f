// LanguageList: loading the configuration folder, lookups and the choice by extension.
#include "languages/engine/languagelist.h"

#include "languages/engine/languagefile.h"

#include <QDir>
#include <algorithm>

namespace pw {

bool LanguageList::load(const QString &folder)
{
    if (!folder.isEmpty())
        m_folder = folder;
    clear();
    if (m_folder.isEmpty())
        return false;
    const QDir dir(m_folder);
    QStringList names = dir.entryList({QStringLiteral("*.config")},
                                      QDir::Files | QDir::Hidden | QDir::Readable, QDir::NoSort);
    // Listing order is up to the file system; a sort keeps the menu the same everywhere.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    for (const QString &name : names)
        readFile(dir.filePath(name));
    return !names.isEmpty();
}

bool LanguageList::readFile(const QString &path)
{
    QString error;
    std::optional<LanguageRecord> record = readLanguageFile(path, &error);
    if (!record) {
        m_errors.append(error);
        return false;
    }
    m_records.push_back(std::move(*record));
    return true;
}

void LanguageList::clear()
{
    m_records.clear();
    m_errors.clear();
}

LanguageRecord LanguageList::get(int index) const
{
    if (index < 0 || index >= count())
        return LanguageRecord::fallback();
    return m_records[size_t(index)];
}

void LanguageList::replace(int index, const LanguageRecord &record)
{
    if (index < 0 || index >= count())
        return;
    m_records[size_t(index)] = record;
}

int LanguageList::indexOfDefault() const
{
    int catchAll = -1;
    for (int i = 0; i < count(); ++i) {
        const LanguageRecord &record = m_records[size_t(i)];
        if (catchAll < 0 && record.matchesExtension(QStringLiteral(".*")))
            catchAll = i;
        if (record.isDefault)
            return i;
    }
    return catchAll < 0 ? 0 : catchAll;
}

int LanguageList::indexOfExtension(const QString &extension) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_records[size_t(i)].matchesExtension(extension))
            return i;
    }
    return -1;
}

int LanguageList::indexOfFileName(const QString &fileName) const
{
    for (int i = 0; i < count() && !fileName.isEmpty(); ++i) {
        if (m_records[size_t(i)].matchesFileName(fileName))
            return i;
    }
    return -1;
}

int LanguageList::indexOfMenuLabel(const QString &label) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_records[size_t(i)].menuLabel.compare(label, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

LanguageChoice chooseLanguageByExtension(const LanguageList &list, const QString &extension)
{
    LanguageChoice choice;
    const int match = list.indexOfExtension(extension);
    if (match < 0) {
        choice.index = list.indexOfDefault();
        return choice;
    }
    choice.index = match;
    choice.lexerId = list.get(match).lexerId;
    return choice;
}

} // namespace pw
