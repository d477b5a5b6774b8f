// CSpellCheckDialog: the "Spell Checker" dialog, stepping through the misspelt words of a text
// view.
#pragma once

#include "spell/engine/speller.h"
#include "spell/engine/spellrun.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pw {

class CMFCScintilla;
class Host;

class CSpellCheckDialog : public QDialog
{
    Q_OBJECT
public:
    // editor may be null for a dialog that only lists dictionaries (the properties page).
    CSpellCheckDialog(Host &host, CMFCScintilla *editor, QWidget *parent = nullptr);
    ~CSpellCheckDialog() override;

    // Makes the speller and its checker for the dictionary folder and dictionary; false when
    // the library is missing or Aspell refuses them.
    bool initialize(const QString &prefix, const QString &dictionary);
    // Selects the next misspelt word in the editor; interactive, the dialog shows it and its
    // suggestions, and closes when there is none left. False when there is none (or stopped).
    bool nextMisspelling(bool interactive);
    // True when the user stopped a long search for the next word.
    bool stopped() const { return m_run && m_run->stopped(); }
    // The dictionaries Aspell has for prefix (empty prefix and name: the settings'), current
    // one selected; false when there is none.
    bool fillDictionaryList(QComboBox *combo, QString prefix, QString current) const;

    QString word() const { return m_word; }
    QString replacement() const { return m_replacement; }
    // Where a position from before the run is now that words have been changed.
    qint64 mapPosition(qint64 position) const;

    // The buttons' work, also reachable by the buttons' object names.
    void ignore();
    void ignoreAll();
    void addToDictionary();
    void change();

    void done(int result) override;

    // Tests keep Aspell's personal files in a folder of their own.
    static void setHomeDirForTesting(const QString &folder);
    // How long a search for the next word runs before it shows its progress (tests: 0).
    static void setQuietRunMs(qint64 ms);

protected:
    // The dialog's set-up, once the first word is known: its suggestions, and the edit focused.
    void showEvent(QShowEvent *event) override;

private:
    void showSuggestions();
    void showContext(qint64 position, qint64 length);
    void editChanged(const QString &text);
    void suggestionChosen();
    void cleanup();

    struct Edit
    {
        qint64 position;
        qint64 oldLength;
        qint64 newLength;
    };

    Host &m_host;
    CMFCScintilla *m_editor;
    spell::Speller m_speller;
    std::unique_ptr<spell::SpellText> m_text;
    std::unique_ptr<spell::SpellRun> m_run;
    bool m_cleanedUp = false;
    bool m_setUp = false;
    QString m_word;
    QString m_replacement;
    std::vector<Edit> m_edits;

    QLineEdit *m_edit = nullptr;
    QLabel *m_context = nullptr;
    QLabel *m_listLabel = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_change = nullptr;
};

} // namespace pw
