// CViewAsManagerDialog: "View As ...", choosing a document's colouring from every language.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace pw {

class CViewAsManagerDialog : public QDialog
{
    Q_OBJECT
public:
    // menuLabels: every language's menu label in list order; initialSelection: the position
    // selected when the dialog opens (none when outside the list).
    CViewAsManagerDialog(const QStringList &menuLabels, int initialSelection,
                         QWidget *parent = nullptr);

    // The list position chosen, or -1 when nothing is selected (an empty list).
    int selectedIndex() const { return m_selected; }

    // The list box (control 1009).
    QListWidget *list() const { return m_list; }

public slots:
    // OK and a double click both take the list's current selection and close with OK.
    void accept() override;

private:
    QListWidget *m_list = nullptr;
    int m_selected = -1;
};

} // namespace pw
