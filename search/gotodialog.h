// CGotoDialog: the modal Go To Line dialog.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pw {

class CGotoDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ResourceId = 131;

    // lineCount fills the label "Line number (1 - %d):"; the field opens holding "1".
    explicit CGotoDialog(long lineCount, QWidget *parent = nullptr);

    // The entered number: the field's leading digits, 0 while it is empty.
    int lineNumber() const { return m_number; }

    QLabel *label() const { return m_label; }
    QLineEdit *field() const { return m_field; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    void fieldChanged(const QString &text);

    QLabel *m_label;
    QLineEdit *m_field;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    int m_number = 1;
};

} // namespace pw
