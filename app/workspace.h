// Workspace: the document windows in the main window's centre, shown as windows or as tabs.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTabWidget>

class QMdiArea;
class QMdiSubWindow;
class QTabBar;
class QWidget;

namespace pw {

class CDocument;
class CMDIChildFrame;
class CRidereView;

class Workspace : public QObject
{
    Q_OBJECT
public:
    // The area is made a child of window; the window places it as its central widget.
    explicit Workspace(QWidget *window);
    ~Workspace() override;

    QMdiArea *area() const { return m_area; }

    void addFrame(CMDIChildFrame *frame);
    // Open windows in the workspace's order, without those already closing.
    QList<CMDIChildFrame *> documentFrames() const;
    QList<CRidereView *> textViews() const;
    CMDIChildFrame *activeFrame() const;
    // A window already showing path is restored and activated; returns its document.
    CDocument *isAlreadyOpen(const QString &path);
    void activateFrame(CMDIChildFrame *frame);
    void closeAllButActive();
    // Lines the minimised windows up along the bottom edge, as icons are arranged.
    void arrangeMinimized();

    bool tabsShown() const { return m_tabsShown; }
    void setTabsShown(bool shown);
    QTabWidget::TabPosition tabPosition() const { return m_tabPosition; }
    void setTabPosition(QTabWidget::TabPosition position);
    QTabBar *tabBar() const;

signals:
    // Another window came forward, or the last one went.
    void activeFrameChanged();
    void frameTitleChanged();
    // A document window opened, closed or changed its title.
    void documentFramesChanged();
    // Sent as the frame is destroyed: view is only an address by then, never to be used.
    void frameRemoved(const void *view);
    // A right click on a document tab, whose window is already active.
    void tabContextMenuRequested(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onSubWindowActivated(QMdiSubWindow *window);

    QMdiArea *m_area = nullptr;
    bool m_tabsShown = false;
    QTabWidget::TabPosition m_tabPosition = QTabWidget::North;
    QPointer<QTabBar> m_watchedTabBar;
    // Held as a plain object: a frame being destroyed is no longer a frame.
    QPointer<QObject> m_lastActivated;
};

} // namespace pw
