// Handler tables of a command-chain link.
#include "framework/commandtarget.h"

namespace pw {

void CommandTarget::onCommand(int id, Handler handler, UpdateHandler update)
{
    m_handlers[id] = Entry{std::move(handler), std::move(update)};
}

void CommandTarget::onCommandRange(int first, int last, RangeHandler handler,
                                   RangeUpdateHandler update)
{
    m_ranges.push_back(RangeEntry{first, last, std::move(handler), std::move(update)});
}

const CommandTarget::RangeEntry *CommandTarget::findRange(int id) const
{
    for (const RangeEntry &range : m_ranges) {
        if (id >= range.first && id <= range.last)
            return &range;
    }
    return nullptr;
}

bool CommandTarget::handlesCommand(int id) const
{
    return m_handlers.count(id) != 0 || findRange(id) != nullptr;
}

bool CommandTarget::runCommand(int id)
{
    if (auto it = m_handlers.find(id); it != m_handlers.end()) {
        // Copy first: a handler may close the window that owns this table.
        Handler handler = it->second.handler;
        if (handler)
            handler();
        return true;
    }
    if (const RangeEntry *range = findRange(id)) {
        RangeHandler handler = range->handler;
        if (handler)
            handler(id);
        return true;
    }
    return false;
}

bool CommandTarget::updateCommand(int id, CommandUi &ui) const
{
    if (auto it = m_handlers.find(id); it != m_handlers.end()) {
        if (it->second.update)
            it->second.update(ui);
        return true;
    }
    if (const RangeEntry *range = findRange(id)) {
        if (range->update)
            range->update(id, ui);
        return true;
    }
    return false;
}

} // namespace pw
