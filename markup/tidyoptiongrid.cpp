// TidyOptionGrid: the option rows, their editors and the description pane.
#include "markup/tidyoptiongrid.h"

#include "framework/messages.h"
#include "resources/stringids.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <limits>

namespace pw {

TidyOptionGrid::TidyOptionGrid(QWidget *parent)
    : QWidget(parent), m_tree(new QTreeWidget(this)), m_description(new QLabel(this))
{
    m_tree->setColumnCount(2);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setAlternatingRowColors(true);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(true);
    m_description->setWordWrap(true);
    m_description->setTextFormat(Qt::RichText);
    m_description->setMinimumHeight(80);
    m_description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_description->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_description);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &TidyOptionGrid::showDescription);
}

void TidyOptionGrid::setOptions(const std::vector<TidyOptionInfo> &options)
{
    m_tree->clear();
    for (TidyGroup group : TidyGroupOrder) {
        auto *header = new QTreeWidgetItem(m_tree);
        header->setText(0, resourceText(Str::TidyCategoryFirst + int(group)));
        header->setFirstColumnSpanned(true);
        QFont bold = header->font(0);
        bold.setBold(true);
        header->setFont(0, bold);
        for (const TidyOptionInfo &info : options) {
            if (info.group != group)
                continue;
            auto *item = new QTreeWidgetItem(header);
            item->setText(0, info.name);
            item->setData(0, IdRole, info.id);
            item->setData(0, DescriptionRole, info.doc);
            item->setToolTip(0, info.doc);
            m_tree->setItemWidget(item, 1, editorFor(info));
        }
        header->setExpanded(true);
    }
}

QWidget *TidyOptionGrid::editorFor(const TidyOptionInfo &info)
{
    QWidget *editor = nullptr;
    switch (info.kind) {
    case TidyOptionInfo::Text: {
        auto *line = new QLineEdit(info.value);
        connect(line, &QLineEdit::textEdited, this, &TidyOptionGrid::changed);
        editor = line;
        break;
    }
    case TidyOptionInfo::Number: {
        auto *spin = new QSpinBox;
        spin->setRange(0, std::numeric_limits<int>::max());
        spin->setValue(info.value.toInt());
        connect(spin, &QSpinBox::valueChanged, this, &TidyOptionGrid::changed);
        editor = spin;
        break;
    }
    case TidyOptionInfo::YesNo:
    case TidyOptionInfo::Choice: {
        auto *combo = new QComboBox;
        const QStringList picks = info.kind == TidyOptionInfo::YesNo
                                      ? QStringList{QStringLiteral("no"), QStringLiteral("yes")}
                                      : info.picks;
        combo->addItems(picks);
        // A value outside the picks (a doctype's own text) is kept and can be typed.
        if (!picks.contains(info.value)) {
            combo->setEditable(true);
            combo->setEditText(info.value);
            connect(combo, &QComboBox::editTextChanged, this, &TidyOptionGrid::changed);
        } else {
            combo->setCurrentText(info.value);
        }
        connect(combo, &QComboBox::currentIndexChanged, this, &TidyOptionGrid::changed);
        editor = combo;
        break;
    }
    }
    editor->setEnabled(!info.readOnly);
    editor->setToolTip(info.doc);
    return editor;
}

QTreeWidgetItem *TidyOptionGrid::itemOf(int id) const
{
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem *header = m_tree->topLevelItem(g);
        for (int i = 0; i < header->childCount(); ++i) {
            if (header->child(i)->data(0, IdRole).toInt() == id)
                return header->child(i);
        }
    }
    return nullptr;
}

static QString editorValue(QWidget *editor)
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        return line->text();
    if (auto *spin = qobject_cast<QSpinBox *>(editor))
        return QString::number(spin->value());
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        return combo->currentText();
    return {};
}

std::vector<std::pair<int, QString>> TidyOptionGrid::values() const
{
    std::vector<std::pair<int, QString>> result;
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem *header = m_tree->topLevelItem(g);
        for (int i = 0; i < header->childCount(); ++i) {
            QTreeWidgetItem *item = header->child(i);
            result.emplace_back(item->data(0, IdRole).toInt(),
                                editorValue(m_tree->itemWidget(item, 1)));
        }
    }
    return result;
}

QString TidyOptionGrid::value(int id) const
{
    QTreeWidgetItem *item = itemOf(id);
    return item ? editorValue(m_tree->itemWidget(item, 1)) : QString();
}

bool TidyOptionGrid::setValue(int id, const QString &value)
{
    QTreeWidgetItem *item = itemOf(id);
    if (!item)
        return false;
    QWidget *editor = m_tree->itemWidget(item, 1);
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(value);
        emit changed();
        return true;
    }
    if (auto *spin = qobject_cast<QSpinBox *>(editor)) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (ok)
            spin->setValue(number);
        return ok;
    }
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        const int index = combo->findText(value);
        if (index < 0 && !combo->isEditable())
            return false;
        if (index >= 0)
            combo->setCurrentIndex(index);
        else
            combo->setEditText(value);
        return true;
    }
    return false;
}

int TidyOptionGrid::optionCount() const
{
    int count = 0;
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g)
        count += m_tree->topLevelItem(g)->childCount();
    return count;
}

void TidyOptionGrid::showDescription()
{
    QTreeWidgetItem *item = m_tree->currentItem();
    m_description->setText(item ? item->data(0, DescriptionRole).toString() : QString());
}

} // namespace pw
