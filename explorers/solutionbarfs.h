// CSolutionBarFSContainer: the File Explorer pane, the disk as a tree that follows its changes.
#pragma once

#include "framework/commandtarget.h"

#include <QTreeView>
#include <QWidget>
#include <functional>

class QToolBar;

namespace pw {

class FileSystemRoots;
class Host;

// The tree of the file-system root and the home folder. Folders are read on a worker thread as
// they open and watched once read, so what is shown follows files that appear or vanish; every
// entry is reached by its bytes, whether its name is UTF-8 or not.
class CFileSysTreeCtrl : public QTreeView
{
    Q_OBJECT
public:
    explicit CFileSysTreeCtrl(QWidget *parent = nullptr);

    FileSystemRoots *roots() const { return m_model; }
    bool isFilled() const { return m_model != nullptr; }
    // Makes the two top items, the root and the home folder, and selects the home folder.
    void fill();
    // Reads the tree anew, keeping the selected path.
    void refresh();
    QString selectedPath() const;
    bool selectPath(const QString &path);
    // The item of path (under the home item when it is there); invalid before fill().
    QModelIndex indexOf(const QString &path) const;

signals:
    // A folder that was opened cannot show entries (unreadable, or a link loop).
    void folderNote(const QString &text);

private:
    FileSystemRoots *m_model = nullptr;
};

class CSolutionBarFSContainer : public QWidget, public CommandTarget
{
    Q_OBJECT
public:
    explicit CSolutionBarFSContainer(Host &host, QWidget *parent = nullptr);

    CFileSysTreeCtrl *tree() const { return m_tree; }
    // The commands of the pane's context menu, run on the selected item.
    bool runItemCommand(int id);
    bool itemCommandEnabled(int id) const;

    // The properties dialog, replaceable so tests can read it without showing it.
    using PropertiesShower = std::function<void(const QString &path)>;
    void setPropertiesShower(PropertiesShower shower) { m_showProperties = std::move(shower); }
    // Brings the pane to the front; Refresh File Explorer View from the View menu shows it first.
    void setPaneShower(std::function<void()> shower) { m_showPane = std::move(shower); }

private:
    void showContextMenu(const QPoint &pos);
    void openSelected(bool hex);

    Host &m_host;
    QToolBar *m_toolbar;
    CFileSysTreeCtrl *m_tree;
    PropertiesShower m_showProperties;
    std::function<void()> m_showPane;
};

} // namespace pw
