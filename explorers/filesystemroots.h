// FileSystemRoots: the File Explorer's model, the file-system root and the home folder as its two
// top items, each read lazily by a file-system model of its own.
#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QPersistentModelIndex>
#include <vector>

class QFileSystemModel;

namespace pw {

// One column: the names. Each top item has its own QFileSystemModel, so the same folder shown
// under both tops is two items, and each model's changes reach only its own top's items. A folder
// is read when it is opened, on the model's own thread, and watched from then on.
class FileSystemRoots : public QAbstractItemModel
{
    Q_OBJECT
public:
    // folders: the top items' paths, in order; filter as QFileSystemModel takes it.
    FileSystemRoots(const QStringList &folders, int filter, QObject *parent = nullptr);

    int topCount() const { return int(m_tops.size()); }
    QFileSystemModel *sourceOf(int top) const { return m_tops.at(std::size_t(top)).model; }
    QString filePath(const QModelIndex &index) const;
    bool isDir(const QModelIndex &index) const;
    // The item of path under the last top holding it, so the home folder's files are found under
    // the home item; invalid when no top holds it.
    QModelIndex indexOf(const QString &path) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    struct Top
    {
        QFileSystemModel *model = nullptr;
        QPersistentModelIndex root;
        std::vector<bool> pending; // the begin calls of the model's open insertions and removals
        QList<QPair<QPersistentModelIndex, QPersistentModelIndex>> moving; // ours, the source's
    };
    // A parent item below a top; an item's internal id is its parent's number + 1 (0: a top).
    struct Parent
    {
        int top = 0;
        QPersistentModelIndex source;
    };

    void connectTop(int top);
    int topOf(const QModelIndex &index) const;
    QModelIndex toSource(const QModelIndex &index) const;
    QModelIndex fromSource(int top, const QModelIndex &source) const;
    bool shows(int top, const QModelIndex &source) const;
    quintptr idOf(int top, const QModelIndex &sourceParent) const;

    std::vector<Top> m_tops;
    mutable std::vector<Parent> m_parents;
    mutable QHash<QPair<int, quintptr>, quintptr> m_ids;
};

} // namespace pw
