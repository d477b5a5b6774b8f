// CSmartComboBox: an editable drop-down that completes typed text from its list and keeps a
// remembered history in a settings section.
#pragma once

#include <QComboBox>

namespace pw {

class CSmartComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CSmartComboBox(QWidget *parent = nullptr);

    QStringList entries() const;
    // Fills the list from section of the settings file and selects its stored entry; the list
    // is stored there again by enterText().
    void loadHistory(const QString &settingsFile, const QString &section);
    // A non-empty text that is not already an entry (compared with case) goes to the top of the
    // list, and a list loaded from a section is saved there.
    void enterText(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void complete(const QString &typed);
    void saveHistory();

    QString m_settingsFile;
    QString m_section;
    // Completion follows any key but Backspace and Delete, which would only bring the text back.
    bool m_allowCompletion = true;
};

} // namespace pw
