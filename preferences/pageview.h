// CPageView: "View Settings", the long line column and the semi-transparent dialogs.
#pragma once

#include "preferences/propertypage.h"

class QCheckBox;
class QSlider;

namespace pw {

class CommandBars;
class EditorHost;

class CPageView : public CPropertyPage
{
    Q_OBJECT
public:
    CPageView(EditorHost &host, CommandBars *bars, QWidget *parent = nullptr);

protected:
    void apply() override;

private:
    EditorHost &m_host;
    CommandBars *m_bars;
    NumberEdit *m_longLinePos;
    QCheckBox *m_transparent;
    QSlider *m_percent;
};

} // namespace pw
