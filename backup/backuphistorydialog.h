// CBackupHistoryDlg: "Document Backups", the versions of a document and the choice of two.
#pragma once

#include "backup/engine/versionlist.h"

#include <QDialog>
#include <functional>

class QListWidget;
class QPushButton;

namespace pw {

// "Current" first, then the versions from the newest down. "Compare" with exactly two rows
// selected closes the dialog with Accepted and their files in choice(), upper row first; any
// other number of rows shows "Please ensure that just two items ..." and the dialog stays.
class CBackupHistoryDlg : public QDialog
{
    Q_OBJECT
public:
    CBackupHistoryDlg(QList<backup::VersionListItem> items, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QPushButton *compareButton() const { return m_compare; }
    const QList<backup::VersionListItem> &items() const { return m_items; }
    // The two files to compare, once the dialog was accepted.
    const backup::CompareChoice &choice() const { return m_choice; }

    void accept() override;
    // Shows the dialog modally, or hands it to the test hook; the dialog's result.
    int run();

    using ShowHook = std::function<int(CBackupHistoryDlg &)>;
    static void setShowHook(ShowHook hook);

private:
    static inline ShowHook s_showHook;
    QList<backup::VersionListItem> m_items;
    QListWidget *m_list;
    QPushButton *m_compare;
    backup::CompareChoice m_choice;
};

} // namespace pw
