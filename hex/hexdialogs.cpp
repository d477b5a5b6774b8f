// CHexGoto and CHexFindDialog: their controls, checks, settings and placement.
#include "hex/hexdialogs.h"

#include "chrome/themes.h"
#include "framework/commandrouter.h"
#include "framework/host.h"
#include "framework/messages.h"
#include "hex/engine/hextext.h"
#include "hex/hexcommands.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"
#include "settings/registrysettings.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QVBoxLayout>

namespace pw {

namespace {

const QString FindPlacement = QString::fromLatin1(settings::registry::HexFindDialog);

QString number(hex::Offset value, bool hex)
{
    return hex ? QString::number(value, 16).toUpper() : QString::number(value);
}

} // namespace

// ---- CHexGoto

CHexGoto::CHexGoto(Host &host, hex::Offset offset, hex::Offset fileLength, QWidget *parent)
    : QDialog(parent), m_settingsFile(host.settingsFile()), m_offset(offset),
      m_fileLength(fileLength)
{
    setWindowTitle(resourceText(Str::HexGotoTitle));
    setObjectName(QStringLiteral("HexGoto"));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Offset"));
    m_length = new QLabel(this);
    m_hexButton = new QRadioButton(QStringLiteral("Hex"), this);
    m_decimalButton = new QRadioButton(QStringLiteral("Decimal"), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QGridLayout(this);
    layout->addWidget(m_edit, 0, 0, 1, 2);
    layout->addWidget(m_hexButton, 1, 0);
    layout->addWidget(m_decimalButton, 1, 1);
    layout->addWidget(m_length, 2, 0, 1, 2);
    layout->addWidget(buttons, 3, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &CHexGoto::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CHexGoto::reject);
    connect(m_hexButton, &QRadioButton::toggled, this, [this](bool on) { setHexMode(on); });
    connect(m_edit, &QLineEdit::textEdited, this, [this] { readText(true); });

    const XmlSettingsStore store(m_settingsFile);
    m_hexMode = store.getInt(settings::hexGoto::Hex) != 0;
    (m_hexMode ? m_hexButton : m_decimalButton)->setChecked(true);
    showNumbers();
    applyDialogTransparency(this, host.settings().transparentDialogs,
                            host.settings().transparentPercent);
}

void CHexGoto::setHexMode(bool hex)
{
    if (m_showing)
        return;
    m_hexMode = hex;
    m_showing = true;
    (hex ? m_hexButton : m_decimalButton)->setChecked(true);
    m_showing = false;
    showNumbers();
}

void CHexGoto::showNumbers()
{
    m_edit->setText(number(m_offset, m_hexMode));
    QString length = resourceText(m_hexMode ? Str::HexFileLengthHex : Str::HexFileLengthDecimal);
    length.replace(QRegularExpression(QStringLiteral("%[dX]")), number(m_fileLength, m_hexMode));
    m_length->setText(length);
}

bool CHexGoto::readText(bool tell)
{
    const hex::OffsetText parsed = hex::parseOffsetText(m_edit->text().toStdString(), m_hexMode);
    switch (parsed.status) {
    case hex::OffsetTextStatus::Valid:
        m_offset = parsed.value;
        return true;
    case hex::OffsetTextStatus::Empty:
        return true;
    case hex::OffsetTextStatus::InvalidHexDigit:
    case hex::OffsetTextStatus::InvalidDecimalDigit:
        if (tell)
            showMessage(this, MessageIcon::Exclamation,
                        parsed.status == hex::OffsetTextStatus::InvalidHexDigit
                            ? Str::HexInvalidHexDigit
                            : Str::HexInvalidDecimalDigit);
        return false;
    }
    return false;
}

void CHexGoto::accept()
{
    XmlSettingsStore(m_settingsFile).writeInt(settings::hexGoto::Hex, m_hexMode ? 1 : 0);
    if (!readText(false) || m_offset >= m_fileLength) {
        if (m_offset >= m_fileLength)
            showMessage(this, MessageIcon::Exclamation, Str::HexOffsetTooLarge);
        else
            readText(true);
        return;
    }
    QDialog::accept();
}

int CHexGoto::run()
{
    return s_gotoHook ? s_gotoHook(*this) : exec();
}

void CHexGoto::setShowHook(ShowHook hook)
{
    s_gotoHook = std::move(hook);
}

// ---- CHexFindDialog

CHexFindDialog::CHexFindDialog(HexCommands &commands, QWidget *parent)
    : QDialog(parent), m_commands(commands)
{
    setWindowTitle(resourceText(Str::HexFindTitle));
    setObjectName(FindPlacement);
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);

    m_findWhat = new QComboBox(this);
    m_findWhat->setObjectName(QStringLiteral("FindWhat"));
    m_findWhat->setEditable(true);
    m_findWhat->setInsertPolicy(QComboBox::NoInsert);
    m_findWhat->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *findButton = new QPushButton(QStringLiteral("Find"), this);
    findButton->setDefault(true);
    auto *closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setAutoDefault(false);
    m_ascii = new QCheckBox(QStringLiteral("Search Ascii"), this);
    m_matchCase = new QCheckBox(QStringLiteral("Match Case"), this);
    auto *direction = new QGroupBox(QStringLiteral("Search Direction"), this);
    m_up = new QRadioButton(QStringLiteral("Up"), direction);
    m_down = new QRadioButton(QStringLiteral("Down"), direction);
    auto *directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Find What:"), this), 0, 0);
    grid->addWidget(m_findWhat, 0, 1);
    grid->addWidget(findButton, 0, 2);
    auto *checks = new QVBoxLayout;
    checks->addWidget(m_ascii);
    checks->addWidget(m_matchCase);
    grid->addLayout(checks, 1, 0, 1, 2, Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(direction, 1, 1, Qt::AlignRight);
    grid->addWidget(closeButton, 1, 2, Qt::AlignBottom);
    grid->setColumnStretch(1, 1);

    Host &host = m_commands.host();
    const XmlSettingsStore store(host.settingsFile());
    m_ascii->setChecked(store.getInt(settings::hexFind::SearchAscii) != 0);
    m_matchCase->setChecked(store.getInt(settings::hexFind::MatchCase) != 0);
    (store.getInt(settings::hexFind::SearchUp) != 0 ? m_up : m_down)->setChecked(true);
    m_matchCase->setEnabled(m_ascii->isChecked());
    connect(m_ascii, &QCheckBox::toggled, m_matchCase, &QCheckBox::setEnabled);
    connect(findButton, &QPushButton::clicked, this, &CHexFindDialog::find);
    connect(closeButton, &QPushButton::clicked, this, &CHexFindDialog::closeDialog);

    // The main window's key for finding again works here too.
    if (CommandRouter *router = host.router()) {
        for (const QKeySequence &key : router->action(Cmd::HexFindNext)->shortcuts()) {
            auto *shortcut = new QShortcut(key, this);
            shortcut->setContext(Qt::WidgetWithChildrenShortcut);
            connect(shortcut, &QShortcut::activated, this, &CHexFindDialog::find);
        }
    }
    applyDialogTransparency(this, host.settings().transparentDialogs,
                            host.settings().transparentPercent);
    resize(420, sizeHint().height());
    if (const auto placement = RegistrySettings().dialogPlacement(FindPlacement)) {
        const QRect rect = placement->normalGeometry();
        if (rect.isValid())
            setGeometry(rect);
    }
    m_findWhat->setFocus();
}

CHexFindDialog::~CHexFindDialog()
{
    RegistrySettings().setDialogPlacement(FindPlacement,
                                          WindowPlacement::fromGeometry(geometry(), false));
}

void CHexFindDialog::find()
{
    const QString text = m_findWhat->currentText();
    if (text.isEmpty())
        return;
    // The history: newest first, once each.
    const int known = m_findWhat->findText(text);
    if (known != 0) {
        if (known > 0)
            m_findWhat->removeItem(known);
        m_findWhat->insertItem(0, text);
        m_findWhat->setCurrentIndex(0);
    }
    m_commands.hexFind(text, m_up->isChecked(), m_ascii->isChecked() && m_matchCase->isChecked(),
                       m_ascii->isChecked());
}

void CHexFindDialog::storeChoices()
{
    XmlSettingsStore store(m_commands.host().settingsFile());
    XmlSettingsStore::Batch batch(store);
    store.writeInt(settings::hexFind::SearchAscii, m_ascii->isChecked() ? 1 : 0);
    store.writeInt(settings::hexFind::MatchCase, m_matchCase->isChecked() ? 1 : 0);
    store.writeInt(settings::hexFind::SearchUp, m_up->isChecked() ? 1 : 0);
}

void CHexFindDialog::closeDialog()
{
    storeChoices();
    hide();
    deleteLater();
}

} // namespace pw
