// SpellRun against a stand-in checker: pieces, selections, changed words and stopping.
#include "spell/engine/spellrun.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace pw::spell;

namespace {

// Reports every run of ASCII letters that is in its list of bad words, and keeps the pieces.
class ListChecker final : public TokenSource
{
public:
    explicit ListChecker(std::set<std::string> bad) : m_bad(std::move(bad)) {}
    void process(const char *text) override
    {
        m_piece = text;
        m_at = 0;
        pieces.push_back(m_piece);
    }
    SpellToken next() override
    {
        const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
        while (m_at < m_piece.size()) {
            while (m_at < m_piece.size() && !letter(m_piece[m_at]))
                ++m_at;
            const std::size_t start = m_at;
            while (m_at < m_piece.size() && letter(m_piece[m_at]))
                ++m_at;
            if (m_at > start && m_bad.count(m_piece.substr(start, m_at - start)))
                return {qint64(start), qint64(m_at - start)};
        }
        return {};
    }
    std::vector<std::string> pieces;

private:
    std::set<std::string> m_bad;
    std::string m_piece;
    std::size_t m_at = 0;
};

// A text that can be edited while a run reads it, as the editor's is.
class EditableText final : public SpellText
{
public:
    explicit EditableText(std::string text) : m_text(std::move(text)) { index(); }
    qint64 length() const override { return m_index.length(); }
    int lineCount() const override { return m_index.lineCount(); }
    qint64 lineStart(int line) const override { return m_index.lineStart(line); }
    qint64 lineEnd(int line) const override { return m_index.lineEnd(line); }
    int lineOf(qint64 position) const override { return m_index.lineOf(position); }
    void copy(qint64 from, qint64 to, char *out) const override { m_index.copy(from, to, out); }
    void replace(qint64 at, qint64 length, const std::string &with)
    {
        m_text.replace(std::size_t(at), std::size_t(length), with);
        index();
    }
    const std::string &text() const { return m_text; }

private:
    void index() { m_index = ByteText(QByteArray::fromStdString(m_text)); }
    std::string m_text;
    ByteText m_index{QByteArray()};
};

struct Found
{
    qint64 position;
    std::string word;
    bool operator==(const Found &) const = default;
};

std::vector<Found> stepThrough(const SpellText &text, TokenSource &checker, qint64 from = 0,
                               qint64 to = 0)
{
    SpellRun run(text, checker);
    run.setSelection(from, to);
    std::vector<Found> found;
    std::string bytes(std::size_t(text.length()), '\0');
    text.copy(0, text.length(), bytes.data());
    for (auto hit = run.next(false); hit; hit = run.next(true))
        found.push_back(
            {hit->position, bytes.substr(std::size_t(hit->position), std::size_t(hit->length))});
    return found;
}

TEST(SpellRun, FindsEveryBadWordAtItsPlaceWhateverTheLineBreaks)
{
    struct Case
    {
        const char *name;
        std::string text;
        std::vector<Found> expected;
    };
    const std::vector<Case> cases = {
        {"start and end of one line", "teh cat sat on teh", {{0, "teh"}, {15, "teh"}}},
        {"end of line 0 and start of line 1, one piece",
         "good teh\nwrld good",
         {{5, "teh"}, {9, "wrld"}}},
        {"around the edge of the first piece", "a\nb teh\nwrld c\n", {{4, "teh"}, {8, "wrld"}}},
        {"CR LF and CR breaks", "x\r\ny\r\nteh\rwrld\r\n", {{6, "teh"}, {10, "wrld"}}},
        {"last line without break", "one\ntwo\nthree wrld", {{14, "wrld"}}},
        {"text that is all one bad word", "wrld", {{0, "wrld"}}},
        {"nothing bad", "a\nb\nc", {}},
    };
    for (const Case &c : cases) {
        ListChecker checker({"teh", "wrld"});
        const ByteText text(QByteArray::fromStdString(c.text));
        EXPECT_EQ(stepThrough(text, checker), c.expected) << c.name;
    }
}

TEST(SpellRun, WholeTextPiecesAreLinesZeroAndOneThenOneLineEach)
{
    ListChecker checker({});
    const ByteText text("l0\nl1\r\nl2\nl3");
    EXPECT_TRUE(stepThrough(text, checker).empty());
    EXPECT_EQ(checker.pieces, (std::vector<std::string>{"l0\nl1", "l2", "l3", ""}));
}

TEST(SpellRun, SelectionChecksOnlyItsPartOfItsFirstAndLastLine)
{
    const std::string s = "teh in\nmid teh\nwrld out teh";
    struct Case
    {
        const char *name;
        qint64 from, to;
        std::vector<Found> expected;
    };
    const std::vector<Case> cases = {
        {"inside one line", 0, 3, {{0, "teh"}}},
        {"one line, word outside", 4, 6, {}},
        {"across lines, outer words left out", 4, 21, {{11, "teh"}, {15, "wrld"}}},
        {"backwards selection", 21, 4, {{11, "teh"}, {15, "wrld"}}},
        {"to the very end", 7, qint64(s.size()), {{11, "teh"}, {15, "wrld"}, {24, "teh"}}},
    };
    for (const Case &c : cases) {
        ListChecker checker({"teh", "wrld"});
        const ByteText text(QByteArray::fromStdString(s));
        EXPECT_EQ(stepThrough(text, checker, c.from, c.to), c.expected) << c.name;
    }
}

TEST(SpellRun, ChangedWordsMoveTheLaterHitsOfThePieceAndTheRangeEnd)
{
    struct Case
    {
        const char *name;
        std::string text;
        qint64 from, to;
        std::string corrected;
    };
    const std::vector<Case> cases = {
        {"longer, same line", "teh wrld teh\nteh", 0, 0, "the world the\nthe"},
        {"longer, selection ending at a word", "x teh\nwrld teh\nteh wrld y", 2, 23,
         "x the\nworld the\nthe world y"},
        {"shorter, word after the selection", "x teh\nthhhhhe thhhhhe\nteh wrld teh", 2, 30,
         "x the\nthe the\nthe world teh"},
        {"one line selection", "ab teh wrld teh cd", 3, 15, "ab the world the cd"},
    };
    const std::map<std::string, std::string> fixes = {
        {"teh", "the"}, {"wrld", "world"}, {"thhhhhe", "the"}};
    for (const Case &c : cases) {
        ListChecker checker({"teh", "wrld", "thhhhhe"});
        EditableText text(c.text);
        SpellRun run(text, checker);
        run.setSelection(c.from, c.to);
        for (auto hit = run.next(false); hit; hit = run.next(true)) {
            const std::string word =
                text.text().substr(std::size_t(hit->position), std::size_t(hit->length));
            ASSERT_TRUE(fixes.count(word)) << c.name << ": stopped at \"" << word << '"';
            text.replace(hit->position, hit->length, fixes.at(word));
            run.changed(qint64(fixes.at(word).size()) - hit->length);
        }
        EXPECT_EQ(text.text(), c.corrected) << c.name;
    }
}

TEST(SpellRun, StopsBetweenPiecesWhenCancelledAndReportsProgressInRange)
{
    std::string s;
    for (int i = 0; i < 200; ++i)
        s += "fine words here\n";
    ListChecker checker({"teh"});
    const ByteText text(QByteArray::fromStdString(s + "teh"));
    SpellRun run(text, checker);
    std::atomic<bool> cancel{false};
    std::vector<qint64> seen;
    RunControl control;
    control.cancel = &cancel;
    control.progress = [&](qint64 position) {
        seen.push_back(position);
        if (seen.size() == 50)
            cancel = true;
    };
    EXPECT_FALSE(run.next(false, control));
    EXPECT_TRUE(run.stopped());
    ASSERT_EQ(seen.size(), 50u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_LE(seen.back(), text.length());
    EXPECT_LT(checker.pieces.size(), 60u);
}

} // namespace
