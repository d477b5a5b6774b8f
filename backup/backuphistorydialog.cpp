// CBackupHistoryDlg: the list of versions, its multiple selection and the "Compare" rule.
#include "backup/backuphistorydialog.h"

#include "framework/messages.h"
#include "resources/stringids.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace pw {

CBackupHistoryDlg::CBackupHistoryDlg(QList<backup::VersionListItem> items, QWidget *parent)
    : QDialog(parent), m_items(std::move(items))
{
    setWindowTitle(resourceText(Str::BackupHistoryTitle));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("BackupVersions"));
    // A click adds a row to the selection or takes it out, as the list box of the dialog does.
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const backup::VersionListItem &item : std::as_const(m_items))
        m_list->addItem(item.text);
    auto *buttons = new QDialogButtonBox(this);
    m_compare = buttons->addButton(QStringLiteral("Compare"), QDialogButtonBox::AcceptRole);
    m_compare->setDefault(true);
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CBackupHistoryDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CBackupHistoryDlg::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

void CBackupHistoryDlg::setShowHook(ShowHook hook)
{
    s_showHook = std::move(hook);
}

int CBackupHistoryDlg::run()
{
    return s_showHook ? s_showHook(*this) : exec();
}

void CBackupHistoryDlg::accept()
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedIndexes())
        rows << index.row();
    m_choice = backup::chooseCompare(m_items, rows);
    if (!m_choice.ok) {
        showMessage(this, MessageIcon::Exclamation, m_choice.message);
        return;
    }
    QDialog::accept();
}

} // namespace pw
