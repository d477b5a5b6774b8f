// CDocument and CMDIChildFrame: the document/frame pair every kind of window builds on.
#pragma once

#include "framework/commandtarget.h"
#include "framework/openrequest.h"

#include <QMdiSubWindow>
#include <QObject>
#include <QString>

namespace pw {

class CMDIChildFrame;
class Host;

// A document owns what lies between its window and its file: path, title, modified state.
class CDocument : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    explicit CDocument(Host &host, QObject *parent = nullptr);

    Host &host() const { return m_host; }

    QString pathName() const { return m_pathName; }
    // Sets the full path and the title (the file name); addToRecent adds it to the recent files.
    virtual void setPathName(const QString &path, bool addToRecent = true);
    // The title without decoration; the window shows decoratedTitle().
    QString title() const { return m_title; }
    void setTitle(const QString &title);
    virtual QString decoratedTitle() const { return m_title; }

    bool isModified() const { return m_modified; }
    virtual void setModifiedFlag(bool modified);

    CMDIChildFrame *frame() const { return m_frame; }
    void setFrame(CMDIChildFrame *frame) { m_frame = frame; }

    virtual bool onNewDocument() { return true; }
    virtual bool onOpenDocument(const QString &path, const OpenRequest &request) = 0;
    // Saves to path; an empty path asks for one (Save As). replace: the document takes the path.
    virtual bool doSave(const QString &path, bool replace = true) = 0;
    // The save question for a modified document: Yes saves, No discards, Cancel keeps it open.
    // Returns false when the document must stay open.
    virtual bool saveModified();
    virtual void onCloseDocument() {}
    // Whether this document takes part in "Save All".
    virtual bool isTextDocument() const { return false; }

signals:
    void titleChanged();
    void pathChanged(const QString &path);

protected:
    bool doFileSave();

private:
    Host &m_host;
    QString m_pathName;
    QString m_title;
    bool m_modified = false;
    CMDIChildFrame *m_frame = nullptr;
};

// The child window of one document in the main frame's workspace.
class CMDIChildFrame : public QMdiSubWindow, public CommandTarget
{
    Q_OBJECT
public:
    CMDIChildFrame(CDocument *document, QWidget *parent = nullptr);
    ~CMDIChildFrame() override;

    CDocument *document() const { return m_document; }
    // The view inside the frame, first link of the command chain.
    virtual CommandTarget *activeView() const = 0;
    virtual QWidget *viewWidget() const = 0;
    // Frames of text documents take part in reopening at the next start.
    virtual bool isScintillaFrame() const { return false; }
    // The menu bar shown while this window is active: the menu resource of its document kind.
    virtual int menuId() const;
    void refreshTitle();
    // Closes after the documents were already asked about (closing the program).
    void closeWithoutAsking();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    CDocument *m_document;
    bool m_skipSaveQuestion = false;
};

} // namespace pw
