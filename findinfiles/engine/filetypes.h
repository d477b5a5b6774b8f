// Which file names a find in files looks at: ";"-separated wildcards, compared ignoring case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pw::fif {

// A list such as "*.c;*.h;Makefile". "*" stands for any run of characters, "?" for one; letters
// compare ignoring ASCII case, as file names do on the systems the program grew up on. "*.*"
// takes every name, dotless ones included, and so do an empty list and an empty entry-only list.
class FileTypeFilter
{
public:
    explicit FileTypeFilter(std::string_view list = {});

    bool matches(std::string_view name) const;
    bool matchesEverything() const { return m_all; }

private:
    std::vector<std::string> m_patterns; // folded to lower case
    bool m_all = false;
};

// The wildcard rule alone, on a pattern already folded to lower case.
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace pw::fif
