// The Presentation page of the customise dialog: the theme and semi-transparent dialogs.
#include "chrome/commandbars.h"
#include "chrome/customizepage.h"
#include "chrome/themes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

using namespace customize;

namespace {

class PresentationPage : public CustomizePage
{
public:
    PresentationPage(CommandBars *bars, QWidget *parent) : CustomizePage(bars, parent)
    {
        m_theme = new QComboBox(this);
        m_theme->setObjectName(QStringLiteral("themeChoice"));
        for (int id = kThemeFirst; id <= kThemeLast; ++id)
            m_theme->addItem(themeName(id), id);
        m_transparent = new QCheckBox(
            QStringLiteral("Make dialog windows semi-transparent.  This will help you to see the "
                           "document when a dialog is open."),
            this);
        m_transparent->setObjectName(QStringLiteral("transparentDialogs"));
        m_percent = new QSlider(Qt::Horizontal, this);
        m_percent->setObjectName(QStringLiteral("transparentPercent"));
        m_percent->setRange(25, 100);
        m_percent->setPageStep(5);
        m_percentText = new QLabel(this);
        m_percentText->setMinimumWidth(
            m_percentText->fontMetrics().horizontalAdvance(QStringLiteral("100 %")));

        auto *form = new QFormLayout;
        form->addRow(QStringLiteral("Look && &Feel:"), m_theme);
        auto *percentRow = new QHBoxLayout;
        percentRow->addWidget(m_percent, 1);
        percentRow->addWidget(m_percentText);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addSpacing(12);
        layout->addWidget(m_transparent);
        auto *opacityCaption = new QLabel(QStringLiteral("&Opacity of dialogs:"), this);
        opacityCaption->setBuddy(m_percent);
        layout->addWidget(opacityCaption);
        layout->addLayout(percentRow);
        layout->addStretch();

        connect(m_theme, &QComboBox::currentIndexChanged, this, [this] { store(); });
        connect(m_transparent, &QCheckBox::toggled, this, [this] { store(); });
        connect(m_percent, &QSlider::valueChanged, this, [this] { store(); });
        refresh();
    }

    void refresh() override
    {
        const CommandBars::Presentation p = m_bars->presentation();
        const QSignalBlocker b1(m_theme);
        const QSignalBlocker b2(m_transparent);
        const QSignalBlocker b3(m_percent);
        const int index = m_theme->findData(isThemeId(p.theme) ? p.theme : kThemeDefault);
        m_theme->setCurrentIndex(index);
        m_transparent->setChecked(p.transparentDialogs);
        m_percent->setValue(std::clamp(p.transparentPercent, 25, 100));
        m_percent->setEnabled(p.transparentDialogs);
        m_percentText->setText(QStringLiteral("%1 %").arg(m_percent->value()));
    }

private:
    void store()
    {
        CommandBars::Presentation p;
        p.theme = m_theme->currentData().toInt();
        p.transparentDialogs = m_transparent->isChecked();
        p.transparentPercent = m_percent->value();
        apply([&] { m_bars->choosePresentation(p); });
    }

    QComboBox *m_theme;
    QCheckBox *m_transparent;
    QSlider *m_percent;
    QLabel *m_percentText;
};

} // namespace

CustomizePage *makePresentationPage(CommandBars *bars, QWidget *parent)
{
    return new PresentationPage(bars, parent);
}

} // namespace pw
