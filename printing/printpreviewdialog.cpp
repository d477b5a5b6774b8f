// CPrintPreviewDialog: one page image at a time, a page box that reaches every page counted so
// far, and the count itself in short slices on the window's thread with the status bar's bar.
#include "printing/printpreviewdialog.h"

#include "framework/host.h"
#include "framework/messages.h"
#include "printing/printjob.h"
#include "resources/stringids.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace pw {

namespace {
// Each slice of the count holds the window this long at most.
constexpr int SliceMs = 25;
constexpr qreal MinDpi = 24;
constexpr qreal MaxDpi = 300;
} // namespace

CPrintPreviewDialog::CPrintPreviewDialog(Host &host, std::unique_ptr<PrintJob> job,
                                         QWidget *parent)
    : QDialog(parent), m_host(host), m_job(std::move(job)), m_counter(new QTimer(this)),
      m_scroll(new QScrollArea(this)), m_pageView(new QLabel), m_pageBox(new QSpinBox(this)),
      m_countLabel(new QLabel(this)), m_stop(new QToolButton(this))
{
    setWindowTitle(resourceText(Str::PreviewTitle));
    auto *bar = new QHBoxLayout;
    const auto button = [this, bar](int textId, auto slot) {
        auto *b = new QToolButton(this);
        b->setText(resourceText(textId));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        connect(b, &QToolButton::clicked, this, slot);
        bar->addWidget(b);
        return b;
    };
    button(Str::PreviewPrint, [this] {
        m_printRequested = true;
        accept();
    });
    button(Str::PreviewFirst, [this] { showPage(1); });
    button(Str::PreviewPrevious, [this] { showPage(m_page); });
    bar->addWidget(m_pageBox);
    bar->addWidget(m_countLabel);
    button(Str::PreviewNext, [this] { showPage(m_page + 2); });
    button(Str::PreviewLast, [this] { showPage(knownPages()); });
    button(Str::PreviewZoomIn, [this] {
        m_dpi = std::min(MaxDpi, m_dpi * 1.25);
        render();
    });
    button(Str::PreviewZoomOut, [this] {
        m_dpi = std::max(MinDpi, m_dpi / 1.25);
        render();
    });
    m_stop->setText(resourceText(Str::PreviewStop));
    connect(m_stop, &QToolButton::clicked, this, &CPrintPreviewDialog::stopCounting);
    bar->addWidget(m_stop);
    bar->addStretch();
    button(Str::PreviewClose, [this] { reject(); });

    m_pageBox->setMinimum(1);
    m_pageBox->setKeyboardTracking(false);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) { showPage(page); });
    m_pageView->setAlignment(Qt::AlignCenter);
    m_scroll->setWidget(m_pageView);
    m_scroll->setWidgetResizable(true);
    m_scroll->setBackgroundRole(QPalette::Dark);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);
    resize(900, 1000);

    // The first page needs no count: it starts at the text's beginning.
    render();
    if (!m_job->pageStarts().complete()) {
        m_progress = m_host.startBackgroundProgress(std::max<qint64>(1, m_job->pageStarts().length()));
        connect(m_counter, &QTimer::timeout, this, &CPrintPreviewDialog::countSlice);
        m_counter->start(0);
    }
    updateControls();
}

CPrintPreviewDialog::~CPrintPreviewDialog() = default;

int CPrintPreviewDialog::knownPages() const
{
    return m_job->pageStarts().knownPages();
}

bool CPrintPreviewDialog::countComplete() const
{
    return m_job->pageStarts().complete();
}

void CPrintPreviewDialog::countSlice()
{
    const bool done = m_job->countPages(SliceMs);
    if (m_progress) {
        m_progress->step(m_job->pageStarts().reached());
        if (m_progress->stopRequested())
            m_stopped = true;
    }
    if (done || m_stopped) {
        m_counter->stop();
        m_progress.reset();
    }
    updateControls();
}

void CPrintPreviewDialog::stopCounting()
{
    m_stopped = true;
    m_counter->stop();
    m_progress.reset();
    updateControls();
}

bool CPrintPreviewDialog::showPage(int page)
{
    if (page < 1 || page > knownPages())
        return false;
    if (page - 1 != m_page) {
        m_page = page - 1;
        render();
    }
    updateControls();
    return true;
}

QImage CPrintPreviewDialog::shownPage() const
{
    return m_pageView->pixmap().toImage();
}

void CPrintPreviewDialog::render()
{
    m_pageView->setPixmap(QPixmap::fromImage(m_job->pageImage(m_page, m_dpi)));
}

void CPrintPreviewDialog::updateControls()
{
    const int known = knownPages();
    const QSignalBlocker block(m_pageBox);
    m_pageBox->setMaximum(known);
    m_pageBox->setValue(m_page + 1);
    const bool counting = !countComplete() && !m_stopped;
    m_countLabel->setText(resourceText(counting ? Str::PreviewCounting : Str::PreviewPageCount)
                              .replace(QLatin1String("%d"), QString::number(known)));
    m_stop->setEnabled(counting);
}

void CPrintPreviewDialog::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        showPage(m_page + 2);
        return;
    case Qt::Key_PageUp:
        showPage(m_page);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace pw
