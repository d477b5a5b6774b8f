// CPageGeneral: copies the tab and caret-line settings in, and on apply out to every text window.
#include "preferences/pagegeneral.h"

#include "chrome/dialogcontrols.h"
#include "editor/editorhost.h"
#include "editor/ridereview.h"
#include "settings/framesettings.h"

#include <QCheckBox>
#include <algorithm>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace pw {

CPageGeneral::CPageGeneral(EditorHost &host, QWidget *parent)
    : CPropertyPage(parent), m_host(host)
{
    const FrameSettings &s = host.settings();
    m_tabsAsSpaces = dialogCheckBox(QStringLiteral("Tabs As Spaces"), "tabAsSpaces", s.tabAsSpaces,
                                    this);
    m_tabGuides = dialogCheckBox(QStringLiteral("Tab Guides"), "tabGuides", s.tabGuides, this);
    m_tabWidth = new NumberEdit(prefs::TabWidthRule, "tabWidth", s.tabWidth, this);
    m_caretLineColour = new ColourButton(QStringLiteral("Caret Line Color..."), "caretLineColour",
                                         this);
    m_caretLineColour->setColour(s.caretLineColour);
    m_transparency = new QSlider(Qt::Horizontal, this);
    m_transparency->setObjectName(QStringLiteral("caretLineTransparency"));
    m_transparency->setRange(0, 255);
    m_transparency->setValue(std::clamp(s.caretLineTransparency, 0, 255));
    m_rememberOpenFiles = dialogCheckBox(
        QStringLiteral("Remember open files and auto-open the next time Penwright starts."),
        "rememberOpenFiles", s.rememberOpenFiles, this);

    auto *tabs = new QGroupBox(QStringLiteral("Tabs"), this);
    auto *tabsLayout = new QFormLayout(tabs);
    tabsLayout->addRow(m_tabsAsSpaces);
    tabsLayout->addRow(m_tabGuides);
    tabsLayout->addRow(QStringLiteral("Tab Width:"), m_tabWidth);
    auto *caret = new QGroupBox(QStringLiteral("Caret Line"), this);
    auto *caretLayout = new QFormLayout(caret);
    caretLayout->addRow(m_caretLineColour);
    caretLayout->addRow(QStringLiteral("Transparency:"), m_transparency);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(caret);
    layout->addWidget(m_rememberOpenFiles);
    layout->addStretch();

    for (QWidget *control : {static_cast<QWidget *>(m_tabsAsSpaces),
                             static_cast<QWidget *>(m_tabGuides), static_cast<QWidget *>(m_tabWidth),
                             static_cast<QWidget *>(m_transparency),
                             static_cast<QWidget *>(m_rememberOpenFiles)})
        watch(control);
    connect(m_caretLineColour, &ColourButton::colourChosen, this, [this] { setModified(); });
}

void CPageGeneral::apply()
{
    FrameSettings &s = m_host.settings();
    s.caretLineColour = m_caretLineColour->colour();
    s.caretLineTransparency = m_transparency->value();
    s.tabAsSpaces = m_tabsAsSpaces->isChecked();
    s.tabGuides = m_tabGuides->isChecked();
    s.tabWidth = m_tabWidth->value();
    s.rememberOpenFiles = m_rememberOpenFiles->isChecked();
    for (CRidereView *view : m_host.textViews()) {
        view->applyTabs();
        view->applyCaretLine(s.caretLine);
    }
}

} // namespace pw
