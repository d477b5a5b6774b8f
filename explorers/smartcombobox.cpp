// CSmartComboBox: completion while typing, never after Delete or Backspace.
#include "explorers/smartcombobox.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace pw {

CSmartComboBox::CSmartComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Our own completion replaces Qt's, which would fight it over the selection.
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CSmartComboBox::complete);
}

int CSmartComboBox::completionFor(const QString &typed) const
{
    if (typed.isEmpty() || count() == 0)
        return -1;
    for (int step = 0; step < count(); ++step) {
        const int index = (step + 1) % count();
        if (itemText(index).startsWith(typed, Qt::CaseInsensitive))
            return index;
    }
    return -1;
}

bool CSmartComboBox::eventFilter(QObject *watched, QEvent *event)
{
    // Keys reach the edit whether the combo forwards them or the edit has the focus itself.
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        m_deleting = key == Qt::Key_Delete || key == Qt::Key_Backspace;
    }
    return QComboBox::eventFilter(watched, event);
}

void CSmartComboBox::complete(const QString &typed)
{
    if (m_deleting)
        return;
    const int index = completionFor(typed);
    if (index < 0)
        return;
    const QString full = itemText(index);
    lineEdit()->setText(full);
    lineEdit()->setSelection(int(typed.size()), int(full.size() - typed.size()));
}

} // namespace pw
