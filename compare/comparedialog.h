// CBRCompareDlg: "Compare Files", asking for the two files of a comparison.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace pw {

// A resizable dialog remembered as "CompareDialog", starting from the last two paths compared
// ("CompareFirstFile", "CompareSecondFile" of the settings file). "&Compare" refuses, with a
// message captioned "Compare", an empty path or a file that cannot be read, first file first;
// otherwise it stores both paths and closes with Accepted.
class CBRCompareDlg : public QDialog
{
    Q_OBJECT
public:
    CBRCompareDlg(const QString &settingsFile, QWidget *parent = nullptr);
    ~CBRCompareDlg() override;

    QString firstPath() const;
    QString secondPath() const;
    QLineEdit *firstEdit() const { return m_firstEdit; }
    QLineEdit *secondEdit() const { return m_secondEdit; }
    QPushButton *compareButton() const { return m_compare; }

    // "&Compare": the checks, then Accepted.
    void accept() override;
    // Shows the dialog modally, or hands it to the test hook instead; the dialog's result.
    int run();

    // Tests act on the dialog here instead of a user; the hook returns the dialog's result.
    using ShowHook = std::function<int(CBRCompareDlg &)>;
    static void setShowHook(ShowHook hook);

private:
    static inline ShowHook s_showHook;
    void browse(QLineEdit *edit);
    void refuse(int stringId);

    QString m_settingsFile;
    QLineEdit *m_firstEdit;
    QLineEdit *m_secondEdit;
    QPushButton *m_compare;
};

// CCompareFileDialog: an open dialog over the program's file filters, starting on the filter last
// used ("FilterIndex") and storing the one the user accepted with. Empty when cancelled.
QString chooseCompareFile(QWidget *parent, const QString &settingsFile, const QString &current);

} // namespace pw
