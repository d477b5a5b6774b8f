// CPagePrint: "Printer Options", header, footer, line numbers and the colour mode of printing.
#pragma once

#include "preferences/propertypage.h"

class QCheckBox;
class QRadioButton;

namespace pw {

class EditorHost;

class CPagePrint : public CPropertyPage
{
    Q_OBJECT
public:
    explicit CPagePrint(EditorHost &host, QWidget *parent = nullptr);

protected:
    void apply() override;

private:
    EditorHost &m_host;
    QCheckBox *m_header;
    QCheckBox *m_footer;
    QCheckBox *m_lineNumbers;
    QRadioButton *m_formats[4];
};

} // namespace pw
