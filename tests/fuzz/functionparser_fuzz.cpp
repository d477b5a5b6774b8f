// Fuzzes the function-list parser: random text with the rule set of a real language, or random
// rules (their patterns in the component's syntax) over random text. Every parse must end, within
// its bounds, without a crash or a sanitizer report, and what it lists must lie in the text.
#include "functionlist/engine/functionparser.h"
#include "functionlist/engine/rules.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pw::functionlist;

namespace {

// The fields of a made-up rule set, one per line of the input's head.
RuleSet rulesFrom(const std::string &head, bool matchCase)
{
    std::vector<std::string> fields;
    std::size_t from = 0;
    while (fields.size() < 10) {
        const std::size_t cut = head.find('\n', from);
        fields.push_back(head.substr(from, cut == std::string::npos ? cut : cut - from));
        if (cut == std::string::npos)
            break;
        from = cut + 1;
    }
    fields.resize(10);
    RuleSet set;
    set.lexerId = 1000;
    set.supported = true;
    set.matchCase = matchCase;
    set.rules = {{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]}};
    if (!fields[6].empty())
        set.skipPairs = {{fields[6], fields[7]}};
    set.nestOpeners = fields[8];
    set.nestedHeaders = fields[9];
    return set;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    ParseOptions options;
    options.utf8 = data[0] & 1;
    // Bounds small enough for a fuzzer's pace; a parse that reaches one ends incomplete. The work
    // bound keeps its share per byte, so it still trips on texts of a few hundred bytes.
    options.deadlineMs = 300;
    options.workBase = 1 << 16;
    const std::string input(reinterpret_cast<const char *>(data + 1), size - 1);
    ParseResult result;
    QByteArray text;
    if (data[0] & 2) {
        const std::size_t split = input.find('\0');
        if (split == std::string::npos)
            return 0;
        text = QByteArray(input.data() + split + 1, qsizetype(input.size() - split - 1));
        result = parseFunctions(text, rulesFrom(input.substr(0, split), data[0] & 4), {}, options);
    } else {
        const std::vector<int> ids = supportedLexerIds();
        const int id = ids[std::size_t(data[0] >> 3) % ids.size()];
        text = QByteArray(input.data(), qsizetype(input.size()));
        // The pane's worker keeps its compiled patterns between parses; so does this target,
        // which leaves its time to the parse instead of the same few compilations.
        static PatternCache cache;
        result = parseFunctions(text, id, {}, options, &cache);
    }
    for (const FunctionEntry &entry : result.displayed) {
        if (entry.headerStart < 0 || entry.headerStart > entry.headerEnd ||
            entry.headerEnd > text.size() || entry.endPosition > text.size() ||
            entry.line > entry.endLine)
            std::abort();
    }
    return 0;
}
