// CPropertiesSheet: "Document Properties", the eight preference pages with OK, Cancel and Apply.
#pragma once

#include "chrome/propertysheet.h"

namespace pw {

class CommandBars;
class CPropertyPage;
class EditorHost;

// Pages copy the main window's settings in when the sheet is made. OK and Apply write back the
// pages that changed and apply them to every open window; Cancel leaves the settings as the
// last Apply left them.
class CPropertiesSheet : public PropertySheet
{
    Q_OBJECT
public:
    enum PageIndex {
        General,
        FileFilters,
        SyntaxColouring,
        Backup,
        GeneralMore,
        SpellChecker,
        Print,
        View,
        PageCount
    };

    // bars may be null (nothing of the toolbars is then applied).
    CPropertiesSheet(EditorHost &host, CommandBars *bars, QWidget *parent = nullptr);

    CPropertyPage *page(int index) const;
};

} // namespace pw
