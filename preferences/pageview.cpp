// CPageView: on apply the long line marker moves in every text window at once.
#include "preferences/pageview.h"

#include "chrome/commandbars.h"
#include "chrome/dialogcontrols.h"
#include "editor/editorhost.h"
#include "editor/ridereview.h"
#include "settings/framesettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QSlider>
#include <algorithm>

namespace pw {

CPageView::CPageView(EditorHost &host, CommandBars *bars, QWidget *parent)
    : CPropertyPage(parent), m_host(host), m_bars(bars)
{
    const FrameSettings &s = host.settings();
    m_longLinePos = new NumberEdit(prefs::LongLineRule, "longLinePos", s.longLinePos, this);
    m_transparent = dialogCheckBox(
        QStringLiteral("Make dialog windows semi-transparent.  This will help you to see the "
                       "document when a dialog is open."),
        "transparentDialogs", s.transparentDialogs, this);
    m_percent = new QSlider(Qt::Horizontal, this);
    m_percent->setObjectName(QStringLiteral("transparentPercent"));
    m_percent->setRange(25, 100);
    m_percent->setValue(std::clamp(s.transparentPercent, 25, 100));
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Long line column:"), m_longLinePos);
    layout->addRow(m_transparent);
    layout->addRow(QStringLiteral("Transparency:"), m_percent);
    // The percentage means something only while dialogs are semi-transparent.
    m_percent->setEnabled(m_transparent->isChecked());
    connect(m_transparent, &QCheckBox::toggled, m_percent, &QSlider::setEnabled);
    watch(m_longLinePos);
    watch(m_transparent);
    watch(m_percent);
}

void CPageView::apply()
{
    FrameSettings &s = m_host.settings();
    s.longLinePos = m_longLinePos->value();
    s.transparentDialogs = m_transparent->isChecked();
    s.transparentPercent = m_percent->value();
    if (m_bars)
        m_bars->choosePresentation({s.theme, s.transparentDialogs, s.transparentPercent});
    for (CRidereView *view : m_host.textViews())
        view->applyLongLine();
}

} // namespace pw
