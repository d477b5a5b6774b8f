// CScintillaFrame and CRidereFrame: the child windows of text documents.
#pragma once

#include "framework/document.h"

namespace pw {

class CRidereDoc;
class CRidereView;
class EditorHost;

// The child frame of text documents: forwards commands to its view and takes part in reopening
// the open files at the next start.
class CScintillaFrame : public CMDIChildFrame
{
    Q_OBJECT
public:
    explicit CScintillaFrame(CDocument *document, QWidget *parent = nullptr);
    // While the program closes with its files remembered, the frame records its file.
    ~CScintillaFrame() override;
    bool isScintillaFrame() const override { return true; }
};

class CRidereFrame : public CScintillaFrame
{
    Q_OBJECT
public:
    // Makes the document, its view and the frame around them.
    explicit CRidereFrame(EditorHost &host, QWidget *parent = nullptr);

    CommandTarget *activeView() const override;
    QWidget *viewWidget() const override;
    CRidereView *view() const { return m_view; }
    CRidereDoc *textDocument() const;

private:
    CRidereView *m_view;
};

} // namespace pw
