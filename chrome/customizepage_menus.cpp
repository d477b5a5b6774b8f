// The Menus page of the customise dialog: which menu bar is shown, its entries, and resetting it.
#include "chrome/commandbars.h"
#include "chrome/commandbarsinternal.h"
#include "chrome/customizepage.h"
#include "chrome/toolbaricons.h"
#include "resources/resources.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

using namespace customize;

namespace {

class MenusPage : public CustomizePage
{
public:
    MenusPage(CommandBars *bars, QWidget *parent) : CustomizePage(bars, parent)
    {
        m_shown = new QLabel(this);
        m_shown->setObjectName(QStringLiteral("menuShown"));
        m_choice = new QComboBox(this);
        m_choice->setObjectName(QStringLiteral("menuChoice"));
        for (int menuId : menuBars()) {
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
                item->setText(0, detail::plainText(QString::fromUtf8(entry.text)));
                parents.append(item);
                continue;
            }
            item->setText(0, entry.text ? detail::plainText(QString::fromUtf8(entry.text))
                                        : CommandBars::commandText(entry.id));
            item->setText(1, keysText(m_bars->shortcuts(entry.id)));
            item->setIcon(0, commandIcon(entry.id));
        }
    }

    QLabel *m_shown;
    QComboBox *m_choice;
    QTreeWidget *m_tree;
};

} // namespace

CustomizePage *makeMenusPage(CommandBars *bars, QWidget *parent)
{
    return new MenusPage(bars, parent);
}

} // namespace pw
