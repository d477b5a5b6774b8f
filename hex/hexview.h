// CHexDocument, CHexEditView and CHexFrame: the hex window around the hex control.
#pragma once

#include "framework/document.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QTimer;

namespace pw {

class CHexEditView;
class HexCommands;
class HexEditorWin;
class Progress;
namespace hex {
struct SearchResult;
}

// A hex window's document: the bytes live in the control; the modified flag follows it.
class CHexDocument : public CDocument
{
    Q_OBJECT
public:
    explicit CHexDocument(Host &host);

    void setView(CHexEditView *view) { m_view = view; }
    CHexEditView *view() const { return m_view; }

    bool onOpenDocument(const QString &path, const OpenRequest &request) override;
    // An empty path asks for one (default name "untitled.txt"); cancelling fails the save. The
    // control writes through a temporary file and a rename.
    bool doSave(const QString &path, bool replace = true) override;
    QString decoratedTitle() const override;

    // Tests give the Save As name here instead of a dialog; empty means cancelled.
    using SaveAsHook = std::function<QString(const QString &proposed)>;
    static void setSaveAsHook(SaveAsHook hook);

private:
    static inline SaveAsHook s_saveAsHook;
    QString askSavePath() const;

    CHexEditView *m_view = nullptr;
    bool m_readOnly = false;
};

// The view: the control filling it, its commands and notifications, and the background search.
class CHexEditView : public QWidget, public CommandTarget
{
    Q_OBJECT
public:
    CHexEditView(Host &host, CHexDocument &document, HexCommands *commands,
                 QWidget *parent = nullptr);
    ~CHexEditView() override;

    HexEditorWin *control() const { return m_control; }
    CHexDocument &document() const { return m_document; }

    // Where a search came from decides what its failure tells the user.
    enum class SearchOrigin { Dialog, Toolbar };
    // Starts a search of text from the caret (up: before the selection; down: at or after the
    // caret, after the current match). False when the pattern is empty or a search still runs.
    // The match is selected when the search ends.
    bool hexSearch(const QString &text, bool up, bool matchCase, bool ascii, SearchOrigin origin);
    bool isSearching() const;
    // The go-to dialog and its jump.
    void gotoOffset();
    // Sets the status bar's position and insert panes.
    void showStatus();
    QString positionText() const;

signals:
    // A search ended (after its message, if any).
    void searchEnded();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    void registerCommands();
    void onNotify(int code);
    void onSearchFinished(const hex::SearchResult &result);
    void showContextMenu(const QPoint &globalPos);

    Host &m_host;
    CHexDocument &m_document;
    QPointer<HexCommands> m_commands; // the main frame's; may go first when the program ends
    HexEditorWin *m_control;
    std::unique_ptr<Progress> m_progress;
    QTimer *m_progressTimer;
    SearchOrigin m_origin = SearchOrigin::Dialog;
};

class CHexFrame : public CMDIChildFrame
{
    Q_OBJECT
public:
    // commands may be null (no find dialog then).
    CHexFrame(Host &host, HexCommands *commands, QWidget *parent = nullptr);

    CommandTarget *activeView() const override;
    QWidget *viewWidget() const override;
    int menuId() const override;
    CHexEditView *view() const { return m_view; }
    CHexDocument *hexDocument() const;

private:
    CHexEditView *m_view;
};

} // namespace pw
