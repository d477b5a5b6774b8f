// CFilePropertiesDialog: "File Properties", a file's name, type, place, size, times and attributes.
#pragma once

#include <QDialog>
#include <QHash>

class QCheckBox;
class QDateTime;
class QLabel;

namespace pw {

class CFilePropertiesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CFilePropertiesDialog(const QString &path, QWidget *parent = nullptr);

    // The text of a field by its control id (1005-1012), for tests.
    QString fieldText(int controlId) const;
    QCheckBox *readOnlyBox() const { return m_readOnly; }
    QCheckBox *hiddenBox() const { return m_hidden; }

    // "%02d %s %d, %02d:%02d:%02d" in local time with the English month name.
    static QString formatTime(const QDateTime &time);

    void accept() override;

private:
    QString m_path;
    QHash<int, QLabel *> m_fields;
    QCheckBox *m_readOnly;
    QCheckBox *m_hidden;
    bool m_found = false;
};

} // namespace pw
