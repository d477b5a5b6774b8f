// CSmartComboBox: completion while typing and the remembered history list.
#include "findinfiles/smartcombobox.h"

#include "search/engine/searchrules.h"
#include "settings/xmlsettingsstore.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace pw {

CSmartComboBox::CSmartComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setMaxCount(INT_MAX);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(30);
    lineEdit()->setMaxLength(INT_MAX);
    lineEdit()->installEventFilter(this);
    installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CSmartComboBox::complete);
}

QStringList CSmartComboBox::entries() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list.append(itemText(i));
    return list;
}

void CSmartComboBox::loadHistory(const QString &settingsFile, const QString &section)
{
    m_settingsFile = settingsFile;
    m_section = section;
    clear();
    if (settingsFile.isEmpty())
        return;
    const HistoryList history = XmlSettingsStore(settingsFile).loadHistory(section);
    addItems(history.entries);
    setCurrentIndex(history.selected);
}

void CSmartComboBox::enterText(const QString &text)
{
    if (text.isEmpty() || search::findHistoryEntry(entries(), text, Qt::CaseSensitive) >= 0)
        return;
    insertItem(0, text);
    setCurrentIndex(0);
    saveHistory();
}

void CSmartComboBox::saveHistory()
{
    if (m_settingsFile.isEmpty() || m_section.isEmpty())
        return;
    const int index = currentIndex();
    const int selected = index >= 0 && itemText(index) == currentText() ? index : -1;
    XmlSettingsStore(m_settingsFile).saveHistory(m_section, search::historyToStore(entries()),
                                                 selected);
}

void CSmartComboBox::complete(const QString &typed)
{
    if (!m_allowCompletion)
        return;
    const int entry = search::completionEntry(entries(), typed);
    if (entry < 0)
        return;
    const QString full = itemText(entry);
    lineEdit()->setText(full);
    lineEdit()->setSelection(int(typed.size()), int(full.size() - typed.size()));
}

bool CSmartComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == lineEdit()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        m_allowCompletion = key != Qt::Key_Backspace && key != Qt::Key_Delete;
    } else if (event->type() == QEvent::FocusOut && !m_section.isEmpty() &&
               !lineEdit()->hasFocus() && !hasFocus()) {
        enterText(currentText());
    }
    return QComboBox::eventFilter(watched, event);
}

} // namespace pw
