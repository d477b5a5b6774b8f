// CFindDialog and CReplaceDialog: the modeless find and replace dialogs.
#pragma once

#include "editor/ridereview.h"
#include "editor/textsearch/textsearch.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace pw {

class CRidereView;
class CToolbarFindComboBox;
class FindReplaceController;

// What both dialogs share: the seed and parent view, the placement stored under the dialog's
// name, the semi-transparent look, and copies of main-window keys that also work in the boxes.
class CSearchDialogBase : public QDialog
{
    Q_OBJECT
public:
    // Stores the placement.
    ~CSearchDialogBase() override;

    CRidereView *parentView() const { return m_view; }
    // Escape and the window's close button: the dialog goes (it is deleted on close).
    void reject() override;
    // Gone for the user at once, deleted once the current call returns; what the dialog stores
    // when it goes is stored now.
    void dismiss();
    QString seedText() const { return m_seed; }
    QString placementName() const { return m_placementName; }

protected:
    CSearchDialogBase(FindReplaceController *controller, CRidereView *view, const QString &seed,
                      const QString &placementName, QWidget *parent);
    // Once the controls exist: the stored placement (a 44-byte record only) and transparency.
    void finishSetup();
    // The main window's keys for the command, running action while this dialog is active, in
    // the dialog and in its boxes alike.
    void copyAccelerator(int commandId, std::function<void()> action,
                         const QList<CToolbarFindComboBox *> &boxes);
    // Fills a box from its history and puts the seed in it (or selects its first entry).
    void prepareBox(CToolbarFindComboBox *box, const QString &section, const QString &seed);
    // What the dialog stores when its window goes, once.
    virtual void storeOnDestroy() {}
    void storeOnce();

    FindReplaceController *m_controller;
    QPointer<CRidereView> m_view;
    QString m_seed;
    QString m_placementName;
    QString m_settingsFile;
    bool m_stored = false;
};

class CFindDialog : public CSearchDialogBase
{
    Q_OBJECT
public:
    static constexpr int ResourceId = 151;

    CFindDialog(FindReplaceController *controller, CRidereView *view, const QString &seed,
                QWidget *parent);
    // Writes the five options unless they went when the dialog was dismissed.
    ~CFindDialog() override;

    CToolbarFindComboBox *searchBox() const { return m_search; }
    QCheckBox *matchCaseBox() const { return m_matchCase; }
    QCheckBox *wholeWordBox() const { return m_wholeWord; }
    QCheckBox *regExpBox() const { return m_regExp; }
    QCheckBox *wrapAroundBox() const { return m_wrap; }
    QRadioButton *upButton() const { return m_up; }
    QRadioButton *downButton() const { return m_down; }
    QPushButton *findNextButton() const { return m_findNext; }
    QPushButton *markAllButton() const { return m_markAll; }
    QPushButton *closeButton() const { return m_close; }
    search::Options options() const;

public slots:
    // "&Find Next" (5080, 149): enters a new text at the top of the history, then searches.
    void findNext();
    // "&Mark All" (1011).
    void markAll();
    // Ctrl+H (57641): the Replace dialog with the current text, this one closing.
    void switchToReplace();

protected:
    void storeOnDestroy() override { writeOptions(); }

private:
    void writeOptions() const;

    CToolbarFindComboBox *m_search;
    QCheckBox *m_matchCase;
    QCheckBox *m_wholeWord;
    QCheckBox *m_regExp;
    QCheckBox *m_wrap;
    QRadioButton *m_up;
    QRadioButton *m_down;
    QPushButton *m_findNext;
    QPushButton *m_markAll;
    QPushButton *m_close;
};

class CReplaceDialog : public CSearchDialogBase
{
    Q_OBJECT
public:
    static constexpr int ResourceId = 152;

    CReplaceDialog(FindReplaceController *controller, CRidereView *view, const QString &seed,
                   QWidget *parent);

    CToolbarFindComboBox *searchBox() const { return m_search; }
    CToolbarFindComboBox *replaceBox() const { return m_replace; }
    QCheckBox *wholeWordBox() const { return m_wholeWord; }
    QCheckBox *matchCaseBox() const { return m_matchCase; }
    QCheckBox *regExpBox() const { return m_regExp; }
    QRadioButton *documentScopeButton() const { return m_document; }
    QRadioButton *selectionScopeButton() const { return m_selection; }
    QPushButton *findNextButton() const { return m_findNext; }
    QPushButton *replaceButton() const { return m_replaceOne; }
    QPushButton *replaceAllButton() const { return m_replaceAll; }
    QPushButton *closeButton() const { return m_close; }
    search::Options options() const;
    // Whether the last Replace step found a match, which the next step replaces.
    bool lastFound() const { return m_lastFound; }

public slots:
    // "&Find Next" (5080, 149).
    void findNext();
    // "&Replace" (5087): replaces the match the last step found, then finds the next one.
    void replace();
    // "Replace &All" (5088).
    void replaceAll();
    // Ctrl+F (57636): the Find dialog with the current search text, this one closing.
    void switchToFind();
    // "&Close" and Escape: write the options, then close.
    void closeDialog();
    void reject() override;

private:
    void writeOptions() const;
    void scopeChanged();
    bool prepareReplace(QString &text, QString &replacement);

    CToolbarFindComboBox *m_search;
    CToolbarFindComboBox *m_replace;
    QCheckBox *m_wholeWord;
    QCheckBox *m_matchCase;
    QCheckBox *m_regExp;
    QRadioButton *m_document;
    QRadioButton *m_selection;
    QPushButton *m_findNext;
    QPushButton *m_replaceOne;
    QPushButton *m_replaceAll;
    QPushButton *m_close;
    bool m_lastFound = false;
};

} // namespace pw
