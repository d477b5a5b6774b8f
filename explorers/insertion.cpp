// Inserting into the active text window through the editor's template insertion.
#include "explorers/insertion.h"

#include "editor/mfcscintilla.h"
#include "editor/ridereframe.h"
#include "editor/ridereview.h"
#include "framework/host.h"

namespace pw {

CMFCScintilla *activeTextEditor(Host &host)
{
    auto *frame = qobject_cast<CRidereFrame *>(host.activeFrame());
    return frame && frame->view() ? frame->view()->editor() : nullptr;
}

bool insertTemplateText(Host &host, const QByteArray &text)
{
    CMFCScintilla *editor = activeTextEditor(host);
    if (!editor)
        return false;
    editor->insertTemplate(text);
    return true;
}

} // namespace pw
