// The Tools page: the tool list with new, delete and move buttons, the three edits and the output.
#include "tools/toolspage.h"

#include "framework/messages.h"
#include "resources/stringids.h"
#include "tools/engine/externaltool.h"
#include "tools/toolscontroller.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace pw {

namespace {

constexpr int kKeyRole = Qt::UserRole;

// "Name (*.a)|*.a|Other (*.b)|*.b||" as the file dialog's filters. "*.*" means every file, with
// or without a dot.
QStringList dialogFilters(const QString &resourceFilter)
{
    QStringList filters;
    const QStringList parts = resourceFilter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty())
            break;
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns)
            pattern =
                pattern.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : pattern.trimmed();
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i).section(QLatin1String(" ("), 0, 0),
                                                 patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

class ToolsPage : public QWidget
{
public:
    ToolsPage(ToolsController *controller, QWidget *parent)
        : QWidget(parent), m_controller(controller)
    {
        setObjectName(QStringLiteral("toolsPage"));
        m_list = new QListWidget(this);
        m_list->setObjectName(QStringLiteral("toolList"));
        auto *listLabel = new QLabel(QStringLiteral(" &Menu contents:"), this);
        listLabel->setBuddy(m_list);
        auto *newButton = button(QStringLiteral("&New"), QStringLiteral("toolNew"));
        auto *deleteButton = button(QStringLiteral("&Delete"), QStringLiteral("toolDelete"));
        auto *upButton = button(QStringLiteral("Move &Up"), QStringLiteral("toolUp"));
        auto *downButton = button(QStringLiteral("Move Do&wn"), QStringLiteral("toolDown"));

        m_command = edit(QStringLiteral("toolCommand"));
        m_arguments = edit(QStringLiteral("toolArguments"));
        m_directory = edit(QStringLiteral("toolDirectory"));
        m_output = new QComboBox(this);
        m_output->setObjectName(QStringLiteral("toolOutput"));
        for (int mode = 0; mode < 3; ++mode)
            m_output->addItem(resourceText(Str::ToolOutputModeFirst + mode));

        auto *buttons = new QHBoxLayout;
        for (QPushButton *b : {newButton, deleteButton, upButton, downButton})
            buttons->addWidget(b);
        buttons->addStretch();
        m_fields = new QFormLayout;
        m_fields->addRow(QStringLiteral("&Command:"),
                         withBrowse(m_command, [this] { browseProgram(m_command); }));
        m_fields->addRow(QStringLiteral("&Arguments:"),
                         withBrowse(m_arguments, [this] { browseFile(m_arguments); }));
        m_fields->addRow(QStringLiteral("&Initial Directory:"),
                         withBrowse(m_directory, [this] { browseFolder(m_directory); }));
        m_fields->addRow(QStringLiteral("&Output Capture:"), m_output);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(listLabel);
        layout->addWidget(m_list, 1);
        layout->addLayout(buttons);
        layout->addLayout(m_fields);

        for (const ExternalTool &tool : controller->tools())
            addItem(tool);
        connect(m_list, &QListWidget::currentRowChanged, this, [this] { showSelected(); });
        connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
            const auto it = m_copies.find(item->data(kKeyRole).toInt());
            if (it != m_copies.end())
                it->name = item->text();
        });
        for (QLineEdit *e : {m_command, m_arguments, m_directory})
            connect(e, &QLineEdit::textEdited, this, [this] { storeFields(); });
        connect(m_output, &QComboBox::currentIndexChanged, this, [this] { storeFields(); });
        connect(newButton, &QPushButton::clicked, this, [this] { addNew(); });
        connect(deleteButton, &QPushButton::clicked, this, [this] { deleteSelected(); });
        connect(upButton, &QPushButton::clicked, this, [this] { moveSelected(-1); });
        connect(downButton, &QPushButton::clicked, this, [this] { moveSelected(1); });
        m_list->setCurrentRow(m_list->count() ? 0 : -1);
        showSelected();
    }

    ~ToolsPage() override
    {
        if (!m_controller)
            return;
        ToolList tools;
        for (int row = 0; row < m_list->count(); ++row)
            tools.append(m_copies.value(m_list->item(row)->data(kKeyRole).toInt()));
        m_controller->setTools(tools);
    }

private:
    QPushButton *button(const QString &text, const QString &name)
    {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        return b;
    }
    QLineEdit *edit(const QString &name)
    {
        auto *e = new QLineEdit(this);
        e->setObjectName(name);
        return e;
    }
    template <typename F> QWidget *withBrowse(QLineEdit *field, F &&browse)
    {
        auto *row = new QWidget(this);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(field, 1);
        auto *b = new QToolButton(row);
        b->setText(QStringLiteral("..."));
        b->setToolTip(resourceText(Str::ToolBrowseTitle));
        b->setObjectName(field->objectName() + QStringLiteral("Browse"));
        connect(b, &QToolButton::clicked, this, std::forward<F>(browse));
        layout->addWidget(b);
        return row;
    }

    void addItem(const ExternalTool &tool)
    {
        const int key = m_nextKey++;
        m_copies.insert(key, tool);
        // Made whole before it joins the list, which reports every change of a listed item.
        auto *item = new QListWidgetItem(tool.name);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setData(kKeyRole, key);
        m_list->addItem(item);
    }
    ExternalTool *selected()
    {
        QListWidgetItem *item = m_list->currentItem();
        return item ? &m_copies[item->data(kKeyRole).toInt()] : nullptr;
    }

    void showSelected()
    {
        // Showing a copy is not editing it.
        m_showing = true;
        const ExternalTool *tool = selected();
        m_command->setText(tool ? tool->cmd : QString());
        m_arguments->setText(tool ? tool->args : QString());
        m_directory->setText(tool ? tool->dir : QString());
        const std::optional<ToolOutputMode> mode = tool ? outputModeOf(*tool) : std::nullopt;
        m_output->setCurrentIndex(mode ? int(*mode) : 0);
        for (int row = 0; row < m_fields->rowCount(); ++row) {
            for (auto role : {QFormLayout::LabelRole, QFormLayout::FieldRole}) {
                if (QLayoutItem *it = m_fields->itemAt(row, role); it && it->widget())
                    it->widget()->setEnabled(tool != nullptr);
            }
        }
        m_showing = false;
    }
    void storeFields()
    {
        ExternalTool *tool = m_showing ? nullptr : selected();
        if (tool) {
            tool->cmd = m_command->text();
            tool->args = m_arguments->text();
            tool->dir = m_directory->text();
            tool->type = m_output->currentIndex();
        }
    }

    void addNew()
    {
        ExternalTool tool;
        tool.name = QStringLiteral("New Tool");
        addItem(tool);
        m_list->setCurrentRow(m_list->count() - 1);
        m_list->editItem(m_list->currentItem());
    }
    void deleteSelected()
    {
        const int row = m_list->currentRow();
        if (row < 0)
            return;
        QListWidgetItem *item = m_list->takeItem(row);
        m_copies.remove(item->data(kKeyRole).toInt());
        delete item;
        showSelected();
    }
    void moveSelected(int by)
    {
        const int row = m_list->currentRow();
        const int to = row + by;
        if (row < 0 || to < 0 || to >= m_list->count())
            return;
        m_list->insertItem(to, m_list->takeItem(row));
        m_list->setCurrentRow(to);
    }

    void browseProgram(QLineEdit *field)
    {
        QFileDialog dialog(this, resourceText(Str::ToolBrowseTitle));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(dialogFilters(resourceText(Str::ToolCommandFilter)));
#ifndef Q_OS_WIN
        // Programs here carry no extension: start on the filter that shows them.
        dialog.selectNameFilter(dialog.nameFilters().constLast());
#endif
        chosen(field, dialog);
    }
    void browseFile(QLineEdit *field)
    {
        QFileDialog dialog(this, resourceText(Str::ToolBrowseTitle));
        dialog.setFileMode(QFileDialog::ExistingFile);
        chosen(field, dialog);
    }
    void browseFolder(QLineEdit *field)
    {
        QFileDialog dialog(this, resourceText(Str::ToolBrowseTitle));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        chosen(field, dialog);
    }
    void chosen(QLineEdit *field, QFileDialog &dialog)
    {
        if (!field->text().isEmpty())
            dialog.selectFile(field->text());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        field->setText(dialog.selectedFiles().constFirst());
        storeFields();
    }

    QPointer<ToolsController> m_controller;
    QListWidget *m_list;
    QLineEdit *m_command;
    QLineEdit *m_arguments;
    QLineEdit *m_directory;
    QComboBox *m_output;
    QFormLayout *m_fields;
    QHash<int, ExternalTool> m_copies;
    int m_nextKey = 0;
    bool m_showing = false;
};

} // namespace

QWidget *makeToolsPage(ToolsController *controller, QWidget *parent)
{
    return new ToolsPage(controller, parent);
}

} // namespace pw
