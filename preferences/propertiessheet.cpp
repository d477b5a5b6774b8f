// CPropertiesSheet: builds the pages in their order; the sheet base applies the changed ones.
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

#include <QTabWidget>

namespace pw {

CPropertiesSheet::CPropertiesSheet(EditorHost &host, CommandBars *bars, QWidget *parent)
    : PropertySheet(parent)
{
    setObjectName(QStringLiteral("PropertiesSheet"));
    setWindowTitle(resourceText(Str::PropertiesSheetTitle));
    QTabWidget *parentTabs = tabs();
    addPage(new CPageGeneral(host, parentTabs), resourceText(Str::PageGeneral));
    addPage(new CPageFileFilter(host, parentTabs), resourceText(Str::PageFileFilters));
    addPage(new CPageSyntaxColour(host, parentTabs), resourceText(Str::PageSyntaxColoring));
    addPage(new CPageVersion(host, parentTabs), resourceText(Str::PageBackupManager));
    addPage(new CPageGeneralMore(host, bars, parentTabs), resourceText(Str::PageGeneralMore));
    addPage(new CPageDictionary(host, parentTabs), resourceText(Str::PageSpellChecker));
    addPage(new CPagePrint(host, parentTabs), resourceText(Str::PagePrinterOptions));
    addPage(new CPageView(host, bars, parentTabs), resourceText(Str::PageViewSettings));
    tabs()->setUsesScrollButtons(true);
    resize(600, 480);
}

CPropertyPage *CPropertiesSheet::page(int index) const
{
    return static_cast<CPropertyPage *>(sheetPage(index));
}

} // namespace pw
