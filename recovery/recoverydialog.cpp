// CRecoveryDialog: one row per recovery file with its name, time, disk state and choice.
#include "recovery/recoverydialog.h"

#include "framework/messages.h"
#include "resources/stringids.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace pw {

namespace {
constexpr int ChoiceColumn = 3;
}

CRecoveryDialog::CRecoveryDialog(QList<recovery::Entry> entries, QWidget *parent)
    : QDialog(parent), m_entries(std::move(entries)), m_table(new QTableWidget(this))
{
    setWindowTitle(resourceText(Str::RecoveryTitle));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(resourceText(Str::RecoveryExplain), this));
    m_table->setObjectName(QStringLiteral("RecoveryList"));
    m_table->setColumnCount(4);
    m_table->setHorizontalHeaderLabels(
        {resourceText(Str::RecoveryColumnDocument), resourceText(Str::RecoveryColumnSnapshot),
         resourceText(Str::RecoveryColumnDisk), resourceText(Str::RecoveryColumnAction)});
    m_table->setRowCount(int(m_entries.size()));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    for (int row = 0; row < m_entries.size(); ++row) {
        const recovery::Entry &entry = m_entries.at(row);
        m_table->setItem(row, 0, new QTableWidgetItem(nameOf(entry)));
        QString when;
        QString disk;
        if (entry.damaged) {
            disk = resourceText(Str::RecoveryDamaged);
        } else {
            when = QLocale().toString(
                QDateTime::fromMSecsSinceEpoch(entry.header.snapshotMs).toLocalTime(),
                QLocale::ShortFormat);
            if (entry.header.path.isEmpty())
                disk = resourceText(Str::RecoveryNeverSaved);
            else
                disk =
                    resourceText(recovery::diskFileChanged(entry.header) ? Str::RecoveryChangedSince
                                                                         : Str::RecoveryUnchanged);
        }
        m_table->setItem(row, 1, new QTableWidgetItem(when));
        m_table->setItem(row, 2, new QTableWidgetItem(disk));
        auto *combo = new QComboBox(m_table);
        combo->addItems({resourceText(Str::RecoveryRecover), resourceText(Str::RecoveryDiscard),
                         resourceText(Str::RecoveryLater)});
        m_table->setCellWidget(row, ChoiceColumn, combo);
        setChoice(row, entry.damaged ? Later : Recover);
        // Nothing in a damaged file can be opened.
        if (auto *model = qobject_cast<QStandardItemModel *>(combo->model());
            model && entry.damaged)
            model->item(Recover)->setEnabled(false);
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(resourceText(Str::RecoveryDecideLater), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 320);
}

QString CRecoveryDialog::nameOf(const recovery::Entry &entry)
{
    if (entry.damaged)
        return QFileInfo(entry.file).fileName();
    return entry.header.path.isEmpty() ? entry.header.title : entry.header.path;
}

CRecoveryDialog::Choice CRecoveryDialog::choice(int row) const
{
    auto *combo = qobject_cast<QComboBox *>(m_table->cellWidget(row, ChoiceColumn));
    return combo ? Choice(combo->currentIndex()) : Later;
}

void CRecoveryDialog::setChoice(int row, Choice choice)
{
    if (row < 0 || row >= m_entries.size())
        return;
    if (choice == Recover && m_entries.at(row).damaged)
        return;
    if (auto *combo = qobject_cast<QComboBox *>(m_table->cellWidget(row, ChoiceColumn)))
        combo->setCurrentIndex(int(choice));
}

int CRecoveryDialog::run()
{
    if (s_showHook)
        return s_showHook(*this);
    return exec();
}

void CRecoveryDialog::setShowHook(ShowHook hook)
{
    s_showHook = std::move(hook);
}

} // namespace pw
