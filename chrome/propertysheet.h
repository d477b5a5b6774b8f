// PropertySheet and PropertySheetPage: a tabbed dialog of pages with OK, Cancel and Apply.
#pragma once

#include <QDialog>
#include <QList>
#include <QWidget>

class QDialogButtonBox;
class QTabWidget;

namespace pw {

// A page reports each change through modifiedChanged, which enables the sheet's Apply; it goes
// back to unmodified once what it holds is written.
class PropertySheetPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    bool isModified() const { return m_modified; }
    // Writes the page back as OK and Apply ask; false when it could not be written.
    virtual bool applySheetPage() = 0;

signals:
    void modifiedChanged(bool modified);

protected:
    void setModified(bool modified = true);

private:
    bool m_modified = false;
};

// The tab row over the pages, in the order they are added, and the three buttons under it. Apply
// is grey until a page changes; Apply and OK write every page, Cancel none.
class PropertySheet : public QDialog
{
    Q_OBJECT
public:
    QTabWidget *tabs() const { return m_tabs; }
    QDialogButtonBox *buttons() const { return m_buttons; }
    int pageCount() const { return int(m_pages.size()); }
    int currentPage() const;
    // Selects the page, as a click on its tab would.
    void setCurrentPage(int index);

    // "Apply": every page is written; the button goes grey until the next change. False when a
    // page could not be written.
    bool apply();
    void accept() override;

protected:
    explicit PropertySheet(QWidget *parent = nullptr);

    // Pages are made with tabs() as their parent.
    void addPage(PropertySheetPage *page, const QString &title);
    PropertySheetPage *sheetPage(int index) const;

private:
    void updateApply();

    QTabWidget *m_tabs;
    QDialogButtonBox *m_buttons;
    QList<PropertySheetPage *> m_pages;
};

} // namespace pw
