// CScintillaFrame and CRidereFrame: the child windows of text documents.
#pragma once

#include "app/document.h"

namespace pw {

class CRidereDoc;
class CRidereView;

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
    explicit CRidereFrame(CRidereDoc *document, QWidget *parent = nullptr);

    CommandTarget *activeView() const override;
    QWidget *viewWidget() const override;
    CRidereView *view() const { return m_view; }

    // Position of the document's language in the main frame's language list.
    int languageIndex() const { return m_languageIndex; }
    void setLanguageIndex(int index) { m_languageIndex = index; }

private:
    CRidereView *m_view;
    int m_languageIndex = -1;
};

} // namespace pw
