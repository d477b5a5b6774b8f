// FindReplaceController: the main window's side of find and replace. It owns the modeless find
// and replace dialogs and the toolbar search box, and routes their requests to the active view.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace pw {

class CFindDialog;
class CMainFrame;
class CReplaceDialog;
class CRidereView;
class CToolbarFindComboBox;

class FindReplaceController : public QObject
{
    Q_OBJECT
public:
    // The controller of a main window, made on first use as a child of the window.
    static FindReplaceController *of(CMainFrame *frame);
    explicit FindReplaceController(CMainFrame *frame);
    ~FindReplaceController() override;

    CMainFrame *frame() const { return m_frame; }
    QString settingsFile() const;

    // The dialogs. Opening one closes the other; asking for an open one only focuses it.
    CFindDialog *showFindDialog(CRidereView *parentView, const QString &seed);
    CReplaceDialog *showReplaceDialog(CRidereView *parentView, const QString &seed);
    CFindDialog *findDialog() const;
    CReplaceDialog *replaceDialog() const;
    // The close step of the main window: both dialogs go.
    void destroyDialogs();

    // The text editor view of the active document window, or none.
    CRidereView *activeTextView() const;
    // Requests of the dialogs, on the active text view. A search that finds nothing says
    // "The search text was not found".
    void findInActiveView(const QString &text, bool matchCase, bool wholeWord, bool regExp, bool up,
                          bool wrap);
    void markAllInActiveView(const QString &text, bool matchCase, bool wholeWord, bool regExp);
    // all: Replace All in the document or the selection, reported in a message, -1 returned;
    // otherwise one Replace step, returning the next match's position or -1. lastResult is
    // taken as -1 when the active view is not the one of the previous call.
    int replaceInActiveView(const QString &text, const QString &replacement, bool matchCase,
                            bool wholeWord, bool regExp, bool inSelection, bool all,
                            int lastResult);
    QString lastSearchedText() const { return m_lastSearched; }

    // The toolbar search box: the control the toolbar shows for id 5000.
    CToolbarFindComboBox *createToolbarBox(QWidget *parent);
    CToolbarFindComboBox *toolbarBox() const;
    // GetFindText: the toolbar box's text. SetFindText: the text goes into its history.
    QString findText() const;
    void setFindText(const QString &text);
    // Enter or Find Next in the toolbar box: the active text view is searched downwards with
    // wrap and no options; a hex view gets the text through the hex find handler; with neither,
    // "Find has nothing to do".
    void boxSearch(const QString &text);

    // The hex view's find, called with the box's text; it returns false when the active window
    // is not a hex view.
    using HexFindHandler = std::function<bool(const QString &text)>;
    void setHexFindHandler(HexFindHandler handler) { m_hexFind = std::move(handler); }

private:
    void setupBox(CToolbarFindComboBox *box);
    CToolbarFindComboBox *box() const;

    CMainFrame *m_frame;
    QPointer<CFindDialog> m_find;
    QPointer<CReplaceDialog> m_replace;
    QPointer<CToolbarFindComboBox> m_toolbarBox;
    // Stands in for the toolbar box while the toolbar shows none, so F3 and the history still
    // have a box to use.
    QPointer<CToolbarFindComboBox> m_spareBox;
    QString m_lastSearched;
    QPointer<CRidereView> m_lastReplaceView;
    HexFindHandler m_hexFind;
};

// The toolbar control factory for command id 5000 (CommandBars::setControlFactory).
QWidget *createToolbarFindBox(CMainFrame *frame, QWidget *parent);

} // namespace pw
