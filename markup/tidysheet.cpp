// CTidySheet and CPageTidy: pages filled on first show, saved on OK and Apply.
#include "markup/tidysheet.h"

#include "framework/messages.h"
#include "markup/engine/tidyoptions.h"
#include "markup/engine/tidyprofiles.h"
#include "markup/tidyoptiongrid.h"
#include "resources/stringids.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pw {

CPageTidy::CPageTidy(const char *profile, QWidget *parent)
    : QWidget(parent), m_profilePath(TidyProfiles::ensure(profile)),
      m_grid(new TidyOptionGrid(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    connect(m_grid, &TidyOptionGrid::changed, this, [this] { setModified(true); });
}

void CPageTidy::initialise()
{
    if (m_initialised)
        return;
    const QSignalBlocker quiet(m_grid);
    m_grid->setOptions(loadTidyOptions(m_profilePath));
    m_initialised = true;
}

bool CPageTidy::apply()
{
    if (!m_initialised)
        return true;
    const bool saved = saveTidyOptions(m_profilePath, m_grid->values());
    if (saved)
        setModified(false);
    return saved;
}

void CPageTidy::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

CTidySheet::CTidySheet(QWidget *parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)),
      m_buttons(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this))
{
    setWindowTitle(resourceText(Str::TidySheetTitle));
    static const struct
    {
        const char *profile;
        int title;
    } pages[PageCount] = {{TidyProfiles::HtmlClean, Str::TidyPageHtmlClean},
                          {TidyProfiles::XhtmlClean, Str::TidyPageXhtmlClean},
                          {TidyProfiles::XmlPrettyPrint, Str::TidyPageXmlPrettyPrint}};
    for (int i = 0; i < PageCount; ++i) {
        m_pages[i] = new CPageTidy(pages[i].profile, m_tabs);
        m_tabs->addTab(m_pages[i], resourceText(pages[i].title));
        connect(m_pages[i], &CPageTidy::modifiedChanged, this, &CTidySheet::updateApply);
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (CPageTidy *shown = page(index))
            shown->initialise();
    });
    m_pages[0]->initialise();
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CTidySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CTidySheet::reject);
    connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &CTidySheet::apply);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    resize(640, 560);
    updateApply();
}

void CTidySheet::setCurrentPage(int index)
{
    if (CPageTidy *shown = page(index)) {
        m_tabs->setCurrentIndex(index);
        shown->initialise();
    }
}

int CTidySheet::currentPage() const
{
    return m_tabs->currentIndex();
}

CPageTidy *CTidySheet::page(int index) const
{
    return index >= 0 && index < PageCount ? m_pages[index] : nullptr;
}

bool CTidySheet::apply()
{
    bool saved = true;
    for (CPageTidy *shown : m_pages)
        saved = shown->apply() && saved;
    updateApply();
    return saved;
}

void CTidySheet::accept()
{
    apply();
    QDialog::accept();
}

void CTidySheet::updateApply()
{
    bool modified = false;
    for (CPageTidy *shown : m_pages)
        modified = modified || shown->isModified();
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(modified);
}

} // namespace pw
