// LineCutter: a text's over-long lines cut into pieces that a view can lay out without a pause.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pw::enc {

// Fed a UTF-8 text chunk by chunk, in any chunking, it puts a line break wherever a line would
// pass the limit, at the start of a character (a piece may pass the limit by the few bytes of the
// character it would split). A line end is "\n", "\r\n" or a lone "\r"; the lines of a text
// that has none over the limit pass through untouched and uncopied.
class LineCutter
{
public:
    LineCutter(std::size_t limit, std::string_view lineBreak);

    // The chunk with its breaks: the chunk itself when nothing in it was cut, otherwise a copy
    // that lives until the next call.
    std::string_view cut(std::string_view chunk);

    // The longest line seen (its bytes before any cut, line end not counted).
    std::uint64_t longestLine() const { return m_longest; }
    // Where each break put in so far went, as an offset into the text before cutting, ascending:
    // what places a line and column of the file in the cut text.
    const std::vector<std::uint64_t> &cutOffsets() const { return m_offsets; }

private:
    // Cuts the part of a line in chunk [from, to), which holds no line end.
    void cutRun(std::string_view chunk, std::size_t from, std::size_t to);

    std::size_t m_limit;
    std::string m_break;
    std::size_t m_column = 0;      // bytes since the last line end or cut
    std::uint64_t m_lineBytes = 0; // bytes since the last line end
    std::uint64_t m_longest = 0;
    std::vector<std::uint64_t> m_offsets;
    std::uint64_t m_consumed = 0; // bytes of the chunks before this one
    // The copy under way, and how much of the chunk it holds.
    std::string m_out;
    std::size_t m_copied = 0;
    bool m_copying = false;
};

} // namespace pw::enc
