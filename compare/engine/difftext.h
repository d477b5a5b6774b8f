// One side of a comparison: the text's bytes cut into lines, each line keeping its own break.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pw::diff {

// Where lines end.
enum class LineSplit {
    // At LF only, as GNU diff and patch cut lines; a CR before the LF belongs to the line break,
    // any other CR is text.
    Lf,
    // At CR LF, LF or a lone CR, as the editing component cuts lines.
    AnyBreak,
};

// Text bytes (UTF-8 or 8-bit, as the editor holds them) and the start of every line.
// Invariants: lineCount() is the number of line starts; an empty text has no lines; every line
// but possibly the last ends with a break; the lines concatenated give bytes() back.
class DiffText
{
public:
    DiffText() = default;
    explicit DiffText(std::string bytes, LineSplit split = LineSplit::Lf);

    const std::string &bytes() const { return m_bytes; }
    LineSplit split() const { return m_split; }
    int lineCount() const { return int(m_starts.size()) - 1; }

    // Byte offset of line i's first byte; lineStart(lineCount()) is the size of the text.
    std::size_t lineStart(int i) const { return m_starts[std::size_t(i)]; }
    // Line i with its break (0 <= i < lineCount()).
    std::string_view line(int i) const
    {
        return std::string_view(m_bytes).substr(
            m_starts[std::size_t(i)], m_starts[std::size_t(i) + 1] - m_starts[std::size_t(i)]);
    }
    // Line i without its break.
    std::string_view content(int i) const
    {
        const std::string_view l = line(i);
        return l.substr(0, l.size() - breakLength(l));
    }
    // The break that ends line i: "\r\n", "\n", "\r" (AnyBreak only) or empty for a last line
    // without one.
    std::string_view lineBreak(int i) const
    {
        const std::string_view l = line(i);
        return l.substr(l.size() - breakLength(l));
    }
    bool endsWithBreak() const { return lineCount() > 0 && !lineBreak(lineCount() - 1).empty(); }

private:
    std::size_t breakLength(std::string_view l) const;

    std::string m_bytes;
    std::vector<std::size_t> m_starts{0};
    LineSplit m_split = LineSplit::Lf;
};

} // namespace pw::diff
