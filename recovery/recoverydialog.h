// CRecoveryDialog: "Recover Unsaved Documents", the snapshots a previous run left and a choice
// for each.
#pragma once

#include "recovery/engine/recoveryfile.h"

#include <QDialog>
#include <functional>

class QTableWidget;

namespace pw {

class CRecoveryDialog : public QDialog
{
    Q_OBJECT
public:
    enum Choice { Recover = 0, Discard = 1, Later = 2 };

    explicit CRecoveryDialog(QList<recovery::Entry> entries, QWidget *parent = nullptr);

    const QList<recovery::Entry> &entries() const { return m_entries; }
    QTableWidget *table() const { return m_table; }
    Choice choice(int row) const;
    // A damaged entry cannot be recovered; Recover leaves it as it was.
    void setChoice(int row, Choice choice);
    // The name an entry shows: its path, or the title of a document that had no file.
    static QString nameOf(const recovery::Entry &entry);

    // Shows the dialog modally, or hands it to the test hook; the dialog's result. A rejected
    // dialog decides nothing: every file stays for later.
    int run();
    using ShowHook = std::function<int(CRecoveryDialog &)>;
    static void setShowHook(ShowHook hook);

private:
    static inline ShowHook s_showHook;
    QList<recovery::Entry> m_entries;
    QTableWidget *m_table;
};

} // namespace pw
