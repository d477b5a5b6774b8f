// CSolutionBarProject: the folder list, its settings, and the tree's context-menu commands.
#include "explorers/solutionbarproject.h"
#include "explorers/engine/projecttree.h"
#include "explorers/insertion.h"
#include "editor/encoding/nativepath.h"

#include "framework/commandrouter.h"
#include "framework/host.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/stringids.h"
#include "settings/appfolders.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace pw {

using namespace explorers;

namespace {

const QString kDirectorySection = QString::fromLatin1(settings::section::ProjectDirectory);

// The "Project File" dialog: one name for a new file.
bool askFileName(QWidget *parent, QString &name)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(resourceText(Str::ProjectFileTitle));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(resourceText(Str::ProjectFilePrompt), &dialog));
    auto *edit = new QLineEdit(&dialog);
    edit->setObjectName(QStringLiteral("edit1005"));
    layout->addWidget(edit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    name = edit->text();
    return true;
}

} // namespace

CSolutionBarProject::CSolutionBarProject(Host &host, QWidget *parent)
    : QWidget(parent), m_host(host), m_folderCombo(new QComboBox(this)),
      m_addButton(new QPushButton(QStringLiteral("..."), this)),
      m_removeButton(new QPushButton(QStringLiteral("X"), this)),
      m_tree(new CSolutionBarProjectTree(this))
{
    setObjectName(QStringLiteral("CSolutionBarProject"));
    m_folderCombo->setObjectName(QStringLiteral("folderCombo6236"));
    m_addButton->setObjectName(QStringLiteral("addButton6237"));
    m_removeButton->setObjectName(QStringLiteral("removeButton6238"));
    m_tree->setObjectName(QStringLiteral("projectTree6235"));
    m_addButton->setToolTip(resourceText(Str::ProjectAddTip));
    m_removeButton->setToolTip(resourceText(Str::ProjectRemoveTip));
    setMinimumSize(60, 60);

    m_chooseFolder = [this] {
        return QFileDialog::getExistingDirectory(this, QString(), QString());
    };
    m_chooseFiles = [this] {
        return QFileDialog::getOpenFileNames(this, QString(), QString(),
                                             QStringLiteral("All Files (*)"));
    };
    m_askName = [this](QString &name) { return askFileName(this, name); };

    connect(m_folderCombo, &QComboBox::activated, this, &CSolutionBarProject::selectFolder);
    connect(m_addButton, &QPushButton::clicked, this, [this] {
        const QString folder = m_chooseFolder();
        if (!folder.isEmpty())
            addFolder(folder);
    });
    connect(m_removeButton, &QPushButton::clicked, this, &CSolutionBarProject::removeCurrentFolder);
    connect(m_tree, &QWidget::customContextMenuRequested, this,
            &CSolutionBarProject::showContextMenu);
    connect(m_tree, &CSolutionBarProjectTree::openRequested, this,
            &CSolutionBarProject::openItem);
    registerCommands();
    loadFolders();
}

void CSolutionBarProject::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    m_folderCombo->setGeometry(1, 0, std::max(1, w - 53), 24);
    m_addButton->setGeometry(w - 50, 0, 25, 22);
    m_removeButton->setGeometry(w - 25, 0, 25, 22);
    m_tree->setGeometry(1, 24, std::max(1, w), std::max(1, h - 24));
}

QStringList CSolutionBarProject::folders() const
{
    QStringList list;
    for (int i = 0; i < m_folderCombo->count(); ++i)
        list << m_folderCombo->itemText(i);
    return list;
}

void CSolutionBarProject::loadFolders()
{
    XmlSettingsStore store(m_host.settingsFile());
    const QString current = store.getString(settings::project::Directory);
    QStringList keys;
    store.enumerateKeys(kDirectorySection, keys);
    QStringList values;
    for (const QString &key : keys) {
        const QString value = store.readString(kDirectorySection, key);
        if (!value.isEmpty() && !values.contains(value))
            values << value;
    }
    if (keys.isEmpty())
        values << AppFolders::inputs().documents;
    values.sort(Qt::CaseInsensitive);
    m_folderCombo->addItems(values);
    const int index = keys.isEmpty() ? -1 : m_folderCombo->findText(current);
    m_folderCombo->setCurrentIndex(index);
    selectFolder(index);
}

void CSolutionBarProject::saveFolders()
{
    XmlSettingsStore store(m_host.settingsFile());
    XmlSettingsStore::Batch batch(store);
    store.deleteSection(kDirectorySection);
    for (int i = 0; i < m_folderCombo->count(); ++i)
        store.writeString(kDirectorySection, QStringLiteral("value_%1").arg(i),
                          m_folderCombo->itemText(i));
}

void CSolutionBarProject::selectFolder(int index)
{
    const QString folder = index >= 0 ? m_folderCombo->itemText(index) : QString();
    XmlSettingsStore store(m_host.settingsFile());
    // Start-up selects the stored folder again; only a change is written.
    if (store.getString(settings::project::Directory) != folder)
        store.writeString(settings::project::Directory, folder);
    if (!folder.isEmpty())
        ensureFolder(nativePathOf(folder));
    m_tree->setRootFolder(folder);
}

void CSolutionBarProject::addFolder(const QString &folder)
{
    const QString clean = QDir::cleanPath(folder);
    int index = m_folderCombo->findText(clean);
    if (index < 0) {
        QStringList list = folders();
        list << clean;
        list.sort(Qt::CaseInsensitive);
        m_folderCombo->clear();
        m_folderCombo->addItems(list);
        index = m_folderCombo->findText(clean);
    }
    m_folderCombo->setCurrentIndex(index);
    saveFolders();
    selectFolder(index);
}

void CSolutionBarProject::removeCurrentFolder()
{
    const int index = m_folderCombo->currentIndex();
    if (index < 0)
        return;
    const QString text =
        resourceText(Str::ProjectRemoveQuestion)
            .replace(QLatin1String("%s"), m_folderCombo->itemText(index));
    if (showMessage(window(), MessageIcon::Question, text, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return;
    m_folderCombo->removeItem(index);
    saveFolders();
    // The last folder gone, the tree keeps showing it.
    if (m_folderCombo->count() > 0) {
        m_folderCombo->setCurrentIndex(0);
        selectFolder(0);
    }
}

QTreeWidgetItem *CSolutionBarProject::selected() const
{
    return m_tree->currentItem();
}

bool CSolutionBarProject::selectedIsFolder() const
{
    return CSolutionBarProjectTree::isFolder(selected());
}

QTreeWidgetItem *CSolutionBarProject::targetFolder() const
{
    QTreeWidgetItem *item = selected();
    if (!item)
        return nullptr;
    if (CSolutionBarProjectTree::isFolder(item)) {
        item->setExpanded(true);
        return item;
    }
    return item->parent();
}

void CSolutionBarProject::showContextMenu(const QPoint &pos)
{
    QTreeWidgetItem *item = m_tree->itemAt(pos);
    if (!item)
        return;
    m_tree->setCurrentItem(item);
    QMenu *menu = m_host.router()->buildPopupMenu(MenuId::ProjectTreeContext, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_tree->viewport()->mapToGlobal(pos));
}

void CSolutionBarProject::registerCommands()
{
    const auto onFile = [this](CommandUi &ui) {
        ui.enabled = selected() && !CSolutionBarProjectTree::isFolder(selected());
    };
    const auto onItem = [this](CommandUi &ui) { ui.enabled = selected() != nullptr; };
    const auto onFolder = [this](CommandUi &ui) {
        ui.enabled = CSolutionBarProjectTree::isFolder(selected());
    };
    onCommand(Cmd::ProjectOpenFile, [this] { openItem(selected()); }, onFile);
    onCommand(Cmd::ProjectNewFile, [this] { newFile(); }, onItem);
    onCommand(Cmd::ProjectNewFolder, [this] { newFolder(); }, onItem);
    onCommand(Cmd::ProjectAddExistingFile, [this] { addExistingFiles(); }, onItem);
    onCommand(Cmd::ProjectDelete, [this] { deleteSelected(); }, onItem);
    onCommand(Cmd::ProjectRename, [this] { m_tree->startRename(); }, [this](CommandUi &ui) {
        ui.enabled = selected() && selected()->parent();
    });
    onCommand(Cmd::ProjectRefresh, [this] { m_tree->fillFolder(selected()); }, onFolder);
    onCommand(Cmd::ProjectInsertIntoDocument, [this] { insertIntoDocument(); },
              [this, onFile](CommandUi &ui) {
                  onFile(ui);
                  ui.enabled = ui.enabled && activeTextEditor(m_host);
              });
    onCommand(Cmd::ProjectCopyFileToClipboard, [this] {
        const QByteArray bytes =
            readInsertableHead(CSolutionBarProjectTree::pathOf(selected()));
        QApplication::clipboard()->setText(QString::fromUtf8(bytes));
    }, onFile);
    onCommand(Cmd::ProjectCopyPathToClipboard, [this] {
        QApplication::clipboard()->setText(
            displayPathOf(CSolutionBarProjectTree::pathOf(selected())));
    }, onItem);
}

void CSolutionBarProject::openItem(QTreeWidgetItem *item)
{
    if (!item || CSolutionBarProjectTree::isFolder(item))
        return;
    m_host.openWithAutomaticChoice(enc::pathFromNative(CSolutionBarProjectTree::pathOf(item)));
}

void CSolutionBarProject::newFile()
{
    QTreeWidgetItem *target = targetFolder();
    QString name;
    if (!target || !m_askName(name) || name.isEmpty())
        return;
    const QByteArray path = CSolutionBarProjectTree::pathOf(target) + '/' + nativePathOf(name);
    if (!createEmptyFile(path))
        return;
    if (!m_host.openWithAutomaticChoice(enc::pathFromNative(path)))
        return;
    if (!m_tree->findChildByPath(target, path))
        m_tree->insertEntry(target, path, false);
}

void CSolutionBarProject::newFolder()
{
    QTreeWidgetItem *target = targetFolder();
    if (!target)
        return;
    const QByteArray name = nativePathOf(resourceText(Str::ProjectNewFolderName));
    const QByteArray parent = CSolutionBarProjectTree::pathOf(target);
    if (!createFolder(parent, name))
        return;
    const QByteArray path = parent + '/' + name;
    QTreeWidgetItem *item = m_tree->findChildByPath(target, path);
    if (!item)
        item = m_tree->insertEntry(target, path, true);
    m_tree->setCurrentItem(item);
    m_tree->startRename();
}

void CSolutionBarProject::addExistingFiles()
{
    QTreeWidgetItem *target = targetFolder();
    if (!target)
        return;
    for (const QString &file : m_chooseFiles()) {
        QByteArray copy;
        if (!copyFileInto(nativePathOf(file), CSolutionBarProjectTree::pathOf(target), &copy))
            continue;
        if (m_host.openWithAutomaticChoice(enc::pathFromNative(copy)) &&
            !m_tree->findChildByPath(target, copy))
            m_tree->insertEntry(target, copy, false);
    }
}

void CSolutionBarProject::deleteSelected()
{
    QTreeWidgetItem *item = selected();
    if (!item)
        return;
    if (!item->parent()) {
        showMessage(window(), MessageIcon::Information, Str::ProjectCannotDeleteRoot);
        return;
    }
    const QByteArray path = CSolutionBarProjectTree::pathOf(item);
    const QString question = resourceText(Str::ProjectDeleteQuestion)
                                 .replace(QLatin1String("%s"), displayPathOf(path));
    if (showMessage(window(), MessageIcon::Question, question,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (removeEntry(path))
        delete item;
}

void CSolutionBarProject::insertIntoDocument()
{
    QTreeWidgetItem *item = selected();
    if (!item || CSolutionBarProjectTree::isFolder(item))
        return;
    insertTemplateText(m_host, readInsertableHead(CSolutionBarProjectTree::pathOf(item)));
}

} // namespace pw
