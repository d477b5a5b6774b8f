// FileSystemRoots: index mapping between the top items and their models, and their changes.
#include "explorers/filesystemroots.h"

#include <QDir>
#include <QFileSystemModel>

namespace pw {

FileSystemRoots::FileSystemRoots(const QStringList &folders, int filter, QObject *parent)
    : QAbstractItemModel(parent)
{
    for (const QString &folder : folders) {
        Top top;
        top.model = new QFileSystemModel(this);
        top.model->setFilter(QDir::Filters(filter));
        top.model->setRootPath(folder);
        top.root = top.model->index(folder);
        if (!top.root.isValid()) {
            delete top.model;
            continue;
        }
        m_tops.push_back(std::move(top));
        connectTop(int(m_tops.size()) - 1);
    }
}

void FileSystemRoots::connectTop(int top)
{
    QFileSystemModel *model = m_tops[std::size_t(top)].model;
    const auto beginChange = [this, top](const QModelIndex &parent, int first, int last,
                                         bool insert) {
        Top &t = m_tops[std::size_t(top)];
        const bool shown = parent.isValid() && shows(top, parent);
        t.pending.push_back(shown);
        if (!shown)
            return;
        if (insert)
            beginInsertRows(fromSource(top, parent), first, last);
        else
            beginRemoveRows(fromSource(top, parent), first, last);
    };
    const auto endChange = [this, top](bool insert) {
        Top &t = m_tops[std::size_t(top)];
        if (t.pending.empty())
            return;
        const bool shown = t.pending.back();
        t.pending.pop_back();
        if (shown && insert)
            endInsertRows();
        else if (shown)
            endRemoveRows();
    };
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [beginChange](const QModelIndex &p, int f, int l) { beginChange(p, f, l, true); });
    connect(model, &QAbstractItemModel::rowsInserted, this, [endChange] { endChange(true); });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [beginChange](const QModelIndex &p, int f, int l) { beginChange(p, f, l, false); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [endChange] { endChange(false); });

    connect(model, &QAbstractItemModel::dataChanged, this,
            [this, top](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                if (from.column() > 0 || !shows(top, from))
                    return;
                const QModelIndex first = fromSource(top, from.siblingAtColumn(0));
                const QModelIndex last =
                    first.internalId() == 0 ? first : fromSource(top, to.siblingAtColumn(0));
                emit dataChanged(first, last, roles);
            });

    // Sorting and moves change rows under the items the view holds on to; they are carried over.
    const auto beginLayout = [this, top] {
        emit layoutAboutToBeChanged();
        Top &t = m_tops[std::size_t(top)];
        t.moving.clear();
        for (const QModelIndex &ours : persistentIndexList()) {
            if (topOf(ours) == top)
                t.moving.append({QPersistentModelIndex(ours), toSource(ours)});
        }
    };
    const auto endLayout = [this, top] {
        Top &t = m_tops[std::size_t(top)];
        for (const auto &[ours, source] : std::as_const(t.moving))
            changePersistentIndex(ours, fromSource(top, source));
        t.moving.clear();
        emit layoutChanged();
    };
    connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, beginLayout);
    connect(model, &QAbstractItemModel::layoutChanged, this, endLayout);
    connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, beginLayout);
    connect(model, &QAbstractItemModel::rowsMoved, this, endLayout);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this,
            &FileSystemRoots::beginResetModel);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_parents.clear();
        m_ids.clear();
        endResetModel();
    });
}

int FileSystemRoots::topOf(const QModelIndex &index) const
{
    if (!index.isValid())
        return -1;
    const quintptr id = index.internalId();
    return id == 0 ? index.row() : m_parents[std::size_t(id - 1)].top;
}

QModelIndex FileSystemRoots::toSource(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    const quintptr id = index.internalId();
    if (id == 0)
        return m_tops[std::size_t(index.row())].root;
    const Parent &parent = m_parents[std::size_t(id - 1)];
    return m_tops[std::size_t(parent.top)].model->index(index.row(), 0, parent.source);
}

QModelIndex FileSystemRoots::fromSource(int top, const QModelIndex &source) const
{
    if (!source.isValid())
        return {};
    if (source == m_tops[std::size_t(top)].root)
        return createIndex(top, 0, quintptr(0));
    return createIndex(source.row(), 0, idOf(top, source.parent()));
}

bool FileSystemRoots::shows(int top, const QModelIndex &source) const
{
    const QPersistentModelIndex &root = m_tops[std::size_t(top)].root;
    for (QModelIndex up = source.siblingAtColumn(0); up.isValid(); up = up.parent()) {
        if (up == root)
            return true;
    }
    return false;
}

quintptr FileSystemRoots::idOf(int top, const QModelIndex &sourceParent) const
{
    const QPair<int, quintptr> key(top, quintptr(sourceParent.internalPointer()));
    const auto found = m_ids.constFind(key);
    if (found != m_ids.cend()) {
        // A folder that went away may have left its address to a new one.
        Parent &known = m_parents[std::size_t(*found - 1)];
        if (known.source != sourceParent)
            known.source = sourceParent;
        return *found;
    }
    m_parents.push_back({top, QPersistentModelIndex(sourceParent)});
    const quintptr id = quintptr(m_parents.size());
    m_ids.insert(key, id);
    return id;
}

QString FileSystemRoots::filePath(const QModelIndex &index) const
{
    const int top = topOf(index);
    return top < 0 ? QString() : m_tops[std::size_t(top)].model->filePath(toSource(index));
}

bool FileSystemRoots::isDir(const QModelIndex &index) const
{
    const int top = topOf(index);
    return top >= 0 && m_tops[std::size_t(top)].model->isDir(toSource(index));
}

QModelIndex FileSystemRoots::indexOf(const QString &path) const
{
    const QString clean = QDir::cleanPath(path);
    for (int top = topCount() - 1; top >= 0; --top) {
        const Top &t = m_tops[std::size_t(top)];
        const QString folder = t.model->filePath(t.root);
        const bool inside = clean == folder ||
                            clean.startsWith(folder.endsWith(QLatin1Char('/'))
                                                 ? folder
                                                 : folder + QLatin1Char('/'));
        if (inside)
            return fromSource(top, t.model->index(clean));
    }
    return {};
}

QModelIndex FileSystemRoots::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column != 0)
        return {};
    if (!parent.isValid())
        return row < topCount() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    const int top = topOf(parent);
    const QModelIndex source = toSource(parent);
    if (row >= m_tops[std::size_t(top)].model->rowCount(source))
        return {};
    return createIndex(row, 0, idOf(top, source));
}

QModelIndex FileSystemRoots::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    const Parent &parent = m_parents[std::size_t(child.internalId() - 1)];
    return fromSource(parent.top, parent.source);
}

int FileSystemRoots::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return topCount();
    return m_tops[std::size_t(topOf(parent))].model->rowCount(toSource(parent));
}

int FileSystemRoots::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant FileSystemRoots::data(const QModelIndex &index, int role) const
{
    // A top item shows its whole path: the home folder's name alone says little.
    if (role == Qt::DisplayRole && index.isValid() && index.internalId() == 0)
        return QDir::toNativeSeparators(filePath(index));
    return toSource(index).data(role);
}

Qt::ItemFlags FileSystemRoots::flags(const QModelIndex &index) const
{
    const QModelIndex source = toSource(index);
    return source.isValid() ? source.flags() : Qt::NoItemFlags;
}

bool FileSystemRoots::hasChildren(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return topCount() > 0;
    return m_tops[std::size_t(topOf(parent))].model->hasChildren(toSource(parent));
}

bool FileSystemRoots::canFetchMore(const QModelIndex &parent) const
{
    return parent.isValid() &&
           m_tops[std::size_t(topOf(parent))].model->canFetchMore(toSource(parent));
}

void FileSystemRoots::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid())
        m_tops[std::size_t(topOf(parent))].model->fetchMore(toSource(parent));
}

} // namespace pw
