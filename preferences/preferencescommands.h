// PreferencesCommands: "Editor Properties" (38806) opens the properties sheet.
#pragma once

#include "framework/commandtarget.h"

#include <QObject>
#include <functional>

namespace pw {

class CommandBars;
class CPropertiesSheet;
class EditorHost;

class PreferencesCommands : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    PreferencesCommands(EditorHost &host, CommandBars *bars, QObject *parent = nullptr);

    // Shows the sheet modally; afterwards, however it closed, the toolbars take the icon size
    // the settings hold.
    void showSheet();

    // Tests drive the sheet through this instead of running it.
    using SheetHook = std::function<void(CPropertiesSheet &)>;
    static void setSheetHook(SheetHook hook) { s_sheetHook = std::move(hook); }

private:
    static inline SheetHook s_sheetHook;
    EditorHost &m_host;
    CommandBars *m_bars;
};

} // namespace pw
