// FileSystemRoots: the File Explorer's model, the file-system root and the home folder as its two
// top items, every folder below them listed by its native bytes when it is first opened.
#pragma once

#include "explorers/engine/projecttree.h"

#include <QAbstractItemModel>
#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QTimer>
#include <memory>
#include <vector>

namespace pw {

class FolderWatcher;
class ListingRunner;

// One column: the names, in the project tree's order (folders first). Names that are not UTF-8
// are shown with U+FFFD and reached through their bytes: filePath() gives the string that keeps
// them (nativepath.h). A folder is read on a worker thread when it is opened and its rows arrive in
// batches, so a folder of 100,000 files never holds the window up; from then on it is watched and
// follows entries that appear or vanish. An unreadable folder, and a link back to a folder above
// it, show as folders without children and say so through folderNote when opened.
class FileSystemRoots : public QAbstractItemModel
{
    Q_OBJECT
public:
    // Rows a folder gains per turn of the event loop while its listing is being shown.
    static constexpr std::size_t kBatchRows = 2000;

    // folders: the top items' paths, in order, as the file layer takes them.
    explicit FileSystemRoots(const QStringList &folders, QObject *parent = nullptr);
    // Returns at once: a listing still reading (a hung network mount) finishes on its own thread
    // and its result is dropped.
    ~FileSystemRoots() override;

    int topCount() const { return int(m_tops.size()); }
    QString filePath(const QModelIndex &index) const;
    QByteArray nativePath(const QModelIndex &index) const;
    bool isDir(const QModelIndex &index) const;
    // Whether nothing is being read or added: every opened folder shows all its entries.
    bool isIdle() const { return m_jobs.isEmpty() && m_filling.empty() && m_changed.isEmpty(); }
    // The item of path under the last top holding it, so the home folder's files are found under
    // the home item; the folders on the way are read at once when they were not yet. Invalid when
    // no top holds it or it does not exist.
    QModelIndex indexOf(const QString &path);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

signals:
    // A note for the status bar about a folder that was opened but cannot show entries.
    void folderNote(const QString &text);

private:
    struct Node;
    struct Listing
    {
        std::vector<explorers::ProjectEntry> entries;
        QByteArray identity;
        bool readable = false;
        bool loop = false;
    };

    static Node *nodeOf(const QModelIndex &index);
    QModelIndex indexOfNode(const Node *node) const;
    static Listing readListing(const QByteArray &path, const QList<QByteArray> &ancestors);
    static QList<QByteArray> ancestorsOf(const Node *node);

    void startListing(Node *node, bool shown);
    void listNow(Node *node);
    void listingDone(quint64 job, Listing &listing);
    void applyFirst(Node *node, Listing &listing, bool all);
    void applyChange(Node *node, std::vector<explorers::ProjectEntry> &entries);
    bool insertBatch(Node *node, std::size_t rows);
    void fillingDone(Node *node);
    void fillTick();
    void refreshChanged();
    void requestRefresh(Node *node);
    void insertRows(Node *node, int at, std::vector<explorers::ProjectEntry>::iterator from,
                    std::vector<explorers::ProjectEntry>::iterator to);
    void removeRows(Node *node, int first, int last);
    void forget(Node *node);
    void endWait(Node *node);

    std::vector<std::unique_ptr<Node>> m_tops;
    std::unique_ptr<ListingRunner> m_listings;
    quint64 m_lastJob = 0;
    QHash<quint64, Node *> m_jobs;
    QHash<QByteArray, QList<Node *>> m_listed; // watched folders; one path may show under both tops
    FolderWatcher *m_watcher;
    std::vector<Node *> m_filling;
    QTimer m_fillTimer;
    QSet<QByteArray> m_changed;
    QTimer m_changeTimer;
    int m_waiting = 0;
};

} // namespace pw
