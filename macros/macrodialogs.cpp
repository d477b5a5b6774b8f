// The macro dialogs: the name check against macros.xml, and running, deleting and renaming.
#include "macros/macrodialogs.h"

#include "chrome/themes.h"
#include "chrome/toolbaricons.h"
#include "framework/host.h"
#include "framework/messages.h"
#include "macros/engine/macrofile.h"
#include "macros/engine/macrorecorder.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"
#include "settings/registrysettings.h"
#include "settings/settingkeys.h"
#include "settings/windowplacement.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace pw {

namespace {

MacroDialogHook &dialogHook()
{
    static MacroDialogHook hook;
    return hook;
}

QString withName(int stringId, const QString &name)
{
    return macroMessage(stringId, {name});
}

} // namespace

QString macroMessage(int stringId, std::initializer_list<QString> values)
{
    static const QRegularExpression placeholder(QStringLiteral("%[sd]"));
    QString text = resourceText(stringId);
    qsizetype from = 0;
    for (const QString &value : values) {
        const QRegularExpressionMatch match = placeholder.match(text, from);
        if (!match.hasMatch())
            break;
        text.replace(match.capturedStart(), match.capturedLength(), value);
        from = match.capturedStart() + value.size();
    }
    return text;
}

void setMacroDialogHook(MacroDialogHook hook)
{
    dialogHook() = std::move(hook);
}

int execMacroDialog(QDialog &dialog)
{
    if (dialogHook())
        return dialogHook()(dialog);
    return dialog.exec();
}

MacroDialogBase::MacroDialogBase(Host &host, const QString &placementName, QWidget *parent)
    : QDialog(parent), m_host(host), m_placementName(placementName)
{
    setObjectName(placementName);
    setWindowIcon(commandIcon(Cmd::MacroRun));
    applyDialogTransparency(this, host.settings().transparentDialogs,
                            host.settings().transparentPercent);
}

MacroDialogBase::~MacroDialogBase()
{
    RegistrySettings().setDialogPlacement(m_placementName,
                                          WindowPlacement::fromGeometry(geometry(), false));
}

void MacroDialogBase::restorePlacement()
{
    if (const auto placement = RegistrySettings().dialogPlacement(m_placementName)) {
        const QRect rect = placement->normalGeometry();
        if (rect.isValid())
            setGeometry(rect);
    }
}

CNewMacroDialog::CNewMacroDialog(Host &host, const QString &macrosFile, const QString &proposedName,
                                 bool renaming, QWidget *parent)
    : MacroDialogBase(host, QString::fromLatin1(settings::registry::NewMacroDialog), parent),
      m_macrosFile(macrosFile)
{
    setWindowTitle(resourceText(renaming ? Str::RenameMacroTitle : Str::NewMacroTitle));
    auto *label = new QLabel(resourceText(Str::MacroNamePrompt), this);
    m_edit = new QLineEdit(proposedName, this);
    m_edit->setObjectName(QStringLiteral("MacroName"));
    label->setBuddy(m_edit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addStretch();
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNewMacroDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CNewMacroDialog::reject);
    const auto follow = [this] { m_ok->setEnabled(!m_edit->text().isEmpty()); };
    connect(m_edit, &QLineEdit::textChanged, this, follow);
    follow();
    resize(320, sizeHint().height());
    restorePlacement();
    m_edit->selectAll();
    m_edit->setFocus();
}

QString CNewMacroDialog::name() const
{
    return m_edit->text();
}

void CNewMacroDialog::accept()
{
    if (name().isEmpty())
        return;
    if (macrofile::contains(m_macrosFile, name())) {
        showMessage(this, MessageIcon::Exclamation, withName(Str::MacroNameExists, name()));
        m_edit->selectAll();
        m_edit->setFocus();
        return;
    }
    QDialog::accept();
}

CMacroDialog::CMacroDialog(Host &host, const QString &macrosFile, QWidget *parent)
    : MacroDialogBase(host, QString::fromLatin1(settings::registry::MacroDialog), parent),
      m_macrosFile(macrosFile)
{
    setWindowTitle(resourceText(Str::MacrosTitle));
    setSizeGripEnabled(true);
    auto *label = new QLabel(QStringLiteral("Macro Name:"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("MacroList"));
    label->setBuddy(m_list);
    m_run = new QPushButton(QStringLiteral("&Run"), this);
    m_delete = new QPushButton(QStringLiteral("&Delete"), this);
    m_rename = new QPushButton(QStringLiteral("R&ename"), this);
    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    m_run->setDefault(true);

    // The list stretches; the buttons keep to the right edge.
    auto *layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_list, 1, 0, 5, 1);
    layout->addWidget(m_run, 1, 1);
    layout->addWidget(m_delete, 2, 1);
    layout->addWidget(m_rename, 3, 1);
    layout->addWidget(close, 4, 1);
    layout->setRowStretch(5, 1);
    layout->setColumnStretch(0, 1);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        const bool chosen = row >= 0;
        m_selected = chosen ? m_list->item(row)->text() : QString();
        m_run->setEnabled(chosen);
        m_delete->setEnabled(chosen);
        m_rename->setEnabled(chosen);
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (!m_selected.isEmpty())
            QDialog::accept();
    });
    connect(m_run, &QPushButton::clicked, this, [this] { QDialog::accept(); });
    connect(m_delete, &QPushButton::clicked, this, &CMacroDialog::deleteMacro);
    connect(m_rename, &QPushButton::clicked, this, &CMacroDialog::renameMacro);
    connect(close, &QPushButton::clicked, this, &CMacroDialog::reject);
    fill(true);
    resize(380, 260);
    restorePlacement();
}

void CMacroDialog::fill(bool tell)
{
    m_list->clear();
    m_selected.clear();
    m_run->setEnabled(false);
    m_delete->setEnabled(false);
    m_rename->setEnabled(false);
    // The macro saved last comes first.
    macrofile::ReadResult read = macrofile::ReadResult::Read;
    const QStringList names = macrofile::names(m_macrosFile, &read);
    if (tell && read == macrofile::ReadResult::TooLarge) {
        showMessage(m_host.window(), MessageIcon::Exclamation,
                    macroMessage(Str::MacroFileTooLarge,
                                 {m_macrosFile, QString::number(macrolimits::MaxFileBytes >> 20)}));
    }
    for (const QString &name : names)
        m_list->insertItem(0, name);
    m_list->setCurrentRow(-1);
}

void CMacroDialog::deleteMacro()
{
    const QString name = m_selected;
    if (name.isEmpty())
        return;
    if (showMessage(this, MessageIcon::Question, withName(Str::MacroDeleteQuestion, name),
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!macrofile::remove(m_macrosFile, name))
        showMessage(this, MessageIcon::Exclamation, Str::MacroDeleteFailed);
    fill();
}

void CMacroDialog::renameMacro()
{
    const QString from = m_selected;
    if (from.isEmpty())
        return;
    CNewMacroDialog dialog(m_host, m_macrosFile, from, true, this);
    if (execMacroDialog(dialog) != QDialog::Accepted)
        return;
    if (!macrofile::rename(m_macrosFile, from, dialog.name()))
        showMessage(this, MessageIcon::Exclamation, Str::MacroDeleteFailed);
    fill();
}

} // namespace pw
