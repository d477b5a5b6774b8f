// Command handling: each class registers a handler and an update handler per command id.
#pragma once

#include <QString>
#include <functional>
#include <unordered_map>
#include <vector>

namespace pw {

// What an update handler may change about a command's menu entry, toolbar button and shortcut.
struct CommandUi
{
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    QString text; // empty keeps the text of the command table
};

// A link of the command chain (view, document, child frame, main frame, application).
class CommandTarget
{
public:
    using Handler = std::function<void()>;
    using UpdateHandler = std::function<void(CommandUi &)>;
    using RangeHandler = std::function<void(int id)>;
    using RangeUpdateHandler = std::function<void(int id, CommandUi &)>;

    virtual ~CommandTarget() = default;

    // A command with a handler but no update handler is always enabled.
    void onCommand(int id, Handler handler, UpdateHandler update = {});
    void onCommandRange(int first, int last, RangeHandler handler, RangeUpdateHandler update = {});

    bool handlesCommand(int id) const;
    // Runs the handler; false when this target has none for the id.
    bool runCommand(int id);
    // Fills ui from the update handler; false when this target has no handler for the id.
    bool updateCommand(int id, CommandUi &ui) const;

private:
    struct Entry
    {
        Handler handler;
        UpdateHandler update;
    };
    struct RangeEntry
    {
        int first;
        int last;
        RangeHandler handler;
        RangeUpdateHandler update;
    };
    const RangeEntry *findRange(int id) const;

    std::unordered_map<int, Entry> m_handlers;
    std::vector<RangeEntry> m_ranges;
};

} // namespace pw
