// NavigationHistory: the program-wide list of recent caret places behind Navigate Backward/Forward.
#include "editor/doccore/navigationhistory.h"

#include <algorithm>

namespace pw {

void NavigationHistory::add(const void *view, long position)
{
    const NavigationEntry entry{view, position};
    if (std::find(m_entries.begin(), m_entries.end(), entry) != m_entries.end())
        return;
    if (int(m_entries.size()) >= MaxEntries)
        m_entries.erase(m_entries.begin());
    m_entries.push_back(entry);
    m_current = int(m_entries.size()) - 1;
}

void NavigationHistory::remove(const void *view)
{
    std::erase_if(m_entries, [view](const NavigationEntry &e) { return e.view == view; });
    m_current = int(m_entries.size()) - 1;
}

bool NavigationHistory::canGoBack() const { return m_entries.size() > 1 && m_current > 0; }

bool NavigationHistory::canGoForward() const
{
    return m_entries.size() > 1 && m_current < int(m_entries.size()) - 1;
}

std::optional<NavigationEntry> NavigationHistory::back()
{
    if (!canGoBack())
        return std::nullopt;
    return m_entries[std::size_t(--m_current)];
}

std::optional<NavigationEntry> NavigationHistory::forward()
{
    if (!canGoForward())
        return std::nullopt;
    return m_entries[std::size_t(++m_current)];
}

} // namespace pw
