// CSolutionBarProjectTree: lazy filling, renaming and moving of project entries by native path.
#include "explorers/solutionbarproject.h"
#include "explorers/engine/projecttree.h"
#include "explorers/listingrunner.h"
#include "explorers/treeshared.h"
#include "framework/messages.h"
#include "resources/stringids.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace pw {

using namespace explorers;

namespace {

const char kDragFormat[] = "application/x-penwright-project-item";
// A hovered folder opens after this long, so a drag can reach deep targets.
constexpr int kHoverExpandMs = 800;

// A folder's listing, handed from its thread to the tree.
struct FolderListing
{
    std::mutex lock;
    std::condition_variable ready;
    bool done = false;
    std::vector<ProjectEntry> entries;
};

ProjectEntry entryOf(const QTreeWidgetItem *item)
{
    return {item->text(0), CSolutionBarProjectTree::pathOf(item),
            CSolutionBarProjectTree::isFolder(item)};
}

} // namespace

CSolutionBarProjectTree::CSolutionBarProjectTree(QWidget *parent)
    : QTreeWidget(parent), m_listings(std::make_unique<ListingRunner>(this)),
      m_hoverTimer(new QTimer(this))
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setContextMenuPolicy(Qt::CustomContextMenu);
    m_hoverTimer->setSingleShot(true);
    m_hoverTimer->setInterval(kHoverExpandMs);
    connect(m_hoverTimer, &QTimer::timeout, this, [this] {
        if (m_hovered)
            m_hovered->setExpanded(true);
    });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (!item->data(0, FilledRole).toBool() && !isReading(item))
            fillFolder(item);
        item->setIcon(0, folderIcon(true));
    });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [](QTreeWidgetItem *item) { item->setIcon(0, folderIcon(false)); });
    connect(this, &QTreeWidget::itemChanged, this, &CSolutionBarProjectTree::onItemChanged);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { emit openRequested(item); });
}

QByteArray CSolutionBarProjectTree::pathOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, PathRole).toByteArray() : QByteArray();
}

bool CSolutionBarProjectTree::isFolder(const QTreeWidgetItem *item)
{
    return item && item->data(0, FolderRole).toBool();
}

void CSolutionBarProjectTree::setEntryData(QTreeWidgetItem *item, const QByteArray &path,
                                           bool folder)
{
    item->setData(0, PathRole, path);
    item->setData(0, FolderRole, folder);
    item->setData(0, FilledRole, false);
    item->setIcon(0, folder ? folderIcon(false) : fileIcon());
    item->setChildIndicatorPolicy(folder ? QTreeWidgetItem::ShowIndicator
                                         : QTreeWidgetItem::DontShowIndicator);
}

void CSolutionBarProjectTree::setRootFolder(const QString &folder)
{
    clear();
    if (folder.isEmpty())
        return;
    auto *item = new QTreeWidgetItem;
    item->setText(0, folder);
    setEntryData(item, nativePathOf(folder), true);
    addTopLevelItem(item);
    item->setExpanded(true);
}

CSolutionBarProjectTree::~CSolutionBarProjectTree() = default;

bool CSolutionBarProjectTree::isReading(const QTreeWidgetItem *item)
{
    return item && item->data(0, PendingRole).toULongLong() != 0;
}

void CSolutionBarProjectTree::fillFolder(QTreeWidgetItem *item)
{
    if (!item)
        return;
    // A folder that does not answer is asked once: every listing sent after it would hold
    // another of the pane's threads.
    const QByteArray path = pathOf(item);
    const quint64 waiting = item->data(0, PendingRole).toULongLong();
    if (waiting && m_late.value(waiting) == path)
        return;
    const quint64 serial = ++m_lastListing;
    {
        const QSignalBlocker quiet(this);
        item->setData(0, PendingRole, serial);
    }
    auto listing = std::make_shared<FolderListing>();
    m_listings->start(
        path,
        [listing, path] {
            std::vector<ProjectEntry> entries = listFolder(path);
            {
                std::lock_guard lock(listing->lock);
                listing->entries = std::move(entries);
                listing->done = true;
            }
            listing->ready.notify_all();
        },
        // A folder shown at once, refilled, renamed or removed meanwhile no longer waits for
        // this listing.
        [this, listing, serial] {
            if (!m_late.remove(serial))
                return;
            if (QTreeWidgetItem *folder = itemWaitingFor(serial))
                showEntries(folder, listing->entries);
        });
    {
        const WaitCursor wait;
        std::unique_lock lock(listing->lock);
        if (!listing->ready.wait_for(lock, std::chrono::milliseconds(FillWaitMs),
                                     [&] { return listing->done; })) {
            lock.unlock();
            m_late.insert(serial, path);
            showReading(item);
            return;
        }
    }
    showEntries(item, listing->entries);
}

void CSolutionBarProjectTree::showEntries(QTreeWidgetItem *item,
                                          const std::vector<ProjectEntry> &entries)
{
    const QSignalBlocker quiet(this);
    item->setData(0, PendingRole, 0);
    qDeleteAll(item->takeChildren());
    QList<QTreeWidgetItem *> children;
    children.reserve(qsizetype(entries.size()));
    for (const ProjectEntry &entry : entries) {
        auto *child = new QTreeWidgetItem;
        child->setText(0, entry.name);
        setEntryData(child, entry.nativePath, entry.isFolder);
        children.append(child);
    }
    item->addChildren(children);
    item->setData(0, FilledRole, true);
    if (children.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void CSolutionBarProjectTree::showReading(QTreeWidgetItem *item)
{
    const QSignalBlocker quiet(this);
    qDeleteAll(item->takeChildren());
    auto *note = new QTreeWidgetItem;
    note->setText(0, resourceText(Str::ProjectFolderReading));
    // Nothing to select, open or drop onto: it stands for entries still to come.
    note->setFlags(Qt::NoItemFlags);
    item->addChild(note);
}

QTreeWidgetItem *CSolutionBarProjectTree::itemWaitingFor(quint64 listing)
{
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if ((*it)->data(0, PendingRole).toULongLong() == listing)
            return *it;
    return nullptr;
}

QTreeWidgetItem *CSolutionBarProjectTree::insertEntry(QTreeWidgetItem *parent,
                                                      const QByteArray &path, bool folder)
{
    auto *child = new QTreeWidgetItem;
    child->setText(0, displayNameOf(path.mid(path.lastIndexOf('/') + 1)));
    {
        const QSignalBlocker quiet(this);
        setEntryData(child, path, folder);
    }
    const ProjectEntry entry = entryOf(child);
    int at = 0;
    while (at < parent->childCount() && entryLess(entryOf(parent->child(at)), entry))
        ++at;
    const QSignalBlocker quiet(this);
    parent->insertChild(at, child);
    parent->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return child;
}

QTreeWidgetItem *CSolutionBarProjectTree::findChildByPath(QTreeWidgetItem *parent,
                                                          const QByteArray &path) const
{
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (pathOf(parent->child(i)) == path)
            return parent->child(i);
    }
    return nullptr;
}

void CSolutionBarProjectTree::startRename()
{
    QTreeWidgetItem *item = currentItem();
    if (!item || !item->parent())
        return;
    m_editing = item;
    m_textBeforeEdit = item->text(0);
    m_lastEditText = m_textBeforeEdit;
    {
        const QSignalBlocker quiet(this);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    editItem(item, 0);
    // Escape ends the editing too, and what was typed last still names the entry.
    if (auto *edit = qobject_cast<QLineEdit *>(indexWidget(indexFromItem(item))))
        connect(edit, &QLineEdit::textEdited, this,
                [this](const QString &text) { m_lastEditText = text; });
}

void CSolutionBarProjectTree::onItemChanged(QTreeWidgetItem *item, int)
{
    if (item != m_editing || m_applyingRename)
        return;
    m_editing = nullptr;
    m_applyingRename = true;
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    const QString newName = item->text(0);
    item->setText(0, m_textBeforeEdit);
    m_applyingRename = false;
    if (newName != m_textBeforeEdit)
        renameItem(item, newName);
}

bool CSolutionBarProjectTree::renameItem(QTreeWidgetItem *item, const QString &newName)
{
    QByteArray newPath;
    if (!item || !item->parent() ||
        !renameEntry(pathOf(item), nativePathOf(newName), &newPath)) {
        QApplication::beep();
        return false;
    }
    const QSignalBlocker quiet(this);
    item->setText(0, newName);
    item->setData(0, PathRole, newPath);
    // Paths below a renamed folder changed too; they are read again when it opens.
    if (isFolder(item)) {
        qDeleteAll(item->takeChildren());
        item->setData(0, FilledRole, false);
        // A listing of the old path still under way is no longer this folder's.
        item->setData(0, PendingRole, 0);
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        if (item->isExpanded())
            fillFolder(item);
    }
    return true;
}

void CSolutionBarProjectTree::closeEditor(QWidget *editor,
                                          QAbstractItemDelegate::EndEditHint hint)
{
    QTreeWidget::closeEditor(editor, hint);
    // Enter has already renamed through itemChanged; Escape arrives here with the item still set.
    QTreeWidgetItem *item = m_editing;
    if (!item)
        return;
    m_editing = nullptr;
    {
        const QSignalBlocker quiet(this);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    }
    if (m_lastEditText != m_textBeforeEdit)
        renameItem(item, m_lastEditText);
}

bool CSolutionBarProjectTree::event(QEvent *event)
{
    // F2 is a window-wide key elsewhere (bookmarks); in the tree it renames.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QTreeWidget::event(event);
}

void CSolutionBarProjectTree::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState) {
        startRename();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool CSolutionBarProjectTree::canDrop(const QTreeWidgetItem *dragged,
                                      const QTreeWidgetItem *target) const
{
    if (!dragged || !target || !isFolder(target) || !dragged->parent())
        return false;
    for (const QTreeWidgetItem *up = target; up; up = up->parent()) {
        if (up == dragged)
            return false;
    }
    return target != dragged->parent() && dropAllowed(pathOf(dragged), pathOf(target));
}

QTreeWidgetItem *CSolutionBarProjectTree::moveItem(QTreeWidgetItem *dragged,
                                                   QTreeWidgetItem *target)
{
    if (!canDrop(dragged, target))
        return nullptr;
    const bool folder = isFolder(dragged);
    QByteArray newPath;
    moveInto(pathOf(dragged), pathOf(target), &newPath);
    if (newPath.isEmpty()) {
        const QByteArray old = pathOf(dragged);
        newPath = pathOf(target) + '/' + old.mid(old.lastIndexOf('/') + 1);
    }
    delete dragged;
    QTreeWidgetItem *moved = findChildByPath(target, newPath);
    if (!moved && target->data(0, FilledRole).toBool())
        moved = insertEntry(target, newPath, folder);
    target->setExpanded(true);
    if (!moved)
        moved = findChildByPath(target, newPath);
    if (moved) {
        setCurrentItem(moved);
        moved->setExpanded(true);
    }
    return moved;
}

void CSolutionBarProjectTree::startDrag(Qt::DropActions)
{
    QTreeWidgetItem *item = currentItem();
    if (!item || !item->parent())
        return;
    m_dragged = item;
    auto *mime = new QMimeData;
    mime->setData(QLatin1String(kDragFormat), pathOf(item));
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    // The drag image: the item's icon and text as the tree draws them.
    const QRect rect = visualItemRect(item);
    if (rect.isValid())
        drag->setPixmap(viewport()->grab(rect));
    drag->exec(Qt::MoveAction);
    m_dragged = nullptr;
}

void CSolutionBarProjectTree::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_dragged && event->mimeData()->hasFormat(QLatin1String(kDragFormat)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CSolutionBarProjectTree::dragMoveEvent(QDragMoveEvent *event)
{
    QTreeWidgetItem *target = itemAt(event->position().toPoint());
    if (target != m_hovered) {
        if (m_hovered)
            m_hovered->setBackground(0, QBrush());
        m_hovered = target;
        if (m_hovered) {
            m_hovered->setBackground(0, palette().highlight());
            m_hoverTimer->start();
        } else {
            m_hoverTimer->stop();
        }
    }
    if (m_dragged && canDrop(m_dragged, target))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CSolutionBarProjectTree::dragLeaveEvent(QDragLeaveEvent *event)
{
    if (m_hovered)
        m_hovered->setBackground(0, QBrush());
    m_hovered = nullptr;
    m_hoverTimer->stop();
    event->accept();
}

void CSolutionBarProjectTree::dropEvent(QDropEvent *event)
{
    QTreeWidgetItem *target = itemAt(event->position().toPoint());
    if (m_hovered)
        m_hovered->setBackground(0, QBrush());
    m_hovered = nullptr;
    m_hoverTimer->stop();
    if (!m_dragged || !canDrop(m_dragged, target)) {
        event->ignore();
        return;
    }
    QTreeWidgetItem *dragged = m_dragged;
    m_dragged = nullptr;
    // The move below deletes the item the drag started from; the default handling must not see it.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    moveItem(dragged, target);
}

} // namespace pw
