// Lookup of the program's resource tables: commands, menus and the string table.
#pragma once

#include <span>

namespace pw::res {

// One command the program knows: its id, the menu text with its "&" mnemonic, the default
// accelerator in QKeySequence portable text ("Ctrl+Shift+F", empty when none) and a status-bar tip.
struct CommandInfo
{
    int id;
    const char *text;
    const char *shortcut;
    const char *tip;
};

// A menu is stored flat: each entry has a depth (0 = top level of the menu resource).
// kind Popup opens a submenu holding the following entries of depth + 1;
// kind Command names a command id whose text comes from the entry (when set) or the command table.
struct MenuEntry
{
    enum Kind { Command, Separator, Popup };
    int depth;
    Kind kind;
    int id;           // command id for Command, 0 otherwise
    const char *text; // popup title; for a command an override of the table text, or nullptr
};

struct MenuResource
{
    int id;
    std::span<const MenuEntry> entries;
};

std::span<const CommandInfo> commands();
const CommandInfo *findCommand(int id);

std::span<const MenuResource> menus();
const MenuResource *findMenu(int id);

// One text of the string table.
struct StringInfo
{
    int id;
    const char *text;
};

// The string table. Returns "" for an unknown id so a missing text never crashes a message box.
const char *string(int id);
std::span<const StringInfo> strings();

} // namespace pw::res
