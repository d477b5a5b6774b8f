// CFindInFilesDlg: the "Find in Files" dialog, which runs a search of a folder and streams its
// results into the Find In Files pane.
#pragma once

#include "findinfiles/engine/findinfiles.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QPushButton;

namespace pw {

class CSmartComboBox;
class FindInFilesController;

class CFindInFilesDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ResourceId = 140;
    static constexpr int HelpContext = 131212;

    CFindInFilesDlg(FindInFilesController &controller, QWidget *parent);
    // Stops a running search and stores the placement.
    ~CFindInFilesDlg() override;

    CSmartComboBox *searchBox() const { return m_search; }
    CSmartComboBox *typesBox() const { return m_types; }
    CSmartComboBox *folderBox() const { return m_folder; }
    QCheckBox *matchCaseBox() const { return m_matchCase; }
    QCheckBox *wholeWordBox() const { return m_wholeWord; }
    QCheckBox *regExpBox() const { return m_regExp; }
    QCheckBox *subFoldersBox() const { return m_subFolders; }
    QPushButton *findButton() const { return m_find; }
    QPushButton *browseButton() const { return m_browse; }
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *closeButton() const { return m_close; }
    bool isSearching() const { return m_engine.isRunning() || m_searching; }

    // "&Find": starts the search with the dialog's texts and options.
    void find();
    // "Stop".
    void stop();
    // "Close": stores the options and closes; refused while a search runs.
    void closeDialog();
    // Escape and the window's close button act as "Close".
    void reject() override;

signals:
    // The search has ended and its last line is in the pane.
    void searchFinished();

private:
    class Callback;
    void browse();
    void showHelp();
    void storeOptions();
    void finished(const fif::FindSummary &summary);
    void setSearching(bool searching);

    FindInFilesController &m_controller;
    QString m_settingsFile;
    CSmartComboBox *m_search;
    CSmartComboBox *m_types;
    CSmartComboBox *m_folder;
    QCheckBox *m_matchCase;
    QCheckBox *m_wholeWord;
    QCheckBox *m_regExp;
    QCheckBox *m_subFolders;
    QPushButton *m_find;
    QPushButton *m_browse;
    QPushButton *m_stop;
    QPushButton *m_help;
    QPushButton *m_close;
    bool m_searching = false;
    // The engine goes first, so that no callback outlives its object.
    std::unique_ptr<Callback> m_callback;
    fif::CFindInFiles m_engine;
};

} // namespace pw
