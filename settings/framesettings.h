// The main window's in-memory copy of the view, print, backup, output, edit and general settings.
#pragma once

#include "settings/settingkeys.h"

#include <QString>

namespace pw {

class XmlSettingsStore;

// Plain data with one field per key; a default-constructed value holds every default.
// Switches stored as 0/1 are bools here (any non-zero text reads as on); colours are 0x00BBGGRR.
struct FrameSettings
{
    static constexpr bool on(const settings::IntSetting &setting)
    {
        return setting.defaultValue != 0;
    }

    // ViewSettings
    bool wordWrap = on(settings::view::WordWrap);
    bool longLine = on(settings::view::LongLine);
    int longLinePos = settings::view::LongLinePos.defaultValue;
    bool whitespace = on(settings::view::Whitespace);
    bool lineEndings = on(settings::view::LineEndings);
    bool caretLine = on(settings::view::CaretLine);
    bool lineNumbers = on(settings::view::LineNumbers);
    QString fontStyle = QString::fromUtf8(settings::view::FontStyle.defaultValue);
    int fontSize = settings::view::FontSize.defaultValue;
    int charset = settings::view::Charset.defaultValue;
    bool fontBold = on(settings::view::FontBold);
    bool fontItalic = on(settings::view::FontItalic);
    bool codeFolding = on(settings::view::CodeFolding);
    bool blockSelect = on(settings::view::BlockSelect);
    bool largeTBIcons = on(settings::view::LargeTBIcons);
    bool tabAsSpaces = on(settings::view::TabAsSpaces);
    bool tabGuides = on(settings::view::TabGuides);
    int tabWidth = settings::view::TabWidth.defaultValue;
    bool matchBracket = on(settings::view::MatchBracket);
    quint32 braceBadColour = settings::view::BraceBadColour.defaultValue;
    quint32 braceHighlight = settings::view::BraceHighlight.defaultValue;
    quint32 caretLineColour = settings::view::CaretLineColour.defaultValue;
    int caretLineTransparency = settings::view::CaretLineTransparency.defaultValue;
    int theme = settings::view::Theme.defaultValue;
    bool rulers = on(settings::view::Rulers);
    bool transparentDialogs = on(settings::view::TransparentDialogs);
    int transparentPercent = settings::view::TransparentPercent.defaultValue;

    // PrintSettings, plus the margin that is never stored: the same on all four sides, in
    // hundredths of a millimetre when metric and thousandths of an inch otherwise.
    bool printHeader = on(settings::print::PrintHeader);
    bool printFooter = on(settings::print::PrintFooter);
    bool printLineNumbers = on(settings::print::PrintLineNumbers);
    int printFormat = settings::print::PrintFormat.defaultValue;
    bool printMarginMetric = true;
    int printMargin = settings::print::MetricMargin;

    // BackupSettings ("Setting" is the backup mode)
    bool deleteOnExit = on(settings::backup::DeleteOnExit);
    int backupSetting = settings::backup::Setting.defaultValue;
    int versions = settings::backup::Versions.defaultValue;
    QString backupFolder; // the effective folder once loaded: never empty after loadRest()

    // OutputSettings, EditSettings
    bool reuseWindows = on(settings::output::ReuseWindows);
    bool resetUndoOnSave = on(settings::edit::ResetUndoOnSave);

    // GenSettings
    bool rememberOpenFiles = on(settings::gen::RememberOpenFiles);
    QString dictionaryPath; // the effective folder once loaded: never empty after loadRest()
    QString dictionary = QString::fromUtf8(settings::gen::Dictionary.defaultValue);
    bool mdiTabsActive = on(settings::gen::MDITabsActive);

    // The first read at main-window creation: every ViewSettings key and GenSettings
    // MDITabsActive.
    void loadView(const XmlSettingsStore &store);
    // The later read, once the panes exist: PrintSettings, BackupSettings, OutputSettings,
    // EditSettings and GenSettings. An empty BackupFolder or DictionaryPath becomes the given
    // default folder; the print margins follow metricUnits.
    void loadRest(const XmlSettingsStore &store, const QString &defaultBackupFolder,
                  const QString &defaultDictionaryFolder, bool metricUnits);
    // Writes every key of the six sections back in one save (the folders as their effective
    // value). False when the save failed.
    bool save(XmlSettingsStore &store) const;

    void setPrintMargins(bool metricUnits);

    friend bool operator==(const FrameSettings &, const FrameSettings &) = default;
};

// Whether the user's locale measures in metric units (the print margin rule).
bool isMetricLocale();

} // namespace pw
