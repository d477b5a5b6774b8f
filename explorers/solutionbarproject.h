// CSolutionBarProject: the Project Explorer pane, a folder combo over a tree of one project folder.
#pragma once

#include "explorers/engine/projecttree.h"
#include "framework/commandtarget.h"

#include <QByteArray>
#include <QPointer>
#include <QHash>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QPushButton;
class QTimer;

namespace pw {

class Host;
class ListingRunner;

// The tree of the project folder. Item data: the native path, whether it is a folder, whether
// it was filled, and the listing it waits for; folders are filled the first time they open.
class CSolutionBarProjectTree : public QTreeWidget
{
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole, FolderRole, FilledRole, PendingRole };

    explicit CSolutionBarProjectTree(QWidget *parent = nullptr);
    // Returns at once: a listing still reading is let go.
    ~CSolutionBarProjectTree() override;

    void setRootFolder(const QString &folder);
    QTreeWidgetItem *root() const { return topLevelItemCount() ? topLevelItem(0) : nullptr; }
    // Lists the folder's entries anew on a thread of the tree's own. A listing that comes back
    // within FillWait is shown before this returns, as renaming, moving and dropping expect; a
    // slower one (a huge folder, a dead network mount) leaves a note in the folder, which it
    // replaces once it ends.
    void fillFolder(QTreeWidgetItem *item);
    static constexpr int FillWaitMs = 200;
    // Whether a folder still waits for its listing.
    static bool isReading(const QTreeWidgetItem *item);
    // A child item for an entry, at its place in the folder's order.
    QTreeWidgetItem *insertEntry(QTreeWidgetItem *parent, const QByteArray &path, bool isFolder);
    QTreeWidgetItem *findChildByPath(QTreeWidgetItem *parent, const QByteArray &path) const;

    static QByteArray pathOf(const QTreeWidgetItem *item);
    static bool isFolder(const QTreeWidgetItem *item);

    // Starts label editing; the root refuses it.
    void startRename();
    // Renames the item on disk; false (and a beep) when the disk refuses.
    bool renameItem(QTreeWidgetItem *item, const QString &newName);

    // A drop of the dragged item onto target: allowed targets are folders that are not the item,
    // its parent or inside it.
    bool canDrop(const QTreeWidgetItem *dragged, const QTreeWidgetItem *target) const;
    QTreeWidgetItem *moveItem(QTreeWidgetItem *dragged, QTreeWidgetItem *target);

signals:
    void openRequested(QTreeWidgetItem *item);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void onItemChanged(QTreeWidgetItem *item, int column);
    void setEntryData(QTreeWidgetItem *item, const QByteArray &path, bool isFolder);
    void showEntries(QTreeWidgetItem *item, const std::vector<explorers::ProjectEntry> &entries);
    void showReading(QTreeWidgetItem *item);
    QTreeWidgetItem *itemWaitingFor(quint64 listing);

    std::unique_ptr<ListingRunner> m_listings;
    quint64 m_lastListing = 0;
    // Listings whose folders show the note, with the path each reads, so that the other
    // listings' late results cost nothing.
    QHash<quint64, QByteArray> m_late;
    QTreeWidgetItem *m_dragged = nullptr;
    QTreeWidgetItem *m_hovered = nullptr;
    QTimer *m_hoverTimer;
    QTreeWidgetItem *m_editing = nullptr;
    QString m_textBeforeEdit;
    QString m_lastEditText;
    bool m_applyingRename = false;
};

class CSolutionBarProject : public QWidget, public CommandTarget
{
    Q_OBJECT
public:
    explicit CSolutionBarProject(Host &host, QWidget *parent = nullptr);

    CSolutionBarProjectTree *tree() const { return m_tree; }
    QComboBox *folderCombo() const { return m_folderCombo; }
    QStringList folders() const;
    // Whether the selected item is a folder, for the main frame's commands.
    bool selectedIsFolder() const;

    // Dialog answers, replaceable so tests can drive the commands.
    using FolderChooser = std::function<QString()>;
    using FilesChooser = std::function<QStringList()>;
    using NameAsker = std::function<bool(QString &name)>;
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    void setFilesChooser(FilesChooser chooser) { m_chooseFiles = std::move(chooser); }
    void setNameAsker(NameAsker asker) { m_askName = std::move(asker); }

    void addFolder(const QString &folder);
    void removeCurrentFolder();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void loadFolders();
    void saveFolders();
    void selectFolder(int index);
    void registerCommands();
    void showContextMenu(const QPoint &pos);
    QTreeWidgetItem *selected() const;
    QTreeWidgetItem *targetFolder() const;
    void openItem(QTreeWidgetItem *item);
    void newFile();
    void newFolder();
    void addExistingFiles();
    void deleteSelected();
    void insertIntoDocument();

    Host &m_host;
    QComboBox *m_folderCombo;
    QPushButton *m_addButton;
    QPushButton *m_removeButton;
    CSolutionBarProjectTree *m_tree;
    FolderChooser m_chooseFolder;
    FilesChooser m_chooseFiles;
    NameAsker m_askName;
};

} // namespace pw
