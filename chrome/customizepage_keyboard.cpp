// The Keyboard page of the customise dialog: find a command, see its keys, assign, remove, reset.
#include "chrome/commandbars.h"
#include "chrome/commandbarsinternal.h"
#include "chrome/customizepage.h"
#include "chrome/toolbaricons.h"
#include "resources/resources.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

using namespace customize;

namespace {

// The first menu that shows a command, for telling apart commands with the same text.
QString menuOfCommand(int id)
{
    for (int menuId : menuBars()) {
        const res::MenuResource *menu = res::findMenu(menuId);
        if (!menu)
            continue;
        QString title;
        for (const res::MenuEntry &entry : menu->entries) {
            if (entry.depth == 0 && entry.kind == res::MenuEntry::Popup)
                title = detail::plainText(QString::fromUtf8(entry.text));
            else if (entry.kind == res::MenuEntry::Command && entry.id == id)
                return title;
        }
    }
    return QString();
}

class KeyboardPage : public CustomizePage
{
public:
    KeyboardPage(CommandBars *bars, QWidget *parent) : CustomizePage(bars, parent)
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

} // namespace

CustomizePage *makeKeyboardPage(CommandBars *bars, QWidget *parent)
{
    return new KeyboardPage(bars, parent);
}

} // namespace pw
