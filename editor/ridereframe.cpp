// CScintillaFrame and CRidereFrame: the child windows of text documents.
#include "editor/ridereframe.h"

#include "app/mainframe.h"
#include "app/penwrightapp.h"
#include "app/settings/registrysettings.h"
#include "editor/rideredoc.h"
#include "editor/ridereview.h"

namespace pw {

CScintillaFrame::CScintillaFrame(CDocument *document, QWidget *parent)
    : CMDIChildFrame(document, parent)
{}

CScintillaFrame::~CScintillaFrame()
{
    PenwrightApp *app = PenwrightApp::instance();
    if (app && app->mainFrame() && app->mainFrame()->closingWithReopen() &&
        !document()->pathName().isEmpty())
        RegistrySettings().addFileToOpen(document()->pathName());
}

CRidereFrame::CRidereFrame(CRidereDoc *document, QWidget *parent)
    : CScintillaFrame(document, parent), m_view(new CRidereView(document, this))
{
    setWidget(m_view);
    setFocusProxy(m_view);
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
