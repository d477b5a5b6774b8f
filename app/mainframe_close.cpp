// CMainFrame: the close sequence, with the open files remembered for the next start.
#include "app/dockpanes.h"
#include "app/mainframe.h"
#include "app/penwrightapp.h"
#include "app/workspace.h"
#include "chrome/commandbars.h"
#include "chrome/customizedialog.h"
#include "framework/commandrouter.h"
#include "framework/document.h"
#include "settings/framesettings.h"
#include "settings/registrysettings.h"
#include "settings/windowplacement.h"
#include "settings/xmlsettingsstore.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace pw {

// Everything that is written whether or not the user later cancels a save question.
void CMainFrame::writeCloseState()
{
    XmlSettingsStore store(m_settingsFile);
    m_settings->save(store);
    m_panes->saveLayout();
    RegistrySettings registry;
    registry.setCommandBars(m_commandBars->saveState());
    registry.setWindowPosition(WindowPlacement::fromGeometry(normalGeometry(), isMaximized()));
    registry.clearFilesToOpen();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    emit aboutToWriteSettings();
    writeCloseState();

    if (!m_settings->rememberOpenFiles) {
        for (CMDIChildFrame *frame : m_workspace->documentFrames()) {
            if (!frame->close()) {
                event->ignore();
                return;
            }
        }
        event->accept();
        return;
    }
    // Every modified document is asked about first; a cancel keeps the program running.
    if (!m_app->saveAllModified()) {
        event->ignore();
        return;
    }
    m_closingWithReopen = true;
    for (CMDIChildFrame *frame : m_workspace->documentFrames())
        frame->closeWithoutAsking();
    // Frames record their files as they are destroyed.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_closingWithReopen = false;
    event->accept();
}

} // namespace pw
