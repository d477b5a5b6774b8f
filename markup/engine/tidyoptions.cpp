// loadTidyOptions and saveTidyOptions: Tidy's option walk and its configuration-file writer.
#include "markup/engine/tidyoptions.h"

#include <QFile>
#include <QFileInfo>
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

namespace pw {

namespace {

// Tidy's finer categories folded into the five groups the pages show.
TidyGroup groupOf(TidyConfigCategory category)
{
    switch (category) {
    case TidyMarkupCleanup:
    case TidyMarkupEntities:
    case TidyMarkupRepair:
    case TidyMarkupTeach:
    case TidyMarkupXForm:
        return TidyGroup::Markup;
    case TidyDiagnostics:
        return TidyGroup::Diagnostics;
    case TidyPrettyPrint:
        return TidyGroup::PrettyPrint;
    case TidyEncoding:
        return TidyGroup::Encoding;
    default:
        return TidyGroup::Miscellaneous;
    }
}

QString fromTidy(ctmbstr text)
{
    return text ? QString::fromUtf8(text) : QString();
}

bool shown(TidyOptionId id)
{
    return id != TidyUnknownOption && id != TidyCharEncoding;
}

} // namespace

std::vector<TidyOptionInfo> loadTidyOptions(const QString &profilePath)
{
    std::vector<TidyOptionInfo> options;
    TidyDoc doc = tidyCreate();
    // Complaints about the profile are the runs' to report, not the option pages'.
    TidyBuffer quiet{};
    tidyBufInit(&quiet);
    tidySetErrorBuffer(doc, &quiet);
    if (QFileInfo(profilePath).isReadable())
        tidyLoadConfig(doc, QFile::encodeName(profilePath).constData());
    TidyIterator it = tidyGetOptionList(doc);
    while (it) {
        TidyOption opt = tidyGetNextOption(doc, &it);
        if (!opt)
            break;
        const TidyOptionId id = tidyOptGetId(opt);
        if (!shown(id))
            continue;
        TidyOptionInfo info;
        info.id = int(id);
        info.name = fromTidy(tidyOptGetName(opt));
        info.group = groupOf(tidyOptGetCategory(opt));
        info.doc = fromTidy(tidyOptGetDoc(doc, opt));
        info.readOnly = tidyOptIsReadOnly(opt);
        TidyIterator pick = tidyOptGetPickList(opt);
        while (pick)
            info.picks << fromTidy(tidyOptGetNextPick(opt, &pick));
        switch (tidyOptGetType(opt)) {
        case TidyString:
            info.kind = info.picks.isEmpty() ? TidyOptionInfo::Text : TidyOptionInfo::Choice;
            info.value = fromTidy(tidyOptGetValue(doc, id));
            break;
        case TidyInteger:
            if (info.picks.isEmpty()) {
                info.kind = TidyOptionInfo::Number;
                info.value = QString::number(tidyOptGetInt(doc, id));
            } else {
                info.kind = TidyOptionInfo::Choice;
                const QString pick = fromTidy(tidyOptGetCurrPick(doc, id));
                info.value = pick.isEmpty() ? fromTidy(tidyOptGetValue(doc, id)) : pick;
            }
            break;
        case TidyBoolean:
            info.kind = TidyOptionInfo::YesNo;
            info.picks.clear();
            info.value = tidyOptGetBool(doc, id) ? QStringLiteral("yes") : QStringLiteral("no");
            break;
        }
        options.push_back(std::move(info));
    }
    tidyRelease(doc);
    tidyBufFree(&quiet);
    return options;
}

bool saveTidyOptions(const QString &profilePath, const std::vector<std::pair<int, QString>> &values)
{
    TidyDoc doc = tidyCreate();
    TidyBuffer quiet{};
    tidyBufInit(&quiet);
    tidySetErrorBuffer(doc, &quiet);
    for (const auto &[id, value] : values) {
        if (!shown(TidyOptionId(id)))
            continue;
        // tidyOptParseValue reads values as a profile line would (picks, "yes"/"no", numbers).
        if (TidyOption opt = tidyGetOption(doc, TidyOptionId(id)); opt && !tidyOptIsReadOnly(opt))
            tidyOptParseValue(doc, tidyOptGetName(opt), value.toUtf8().constData());
    }
    const int rc = tidyOptSaveFile(doc, QFile::encodeName(profilePath).constData());
    tidyRelease(doc);
    tidyBufFree(&quiet);
    return rc == 0;
}

} // namespace pw
