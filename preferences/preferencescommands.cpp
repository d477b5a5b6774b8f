// PreferencesCommands: runs the properties sheet over the main window.
#include "preferences/preferencescommands.h"

#include "chrome/commandbars.h"
#include "editor/editorhost.h"
#include "preferences/propertiessheet.h"
#include "resources/commandids.h"
#include "settings/framesettings.h"

namespace pw {

PreferencesCommands::PreferencesCommands(EditorHost &host, CommandBars *bars, QObject *parent)
    : QObject(parent), m_host(host), m_bars(bars)
{
    onCommand(Cmd::EditorProperties, [this] { showSheet(); });
}

void PreferencesCommands::showSheet()
{
    {
        CPropertiesSheet sheet(m_host, m_bars, m_host.window());
        if (s_sheetHook)
            s_sheetHook(sheet);
        else
            sheet.exec();
    }
    if (m_bars)
        m_bars->setLargeIcons(m_host.settings().largeTBIcons);
}

} // namespace pw
