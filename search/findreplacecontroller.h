// FindReplaceController: owns Find, Replace, Find Next/Previous, Mark All and Go To Line, the
// modeless find and replace dialogs and the toolbar search box, and runs them on the active view.
#pragma once

#include "editor/editorsearch.h"
#include "framework/commandtarget.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace pw {

class CFindDialog;
class CReplaceDialog;
class CRidereView;
class CToolbarFindComboBox;
class EditorHost;

class FindReplaceController : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    FindReplaceController(EditorHost &host, QObject *parent);
    ~FindReplaceController() override;

    EditorHost &host() const { return m_host; }

    // The dialogs. Opening one closes the other; asking for an open one only focuses it.
    CFindDialog *showFindDialog(CRidereView *parentView, const QString &seed);
    CReplaceDialog *showReplaceDialog(CRidereView *parentView, const QString &seed);
    CFindDialog *findDialog() const;
    CReplaceDialog *replaceDialog() const;
    // The close step of the main window: both dialogs go.
    void destroyDialogs();

    // The text editor view of the active document window, or none.
    CRidereView *activeTextView() const;

    // Requests of the dialogs, on the active text view. Every outcome but a found match is told
    // to the user; the result is returned as well.
    SearchResult find(const QString &text, const search::Options &options, bool up, bool wrap);
    SearchResult markAll(const QString &text, const search::Options &options);
    // One Replace step: replaces what the previous step found (when it was on this view), then
    // finds the next match.
    SearchResult replace(const QString &text, const QString &replacement,
                         const search::Options &options, bool previousFound);
    // Replace All in the document or the selected lines; the count is told in a message.
    SearchResult replaceAll(const QString &text, const QString &replacement,
                            const search::Options &options, bool inSelection);
    QString lastSearchedText() const { return m_lastSearched; }

    // Find Next (F3) and Find Previous (Shift+F3): the selection or the toolbar box's text,
    // with no search options.
    SearchResult quickSearch(bool up);
    // The selection (at most 99 bytes) or, in seed mode, the remembered "LastSelectedValue".
    QString seedText(CRidereView *view, bool seedMode) const;
    void gotoLine();

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
    void registerCommands();
    void setupBox(CToolbarFindComboBox *box);
    CToolbarFindComboBox *box() const;
    // Tells the user every outcome but a found match; the text is the one searched for.
    void report(const SearchResult &result) const;
    void refreshBoxHistory();

    EditorHost &m_host;
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

} // namespace pw
