// Replace All's edits: hits joined into edits, batches applied, and records replayed.
#include "editor/replaceedits.h"

#include "editor/mfcscintilla.h"
#include "editor/textsearch/replaceplanner.h"
#include "editor/textsearch/replacerecord.h"

#include <cstring>

namespace pw {

namespace {

// The most text one edit rewrites to take several hits at once.
constexpr qsizetype GroupedEditBytes = 64 << 10;

// Whether any indicator (the marks of Mark All, among others) is in use; the component
// answers 0 for the end of a run of an indicator it holds nothing for.
bool hasIndicators(const CMFCScintilla *ed)
{
    for (int indicator = 0; indicator <= Sci::INDIC_MAX; ++indicator)
        if (ed->send(Sci::SCI_INDICATOREND, indicator, 0) != 0)
            return true;
    return false;
}

std::vector<search::EditGroup> editGroups(Grouping grouping, const search::TextView &text,
                                          const std::vector<search::Match> &hits)
{
    if (grouping == Grouping::None) {
        std::vector<search::EditGroup> groups(hits.size());
        for (std::size_t i = 0; i < hits.size(); ++i)
            groups[i] = {i, i};
        return groups;
    }
    return search::groupHits(text, hits, GroupedEditBytes, grouping == Grouping::AcrossLines);
}

bool holdsLineEnd(const char *bytes, qsizetype length)
{
    return length > 0 && (std::memchr(bytes, '\n', std::size_t(length)) ||
                          std::memchr(bytes, '\r', std::size_t(length)));
}

} // namespace

Grouping groupingFor(const CMFCScintilla *ed)
{
    if (hasIndicators(ed))
        return Grouping::None;
    const bool lineState =
        ed->send(Sci::SCI_MARKERNEXT, 0, -1) >= 0 || ed->send(Sci::SCI_CONTRACTEDFOLDNEXT, 0) >= 0;
    return lineState ? Grouping::WithinLines : Grouping::AcrossLines;
}

void applyBatch(CMFCScintilla *ed, Grouping grouping, const search::TextView &view,
                const std::vector<search::Match> &hits, const QByteArray &with, std::string &joined)
{
    const std::vector<search::EditGroup> groups = editGroups(grouping, view, hits);
    qsizetype delta = 0;
    for (const search::EditGroup &group : groups) {
        const search::Match &first = hits[group.first];
        const search::Match &last = hits[group.last];
        const long from = long(first.start + delta);
        const long to = long(last.end + delta);
        const char *replacement = with.constData();
        qsizetype replacementLength = with.size();
        if (group.last > group.first) {
            // The text between the hits is still as it was, only shifted by delta.
            const auto *current =
                reinterpret_cast<const char *>(ed->send(Sci::SCI_GETRANGEPOINTER, from, to - from));
            joined.clear();
            for (std::size_t h = group.first; h <= group.last; ++h) {
                joined.append(with.constData(), std::size_t(with.size()));
                if (h < group.last)
                    joined.append(current + (hits[h].end - first.start),
                                  std::size_t(hits[h + 1].start - hits[h].end));
            }
            replacement = joined.data();
            replacementLength = qsizetype(joined.size());
        }
        ed->send(Sci::SCI_SETTARGETRANGE, from, to);
        ed->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(replacementLength),
                     replacement);
        delta += replacementLength - (to - from);
    }
}

void replayRecord(CMFCScintilla *ed, const search::ReplaceRecord &record, bool undo)
{
    const Grouping grouping = groupingFor(ed);
    const QByteArray &with = record.replacement();
    const bool withHoldsLineEnd = holdsLineEnd(with.constData(), with.size());
    // One pending edit [from, to) of the text as it is, to become joined; the hits after it are
    // placed in the text as it is too, and move once the edit is made.
    long from = -1;
    long to = -1;
    std::string joined;
    // A hit holding a line end is an edit of its own, as when the hits were replaced.
    bool alone = false;
    long first = -1;
    auto flush = [&]() -> long {
        if (from < 0)
            return 0;
        ed->send(Sci::SCI_SETTARGETRANGE, from, to);
        ed->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(joined.size()),
                     joined.data());
        const long shift = long(joined.size()) - (to - from);
        from = -1;
        return shift;
    };
    search::ReplaceRecord::Reader reader(record);
    search::ReplaceRecord::Piece piece;
    long end = 0;
    while (reader.next(piece)) {
        long start = end + long(piece.gap);
        const char *put = undo ? piece.before.data() : with.constData();
        const qsizetype putLength = undo ? piece.before.size() : with.size();
        const qsizetype present = undo ? with.size() : piece.before.size();
        const bool lineEnd =
            withHoldsLineEnd || holdsLineEnd(piece.before.data(), piece.before.size());
        bool join = from >= 0 && !alone && !lineEnd && grouping != Grouping::None &&
                    qsizetype(joined.size()) + (start - to) + putLength <= GroupedEditBytes;
        const char *between = nullptr;
        if (join && start > to) {
            between =
                reinterpret_cast<const char *>(ed->send(Sci::SCI_GETRANGEPOINTER, to, start - to));
            join = grouping == Grouping::AcrossLines || !holdsLineEnd(between, start - to);
        }
        if (join) {
            joined.append(between ? between : "", std::size_t(start - to));
            joined.append(put, std::size_t(putLength));
        } else {
            start += flush();
            from = start;
            alone = lineEnd;
            joined.assign(put, std::size_t(putLength));
        }
        if (first < 0)
            first = start;
        to = start + long(present);
        end = to;
    }
    const long shift = flush();
    const long caret = undo ? first : end + shift;
    if (caret >= 0) {
        ed->send(Sci::SCI_SETSEL, caret, caret);
        ed->send(Sci::SCI_SCROLLCARET);
    }
}

} // namespace pw
