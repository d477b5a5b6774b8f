// CMainFrame: view options for every text window, font, page setup, tabs, windows, navigation,
// help.
#include "app/mainframe.h"
#include "app/penwrightapp.h"
#include "app/workspace.h"
#include "editor/encoding/nativepath.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "editor/ridereframe.h"
#include "editor/ridereview.h"
#include "framework/commandrouter.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "settings/appfolders.h"
#include "settings/framesettings.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDialog>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QTabBar>
#include <QUrl>

namespace pw {

void CMainFrame::toggleViewSetting(bool FrameSettings::*field, void (CRidereView::*apply)(bool))
{
    const bool value = !(m_settings.get()->*field);
    m_settings.get()->*field = value;
    for (CRidereView *view : m_workspace->textViews())
        (view->*apply)(value);
}

void CMainFrame::registerViewCommands()
{
    struct Toggle
    {
        int id;
        bool FrameSettings::*field;
        void (CRidereView::*apply)(bool);
    };
    static const Toggle toggles[] = {
        {Cmd::ViewWordWrap, &FrameSettings::wordWrap, &CRidereView::applyWordWrap},
        {Cmd::ViewWhitespace, &FrameSettings::whitespace, &CRidereView::applyWhitespace},
        {Cmd::ViewLineEndings, &FrameSettings::lineEndings, &CRidereView::applyLineEndings},
        {Cmd::ViewCaretLine, &FrameSettings::caretLine, &CRidereView::applyCaretLine},
        {Cmd::ViewLineNumbers, &FrameSettings::lineNumbers, &CRidereView::applyLineNumbers},
        {Cmd::ViewRuler, &FrameSettings::rulers, &CRidereView::applyRuler},
        {Cmd::ViewCodeFolding, &FrameSettings::codeFolding, &CRidereView::applyFolding},
        {Cmd::ViewColumnSelect, &FrameSettings::blockSelect, &CRidereView::applyBlockSelect},
        {Cmd::ViewLongLineMarker, &FrameSettings::longLine, &CRidereView::applyLongLineMarker},
        {Cmd::ViewMatchBracket, &FrameSettings::matchBracket, &CRidereView::applyMatchBracket},
    };
    for (const Toggle &toggle : toggles) {
        onCommand(
            toggle.id, [this, toggle] { toggleViewSetting(toggle.field, toggle.apply); },
            [this, toggle](CommandUi &ui) {
                ui.checkable = true;
                ui.checked = m_settings.get()->*toggle.field;
            });
    }
    onCommand(Cmd::ViewFont, [this] { chooseFont(); });
    onCommand(Cmd::FilePageSetup, [this] { pageSetup(); });
}

void CMainFrame::chooseFont()
{
    FrameSettings &s = *m_settings;
    QFont font(s.fontStyle);
    font.setPointSize(std::max(1, s.fontSize));
    font.setWeight(s.fontBold ? QFont::Bold : QFont::Normal);
    font.setItalic(s.fontItalic);
    bool accepted = false;
    if (m_fontHook) {
        accepted = m_fontHook(font);
    } else {
        font = QFontDialog::getFont(&accepted, font, this, QStringLiteral("Font"),
                                    QFontDialog::MonospacedFonts | QFontDialog::ScalableFonts |
                                        QFontDialog::NonScalableFonts |
                                        QFontDialog::ProportionalFonts);
    }
    if (!accepted)
        return;
    s.fontStyle = font.family();
    s.fontItalic = font.italic();
    // Only a true bold weight counts as bold; semi-bold and heavier-than-normal do not.
    s.fontBold = font.weight() == QFont::Bold;
    s.fontSize = int(font.pointSizeF() * 10) / 10;
    for (CRidereView *view : m_workspace->textViews())
        view->applyFont();
}

void CMainFrame::pageSetup()
{
    const bool metric = m_settings->printMarginMetric;
    // The printer chosen here stays chosen for the next Page Setup and for printing.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    QPrinter &printer = *m_printer;
    // Margins are kept in hundredths of a millimetre (metric) or thousandths of an inch.
    const qreal toMm = metric ? 0.01 : 0.0254;
    printer.setPageMargins(QMarginsF(m_printMargins.left() * toMm, m_printMargins.top() * toMm,
                                     m_printMargins.right() * toMm, m_printMargins.bottom() * toMm),
                           QPageLayout::Millimeter);
    if (m_pageSetupHook) {
        if (!m_pageSetupHook(printer))
            return;
    } else {
        QPageSetupDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    const QMarginsF mm = printer.pageLayout().margins(QPageLayout::Millimeter);
    m_printMargins =
        QMarginsF(mm.left() / toMm, mm.top() / toMm, mm.right() / toMm, mm.bottom() / toMm);
}

void CMainFrame::showTabContextMenu(const QPoint &globalPos)
{
    QMenu *menu = m_router->buildPopupMenu(142, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void CMainFrame::registerWindowCommands()
{
    onCommand(
        Cmd::ToggleTabs,
        [this] {
            m_workspace->setTabsShown(!m_workspace->tabsShown());
            m_settings->mdiTabsActive = m_workspace->tabsShown();
        },
        [this](CommandUi &ui) {
            ui.text = resourceText(m_workspace->tabsShown() ? Str::HideTabs : Str::ShowTabs);
        });
    static const std::pair<int, QTabWidget::TabPosition> aligns[] = {
        {Cmd::TabsAlignLeft, QTabWidget::West},
        {Cmd::TabsAlignRight, QTabWidget::East},
        {Cmd::TabsAlignTop, QTabWidget::North},
        {Cmd::TabsAlignBottom, QTabWidget::South},
    };
    for (const auto &[id, position] : aligns) {
        const QTabWidget::TabPosition where = position;
        onCommand(
            id, [this, where] { m_workspace->setTabPosition(where); },
            [this, where](CommandUi &ui) {
                ui.enabled = m_workspace->tabsShown();
                ui.checkable = true;
                ui.checked = m_workspace->tabPosition() == where;
            });
    }
    const auto whenTabsHidden = [this](CommandUi &ui) { ui.enabled = !m_workspace->tabsShown(); };
    onCommand(
        Cmd::WindowCascade, [this] { m_workspace->area()->cascadeSubWindows(); }, whenTabsHidden);
    onCommand(
        Cmd::WindowTile, [this] { m_workspace->area()->tileSubWindows(); }, whenTabsHidden);
    onCommand(
        Cmd::WindowArrange, [this] { m_workspace->arrangeMinimized(); }, whenTabsHidden);
    onCommand(
        Cmd::CloseAllButActive, [this] { m_workspace->closeAllButActive(); },
        [this](CommandUi &ui) { ui.enabled = m_workspace->documentFrames().size() > 1; });
    onCommand(
        Cmd::NavigateBackward, [this] { navigate(true); },
        [this](CommandUi &ui) { ui.enabled = m_navigation.canGoBack(); });
    onCommand(
        Cmd::NavigateForward, [this] { navigate(false); },
        [this](CommandUi &ui) { ui.enabled = m_navigation.canGoForward(); });
}

void CMainFrame::navigate(bool backward)
{
    const auto target = backward ? m_navigation.back() : m_navigation.forward();
    if (!target)
        return;
    for (CRidereView *view : m_workspace->textViews()) {
        if (view != target->view)
            continue;
        // Moving the caret adds to the history; keep the place the user stepped to current.
        const int current = m_navigation.current();
        m_workspace->activateFrame(static_cast<CMDIChildFrame *>(view->document()->frame()));
        view->gotoPosition(target->position);
        if (m_navigation.current() != current)
            m_navigation.back();
        return;
    }
}

void CMainFrame::registerHelpCommands()
{
    // The help page ships with the program; a section of it answers for an empty address, so
    // no command ever opens an address that leads nowhere.
    const auto openHelp = [](const QString &section) {
        const QString page = AppFolders::shippedFile(QStringLiteral("help/index.html"));
        if (!QFileInfo::exists(page))
            return;
        QUrl url = QUrl::fromLocalFile(page);
        url.setFragment(section);
        QDesktopServices::openUrl(url); // failures show nothing
    };
    const auto openAddress = [openHelp](const QString &address, const QString &section) {
        if (address.isEmpty())
            openHelp(section);
        else
            QDesktopServices::openUrl(QUrl(address));
    };
    onCommand(Cmd::CheckForUpdates, [openAddress] {
        openAddress(resourceText(Str::MakerWebSite), QStringLiteral("updates"));
    });
    onCommand(Cmd::OtherProducts, [this, openAddress] {
        openAddress(XmlSettingsStore(m_settingsFile).getString(settings::general::OtherProducts),
                    QStringLiteral("about"));
    });
    onCommand(Cmd::OpenUpdatePage, [this, openAddress] {
        openAddress(XmlSettingsStore(m_settingsFile).getString(settings::general::CheckForUpdates),
                    QStringLiteral("updates"));
    });
    for (int id : {Cmd::HelpTopics, Cmd::HelpContents, Cmd::HelpIndex, Cmd::HelpSearch})
        onCommand(id, [openHelp] { openHelp(QString()); });
}

void CMainFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent *event)
{
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            m_app->openWithAutomaticChoice(enc::pathFromLocalUrl(url));
    }
    event->acceptProposedAction();
}

} // namespace pw
