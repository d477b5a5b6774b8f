// Helpers for the diff engine tests: texts from lines, result invariants, a patch applier.
#pragma once

#include "compare/engine/diffresult.h"
#include "compare/engine/difftext.h"
#include "compare/engine/linediff.h"
#include "compare/engine/lineinterner.h"
#include "compare/engine/unifieddiff.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace pw::diff::test {

inline std::string joinLines(const std::vector<std::string> &lines, std::string_view eol = "\n")
{
    std::string out;
    for (const std::string &l : lines) {
        out += l;
        out += eol;
    }
    return out;
}

inline DiffResult diffOf(const std::string &a, const std::string &b, DiffOptions options = {})
{
    const std::optional<DiffResult> r =
        diffTexts(DiffText(a, options.lineSplit), DiffText(b, options.lineSplit), options);
    EXPECT_TRUE(r.has_value());
    return r.value_or(DiffResult{});
}

inline std::string unifiedOf(const std::string &a, const std::string &b, DiffOptions options = {})
{
    const DiffText ta(a, options.lineSplit);
    const DiffText tb(b, options.lineSplit);
    const DiffResult r = diffTexts(ta, tb, options).value_or(DiffResult{});
    return unifiedDiff(ta, tb, r, UnifiedOptions{"A", "B", 3});
}

// Checks every documented invariant of a result; returns a description of the first broken one.
inline std::string brokenInvariant(const DiffText &a, const DiffText &b, const DiffResult &r,
                                   bool ignoreLineEndings)
{
    int aPos = 0;
    int bPos = 0;
    DiffCounts counts;
    for (std::size_t i = 0; i < r.blocks.size(); ++i) {
        const Block &blk = r.blocks[i];
        std::ostringstream where;
        where << "block " << i << ": ";
        if (blk.aStart != aPos || blk.bStart != bPos)
            return where.str() + "gap or overlap";
        switch (blk.kind) {
        case BlockKind::Equal:
            if (blk.aCount != blk.bCount || blk.aCount <= 0)
                return where.str() + "bad equal counts";
            for (int k = 0; k < blk.aCount; ++k)
                if (detail::lineKey(a, blk.aStart + k, ignoreLineEndings) !=
                    detail::lineKey(b, blk.bStart + k, ignoreLineEndings))
                    return where.str() + "equal block holds different lines";
            break;
        case BlockKind::Changed:
            if (blk.aCount != blk.bCount || blk.aCount <= 0)
                return where.str() + "bad changed counts";
            counts.changedLines += blk.aCount;
            break;
        case BlockKind::Removed:
            if (blk.bCount != 0 || blk.aCount <= 0)
                return where.str() + "bad removed counts";
            counts.removedLines += blk.aCount;
            break;
        case BlockKind::Added:
            if (blk.aCount != 0 || blk.bCount <= 0)
                return where.str() + "bad added counts";
            counts.addedLines += blk.bCount;
            break;
        }
        aPos += blk.aCount;
        bPos += blk.bCount;
    }
    if (aPos != a.lineCount() || bPos != b.lineCount())
        return "blocks do not cover both texts";
    if (counts.changedLines != r.counts.changedLines ||
        counts.removedLines != r.counts.removedLines || counts.addedLines != r.counts.addedLines ||
        int(r.hunks.size()) != r.counts.hunks)
        return "counts do not match the blocks";
    int previousEnd = -1;
    for (const Hunk &h : r.hunks) {
        if (h.aStart <= previousEnd)
            return "hunks not separated by an equal line";
        for (int k = 0; k < h.blockCount; ++k)
            if (r.blocks[std::size_t(h.firstBlock + k)].kind == BlockKind::Equal)
                return "equal block inside a hunk";
        previousEnd = h.aStart + h.aCount;
    }
    for (const LinePairDiff &p : r.pairs) {
        for (const auto &[ranges, text, line] :
             {std::tuple(&p.aRanges, &a, p.aLine), std::tuple(&p.bRanges, &b, p.bLine)}) {
            int end = -1;
            for (const CharRange &cr : *ranges) {
                if (cr.start <= end || cr.length <= 0 ||
                    std::size_t(cr.start + cr.length) > text->content(line).size())
                    return "character range out of order or outside its line";
                end = cr.start + cr.length;
            }
        }
    }
    return {};
}

// Applies a unified diff to a text, checking every context and removed line; empty on mismatch.
inline std::optional<std::string> applyUnified(const std::string &original,
                                               const std::string &patch)
{
    if (patch.empty())
        return original;
    std::vector<std::string> lines; // with their breaks
    for (std::size_t pos = 0; pos < original.size();) {
        const std::size_t nl = original.find('\n', pos);
        const std::size_t end = nl == std::string::npos ? original.size() : nl + 1;
        lines.push_back(original.substr(pos, end - pos));
        pos = end;
    }
    std::vector<std::string> patchLines;
    std::istringstream in(patch);
    for (std::string l; std::getline(in, l);)
        patchLines.push_back(l);
    if (patchLines.size() < 2 || patchLines[0].rfind("--- ", 0) != 0 ||
        patchLines[1].rfind("+++ ", 0) != 0)
        return std::nullopt;
    std::string out;
    std::size_t next = 0; // next original line to copy
    std::string *last = nullptr;
    for (std::size_t i = 2; i < patchLines.size(); ++i) {
        const std::string &l = patchLines[i];
        if (l.rfind("@@ -", 0) == 0) {
            long start = std::stol(l.substr(4));
            const std::size_t comma = l.find(',');
            const std::size_t space = l.find(' ', 4);
            const bool empty = comma < space && std::stol(l.substr(comma + 1)) == 0;
            const std::size_t first = std::size_t(empty ? start : start - 1);
            if (first < next || first > lines.size())
                return std::nullopt;
            for (; next < first; ++next)
                out += lines[next];
            last = nullptr;
            continue;
        }
        if (l == "\\ No newline at end of file") {
            if (!last || last->empty() || last->back() != '\n')
                return std::nullopt;
            last->pop_back();
            continue;
        }
        if (l.empty())
            return std::nullopt;
        static std::string removed;
        const std::string body = l.substr(1) + "\n";
        if (l[0] == ' ' || l[0] == '-') {
            if (next >= lines.size())
                return std::nullopt;
            std::string have = lines[next++];
            if (have.empty() || have.back() != '\n')
                have += '\n'; // compared before the marker strips it
            if (have != body)
                return std::nullopt;
            if (l[0] == ' ') {
                out += body;
                last = &out;
            } else {
                removed = body;
                last = &removed;
            }
        } else if (l[0] == '+') {
            out += body;
            last = &out;
        } else {
            return std::nullopt;
        }
    }
    for (; next < lines.size(); ++next)
        out += lines[next];
    return out;
}

} // namespace pw::diff::test
