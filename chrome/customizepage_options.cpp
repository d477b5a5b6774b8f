// The Options page of the customise dialog: icon size and tooltips.
#include "chrome/commandbars.h"
#include "chrome/customizepage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace pw {

using namespace customize;

namespace {

class OptionsPage : public CustomizePage
{
public:
    OptionsPage(CommandBars *bars, QWidget *parent) : CustomizePage(bars, parent)
    {
        m_large = new QCheckBox(QStringLiteral("&Large icons"), this);
        m_large->setObjectName(QStringLiteral("largeIcons"));
        m_tips = new QCheckBox(QStringLiteral("Show &ScreenTips on toolbars"), this);
        m_tips->setObjectName(QStringLiteral("showToolTips"));
        m_keys = new QCheckBox(QStringLiteral("Show shortcut &keys in ScreenTips"), this);
        m_keys->setObjectName(QStringLiteral("shortcutsInToolTips"));
        auto *group = new QGroupBox(QStringLiteral("Toolbars"), this);
        auto *inner = new QVBoxLayout(group);
        inner->addWidget(m_large);
        inner->addWidget(m_tips);
        auto *indented = new QHBoxLayout;
        indented->addSpacing(20);
        indented->addWidget(m_keys);
        inner->addLayout(indented);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addStretch();

        connect(m_large, &QCheckBox::toggled, this,
                [this](bool on) { apply([&] { m_bars->chooseLargeIcons(on); }); });
        connect(m_tips, &QCheckBox::toggled, this,
                [this](bool on) { apply([&] { m_bars->setShowToolTips(on); }); });
        connect(m_keys, &QCheckBox::toggled, this,
                [this](bool on) { apply([&] { m_bars->setShortcutsInToolTips(on); }); });
        refresh();
    }

    void refresh() override
    {
        const QSignalBlocker b1(m_large);
        const QSignalBlocker b2(m_tips);
        const QSignalBlocker b3(m_keys);
        m_large->setChecked(m_bars->largeIcons());
        m_tips->setChecked(m_bars->showToolTips());
        m_keys->setChecked(m_bars->shortcutsInToolTips());
        m_keys->setEnabled(m_bars->showToolTips());
    }

private:
    QCheckBox *m_large;
    QCheckBox *m_tips;
    QCheckBox *m_keys;
};

} // namespace

CustomizePage *makeOptionsPage(CommandBars *bars, QWidget *parent)
{
    return new OptionsPage(bars, parent);
}

} // namespace pw
