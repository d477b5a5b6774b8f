// CTidySheet and CPageTidy: pages filled on first show, saved on OK and Apply.
#include "markup/tidysheet.h"

#include "framework/messages.h"
#include "markup/engine/tidyoptions.h"
#include "markup/engine/tidyprofiles.h"
#include "markup/tidyoptiongrid.h"
#include "resources/stringids.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace pw {

CPageTidy::CPageTidy(const char *profile, QWidget *parent)
    : PropertySheetPage(parent), m_profilePath(TidyProfiles::ensure(profile)),
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

CTidySheet::CTidySheet(QWidget *parent) : PropertySheet(parent)
{
    setWindowTitle(resourceText(Str::TidySheetTitle));
    static const struct
    {
        const char *profile;
        int title;
    } pages[PageCount] = {{TidyProfiles::HtmlClean, Str::TidyPageHtmlClean},
                          {TidyProfiles::XhtmlClean, Str::TidyPageXhtmlClean},
                          {TidyProfiles::XmlPrettyPrint, Str::TidyPageXmlPrettyPrint}};
    for (const auto &each : pages)
        addPage(new CPageTidy(each.profile, tabs()), resourceText(each.title));
    // The shown page is the only one read; the others wait until their tab is chosen.
    connect(tabs(), &QTabWidget::currentChanged, this, [this](int index) {
        if (CPageTidy *shown = page(index))
            shown->initialise();
    });
    page(0)->initialise();
    resize(640, 560);
}

CPageTidy *CTidySheet::page(int index) const
{
    return static_cast<CPageTidy *>(sheetPage(index));
}

} // namespace pw
