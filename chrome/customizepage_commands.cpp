// The Commands page of the customise dialog: put commands on toolbars, order and remove them.
#include "chrome/commandbars.h"
#include "chrome/commandbarsinternal.h"
#include "chrome/customizepage.h"
#include "resources/commandids.h"
#include "resources/resources.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace pw {

using namespace customize;

namespace {

const QString kCommandMime = QStringLiteral("application/x-penwright-command");

struct Category
{
    QString title;
    QList<int> ids;
};

// The commands grouped by the top-level menu that holds them, then the rest, the controls and
// everything in one list.
QList<Category> commandCategories(const CommandBars *bars)
{
    QList<Category> categories;
    QList<int> placed;
    for (int menuId : menuBars()) {
        const res::MenuResource *menu = res::findMenu(menuId);
        if (!menu)
            continue;
        Category *current = nullptr;
        for (const res::MenuEntry &entry : menu->entries) {
            if (entry.depth == 0) {
                current = nullptr;
                if (entry.kind != res::MenuEntry::Popup)
                    continue;
                const QString title = detail::plainText(QString::fromUtf8(entry.text));
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

class CommandsPage : public CustomizePage
{
public:
    CommandsPage(CommandBars *bars, QWidget *parent)
        : CustomizePage(bars, parent), m_categories(commandCategories(bars))
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

} // namespace

CustomizePage *makeCommandsPage(CommandBars *bars, QWidget *parent)
{
    return new CommandsPage(bars, parent);
}

} // namespace pw
