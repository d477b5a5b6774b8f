// CSolutionBarOpenFiles: refilled whenever a window opens, closes or changes its title.
#include "explorers/solutionbaropenfiles.h"

#include "framework/document.h"

#include <QApplication>

namespace pw {

namespace {
constexpr int FrameRole = Qt::UserRole;
}

CSolutionBarOpenFiles::CSolutionBarOpenFiles(FrameLister frames, FrameActivator activate,
                                             QWidget *parent)
    : QListWidget(parent), m_frames(std::move(frames)), m_activate(std::move(activate))
{
    setObjectName(QStringLiteral("CSolutionBarOpenFiles"));
    setSortingEnabled(true);
    setFont(QApplication::font());
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_refilling && currentRow() >= 0)
            choose(currentRow());
    });
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *entry) { choose(row(entry)); });
}

void CSolutionBarOpenFiles::refill(CMDIChildFrame *excluded)
{
    m_refilling = true;
    clear();
    const QList<CMDIChildFrame *> frames = m_frames();
    for (auto it = frames.crbegin(); it != frames.crend(); ++it) {
        CMDIChildFrame *frame = *it;
        if (frame == excluded)
            continue;
        QString title = frame->windowTitle();
        if (title.isEmpty() && frame->document())
            title = frame->document()->title();
        auto *entry = new QListWidgetItem(title);
        entry->setData(FrameRole, QVariant::fromValue(quintptr(frame)));
        addItem(entry);
    }
    m_refilling = false;
}

void CSolutionBarOpenFiles::choose(int row)
{
    const QListWidgetItem *entry = item(row);
    if (!entry)
        return;
    // The entry holds the window's address; it counts only while that window is still open.
    const quintptr key = entry->data(FrameRole).value<quintptr>();
    CMDIChildFrame *frame = nullptr;
    for (CMDIChildFrame *open : m_frames()) {
        if (quintptr(open) == key)
            frame = open;
    }
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    m_activate(frame);
}

} // namespace pw
