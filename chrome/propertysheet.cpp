// PropertySheet: the page tabs, the Apply button's state, and Apply and OK over every page.
#include "chrome/propertysheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pw {

void PropertySheetPage::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

PropertySheet::PropertySheet(QWidget *parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)),
      m_buttons(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this))
{
    connect(m_buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
    connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &PropertySheet::apply);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    updateApply();
}

void PropertySheet::addPage(PropertySheetPage *page, const QString &title)
{
    m_pages.append(page);
    m_tabs->addTab(page, title);
    connect(page, &PropertySheetPage::modifiedChanged, this, &PropertySheet::updateApply);
    updateApply();
}

PropertySheetPage *PropertySheet::sheetPage(int index) const
{
    return index >= 0 && index < m_pages.size() ? m_pages.at(index) : nullptr;
}

int PropertySheet::currentPage() const
{
    return m_tabs->currentIndex();
}

void PropertySheet::setCurrentPage(int index)
{
    if (sheetPage(index))
        m_tabs->setCurrentIndex(index);
}

bool PropertySheet::apply()
{
    bool written = true;
    for (PropertySheetPage *page : std::as_const(m_pages))
        written = page->applySheetPage() && written;
    updateApply();
    return written;
}

void PropertySheet::accept()
{
    apply();
    QDialog::accept();
}

void PropertySheet::updateApply()
{
    bool modified = false;
    for (const PropertySheetPage *page : std::as_const(m_pages))
        modified = modified || page->isModified();
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(modified);
}

} // namespace pw
