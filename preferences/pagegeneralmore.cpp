// CPageGeneralMore: the desktop entry (acted on only when the box changed), undo reset, toolbar
// icon size and the look and feel, applied at once.
#include "preferences/pagegeneralmore.h"

#include "chrome/commandbars.h"
#include "chrome/dialogcontrols.h"
#include "chrome/themes.h"
#include "editor/editorhost.h"
#include "framework/messages.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"

#ifdef PENWRIGHT_WITH_DESKTOP
#include "desktop/engine/desktopentry.h"
#endif

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

namespace {

QString &dataHomeOverride()
{
    static QString folder;
    return folder;
}

#ifdef PENWRIGHT_WITH_DESKTOP
QString dataHome()
{
    return dataHomeOverride().isEmpty() ? desktop::defaultDataHome() : dataHomeOverride();
}
#endif

} // namespace

void CPageGeneralMore::setDataHomeForTesting(const QString &dataHome)
{
    dataHomeOverride() = dataHome;
}

CPageGeneralMore::CPageGeneralMore(EditorHost &host, CommandBars *bars, QWidget *parent)
    : CPropertyPage(parent), m_host(host), m_bars(bars)
{
    const FrameSettings &s = host.settings();
    auto *layout = new QVBoxLayout(this);

    auto *integration = new QGroupBox(QStringLiteral("Desktop Integration"), this);
    auto *integrationLayout = new QVBoxLayout(integration);
    m_desktop = dialogCheckBox(QStringLiteral("Show Penwright in the desktop's application menu"),
                               "desktopIntegration", false, integration);
    auto *explain = new QLabel(integration);
    explain->setWordWrap(true);
#ifdef PENWRIGHT_WITH_DESKTOP
    m_desktopAtStart = desktop::isDesktopEntryInstalled(dataHome());
    m_desktop->setChecked(m_desktopAtStart);
    explain->setText(resourceText(Str::DesktopIntegrationExplain));
#else
    m_desktop->setEnabled(false);
    explain->setText(resourceText(Str::DesktopIntegrationUnavailable));
#endif
    integrationLayout->addWidget(m_desktop);
    integrationLayout->addWidget(explain);
    layout->addWidget(integration);

    m_resetUndo = dialogCheckBox(QStringLiteral("Reset undo history after saving a document."),
                                 "resetUndoOnSave", s.resetUndoOnSave, this);
    layout->addWidget(m_resetUndo);

    auto *icons = new QGroupBox(QStringLiteral("Toolbar"), this);
    auto *iconsLayout = new QVBoxLayout(icons);
    m_largeIcons = new QRadioButton(QStringLiteral("Large icons"), icons);
    m_largeIcons->setObjectName(QStringLiteral("largeIcons"));
    m_smallIcons = new QRadioButton(QStringLiteral("Small icons"), icons);
    m_smallIcons->setObjectName(QStringLiteral("smallIcons"));
    auto *iconGroup = new QButtonGroup(this);
    iconGroup->addButton(m_largeIcons);
    iconGroup->addButton(m_smallIcons);
    (s.largeTBIcons ? m_largeIcons : m_smallIcons)->setChecked(true);
    iconsLayout->addWidget(m_largeIcons);
    iconsLayout->addWidget(m_smallIcons);
    layout->addWidget(icons);

    m_theme = new QComboBox(this);
    m_theme->setObjectName(QStringLiteral("theme"));
    for (int id = kThemeFirst; id <= kThemeLast; ++id)
        m_theme->addItem(themeName(id), id);
    m_theme->setCurrentIndex((isThemeId(s.theme) ? s.theme : kThemeDefault) - kThemeFirst);
    auto *look = new QFormLayout;
    look->addRow(QStringLiteral("Look && Feel:"), m_theme);
    layout->addLayout(look);
    layout->addStretch();

    for (QWidget *control : {static_cast<QWidget *>(m_desktop), static_cast<QWidget *>(m_resetUndo),
                             static_cast<QWidget *>(m_largeIcons), static_cast<QWidget *>(m_theme)})
        watch(control);
}

void CPageGeneralMore::applyDesktopEntry()
{
#ifdef PENWRIGHT_WITH_DESKTOP
    const bool wanted = m_desktop->isChecked();
    if (wanted == m_desktopAtStart)
        return;
    QString error;
    const bool done =
        wanted ? desktop::installDesktopEntry(dataHome(), QCoreApplication::applicationFilePath(),
                                              &error)
               : desktop::removeDesktopEntry(dataHome(), &error);
    if (!done && !error.isEmpty())
        showMessage(window(), MessageIcon::Exclamation, error);
    // A second Apply does nothing: the box now shows what is there.
    m_desktopAtStart = desktop::isDesktopEntryInstalled(dataHome());
    if (m_desktop->isChecked() != m_desktopAtStart) {
        const QSignalBlocker quiet(m_desktop);
        m_desktop->setChecked(m_desktopAtStart);
    }
#endif
}

void CPageGeneralMore::apply()
{
    applyDesktopEntry();
    FrameSettings &s = m_host.settings();
    s.resetUndoOnSave = m_resetUndo->isChecked();
    s.largeTBIcons = m_largeIcons->isChecked();
    s.theme = kThemeFirst + std::max(0, m_theme->currentIndex());
    if (m_bars) {
        m_bars->chooseLargeIcons(s.largeTBIcons);
        m_bars->choosePresentation({s.theme, s.transparentDialogs, s.transparentPercent});
    }
    if (currentTheme() != s.theme)
        applyTheme(s.theme);
}

} // namespace pw
