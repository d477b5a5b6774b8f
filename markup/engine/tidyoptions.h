// TidyOptionInfo: Tidy's option list as a profile holds it, for the option pages.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace pw {

// The groups the option pages show, in Tidy's old numbering.
enum class TidyGroup {
    Markup = 0,
    Diagnostics = 1,
    PrettyPrint = 2,
    Encoding = 3,
    Miscellaneous = 4
};

struct TidyOptionInfo
{
    enum Kind { Text, Number, YesNo, Choice };

    int id = 0;
    QString name;
    Kind kind = Text;
    TidyGroup group = TidyGroup::Miscellaneous;
    QStringList picks; // Choice: the values offered, in Tidy's order
    QString value;     // the current value as Tidy writes it in a profile
    QString doc;       // Tidy's documentation of the option
    bool readOnly = false;
};

// The order in which the pages list the groups.
inline constexpr TidyGroup TidyGroupOrder[] = {TidyGroup::PrettyPrint, TidyGroup::Markup,
                                               TidyGroup::Diagnostics, TidyGroup::Encoding,
                                               TidyGroup::Miscellaneous};

// Every option Tidy has but ids 0 (unknown) and 8 (the character encoding, which each run sets
// to the document's own), with the values profilePath gives it (Tidy's defaults for an
// unreadable profile), in Tidy's order.
std::vector<TidyOptionInfo> loadTidyOptions(const QString &profilePath);

// Writes a profile holding values (option id, value as text). Values Tidy refuses are left at
// its defaults. False when the file cannot be written.
bool saveTidyOptions(const QString &profilePath,
                     const std::vector<std::pair<int, QString>> &values);

} // namespace pw
