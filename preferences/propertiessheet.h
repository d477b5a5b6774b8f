// CPropertiesSheet: "Document Properties", the eight preference pages with OK, Cancel and Apply.
#pragma once

#include <QDialog>

class QDialogButtonBox;
class QTabWidget;

namespace pw {

class CommandBars;
class CPropertyPage;
class EditorHost;

// Pages copy the main window's settings in when the sheet is made. OK and Apply write back the
// pages that changed and apply them to every open window; Cancel leaves the settings as the
// last Apply left them.
class CPropertiesSheet : public QDialog
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
    QTabWidget *tabs() const { return m_tabs; }
    QDialogButtonBox *buttons() const { return m_buttons; }
    // Selects the page, as a click on its tab would.
    void setCurrentPage(int index);

    // "Apply": every changed page is applied; the button goes grey until the next change.
    void apply();
    void accept() override;

private:
    void updateApply();

    QTabWidget *m_tabs;
    CPropertyPage *m_pages[PageCount] = {};
    QDialogButtonBox *m_buttons;
};

} // namespace pw
