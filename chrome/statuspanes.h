// StatusPanes: the status bar's text panes, its progress bar and the Stop control of long runs.
#pragma once

#include "framework/host.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <memory>
#include <vector>

class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;

namespace pw {

class StatusPanes : public QObject
{
    Q_OBJECT
public:
    static constexpr int TextPaneCount = 6;

    // Fills bar with the message pane, the caret position, INS, CAP, NUM, SCRL and the progress
    // bar with its Stop button (hidden until a run that can be stopped starts).
    explicit StatusPanes(QStatusBar *bar);
    ~StatusPanes() override;

    void setText(StatusPane pane, const QString &text);
    QString text(StatusPane pane) const;
    QProgressBar *progressBar() const { return m_progress; }
    QToolButton *stopButton() const { return m_stop; }

    // One run at a time reports; a run started while another reports shares the bar and ends
    // with it. While a stoppable run reports, its step() keeps the window painting and lets
    // Escape or the Stop button through, and nothing else the user does.
    std::unique_ptr<Progress> startProgress(qint64 total, bool stoppable);
    // Work on other threads (file loads): the bar shows their sum and Stop asks all of them to
    // stop; nothing the user does is held back meanwhile.
    std::unique_ptr<Progress> startBackgroundProgress(qint64 total);
    bool isRunning() const { return m_depth > 0; }
    // Asks the running run to stop, as Escape and the Stop button do.
    void requestStop();

    // The CAP, NUM and SCRL panes follow the lock keys where the platform tells their state.
    void refreshLockKeys();

private:
    class Run;
    class BackgroundRun;
    friend class Run;
    friend class BackgroundRun;
    void showBackground();
    void stepRun(qint64 done);
    void endRun();
    bool eventFilter(QObject *watched, QEvent *event) override;

    QStatusBar *m_bar;
    std::array<QLabel *, TextPaneCount> m_panes{};
    QProgressBar *m_progress = nullptr;
    QToolButton *m_stop = nullptr;
    int m_depth = 0;
    qint64 m_total = 0;
    qint64 m_scale = 1;
    bool m_stoppable = false;
    bool m_stopRequested = false;
    qint64 m_lastEventsMs = 0;
    std::vector<BackgroundRun *> m_background;
};

} // namespace pw
