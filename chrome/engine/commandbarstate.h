// The command bars' saved layout as plain data, and the versioned binary form it is stored in.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace pw {

// One toolbar as the user left it.
struct ToolbarState
{
    // Where a toolbar docks; the values are those of Qt::ToolBarArea.
    enum Area : qint32 { Left = 0x1, Right = 0x2, Top = 0x4, Bottom = 0x8 };

    // "Toolbar" for the built-in toolbar; "UserToolbar" followed by anything for the user's.
    QString objectName;
    // The name the user sees: trimmed, and for a user toolbar never empty.
    QString title;
    bool user = false;
    bool visible = true;
    Area area = Top;
    // The toolbar starts a new row (or column) of its area.
    bool lineBreak = false;
    // Command ids in button order; 0 is a separator and the only id that may repeat.
    QList<int> buttons;

    // Written out because Qt 6.4 compares two empty QList<int> with memcmp on a null pointer,
    // which the undefined-behaviour sanitizer rightly refuses.
    friend bool operator==(const ToolbarState &a, const ToolbarState &b)
    {
        return a.objectName == b.objectName && a.title == b.title && a.user == b.user &&
               a.visible == b.visible && a.area == b.area && a.lineBreak == b.lineBreak &&
               std::equal(a.buttons.begin(), a.buttons.end(), b.buttons.begin(), b.buttons.end());
    }
};

// Everything the user can change on the command bars: the toolbars in the order they stand
// (area by area, then row by row, then along the row), so that docking them one after the other
// puts them back in place; the keys that differ from the defaults; the tooltip options.
//
// A state read by parse() holds these invariants, and serialise() of it parses back to an equal
// state:
// - exactly one built-in toolbar, and 1 to kMaxToolbars toolbars in all;
// - object names unique; titles unique ignoring case;
// - at most kMaxButtons buttons per toolbar, kMaxShortcutCommands commands with custom keys,
//   kMaxKeysPerCommand keys each, no key text empty, repeated or longer than kMaxKeyText.
// Command ids are not checked against any command table: keepOnly() does that for the caller.
struct CommandBarState
{
    static constexpr quint32 kMagic = 0x50574342; // "PWCB"
    static constexpr quint16 kVersion = 1;
    // Limits that no real layout reaches; larger counts mean the data is not ours.
    static constexpr int kMaxToolbars = 256;
    static constexpr int kMaxButtons = 4096;
    static constexpr int kMaxShortcutCommands = 4096;
    static constexpr int kMaxKeysPerCommand = 16;
    static constexpr int kMaxKeyText = 256;
    static constexpr int kMaxNameText = 4096;

    bool showToolTips = true;
    bool shortcutsInToolTips = true;
    std::vector<ToolbarState> toolbars;
    // Command id -> its keys in portable text ("Ctrl+Shift+F"), in the order the user gave them.
    // An empty list means the command has no key at all, which differs from its default.
    QMap<int, QStringList> shortcuts;

    friend bool operator==(const CommandBarState &, const CommandBarState &) = default;

    // The binary form: big-endian, the way QDataStream (Qt 6.0 format) writes the same fields.
    QByteArray serialise() const;

    // Reads a saved layout. Malformed data of any kind (foreign, another version, cut short,
    // trailing bytes, counts beyond the limits, broken names) gives nullopt and, when error is
    // given, one sentence saying what is wrong and where. Small slips are repaired rather than
    // refused: titles are trimmed, a button listed twice on one toolbar keeps its first place,
    // empty or repeated key texts are dropped, and a command listed twice keeps its last keys.
    // Never reads past data and allocates no more than data's size allows.
    static std::optional<CommandBarState> parse(const QByteArray &data, QString *error = nullptr);

    // Leaves out what this program does not know (a layout of an older or newer program):
    // buttons for which isButton is false, and keys of commands for which isCommand is false.
    // The invariants above still hold afterwards.
    void keepOnly(const std::function<bool(int)> &isButton,
                  const std::function<bool(int)> &isCommand);

    // The built-in toolbar, or null when there is none.
    const ToolbarState *builtInToolbar() const;
};

} // namespace pw
