// wireSubsystems: plugs the subsystems this build has into the main frame and the host.
#pragma once

namespace pw {

class CMainFrame;
class MainFrameHost;

// Called once while the main frame is created, after its command bars and panes exist. A
// subsystem left out of the build leaves its commands unhandled, and so disabled.
void wireSubsystems(CMainFrame &frame, MainFrameHost &host);

} // namespace pw
