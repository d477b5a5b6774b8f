// The search engine against the editing component's own target search: thousands of generated
// texts and patterns, searched and replaced by both, must give the same answers.
#include "editor/mfcscintilla.h"
#include "editor/textsearch/replaceplanner.h"
#include "editor/textsearch/textsearch.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <random>

using namespace pw;

namespace {

// ---- The engine against the component

class ComponentDifference : public ::testing::Test
{
protected:
    void setText(const QByteArray &text, bool utf8)
    {
        m_editor.send(Sci::SCI_SETCODEPAGE, utf8 ? Sci::SC_CP_UTF8 : 0);
        m_editor.send(Sci::SCI_CLEARALL);
        m_editor.sendText(Sci::SCI_ADDTEXT, static_cast<unsigned long>(text.size()),
                          text.constData());
    }
    search::TextView view(bool utf8) const
    {
        search::TextView v;
        v.data = reinterpret_cast<const char *>(m_editor.send(Sci::SCI_GETCHARACTERPOINTER));
        v.length = m_editor.send(Sci::SCI_GETLENGTH);
        v.utf8 = utf8;
        return v;
    }
    long componentSearch(const QByteArray &pattern, long start, long end)
    {
        m_editor.send(Sci::SCI_SETTARGETSTART, start);
        m_editor.send(Sci::SCI_SETTARGETEND, end);
        return m_editor.sendText(Sci::SCI_SEARCHINTARGET,
                                 static_cast<unsigned long>(pattern.size()), pattern.constData());
    }
    search::Match componentFind(const QByteArray &pattern, int flags, long start, long end)
    {
        m_editor.send(Sci::SCI_SETSEARCHFLAGS, flags);
        const long at = componentSearch(pattern, start, end);
        return at < 0 ? search::Match{} : search::Match{at, m_editor.send(Sci::SCI_GETTARGETEND)};
    }
    // The component's own Replace All loop; the count, or -1 when nothing matched.
    int componentReplaceAll(const QByteArray &pattern, const QByteArray &replacement, int flags,
                            long start, long end, long &caret)
    {
        m_editor.send(Sci::SCI_SETSEARCHFLAGS, flags);
        long pos = componentSearch(pattern, start, end);
        if (pos == -1 || pos > end)
            return -1;
        int count = 0;
        while (pos != -1) {
            const long length =
                m_editor.send(Sci::SCI_GETTARGETEND) - m_editor.send(Sci::SCI_GETTARGETSTART);
            const int after =
                int(m_editor.send(Sci::SCI_GETCHARAT, m_editor.send(Sci::SCI_GETTARGETEND)));
            const long step = length == 0 && (after == '\r' || after == '\n') ? 1 : 0;
            m_editor.sendText(Sci::SCI_REPLACETARGET,
                              static_cast<unsigned long>(replacement.size()),
                              replacement.constData());
            end += replacement.size() - length;
            caret = pos + replacement.size() + step;
            if (length == 0)
                caret = m_editor.send(Sci::SCI_POSITIONAFTER, caret);
            ++count;
            if (caret >= end)
                break;
            pos = componentSearch(pattern, caret, end);
        }
        return count;
    }

    CMFCScintilla m_editor;
};

// Pieces that meet the component's rules at their edges: line ends of all three kinds,
// UTF-8 letters, punctuation, blanks, noncharacters and broken sequences.
// clang-format off
const char *const TextPieces[] = {
    "a", "b", "A", "B", "x", " ", "\n", "\r\n", "\r", ".", "-", "_", "(", ")", "ab", "\t", "[",
    "]", "\\", "$", "^", "1", "\xC3\xA9", "\xE2\x80\x94", "\xE2\x80\xBF", "\xCE\xB1",
    "\xE4\xB8\xAD", "\xC2\xA0", "\xE2\x80\xA8", "\xCC\x81", "\xF0\x9F\x98\x80", "\xC3", "\xA9",
    "\xEF\xBF\xBE"};
// clang-format on
const char *const PatternPieces[] = {
    "a",    "b",     "A",     "x",    ".",     "*",   "+",       "?",       "*?",  "+?",
    "^",    "$",     "[ab]",  "[^a]", "[a-b]", "\\<", "\\>",     "\\(",     "\\)", "(",
    ")",    "\\1",   "\\w",   "\\s",  "\\d",   "\\W", "\\.",     "-",       "_",   " ",
    "[]a]", "[^]-]", "\\xe9", "\\",   "ab",    "\\t", "[a-c-e]", "\xC3\xA9"};

std::string printable(const QByteArray &bytes)
{
    return '"' + bytes.toPercentEncoding(" ").toStdString() + '"';
}

template <std::size_t N>
QByteArray randomJoin(std::mt19937 &rng, const char *const (&pieces)[N], int count,
                      std::size_t limit = N)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += pieces[rng() % std::min(limit, N)];
    return out;
}

// A pattern that opens with "\>" depends on the pattern the component compiled before it;
// nothing the program sends starts that way on purpose.
QByteArray randomPattern(std::mt19937 &rng, bool regex, int maxPieces)
{
    QByteArray pattern = regex ? randomJoin(rng, PatternPieces, 1 + int(rng() % maxPieces))
                               : randomJoin(rng, TextPieces, 1 + int(rng() % 3), 16);
    if (pattern.startsWith("\\>"))
        pattern.prepend('a');
    return pattern;
}

} // namespace

TEST_F(ComponentDifference, TargetSearchesFindWhatTheComponentFinds)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 6000; ++round) {
        const bool utf8 = rng() % 2;
        const QByteArray text = randomJoin(rng, TextPieces, int(rng() % 40));
        const bool regex = rng() % 3 != 0;
        const QByteArray pattern = randomPattern(rng, regex, 4);
        const int flags = (regex ? search::SearchFlag::RegExp : 0) |
                          (rng() % 2 ? search::SearchFlag::MatchCase : 0) |
                          (rng() % 3 == 0 ? search::SearchFlag::WholeWord : 0) |
                          (regex && rng() % 3 == 0 ? search::SearchFlag::Posix : 0);
        setText(text, utf8);
        const long length = long(text.size());
        long start = long(rng() % (length + 1));
        long end = long(rng() % (length + 1));
        if (rng() % 3 == 0) {
            start = 0;
            end = length;
        }
        const search::TextView v = view(utf8);
        const search::SearchPattern compiled(pattern, flags);
        search::Searcher searcher(v, compiled);
        search::Match ours;
        searcher.find(start, end, ours);
        const search::Match theirs = componentFind(pattern, flags, start, end);
        ASSERT_EQ(ours, theirs) << "text " << printable(text) << " pattern " << printable(pattern)
                                << " flags " << std::hex << flags << std::dec << " range " << start
                                << ".." << end << " utf8 " << utf8;
    }
}

TEST_F(ComponentDifference, ReplaceAllPlansDoWhatTheComponentsLoopDoes)
{
    std::mt19937 rng(77);
    const char *const replacements[] = {"",         "y", "\n",  "\r", "ab",   "\r\n",
                                        "\xC3\xA9", "-", "\\1", "a",  "\n\n", "x y"};
    for (int round = 0; round < 2500; ++round) {
        const bool utf8 = rng() % 2;
        const QByteArray text = randomJoin(rng, TextPieces, int(rng() % 30));
        const bool regex = rng() % 2;
        const QByteArray pattern = randomPattern(rng, regex, 3);
        const QByteArray replacement = replacements[rng() % std::size(replacements)];
        const int flags = (regex ? search::SearchFlag::RegExp : 0) |
                          (rng() % 2 ? search::SearchFlag::MatchCase : 0) |
                          (rng() % 3 == 0 ? search::SearchFlag::WholeWord : 0);
        setText(text, utf8);
        const long length = long(text.size());
        long start = 0;
        long end = length;
        if (rng() % 3 == 0) {
            start = long(rng() % (length + 1));
            end = start + long(rng() % (length - start + 1));
        }
        // The plan as Replace All drives it: a few hits at a time, each batch applied before
        // the next is planned.
        const search::SearchPattern compiled(pattern, flags);
        QByteArray planned = text;
        search::TextView current{planned.constData(), planned.size(), utf8};
        search::ReplacePlanner planner(current, compiled, start, end, replacement);
        std::vector<search::Match> hits;
        while (planner.next(hits, 1 + rng() % 4)) {
            qsizetype delta = 0;
            for (const search::Match &hit : hits) {
                planned.replace(hit.start + delta, hit.length(), replacement);
                delta += replacement.size() - hit.length();
            }
            current = {planned.constData(), planned.size(), utf8};
            planner.applied(current, delta);
        }
        long caret = -1;
        const int count = componentReplaceAll(pattern, replacement, flags, start, end, caret);
        const QByteArray result(
            reinterpret_cast<const char *>(m_editor.send(Sci::SCI_GETCHARACTERPOINTER)),
            m_editor.send(Sci::SCI_GETLENGTH));
        const int planCount =
            planner.status() == search::SearchStatus::Found ? int(planner.hitCount()) : -1;
        SCOPED_TRACE("text " + printable(text) + " pattern " + printable(pattern) +
                     " replacement " + printable(replacement));
        ASSERT_EQ(planCount, count);
        if (count < 0)
            continue;
        ASSERT_EQ(planned, result);
        ASSERT_EQ(planner.caret(), caret);
    }
}
