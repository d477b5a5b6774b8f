// StatusPanes: text panes, the progress bar, and runs that keep the window alive while they work.
#include "chrome/statuspanes.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>
#include <climits>

namespace pw {

namespace {
// How often a stoppable run lets the window paint and the user reach Stop.
constexpr qint64 EventsEveryMs = 40;
} // namespace

class StatusPanes::Run : public Progress
{
public:
    explicit Run(StatusPanes *panes) : m_panes(panes) {}
    ~Run() override
    {
        if (m_panes)
            m_panes->endRun();
    }
    void step(qint64 done) override
    {
        if (m_panes)
            m_panes->stepRun(done);
    }
    bool stopRequested() const override { return m_panes && m_panes->m_stopRequested; }

private:
    QPointer<StatusPanes> m_panes;
};

class StatusPanes::BackgroundRun : public Progress
{
public:
    BackgroundRun(StatusPanes *panes, qint64 total) : m_panes(panes), m_total(std::max<qint64>(total, 1))
    {
        m_panes->m_background.push_back(this);
        m_panes->showBackground();
    }
    ~BackgroundRun() override
    {
        if (!m_panes)
            return;
        std::erase(m_panes->m_background, this);
        m_panes->showBackground();
    }
    void step(qint64 done) override
    {
        m_done = std::min(done, m_total);
        if (m_panes)
            m_panes->showBackground();
    }
    bool stopRequested() const override { return m_stop; }

    QPointer<StatusPanes> m_panes;
    qint64 m_total;
    qint64 m_done = 0;
    bool m_stop = false;
};

StatusPanes::StatusPanes(QStatusBar *bar) : QObject(bar), m_bar(bar)
{
    for (int pane = 0; pane < TextPaneCount; ++pane) {
        m_panes[pane] = new QLabel(bar);
        m_panes[pane]->setObjectName(QStringLiteral("StatusPane%1").arg(pane));
        if (pane == int(StatusPane::Message))
            bar->addWidget(m_panes[pane], 1);
        else
            bar->addPermanentWidget(m_panes[pane]);
    }
    m_panes[int(StatusPane::Position)]->setMinimumWidth(
        m_panes[0]->fontMetrics().horizontalAdvance(QStringLiteral("Ln 99999 Col 999")));

    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("StatusProgress"));
    m_progress->setFixedWidth(150);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    bar->addPermanentWidget(m_progress);
    m_stop = new QToolButton(bar);
    m_stop->setObjectName(QStringLiteral("StatusStop"));
    m_stop->setText(QStringLiteral("Stop"));
    m_stop->setToolTip(QStringLiteral("Stop the running command (Esc)"));
    m_stop->setAutoRaise(true);
    m_stop->hide();
    connect(m_stop, &QToolButton::clicked, this, &StatusPanes::requestStop);
    bar->addPermanentWidget(m_stop);
}

StatusPanes::~StatusPanes()
{
    for (BackgroundRun *run : m_background)
        run->m_panes = nullptr;
    if (m_depth > 0 && m_stoppable)
        qApp->removeEventFilter(this);
}

void StatusPanes::setText(StatusPane pane, const QString &text)
{
    if (QLabel *label = m_panes[std::size_t(pane)])
        label->setText(text);
}

QString StatusPanes::text(StatusPane pane) const
{
    const QLabel *label = m_panes[std::size_t(pane)];
    return label ? label->text() : QString();
}

void StatusPanes::refreshLockKeys()
{
    // Qt reports no lock-key state on any platform it runs on here, so the panes stay empty
    // rather than claiming a state they do not know.
    for (StatusPane pane : {StatusPane::Caps, StatusPane::Num, StatusPane::Scroll})
        setText(pane, QString());
}

std::unique_ptr<Progress> StatusPanes::startProgress(qint64 total, bool stoppable)
{
    if (m_depth++ == 0) {
        m_total = std::max<qint64>(total, 1);
        // The bar counts in int; larger totals are scaled down so files over 2 GiB still move it.
        m_scale = m_total / INT_MAX + 1;
        m_progress->setRange(0, int(m_total / m_scale));
        m_progress->setValue(0);
        m_stopRequested = false;
        m_stoppable = stoppable;
        m_lastEventsMs = QDateTime::currentMSecsSinceEpoch();
        if (stoppable) {
            m_stop->show();
            qApp->installEventFilter(this);
        }
    }
    return std::make_unique<Run>(this);
}

void StatusPanes::requestStop()
{
    if (m_depth > 0 && m_stoppable)
        m_stopRequested = true;
    else
        for (BackgroundRun *run : m_background)
            run->m_stop = true;
}

std::unique_ptr<Progress> StatusPanes::startBackgroundProgress(qint64 total)
{
    return std::make_unique<BackgroundRun>(this, total);
}

// While no run holds the UI thread, the bar shows the sum of the background runs.
void StatusPanes::showBackground()
{
    if (m_depth > 0)
        return;
    if (m_background.empty()) {
        m_stop->hide();
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
        return;
    }
    qint64 total = 0;
    qint64 done = 0;
    for (const BackgroundRun *run : m_background) {
        total += run->m_total;
        done += run->m_done;
    }
    const qint64 scale = total / INT_MAX + 1;
    m_progress->setRange(0, int(total / scale));
    m_progress->setValue(int(done / scale));
    m_stop->show();
}

void StatusPanes::stepRun(qint64 done)
{
    const int value = int(std::min(done, m_total) / m_scale);
    if (value != m_progress->value()) {
        m_progress->setValue(value);
        // The run holds the UI thread, so repaint the bar directly instead of waiting for events.
        if (m_progress->isVisible() && !m_stoppable)
            m_progress->repaint();
    }
    if (!m_stoppable)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastEventsMs < EventsEveryMs)
        return;
    m_lastEventsMs = now;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void StatusPanes::endRun()
{
    if (--m_depth > 0)
        return;
    if (m_stoppable) {
        qApp->removeEventFilter(this);
        m_stop->hide();
    }
    m_stoppable = false;
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    showBackground();
}

// While a stoppable run holds the UI thread, events are let through so the window paints, but
// nothing the user does may start another command or change the text under the run: only
// Escape and the Stop button count.
bool StatusPanes::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            requestStop();
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return watched != m_stop;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Close:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace pw
