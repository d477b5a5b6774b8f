// PageStarts: where each printed page begins, found a slice at a time so a long text never holds
// the window, with no limit on the number of pages.
#pragma once

#include <QtGlobal>
#include <functional>
#include <vector>

namespace pw::printing {

class PageStarts
{
public:
    // Lays out one page from position from and returns where the next page begins.
    using FormatFn = std::function<qint64(qint64 from)>;

    // A text of length bytes; page 1 always begins at 0.
    explicit PageStarts(qint64 length = 0);

    // Lays out at most maxPages further pages; true once every start is known. A page that
    // does not move forward ends the walk, so a misbehaving layout cannot loop for ever.
    bool advance(const FormatFn &format, int maxPages);
    bool complete() const { return m_complete; }

    // Pages whose start is known (at least 1); the total once complete().
    int knownPages() const { return int(m_starts.size()); }
    // Where page index (0-based) begins; -1 when it is not known (yet).
    qint64 start(int index) const;
    // Where page index ends: the next page's start, or the text's end for the last page.
    qint64 end(int index) const;
    // The position reached so far, for progress.
    qint64 reached() const { return m_reached; }
    qint64 length() const { return m_length; }

private:
    qint64 m_length;
    std::vector<qint64> m_starts{0};
    qint64 m_reached = 0;
    bool m_complete;
};

} // namespace pw::printing
