// CPageGeneral: "General Settings", the tabs, the caret line and remembering open files.
#pragma once

#include "preferences/propertypage.h"

class QCheckBox;
class QSlider;

namespace pw {

class EditorHost;

class CPageGeneral : public CPropertyPage
{
    Q_OBJECT
public:
    explicit CPageGeneral(EditorHost &host, QWidget *parent = nullptr);

protected:
    void apply() override;

private:
    EditorHost &m_host;
    QCheckBox *m_tabsAsSpaces;
    QCheckBox *m_tabGuides;
    NumberEdit *m_tabWidth;
    ColourButton *m_caretLineColour;
    QSlider *m_transparency;
    QCheckBox *m_rememberOpenFiles;
};

} // namespace pw
