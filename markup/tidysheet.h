// CTidySheet and CPageTidy: the "Tidy Properties" sheet over the three shipped profiles.
#pragma once

#include "chrome/propertysheet.h"

#include <QString>

namespace pw {

class TidyOptionGrid;

// One profile's options. The grid is filled from the profile the first time the page is shown;
// apply() writes it back when it was.
class CPageTidy : public PropertySheetPage
{
    Q_OBJECT
public:
    CPageTidy(const char *profile, QWidget *parent = nullptr);

    QString profilePath() const { return m_profilePath; }
    bool isInitialised() const { return m_initialised; }
    void initialise();
    // Saves the grid to the profile when the page was shown; false when the file could not be
    // written.
    bool apply();
    bool applySheetPage() override { return apply(); }
    TidyOptionGrid *grid() const { return m_grid; }

private:
    QString m_profilePath;
    TidyOptionGrid *m_grid;
    bool m_initialised = false;
};

// Every page that was shown is saved on OK and Apply, changed or not.
class CTidySheet : public PropertySheet
{
    Q_OBJECT
public:
    static constexpr int PageCount = 3;

    explicit CTidySheet(QWidget *parent = nullptr);

    CPageTidy *page(int index) const;
};

} // namespace pw
