// NavigationHistory: the program-wide list of recent caret places behind Navigate Backward/Forward.
#pragma once

#include <optional>
#include <vector>

namespace pw {

// Views are identified by an opaque pointer; the history never dereferences it.
struct NavigationEntry
{
    const void *view = nullptr;
    long position = 0;
    friend bool operator==(const NavigationEntry &, const NavigationEntry &) = default;
};

class NavigationHistory
{
public:
    static constexpr int MaxEntries = 20;

    // A place already held changes nothing; otherwise it is appended (dropping the oldest beyond
    // MaxEntries) and becomes current.
    void add(const void *view, long position);
    // Forgets every place of a view; current becomes the last entry.
    void remove(const void *view);

    bool canGoBack() const;
    bool canGoForward() const;
    // Moves current and returns its entry, or nothing when there is nowhere to go.
    std::optional<NavigationEntry> back();
    std::optional<NavigationEntry> forward();

    const std::vector<NavigationEntry> &entries() const { return m_entries; }
    int current() const { return m_current; }

private:
    std::vector<NavigationEntry> m_entries;
    int m_current = -1;
};

} // namespace pw
