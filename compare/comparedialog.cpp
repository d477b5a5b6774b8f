// CBRCompareDlg: the two path boxes, their browse buttons, the checks of "&Compare", the placement.
#include "compare/comparedialog.h"

#include "editor/doccore/doccore.h"
#include "framework/messages.h"
#include "resources/stringids.h"
#include "settings/registrysettings.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pw {

namespace {

const QString PlacementName = QString::fromLatin1(settings::registry::CompareDialog);

bool readable(const QString &path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

} // namespace

QString chooseCompareFile(QWidget *parent, const QString &settingsFile, const QString &current)
{
    XmlSettingsStore store(settingsFile);
    QStringList names;
    for (const doc::FileFilter &filter : doc::parseFilterString(store.buildFilterString()))
        names << doc::toQtFilter(filter);
    QFileDialog dialog(parent, QStringLiteral("Open"), QFileInfo(current).absolutePath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(names);
    const int stored = store.getInt(settings::general::FilterIndex);
    if (stored >= 0 && stored < names.size())
        dialog.selectNameFilter(names.at(stored));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    store.writeInt(settings::general::FilterIndex,
                   int(std::max<qsizetype>(0, names.indexOf(dialog.selectedNameFilter()))));
    return dialog.selectedFiles().constFirst();
}

CBRCompareDlg::CBRCompareDlg(const QString &settingsFile, QWidget *parent)
    : QDialog(parent), m_settingsFile(settingsFile)
{
    setWindowTitle(resourceText(Str::CompareDialogTitle));
    setObjectName(PlacementName);
    setSizeGripEnabled(true);

    m_firstEdit = new QLineEdit(this);
    m_firstEdit->setObjectName(QStringLiteral("FirstFile"));
    m_secondEdit = new QLineEdit(this);
    m_secondEdit->setObjectName(QStringLiteral("SecondFile"));
    auto *grid = new QGridLayout(this);
    const std::pair<QLineEdit *, const char *> rows[] = {{m_firstEdit, "First File:"},
                                                         {m_secondEdit, "Second File:"}};
    int row = 0;
    for (const auto &[edit, label] : rows) {
        auto *browseButton = new QPushButton(QStringLiteral("..."), this);
        browseButton->setAutoDefault(false);
        browseButton->setMaximumWidth(40);
        connect(browseButton, &QPushButton::clicked, this, [this, e = edit] { browse(e); });
        grid->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(browseButton, row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    auto *buttons = new QDialogButtonBox(this);
    m_compare = buttons->addButton(QStringLiteral("&Compare"), QDialogButtonBox::AcceptRole);
    m_compare->setDefault(true);
    buttons->addButton(QStringLiteral("C&lose"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CBRCompareDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CBRCompareDlg::reject);
    grid->addWidget(buttons, row, 0, 1, 3);
    grid->setRowStretch(row + 1, 1);

    XmlSettingsStore store(m_settingsFile);
    const QString first = store.getString(settings::general::CompareFirstFile);
    const QString second = store.getString(settings::general::CompareSecondFile);
    if (!first.isEmpty())
        m_firstEdit->setText(first);
    if (!second.isEmpty())
        m_secondEdit->setText(second);

    resize(520, sizeHint().height());
    if (const auto placement = RegistrySettings().dialogPlacement(PlacementName)) {
        const QRect rect = placement->normalGeometry();
        if (rect.isValid())
            setGeometry(rect);
    }
}

CBRCompareDlg::~CBRCompareDlg()
{
    RegistrySettings().setDialogPlacement(PlacementName,
                                          WindowPlacement::fromGeometry(geometry(), false));
}

void CBRCompareDlg::setShowHook(ShowHook hook)
{
    s_showHook = std::move(hook);
}

int CBRCompareDlg::run()
{
    return s_showHook ? s_showHook(*this) : exec();
}

QString CBRCompareDlg::firstPath() const
{
    return m_firstEdit->text();
}

QString CBRCompareDlg::secondPath() const
{
    return m_secondEdit->text();
}

void CBRCompareDlg::browse(QLineEdit *edit)
{
    const QString chosen = chooseCompareFile(this, m_settingsFile, edit->text());
    if (!chosen.isEmpty())
        edit->setText(chosen);
}

void CBRCompareDlg::refuse(int stringId)
{
    showMessage(this, MessageIcon::Exclamation, resourceText(stringId), QMessageBox::Ok,
                resourceText(Str::CompareCaption));
}

void CBRCompareDlg::accept()
{
    const QString first = firstPath();
    const QString second = secondPath();
    // In this order: the first problem found is the one the user hears about.
    const std::pair<bool, int> checks[] = {
        {first.isEmpty(), Str::CompareSelectFirst},
        {!readable(first), Str::CompareFirstMissing},
        {second.isEmpty(), Str::CompareSelectSecond},
        {!readable(second), Str::CompareSecondMissing},
    };
    for (const auto &[failed, message] : checks) {
        if (failed)
            return refuse(message);
    }
    XmlSettingsStore store(m_settingsFile);
    XmlSettingsStore::Batch batch(store);
    store.writeString(settings::general::CompareFirstFile, first);
    store.writeString(settings::general::CompareSecondFile, second);
    QDialog::accept();
}

} // namespace pw
