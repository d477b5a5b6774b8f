// CMainFrame: the top-level window with its workspace, menus, status bar and window-wide commands.
#pragma once

#include "app/commandtarget.h"

#include <QMainWindow>
#include <QPointer>
#include <array>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QProgressBar;

namespace pw {

class CommandRouter;
class CMDIChildFrame;
class CDocument;
class PenwrightApp;
struct FrameSettings;

class CMainFrame : public QMainWindow, public CommandTarget
{
    Q_OBJECT
public:
    enum StatusPane {
        PaneMessage = 0,
        PanePosition,
        PaneInsert,
        PaneCaps,
        PaneNum,
        PaneScroll,
        PaneProgress,
        PaneCount
    };

    explicit CMainFrame(PenwrightApp *app);
    ~CMainFrame() override;

    // The window creation steps; false ends start-up.
    bool create();

    QMdiArea *mdiArea() const { return m_mdiArea; }
    CommandRouter *router() const { return m_router; }

    void setStatusText(int pane, const QString &text);
    QString statusText(int pane) const;
    // While active, the first call sets the range to 0..total and later calls set the position.
    void progress(bool active, qint64 total, qint64 done);
    QProgressBar *progressBar() const { return m_progress; }

    void addFrame(CMDIChildFrame *frame);
    QList<CMDIChildFrame *> documentFrames() const;
    CMDIChildFrame *activeFrame() const;
    // A window already showing path is restored and activated; returns its document.
    CDocument *isAlreadyOpen(const QString &path);
    void activateFrame(CMDIChildFrame *frame);

    // The in-memory copy of the preferences, loaded at creation and written back at close.
    FrameSettings &settings() const { return *m_settings; }
    QString settingsFile() const { return m_settingsFile; }
    QString layoutFile() const { return m_layoutFile; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::vector<CommandTarget *> commandChain() const;
    void onSubWindowActivated(QMdiSubWindow *window);
    void refreshTitle();
    void rebuildMenus();

    PenwrightApp *m_app;
    QMdiArea *m_mdiArea = nullptr;
    CommandRouter *m_router = nullptr;
    std::array<QLabel *, PaneCount> m_panes{};
    QProgressBar *m_progress = nullptr;
    qint64 m_progressTotal = 0;
    bool m_progressActive = false;
    int m_menuShown = 0;
    QPointer<CMDIChildFrame> m_titleSource;
    std::unique_ptr<FrameSettings> m_settings;
    QString m_settingsFile;
    QString m_layoutFile;
};

} // namespace pw
