// PenwrightApp and the hex window: its document template and the open routine's hex branch.
#include "app/penwrightapp.h"

#include "app/mainframehost.h"
#include "framework/document.h"

#ifdef PENWRIGHT_WITH_HEX
#include "hex/hexcommands.h"
#include "hex/hexview.h"
#include "resources/stringids.h"
#include "framework/messages.h"
#endif

namespace pw {

void PenwrightApp::registerHexTemplate()
{
#ifdef PENWRIGHT_WITH_HEX
    // The find dialog's owner is wired in with the main frame, after the templates.
    m_templates.push_back(std::make_unique<CDocTemplate>(
        CDocTemplate::Hex, Str::DocTypeHex, resourceText(Str::DocTypeHex), [this] {
            return new CHexFrame(*m_host, m_host->services().service<HexCommands>());
        }));
#endif
}

CDocument *PenwrightApp::openHex(const QString &path, const OpenRequest &request)
{
    return openInNewFrame(CDocTemplate::Hex, path, request);
}

} // namespace pw
