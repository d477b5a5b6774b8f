// The customisation dialog and its pages. Every change goes straight to the command bars.
#include "chrome/customizedialog.h"

#include "chrome/commandbars.h"
#include "framework/commandrouter.h"
#include "chrome/themes.h"
#include "chrome/toolbaricons.h"
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/resources.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

namespace {

const char kPageProperty[] = "customizePage";
const QString kCommandMime = QStringLiteral("application/x-penwright-command");
constexpr int kIdRole = Qt::UserRole;

// Entries made at run time stand for whatever the menu shows then; a button or key for them
// would mean nothing.
bool isRunTimeEntry(int id)
{
    return (id >= Cmd::FileMru1 && id <= Cmd::FileMru4) || id == Cmd::RunTool;
}

QString plainTitle(const char *text)
{
    QString title = QString::fromUtf8(text);
    title.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    title.remove(QLatin1Char('&'));
    title.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return title;
}

struct Category
{
    QString title;
    QList<int> ids;
};

constexpr int kMenuBars[] = {MenuId::TextDocument, MenuId::MainFrame, MenuId::HexDocument,
                             MenuId::CompareDocument, MenuId::WebPreviewDocument};

QString menuBarName(int menuId)
{
    switch (menuId) {
    case MenuId::MainFrame:
        return QStringLiteral("No document open");
    case MenuId::TextDocument:
        return QStringLiteral("Text document");
    case MenuId::HexDocument:
        return QStringLiteral("Hex document");
    case MenuId::CompareDocument:
        return QStringLiteral("Compare window");
    case MenuId::WebPreviewDocument:
        return QStringLiteral("Web preview");
    default:
        return QStringLiteral("Menu %1").arg(menuId);
    }
}

// The commands grouped by the top-level menu that holds them, then the rest, the controls and
// everything in one list.
QList<Category> commandCategories(const CommandBars *bars)
{
    QList<Category> categories;
    QList<int> placed;
    for (int menuId : kMenuBars) {
        const res::MenuResource *menu = res::findMenu(menuId);
        if (!menu)
            continue;
        Category *current = nullptr;
        for (const res::MenuEntry &entry : menu->entries) {
            if (entry.depth == 0) {
                current = nullptr;
                if (entry.kind != res::MenuEntry::Popup)
                    continue;
                const QString title = plainTitle(entry.text);
                for (Category &c : categories) {
                    if (c.title == title)
                        current = &c;
                }
                if (!current) {
                    categories.append({title, {}});
                    current = &categories.last();
                }
                continue;
            }
            if (!current || entry.kind != res::MenuEntry::Command || bars->isControlId(entry.id) ||
                isRunTimeEntry(entry.id) || current->ids.contains(entry.id))
                continue;
            current->ids.append(entry.id);
            placed.append(entry.id);
        }
    }
    Category other{QStringLiteral("Other"), {}};
    Category all{QStringLiteral("All Commands"), {}};
    for (const res::CommandInfo &info : res::commands()) {
        if (bars->isControlId(info.id) || isRunTimeEntry(info.id))
            continue;
        all.ids.append(info.id);
        if (!placed.contains(info.id))
            other.ids.append(info.id);
    }
    if (!other.ids.isEmpty())
        categories.append(other);
    Category controls{QStringLiteral("Toolbar Controls"), {}};
    for (int id : {Cmd::ToolbarFindBox, Cmd::ColorDocumentAs, Cmd::ToolsPlaceholder}) {
        if (bars->hasControlFactory(id))
            controls.ids.append(id);
    }
    if (!controls.ids.isEmpty())
        categories.append(controls);
    std::stable_sort(all.ids.begin(), all.ids.end(), [](int a, int b) {
        return CommandBars::commandText(a).compare(CommandBars::commandText(b),
                                                   Qt::CaseInsensitive) < 0;
    });
    categories.append(all);
    return categories;
}

// The first menu that shows a command, for telling apart commands with the same text.
QString menuOfCommand(int id)
{
    for (int menuId : kMenuBars) {
        const res::MenuResource *menu = res::findMenu(menuId);
        if (!menu)
            continue;
        QString title;
        for (const res::MenuEntry &entry : menu->entries) {
            if (entry.depth == 0 && entry.kind == res::MenuEntry::Popup)
                title = plainTitle(entry.text);
            else if (entry.kind == res::MenuEntry::Command && entry.id == id)
                return title;
        }
    }
    return QString();
}

QString keysText(const QList<QKeySequence> &keys)
{
    QStringList parts;
    for (const QKeySequence &key : keys)
        parts.append(key.toString(QKeySequence::NativeText));
    return parts.join(QStringLiteral(", "));
}

// Lists remember toolbars by object name: a toolbar may be deleted while its row still exists.
QToolBar *toolBarNamed(const CommandBars *bars, const QString &objectName)
{
    for (QToolBar *bar : bars->toolBars()) {
        if (bar->objectName() == objectName)
            return bar;
    }
    return nullptr;
}

QListWidgetItem *commandItem(const CommandBars *bars, int id)
{
    auto *item = new QListWidgetItem;
    item->setData(kIdRole, id);
    if (id == 0) {
        item->setText(QStringLiteral("—— Separator ——"));
        item->setForeground(Qt::gray);
        return item;
    }
    item->setText(CommandBars::commandText(id));
    if (!bars->isControlId(id))
        item->setIcon(commandIcon(id));
    return item;
}

QMimeData *commandMime(int id, int sourceRow)
{
    auto *mime = new QMimeData;
    mime->setData(kCommandMime, QByteArray::number(id) + ':' + QByteArray::number(sourceRow));
    return mime;
}

bool readCommandMime(const QMimeData *mime, int &id, int &sourceRow)
{
    if (!mime || !mime->hasFormat(kCommandMime))
        return false;
    const QList<QByteArray> parts = mime->data(kCommandMime).split(':');
    bool idOk = false;
    bool rowOk = false;
    if (parts.size() != 2)
        return false;
    id = parts[0].toInt(&idOk);
    sourceRow = parts[1].toInt(&rowOk);
    return idOk && rowOk;
}

// The list of all commands of a category; its items can be dragged onto a toolbar's list.
class CommandSourceList : public QListWidget
{
public:
    using QListWidget::QListWidget;

protected:
    QStringList mimeTypes() const override { return {kCommandMime}; }
    QMimeData *mimeData(const QList<QListWidgetItem *> &items) const override
    {
        if (items.isEmpty())
            return nullptr;
        return commandMime(items.first()->data(kIdRole).toInt(), -1);
    }
};

// The buttons of one toolbar. Drops from the command list insert, drops from itself move; the
// page turns either into new toolbar contents and refills the list from them.
class ToolbarContentsList : public QListWidget
{
public:
    using DropHandler = std::function<void(int id, int sourceRow, int targetRow)>;

    explicit ToolbarContentsList(QWidget *parent) : QListWidget(parent)
    {
        setDragEnabled(true);
        setAcceptDrops(true);
        setDropIndicatorShown(true);
        setDragDropMode(QAbstractItemView::DragDrop);
        setDefaultDropAction(Qt::CopyAction);
    }
    void setDropHandler(DropHandler handler) { m_onDrop = std::move(handler); }

    // The row a drop at pos would insert before.
    int dropRow(const QPoint &pos) const
    {
        const QModelIndex index = indexAt(pos);
        if (!index.isValid())
            return count();
        const QRect rect = visualRect(index);
        return pos.y() > rect.center().y() ? index.row() + 1 : index.row();
    }

protected:
    QStringList mimeTypes() const override { return {kCommandMime}; }
    QMimeData *mimeData(const QList<QListWidgetItem *> &items) const override
    {
        if (items.isEmpty())
            return nullptr;
        return commandMime(items.first()->data(kIdRole).toInt(), row(items.first()));
    }
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (event->mimeData()->hasFormat(kCommandMime))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent *event) override
    {
        QListWidget::dragMoveEvent(event);
        if (event->mimeData()->hasFormat(kCommandMime)) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        }
    }
    void dropEvent(QDropEvent *event) override
    {
        int id = 0;
        int sourceRow = -1;
        if (!readCommandMime(event->mimeData(), id, sourceRow)) {
            event->ignore();
            return;
        }
        // A copy action keeps the view from deleting the dragged row itself: the page rebuilds
        // the list from the toolbar instead.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (event->source() != this)
            sourceRow = -1;
        if (m_onDrop)
            m_onDrop(id, sourceRow, dropRow(event->position().toPoint()));
    }

private:
    DropHandler m_onDrop;
};

// Refills a page when the command bars change, but not for the page's own changes.
class PageBase : public QWidget
{
public:
    PageBase(CommandBars *bars, QWidget *parent) : QWidget(parent), m_bars(bars)
    {
        QObject::connect(bars, &CommandBars::changed, this, [this] {
            if (!m_applying)
                refresh();
        });
    }
    virtual void refresh() = 0;

protected:
    // Runs a change and refreshes once afterwards.
    template <typename F> void apply(F &&change)
    {
        m_applying = true;
        change();
        m_applying = false;
        refresh();
    }

    CommandBars *m_bars;
    bool m_applying = false;
};

// ---- Toolbars: show, hide, make, rename, delete and reset toolbars

class ToolbarsPage : public PageBase
{
public:
    ToolbarsPage(CommandBars *bars, QWidget *parent) : PageBase(bars, parent)
    {
        m_list = new QListWidget(this);
        m_list->setObjectName(QStringLiteral("toolbarList"));
        m_name = new QLineEdit(this);
        m_name->setObjectName(QStringLiteral("toolbarName"));
        m_name->setPlaceholderText(QStringLiteral("Name of a new toolbar"));
        auto *create = new QPushButton(QStringLiteral("&New"), this);
        create->setObjectName(QStringLiteral("newToolbar"));
        m_rename = new QPushButton(QStringLiteral("Re&name"), this);
        m_rename->setObjectName(QStringLiteral("renameToolbar"));
        m_delete = new QPushButton(QStringLiteral("&Delete"), this);
        m_delete->setObjectName(QStringLiteral("deleteToolbar"));
        m_reset = new QPushButton(QStringLiteral("&Reset"), this);
        m_reset->setObjectName(QStringLiteral("resetToolbar"));
        m_message = new QLabel(this);
        m_message->setObjectName(QStringLiteral("toolbarMessage"));
        m_message->setWordWrap(true);

        auto *buttons = new QVBoxLayout;
        buttons->addWidget(m_reset);
        buttons->addWidget(m_delete);
        buttons->addSpacing(12);
        auto *nameCaption = new QLabel(QStringLiteral("Toolbar &name:"), this);
        nameCaption->setBuddy(m_name);
        buttons->addWidget(nameCaption);
        buttons->addWidget(m_name);
        buttons->addWidget(create);
        buttons->addWidget(m_rename);
        buttons->addStretch();
        auto *layout = new QGridLayout(this);
        auto *caption = new QLabel(QStringLiteral("Tool&bars:"), this);
        caption->setBuddy(m_list);
        layout->addWidget(caption, 0, 0);
        layout->addWidget(m_list, 1, 0);
        layout->addLayout(buttons, 1, 1);
        layout->addWidget(m_message, 2, 0, 1, 2);
        layout->setColumnStretch(0, 1);

        connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
            QToolBar *bar = barOf(item);
            if (bar && !m_filling)
                apply([&] { m_bars->setToolBarVisible(bar, item->checkState() == Qt::Checked); });
        });
        connect(m_list, &QListWidget::currentItemChanged, this, [this] { updateButtons(); });
        connect(create, &QPushButton::clicked, this, [this] {
            QToolBar *made = nullptr;
            apply([&] { made = m_bars->addUserToolBar(m_name->text()); });
            if (!made) {
                showProblem();
                return;
            }
            m_message->clear();
            select(made);
        });
        connect(m_rename, &QPushButton::clicked, this, [this] {
            QToolBar *bar = barOf(m_list->currentItem());
            bool done = false;
            apply([&] { done = m_bars->renameUserToolBar(bar, m_name->text()); });
            if (done) {
                m_message->clear();
                select(bar);
            } else {
                showProblem();
            }
        });
        connect(m_delete, &QPushButton::clicked, this, [this] {
            QToolBar *bar = barOf(m_list->currentItem());
            apply([&] { m_bars->removeUserToolBar(bar); });
        });
        connect(m_reset, &QPushButton::clicked, this, [this] {
            QToolBar *bar = barOf(m_list->currentItem());
            apply([&] { m_bars->resetToolBar(bar); });
            select(bar);
        });
        refresh();
        m_list->setCurrentRow(0);
    }

    void refresh() override
    {
        QToolBar *current = barOf(m_list->currentItem());
        m_filling = true;
        m_list->clear();
        for (QToolBar *bar : m_bars->toolBars()) {
            auto *item = new QListWidgetItem(bar->windowTitle(), m_list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(m_bars->isToolBarVisible(bar) ? Qt::Checked : Qt::Unchecked);
            item->setData(kIdRole, bar->objectName());
        }
        m_filling = false;
        select(current);
        updateButtons();
    }

private:
    QToolBar *barOf(const QListWidgetItem *item) const
    {
        return item ? toolBarNamed(m_bars, item->data(kIdRole).toString()) : nullptr;
    }
    void select(QToolBar *bar)
    {
        for (int i = 0; i < m_list->count(); ++i) {
            if (barOf(m_list->item(i)) == bar) {
                m_list->setCurrentRow(i);
                return;
            }
        }
        if (m_list->count() > 0 && !m_list->currentItem())
            m_list->setCurrentRow(0);
    }
    void updateButtons()
    {
        QToolBar *bar = barOf(m_list->currentItem());
        const bool user = m_bars->isUserToolBar(bar);
        m_rename->setEnabled(user);
        m_delete->setEnabled(user);
        m_reset->setEnabled(bar != nullptr);
    }
    void showProblem()
    {
        m_message->setText(m_name->text().trimmed().isEmpty()
                               ? QStringLiteral("Type a name for the toolbar first.")
                               : QStringLiteral("There is already a toolbar named \"%1\".")
                                     .arg(m_name->text().trimmed()));
    }

    QListWidget *m_list;
    QLineEdit *m_name;
    QPushButton *m_rename;
    QPushButton *m_delete;
    QPushButton *m_reset;
    QLabel *m_message;
    bool m_filling = false;
};

// ---- Commands: put commands on toolbars, order and remove them

class CommandsPage : public PageBase
{
public:
    CommandsPage(CommandBars *bars, QWidget *parent)
        : PageBase(bars, parent), m_categories(commandCategories(bars))
    {
        m_categoryList = new QListWidget(this);
        m_categoryList->setObjectName(QStringLiteral("commandCategories"));
        for (const Category &c : std::as_const(m_categories))
            m_categoryList->addItem(c.title);
        m_commands = new CommandSourceList(this);
        m_commands->setObjectName(QStringLiteral("commandList"));
        m_commands->setDragEnabled(true);
        m_commands->setDragDropMode(QAbstractItemView::DragOnly);
        m_bar = new QComboBox(this);
        m_bar->setObjectName(QStringLiteral("commandsToolbar"));
        m_contents = new ToolbarContentsList(this);
        m_contents->setObjectName(QStringLiteral("toolbarContents"));

        auto *add = new QPushButton(QStringLiteral("&Add >"), this);
        add->setObjectName(QStringLiteral("addCommand"));
        auto *remove = new QPushButton(QStringLiteral("&Remove"), this);
        remove->setObjectName(QStringLiteral("removeCommand"));
        auto *separator = new QPushButton(QStringLiteral("Add &Separator"), this);
        separator->setObjectName(QStringLiteral("addSeparator"));
        auto *up = new QPushButton(QStringLiteral("Move &Up"), this);
        up->setObjectName(QStringLiteral("moveUp"));
        auto *down = new QPushButton(QStringLiteral("Move &Down"), this);
        down->setObjectName(QStringLiteral("moveDown"));

        auto *left = new QGridLayout;
        auto *categoriesCaption = new QLabel(QStringLiteral("Ca&tegories:"), this);
        categoriesCaption->setBuddy(m_categoryList);
        auto *commandsCaption = new QLabel(QStringLiteral("Co&mmands:"), this);
        commandsCaption->setBuddy(m_commands);
        left->addWidget(categoriesCaption, 0, 0);
        left->addWidget(commandsCaption, 0, 1);
        left->addWidget(m_categoryList, 1, 0);
        left->addWidget(m_commands, 1, 1);
        left->setColumnStretch(1, 2);
        left->setColumnStretch(0, 1);
        auto *middle = new QVBoxLayout;
        middle->addStretch();
        middle->addWidget(add);
        middle->addWidget(remove);
        middle->addWidget(separator);
        middle->addSpacing(12);
        middle->addWidget(up);
        middle->addWidget(down);
        middle->addStretch();
        auto *right = new QVBoxLayout;
        auto *barRow = new QHBoxLayout;
        auto *barCaption = new QLabel(QStringLiteral("Tool&bar:"), this);
        barCaption->setBuddy(m_bar);
        barRow->addWidget(barCaption);
        barRow->addWidget(m_bar, 1);
        right->addLayout(barRow);
        right->addWidget(m_contents);
        auto *layout = new QVBoxLayout(this);
        auto *columns = new QHBoxLayout;
        columns->addLayout(left, 3);
        columns->addLayout(middle);
        columns->addLayout(right, 2);
        layout->addLayout(columns);
        auto *hint = new QLabel(
            QStringLiteral("Drag a command onto the toolbar's list, or select it and click Add."),
            this);
        hint->setWordWrap(true);
        layout->addWidget(hint);

        connect(m_categoryList, &QListWidget::currentRowChanged, this,
                [this](int row) { fillCommands(row); });
        connect(m_bar, &QComboBox::currentIndexChanged, this, [this] { fillContents(); });
        connect(add, &QPushButton::clicked, this, [this] {
            if (QListWidgetItem *item = m_commands->currentItem())
                insertAt(item->data(kIdRole).toInt(), -1, insertionRow());
        });
        connect(m_commands, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
            insertAt(item->data(kIdRole).toInt(), -1, insertionRow());
        });
        connect(separator, &QPushButton::clicked, this,
                [this] { insertAt(0, -1, insertionRow()); });
        connect(remove, &QPushButton::clicked, this, [this] {
            const int row = m_contents->currentRow();
            QList<int> ids = currentContents();
            if (row < 0 || row >= ids.size())
                return;
            ids.removeAt(row);
            store(ids, std::min(row, int(ids.size()) - 1));
        });
        connect(up, &QPushButton::clicked, this, [this] { moveCurrent(-1); });
        connect(down, &QPushButton::clicked, this, [this] { moveCurrent(1); });
        m_contents->setDropHandler(
            [this](int id, int sourceRow, int targetRow) { insertAt(id, sourceRow, targetRow); });

        m_categoryList->setCurrentRow(0);
        refresh();
    }

    void refresh() override
    {
        QToolBar *current = currentBar();
        const QSignalBlocker block(m_bar);
        m_bar->clear();
        for (QToolBar *bar : m_bars->toolBars())
            m_bar->addItem(bar->windowTitle(), bar->objectName());
        const int index = current ? m_bar->findData(current->objectName()) : -1;
        m_bar->setCurrentIndex(index >= 0 ? index : 0);
        fillContents();
    }

private:
    QToolBar *currentBar() const { return toolBarNamed(m_bars, m_bar->currentData().toString()); }
    QList<int> currentContents() const { return m_bars->contents(currentBar()); }
    int insertionRow() const
    {
        const int row = m_contents->currentRow();
        return row >= 0 ? row + 1 : m_contents->count();
    }

    void fillCommands(int categoryRow)
    {
        m_commands->clear();
        if (categoryRow < 0 || categoryRow >= m_categories.size())
            return;
        for (int id : std::as_const(m_categories[categoryRow].ids))
            m_commands->addItem(commandItem(m_bars, id));
    }

    void fillContents(int selectRow = -1)
    {
        m_contents->clear();
        for (int id : currentContents())
            m_contents->addItem(commandItem(m_bars, id));
        if (selectRow >= 0 && selectRow < m_contents->count())
            m_contents->setCurrentRow(selectRow);
    }

    // Puts id before targetRow; with a source row the button moves from there instead.
    void insertAt(int id, int sourceRow, int targetRow)
    {
        QList<int> ids = currentContents();
        targetRow = std::clamp(targetRow, 0, int(ids.size()));
        if (sourceRow >= 0 && sourceRow < ids.size()) {
            ids.removeAt(sourceRow);
            if (sourceRow < targetRow)
                --targetRow;
        } else if (id != 0) {
            // Already there: move it rather than refusing.
            const int existing = int(ids.indexOf(id));
            if (existing >= 0) {
                ids.removeAt(existing);
                if (existing < targetRow)
                    --targetRow;
            }
        }
        ids.insert(targetRow, id);
        store(ids, targetRow);
    }

    void moveCurrent(int step)
    {
        const int row = m_contents->currentRow();
        QList<int> ids = currentContents();
        const int target = row + step;
        if (row < 0 || target < 0 || target >= ids.size())
            return;
        ids.swapItemsAt(row, target);
        store(ids, target);
    }

    void store(const QList<int> &ids, int selectRow)
    {
        QToolBar *bar = currentBar();
        apply([&] { m_bars->setContents(bar, ids); });
        if (selectRow >= 0 && selectRow < m_contents->count())
            m_contents->setCurrentRow(selectRow);
    }

    QList<Category> m_categories;
    QListWidget *m_categoryList;
    CommandSourceList *m_commands;
    QComboBox *m_bar;
    ToolbarContentsList *m_contents;
};

// ---- Keyboard: find a command, see its keys, assign, remove, reset

class KeyboardPage : public PageBase
{
public:
    KeyboardPage(CommandBars *bars, QWidget *parent) : PageBase(bars, parent)
    {
        m_search = new QLineEdit(this);
        m_search->setObjectName(QStringLiteral("keySearch"));
        m_search->setPlaceholderText(QStringLiteral("Type part of a command's name or key"));
        m_search->setClearButtonEnabled(true);
        m_commands = new QTreeWidget(this);
        m_commands->setObjectName(QStringLiteral("keyCommands"));
        m_commands->setHeaderLabels(
            {QStringLiteral("Command"), QStringLiteral("Menu"), QStringLiteral("Keys")});
        m_commands->setRootIsDecorated(false);
        m_commands->setUniformRowHeights(true);
        m_commands->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        for (const res::CommandInfo &info : res::commands()) {
            if (isRunTimeEntry(info.id))
                continue;
            auto *item = new QTreeWidgetItem(m_commands);
            item->setText(0, CommandBars::commandText(info.id));
            item->setText(1, menuOfCommand(info.id));
            item->setData(0, kIdRole, info.id);
            item->setIcon(0, commandIcon(info.id));
            const QString tip =
                QString::fromUtf8(info.tip ? info.tip : "").section(QLatin1Char('\n'), 0, 0);
            item->setToolTip(0, tip);
        }
        m_commands->sortItems(0, Qt::AscendingOrder);

        m_keys = new QListWidget(this);
        m_keys->setObjectName(QStringLiteral("currentKeys"));
        m_remove = new QPushButton(QStringLiteral("&Remove"), this);
        m_remove->setObjectName(QStringLiteral("removeKey"));
        m_edit = new QKeySequenceEdit(this);
        m_edit->setObjectName(QStringLiteral("newKey"));
        m_conflict = new QLabel(this);
        m_conflict->setObjectName(QStringLiteral("keyConflict"));
        m_conflict->setWordWrap(true);
        m_assign = new QPushButton(QStringLiteral("&Assign"), this);
        m_assign->setObjectName(QStringLiteral("assignKey"));
        auto *resetAll = new QPushButton(QStringLiteral("Reset A&ll"), this);
        resetAll->setObjectName(QStringLiteral("resetKeys"));

        auto *side = new QVBoxLayout;
        auto *keysCaption = new QLabel(QStringLiteral("Current &keys:"), this);
        keysCaption->setBuddy(m_keys);
        side->addWidget(keysCaption);
        side->addWidget(m_keys);
        side->addWidget(m_remove);
        side->addSpacing(12);
        auto *pressCaption = new QLabel(QStringLiteral("&Press new shortcut key:"), this);
        pressCaption->setBuddy(m_edit);
        side->addWidget(pressCaption);
        side->addWidget(m_edit);
        side->addWidget(m_conflict);
        side->addWidget(m_assign);
        side->addStretch();
        side->addWidget(resetAll);
        auto *left = new QVBoxLayout;
        auto *searchCaption = new QLabel(QStringLiteral("&Search:"), this);
        searchCaption->setBuddy(m_search);
        auto *searchRow = new QHBoxLayout;
        searchRow->addWidget(searchCaption);
        searchRow->addWidget(m_search, 1);
        left->addLayout(searchRow);
        left->addWidget(m_commands);
        auto *layout = new QHBoxLayout(this);
        layout->addLayout(left, 3);
        layout->addLayout(side, 2);

        connect(m_search, &QLineEdit::textChanged, this, [this] { filter(); });
        connect(m_commands, &QTreeWidget::currentItemChanged, this, [this] { showCommand(); });
        connect(m_edit, &QKeySequenceEdit::keySequenceChanged, this, [this] { showConflict(); });
        connect(m_keys, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
        connect(m_assign, &QPushButton::clicked, this, [this] { assign(); });
        connect(m_remove, &QPushButton::clicked, this, [this] { removeKey(); });
        connect(resetAll, &QPushButton::clicked, this,
                [this] { apply([this] { m_bars->resetShortcuts(); }); });
        refresh();
        if (m_commands->topLevelItemCount() > 0)
            m_commands->setCurrentItem(m_commands->topLevelItem(0));
    }

    void refresh() override
    {
        for (int i = 0; i < m_commands->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = m_commands->topLevelItem(i);
            item->setText(2, keysText(m_bars->shortcuts(item->data(0, kIdRole).toInt())));
        }
        filter();
        showCommand();
    }

private:
    int currentId() const
    {
        QTreeWidgetItem *item = m_commands->currentItem();
        return item && !item->isHidden() ? item->data(0, kIdRole).toInt() : 0;
    }

    void filter()
    {
        const QString text = m_search->text().trimmed();
        for (int i = 0; i < m_commands->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = m_commands->topLevelItem(i);
            const bool match = text.isEmpty() ||
                               item->text(0).contains(text, Qt::CaseInsensitive) ||
                               item->text(1).contains(text, Qt::CaseInsensitive) ||
                               item->text(2).contains(text, Qt::CaseInsensitive);
            item->setHidden(!match);
        }
        if (QTreeWidgetItem *item = m_commands->currentItem(); !item || item->isHidden()) {
            for (int i = 0; i < m_commands->topLevelItemCount(); ++i) {
                if (!m_commands->topLevelItem(i)->isHidden()) {
                    m_commands->setCurrentItem(m_commands->topLevelItem(i));
                    break;
                }
            }
        }
    }

    void showCommand()
    {
        const int id = currentId();
        const int keyRow = m_keys->currentRow();
        m_keys->clear();
        if (id != 0) {
            for (const QKeySequence &key : m_bars->shortcuts(id)) {
                auto *item = new QListWidgetItem(key.toString(QKeySequence::NativeText), m_keys);
                item->setData(kIdRole, key.toString(QKeySequence::PortableText));
            }
        }
        if (m_keys->count() > 0)
            m_keys->setCurrentRow(std::clamp(keyRow, 0, m_keys->count() - 1));
        showConflict();
        updateButtons();
    }

    void showConflict()
    {
        const QKeySequence key = m_edit->keySequence();
        const int id = currentId();
        if (key.isEmpty()) {
            m_conflict->clear();
        } else if (m_bars->shortcuts(id).contains(key)) {
            m_conflict->setText(QStringLiteral("This command already has this key."));
        } else if (const int other = m_bars->commandForShortcut(key, id)) {
            m_conflict->setText(
                QStringLiteral("Currently assigned to \"%1\". Assigning it here takes it away "
                               "from that command.")
                    .arg(CommandBars::commandText(other)));
        } else {
            m_conflict->setText(QStringLiteral("Currently unassigned."));
        }
        updateButtons();
    }

    void updateButtons()
    {
        const int id = currentId();
        m_remove->setEnabled(id != 0 && m_keys->currentItem());
        const QKeySequence key = m_edit->keySequence();
        m_assign->setEnabled(id != 0 && !key.isEmpty() && !m_bars->shortcuts(id).contains(key));
    }

    void assign()
    {
        const int id = currentId();
        const QKeySequence key = m_edit->keySequence();
        if (id == 0 || key.isEmpty())
            return;
        apply([&] {
            // One key, one command: the key leaves whichever command had it.
            if (const int other = m_bars->commandForShortcut(key, id)) {
                QList<QKeySequence> keys = m_bars->shortcuts(other);
                keys.removeAll(key);
                m_bars->setShortcuts(other, keys);
            }
            m_bars->setShortcuts(id, m_bars->shortcuts(id) << key);
        });
        m_edit->clear();
        showConflict();
    }

    void removeKey()
    {
        const int id = currentId();
        QListWidgetItem *item = m_keys->currentItem();
        if (id == 0 || !item)
            return;
        const QKeySequence key(item->data(kIdRole).toString(), QKeySequence::PortableText);
        QList<QKeySequence> keys = m_bars->shortcuts(id);
        keys.removeAll(key);
        apply([&] { m_bars->setShortcuts(id, keys); });
    }

    QLineEdit *m_search;
    QTreeWidget *m_commands;
    QListWidget *m_keys;
    QPushButton *m_remove;
    QKeySequenceEdit *m_edit;
    QLabel *m_conflict;
    QPushButton *m_assign;
};

// ---- Menus: which menu bar is shown, its entries, and putting it back as it was made

class MenusPage : public PageBase
{
public:
    MenusPage(CommandBars *bars, QWidget *parent) : PageBase(bars, parent)
    {
        m_shown = new QLabel(this);
        m_shown->setObjectName(QStringLiteral("menuShown"));
        m_choice = new QComboBox(this);
        m_choice->setObjectName(QStringLiteral("menuChoice"));
        for (int menuId : kMenuBars) {
            if (res::findMenu(menuId))
                m_choice->addItem(menuBarName(menuId), menuId);
        }
        m_tree = new QTreeWidget(this);
        m_tree->setObjectName(QStringLiteral("menuTree"));
        m_tree->setHeaderLabels({QStringLiteral("Entry"), QStringLiteral("Keys")});
        m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        auto *reset = new QPushButton(QStringLiteral("&Reset"), this);
        reset->setObjectName(QStringLiteral("resetMenu"));
        auto *resetHint = new QLabel(
            QStringLiteral("Builds the menu bar that is shown again from its original entries."),
            this);
        resetHint->setWordWrap(true);

        auto *form = new QFormLayout;
        form->addRow(QStringLiteral("Shown now:"), m_shown);
        form->addRow(QStringLiteral("&Show entries of:"), m_choice);
        auto *bottom = new QHBoxLayout;
        bottom->addWidget(resetHint, 1);
        bottom->addWidget(reset);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(m_tree);
        layout->addLayout(bottom);

        connect(m_choice, &QComboBox::currentIndexChanged, this, [this] { fillTree(); });
        connect(reset, &QPushButton::clicked, this,
                [this] { apply([this] { m_bars->resetMenu(); }); });
        const int index = m_choice->findData(bars->currentMenu());
        m_choice->setCurrentIndex(index >= 0 ? index : 0);
        refresh();
    }

    void refresh() override
    {
        m_shown->setText(menuBarName(m_bars->currentMenu()));
        fillTree();
    }

private:
    void fillTree()
    {
        m_tree->clear();
        const res::MenuResource *menu = res::findMenu(m_choice->currentData().toInt());
        if (!menu)
            return;
        QList<QTreeWidgetItem *> parents;
        for (const res::MenuEntry &entry : menu->entries) {
            if (entry.kind == res::MenuEntry::Separator)
                continue;
            parents.resize(std::min<qsizetype>(parents.size(), entry.depth));
            QTreeWidgetItem *item = parents.isEmpty() ? new QTreeWidgetItem(m_tree)
                                                      : new QTreeWidgetItem(parents.last());
            if (entry.kind == res::MenuEntry::Popup) {
                item->setText(0, plainTitle(entry.text));
                parents.append(item);
                continue;
            }
            item->setText(0,
                          entry.text ? plainTitle(entry.text) : CommandBars::commandText(entry.id));
            item->setText(1, keysText(m_bars->shortcuts(entry.id)));
            item->setIcon(0, commandIcon(entry.id));
        }
    }

    QLabel *m_shown;
    QComboBox *m_choice;
    QTreeWidget *m_tree;
};

// ---- Options: icon size and tooltips

class OptionsPage : public PageBase
{
public:
    OptionsPage(CommandBars *bars, QWidget *parent) : PageBase(bars, parent)
    {
        m_large = new QCheckBox(QStringLiteral("&Large icons"), this);
        m_large->setObjectName(QStringLiteral("largeIcons"));
        m_tips = new QCheckBox(QStringLiteral("Show &ScreenTips on toolbars"), this);
        m_tips->setObjectName(QStringLiteral("showToolTips"));
        m_keys = new QCheckBox(QStringLiteral("Show shortcut &keys in ScreenTips"), this);
        m_keys->setObjectName(QStringLiteral("shortcutsInToolTips"));
        auto *group = new QGroupBox(QStringLiteral("Toolbars"), this);
        auto *inner = new QVBoxLayout(group);
        inner->addWidget(m_large);
        inner->addWidget(m_tips);
        auto *indented = new QHBoxLayout;
        indented->addSpacing(20);
        indented->addWidget(m_keys);
        inner->addLayout(indented);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addStretch();

        connect(m_large, &QCheckBox::toggled, this,
                [this](bool on) { apply([&] { m_bars->chooseLargeIcons(on); }); });
        connect(m_tips, &QCheckBox::toggled, this,
                [this](bool on) { apply([&] { m_bars->setShowToolTips(on); }); });
        connect(m_keys, &QCheckBox::toggled, this,
                [this](bool on) { apply([&] { m_bars->setShortcutsInToolTips(on); }); });
        refresh();
    }

    void refresh() override
    {
        const QSignalBlocker b1(m_large);
        const QSignalBlocker b2(m_tips);
        const QSignalBlocker b3(m_keys);
        m_large->setChecked(m_bars->largeIcons());
        m_tips->setChecked(m_bars->showToolTips());
        m_keys->setChecked(m_bars->shortcutsInToolTips());
        m_keys->setEnabled(m_bars->showToolTips());
    }

private:
    QCheckBox *m_large;
    QCheckBox *m_tips;
    QCheckBox *m_keys;
};

// ---- Presentation: the theme and semi-transparent dialogs

class PresentationPage : public PageBase
{
public:
    PresentationPage(CommandBars *bars, QWidget *parent) : PageBase(bars, parent)
    {
        m_theme = new QComboBox(this);
        m_theme->setObjectName(QStringLiteral("themeChoice"));
        for (int id = kThemeFirst; id <= kThemeLast; ++id)
            m_theme->addItem(themeName(id), id);
        m_transparent = new QCheckBox(
            QStringLiteral("Make dialog windows semi-transparent.  This will help you to see the "
                           "document when a dialog is open."),
            this);
        m_transparent->setObjectName(QStringLiteral("transparentDialogs"));
        m_percent = new QSlider(Qt::Horizontal, this);
        m_percent->setObjectName(QStringLiteral("transparentPercent"));
        m_percent->setRange(25, 100);
        m_percent->setPageStep(5);
        m_percentText = new QLabel(this);
        m_percentText->setMinimumWidth(
            m_percentText->fontMetrics().horizontalAdvance(QStringLiteral("100 %")));

        auto *form = new QFormLayout;
        form->addRow(QStringLiteral("Look && &Feel:"), m_theme);
        auto *percentRow = new QHBoxLayout;
        percentRow->addWidget(m_percent, 1);
        percentRow->addWidget(m_percentText);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addSpacing(12);
        layout->addWidget(m_transparent);
        auto *opacityCaption = new QLabel(QStringLiteral("&Opacity of dialogs:"), this);
        opacityCaption->setBuddy(m_percent);
        layout->addWidget(opacityCaption);
        layout->addLayout(percentRow);
        layout->addStretch();

        connect(m_theme, &QComboBox::currentIndexChanged, this, [this] { store(); });
        connect(m_transparent, &QCheckBox::toggled, this, [this] { store(); });
        connect(m_percent, &QSlider::valueChanged, this, [this] { store(); });
        refresh();
    }

    void refresh() override
    {
        const CommandBars::Presentation p = m_bars->presentation();
        const QSignalBlocker b1(m_theme);
        const QSignalBlocker b2(m_transparent);
        const QSignalBlocker b3(m_percent);
        const int index = m_theme->findData(isThemeId(p.theme) ? p.theme : kThemeDefault);
        m_theme->setCurrentIndex(index);
        m_transparent->setChecked(p.transparentDialogs);
        m_percent->setValue(std::clamp(p.transparentPercent, 25, 100));
        m_percent->setEnabled(p.transparentDialogs);
        m_percentText->setText(QStringLiteral("%1 %").arg(m_percent->value()));
    }

private:
    void store()
    {
        CommandBars::Presentation p;
        p.theme = m_theme->currentData().toInt();
        p.transparentDialogs = m_transparent->isChecked();
        p.transparentPercent = m_percent->value();
        apply([&] { m_bars->choosePresentation(p); });
    }

    QComboBox *m_theme;
    QCheckBox *m_transparent;
    QSlider *m_percent;
    QLabel *m_percentText;
};

} // namespace

CustomizeDialog::CustomizeDialog(CommandBars *bars, QWidget *parent)
    : QDialog(parent), m_bars(bars), m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("CustomizeDialog"));
    setWindowTitle(QStringLiteral("Customize"));
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(true);
    m_tabs->setObjectName(QStringLiteral("customizeTabs"));

    addPage(CommandBars::ToolbarsPage, QStringLiteral("Toolbars"), new ToolbarsPage(bars, this),
            -1);
    addPage(CommandBars::CommandsPage, QStringLiteral("Commands"), new CommandsPage(bars, this),
            -1);
    addPage(CommandBars::KeyboardPage, QStringLiteral("Keyboard"), new KeyboardPage(bars, this),
            -1);
    addPage(CommandBars::MenusPage, QStringLiteral("Menus"), new MenusPage(bars, this), -1);
    addPage(CommandBars::OptionsPage, QStringLiteral("Options"), new OptionsPage(bars, this), -1);
    addPage(CommandBars::PresentationPage, QStringLiteral("Presentation"),
            new PresentationPage(bars, this), -1);
    for (const auto &extra : bars->extraPages()) {
        if (QWidget *widget = extra.factory(this))
            addPage(extra.id, extra.title, widget, extra.before);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    resize(640, 460);

    // However it ends (Close, Escape, the title bar), the dialog goes away.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
}

CustomizeDialog::~CustomizeDialog()
{
    // Pages go first: a page that hands its edits back when it is destroyed must have done so
    // before the owner hears that customising is over.
    delete m_tabs;
    m_tabs = nullptr;
    m_bars->dialogClosed();
}

void CustomizeDialog::addPage(int pageId, const QString &title, QWidget *page, int beforePageId)
{
    page->setProperty(kPageProperty, pageId);
    int index = -1;
    if (beforePageId >= 0) {
        for (int i = 0; i < m_tabs->count(); ++i) {
            if (m_tabs->widget(i)->property(kPageProperty).toInt() == beforePageId)
                index = i;
        }
    }
    m_tabs->insertTab(index, page, title);
}

void CustomizeDialog::setCurrentPage(int page)
{
    if (QWidget *widget = this->page(page))
        m_tabs->setCurrentWidget(widget);
    else
        m_tabs->setCurrentIndex(0);
}

int CustomizeDialog::currentPage() const
{
    QWidget *widget = m_tabs ? m_tabs->currentWidget() : nullptr;
    return widget ? widget->property(kPageProperty).toInt() : -1;
}

QWidget *CustomizeDialog::page(int pageId) const
{
    if (!m_tabs)
        return nullptr;
    for (int i = 0; i < m_tabs->count(); ++i) {
        QWidget *widget = m_tabs->widget(i);
        if (widget->property(kPageProperty).toInt() == pageId)
            return widget;
    }
    return nullptr;
}

} // namespace pw
