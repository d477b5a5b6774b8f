// PenwrightApp and the web preview: its document template and the open routine's preview branch.
#include "app/mainframehost.h"
#include "app/penwrightapp.h"
#include "framework/document.h"

#include <QFileInfo>

#ifdef PENWRIGHT_WITH_WEBPREVIEW
#include "framework/messages.h"
#include "markup/htmlpreview.h"
#include "resources/menuids.h"
#include "resources/stringids.h"
#endif

namespace pw {

void PenwrightApp::registerWebPreviewTemplate()
{
#ifdef PENWRIGHT_WITH_WEBPREVIEW
    m_templates.push_back(std::make_unique<CDocTemplate>(
        CDocTemplate::WebPreview, MenuId::WebPreviewDocument, resourceText(Str::DocTypeWebPreview),
        [this] { return new CHTMLPreviewFrame(*m_host); }));
#endif
}

CDocument *PenwrightApp::openWebPreview(const QString &path, const OpenRequest &request)
{
    return openInNewFrame(CDocTemplate::WebPreview,
                          path.isEmpty() ? path : QFileInfo(path).absoluteFilePath(), request);
}

} // namespace pw
