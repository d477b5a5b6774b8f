// Workspace: adding, listing, finding and activating document windows; the tab row.
#include "app/workspace.h"

#include "editor/ridereframe.h"
#include "editor/ridereview.h"
#include "framework/document.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>

namespace pw {

namespace {
QString canonicalPath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}
} // namespace

Workspace::Workspace(QWidget *window) : QObject(window), m_area(new QMdiArea(window))
{
    m_area->setObjectName(QStringLiteral("Workspace"));
    m_area->setDocumentMode(true);
    m_area->setTabsClosable(true);
    m_area->setTabsMovable(true);
    connect(m_area, &QMdiArea::subWindowActivated, this, &Workspace::onSubWindowActivated);
}

Workspace::~Workspace()
{
    // The area may outlive us by a moment while the window goes; it must not call back.
    if (m_area)
        m_area->disconnect(this);
}

void Workspace::addFrame(CMDIChildFrame *frame)
{
    m_area->addSubWindow(frame);
    connect(frame->document(), &CDocument::titleChanged, this, &Workspace::frameTitleChanged);
    connect(frame->document(), &CDocument::titleChanged, this, &Workspace::documentFramesChanged);
    // The frame is half destroyed when the signal comes, so note its view now.
    const void *view = frame->viewWidget();
    connect(frame, &QObject::destroyed, this, [this, view] {
        emit frameRemoved(view);
        emit documentFramesChanged();
    });
    emit documentFramesChanged();
}

QList<CMDIChildFrame *> Workspace::documentFrames() const
{
    QList<CMDIChildFrame *> frames;
    for (QMdiSubWindow *window : m_area->subWindowList()) {
        auto *frame = qobject_cast<CMDIChildFrame *>(window);
        // A window closing with deferred deletion is gone for every purpose but memory.
        if (frame && !frame->property("closing").toBool())
            frames.append(frame);
    }
    return frames;
}

QList<CRidereView *> Workspace::textViews() const
{
    QList<CRidereView *> views;
    for (CMDIChildFrame *frame : documentFrames()) {
        if (auto *text = qobject_cast<CRidereFrame *>(frame))
            views.append(text->view());
    }
    return views;
}

CMDIChildFrame *Workspace::activeFrame() const
{
    // The active sub-window is null while the main window itself is inactive, which happens
    // under a bare X server or offscreen; the current one is still the user's document.
    QMdiSubWindow *window = m_area->activeSubWindow();
    if (!window)
        window = m_area->currentSubWindow();
    // In tabbed view the workspace keeps no current window until the main window has once been
    // active; the window last brought forward is then the user's document.
    if (!window) {
        // Asked by type, as the window may be part way through its destruction.
        auto *last = qobject_cast<QMdiSubWindow *>(m_lastActivated.data());
        if (last && m_area->subWindowList().contains(last))
            window = last;
    }
    auto *frame = qobject_cast<CMDIChildFrame *>(window);
    return frame && !frame->property("closing").toBool() ? frame : nullptr;
}

CDocument *Workspace::isAlreadyOpen(const QString &path)
{
    const QString wanted = canonicalPath(path);
    const Qt::CaseSensitivity cs =
#ifdef Q_OS_WIN
        Qt::CaseInsensitive;
#else
        Qt::CaseSensitive;
#endif
    for (CMDIChildFrame *frame : documentFrames()) {
        const QString open = frame->document()->pathName();
        if (!open.isEmpty() && canonicalPath(open).compare(wanted, cs) == 0) {
            activateFrame(frame);
            return frame->document();
        }
    }
    return nullptr;
}

void Workspace::activateFrame(CMDIChildFrame *frame)
{
    if (frame->isMinimized())
        frame->showNormal();
    m_area->setActiveSubWindow(frame);
    if (m_lastActivated != frame && !m_area->activeSubWindow()) {
        // The workspace activates nothing while it is inactive itself; menus, title and status
        // follow the window brought forward all the same.
        onSubWindowActivated(frame);
    }
    if (QWidget *view = frame->viewWidget())
        view->setFocus(Qt::OtherFocusReason);
}

void Workspace::onSubWindowActivated(QMdiSubWindow *window)
{
    if (auto *frame = qobject_cast<CMDIChildFrame *>(window))
        m_lastActivated = frame;
    emit activeFrameChanged();
}

void Workspace::closeAllButActive()
{
    CMDIChildFrame *active = activeFrame();
    for (CMDIChildFrame *frame : documentFrames()) {
        if (frame != active)
            frame->close(); // each asks about its own unsaved changes
    }
}

void Workspace::arrangeMinimized()
{
    int x = 0;
    const int bottom = m_area->viewport()->height();
    for (QMdiSubWindow *window : m_area->subWindowList()) {
        if (window->isMinimized()) {
            window->move(x, bottom - window->height());
            x += window->width();
        }
    }
}

QTabBar *Workspace::tabBar() const
{
    return m_tabsShown ? m_area->findChild<QTabBar *>() : nullptr;
}

void Workspace::setTabsShown(bool shown)
{
    m_tabsShown = shown;
    m_area->setViewMode(shown ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    if (!shown)
        return;
    m_area->setTabPosition(m_tabPosition);
    if (QTabBar *bar = tabBar(); bar && bar != m_watchedTabBar) {
        m_watchedTabBar = bar;
        bar->installEventFilter(this);
    }
    if (QMdiSubWindow *active = m_area->activeSubWindow(); active && !active->isMaximized())
        active->showMaximized();
}

void Workspace::setTabPosition(QTabWidget::TabPosition position)
{
    m_tabPosition = position;
    m_area->setTabPosition(position);
}

bool Workspace::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: while the bar is being destroyed its guard must not be read as a tab bar.
    if (event->type() == QEvent::ContextMenu && watched == m_watchedTabBar) {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        const int index = m_watchedTabBar->tabAt(menuEvent->pos());
        const QList<QMdiSubWindow *> windows = m_area->subWindowList();
        if (index >= 0 && index < windows.size()) {
            if (auto *frame = qobject_cast<CMDIChildFrame *>(windows.at(index)))
                activateFrame(frame);
            emit tabContextMenuRequested(menuEvent->globalPos());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pw
