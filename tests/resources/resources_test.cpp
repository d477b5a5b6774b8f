// The resource tables: a reviewed dump of commands, menus and strings, and the rules entries keep.
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/resources.h"

#include <QFile>
#include <QKeySequence>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace pw::test {
namespace {

using res::CommandInfo;
using res::MenuEntry;

// Menu text markup: "&x" makes x the mnemonic, "&&" shows one ampersand. Valid text has at most one
// mnemonic and no "&" at the end or before a blank.
struct Markup
{
    bool valid = true;
    char mnemonic = 0; // upper case, 0 when none
    std::string plain;
};

Markup parseMarkup(std::string_view text)
{
    Markup m;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            m.plain += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            m.plain += text[++i];
        } else if (i + 1 == text.size() || text[i + 1] == ' ' || m.mnemonic != 0) {
            m.valid = false;
        } else {
            m.mnemonic = char(std::toupper(static_cast<unsigned char>(text[i + 1])));
        }
    }
    return m;
}

// Callers hand these texts to printf-style formatting: every "%" must start a conversion ("%%",
// "%-2d", "%02d", "%s", "%X", ...) or be the framework's numbered "%1" to "%9".
bool placeholdersAreValid(std::string_view text)
{
    for (std::size_t i = text.find('%'); i != std::string_view::npos; i = text.find('%', i + 1)) {
        if (++i == text.size())
            return false;
        if (text[i] == '%' || (text[i] >= '1' && text[i] <= '9'))
            continue;
        i = text.find_first_not_of("-+ 0#", i);
        i = text.find_first_not_of("0123456789.", i);
        if (i == std::string_view::npos ||
            std::string_view("diouxXsc").find(text[i]) == std::string_view::npos)
            return false;
    }
    return true;
}

QKeySequence keysOf(const CommandInfo &c)
{
    return QKeySequence(QString::fromLatin1(c.shortcut), QKeySequence::PortableText);
}

// Control characters and backslashes written as C escapes, so each entry stays on one line.
std::string escaped(const char *text)
{
    std::string out;
    for (const char *p = text ? text : ""; *p; ++p) {
        const auto at = std::string_view("\n\r\t\\").find(*p);
        out += at == std::string_view::npos ? std::string(1, *p) : std::string("\\") + "nrt\\"[at];
    }
    return out;
}

// One line per command, per menu entry (indented by depth) and per string, in table order.
std::string dumpTables()
{
    std::ostringstream out;
    out << "# Commands: id, accelerator, menu text, tip\n"
           "# Menus: pop-ups \">\", separators \"-\", commands by id and shown text, indented by\n"
           "# depth; \"[menu]\" where the menu overrides the table's text, \"as in menu\" where a\n"
           "# pop-up repeats one listed before\n";
    for (const CommandInfo &c : res::commands())
        out << c.id << '\t' << c.shortcut << '\t' << escaped(c.text) << '\t' << escaped(c.tip)
            << '\n';
    std::map<std::string, int> firstMenuWith; // a top-level pop-up's lines -> first menu id
    for (const res::MenuResource &menu : res::menus()) {
        out << "\n# Menu " << menu.id << '\n';
        std::vector<std::string> popups;
        for (const MenuEntry &e : menu.entries) {
            std::ostringstream line;
            line << std::string(std::size_t(2 * e.depth), ' ');
            if (e.kind == MenuEntry::Popup) {
                line << "> " << escaped(e.text);
            } else if (e.kind == MenuEntry::Separator) {
                line << '-';
            } else {
                const CommandInfo *c = res::findCommand(e.id);
                line << e.id << ' '
                     << escaped(e.text ? e.text
                                : c    ? c->text
                                       : "?")
                     << (e.text ? " [menu]" : "");
            }
            if (e.depth == 0 || popups.empty())
                popups.emplace_back();
            popups.back() += line.str() + '\n';
        }
        for (const std::string &popup : popups) {
            const auto [first, fresh] = firstMenuWith.emplace(popup, menu.id);
            out << (fresh ? popup
                          : popup.substr(0, popup.find('\n')) + ": as in menu " +
                                std::to_string(first->second) + '\n');
        }
    }
    out << "\n# Strings: id, text\n";
    for (const res::StringInfo &s : res::strings())
        out << s.id << '\t' << escaped(s.text) << '\n';
    return out.str();
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// Every text, accelerator and entry order the program shows lives in resources.golden. A change
// writes resources.golden.new beside it: review the difference and copy it over when it is meant.
TEST(ResourceTables, MatchTheReviewedDump)
{
    const QString golden = QStringLiteral(PW_RESOURCES_GOLDEN);
    const QString fresh = golden + QStringLiteral(".new");
    QFile::remove(fresh);
    QFile file(golden);
    const std::string expected = file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "";
    const std::string actual = dumpTables();
    if (actual == expected)
        return;
    QFile out(fresh);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(actual.data(), qint64(actual.size()));
    const auto want = lines(expected);
    const auto got = lines(actual);
    std::size_t at = 0;
    while (at < want.size() && at < got.size() && want[at] == got[at])
        ++at;
    ADD_FAILURE() << "the resource tables differ from " << golden.toStdString() << " at line "
                  << at + 1 << "\n  golden: " << (at < want.size() ? want[at] : "(end)")
                  << "\n  now:    " << (at < got.size() ? got[at] : "(end)") << "\nReview "
                  << fresh.toStdString() << " and copy it over the golden file if it is right.";
}

TEST(ResourceTables, IdsAreUniqueAndEveryLookupFindsItsEntry)
{
    std::set<int> commands, menus, strings;
    for (const CommandInfo &c : res::commands()) {
        EXPECT_TRUE(c.id > 0 && commands.insert(c.id).second) << "command " << c.id;
        EXPECT_EQ(res::findCommand(c.id), &c) << c.id;
    }
    for (const res::MenuResource &m : res::menus()) {
        EXPECT_TRUE(menus.insert(m.id).second) << "menu " << m.id;
        EXPECT_EQ(res::findMenu(m.id), &m) << m.id;
    }
    for (const res::StringInfo &s : res::strings()) {
        EXPECT_TRUE(strings.insert(s.id).second) << "string " << s.id;
        EXPECT_STREQ(res::string(s.id), s.text) << s.id;
    }
    for (int unknown : {0, -1, 12345, 99999}) {
        EXPECT_EQ(res::findCommand(unknown), nullptr);
        EXPECT_EQ(res::findMenu(unknown), nullptr);
        EXPECT_STREQ(res::string(unknown), "") << "a missing text must not crash a message box";
    }
}

TEST(ResourceTables, TextsHaveValidMarkupAndPlaceholders)
{
    for (const CommandInfo &c : res::commands()) {
        EXPECT_TRUE(parseMarkup(c.text).valid && !parseMarkup(c.text).plain.empty()) << c.id;
        EXPECT_NE(*c.tip, '\0') << c.id << " has no status-bar tip";
    }
    for (const res::MenuResource &menu : res::menus()) {
        for (const MenuEntry &e : menu.entries) {
            if (e.text) {
                EXPECT_TRUE(parseMarkup(e.text).valid) << "menu " << menu.id << ": " << e.text;
            }
        }
    }
    for (const res::StringInfo &s : res::strings()) {
        EXPECT_NE(*s.text, '\0') << s.id;
        EXPECT_TRUE(placeholdersAreValid(s.text)) << s.id << ": " << s.text;
    }
}

// The checkers above must be able to fail, or the rules built on them prove nothing.
TEST(ResourceTables, TextCheckersRejectBadText)
{
    EXPECT_EQ(parseMarkup("Print Pre&view").mnemonic, 'V');
    EXPECT_EQ(parseMarkup("HTML Clean && Repair").plain, "HTML Clean & Repair");
    for (const char *bad : {"HTML Clean & Repair", "Trailing&", "&Two &Mnemonics"})
        EXPECT_FALSE(parseMarkup(bad).valid) << bad;
    for (const char *good : {"Ln %2d Col %2d", "%02d %s %d", "Save changes to %1?", "100%% done"})
        EXPECT_TRUE(placeholdersAreValid(good)) << good;
    for (const char *bad : {"rate 50%!", "ends with %", "%-2q"})
        EXPECT_FALSE(placeholdersAreValid(bad)) << bad;
}

// The program reads accelerators with QKeySequence's portable text; one that Qt reads differently
// or not at all would silently bind another key, or none.
TEST(Accelerators, AreOneChordInQtsOwnSpelling)
{
    for (const CommandInfo &c : res::commands()) {
        if (*c.shortcut == '\0')
            continue;
        const QKeySequence keys = keysOf(c);
        EXPECT_EQ(keys.count(), 1) << c.id << ": " << c.shortcut;
        EXPECT_EQ(keys.toString(QKeySequence::PortableText).toStdString(), c.shortcut) << c.id;
    }
}

TEST(Accelerators, NoKeyIsBoundTwiceOrTakenFromTypingOrTheMenuBar)
{
    std::set<char> menuMnemonics;
    for (const res::MenuResource &menu : res::menus()) {
        for (const MenuEntry &e : menu.entries) {
            if (e.depth == 0 && e.kind == MenuEntry::Popup)
                menuMnemonics.insert(parseMarkup(e.text).mnemonic);
        }
    }
    std::map<int, int> owner; // key combination -> command
    for (const CommandInfo &c : res::commands()) {
        if (*c.shortcut == '\0')
            continue;
        const QKeyCombination chord = keysOf(c)[0];
        const auto [it, fresh] = owner.emplace(chord.toCombined(), c.id);
        EXPECT_TRUE(fresh) << c.shortcut << " is bound to both " << it->second << " and " << c.id;
        const Qt::KeyboardModifiers mods = chord.keyboardModifiers();
        const Qt::Key key = chord.key();
        // Without Ctrl, Alt or Meta only function keys: every other key types or moves the caret.
        if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            EXPECT_TRUE(key >= Qt::Key_F1 && key <= Qt::Key_F35) << c.id << " takes " << c.shortcut;
        }
        // Alt with a letter opens the menu bar's menu of that mnemonic.
        if (mods == Qt::AltModifier && key >= Qt::Key_A && key <= Qt::Key_Z) {
            EXPECT_EQ(menuMnemonics.count(char(key)), 0u) << c.shortcut << " hides a menu";
        }
    }
}

TEST(Menus, TreesAreWellFormed)
{
    for (const res::MenuResource &menu : res::menus()) {
        const auto entries = menu.entries;
        ASSERT_FALSE(entries.empty()) << menu.id;
        EXPECT_EQ(entries.front().depth, 0) << menu.id;
        std::vector<std::set<int>> idsByDepth(8); // command ids of the pop-up open at each depth
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const MenuEntry &e = entries[i];
            const MenuEntry *next = i + 1 < entries.size() ? &entries[i + 1] : nullptr;
            const int nextDepth = next ? next->depth : -1;
            const std::string where = std::to_string(menu.id) + " entry " + std::to_string(i);
            ASSERT_TRUE(e.depth >= 0 && e.depth < 7) << where;
            // A child is exactly one level deeper than the pop-up that opens it.
            EXPECT_LE(nextDepth, e.depth + (e.kind == MenuEntry::Popup ? 1 : 0)) << where;
            switch (e.kind) {
            case MenuEntry::Popup:
                EXPECT_TRUE(e.id == 0 && e.text) << where;
                EXPECT_EQ(nextDepth, e.depth + 1) << where << ": empty pop-up";
                idsByDepth[std::size_t(e.depth + 1)].clear();
                break;
            case MenuEntry::Separator:
                EXPECT_TRUE(e.id == 0 && !e.text) << where;
                EXPECT_TRUE(i > 0 && entries[i - 1].kind != MenuEntry::Popup) << where << ": opens";
                EXPECT_EQ(nextDepth, e.depth) << where << ": a separator closes a pop-up";
                EXPECT_NE(next ? next->kind : MenuEntry::Command, MenuEntry::Separator) << where;
                break;
            case MenuEntry::Command:
                EXPECT_GT(e.depth, 0) << where << ": a command outside any pop-up";
                EXPECT_NE(res::findCommand(e.id), nullptr) << where << ": unknown " << e.id;
                EXPECT_TRUE(idsByDepth[std::size_t(e.depth)].insert(e.id).second)
                    << where << ": " << e.id << " twice in one pop-up";
                if (e.text && res::findCommand(e.id)) {
                    EXPECT_NE(parseMarkup(e.text).plain,
                              parseMarkup(res::findCommand(e.id)->text).plain)
                        << where << " repeats the table's text";
                }
                break;
            }
        }
    }
}

TEST(Menus, MenuBarPopupsHaveDistinctMnemonics)
{
    for (int id : {MenuId::MainFrame, MenuId::TextDocument, MenuId::HexDocument,
                   MenuId::CompareDocument, MenuId::WebPreviewDocument}) {
        ASSERT_NE(res::findMenu(id), nullptr) << id;
        std::set<char> mnemonics;
        for (const MenuEntry &e : res::findMenu(id)->entries) {
            if (e.depth == 0) {
                const char m = parseMarkup(e.text).mnemonic;
                EXPECT_TRUE(m != 0 && mnemonics.insert(m).second) << id << ": " << e.text;
            }
        }
    }
}

// A command no menu offers is reachable only by the keys, toolbars or run-time entries listed here.
TEST(Menus, EveryCommandIsInAMenuUnlessListedAsMenuless)
{
    const std::set<int> menuless = {
        Cmd::HelpIndex,      Cmd::HelpSearch,         Cmd::OpenUpdatePage, Cmd::FilePrintSetup,
        Cmd::FileMru2,       Cmd::FileMru3,           Cmd::FileMru4,       Cmd::EditClear,
        Cmd::ToolbarFindBox, Cmd::FindDialogFindNext, Cmd::RunTool,        Cmd::HexFindNext,
    };
    std::set<int> inMenus;
    for (const res::MenuResource &menu : res::menus()) {
        for (const MenuEntry &e : menu.entries)
            inMenus.insert(e.kind == MenuEntry::Command ? e.id : 0);
    }
    for (const CommandInfo &c : res::commands())
        EXPECT_NE(inMenus.count(c.id), menuless.count(c.id)) << c.id << " " << c.text;
}

// Language entries are numbered from the placeholder on, so no other command may sit in that range.
TEST(CommandTable, LanguageEntryRangeHoldsOnlyThePlaceholder)
{
    for (const CommandInfo &c : res::commands())
        EXPECT_FALSE(c.id > Cmd::ColorDocumentAs && c.id <= Cmd::ColorDocumentAsLast) << c.id;
}

} // namespace
} // namespace pw::test
