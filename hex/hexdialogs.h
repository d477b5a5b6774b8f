// CHexGoto and CHexFindDialog: jumping to an offset and the modeless byte or text find.
#pragma once

#include "hex/engine/bytesource.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace pw {

class HexCommands;
class Host;

// "Hex Goto": the offset in hex or decimal, checked as it is typed; the offset must lie within
// the file. The base is the "Hex" setting of "HexGoto". Offsets are 64-bit.
class CHexGoto : public QDialog
{
    Q_OBJECT
public:
    CHexGoto(Host &host, hex::Offset offset, hex::Offset fileLength, QWidget *parent = nullptr);

    hex::Offset offset() const { return m_offset; }
    bool hexMode() const { return m_hexMode; }
    void setHexMode(bool hex);
    QLineEdit *edit() const { return m_edit; }
    QLabel *lengthLabel() const { return m_length; }

    // Shows the dialog modally, or hands it to the test hook.
    int run();
    using ShowHook = std::function<int(CHexGoto &)>;
    static void setShowHook(ShowHook hook);

    void accept() override;

private:
    static inline ShowHook s_gotoHook;
    // Reads the text into the offset; an invalid text is told (when tell) and refused.
    bool readText(bool tell);
    void showNumbers();

    QString m_settingsFile;
    hex::Offset m_offset;
    hex::Offset m_fileLength;
    bool m_hexMode = false;
    bool m_showing = false;
    QLineEdit *m_edit;
    QLabel *m_length;
    QRadioButton *m_hexButton;
    QRadioButton *m_decimalButton;
};

// "Hex Find": a pattern of hex digits or ASCII text, up or down, match case for ASCII. The
// three choices live in the "HexFindDialog" settings; the placement under the same name.
class CHexFindDialog : public QDialog
{
    Q_OBJECT
public:
    CHexFindDialog(HexCommands &commands, QWidget *parent = nullptr);
    ~CHexFindDialog() override;

    QComboBox *findWhat() const { return m_findWhat; }
    QCheckBox *asciiBox() const { return m_ascii; }
    QCheckBox *matchCaseBox() const { return m_matchCase; }
    QRadioButton *upButton() const { return m_up; }
    QRadioButton *downButton() const { return m_down; }
    // "Find": the text, when not empty, goes to the hex find with the dialog's choices.
    void find();
    // "Close": the choices are stored and the dialog goes.
    void closeDialog();

protected:
    void reject() override { closeDialog(); }

private:
    void storeChoices();

    HexCommands &m_commands;
    QComboBox *m_findWhat;
    QCheckBox *m_ascii;
    QCheckBox *m_matchCase;
    QRadioButton *m_up;
    QRadioButton *m_down;
};

} // namespace pw
