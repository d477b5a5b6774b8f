// The main window's in-memory copy of the view, print, backup, output, edit and general settings.
#include "settings/framesettings.h"

#include "settings/xmlsettingsstore.h"

#include <QLocale>
#include <cstring>

namespace pw {

namespace {

namespace s = settings;

struct BoolField
{
    const s::IntSetting &setting;
    bool FrameSettings::*member;
};

struct IntField
{
    const s::IntSetting &setting;
    int FrameSettings::*member;
};

struct UIntField
{
    const s::UIntSetting &setting;
    quint32 FrameSettings::*member;
};

struct StringField
{
    const s::StringSetting &setting;
    QString FrameSettings::*member;
};

// Every key the main window keeps, each with the field that mirrors it.
const BoolField BoolFields[] = {
    {s::view::WordWrap, &FrameSettings::wordWrap},
    {s::view::LongLine, &FrameSettings::longLine},
    {s::view::Whitespace, &FrameSettings::whitespace},
    {s::view::LineEndings, &FrameSettings::lineEndings},
    {s::view::CaretLine, &FrameSettings::caretLine},
    {s::view::LineNumbers, &FrameSettings::lineNumbers},
    {s::view::FontBold, &FrameSettings::fontBold},
    {s::view::FontItalic, &FrameSettings::fontItalic},
    {s::view::CodeFolding, &FrameSettings::codeFolding},
    {s::view::BlockSelect, &FrameSettings::blockSelect},
    {s::view::LargeTBIcons, &FrameSettings::largeTBIcons},
    {s::view::TabAsSpaces, &FrameSettings::tabAsSpaces},
    {s::view::TabGuides, &FrameSettings::tabGuides},
    {s::view::MatchBracket, &FrameSettings::matchBracket},
    {s::view::Rulers, &FrameSettings::rulers},
    {s::view::TransparentDialogs, &FrameSettings::transparentDialogs},
    {s::print::PrintHeader, &FrameSettings::printHeader},
    {s::print::PrintFooter, &FrameSettings::printFooter},
    {s::print::PrintLineNumbers, &FrameSettings::printLineNumbers},
    {s::backup::DeleteOnExit, &FrameSettings::deleteOnExit},
    {s::output::ReuseWindows, &FrameSettings::reuseWindows},
    {s::edit::ResetUndoOnSave, &FrameSettings::resetUndoOnSave},
    {s::gen::RememberOpenFiles, &FrameSettings::rememberOpenFiles},
    {s::gen::MDITabsActive, &FrameSettings::mdiTabsActive},
};

const IntField IntFields[] = {
    {s::view::LongLinePos, &FrameSettings::longLinePos},
    {s::view::FontSize, &FrameSettings::fontSize},
    {s::view::Charset, &FrameSettings::charset},
    {s::view::TabWidth, &FrameSettings::tabWidth},
    {s::view::CaretLineTransparency, &FrameSettings::caretLineTransparency},
    {s::view::Theme, &FrameSettings::theme},
    {s::view::TransparentPercent, &FrameSettings::transparentPercent},
    {s::print::PrintFormat, &FrameSettings::printFormat},
    {s::backup::Setting, &FrameSettings::backupSetting},
    {s::backup::Versions, &FrameSettings::versions},
};

const UIntField UIntFields[] = {
    {s::view::BraceBadColour, &FrameSettings::braceBadColour},
    {s::view::BraceHighlight, &FrameSettings::braceHighlight},
    {s::view::CaretLineColour, &FrameSettings::caretLineColour},
};

const StringField StringFields[] = {
    {s::view::FontStyle, &FrameSettings::fontStyle},
    {s::backup::BackupFolder, &FrameSettings::backupFolder},
    {s::gen::DictionaryPath, &FrameSettings::dictionaryPath},
    {s::gen::Dictionary, &FrameSettings::dictionary},
};

enum class Phase { View, Rest };

bool inPhase(const char *section, const char *key, Phase phase)
{
    const bool view = std::strcmp(section, s::section::ViewSettings) == 0;
    if (phase == Phase::Rest)
        return !view;
    // The tab mode must be known before the workspace is built, long before the other sections.
    return view || (std::strcmp(section, s::gen::MDITabsActive.section) == 0 &&
                    std::strcmp(key, s::gen::MDITabsActive.key) == 0);
}

void load(FrameSettings &f, const XmlSettingsStore &store, Phase phase)
{
    for (const BoolField &field : BoolFields) {
        if (inPhase(field.setting.section, field.setting.key, phase))
            f.*field.member = store.getInt(field.setting) != 0;
    }
    for (const IntField &field : IntFields) {
        if (inPhase(field.setting.section, field.setting.key, phase))
            f.*field.member = store.getInt(field.setting);
    }
    for (const UIntField &field : UIntFields) {
        if (inPhase(field.setting.section, field.setting.key, phase))
            f.*field.member = store.getUInt(field.setting);
    }
    for (const StringField &field : StringFields) {
        if (inPhase(field.setting.section, field.setting.key, phase))
            f.*field.member = store.getString(field.setting);
    }
}

} // namespace

void FrameSettings::loadView(const XmlSettingsStore &store)
{
    load(*this, store, Phase::View);
}

void FrameSettings::loadRest(const XmlSettingsStore &store, const QString &defaultBackupFolder,
                             const QString &defaultDictionaryFolder, bool metricUnits)
{
    load(*this, store, Phase::Rest);
    if (backupFolder.isEmpty())
        backupFolder = defaultBackupFolder;
    if (dictionaryPath.isEmpty())
        dictionaryPath = defaultDictionaryFolder;
    setPrintMargins(metricUnits);
}

bool FrameSettings::save(XmlSettingsStore &store) const
{
    XmlSettingsStore::Batch batch(store);
    for (const BoolField &field : BoolFields)
        store.writeInt(field.setting, this->*field.member ? 1 : 0);
    for (const IntField &field : IntFields)
        store.writeInt(field.setting, this->*field.member);
    for (const UIntField &field : UIntFields)
        store.writeUInt(field.setting, this->*field.member);
    for (const StringField &field : StringFields)
        store.writeString(field.setting, this->*field.member);
    return batch.commit();
}

void FrameSettings::setPrintMargins(bool metricUnits)
{
    printMarginMetric = metricUnits;
    printMargin = metricUnits ? s::print::MetricMargin : s::print::ImperialMargin;
}

bool isMetricLocale()
{
    return QLocale::system().measurementSystem() == QLocale::MetricSystem;
}

} // namespace pw
