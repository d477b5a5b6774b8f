// CFileDialogEx: the Open and Save As dialogs with encoding, line-ending and open-as choices.
#include "editor/filedialogex.h"

#include "editor/doccore/doccore.h"
#include "editor/encoding/docencoding.h"
#include "framework/messages.h"
#include "resources/stringids.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

namespace pw {

namespace {

const char *const kEncodingNames[] = {"UTF-8", "Unicode", "Unicode (Big Endian)",
                                      "Ansi (Windows-1252)", "Auto"};
const char *const kLineEndingNames[] = {"Windows (CRLF)", "Macintosh (CR)", "Unix (LF)"};
const char *const kOpenAsNames[] = {"Text", "Hex Editor (Binary)", "Auto"};

QStringList qtFilters(const std::vector<doc::FileFilter> &filters)
{
    QStringList result;
    for (const doc::FileFilter &filter : filters)
        result << doc::toQtFilter(filter);
    return result;
}

// The non-native dialog lays its widgets out in a grid; extra rows go below the file type row.
QComboBox *addChoice(QFileDialog &dialog, const QString &label, const char *const *names, int count,
                     int selected)
{
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    auto *combo = new QComboBox(&dialog);
    for (int i = 0; i < count; ++i)
        combo->addItem(QString::fromUtf8(names[i]));
    combo->setCurrentIndex(selected);
    if (grid) {
        const int row = grid->rowCount();
        grid->addWidget(new QLabel(label, &dialog), row, 0);
        grid->addWidget(combo, row, 1);
    }
    return combo;
}

int filterIndexOf(const QFileDialog &dialog, const QStringList &filters)
{
    return std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()));
}
} // namespace

void CFileDialogEx::setSaveHook(SaveHook hook)
{
    s_saveHook = std::move(hook);
}

bool CFileDialogEx::getOpenChoice(QWidget *parent, const QString &settingsFile,
                                  const QString &folder, OpenChoice &choice)
{
    XmlSettingsStore store(settingsFile);
    const auto filters = doc::parseFilterString(store.buildFilterString());
    const QStringList names = qtFilters(filters);
    QFileDialog dialog(parent, QStringLiteral("Open"), folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(names);
    const int stored = store.getInt(settings::section::Settings, "FilterIndex", 0);
    if (stored >= 0 && stored < names.size())
        dialog.selectNameFilter(names.at(stored));
    // The filter chosen here is also what Save As proposes next.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &filter) {
        store.writeString(settings::section::Settings, "DefExt",
                          doc::storedDefaultExtension(filter));
    });
    QComboBox *encoding = addChoice(dialog, QStringLiteral("Encoding:"), kEncodingNames, 5, 4);
    QComboBox *openAs = addChoice(dialog, QStringLiteral("Open as:"), kOpenAsNames, 3, 2);
    auto *readOnly = new QCheckBox(QStringLiteral("Open as &read-only"), &dialog);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(readOnly, grid->rowCount(), 1);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    store.writeInt(settings::section::Settings, "FilterIndex", filterIndexOf(dialog, names));
    choice.paths = dialog.selectedFiles();
    choice.encoding = encoding->currentIndex();
    choice.openAs = openAs->currentIndex();
    choice.readOnly = readOnly->isChecked();
    return !choice.paths.isEmpty();
}

namespace {
// The dialog part of Save As: the path as typed, the choices and the filter's extension.
bool runSaveDialog(QWidget *parent, XmlSettingsStore &store,
                   const std::vector<doc::FileFilter> &filters, const QString &proposedPath,
                   CFileDialogEx::SaveChoice &choice)
{
    const QStringList names = qtFilters(filters);
    QFileDialog dialog(parent, QStringLiteral("Save As"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The question comes from us, once the extension is on the name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(names);
    const int stored = store.getInt(settings::section::Settings, "FilterIndex", 0);
    if (stored >= 0 && stored < names.size())
        dialog.selectNameFilter(names.at(stored));
    dialog.selectFile(proposedPath);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &filter) {
        store.writeString(settings::section::Settings, "DefExt",
                          doc::storedDefaultExtension(filter));
    });
    // The document's own encoding and mark are always among the choices, and preselected.
    const std::vector<enc::EncodingChoice> encodings =
        enc::encodingChoices(enc::DocEncoding(choice.encoding), choice.markLength);
    std::vector<const char *> encodingNames;
    for (const enc::EncodingChoice &c : encodings)
        encodingNames.push_back(c.name);
    QComboBox *encodingBox = addChoice(
        dialog, QStringLiteral("Encoding:"), encodingNames.data(), int(encodingNames.size()),
        int(enc::choiceIndex(enc::DocEncoding(choice.encoding), choice.markLength)));
    QComboBox *endingBox =
        addChoice(dialog, QStringLiteral("Line ending:"), kLineEndingNames, 3, choice.lineEnding);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const int index = filterIndexOf(dialog, names);
    store.writeInt(settings::section::Settings, "FilterIndex", index);
    choice.defaultExtension =
        index < int(filters.size()) ? doc::defaultExtension(filters[index].pattern) : QString();
    choice.path = dialog.selectedFiles().constFirst();
    const enc::EncodingChoice chosen = encodings.at(std::size_t(encodingBox->currentIndex()));
    choice.encoding = chosen.encoding;
    choice.markLength = chosen.markLength;
    choice.lineEnding = endingBox->currentIndex();
    return true;
}
} // namespace

bool CFileDialogEx::getSaveChoice(QWidget *parent, const QString &settingsFile,
                                  const QString &proposedPath, int encoding, int markLength,
                                  int lineEnding, SaveChoice &choice)
{
    XmlSettingsStore store(settingsFile);
    const auto filters = doc::parseFilterString(store.buildFilterString());
    QString proposed = proposedPath;
    for (;;) {
        choice.encoding = encoding;
        choice.markLength = markLength;
        choice.lineEnding = lineEnding;
        choice.defaultExtension.clear();
        const bool accepted = s_saveHook ? s_saveHook(choice, proposed)
                                         : runSaveDialog(parent, store, filters, proposed, choice);
        if (!accepted)
            return false;
        choice.path = doc::applyDefaultExtension(choice.path, choice.defaultExtension);
        if (!QFileInfo::exists(choice.path))
            return true;
        const QString question =
            resourceText(Str::ReplaceExistingQuestion).arg(QDir::toNativeSeparators(choice.path));
        if (showMessage(parent, MessageIcon::Question, question,
                        QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            return true;
        // A hook answers once; the dialog comes back with the name for another try.
        if (s_saveHook)
            return false;
        proposed = choice.path;
    }
}

} // namespace pw
