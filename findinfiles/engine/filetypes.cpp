// File-type wildcards of find in files.
#include "findinfiles/engine/filetypes.h"

namespace pw::fif {

namespace {

char fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

} // namespace

FileTypeFilter::FileTypeFilter(std::string_view list)
{
    std::size_t from = 0;
    while (from <= list.size()) {
        std::size_t to = list.find(';', from);
        if (to == std::string_view::npos)
            to = list.size();
        std::string pattern;
        for (char c : list.substr(from, to - from))
            if (c != ' ')
                pattern.push_back(fold(c));
        if (pattern == "*.*" || pattern == "*")
            m_all = true;
        else if (!pattern.empty())
            m_patterns.push_back(std::move(pattern));
        from = to + 1;
    }
    if (m_patterns.empty())
        m_all = true;
}

bool FileTypeFilter::matches(std::string_view name) const
{
    if (m_all)
        return true;
    for (const std::string &pattern : m_patterns)
        if (wildcardMatch(pattern, name))
            return true;
    return false;
}

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    // Greedy with one backtrack point: the last "*" seen takes one more character on a mismatch.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == fold(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace pw::fif
