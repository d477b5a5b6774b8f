// The user's external tools: the record, the list, its output modes and its place in the settings.
#pragma once

#include "settings/externaltoolrecord.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace pw {

class XmlSettingsStore;

// One tool is the settings file's own record: name (menu text), args (argument text with
// variables), dir (initial directory, only "$AppDir" is replaced in it), cmd (program, taken as
// typed), type (output mode) and icon (menu image id, 0 = none). Records are copied, never shared.
using ExternalTool = ExternalToolRecord;
// The tools in menu order.
using ToolList = QList<ExternalTool>;

// Where a tool's console output goes; the values are those stored in the "type" attribute.
enum class ToolOutputMode : int {
    OutputWindow = 0,   // captured into the Tool Window pane
    EditorDocument = 1, // captured into a new untitled document
    RunExternally = 2,  // started on its own, nothing captured
};

// The mode of a stored type value; nullopt for values no mode has (such a tool runs nothing).
std::optional<ToolOutputMode> outputModeOf(const ExternalTool &tool);

// The customise page's names of the modes, indexed by mode value.
QStringList toolOutputModeNames();

// What loadTools found; the numbers are the ones the tool list has always reported.
enum class ToolLoadResult : int {
    Unusable = -1, // the settings file cannot be used: nothing appended, no defaults either
    Absent = 0,    // no "ExternalTools" section: the caller appends the default tools
    Found = 1,     // the section exists, even with no tool in it
};

// Appends one tool per "Tool" element of the "ExternalTools" section, in file order.
ToolLoadResult loadTools(const XmlSettingsStore &store, ToolList &tools);

// Replaces the "ExternalTools" section by the list (creating it when missing) and writes the
// file; false when the settings file cannot be written or a text holds a NUL character.
bool saveTools(XmlSettingsStore &store, const ToolList &tools);

// Appends the two tools a first run offers: "Command Prompt", the user's shell ($SHELL, else
// /bin/sh) captured into the Tool Window, and "Explorer", which opens the document's folder in the
// desktop's file manager (xdg-open) without capture.
void appendDefaultTools(ToolList &tools);

} // namespace pw
