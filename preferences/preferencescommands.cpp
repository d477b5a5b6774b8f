// PreferencesCommands: runs the properties sheet over the main window.
#include "preferences/preferencescommands.h"

#include "chrome/commandbars.h"
#include "editor/editorhost.h"
#include "preferences/propertiessheet.h"
#include "resources/commandids.h"
#include "settings/framesettings.h"

namespace pw {

namespace {
PreferencesCommands::SheetHook &sheetHook()
{
    static PreferencesCommands::SheetHook hook;
    return hook;
}
} // namespace

void PreferencesCommands::setSheetHook(SheetHook hook)
{
    sheetHook() = std::move(hook);
}

PreferencesCommands::PreferencesCommands(EditorHost &host, CommandBars *bars, QObject *parent)
    : QObject(parent), m_host(host), m_bars(bars)
{
    onCommand(Cmd::EditorProperties, [this] { showSheet(); });
}

void PreferencesCommands::showSheet()
{
    {
        CPropertiesSheet sheet(m_host, m_bars, m_host.window());
        if (sheetHook())
            sheetHook()(sheet);
        else
            sheet.exec();
    }
    if (m_bars)
        m_bars->setLargeIcons(m_host.settings().largeTBIcons);
}

} // namespace pw
