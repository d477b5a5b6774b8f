// CompareWin: the worker's result in two panes that move together, the summary and navigation.
#include "compare/comparewin.h"

#include "compare/comparepane.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace pw {

using compare::CompareJob;
using compare::CompareOutcome;
using compare::ComparePane;

namespace {

// Rows kept above a difference stepped to, so its context shows.
constexpr int ContextRows = 3;

QString plural(qint64 count, const char *one, const char *many)
{
    return QStringLiteral("%L1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString countsText(const diff::DiffCounts &counts)
{
    return QStringLiteral("%1 changed, %L2 removed, %L3 added")
        .arg(plural(counts.changedLines, "line", "lines"))
        .arg(counts.removedLines)
        .arg(counts.addedLines);
}

// "Binary file, N bytes", and the 16-byte line of the first difference with the differing byte
// in brackets.
QByteArray binaryPaneText(const diff::ComparedFile &file, const CompareOutcome &outcome)
{
    QString text = QDir::toNativeSeparators(file.path) + QLatin1Char('\n') +
                   QStringLiteral("Binary file, %1\n").arg(plural(file.size, "byte", "bytes"));
    const std::optional<std::int64_t> at = outcome.comparison.firstDifference;
    if (at) {
        const QByteArray &bytes =
            &file == &outcome.comparison.first ? outcome.firstWindow : outcome.secondWindow;
        QString line = QStringLiteral("%1:").arg(outcome.windowOffset, 8, 16, QLatin1Char('0'));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const QString hex = QStringLiteral("%1").arg(quint8(bytes[i]), 2, 16, QLatin1Char('0'));
            line += outcome.windowOffset + i == *at ? QStringLiteral(" [%1]").arg(hex)
                                                    : QLatin1Char(' ') + hex;
        }
        if (outcome.windowOffset + bytes.size() <= *at)
            line += QStringLiteral(" (the file ends here)");
        text += line + QLatin1Char('\n');
    }
    return text.toUtf8();
}

} // namespace

CompareWin::CompareWin(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CompareWin"));
    setWindowTitle(QStringLiteral("CompareWin"));
    m_first = new ComparePane(diff::Side::First, this);
    m_second = new ComparePane(diff::Side::Second, this);
    m_active = m_first;
    setFocusProxy(m_first);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("CompareSummary"));
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long summary is cut at the window's edge rather than widening the window.
    m_summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(200);
    m_progress->hide();
    m_ignoreBox = new QCheckBox(QStringLiteral("Ignore line endings"), this);
    m_ignoreBox->setFocusPolicy(Qt::ClickFocus);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(m_summary, 1);
    bar->addWidget(m_progress);
    bar->addWidget(m_ignoreBox);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_first);
    splitter->addWidget(m_second);
    splitter->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);

    m_next = new QAction(QStringLiteral("Next Difference"), this);
    m_next->setShortcut(QKeySequence(Qt::Key_F8));
    m_previous = new QAction(QStringLiteral("Previous Difference"), this);
    m_previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
    m_ignoreAction = new QAction(QStringLiteral("Ignore Line Endings"), this);
    m_ignoreAction->setCheckable(true);
    for (QAction *action : {m_next, m_previous, m_ignoreAction}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
    connect(m_next, &QAction::triggered, this, [this] { nextDifference(); });
    connect(m_previous, &QAction::triggered, this, [this] { previousDifference(); });
    connect(m_ignoreAction, &QAction::toggled, this, &CompareWin::setIgnoreLineEndings);
    connect(m_ignoreBox, &QCheckBox::toggled, this, &CompareWin::setIgnoreLineEndings);

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        if (m_job)
            m_progress->setValue(m_job->permille());
    });

    for (ComparePane *pane : {m_first, m_second}) {
        connect(pane, &QsciScintillaBase::SCN_UPDATEUI, this, [this, pane](int updated) {
            if (updated & (Sci::SC_UPDATE_V_SCROLL | Sci::SC_UPDATE_H_SCROLL))
                syncScroll(pane);
            if (updated & Sci::SC_UPDATE_SELECTION)
                syncCaret(pane);
        });
        connect(pane, &ComparePane::focused, this, [this, pane] { m_active = pane; });
        connect(pane, &CMFCScintilla::contextMenuRequested, this, [this, pane](const QPoint &at) {
            m_active = pane;
            emit contextMenuRequested(at);
        });
        connect(pane, &ComparePane::copyKey, this, &CompareWin::copy);
        connect(pane, &ComparePane::selectAllKey, this, &CompareWin::selectAll);
    }
    updateActions();
}

CompareWin::~CompareWin()
{
    // Before the panes go: the worker stops within milliseconds and reports nothing.
    m_job.reset();
}

long CompareWin::sendMessage(unsigned message, const Request *request)
{
    switch (message) {
    case CompareMessage:
        if (request)
            compare(*request);
        return 0;
    case HasSelectionMessage:
        return hasSelection() ? 1 : 0;
    case CopyMessage:
        copy();
        return 0;
    case SelectAllMessage:
        selectAll();
        return 0;
    default:
        return 0;
    }
}

ComparePane *CompareWin::pane(diff::Side side) const
{
    return side == diff::Side::First ? m_first : m_second;
}

void CompareWin::setActivePane(diff::Side side)
{
    m_active = pane(side);
}

QList<QAction *> CompareWin::menuActions() const
{
    return {m_next, m_previous, m_ignoreAction};
}

void CompareWin::setTextFont(const QFont &font)
{
    m_first->setTextFont(font);
    m_second->setTextFont(font);
}

void CompareWin::compare(const Request &request)
{
    m_request = request;
    start();
}

void CompareWin::start()
{
    m_job.reset();
    m_outcome.reset();
    m_current.reset();
    m_first->showPlainText({});
    m_second->showPlainText({});
    const int number = ++m_jobNumber;
    diff::DiffOptions options;
    // Rows must be the component's lines, and the component also ends a line at a lone CR.
    options.lineSplit = diff::LineSplit::AnyBreak;
    options.ignoreLineEndings = ignoresLineEndings();
    m_progress->setValue(0);
    m_progress->show();
    m_progressTimer->start();
    m_summary->setText(QStringLiteral("Comparing %1 with %2...")
                           .arg(QDir::toNativeSeparators(m_request.first),
                                QDir::toNativeSeparators(m_request.second)));
    // The job is joined before this window goes, so the posted call never outlives it; a
    // result of a job replaced meanwhile is recognised by its number and dropped.
    m_job = std::make_unique<CompareJob>(
        m_request.first, m_request.second, m_request.scratch, options,
        [this, number](std::shared_ptr<CompareOutcome> outcome) {
            QMetaObject::invokeMethod(
                this,
                [this, number, outcome = std::move(outcome)]() mutable {
                    if (number == m_jobNumber)
                        showOutcome(std::move(outcome));
                },
                Qt::QueuedConnection);
        });
    updateActions();
}

void CompareWin::showOutcome(std::shared_ptr<CompareOutcome> outcome)
{
    m_job.reset();
    m_progressTimer->stop();
    m_progress->hide();
    m_outcome = std::move(outcome);
    const diff::FileComparison &comparison = m_outcome->comparison;
    switch (comparison.status) {
    case diff::CompareStatus::Compared:
        m_first->showComparison(comparison.first.text, comparison.diff, *m_outcome->layout);
        m_second->showComparison(comparison.second.text, comparison.diff, *m_outcome->layout);
        break;
    case diff::CompareStatus::Binary:
        showBinary(*m_outcome);
        break;
    case diff::CompareStatus::Failed:
        pane(comparison.failedSide)->showPlainText(comparison.error.toUtf8());
        break;
    case diff::CompareStatus::Cancelled:
        break;
    }
    if (differenceCount() > 0)
        goToDifference(0);
    updateSummary();
    updateActions();
    emit finished();
}

void CompareWin::showBinary(const CompareOutcome &outcome)
{
    m_first->showPlainText(binaryPaneText(outcome.comparison.first, outcome));
    m_second->showPlainText(binaryPaneText(outcome.comparison.second, outcome));
}

int CompareWin::differenceCount() const
{
    return m_outcome && m_outcome->layout ? m_outcome->layout->hunkCount() : 0;
}

QString CompareWin::summary() const
{
    return m_summary->text();
}

void CompareWin::updateSummary()
{
    if (!m_outcome)
        return;
    const diff::FileComparison &comparison = m_outcome->comparison;
    QString text;
    switch (comparison.status) {
    case diff::CompareStatus::Failed:
        text = comparison.error;
        break;
    case diff::CompareStatus::Cancelled:
        text = QStringLiteral("The comparison was stopped.");
        break;
    case diff::CompareStatus::Binary:
        if (!comparison.firstDifference) {
            text = QStringLiteral("The binary files have no differences.");
        } else {
            text = QStringLiteral("The binary files differ from byte %L1 (0x%2) on; they hold "
                                  "%3 and %4.")
                       .arg(*comparison.firstDifference)
                       .arg(*comparison.firstDifference, 0, 16)
                       .arg(plural(comparison.first.size, "byte", "bytes"),
                            plural(comparison.second.size, "byte", "bytes"));
        }
        break;
    case diff::CompareStatus::Compared:
        if (comparison.diff.identical()) {
            text = ignoresLineEndings()
                       ? QStringLiteral("The files have no differences (line endings ignored).")
                       : QStringLiteral("The files have no differences.");
        } else if (m_current) {
            text = QStringLiteral("Difference %L1 of %L2: %3")
                       .arg(*m_current + 1)
                       .arg(differenceCount())
                       .arg(countsText(comparison.diff.counts));
        } else {
            text = plural(differenceCount(), "difference", "differences") + QStringLiteral(": ") +
                   countsText(comparison.diff.counts);
        }
        break;
    }
    if (!m_outcome->scratchError.isEmpty())
        text += QStringLiteral(" The unified diff could not be written: %1")
                    .arg(m_outcome->scratchError);
    m_summary->setText(text);
}

void CompareWin::updateActions()
{
    const bool any = differenceCount() > 0;
    m_next->setEnabled(any);
    m_previous->setEnabled(any);
}

bool CompareWin::nextDifference()
{
    if (differenceCount() == 0)
        return false;
    const std::optional<int> hunk = m_outcome->layout->nextHunk(m_active->caretRow());
    if (!hunk)
        return false;
    goToDifference(*hunk);
    return true;
}

bool CompareWin::previousDifference()
{
    if (differenceCount() == 0)
        return false;
    const std::optional<int> hunk = m_outcome->layout->previousHunk(m_active->caretRow());
    if (!hunk)
        return false;
    goToDifference(*hunk);
    return true;
}

void CompareWin::goToDifference(int hunk)
{
    const diff::SideBySideLayout &layout = *m_outcome->layout;
    const int row = layout.hunkRow(hunk);
    m_current = hunk;
    m_syncing = true;
    const long firstShown = m_active->send(Sci::SCI_GETFIRSTVISIBLELINE);
    const long screen = std::max(1L, m_active->send(Sci::SCI_LINESONSCREEN));
    const bool shown =
        row >= firstShown &&
        row + std::min<long>(layout.hunkRows(hunk), screen / 2) <= firstShown + screen;
    for (ComparePane *pane : {m_first, m_second}) {
        pane->placeCaret(row, 0);
        pane->markCurrentRow(row);
        if (!shown) {
            pane->send(Sci::SCI_SETFIRSTVISIBLELINE, std::max(0, row - ContextRows));
            pane->send(Sci::SCI_SETXOFFSET, 0);
        }
    }
    m_syncing = false;
    updateSummary();
}

void CompareWin::syncScroll(ComparePane *from)
{
    if (m_syncing)
        return;
    ComparePane *other = from == m_first ? m_second : m_first;
    m_syncing = true;
    const long line = from->send(Sci::SCI_GETFIRSTVISIBLELINE);
    if (other->send(Sci::SCI_GETFIRSTVISIBLELINE) != line)
        other->send(Sci::SCI_SETFIRSTVISIBLELINE, line);
    const long x = from->send(Sci::SCI_GETXOFFSET);
    if (other->send(Sci::SCI_GETXOFFSET) != x)
        other->send(Sci::SCI_SETXOFFSET, x);
    m_syncing = false;
}

// The pane the user works in leads; the other follows without taking a selection.
void CompareWin::syncCaret(ComparePane *from)
{
    if (m_syncing || from != m_active)
        return;
    ComparePane *other = from == m_first ? m_second : m_first;
    const int row = from->caretRow();
    m_syncing = true;
    if (other->caretRow() != row || other->caretColumn() != from->caretColumn())
        other->placeCaret(row, from->caretColumn());
    m_syncing = false;
    if (m_outcome && m_outcome->layout && row < m_outcome->layout->rowCount()) {
        const std::optional<int> hunk = m_outcome->layout->hunkAt(row);
        if (hunk && hunk != m_current) {
            m_current = hunk;
            for (ComparePane *pane : {m_first, m_second})
                pane->markCurrentRow(m_outcome->layout->hunkRow(*hunk));
            updateSummary();
        }
    }
}

bool CompareWin::hasSelection() const
{
    return m_active->send(Sci::SCI_GETSELECTIONEMPTY) == 0;
}

void CompareWin::copy()
{
    const QByteArray text = m_active->selectedSourceText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
}

void CompareWin::selectAll()
{
    m_active->selectAll();
}

bool CompareWin::ignoresLineEndings() const
{
    return m_ignoreBox->isChecked();
}

void CompareWin::setIgnoreLineEndings(bool ignore)
{
    const bool changed =
        m_ignoreAction->isChecked() != ignore || m_ignoreBox->isChecked() != ignore;
    {
        const QSignalBlocker quietAction(m_ignoreAction);
        const QSignalBlocker quietBox(m_ignoreBox);
        m_ignoreAction->setChecked(ignore);
        m_ignoreBox->setChecked(ignore);
    }
    // A toggle of the box or the action arrives with that one already set, the other not.
    if (changed && !m_request.first.isEmpty())
        start();
}

} // namespace pw
