// DockPanes: building the panes, showing and hiding them, and the layout file.
#include "app/dockpanes.h"

#include "framework/commandtarget.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/stringids.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QSettings>
#include <QVBoxLayout>

namespace pw {

namespace {
struct PaneSpec
{
    int id;
    int caption;
    Qt::DockWidgetArea area;
    int tabbedWith; // 0: starts its own group
};

// Project Explorer heads the left group, Tool Window the bottom group.
constexpr PaneSpec kPanes[] = {
    {Cmd::PaneProjectExplorer, Str::CaptionProjectExplorer, Qt::LeftDockWidgetArea, 0},
    {Cmd::PaneFileExplorer, Str::CaptionFileExplorer, Qt::LeftDockWidgetArea,
     Cmd::PaneProjectExplorer},
    {Cmd::PaneListExplorer, Str::CaptionListExplorer, Qt::LeftDockWidgetArea,
     Cmd::PaneProjectExplorer},
    {Cmd::PaneDocumentSelector, Str::CaptionDocumentSelector, Qt::LeftDockWidgetArea,
     Cmd::PaneProjectExplorer},
    {Cmd::PaneFunctionList, Str::CaptionFunctionList, Qt::RightDockWidgetArea, 0},
    {Cmd::PaneToolWindow, Str::CaptionToolWindow, Qt::BottomDockWidgetArea, 0},
    {Cmd::PaneFindInFiles, Str::CaptionFindInFiles, Qt::BottomDockWidgetArea, Cmd::PaneToolWindow},
};

// The layout file's format: our own key, with a version so a layout from another build of the
// program is ignored rather than misapplied.
constexpr int kLayoutVersion = 1;
const char kLayoutKey[] = "NormalLayout";
} // namespace

DockPanes::DockPanes(QMainWindow *window, QString layoutFile)
    : QObject(window), m_window(window), m_layoutFile(std::move(layoutFile))
{}

void DockPanes::create()
{
    m_window->setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks |
                             QMainWindow::AllowNestedDocks);
    for (const PaneSpec &paneSpec : kPanes) {
        auto *dock = new QDockWidget(resourceText(paneSpec.caption), m_window);
        // The object name keys the saved layout, so it is the pane id and never changes.
        dock->setObjectName(QStringLiteral("Pane%1").arg(paneSpec.id));
        auto *holder = new QWidget(dock);
        holder->setObjectName(QStringLiteral("PaneContent%1").arg(paneSpec.id));
        auto *layout = new QVBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        dock->setWidget(holder);
        dock->resize(200, 120);
        m_docks.insert(paneSpec.id, dock);
        if (paneSpec.tabbedWith)
            m_window->tabifyDockWidget(m_docks.value(paneSpec.tabbedWith), dock);
        else
            m_window->addDockWidget(paneSpec.area, dock);
        connect(dock, &QDockWidget::visibilityChanged, this, &DockPanes::visibilityChanged);
    }
    m_window->resizeDocks(
        {m_docks.value(Cmd::PaneProjectExplorer), m_docks.value(Cmd::PaneFunctionList)}, {200, 200},
        Qt::Horizontal);
    m_window->resizeDocks({m_docks.value(Cmd::PaneToolWindow)}, {120}, Qt::Vertical);
    m_docks.value(Cmd::PaneFileExplorer)->raise();
    restoreLayout();
}

void DockPanes::setPaneWidget(int paneId, QWidget *widget)
{
    QDockWidget *dock = m_docks.value(paneId);
    if (!dock)
        return;
    QWidget *holder = dock->widget();
    holder->layout()->addWidget(widget);
}

bool DockPanes::isPaneShown(int paneId) const
{
    const QDockWidget *dock = m_docks.value(paneId);
    return dock && !dock->isHidden();
}

void DockPanes::showPane(int paneId)
{
    if (QDockWidget *dock = m_docks.value(paneId)) {
        dock->show();
        dock->raise();
    }
}

void DockPanes::togglePane(int paneId)
{
    if (QDockWidget *dock = m_docks.value(paneId)) {
        if (dock->isHidden())
            showPane(paneId);
        else
            dock->close();
    }
}

void DockPanes::registerCommands(CommandTarget &target)
{
    for (const PaneSpec &paneSpec : kPanes) {
        const int id = paneSpec.id;
        target.onCommand(
            id, [this, id] { togglePane(id); },
            [this, id](CommandUi &ui) {
                ui.checkable = true;
                ui.checked = isPaneShown(id);
            });
    }
    target.onCommand(Cmd::ShowAllPanes, [this] {
        for (const PaneSpec &paneSpec : kPanes) {
            if (m_docks.value(paneSpec.id)->isHidden())
                m_docks.value(paneSpec.id)->show();
        }
    });
}

void DockPanes::saveLayout() const
{
    QSettings file(m_layoutFile, QSettings::IniFormat);
    file.setValue(QLatin1String(kLayoutKey), m_window->saveState(kLayoutVersion));
    file.sync();
}

void DockPanes::restoreLayout()
{
    QSettings file(m_layoutFile, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return;
    const QByteArray state = file.value(QLatin1String(kLayoutKey)).toByteArray();
    // A corrupt layout or one from another version leaves the default arrangement.
    if (!state.isEmpty())
        m_window->restoreState(state, kLayoutVersion);
}

} // namespace pw
