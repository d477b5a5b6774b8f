// CPageGeneralMore: "General Settings More", desktop integration, undo on save, icons and the theme.
#pragma once

#include "preferences/propertypage.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace pw {

class CommandBars;
class EditorHost;

class CPageGeneralMore : public CPropertyPage
{
    Q_OBJECT
public:
    CPageGeneralMore(EditorHost &host, CommandBars *bars, QWidget *parent = nullptr);

    // Where the desktop entry is looked for and written; the user's data folder unless a test
    // says otherwise.
    static void setDataHomeForTesting(const QString &dataHome);

protected:
    void apply() override;

private:
    void applyDesktopEntry();

    EditorHost &m_host;
    CommandBars *m_bars;
    QCheckBox *m_desktop;
    bool m_desktopAtStart = false;
    QCheckBox *m_resetUndo;
    QRadioButton *m_largeIcons;
    QRadioButton *m_smallIcons;
    QComboBox *m_theme;
};

} // namespace pw
