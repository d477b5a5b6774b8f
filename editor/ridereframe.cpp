// CScintillaFrame and CRidereFrame: the child windows of text documents.
#include "editor/ridereframe.h"

#include "editor/rideredoc.h"
#include "editor/ridereview.h"
#include "framework/host.h"
#include "settings/registrysettings.h"

namespace pw {

CScintillaFrame::CScintillaFrame(CDocument *document, QWidget *parent)
    : CMDIChildFrame(document, parent)
{}

CScintillaFrame::~CScintillaFrame()
{
    if (document()->host().closingWithReopen() && !document()->pathName().isEmpty())
        RegistrySettings().addFileToOpen(document()->pathName());
}

CRidereFrame::CRidereFrame(EditorHost &host, QWidget *parent)
    : CScintillaFrame(new CRidereDoc(host), parent)
{
    m_view = new CRidereView(host, textDocument(), this);
    setWidget(m_view);
    setFocusProxy(m_view);
}

CRidereDoc *CRidereFrame::textDocument() const
{
    return static_cast<CRidereDoc *>(document());
}

CommandTarget *CRidereFrame::activeView() const
{
    return m_view;
}

QWidget *CRidereFrame::viewWidget() const
{
    return m_view;
}

} // namespace pw
