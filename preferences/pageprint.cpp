// CPagePrint: the print options copied in, and out on apply for the next print.
#include "preferences/pageprint.h"

#include "chrome/dialogcontrols.h"
#include "editor/editorhost.h"
#include "settings/framesettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pw {

CPagePrint::CPagePrint(EditorHost &host, QWidget *parent) : CPropertyPage(parent), m_host(host)
{
    const FrameSettings &s = host.settings();
    m_header = dialogCheckBox(QStringLiteral("Print Header"), "printHeader", s.printHeader, this);
    m_footer = dialogCheckBox(QStringLiteral("Print Footer"), "printFooter", s.printFooter, this);
    m_lineNumbers = dialogCheckBox(QStringLiteral("Print Line Numbers"), "printLineNumbers",
                                   s.printLineNumbers, this);
    auto *colours = new QGroupBox(QStringLiteral("Colors"), this);
    auto *coloursLayout = new QVBoxLayout(colours);
    // In PrintFormat order: 0 as on screen, 1 inverted, 2 black on white, 3 colours on white.
    static const char *const texts[4] = {"Same colors as the screen", "Inverted colors",
                                         "Black text on a white background",
                                         "Editor text colors on a white background"};
    auto *group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        m_formats[i] = new QRadioButton(QString::fromLatin1(texts[i]), colours);
        m_formats[i]->setObjectName(QStringLiteral("printFormat%1").arg(i));
        group->addButton(m_formats[i], i);
        coloursLayout->addWidget(m_formats[i]);
    }
    m_formats[s.printFormat >= 0 && s.printFormat < 4 ? s.printFormat : 0]->setChecked(true);
    for (QRadioButton *format : m_formats)
        watch(format);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addWidget(m_footer);
    layout->addWidget(m_lineNumbers);
    layout->addWidget(colours);
    layout->addStretch();
    watch(m_header);
    watch(m_footer);
    watch(m_lineNumbers);
}

void CPagePrint::apply()
{
    FrameSettings &s = m_host.settings();
    s.printHeader = m_header->isChecked();
    s.printFooter = m_footer->isChecked();
    s.printLineNumbers = m_lineNumbers->isChecked();
    for (int i = 0; i < 4; ++i) {
        if (m_formats[i]->isChecked())
            s.printFormat = i;
    }
}

} // namespace pw
