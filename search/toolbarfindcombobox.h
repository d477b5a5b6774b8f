// CToolbarFindComboBox: the drop-down search box with a remembered history list, used on the
// main toolbar and in the find and replace dialogs.
#pragma once

#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <functional>

namespace pw {

// The box's edit field: it completes typed text from the list and lets the box take Enter and
// its own command keys before the window's shortcuts see them.
class CFindEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CFindEdit(QWidget *parent = nullptr);

    // Completion is allowed after any key except Backspace and Delete.
    bool completionAllowed() const { return m_allowCompletion; }

signals:
    // Enter was pressed while the box handles Enter itself.
    void enterPressed();
    // One of the box's own command keys was pressed.
    void commandKeyPressed(const QKeySequence &key);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class CToolbarFindComboBox;
    bool m_allowCompletion = true;
    bool m_handleEnter = true;
    std::function<bool(const QKeySequence &)> m_commandKey;
};

class CToolbarFindComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CToolbarFindComboBox(QWidget *parent = nullptr);
    // Saves the list under the section it was loaded from.
    ~CToolbarFindComboBox() override;

    // The settings file the lists live in (the main window's); with none, nothing is stored.
    void setSettingsFile(const QString &path) { m_settingsFile = path; }
    QString settingsFile() const { return m_settingsFile; }
    // The section the list was last loaded from, empty before the first load.
    QString section() const { return m_section; }

    QStringList entries() const;
    // The selected entry as the list stores it: -1 once the field holds typed text that is not
    // that entry's.
    int selectedIndex() const;
    // An empty text is ignored. An entry equal to text ignoring case is selected and nothing
    // else changes; otherwise text goes to the top of the list, becomes the selected entry and
    // the list is saved under section.
    void addToHistory(const QString &text, const QString &section);
    // Empties the list and reads it back from section, selecting the stored entry.
    void loadHistory(const QString &section);
    // Writes entries 0-49 and the selected index under section.
    void saveHistory(const QString &section);

    // When off, Enter is left to the window (a dialog's default button).
    void setEnterHandling(bool on) { m_edit->m_handleEnter = on; }
    bool enterHandling() const { return m_edit->m_handleEnter; }
    // Keys the box takes for itself while it has the focus, each running its action.
    void setCommandKey(int commandId, const QList<QKeySequence> &keys,
                       std::function<void()> action);
    CFindEdit *edit() const { return m_edit; }

signals:
    // Enter in a box that handles it: the non-empty text has just gone into the history.
    void searchRequested(const QString &text);

private:
    void complete(const QString &typed);
    bool runCommandKey(const QKeySequence &key);

    struct CommandKey
    {
        int id;
        QList<QKeySequence> keys;
        std::function<void()> action;
    };

    CFindEdit *m_edit;
    QString m_settingsFile;
    QString m_section;
    QList<CommandKey> m_commandKeys;
};

} // namespace pw
