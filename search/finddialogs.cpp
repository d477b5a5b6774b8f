// CFindDialog and CReplaceDialog: controls, options, histories, placement and their commands.
#include "search/finddialogs.h"

#include "chrome/dialogcontrols.h"
#include "chrome/themes.h"
#include "chrome/toolbaricons.h"
#include "editor/editorhost.h"
#include "editor/ridereview.h"
#include "framework/commandrouter.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "search/engine/searchrules.h"
#include "search/findreplacecontroller.h"
#include "search/toolbarfindcombobox.h"
#include "settings/framesettings.h"
#include "settings/registrysettings.h"
#include "settings/settingkeys.h"
#include "settings/windowplacement.h"
#include "settings/xmlsettingsstore.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pw {

namespace {
const QString SearchHistory = QString::fromLatin1(settings::section::SearchHistory);
const QString ReplaceHistory = QString::fromLatin1(settings::section::ReplaceHistory);

} // namespace

// ---- Shared parts

CSearchDialogBase::CSearchDialogBase(FindReplaceController *controller, CRidereView *view,
                                     const QString &seed, const QString &placementName,
                                     QWidget *parent)
    : QDialog(parent), m_controller(controller), m_view(view), m_seed(seed),
      m_placementName(placementName), m_settingsFile(controller->host().settingsFile())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setSizeGripEnabled(true);
}

CSearchDialogBase::~CSearchDialogBase()
{
    RegistrySettings().setDialogPlacement(m_placementName,
                                          WindowPlacement::fromGeometry(geometry(), false));
}

void CSearchDialogBase::reject()
{
    dismiss();
}

void CSearchDialogBase::dismiss()
{
    storeOnce();
    hide();
    deleteLater();
}

void CSearchDialogBase::storeOnce()
{
    if (m_stored)
        return;
    m_stored = true;
    storeOnDestroy();
}

void CSearchDialogBase::finishSetup()
{
    adjustSize();
    if (const auto placement = RegistrySettings().dialogPlacement(m_placementName)) {
        const QRect rect = placement->normalGeometry();
        if (rect.isValid())
            setGeometry(rect);
    }
    const FrameSettings &s = m_controller->host().settings();
    applyDialogTransparency(this, s.transparentDialogs, s.transparentPercent);
}

void CSearchDialogBase::copyAccelerator(int commandId, std::function<void()> action,
                                        const QList<CToolbarFindComboBox *> &boxes)
{
    CommandRouter *router = m_controller->host().router();
    QList<QKeySequence> keys;
    if (router)
        keys = router->action(commandId)->shortcuts();
    else if (const res::CommandInfo *info = res::findCommand(commandId); info && *info->shortcut)
        keys = {QKeySequence(QString::fromLatin1(info->shortcut), QKeySequence::PortableText)};
    if (keys.isEmpty())
        return;
    auto *copy = new QAction(this);
    copy->setShortcuts(keys);
    copy->setShortcutContext(Qt::WindowShortcut);
    connect(copy, &QAction::triggered, this, action);
    addAction(copy);
    for (CToolbarFindComboBox *box : boxes)
        box->setCommandKey(commandId, keys, action);
}

void CSearchDialogBase::prepareBox(CToolbarFindComboBox *box, const QString &section,
                                   const QString &seed)
{
    box->setSettingsFile(m_settingsFile);
    box->setEnterHandling(false);
    box->loadHistory(section);
    if (!seed.isEmpty())
        box->setEditText(seed);
    else
        box->setCurrentIndex(box->count() > 0 ? 0 : -1);
}

// ---- Find

CFindDialog::CFindDialog(FindReplaceController *controller, CRidereView *view, const QString &seed,
                         QWidget *parent)
    : CSearchDialogBase(controller, view, seed, QString::fromLatin1(settings::registry::FindDialog),
                        parent)
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QString::fromUtf8(res::string(Str::FindTitle)));
    setWindowIcon(commandIcon(Cmd::EditFind));

    const XmlSettingsStore store(m_settingsFile);
    namespace fr = settings::findReplace;
    m_search = new CToolbarFindComboBox(this);
    m_search->setObjectName(QStringLiteral("findWhat"));
    m_matchCase = dialogCheckBox(QStringLiteral("Match &case"), "matchCase",
                                 store.getInt(fr::MatchCase) != 0, this);
    m_wholeWord = dialogCheckBox(QStringLiteral("Match &whole word"), "wholeWord",
                                 store.getInt(fr::MatchWord) != 0, this);
    m_regExp = dialogCheckBox(QStringLiteral("Use regular expressions"), "regExp",
                              store.getInt(fr::RegExp) != 0, this);
    m_wrap = dialogCheckBox(QStringLiteral("&Wrap around"), "wrapAround",
                            store.getInt(fr::WrapAround) != 0, this);
    m_up = new QRadioButton(QStringLiteral("&Up"), this);
    m_up->setObjectName(QStringLiteral("up"));
    m_down = new QRadioButton(QStringLiteral("&Down"), this);
    m_down->setObjectName(QStringLiteral("down"));
    (store.getInt(fr::SearchUp) != 0 ? m_up : m_down)->setChecked(true);
    m_findNext = dialogButton(QStringLiteral("&Find Next"), "findNext", this);
    m_findNext->setDefault(true);
    m_markAll = dialogButton(QStringLiteral("&Mark All"), "markAll", this);
    m_close = dialogButton(QStringLiteral("Close"), "close", this);

    // The box stretches with the width; the buttons keep to the right, Close and Mark All to
    // the bottom right.
    auto *label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    label->setBuddy(m_search);
    auto *direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto *directionLayout = new QVBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);
    auto *options = new QVBoxLayout;
    options->addWidget(m_wholeWord);
    options->addWidget(m_matchCase);
    options->addWidget(m_regExp);
    options->addWidget(m_wrap);
    options->addStretch();
    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_search, 0, 1, 1, 2);
    grid->addLayout(options, 1, 0, 2, 2);
    grid->addWidget(direction, 1, 2, 2, 1, Qt::AlignTop);
    grid->addWidget(m_findNext, 0, 3);
    grid->addWidget(m_markAll, 1, 3, Qt::AlignBottom);
    grid->addWidget(m_close, 2, 3, Qt::AlignBottom);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    connect(m_findNext, &QPushButton::clicked, this, &CFindDialog::findNext);
    connect(m_markAll, &QPushButton::clicked, this, &CFindDialog::markAll);
    connect(m_close, &QPushButton::clicked, this, &CFindDialog::reject);

    prepareBox(m_search, SearchHistory, seed);
    copyAccelerator(Cmd::EditReplace, [this] { switchToReplace(); }, {m_search});
    copyAccelerator(Cmd::FindNext, [this] { findNext(); }, {m_search});
    finishSetup();
    m_search->setFocus();
    m_search->lineEdit()->selectAll();
}

CFindDialog::~CFindDialog()
{
    storeOnce();
}

void CFindDialog::writeOptions() const
{
    XmlSettingsStore store(m_settingsFile);
    XmlSettingsStore::Batch batch(store);
    namespace fr = settings::findReplace;
    store.writeInt(fr::MatchCase, m_matchCase->isChecked() ? 1 : 0);
    store.writeInt(fr::MatchWord, m_wholeWord->isChecked() ? 1 : 0);
    store.writeInt(fr::RegExp, m_regExp->isChecked() ? 1 : 0);
    store.writeInt(fr::SearchUp, m_up->isChecked() ? 1 : 0);
    store.writeInt(fr::WrapAround, m_wrap->isChecked() ? 1 : 0);
}

void CFindDialog::findNext()
{
    const QString text = m_search->currentText();
    if (text.isEmpty())
        return;
    // An entry equal in case stays where it is; anything else goes to the top.
    if (search::findHistoryEntry(m_search->entries(), text, Qt::CaseSensitive) < 0) {
        m_search->insertItem(0, text);
        m_search->setCurrentIndex(0);
        m_search->saveHistory(SearchHistory);
    }
    m_controller->find(text, options(), m_up->isChecked(), m_wrap->isChecked());
}

search::Options CFindDialog::options() const
{
    return {m_matchCase->isChecked(), m_wholeWord->isChecked(), m_regExp->isChecked()};
}

void CFindDialog::markAll()
{
    const QString text = m_search->currentText();
    if (text.isEmpty())
        return;
    m_controller->markAll(text, options());
}

void CFindDialog::switchToReplace()
{
    m_controller->showReplaceDialog(m_view, m_search->currentText());
}

// ---- Replace

CReplaceDialog::CReplaceDialog(FindReplaceController *controller, CRidereView *view,
                               const QString &seed, QWidget *parent)
    : CSearchDialogBase(controller, view, seed,
                        QString::fromLatin1(settings::registry::ReplaceDialog), parent)
{
    setObjectName(QStringLiteral("ReplaceDialog"));
    setWindowTitle(QString::fromUtf8(res::string(Str::ReplaceTitle)));
    setWindowIcon(commandIcon(Cmd::EditReplace));

    const XmlSettingsStore store(m_settingsFile);
    namespace fr = settings::findReplace;
    m_search = new CToolbarFindComboBox(this);
    m_search->setObjectName(QStringLiteral("findWhat"));
    m_replace = new CToolbarFindComboBox(this);
    m_replace->setObjectName(QStringLiteral("replaceWith"));
    m_wholeWord = dialogCheckBox(QStringLiteral("Match &whole words only"), "wholeWord",
                                 store.getInt(fr::MatchWord) != 0, this);
    m_matchCase = dialogCheckBox(QStringLiteral("&Match case"), "matchCase",
                                 store.getInt(fr::MatchCase) != 0, this);
    m_regExp = dialogCheckBox(QStringLiteral("Use Regular Expressions"), "regExp",
                              store.getInt(fr::RegExp) != 0, this);
    m_document = new QRadioButton(QStringLiteral("Active document"), this);
    m_document->setObjectName(QStringLiteral("activeDocument"));
    m_selection = new QRadioButton(QStringLiteral("Selected text"), this);
    m_selection->setObjectName(QStringLiteral("selectedText"));
    (store.getInt(fr::Selection) != 0 ? m_selection : m_document)->setChecked(true);
    m_findNext = dialogButton(QStringLiteral("&Find Next"), "findNext", this);
    m_findNext->setDefault(true);
    m_replaceOne = dialogButton(QStringLiteral("&Replace"), "replace", this);
    m_replaceAll = dialogButton(QStringLiteral("Replace &All"), "replaceAll", this);
    m_close = dialogButton(QStringLiteral("&Close"), "close", this);

    auto *findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(m_search);
    auto *replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    replaceLabel->setBuddy(m_replace);
    auto *scope = new QGroupBox(QStringLiteral("Scope"), this);
    scope->setObjectName(QStringLiteral("scope"));
    auto *scopeLayout = new QVBoxLayout(scope);
    scopeLayout->addWidget(m_document);
    scopeLayout->addWidget(m_selection);
    auto *options = new QVBoxLayout;
    options->addWidget(m_wholeWord);
    options->addWidget(m_matchCase);
    options->addWidget(m_regExp);
    options->addStretch();
    auto *grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_search, 0, 1, 1, 2);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(m_replace, 1, 1, 1, 2);
    grid->addLayout(options, 2, 0, 2, 2);
    grid->addWidget(scope, 2, 2, 2, 1, Qt::AlignBottom);
    grid->addWidget(m_findNext, 0, 3);
    grid->addWidget(m_replaceOne, 1, 3);
    grid->addWidget(m_replaceAll, 2, 3, Qt::AlignTop);
    grid->addWidget(m_close, 3, 3, Qt::AlignBottom);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    connect(m_findNext, &QPushButton::clicked, this, &CReplaceDialog::findNext);
    connect(m_replaceOne, &QPushButton::clicked, this, &CReplaceDialog::replace);
    connect(m_replaceAll, &QPushButton::clicked, this, &CReplaceDialog::replaceAll);
    connect(m_close, &QPushButton::clicked, this, &CReplaceDialog::closeDialog);
    connect(m_selection, &QRadioButton::toggled, this, &CReplaceDialog::scopeChanged);

    prepareBox(m_search, SearchHistory, seed);
    prepareBox(m_replace, ReplaceHistory, QString());
    copyAccelerator(Cmd::FindNext, [this] { findNext(); }, {m_search, m_replace});
    copyAccelerator(Cmd::EditFind, [this] { switchToFind(); }, {m_search, m_replace});
    scopeChanged();
    finishSetup();
    m_search->setFocus();
    m_search->lineEdit()->selectAll();
}

void CReplaceDialog::writeOptions() const
{
    XmlSettingsStore store(m_settingsFile);
    XmlSettingsStore::Batch batch(store);
    namespace fr = settings::findReplace;
    store.writeInt(fr::MatchCase, m_matchCase->isChecked() ? 1 : 0);
    store.writeInt(fr::MatchWord, m_wholeWord->isChecked() ? 1 : 0);
    store.writeInt(fr::RegExp, m_regExp->isChecked() ? 1 : 0);
    store.writeInt(fr::Selection, m_selection->isChecked() ? 1 : 0);
}

void CReplaceDialog::scopeChanged()
{
    // Find Next and Replace work on the document; only Replace All works on a selection.
    const bool document = !m_selection->isChecked();
    m_findNext->setEnabled(document);
    m_replaceOne->setEnabled(document);
}

void CReplaceDialog::findNext()
{
    if (!m_findNext->isEnabled())
        return;
    const QString text = m_search->currentText();
    if (text.isEmpty())
        return;
    m_search->addToHistory(text, SearchHistory);
    m_controller->find(text, options(), false, true);
}

search::Options CReplaceDialog::options() const
{
    return {m_matchCase->isChecked(), m_wholeWord->isChecked(), m_regExp->isChecked()};
}

bool CReplaceDialog::prepareReplace(QString &text, QString &replacement)
{
    text = m_search->currentText();
    replacement = m_replace->currentText();
    if (text.isEmpty()) {
        showMessage(this, MessageIcon::Exclamation, Str::ProvideSearchValue);
        return false;
    }
    m_search->addToHistory(text, SearchHistory);
    m_replace->addToHistory(replacement, ReplaceHistory);
    return true;
}

void CReplaceDialog::replace()
{
    if (!m_replaceOne->isEnabled())
        return;
    QString text;
    QString replacement;
    if (!prepareReplace(text, replacement))
        return;
    m_lastFound = m_controller->replace(text, replacement, options(), m_lastFound).found();
}

void CReplaceDialog::replaceAll()
{
    QString text;
    QString replacement;
    if (!prepareReplace(text, replacement))
        return;
    m_controller->replaceAll(text, replacement, options(), m_selection->isChecked());
}

void CReplaceDialog::switchToFind()
{
    m_controller->showFindDialog(m_view, m_search->currentText());
}

void CReplaceDialog::closeDialog()
{
    reject();
}

void CReplaceDialog::reject()
{
    writeOptions();
    dismiss();
}

} // namespace pw
