// penwright-bench "settings --apply KEY=VALUE ... --dump": the properties sheet's OK offscreen,
// then the settings as the main window holds them and as the settings file has them written.
#include "app/mainframe.h"
#include "app/mainframehost.h"
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "framework/commandrouter.h"
#include "languages/engine/languagerecord.h"
#include "preferences/propertiessheet.h"
#include "preferences/propertypage.h"
#include "resources/commandids.h"
#include "settings/framesettings.h"
#include "settings/xmlsettingsstore.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSlider>
#include <algorithm>
#include <cstdio>

namespace {

using pw::CPropertiesSheet;

enum class Kind { Check, Number, Colour, Slider, Radio, Combo, Text };

struct Binding
{
    const char *key;
    int page;
    Kind kind;
    // The control's object name; for Radio, the buttons in value order separated by ",".
    const char *object;
};

const Binding bindings[] = {
    {"TabAsSpaces", CPropertiesSheet::General, Kind::Check, "tabAsSpaces"},
    {"TabGuides", CPropertiesSheet::General, Kind::Check, "tabGuides"},
    {"TabWidth", CPropertiesSheet::General, Kind::Number, "tabWidth"},
    {"CaretLineColour", CPropertiesSheet::General, Kind::Colour, "caretLineColour"},
    {"CaretLineTransparency", CPropertiesSheet::General, Kind::Slider, "caretLineTransparency"},
    {"RememberOpenFiles", CPropertiesSheet::General, Kind::Check, "rememberOpenFiles"},
    {"Setting", CPropertiesSheet::Backup, Kind::Radio, "backupNone,backupSimple,backupVersions"},
    {"BackupFolder", CPropertiesSheet::Backup, Kind::Text, "backupFolder"},
    {"Versions", CPropertiesSheet::Backup, Kind::Number, "versions"},
    {"DeleteOnExit", CPropertiesSheet::Backup, Kind::Check, "deleteOnExit"},
    {"ResetUndoOnSave", CPropertiesSheet::GeneralMore, Kind::Check, "resetUndoOnSave"},
    {"LargeTBIcons", CPropertiesSheet::GeneralMore, Kind::Radio, "smallIcons,largeIcons"},
    {"Theme", CPropertiesSheet::GeneralMore, Kind::Combo, "theme"},
    {"DictionaryPath", CPropertiesSheet::SpellChecker, Kind::Text, "dictionaryPath"},
    {"Dictionary", CPropertiesSheet::SpellChecker, Kind::Combo, "dictionary"},
    {"PrintHeader", CPropertiesSheet::Print, Kind::Check, "printHeader"},
    {"PrintFooter", CPropertiesSheet::Print, Kind::Check, "printFooter"},
    {"PrintLineNumbers", CPropertiesSheet::Print, Kind::Check, "printLineNumbers"},
    {"PrintFormat", CPropertiesSheet::Print, Kind::Radio,
     "printFormat0,printFormat1,printFormat2,printFormat3"},
    {"LongLinePos", CPropertiesSheet::View, Kind::Number, "longLinePos"},
    {"TransparentDialogs", CPropertiesSheet::View, Kind::Check, "transparentDialogs"},
    {"TransparentPercent", CPropertiesSheet::View, Kind::Slider, "transparentPercent"},
};

const Binding *bindingOf(const QString &key)
{
    // "Section/Key" and "Section.Key" name the same key as "Key".
    const QString bare = key.section(QRegularExpression(QStringLiteral("[/.]")), -1);
    for (const Binding &binding : bindings) {
        if (bare.compare(QLatin1String(binding.key), Qt::CaseInsensitive) == 0)
            return &binding;
    }
    return nullptr;
}

bool parseInt(const QString &text, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

// Sets the control as a user would; the page's own signals do the rest.
QString setControl(CPropertiesSheet &sheet, const Binding &binding, const QString &value)
{
    QWidget *page = sheet.page(binding.page);
    const QString object = QString::fromLatin1(binding.object);
    int number = 0;
    switch (binding.kind) {
    case Kind::Check: {
        auto *box = page->findChild<QAbstractButton *>(object);
        if (!parseInt(value, number))
            return QStringLiteral("expects 0 or 1");
        box->setChecked(number != 0);
        return {};
    }
    case Kind::Number:
    case Kind::Text:
        page->findChild<QLineEdit *>(object)->setText(value);
        return {};
    case Kind::Colour: {
        auto *button = page->findChild<pw::ColourButton *>(object);
        quint32 colour = 0;
        if (value.startsWith(QLatin1Char('#'))) {
            colour = pw::textToColour(value);
        } else {
            bool ok = false;
            colour = value.trimmed().toUInt(&ok);
            if (!ok)
                return QStringLiteral("expects a colour: unsigned decimal 0x00BBGGRR or #RRGGBB");
        }
        button->chooseColour(colour);
        return {};
    }
    case Kind::Slider: {
        auto *slider = page->findChild<QSlider *>(object);
        if (!parseInt(value, number) || number < slider->minimum() || number > slider->maximum())
            return QStringLiteral("expects %1 to %2").arg(slider->minimum()).arg(slider->maximum());
        slider->setValue(number);
        return {};
    }
    case Kind::Radio: {
        const QStringList names = object.split(QLatin1Char(','));
        if (!parseInt(value, number) || number < 0 || number >= names.size())
            return QStringLiteral("expects 0 to %1").arg(names.size() - 1);
        page->findChild<QAbstractButton *>(names.at(number))->setChecked(true);
        return {};
    }
    case Kind::Combo: {
        auto *combo = page->findChild<QComboBox *>(object);
        int index = combo->findText(value);
        // The look and feel is stored as 720 plus the entry's index.
        if (index < 0 && object == QLatin1String("theme") && parseInt(value, number))
            index = number - 720 < combo->count() ? number - 720 : -1;
        if (index < 0 || !combo->isEnabled())
            return QStringLiteral("is not one of the choices the page offers");
        combo->setCurrentIndex(index);
        return {};
    }
    }
    return {};
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QStringList mirrorLines(const pw::FrameSettings &s)
{
    const std::pair<const char *, QString> lines[] = {
        {"WordWrap", flag(s.wordWrap)},
        {"LongLine", flag(s.longLine)},
        {"LongLinePos", QString::number(s.longLinePos)},
        {"Whitespace", flag(s.whitespace)},
        {"LineEndings", flag(s.lineEndings)},
        {"CaretLine", flag(s.caretLine)},
        {"LineNumbers", flag(s.lineNumbers)},
        {"FontStyle", s.fontStyle},
        {"FontSize", QString::number(s.fontSize)},
        {"Charset", QString::number(s.charset)},
        {"FontBold", flag(s.fontBold)},
        {"FontItalic", flag(s.fontItalic)},
        {"CodeFolding", flag(s.codeFolding)},
        {"BlockSelect", flag(s.blockSelect)},
        {"LargeTBIcons", flag(s.largeTBIcons)},
        {"TabAsSpaces", flag(s.tabAsSpaces)},
        {"TabGuides", flag(s.tabGuides)},
        {"TabWidth", QString::number(s.tabWidth)},
        {"MatchBracket", flag(s.matchBracket)},
        {"BraceBadColour", QString::number(s.braceBadColour)},
        {"BraceHighlight", QString::number(s.braceHighlight)},
        {"CaretLineColour", QString::number(s.caretLineColour)},
        {"CaretLineTransparency", QString::number(s.caretLineTransparency)},
        {"Theme", QString::number(s.theme)},
        {"Rulers", flag(s.rulers)},
        {"TransparentDialogs", flag(s.transparentDialogs)},
        {"TransparentPercent", QString::number(s.transparentPercent)},
        {"PrintHeader", flag(s.printHeader)},
        {"PrintFooter", flag(s.printFooter)},
        {"PrintLineNumbers", flag(s.printLineNumbers)},
        {"PrintFormat", QString::number(s.printFormat)},
        {"DeleteOnExit", flag(s.deleteOnExit)},
        {"Setting", QString::number(s.backupSetting)},
        {"Versions", QString::number(s.versions)},
        {"BackupFolder", s.backupFolder},
        {"ReuseWindows", flag(s.reuseWindows)},
        {"ResetUndoOnSave", flag(s.resetUndoOnSave)},
        {"RememberOpenFiles", flag(s.rememberOpenFiles)},
        {"DictionaryPath", s.dictionaryPath},
        {"Dictionary", s.dictionary},
        {"MDITabsActive", flag(s.mdiTabsActive)},
    };
    QStringList out;
    for (const auto &[key, value] : lines)
        out << QLatin1String(key) + QLatin1Char('=') + value;
    return out;
}

QJsonObject applySettings(const QStringList &args)
{
    QJsonObject result;
    QList<std::pair<const Binding *, QString>> values;
    bool collecting = false;
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--"))) {
            collecting = arg == QLatin1String("--apply");
            continue;
        }
        if (!collecting)
            continue;
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const Binding *binding = equals > 0 ? bindingOf(arg.left(equals)) : nullptr;
        if (!binding) {
            result.insert(QStringLiteral("error"),
                          QString(QStringLiteral("not a setting of the properties sheet: ") + arg));
            return result;
        }
        values.append({binding, arg.mid(equals + 1)});
    }
    // The dictionary list follows the folder, so the folder goes first.
    std::stable_sort(values.begin(), values.end(), [](const auto &a, const auto &b) {
        return qstrcmp(a.first->key, "DictionaryPath") == 0 &&
               qstrcmp(b.first->key, "DictionaryPath") != 0;
    });

    pw::bench::BenchApp app;
    pw::CMainFrame *frame = app.frame();
    // An open text window, so that what applies to every window has one to reach.
    frame->router()->execute(Cmd::FileNew);
    {
        CPropertiesSheet sheet(*app.app->host(), frame->commandBars(), frame);
        for (const auto &[binding, value] : values) {
            const QString problem = setControl(sheet, *binding, value);
            if (!problem.isEmpty()) {
                result.insert(QStringLiteral("error"),
                              QString(QLatin1String(binding->key) + QLatin1Char(' ') + problem));
                return result;
            }
        }
        sheet.accept();
    }
    // The close sequence's first write: the main window's settings, every key.
    pw::XmlSettingsStore store(frame->settingsFile());
    if (!frame->settings().save(store)) {
        result.insert(QStringLiteral("error"), QStringLiteral("the settings file was not written"));
        return result;
    }
    if (!args.contains(QStringLiteral("--dump"))) {
        result.insert(QStringLiteral("applied"), int(values.size()));
        result.insert(QStringLiteral("settings_file"), frame->settingsFile());
        return result;
    }
    for (const QString &line : mirrorLines(frame->settings()))
        std::printf("%s\n", line.toUtf8().constData());
    QFile file(frame->settingsFile());
    if (file.open(QIODevice::ReadOnly))
        std::printf("%s", file.readAll().constData());
    std::fflush(stdout);
    result.insert(QStringLiteral("printed"), true);
    return result;
}

} // namespace

// Reached through "settings" when --apply or --dump is given.
PW_BENCH("settings-apply", applySettings);
