// The function-list search against the editing component's own target search: every pattern of
// the rule table and a generated set, on real source files and on texts written here, must give
// identical match positions.
#include "functionlist/engine/functionparser.h"
#include "functionlist/engine/rules.h"
#include "functionlist/engine/rulesearch.h"

#include <QDir>
#include <QFile>
#include <Qsci/qsciscintillabase.h>
#include <gtest/gtest.h>
#include <random>
#include <set>

using namespace pw::functionlist;
using Sci = QsciScintillaBase;

namespace {

struct Text
{
    std::string name;
    QByteArray bytes;
};

// Files of this machine, cut to a size that keeps the component's searches quick; missing ones
// are skipped.
QByteArray head(const QString &path, qsizetype limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(limit);
    const qsizetype cut = bytes.lastIndexOf('\n');
    if (bytes.size() == limit && cut > 0)
        bytes.truncate(cut + 1);
    return bytes;
}

QString firstExisting(const QStringList &paths)
{
    for (const QString &path : paths)
        if (QFile::exists(path))
            return path;
    return {};
}

QString pythonFile(const QString &name)
{
    const QStringList dirs =
        QDir(QStringLiteral("/usr/lib")).entryList({QStringLiteral("python3*")}, QDir::Dirs);
    for (const QString &dir : dirs) {
        const QString path = QStringLiteral("/usr/lib/") + dir + QLatin1Char('/') + name;
        if (QFile::exists(path))
            return path;
    }
    return {};
}

std::vector<Text> texts()
{
    std::vector<Text> out;
    auto addFile = [&](const QString &path, qsizetype limit) {
        if (path.isEmpty())
            return;
        const QByteArray bytes = head(path, limit);
        if (!bytes.isEmpty())
            out.push_back({path.toStdString(), bytes});
    };
    addFile(QStringLiteral("/usr/include/stdio.h"), 12000);
    addFile(firstExisting({QStringLiteral("/usr/include/X11/Xtrans/Xtranssock.c"),
                           QStringLiteral("/usr/include/zlib.h")}),
            12000);
    addFile(pythonFile(QStringLiteral("argparse.py")), 12000);
    addFile(firstExisting({QStringLiteral("/usr/share/tcltk/tcl8.6/init.tcl"),
                           QStringLiteral("/usr/share/tcltk/tk8.6/tk.tcl")}),
            8000);

    // Written here: every line-end style, blank lines, tabs, bytes from 0x80, words of several
    // languages in mixed case, comments and strings.
    out.push_back({"mixed line ends",
                   QByteArray("int f(int a)\r\n{\r\n\treturn a; // x\r\n}\r\n\r\n"
                              "PROCEDURE Foo(x: Integer);\rBEGIN\r  if x then end;\rEND;\r\r"
                              "local function g(a, b)\n  do return end\nend\n\n"
                              "  def  h ( self ) :\n"
                              "[Section One]\n; comment\nkey=value\n"
                              "proc tcl_p {a b} {\n  puts \"x\"\n}\n"
                              "\xc3\xa9t\xc3\xa9 caf\xe9 na\xefve _x9 ~Dtor()\n"
                              "Function .onInit\nFunctionEnd\nSection \"Main part\"\n")});
    out.push_back({"no final line end", QByteArray("sub first { 1 }\nsub second\n{ 2 }\nend")});
    out.push_back({"empty lines only", QByteArray("\n\n\r\n\r\r\n")});
    out.push_back({"vhdl", QByteArray("entity E is\n  port (a : in bit);\nend E;\n"
                                      "architecture rtl of E is\nbegin\n"
                                      "  u1 : comp port map (a => b);\n"
                                      "  p1 : process (clk)\n  begin\n    if x then\n"
                                      "    end if;\n  end process;\nend rtl;\n"
                                      "function F(x : integer) return integer is\nBEGIN\n"
                                      "  return x;\nEND F;\n")});
    out.push_back(
        {"sql and fortran", QByteArray("CREATE FUNCTION dbo.f(@a int) RETURNS int AS\nBEGIN\n"
                                       "  RETURN @a\nEND\nGO\ncreate procedure p1 as select 1; go\n"
                                       "      SUBROUTINE SOLVE(A, B)\n      END SUBROUTINE\n"
                                       "C comment line\n      PROGRAM MAIN\n      END\n"
                                       "Sub Hello(x)\n  ' hi\nEnd Sub\n:label_1\n:: note\n"
                                       "start:\n  mov ax, 1 ; c\n(defun square (x) (* x x))\n")});
    return out;
}

// Every pattern the rule table searches with, in both case modes where the set has one.
std::vector<SearchPattern> tablePatterns()
{
    std::set<SearchPattern> all;
    for (int id : supportedLexerIds())
        for (const SearchPattern &p : searchPatternsOf(ruleSetFor(id)))
            all.insert(p);
    return {all.begin(), all.end()};
}

// Patterns made of the pieces the component's syntax knows, combined at random with a fixed
// seed so that a failure repeats.
std::vector<SearchPattern> generatedPatterns(int count)
{
    // The atoms, separated by "|".
    const std::vector<std::string> atoms = [] {
        const std::string all =
            "a|e|E|n|T|_|1| |;|:|,|=|-|\"|'|#|/|{|}|\\(|\\)|\\{|\\.|\\*|\\+|\\[|\\]|\\t|\\d|"
            "\\w|\\s|\\S|\\W|\\D|\\x41|\\xe9|\\n|\\A|.|[a-z]|[^ \\t]|[0-9A-Za-z_]|[-.a]|[]a]|"
            "[a-c-e]|[\\]\"]|[^a-z]|[A-Z]|[ \\t]|[\\d-x]|[z-a]|[\\x80-\\xff]|[^\\x00-\\x7f]|"
            "[()]|\\<|\\>|^|$|end|if|def|int|function|BEGIN|proc";
        std::vector<std::string> out;
        for (std::size_t at = 0, bar; at <= all.size(); at = bar + 1) {
            bar = std::min(all.find('|', at), all.size());
            out.push_back(all.substr(at, bar - at));
        }
        return out;
    }();
    const std::vector<std::string> repeats = {"", "", "", "*", "+", "?", "*?", "+?"};
    std::mt19937 random(20240607);
    auto pick = [&](std::size_t n) { return std::size_t(random() % n); };
    std::vector<SearchPattern> out;
    while (int(out.size()) < count) {
        std::string p;
        if (pick(6) == 0)
            p += "^";
        const std::size_t pieces = 1 + pick(5);
        int groups = 0;
        bool open = false;
        for (std::size_t k = 0; k < pieces; ++k) {
            if (!open && groups < 3 && pick(8) == 0) {
                p += "(";
                open = true;
            }
            p += atoms[pick(atoms.size())];
            p += repeats[pick(repeats.size())];
            if (open && pick(3) == 0) {
                p += ")";
                open = false;
                ++groups;
                if (pick(3) == 0)
                    p += "\\" + std::to_string(1 + pick(std::size_t(groups)));
            }
        }
        if (open)
            p += ")";
        if (pick(6) == 0)
            p += "$";
        out.push_back({p, pick(2) == 0});
    }
    // Malformed ones: the component rejects them and finds nothing.
    for (const char *bad : {"*a", "a(", "a)", "[ab", "()", "\\<\\>", "^*", "a\\(*", "\\1", "(a\\1)",
                            "a**", "a?*", "a??", "a+*", "x\\", "\\\\$", "a\\$"})
        out.push_back({bad, true});
    return out;
}

class ComponentSearch
{
public:
    explicit ComponentSearch(const QByteArray &text, int codePage)
    {
        m_editor.SendScintilla(Sci::SCI_SETCODEPAGE, codePage);
        m_editor.SendScintilla(Sci::SCI_CLEARALL);
        m_editor.SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 0UL);
        m_editor.SendScintilla(Sci::SCI_ADDTEXT, static_cast<unsigned long>(text.size()),
                               text.constData());
    }
    Match find(const SearchPattern &p, qsizetype from, qsizetype to)
    {
        m_editor.SendScintilla(Sci::SCI_SETSEARCHFLAGS,
                               ScFindBase | (p.matchCase ? ScFindMatchCase : 0));
        m_editor.SendScintilla(Sci::SCI_SETTARGETSTART, static_cast<unsigned long>(from));
        m_editor.SendScintilla(Sci::SCI_SETTARGETEND, static_cast<unsigned long>(to));
        const long at = m_editor.SendScintilla(
            Sci::SCI_SEARCHINTARGET, static_cast<unsigned long>(p.text.size()), p.text.c_str());
        if (at < 0)
            return {};
        return {at, m_editor.SendScintilla(Sci::SCI_GETTARGETEND)};
    }

private:
    QsciScintillaBase m_editor;
};

std::string translationOf(const pw::search::SearchPattern &pattern)
{
    if (!pattern.isValid())
        return "(" + pattern.error().toStdString() + ")";
    return pattern.regex()->translation().pcre;
}

struct Mismatch
{
    std::string where;
    int count = 0;
    int matches = 0; // searches that found something, so that agreement means something
};

// Compares whole-text scans (each search starting where the last match ended, as the parser
// goes) and a set of random ranges.
void compare(const Text &text, const std::vector<SearchPattern> &patterns, int codePage,
             int randomRanges, Mismatch &mismatch, int &searches)
{
    ComponentSearch component(text.bytes, codePage);
    const TextModel model(text.bytes, codePage == 65001);
    pw::search::SearchBudget budget(std::chrono::milliseconds(0));
    RuleSearch ours(model, budget);
    PatternCache cache;
    const qsizetype length = text.bytes.size();
    std::mt19937 random(7);
    for (const SearchPattern &p : patterns) {
        const pw::search::SearchPattern &re = cache.get(p.text, p.matchCase);
        auto check = [&](qsizetype from, qsizetype to) -> Match {
            ++searches;
            const Match expected = component.find(p, from, to);
            if (expected.found())
                ++mismatch.matches;
            Match actual;
            const pw::search::SearchStatus status = ours.find(re, from, to, actual);
            const bool same = status != pw::search::SearchStatus::Stopped &&
                              expected.start == actual.start &&
                              (!expected.found() || expected.end == actual.end);
            if (!same && mismatch.count++ < 12) {
                mismatch.where +=
                    "\n  \"" + p.text + "\" case=" + std::to_string(p.matchCase) + " in " +
                    text.name + " cp=" + std::to_string(codePage) + " [" + std::to_string(from) +
                    "," + std::to_string(to) + "]: component " + std::to_string(expected.start) +
                    "-" + std::to_string(expected.end) + ", ours " + std::to_string(actual.start) +
                    "-" + std::to_string(actual.end) + " via " + translationOf(re);
            }
            return expected;
        };
        qsizetype from = 0;
        for (int guard = 0; guard < 4000 && from <= length; ++guard) {
            const Match m = check(from, length);
            if (!m.found())
                break;
            from = std::max(m.end, m.start + 1);
        }
        for (int k = 0; k < randomRanges; ++k) {
            qsizetype a = qsizetype(random() % std::uint32_t(length + 1));
            qsizetype b = qsizetype(random() % std::uint32_t(length + 1));
            if (a > b)
                std::swap(a, b);
            // Ranges as the parser makes them: to a line end, inside a line, to the end.
            if (k % 3 == 1)
                b = model.lineEndPosition(model.lineFromPosition(b));
            else if (k % 3 == 2)
                b = length;
            // A position between "\r" and "\n" is never a range end of the parser.
            auto outsidePair = [&](qsizetype pos) {
                return pos > 0 && pos < length && text.bytes.at(pos - 1) == '\r' &&
                               text.bytes.at(pos) == '\n'
                           ? pos + 1
                           : pos;
            };
            a = outsidePair(a);
            b = std::max(a, outsidePair(b));
            check(a, b);
        }
    }
}

} // namespace

TEST(MatcherAgainstComponent, RuleTablePatternsMatchIdentically)
{
    const auto patterns = tablePatterns();
    ASSERT_GT(patterns.size(), 100u);
    Mismatch mismatch;
    int searches = 0;
    for (const Text &text : texts())
        compare(text, patterns, 0, 20, mismatch, searches);
    EXPECT_EQ(mismatch.count, 0) << mismatch.where;
    EXPECT_GT(searches, 10000);
}

TEST(MatcherAgainstComponent, GeneratedPatternsMatchIdentically)
{
    const auto patterns = generatedPatterns(1200);
    int valid = 0;
    for (const SearchPattern &p : patterns)
        valid += PatternCache().get(p.text, p.matchCase).isValid() ? 1 : 0;
    EXPECT_GT(valid, 900);
    Mismatch mismatch;
    int searches = 0;
    for (const Text &text : texts())
        compare(text, patterns, 0, 6, mismatch, searches);
    EXPECT_EQ(mismatch.count, 0) << mismatch.where;
    EXPECT_GT(mismatch.matches, 20000);
}

// Documents other than Ansi ones live in the component as UTF-8, where range ends and match
// ends never split a character.
TEST(MatcherAgainstComponent, PatternsMatchIdenticallyInUtf8Mode)
{
    auto patterns = tablePatterns();
    const auto generated = generatedPatterns(150);
    patterns.insert(patterns.end(), generated.begin(), generated.end());
    Mismatch mismatch;
    int searches = 0;
    for (const Text &text : texts())
        compare(text, patterns, 65001, 6, mismatch, searches);
    EXPECT_EQ(mismatch.count, 0) << mismatch.where;
}
