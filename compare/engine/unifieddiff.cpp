// Writing a comparison as a unified diff.
#include "compare/engine/unifieddiff.h"

#include <algorithm>
#include <charconv>

namespace pw::diff {
namespace {

constexpr std::size_t FlushBytes = 1 << 16;

class Writer
{
public:
    explicit Writer(const TextSink &sink) : m_sink(sink) { m_buffer.reserve(FlushBytes + 4096); }
    ~Writer() { flush(); }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    void put(std::string_view text)
    {
        m_buffer.append(text);
        if (m_buffer.size() >= FlushBytes)
            flush();
    }
    void put(char c) { m_buffer.push_back(c); }
    void number(long long value)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        m_buffer.append(digits, end);
    }
    void line(char prefix, const DiffText &text, int i)
    {
        put(prefix);
        const std::string_view l = text.line(i);
        put(l);
        const std::string_view lineBreak = text.lineBreak(i);
        if (lineBreak.empty())
            put(std::string_view("\n\\ No newline at end of file\n"));
        else if (lineBreak == "\r")
            put('\n');
    }
    // Lines [start, start + count) as "l,n", "l" or "l,0" (l being the line before).
    void range(int start, int count)
    {
        if (count == 0) {
            number(start);
            put(std::string_view(",0"));
        } else {
            number(start + 1LL);
            if (count != 1) {
                put(',');
                number(count);
            }
        }
    }
    void flush()
    {
        if (!m_buffer.empty()) {
            m_sink(m_buffer);
            m_buffer.clear();
        }
    }

private:
    const TextSink &m_sink;
    std::string m_buffer;
};

} // namespace

void writeUnifiedDiff(const DiffText &a, const DiffText &b, const DiffResult &diff,
                      const UnifiedOptions &options, const TextSink &sink)
{
    if (diff.hunks.empty())
        return;
    const int context = std::max(options.context, 0);
    Writer out(sink);
    out.put(std::string_view("--- "));
    out.put(options.firstLabel);
    out.put(std::string_view("\n+++ "));
    out.put(options.secondLabel);
    out.put('\n');

    const std::vector<Hunk> &hunks = diff.hunks;
    std::size_t first = 0;
    while (first < hunks.size()) {
        // Changes whose surrounding context would touch or overlap go into one hunk.
        std::size_t last = first;
        while (last + 1 < hunks.size() &&
               hunks[last + 1].aStart - (hunks[last].aStart + hunks[last].aCount) <= 2 * context)
            ++last;
        const Hunk &h0 = hunks[first];
        const Hunk &h1 = hunks[last];
        const int lead = std::min(context, h0.aStart);
        const int trail = std::min(context, a.lineCount() - (h1.aStart + h1.aCount));
        const int aStart = h0.aStart - lead;
        const int bStart = h0.bStart - lead;
        const int aEnd = h1.aStart + h1.aCount + trail;
        const int bEnd = h1.bStart + h1.bCount + trail;
        out.put(std::string_view("@@ -"));
        out.range(aStart, aEnd - aStart);
        out.put(std::string_view(" +"));
        out.range(bStart, bEnd - bStart);
        out.put(std::string_view(" @@\n"));
        int aPos = aStart;
        for (std::size_t k = first; k <= last; ++k) {
            const Hunk &h = hunks[k];
            for (; aPos < h.aStart; ++aPos)
                out.line(' ', a, aPos);
            for (int i = h.aStart; i < h.aStart + h.aCount; ++i)
                out.line('-', a, i);
            for (int j = h.bStart; j < h.bStart + h.bCount; ++j)
                out.line('+', b, j);
            aPos = h.aStart + h.aCount;
        }
        for (; aPos < aEnd; ++aPos)
            out.line(' ', a, aPos);
        first = last + 1;
    }
}

std::string unifiedDiff(const DiffText &a, const DiffText &b, const DiffResult &diff,
                        const UnifiedOptions &options)
{
    std::string text;
    writeUnifiedDiff(a, b, diff, options, [&text](std::string_view piece) { text.append(piece); });
    return text;
}

} // namespace pw::diff
