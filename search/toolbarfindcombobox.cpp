// CToolbarFindComboBox: history list, completion while typing, Enter and the box's own keys.
#include "search/toolbarfindcombobox.h"

#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"
#include "search/engine/searchrules.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <limits>

namespace pw {

namespace {
QKeySequence sequenceOf(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(event->key())));
}
} // namespace

CFindEdit::CFindEdit(QWidget *parent) : QLineEdit(parent) {}

bool CFindEdit::event(QEvent *event)
{
    // The box's own keys win over the window's shortcuts while the box has the focus.
    if (event->type() == QEvent::ShortcutOverride && m_commandKey) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (m_commandKey(sequenceOf(key))) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CFindEdit::keyPressEvent(QKeyEvent *event)
{
    m_allowCompletion = event->key() != Qt::Key_Backspace && event->key() != Qt::Key_Delete;
    if (m_commandKey && m_commandKey(sequenceOf(event))) {
        event->accept();
        emit commandKeyPressed(sequenceOf(event));
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_handleEnter) {
        event->accept();
        emit enterPressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

CToolbarFindComboBox::CToolbarFindComboBox(QWidget *parent)
    : QComboBox(parent), m_edit(new CFindEdit(this))
{
    setEditable(true);
    setLineEdit(m_edit);
    // Completion and insertion follow the box's own rules, not the combo box's.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    m_edit->setMaxLength(std::numeric_limits<int>::max());
    m_edit->m_commandKey = [this](const QKeySequence &key) {
        for (const CommandKey &command : std::as_const(m_commandKeys))
            if (command.keys.contains(key))
                return true;
        return false;
    };
    connect(m_edit, &CFindEdit::commandKeyPressed, this,
            [this](const QKeySequence &key) { runCommandKey(key); });
    connect(m_edit, &QLineEdit::textEdited, this, &CToolbarFindComboBox::complete);
    connect(m_edit, &CFindEdit::enterPressed, this, [this] {
        const QString text = currentText();
        if (text.isEmpty())
            return;
        addToHistory(text, QString::fromLatin1(settings::section::SearchHistory));
        emit searchRequested(text);
    });
    // Picking an entry from the list stores the list with its new selection.
    connect(this, &QComboBox::activated, this, [this] {
        if (!m_section.isEmpty())
            saveHistory(m_section);
    });
}

CToolbarFindComboBox::~CToolbarFindComboBox()
{
    if (!m_section.isEmpty())
        saveHistory(m_section);
}

QStringList CToolbarFindComboBox::entries() const
{
    QStringList list;
    list.reserve(count());
    for (int i = 0; i < count(); ++i)
        list.append(itemText(i));
    return list;
}

int CToolbarFindComboBox::selectedIndex() const
{
    const int index = currentIndex();
    return index >= 0 && itemText(index) == currentText() ? index : -1;
}

void CToolbarFindComboBox::addToHistory(const QString &text, const QString &section)
{
    if (text.isEmpty())
        return;
    const int existing = search::findHistoryEntry(entries(), text, Qt::CaseInsensitive);
    if (existing >= 0) {
        setCurrentIndex(existing);
        return;
    }
    insertItem(0, text);
    setCurrentIndex(0);
    saveHistory(section);
}

void CToolbarFindComboBox::loadHistory(const QString &section)
{
    m_section = section;
    const QSignalBlocker blocker(this);
    clear();
    if (m_settingsFile.isEmpty())
        return;
    const HistoryList history = XmlSettingsStore(m_settingsFile).loadHistory(section);
    addItems(history.entries);
    setCurrentIndex(history.selected);
}

void CToolbarFindComboBox::saveHistory(const QString &section)
{
    if (m_settingsFile.isEmpty())
        return;
    XmlSettingsStore(m_settingsFile)
        .saveHistory(section, search::historyToStore(entries()), selectedIndex());
}

void CToolbarFindComboBox::setCommandKey(int commandId, const QList<QKeySequence> &keys,
                                         std::function<void()> action)
{
    for (CommandKey &command : m_commandKeys) {
        if (command.id == commandId) {
            command.keys = keys;
            command.action = std::move(action);
            return;
        }
    }
    m_commandKeys.append({commandId, keys, std::move(action)});
}

bool CToolbarFindComboBox::runCommandKey(const QKeySequence &key)
{
    for (const CommandKey &command : std::as_const(m_commandKeys)) {
        if (command.keys.contains(key) && command.action) {
            // The action may close the window that holds the box; keep a copy.
            const std::function<void()> action = command.action;
            action();
            return true;
        }
    }
    return false;
}

void CToolbarFindComboBox::complete(const QString &typed)
{
    if (!m_edit->completionAllowed())
        return;
    const int index = search::completionEntry(entries(), typed);
    if (index < 0)
        return;
    const QString entry = itemText(index);
    const QString completed = typed + entry.mid(typed.size());
    m_edit->setText(completed);
    m_edit->setSelection(int(typed.size()), int(completed.size() - typed.size()));
}

} // namespace pw
