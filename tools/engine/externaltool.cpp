// The user's external tools: list storage through the settings file and the first-run defaults.
#include "tools/engine/externaltool.h"

#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

namespace pw {

std::optional<ToolOutputMode> outputModeOf(const ExternalTool &tool)
{
    switch (tool.type) {
    case int(ToolOutputMode::OutputWindow):
    case int(ToolOutputMode::EditorDocument):
    case int(ToolOutputMode::RunExternally):
        return ToolOutputMode(tool.type);
    default:
        return std::nullopt;
    }
}

QStringList toolOutputModeNames()
{
    return {QStringLiteral("Output Window"), QStringLiteral("Editor Document"),
            QStringLiteral("Dos Prompt / Run Externally")};
}

ToolLoadResult loadTools(const XmlSettingsStore &store, ToolList &tools)
{
    const int found = store.readTools(QString::fromLatin1(settings::section::ExternalTools),
                                      QString::fromLatin1(settings::ToolElement), tools);
    if (found < 0)
        return ToolLoadResult::Unusable;
    return found > 0 ? ToolLoadResult::Found : ToolLoadResult::Absent;
}

bool saveTools(XmlSettingsStore &store, const ToolList &tools)
{
    return store.writeTools(QString::fromLatin1(settings::section::ExternalTools),
                            QString::fromLatin1(settings::ToolElement), tools);
}

void appendDefaultTools(ToolList &tools)
{
    QString shell = qEnvironmentVariable("SHELL");
    if (shell.isEmpty())
        shell = QStringLiteral("/bin/sh");
    ExternalTool prompt;
    prompt.name = QStringLiteral("Command Prompt");
    prompt.cmd = shell;
    prompt.type = int(ToolOutputMode::OutputWindow);
    tools.append(prompt);

    ExternalTool explorer;
    explorer.name = QStringLiteral("Explorer");
    explorer.cmd = QStringLiteral("xdg-open");
    // Unquoted on purpose: with no document the word vanishes instead of passing "".
    explorer.args = QStringLiteral("$FileDir");
    explorer.type = int(ToolOutputMode::RunExternally);
    tools.append(explorer);
}

} // namespace pw
