// Fuzz target for the diff engine: two texts from one input, every option, checked invariants.
#include "compare/engine/intraline.h"
#include "compare/engine/linediff.h"
#include "compare/engine/lineinterner.h"
#include "compare/engine/sidebyside.h"
#include "compare/engine/unifieddiff.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace pw::diff;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Input: one option byte, then the first text, a 0xFF byte, then the second text.
void run(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return;
    const std::uint8_t flags = data[0];
    const std::string_view rest(reinterpret_cast<const char *>(data + 1), size - 1);
    const std::size_t cut = rest.find('\xFF');
    const std::string first(rest.substr(0, cut));
    const std::string second(cut == std::string_view::npos ? std::string_view()
                                                           : rest.substr(cut + 1));

    DiffOptions options;
    options.ignoreLineEndings = flags & 1;
    options.lineSplit = flags & 2 ? LineSplit::AnyBreak : LineSplit::Lf;
    options.intraLine = !(flags & 4);
    const DiffText a(first, options.lineSplit);
    const DiffText b(second, options.lineSplit);
    const std::optional<DiffResult> r = diffTexts(a, b, options);
    check(r.has_value());

    int aPos = 0;
    int bPos = 0;
    for (const Block &block : r->blocks) {
        check(block.aStart == aPos && block.bStart == bPos);
        if (block.kind == BlockKind::Equal)
            for (int k = 0; k < block.aCount; ++k)
                check(detail::lineKey(a, block.aStart + k, options.ignoreLineEndings) ==
                      detail::lineKey(b, block.bStart + k, options.ignoreLineEndings));
        aPos += block.aCount;
        bPos += block.bCount;
    }
    check(aPos == a.lineCount() && bPos == b.lineCount());
    check(r->identical() == (r->counts.editSize() == 0));
    for (const LinePairDiff &p : r->pairs) {
        for (const CharRange &cr : p.aRanges)
            check(cr.start >= 0 && std::size_t(cr.start + cr.length) <= a.content(p.aLine).size());
        for (const CharRange &cr : p.bRanges)
            check(cr.start >= 0 && std::size_t(cr.start + cr.length) <= b.content(p.bLine).size());
    }

    const std::string patch = unifiedDiff(a, b, *r, UnifiedOptions{"a", "b", flags >> 4});
    check(patch.empty() == r->identical());

    const SideBySideLayout layout(*r);
    for (int line = 0; line < a.lineCount(); ++line)
        check(layout.row(layout.rowOfFirstLine(line)).firstLine == line);
    for (int line = 0; line < b.lineCount(); ++line)
        check(layout.row(layout.rowOfSecondLine(line)).secondLine == line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    run(data, size);
    return 0;
}
