// CSolutionBarFSContainer: filling at the first idle moment, opening and the item commands.
#include "explorers/solutionbarfs.h"
#include "explorers/filepropertiesdialog.h"
#include "explorers/filesystemroots.h"
#include "explorers/treeshared.h"

#include "editor/encoding/nativepath.h"

#include "framework/host.h"
#include "framework/openrequest.h"
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/resources.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace pw {

namespace {

QString commandText(int id, const char *override = nullptr)
{
    if (override)
        return QString::fromUtf8(override);
    const res::CommandInfo *info = res::findCommand(id);
    return info ? QString::fromUtf8(info->text) : QString();
}

} // namespace

CFileSysTreeCtrl::CFileSysTreeCtrl(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("CFileSysTreeCtrl"));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // The view reads a folder it opens only once it lays itself out; a hidden pane's folders,
    // opened by selectPath or by a command, are read at once all the same.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (model() && model()->canFetchMore(index))
            model()->fetchMore(index);
    });
}

void CFileSysTreeCtrl::fill()
{
    if (m_model)
        return;
    const explorers::WaitCursor wait;
    QStringList tops{QDir::rootPath()};
    if (QDir::cleanPath(QDir::homePath()) != QDir::cleanPath(QDir::rootPath()))
        tops << QDir::homePath();
    m_model = new FileSystemRoots(tops, this);
    connect(m_model, &FileSystemRoots::folderNote, this, &CFileSysTreeCtrl::folderNote);
    setModel(m_model);
    // Nothing below the two top items is read until it is opened.
    selectPath(QDir::homePath());
}

void CFileSysTreeCtrl::refresh()
{
    if (!m_model) {
        fill();
        return;
    }
    const QString keep = selectedPath();
    setModel(nullptr);
    delete m_model;
    m_model = nullptr;
    fill();
    if (!keep.isEmpty())
        selectPath(keep);
}

QModelIndex CFileSysTreeCtrl::indexOf(const QString &path) const
{
    return m_model ? m_model->indexOf(path) : QModelIndex();
}

QString CFileSysTreeCtrl::selectedPath() const
{
    return m_model && currentIndex().isValid() ? m_model->filePath(currentIndex()) : QString();
}

bool CFileSysTreeCtrl::selectPath(const QString &path)
{
    if (!m_model)
        return false;
    const QModelIndex index = indexOf(path);
    if (!index.isValid())
        return false;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    setCurrentIndex(index);
    scrollTo(index);
    return true;
}

CSolutionBarFSContainer::CSolutionBarFSContainer(Host &host, QWidget *parent)
    : QWidget(parent), m_host(host), m_toolbar(new QToolBar(this)),
      m_tree(new CFileSysTreeCtrl(this))
{
    setObjectName(QStringLiteral("CSolutionBarFSContainer"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbar->setIconSize(QSize(16, 16));
    QAction *refresh = m_toolbar->addAction(style()->standardIcon(QStyle::SP_BrowserReload),
                                            commandText(Cmd::RefreshFileExplorer));
    connect(refresh, &QAction::triggered, m_tree, &CFileSysTreeCtrl::refresh);
    connect(m_tree, &CFileSysTreeCtrl::folderNote, this,
            [this](const QString &text) { m_host.setStatusText(StatusPane::Message, text); });
    layout->addWidget(m_toolbar);
    layout->addWidget(m_tree);
    m_showProperties = [this](const QString &path) {
        CFilePropertiesDialog dialog(path, window());
        dialog.exec();
    };

    connect(m_tree, &QWidget::customContextMenuRequested, this,
            &CSolutionBarFSContainer::showContextMenu);
    connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex &index) {
        if (m_tree->isFilled() && !m_tree->roots()->isDir(index))
            openSelected(false);
    });
    // Reading the disk waits for the first idle moment after start-up.
    QTimer::singleShot(0, m_tree, &CFileSysTreeCtrl::fill);

    onCommand(Cmd::RefreshFileExplorer, [this] {
        if (m_showPane)
            m_showPane();
        m_tree->refresh();
    });
    onCommand(
        Cmd::FileProperties, [this] { runItemCommand(Cmd::FileProperties); },
        [this](CommandUi &ui) { ui.enabled = itemCommandEnabled(Cmd::FileProperties); });
}

bool CSolutionBarFSContainer::itemCommandEnabled(int id) const
{
    const QString path = m_tree->selectedPath();
    if (id == Cmd::RefreshFileExplorer)
        return true;
    if (path.isEmpty())
        return false;
    if (id == Cmd::FileOpen || id == Cmd::FileOpenHex)
        return enc::pathIsFile(path);
    return true;
}

bool CSolutionBarFSContainer::runItemCommand(int id)
{
    if (!itemCommandEnabled(id))
        return false;
    const QString path = m_tree->selectedPath();
    switch (id) {
    case Cmd::FileOpen:
        openSelected(false);
        return true;
    case Cmd::FileOpenHex:
        openSelected(true);
        return true;
    case Cmd::CopyFilePath:
        QApplication::clipboard()->setText(QDir::toNativeSeparators(enc::displayPath(path)));
        return true;
    case Cmd::OpenContainingFolder: {
        // The URL is made from the bytes, so a folder whose name is not UTF-8 opens too.
        QByteArray folder = enc::nativeFromPath(path);
        if (!m_tree->roots()->isDir(m_tree->currentIndex()))
            folder.truncate(std::max<qsizetype>(folder.lastIndexOf('/'), 1));
        QDesktopServices::openUrl(
            QUrl::fromEncoded("file://" + folder.toPercentEncoding("/"), QUrl::StrictMode));
        return true;
    }
    case Cmd::RefreshFileExplorer:
        m_tree->refresh();
        return true;
    case Cmd::FileProperties:
        m_showProperties(path);
        return true;
    default:
        return false;
    }
}

void CSolutionBarFSContainer::openSelected(bool hex)
{
    const QString path = m_tree->selectedPath();
    if (path.isEmpty() || !enc::pathIsFile(path))
        return;
    if (hex) {
        OpenRequest request;
        request.mode = OpenHex;
        m_host.openDocument(path, request);
    } else {
        m_host.openWithAutomaticChoice(path);
    }
}

void CSolutionBarFSContainer::showContextMenu(const QPoint &pos)
{
    const QModelIndex index = m_tree->indexAt(pos);
    if (index.isValid())
        m_tree->setCurrentIndex(index);
    const res::MenuResource *resource = res::findMenu(MenuId::FileExplorerContext);
    if (!resource)
        return;
    // The entries act on the tree's item, not on the active document the same ids serve in the
    // main menus, so the menu is built here rather than routed.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const res::MenuEntry &entry : resource->entries) {
        if (entry.depth == 0)
            continue;
        if (entry.kind == res::MenuEntry::Separator) {
            menu->addSeparator();
        } else if (entry.kind == res::MenuEntry::Command) {
            const int id = entry.id;
            QAction *action = menu->addAction(commandText(id, entry.text));
            action->setEnabled(itemCommandEnabled(id));
            connect(action, &QAction::triggered, this, [this, id] { runItemCommand(id); });
        }
    }
    menu->popup(m_tree->viewport()->mapToGlobal(pos));
}

} // namespace pw
