// The Toolbars page of the customise dialog: show, hide, make, rename, delete and reset toolbars.
#include "chrome/commandbars.h"
#include "chrome/customizepage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace pw {

using namespace customize;

namespace {

class ToolbarsPage : public CustomizePage
{
public:
    ToolbarsPage(CommandBars *bars, QWidget *parent) : CustomizePage(bars, parent)
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

} // namespace

CustomizePage *makeToolbarsPage(CommandBars *bars, QWidget *parent)
{
    return new ToolbarsPage(bars, parent);
}

} // namespace pw
