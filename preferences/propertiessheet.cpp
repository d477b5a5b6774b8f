// CPropertiesSheet: builds the pages in their order and applies the changed ones.
#include "preferences/propertiessheet.h"

#include "framework/messages.h"
#include "preferences/pagedictionary.h"
#include "preferences/pagefilefilter.h"
#include "preferences/pagegeneral.h"
#include "preferences/pagegeneralmore.h"
#include "preferences/pageprint.h"
#include "preferences/pagesyntaxcolour.h"
#include "preferences/pageversion.h"
#include "preferences/pageview.h"
#include "resources/stringids.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pw {

CPropertiesSheet::CPropertiesSheet(EditorHost &host, CommandBars *bars, QWidget *parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)),
      m_buttons(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this))
{
    setObjectName(QStringLiteral("PropertiesSheet"));
    setWindowTitle(resourceText(Str::PropertiesSheetTitle));
    m_pages[General] = new CPageGeneral(host, m_tabs);
    m_pages[FileFilters] = new CPageFileFilter(host, m_tabs);
    m_pages[SyntaxColouring] = new CPageSyntaxColour(host, m_tabs);
    m_pages[Backup] = new CPageVersion(host, m_tabs);
    m_pages[GeneralMore] = new CPageGeneralMore(host, bars, m_tabs);
    m_pages[SpellChecker] = new CPageDictionary(host, m_tabs);
    m_pages[Print] = new CPagePrint(host, m_tabs);
    m_pages[View] = new CPageView(host, bars, m_tabs);
    static const int titles[PageCount] = {
        Str::PageGeneral,       Str::PageFileFilters, Str::PageSyntaxColoring,
        Str::PageBackupManager, Str::PageGeneralMore, Str::PageSpellChecker,
        Str::PagePrinterOptions, Str::PageViewSettings};
    for (int i = 0; i < PageCount; ++i) {
        m_tabs->addTab(m_pages[i], resourceText(titles[i]));
        connect(m_pages[i], &CPropertyPage::modifiedChanged, this, &CPropertiesSheet::updateApply);
    }
    m_tabs->setUsesScrollButtons(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CPropertiesSheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CPropertiesSheet::reject);
    connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &CPropertiesSheet::apply);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    resize(600, 480);
    updateApply();
}

CPropertyPage *CPropertiesSheet::page(int index) const
{
    return index >= 0 && index < PageCount ? m_pages[index] : nullptr;
}

void CPropertiesSheet::setCurrentPage(int index)
{
    if (page(index))
        m_tabs->setCurrentIndex(index);
}

void CPropertiesSheet::apply()
{
    for (CPropertyPage *each : m_pages)
        each->applyIfModified();
    updateApply();
}

void CPropertiesSheet::accept()
{
    apply();
    QDialog::accept();
}

void CPropertiesSheet::updateApply()
{
    bool modified = false;
    for (CPropertyPage *each : m_pages)
        modified = modified || each->isModified();
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(modified);
}

} // namespace pw
