// CFindInFilesDlg: the dialog's controls, options and histories, and the search it runs with
// its results passed to the pane on the window's thread.
#include "findinfiles/findinfilesdlg.h"

#include "chrome/dialogcontrols.h"
#include "chrome/themes.h"
#include "chrome/toolbaricons.h"
#include "editor/editorhost.h"
#include "findinfiles/findinfilescontroller.h"
#include "findinfiles/findinfilesresults.h"
#include "findinfiles/smartcombobox.h"
#include "resources/commandids.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "settings/appfolders.h"
#include "settings/framesettings.h"
#include "settings/registrysettings.h"
#include "settings/settingkeys.h"
#include "settings/windowplacement.h"
#include "settings/xmlsettingsstore.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace pw {

namespace {

const char PlacementName[] = "FindInFilesDialog";

QString statusText(const fif::FindStatus &status)
{
    const QByteArray name = QFile::decodeName(QByteArray::fromStdString(status.path)).toUtf8();
    const char *path = name.constData();
    switch (status.kind) {
    case fif::StatusKind::Searching:
        return QString::asprintf(res::string(Str::FindInFilesSearching), path);
    case fif::StatusKind::UnreadableFolder:
        return QString::asprintf(res::string(Str::FindInFilesUnreadableFolder), path);
    case fif::StatusKind::LinkLoop:
        return QString::asprintf(res::string(Str::FindInFilesLinkLoop), path);
    case fif::StatusKind::UnreadableFile:
        return QString::asprintf(res::string(Str::FindInFilesUnreadableFile), path);
    case fif::StatusKind::InvalidPattern:
        return QString::asprintf(res::string(Str::FindInFilesInvalidPattern),
                                 status.detail.c_str());
    }
    return {};
}

} // namespace

// Runs on the search's threads: everything it does is handed to the window's thread.
class CFindInFilesDlg::Callback : public fif::FindCallback
{
public:
    explicit Callback(CFindInFilesDlg *dialog) : m_dialog(dialog) {}

    void onStatus(const fif::FindStatus &status) override
    {
        CFindInFilesDlg *dialog = m_dialog;
        QMetaObject::invokeMethod(
            dialog,
            [dialog, text = statusText(status)] {
                dialog->m_controller.results()->addStatus(text);
            },
            Qt::QueuedConnection);
    }
    void onMatches(std::vector<fif::Hit> &&hits) override
    {
        CFindInFilesDlg *dialog = m_dialog;
        auto batch = std::make_shared<std::vector<fif::Hit>>(std::move(hits));
        QMetaObject::invokeMethod(
            dialog, [dialog, batch] { dialog->m_controller.results()->addMatches(*batch); },
            Qt::QueuedConnection);
    }
    void onFinished(const fif::FindSummary &summary) override
    {
        CFindInFilesDlg *dialog = m_dialog;
        QMetaObject::invokeMethod(
            dialog, [dialog, summary] { dialog->finished(summary); }, Qt::QueuedConnection);
    }

private:
    CFindInFilesDlg *m_dialog;
};

CFindInFilesDlg::CFindInFilesDlg(FindInFilesController &controller, QWidget *parent)
    : QDialog(parent), m_controller(controller), m_settingsFile(controller.host().settingsFile()),
      m_callback(std::make_unique<Callback>(this))
{
    setObjectName(QStringLiteral("FindInFilesDialog"));
    setWindowTitle(QString::fromUtf8(res::string(Str::FindInFilesTitle)));
    setWindowIcon(commandIcon(Cmd::FindInFiles));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);

    const XmlSettingsStore store(m_settingsFile);
    m_search = new CSmartComboBox(this);
    m_search->setObjectName(QStringLiteral("findWhat"));
    m_types = new CSmartComboBox(this);
    m_types->setObjectName(QStringLiteral("fileTypes"));
    m_folder = new CSmartComboBox(this);
    m_folder->setObjectName(QStringLiteral("directory"));
    m_matchCase = dialogCheckBox(QStringLiteral("Match &case"), "matchCase",
                                 store.getInt(settings::findReplace::MatchCase) != 0, this);
    m_wholeWord = dialogCheckBox(QStringLiteral("Match &whole word"), "wholeWord",
                                 store.getInt(settings::findReplace::MatchWord) != 0, this);
    m_regExp = dialogCheckBox(QStringLiteral("Use regular expressions"), "regExp",
                              store.getInt(settings::findReplace::RegExp) != 0, this);
    m_subFolders = dialogCheckBox(QStringLiteral("&Search subfolders"), "subFolders",
                                  store.getInt(settings::findReplace::SubFolders) != 0, this);
    m_find = dialogButton(QStringLiteral("&Find"), "find", this);
    m_find->setDefault(true);
    m_browse = dialogButton(QStringLiteral("Browse"), "browse", this);
    m_stop = dialogButton(QStringLiteral("Stop"), "stop", this);
    m_help = dialogButton(QStringLiteral("Help"), "help", this);
    m_close = dialogButton(QStringLiteral("Close"), "close", this);

    auto *grid = new QGridLayout(this);
    auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(QStringLiteral("Find what:"), m_search), 0, 0);
    grid->addWidget(m_search, 0, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("File Types:"), m_types), 1, 0);
    grid->addWidget(m_types, 1, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("Directory:"), m_folder), 2, 0);
    grid->addWidget(m_folder, 2, 1);
    grid->addWidget(m_browse, 2, 2);
    grid->addWidget(m_matchCase, 3, 1);
    grid->addWidget(m_wholeWord, 4, 1);
    grid->addWidget(m_regExp, 5, 1);
    grid->addWidget(m_subFolders, 6, 1);
    grid->addWidget(m_find, 0, 3);
    grid->addWidget(m_stop, 1, 3);
    grid->addWidget(m_help, 3, 3);
    grid->addWidget(m_close, 4, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(7, 1);

    // The histories, then the file types: every filter's types after "*.*".
    m_search->loadHistory(m_settingsFile, QString::fromLatin1(settings::section::SearchHistory));
    m_folder->loadHistory(m_settingsFile, QString::fromLatin1(settings::section::DirectoryHistory));
    m_folder->setCurrentIndex(m_folder->count() > 0 ? 0 : -1);
    m_types->addItem(QString::fromUtf8(res::string(Str::FindInFilesAllTypes)));
    QStringList filters;
    store.enumerateKeys(QString::fromLatin1(settings::section::FileFilter), filters);
    for (const QString &key : filters) {
        QString label;
        QString extension;
        if (store.readLabelExtension(QString::fromLatin1(settings::section::FileFilter), key, label,
                                     extension) &&
            !extension.isEmpty())
            m_types->addItem(extension);
    }
    const int stored = store.getInt(settings::general::DefFInFExt);
    m_types->setCurrentIndex(stored >= 1 && stored < m_types->count() ? stored : 0);

    connect(m_find, &QPushButton::clicked, this, &CFindInFilesDlg::find);
    connect(m_stop, &QPushButton::clicked, this, &CFindInFilesDlg::stop);
    connect(m_browse, &QPushButton::clicked, this, &CFindInFilesDlg::browse);
    connect(m_help, &QPushButton::clicked, this, &CFindInFilesDlg::showHelp);
    connect(m_close, &QPushButton::clicked, this, &CFindInFilesDlg::closeDialog);
    setSearching(false);

    adjustSize();
    if (const auto placement = RegistrySettings().dialogPlacement(QLatin1String(PlacementName))) {
        const QRect rect = placement->normalGeometry();
        if (rect.isValid())
            setGeometry(rect);
    }
    const FrameSettings &s = m_controller.host().settings();
    applyDialogTransparency(this, s.transparentDialogs, s.transparentPercent);
}

CFindInFilesDlg::~CFindInFilesDlg()
{
    m_engine.stopSearch();
    RegistrySettings().setDialogPlacement(QLatin1String(PlacementName),
                                          WindowPlacement::fromGeometry(geometry(), false));
}

void CFindInFilesDlg::setSearching(bool searching)
{
    m_searching = searching;
    m_stop->setEnabled(searching);
    m_find->setEnabled(!searching);
    m_close->setEnabled(!searching);
}

void CFindInFilesDlg::find()
{
    if (m_searching)
        return;
    const QString text = m_search->currentText();
    QString types = m_types->currentText();
    types.remove(QLatin1Char(' '));
    QString folder = m_folder->currentText();
    m_search->enterText(text);
    m_folder->enterText(folder);

    CFindInFilesResults *results = m_controller.results();
    results->clear();
    m_controller.showResults();

    fif::FindQuery query;
    query.text = text.toUtf8();
    query.fileTypes = types.toStdString();
    // Paths in the results are built on the folder as an absolute path without a trailing
    // separator, which is also how open documents are named.
    if (!folder.isEmpty())
        folder = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    query.folder = QFile::encodeName(folder).toStdString();
    query.subfolders = m_subFolders->isChecked();
    query.matchCase = m_matchCase->isChecked();
    query.wholeWord = m_wholeWord->isChecked();
    query.regExp = m_regExp->isChecked();
    query.unsaved = m_controller.unsavedTexts();
    m_engine.cleanup();
    setSearching(true);
    if (!m_engine.find(std::move(query), m_callback.get()))
        setSearching(false);
}

void CFindInFilesDlg::stop()
{
    m_stop->setEnabled(false);
    m_engine.stopSearch();
}

void CFindInFilesDlg::finished(const fif::FindSummary &summary)
{
    CFindInFilesResults *results = m_controller.results();
    if (summary.stopped)
        results->addStatus(QString::fromUtf8(res::string(Str::FindInFilesStopped)));
    results->addStatus(QString::asprintf(res::string(Str::FindInFilesSummary), int(summary.matches),
                                         int(summary.filesWithMatches),
                                         int(summary.filesSearched)));
    m_engine.cleanup();
    setSearching(false);
    emit searchFinished();
}

void CFindInFilesDlg::storeOptions()
{
    XmlSettingsStore store(m_settingsFile);
    XmlSettingsStore::Batch batch(store);
    store.writeInt(settings::findReplace::MatchCase, m_matchCase->isChecked() ? 1 : 0);
    store.writeInt(settings::findReplace::MatchWord, m_wholeWord->isChecked() ? 1 : 0);
    store.writeInt(settings::findReplace::RegExp, m_regExp->isChecked() ? 1 : 0);
    store.writeInt(settings::findReplace::SubFolders, m_subFolders->isChecked() ? 1 : 0);
    store.writeInt(settings::general::DefFInFExt, m_types->currentIndex());
    batch.commit();
}

void CFindInFilesDlg::closeDialog()
{
    if (m_searching)
        return;
    storeOptions();
    hide();
    deleteLater();
}

void CFindInFilesDlg::reject()
{
    closeDialog();
}

void CFindInFilesDlg::browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QGuiApplication::applicationDisplayName(), m_folder->currentText());
    if (chosen.isEmpty())
        return;
    m_folder->setEditText(QDir::toNativeSeparators(chosen));
    m_folder->enterText(m_folder->currentText());
}

void CFindInFilesDlg::showHelp()
{
    const QString page = AppFolders::shippedFile(QStringLiteral("help/index.html"));
    if (!QFileInfo::exists(page))
        return;
    QUrl url = QUrl::fromLocalFile(page);
    url.setFragment(QStringLiteral("help-%1").arg(HelpContext));
    QDesktopServices::openUrl(url);
}

} // namespace pw
