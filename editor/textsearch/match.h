// A found range of text, as every search of the engine reports it.
#pragma once

#include <QtGlobal>

namespace pw::search {

// [start, end) in bytes of the searched text; start is -1 when nothing was found.
struct Match
{
    qsizetype start = -1;
    qsizetype end = -1;
    bool found() const { return start >= 0; }
    qsizetype length() const { return end - start; }
    friend bool operator==(const Match &, const Match &) = default;
};

} // namespace pw::search
