// CNewMacroDialog and CMacroDialog: naming a macro, and the list that runs, deletes and renames.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <initializer_list>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace pw {

class Host;

// The string table's text with its "%s" and "%d" filled in order.
QString macroMessage(int stringId, std::initializer_list<QString> values);

// Runs a macro dialog modally; tests answer it through the hook instead (the hook gets the real
// dialog and returns its result).
using MacroDialogHook = std::function<int(QDialog &dialog)>;
void setMacroDialogHook(MacroDialogHook hook);
int execMacroDialog(QDialog &dialog);

// Shared by the two dialogs: the remembered placement and the semi-transparent look.
class MacroDialogBase : public QDialog
{
    Q_OBJECT
protected:
    MacroDialogBase(Host &host, const QString &placementName, QWidget *parent);
    ~MacroDialogBase() override;
    // Once the controls exist.
    void restorePlacement();

    Host &m_host;

private:
    QString m_placementName;
};

// The name of a new macro, or the new name of one being renamed. OK refuses a name the macros
// file already holds.
class CNewMacroDialog : public MacroDialogBase
{
    Q_OBJECT
public:
    CNewMacroDialog(Host &host, const QString &macrosFile, const QString &proposedName,
                    bool renaming, QWidget *parent = nullptr);
    QString name() const;

    void accept() override;

private:
    QString m_macrosFile;
    QLineEdit *m_edit;
    QPushButton *m_ok;
};

class CMacroDialog : public MacroDialogBase
{
    Q_OBJECT
public:
    CMacroDialog(Host &host, const QString &macrosFile, QWidget *parent = nullptr);
    // The name chosen when the dialog ended with "&Run".
    QString selectedName() const { return m_selected; }

private:
    // Lists the file's macros; tell says whether a file too large to read is reported.
    void fill(bool tell = false);
    void deleteMacro();
    void renameMacro();

    QString m_macrosFile;
    QString m_selected;
    QListWidget *m_list;
    QPushButton *m_run;
    QPushButton *m_delete;
    QPushButton *m_rename;
};

} // namespace pw
