// CompareWin: the compare control, two synchronised panes over a comparison run in the background.
#pragma once

#include "compare/compareworker.h"

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QProgressBar;
class QSplitter;
class QTimer;

namespace pw {

namespace compare {
class ComparePane;
}

// The control a compare window shows under its header. Its hosts speak to it in the messages
// below, here typed methods; sendMessage() takes them by number.
//
// compare() starts the comparison on a worker thread and returns at once; a progress bar shows
// how far it is, and the result fills both panes: each file's lines side by side, a filler row
// facing a line the other file has alone, removed, added and changed rows coloured and the
// changed characters of changed rows marked. Scrolling and the caret of one pane carry over to
// the other. The summary line counts the differences; Next Difference (F8) and Previous
// Difference (Shift+F8) step through them. The unified diff goes to the request's scratch file.
// Destroying the control stops a comparison still running within milliseconds.
class CompareWin : public QWidget
{
    Q_OBJECT
public:
    // The message numbers of the control's contract.
    static constexpr unsigned CompareMessage = 3000; // wParam: the request {first, second, scratch}
    static constexpr unsigned HasSelectionMessage = 56001; // nonzero when something is selected
    static constexpr unsigned CopyMessage = 56002;
    static constexpr unsigned SelectAllMessage = 56003;
    // The child-window id hosts give the control.
    static constexpr int ControlId = 5005;

    struct Request
    {
        QString first;
        QString second;
        QString scratch; // receives the unified diff; may be empty
    };

    explicit CompareWin(QWidget *parent = nullptr);
    ~CompareWin() override;

    // The contract by number: CompareMessage needs request; unknown messages give 0.
    long sendMessage(unsigned message, const Request *request = nullptr);

    void compare(const Request &request);
    const Request &request() const { return m_request; }
    bool hasSelection() const;
    // Copies the active pane's selection as its file has it (no filler rows).
    void copy();
    void selectAll();

    // Moves both carets to the next or previous difference from the active pane's caret; false
    // when there is none in that direction.
    bool nextDifference();
    bool previousDifference();
    // The difference the carets were last moved to (0-based), if any.
    std::optional<int> currentDifference() const { return m_current; }
    int differenceCount() const;

    // Lines that differ only in their line break count as equal. Off by default; a change runs
    // the comparison again.
    bool ignoresLineEndings() const;
    void setIgnoreLineEndings(bool ignore);

    bool isRunning() const { return m_job != nullptr; }
    // The last comparison's outcome; null while none has finished.
    const compare::CompareOutcome *outcome() const { return m_outcome.get(); }
    QString summary() const;
    compare::ComparePane *pane(diff::Side side) const;
    compare::ComparePane *activePane() const { return m_active; }
    void setActivePane(diff::Side side);
    // Next, previous and the line-ending option, for the host's context menu.
    QList<QAction *> menuActions() const;
    void setTextFont(const QFont &font);

signals:
    // The right button was pressed over a pane.
    void contextMenuRequested(const QPoint &globalPos);
    // A comparison finished and its result is shown.
    void finished();

private:
    void start();
    void showOutcome(std::shared_ptr<compare::CompareOutcome> outcome);
    void showBinary(const compare::CompareOutcome &outcome);
    void goToDifference(int hunk);
    void syncScroll(compare::ComparePane *from);
    void syncCaret(compare::ComparePane *from);
    void updateSummary();
    void updateActions();

    compare::ComparePane *m_first;
    compare::ComparePane *m_second;
    compare::ComparePane *m_active;
    QLabel *m_summary;
    QProgressBar *m_progress;
    QCheckBox *m_ignoreBox;
    QAction *m_next;
    QAction *m_previous;
    QAction *m_ignoreAction;
    QTimer *m_progressTimer;

    Request m_request;
    std::unique_ptr<compare::CompareJob> m_job;
    int m_jobNumber = 0; // tells a stale result of a replaced job from the current one
    std::shared_ptr<compare::CompareOutcome> m_outcome;
    std::optional<int> m_current;
    bool m_syncing = false;
};

} // namespace pw
