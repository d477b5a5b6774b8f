// TidyOptionGrid: a property grid of Tidy options, grouped by category, with each option's help.
#pragma once

#include "markup/engine/tidyoptions.h"

#include <QWidget>
#include <utility>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace pw {

// Two columns, the option's name and its value editor (a text box, a number box, a yes/no or a
// drop-down of Tidy's picks), under one header row per group; the selected option's
// documentation shows below.
class TidyOptionGrid : public QWidget
{
    Q_OBJECT
public:
    // The role under which each option row keeps its id and its documentation.
    static constexpr int IdRole = Qt::UserRole;
    static constexpr int DescriptionRole = Qt::UserRole + 1;

    explicit TidyOptionGrid(QWidget *parent = nullptr);

    // Fills the grid: the groups in TidyGroupOrder, each option of a group in Tidy's order.
    void setOptions(const std::vector<TidyOptionInfo> &options);
    // Every option row's (id, value) in the grid's order.
    std::vector<std::pair<int, QString>> values() const;
    QString value(int id) const;
    // Sets an option's editor as the user would; false for an unknown id or a value the editor
    // cannot take.
    bool setValue(int id, const QString &value);
    int optionCount() const;
    QTreeWidget *tree() const { return m_tree; }

signals:
    void changed();

private:
    QWidget *editorFor(const TidyOptionInfo &info);
    QTreeWidgetItem *itemOf(int id) const;
    void showDescription();

    QTreeWidget *m_tree;
    QLabel *m_description;
};

} // namespace pw
