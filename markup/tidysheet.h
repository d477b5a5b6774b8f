// CTidySheet and CPageTidy: the "Tidy Properties" sheet over the three shipped profiles.
#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QTabWidget;

namespace pw {

class TidyOptionGrid;

// One profile's options. The grid is filled from the profile the first time the page is shown;
// apply() writes it back when it was.
class CPageTidy : public QWidget
{
    Q_OBJECT
public:
    CPageTidy(const char *profile, QWidget *parent = nullptr);

    QString profilePath() const { return m_profilePath; }
    bool isInitialised() const { return m_initialised; }
    bool isModified() const { return m_modified; }
    void initialise();
    // Saves the grid to the profile when the page was shown; false when the file could not be
    // written.
    bool apply();
    TidyOptionGrid *grid() const { return m_grid; }

signals:
    void modifiedChanged(bool modified);

private:
    void setModified(bool modified);

    QString m_profilePath;
    TidyOptionGrid *m_grid;
    bool m_initialised = false;
    bool m_modified = false;
};

class CTidySheet : public QDialog
{
    Q_OBJECT
public:
    static constexpr int PageCount = 3;

    explicit CTidySheet(QWidget *parent = nullptr);

    void setCurrentPage(int index);
    int currentPage() const;
    CPageTidy *page(int index) const;
    // "Apply": every shown page is saved; the button goes grey until the next change.
    bool apply();
    QDialogButtonBox *buttons() const { return m_buttons; }

    void accept() override;

private:
    void updateApply();

    QTabWidget *m_tabs;
    CPageTidy *m_pages[PageCount] = {};
    QDialogButtonBox *m_buttons;
};

} // namespace pw
