// FileSystemRoots: folders read on a worker, shown in batches, and kept current by their watches.
#include "explorers/filesystemroots.h"

#include "explorers/listingrunner.h"
#include "explorers/folderwatcher.h"
#include "explorers/treeshared.h"

#include "editor/encoding/nativepath.h"
#include "framework/messages.h"
#include "resources/stringids.h"

#include <QDir>
#include <QGuiApplication>
#include <algorithm>
#include <iterator>

namespace pw {

using explorers::ProjectEntry;

struct FileSystemRoots::Node
{
    Node *parent = nullptr;
    int row = 0;
    QByteArray path;
    QString name;
    QByteArray identity; // known once the folder is read
    bool isFolder = false;
    bool listed = false; // read at least once; watched from then on
    bool unreadable = false;
    bool loop = false;
    bool stale = false;  // changed on disk while it was being read or shown
    bool waited = false; // holds the wait cursor until its entries are all shown
    quint64 job = 0;     // the listing under way
    std::vector<ProjectEntry> pending; // read, not yet shown
    std::size_t pendingAt = 0;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

// A file's key never ends with a slash, so a file replaced by a folder of its name differs.
QByteArray keyOf(const QByteArray &path, bool folder)
{
    return folder ? QByteArray(path + '/') : path;
}

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
{
    if (folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

} // namespace

FileSystemRoots::FileSystemRoots(const QStringList &folders, QObject *parent)
    : QAbstractItemModel(parent), m_listings(std::make_unique<ListingRunner>(this)),
      m_watcher(new FolderWatcher(this))
{
    for (const QString &folder : folders) {
        const QString clean = QDir::cleanPath(folder);
        const QByteArray path = enc::nativeFromPath(clean);
        if (explorers::folderIdentity(path).isEmpty())
            continue;
        auto top = std::make_unique<Node>();
        top->row = int(m_tops.size());
        top->path = path;
        // A top item shows its whole path: the home folder's name alone says little.
        top->name = QDir::toNativeSeparators(enc::displayPath(clean));
        top->isFolder = true;
        m_tops.push_back(std::move(top));
    }
    m_fillTimer.setInterval(0);
    connect(&m_fillTimer, &QTimer::timeout, this, &FileSystemRoots::fillTick);
    // A burst of changes (an unpacked archive, a build) reads each folder once.
    m_changeTimer.setSingleShot(true);
    m_changeTimer.setInterval(100);
    connect(&m_changeTimer, &QTimer::timeout, this, &FileSystemRoots::refreshChanged);
    connect(m_watcher, &FolderWatcher::folderChanged, this, [this](const QByteArray &folder) {
        m_changed.insert(folder);
        if (!m_changeTimer.isActive())
            m_changeTimer.start();
    });
}

FileSystemRoots::~FileSystemRoots()
{
    // Listings under way find no model to report to.
    m_listings.reset();
    for (; m_waiting > 0; --m_waiting)
        QGuiApplication::restoreOverrideCursor();
}

FileSystemRoots::Node *FileSystemRoots::nodeOf(const QModelIndex &index)
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : nullptr;
}

QModelIndex FileSystemRoots::indexOfNode(const Node *node) const
{
    return node ? createIndex(node->row, 0, node) : QModelIndex();
}

QString FileSystemRoots::filePath(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node ? enc::pathFromNative(node->path) : QString();
}

QByteArray FileSystemRoots::nativePath(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node ? node->path : QByteArray();
}

bool FileSystemRoots::isDir(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node && node->isFolder;
}

QModelIndex FileSystemRoots::indexOf(const QString &path)
{
    const QByteArray native = enc::nativeFromPath(QDir::cleanPath(path));
    for (int top = topCount() - 1; top >= 0; --top) {
        Node *node = m_tops[std::size_t(top)].get();
        const QByteArray prefix =
            node->path.endsWith('/') ? node->path : QByteArray(node->path + '/');
        if (native != node->path && !native.startsWith(prefix))
            continue;
        for (const QByteArray &part : native.mid(prefix.size()).split('/')) {
            if (part.isEmpty())
                continue;
            listNow(node);
            const QByteArray wanted = joinPath(node->path, part);
            const auto found = std::find_if(node->children.begin(), node->children.end(),
                                            [&](const auto &child) { return child->path == wanted; });
            if (found == node->children.end())
                return {};
            node = found->get();
        }
        return indexOfNode(node);
    }
    return {};
}

QModelIndex FileSystemRoots::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column != 0)
        return {};
    if (!parent.isValid())
        return row < topCount() ? indexOfNode(m_tops[std::size_t(row)].get()) : QModelIndex();
    const Node *node = nodeOf(parent);
    return row < int(node->children.size()) ? indexOfNode(node->children[std::size_t(row)].get())
                                            : QModelIndex();
}

QModelIndex FileSystemRoots::parent(const QModelIndex &child) const
{
    const Node *node = nodeOf(child);
    return node ? indexOfNode(node->parent) : QModelIndex();
}

int FileSystemRoots::rowCount(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    return node ? int(node->children.size()) : topCount();
}

int FileSystemRoots::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant FileSystemRoots::data(const QModelIndex &index, int role) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return {};
    if (role == Qt::DisplayRole)
        return node->name;
    if (role == Qt::DecorationRole)
        return node->isFolder ? explorers::folderIcon(false) : explorers::fileIcon();
    return {};
}

Qt::ItemFlags FileSystemRoots::flags(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return node->isFolder ? flags : flags | Qt::ItemNeverHasChildren;
}

bool FileSystemRoots::hasChildren(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    if (!node)
        return topCount() > 0;
    return node->isFolder && (!node->listed || !node->children.empty());
}

bool FileSystemRoots::canFetchMore(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    return node && node->isFolder && !node->listed && !node->job;
}

void FileSystemRoots::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        startListing(nodeOf(parent), true);
}

QList<QByteArray> FileSystemRoots::ancestorsOf(const Node *node)
{
    QList<QByteArray> identities;
    for (const Node *up = node->parent; up; up = up->parent) {
        if (!up->identity.isEmpty())
            identities << up->identity;
    }
    return identities;
}

FileSystemRoots::Listing FileSystemRoots::readListing(const QByteArray &path,
                                                      const QList<QByteArray> &ancestors)
{
    Listing listing;
    listing.identity = explorers::folderIdentity(path);
    if (!listing.identity.isEmpty() && ancestors.contains(listing.identity)) {
        listing.loop = true;
        listing.readable = true;
        return listing;
    }
    listing.entries = explorers::listFolder(path, &listing.readable);
    return listing;
}

void FileSystemRoots::startListing(Node *node, bool shown)
{
    if (shown && !node->waited) {
        node->waited = true;
        if (m_waiting++ == 0)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    if (node->job)
        return;
    const quint64 job = ++m_lastJob;
    node->job = job;
    m_jobs.insert(job, node);
    auto listing = std::make_shared<Listing>();
    m_listings->start(
        node->path,
        [listing, path = node->path, ancestors = ancestorsOf(node)] {
            *listing = readListing(path, ancestors);
        },
        [this, job, listing] { listingDone(job, *listing); });
}

void FileSystemRoots::listNow(Node *node)
{
    if (node->listed) {
        if (!node->pending.empty()) {
            insertBatch(node, node->pending.size());
            fillingDone(node);
        }
        return;
    }
    if (node->job) {
        m_jobs.remove(node->job);
        node->job = 0;
    }
    Listing listing = readListing(node->path, ancestorsOf(node));
    applyFirst(node, listing, true);
}

void FileSystemRoots::listingDone(quint64 job, Listing &listing)
{
    Node *node = m_jobs.take(job);
    if (!node || node->job != job)
        return;
    node->job = 0;
    if (!node->listed) {
        applyFirst(node, listing, false);
        return;
    }
    node->identity = listing.identity;
    node->unreadable = !listing.readable;
    applyChange(node, listing.entries);
    fillingDone(node);
}

void FileSystemRoots::applyFirst(Node *node, Listing &listing, bool all)
{
    node->listed = true;
    node->identity = listing.identity;
    node->unreadable = !listing.readable;
    node->loop = listing.loop;
    if (!node->loop) {
        QList<Node *> &nodes = m_listed[node->path];
        if (nodes.isEmpty())
            m_watcher->watch(node->path);
        nodes.append(node);
    }
    if (listing.entries.empty()) {
        // The view drew an expander while nothing was known; it asks again after a layout change.
        const QPersistentModelIndex index(indexOfNode(node));
        emit layoutAboutToBeChanged({index});
        emit layoutChanged({index});
    }
    node->pending = std::move(listing.entries);
    node->pendingAt = 0;
    if (!insertBatch(node, all ? node->pending.size() : kBatchRows)) {
        m_filling.push_back(node);
        m_fillTimer.start();
        return;
    }
    fillingDone(node);
}

bool FileSystemRoots::insertBatch(Node *node, std::size_t rows)
{
    const std::size_t from = node->pendingAt;
    const std::size_t to = node->pending.size() - from <= rows ? node->pending.size() : from + rows;
    if (to > from)
        insertRows(node, int(node->children.size()), node->pending.begin() + qsizetype(from),
                   node->pending.begin() + qsizetype(to));
    node->pendingAt = to;
    if (to < node->pending.size())
        return false;
    node->pending = {};
    node->pendingAt = 0;
    return true;
}

void FileSystemRoots::fillingDone(Node *node)
{
    m_filling.erase(std::remove(m_filling.begin(), m_filling.end(), node), m_filling.end());
    if (node->job || !node->pending.empty())
        return;
    if (node->waited && (node->unreadable || node->loop)) {
        const QString path = QDir::toNativeSeparators(enc::displayPath(enc::pathFromNative(node->path)));
        emit folderNote(resourceText(node->loop ? Str::FileExplorerLinkLoop
                                                : Str::FileExplorerUnreadable)
                            .replace(QLatin1String("%s"), path));
    }
    endWait(node);
    if (node->stale) {
        node->stale = false;
        startListing(node, false);
    }
}

void FileSystemRoots::fillTick()
{
    // One batch for each folder being shown, then the window gets its turn again.
    const std::vector<Node *> filling = m_filling;
    for (Node *node : filling) {
        if (std::find(m_filling.begin(), m_filling.end(), node) == m_filling.end())
            continue;
        if (insertBatch(node, kBatchRows))
            fillingDone(node);
    }
    if (m_filling.empty())
        m_fillTimer.stop();
}

void FileSystemRoots::refreshChanged()
{
    const QSet<QByteArray> changed = std::exchange(m_changed, {});
    for (const QByteArray &folder : changed) {
        for (Node *node : m_listed.value(folder))
            requestRefresh(node);
    }
}

void FileSystemRoots::requestRefresh(Node *node)
{
    if (node->job || !node->pending.empty())
        node->stale = true;
    else
        startListing(node, false);
}

void FileSystemRoots::applyChange(Node *node, std::vector<ProjectEntry> &entries)
{
    std::vector<QByteArray> keys;
    keys.reserve(entries.size());
    QSet<QByteArray> fresh;
    fresh.reserve(qsizetype(entries.size()));
    for (const ProjectEntry &entry : entries) {
        keys.push_back(keyOf(entry.nativePath, entry.isFolder));
        fresh.insert(keys.back());
    }
    const auto childKey = [node](std::size_t row) {
        const Node *child = node->children[row].get();
        return keyOf(child->path, child->isFolder);
    };
    // What went away goes in runs, from the end so the rows before stay where they are.
    for (int row = int(node->children.size()) - 1; row >= 0;) {
        if (fresh.contains(childKey(std::size_t(row)))) {
            --row;
            continue;
        }
        const int last = row;
        while (row >= 0 && !fresh.contains(childKey(std::size_t(row))))
            --row;
        removeRows(node, row + 1, last);
    }
    // What stayed is in the listing's order unless the order itself changed; then all is shown anew.
    QSet<QByteArray> kept;
    kept.reserve(qsizetype(node->children.size()));
    for (std::size_t row = 0; row < node->children.size(); ++row)
        kept.insert(childKey(row));
    std::size_t next = 0;
    for (const QByteArray &key : keys) {
        if (!kept.contains(key))
            continue;
        if (childKey(next) != key) {
            if (!node->children.empty())
                removeRows(node, 0, int(node->children.size()) - 1);
            if (!entries.empty())
                insertRows(node, 0, entries.begin(), entries.end());
            return;
        }
        ++next;
    }
    for (std::size_t at = 0; at < entries.size();) {
        if (kept.contains(keys[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < entries.size() && !kept.contains(keys[end]))
            ++end;
        insertRows(node, int(at), entries.begin() + qsizetype(at), entries.begin() + qsizetype(end));
        at = end;
    }
}

void FileSystemRoots::insertRows(Node *node, int at, std::vector<ProjectEntry>::iterator from,
                                 std::vector<ProjectEntry>::iterator to)
{
    std::vector<std::unique_ptr<Node>> made;
    made.reserve(std::size_t(to - from));
    for (auto entry = from; entry != to; ++entry) {
        auto child = std::make_unique<Node>();
        child->parent = node;
        child->path = std::move(entry->nativePath);
        child->name = std::move(entry->name);
        child->isFolder = entry->isFolder;
        made.push_back(std::move(child));
    }
    beginInsertRows(indexOfNode(node), at, at + int(made.size()) - 1);
    node->children.insert(node->children.begin() + at, std::make_move_iterator(made.begin()),
                          std::make_move_iterator(made.end()));
    for (std::size_t row = std::size_t(at); row < node->children.size(); ++row)
        node->children[row]->row = int(row);
    endInsertRows();
}

void FileSystemRoots::removeRows(Node *node, int first, int last)
{
    beginRemoveRows(indexOfNode(node), first, last);
    for (int row = first; row <= last; ++row)
        forget(node->children[std::size_t(row)].get());
    node->children.erase(node->children.begin() + first, node->children.begin() + last + 1);
    for (std::size_t row = std::size_t(first); row < node->children.size(); ++row)
        node->children[row]->row = int(row);
    endRemoveRows();
}

void FileSystemRoots::forget(Node *node)
{
    if (node->job) {
        m_jobs.remove(node->job);
        node->job = 0;
    }
    m_filling.erase(std::remove(m_filling.begin(), m_filling.end(), node), m_filling.end());
    endWait(node);
    if (node->listed && !node->loop) {
        const auto found = m_listed.find(node->path);
        if (found != m_listed.end()) {
            found->removeAll(node);
            if (found->isEmpty()) {
                m_listed.erase(found);
                m_watcher->unwatch(node->path);
            }
        }
    }
    for (const auto &child : node->children)
        forget(child.get());
}

void FileSystemRoots::endWait(Node *node)
{
    if (!node->waited)
        return;
    node->waited = false;
    if (--m_waiting == 0)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace pw
