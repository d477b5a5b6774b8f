// libFuzzer target for the find-in-files scanner: the lines it reports for a literal text, found
// through its shortcuts (exact and folded candidate scans), are the lines the component's search
// finds when it searches each line on its own; and wildcard matching never fails.
#include "findinfiles/engine/filescanner.h"
#include "findinfiles/engine/filetypes.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace pw;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::uint8_t flags = data[0];
    const std::size_t needleLength = 1 + data[1] % 4;
    if (size < 2 + needleLength)
        return 0;
    std::string needle(reinterpret_cast<const char *>(data + 2), needleLength);
    for (char &c : needle)
        if (c == '\r' || c == '\n' || c == 0)
            c = 'a';
    const std::string text(reinterpret_cast<const char *>(data + 2 + needleLength),
                           size - 2 - needleLength);
    (void)fif::wildcardMatch(needle, text.substr(0, 64));

    const search::Options options{(flags & 1) != 0, (flags & 2) != 0, false};
    const search::SearchPattern pattern(QByteArray::fromStdString(needle), options.flags());
    search::SearchBudget budget(std::chrono::milliseconds(0));
    fif::FileScanner scanner(pattern, budget);
    std::vector<fif::Hit> hits;
    check(scanner.scanText("x", text, hits) == fif::FileScanner::Outcome::Searched);

    // The reference: each line searched alone, line ends as the editor counts them.
    search::TextView view;
    view.data = text.data();
    view.length = qsizetype(text.size());
    view.utf8 = true;
    search::Searcher searcher(view, pattern);
    std::vector<std::pair<int, unsigned>> expected;
    qsizetype lineStart = 0;
    int line = 1;
    while (lineStart < qsizetype(text.size())) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < qsizetype(text.size()) && text[lineEnd] != '\n' && text[lineEnd] != '\r')
            ++lineEnd;
        search::Match match;
        if (searcher.find(lineStart, lineEnd, match) == search::SearchStatus::Found)
            expected.emplace_back(line, unsigned(match.start - lineStart));
        qsizetype next = lineEnd + 1;
        if (lineEnd < qsizetype(text.size()) && text[lineEnd] == '\r' &&
            lineEnd + 1 < qsizetype(text.size()) && text[lineEnd + 1] == '\n')
            ++next;
        lineStart = next;
        ++line;
    }
    check(hits.size() == expected.size());
    for (std::size_t i = 0; i < hits.size(); ++i)
        check(hits[i].line == expected[i].first && hits[i].column == expected[i].second);
    return 0;
}
