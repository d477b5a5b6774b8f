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

void CSmartComboBox::keyPressEvent(QKeyEvent *event)
{
    m_deleting = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
    QComboBox::keyPressEvent(event);
    m_deleting = false;
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
