// PenwrightApp and the compare window: its document template and OpenCompare.
#include "app/penwrightapp.h"

#include "app/mainframe.h"
#include "app/mainframehost.h"
#include "app/workspace.h"
#include "framework/document.h"

#include <QFileInfo>

#ifdef PENWRIGHT_WITH_COMPARE
#include "compare/compareview.h"
#include "framework/messages.h"
#include "resources/stringids.h"
#endif

namespace pw {

void PenwrightApp::registerCompareTemplate()
{
#ifdef PENWRIGHT_WITH_COMPARE
    m_templates.push_back(std::make_unique<CDocTemplate>(
        CDocTemplate::Compare, Str::DocTypeCompare, resourceText(Str::DocTypeCompare),
        [this] { return new CCompareFrame(*m_host); }));
#endif
}

CDocument *PenwrightApp::openCompare([[maybe_unused]] const QString &first,
                                     [[maybe_unused]] const QString &second)
{
#ifdef PENWRIGHT_WITH_COMPARE
    if (first.isEmpty() || second.isEmpty() || !QFileInfo::exists(first) ||
        !QFileInfo::exists(second))
        return nullptr;
    CDocTemplate *tmpl = findTemplate(CDocTemplate::Compare);
    if (!tmpl)
        return nullptr;
    auto *frame = static_cast<CCompareFrame *>(tmpl->createFrame());
    frame->document()->setTitle(tmpl->nextUntitledName());
    m_mainFrame->workspace().addFrame(frame);
    showNewFrame(frame);
    frame->view()->compare(QFileInfo(first).absoluteFilePath(),
                           QFileInfo(second).absoluteFilePath());
    return frame->document();
#else
    return nullptr;
#endif
}

} // namespace pw
