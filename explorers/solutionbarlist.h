// CSolutionBarList: the List Explorer pane, whose entries are inserted into the active document.
#pragma once

#include <QWidget>

class QComboBox;
class QListWidget;
class QListWidgetItem;

namespace pw {

class Host;

class CSolutionBarList : public QWidget
{
    Q_OBJECT
public:
    explicit CSolutionBarList(Host &host, QWidget *parent = nullptr);

    QComboBox *listCombo() const { return m_combo; }
    QListWidget *entries() const { return m_list; }
    // Shows one of the three lists (the combo's item data).
    void showList(int kind);
    // What a double click on the entry does: inserts it into the active text window.
    bool insertEntry(int row);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    Host &m_host;
    QComboBox *m_combo;
    QListWidget *m_list;
    int m_kind = 0;
};

} // namespace pw
