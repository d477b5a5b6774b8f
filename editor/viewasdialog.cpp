// CViewAsManagerDialog: the list of languages with OK and Cancel.
#include "editor/viewasdialog.h"

#include "resources/resources.h"
#include "resources/stringids.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace pw {

CViewAsManagerDialog::CViewAsManagerDialog(const QStringList &menuLabels, int initialSelection,
                                           QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("153"));
    setWindowTitle(QString::fromUtf8(res::string(Str::ViewAsTitle)));
    setWindowIcon(QApplication::windowIcon());

    auto *prompt = new QLabel(QString::fromUtf8(res::string(Str::ViewAsPrompt)), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("1009"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->addItems(menuLabels);
    prompt->setBuddy(m_list);
    if (initialSelection >= 0 && initialSelection < m_list->count()) {
        m_list->setCurrentRow(initialSelection);
        m_list->scrollToItem(m_list->currentItem());
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CViewAsManagerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CViewAsManagerDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CViewAsManagerDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    m_list->setFocus();
}

void CViewAsManagerDialog::accept()
{
    m_selected =
        m_list->currentItem() && m_list->currentItem()->isSelected() ? m_list->currentRow() : -1;
    QDialog::accept();
}

} // namespace pw
