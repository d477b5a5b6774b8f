// The text checkers reject what they must, so the resource checks built on them can fail.
#include "textchecks.h"

#include <gtest/gtest.h>

namespace pw::test {
namespace {

TEST(TextChecks, MarkupFindsMnemonicAndPlainText)
{
    struct Row
    {
        const char *text;
        bool valid;
        char mnemonic;
        const char *plain;
    };
    const Row rows[] = {
        {"&Save", true, 'S', "Save"},
        {"Print Pre&view", true, 'V', "Print Preview"},
        {"Select All", true, 0, "Select All"},
        {"HTML Clean && Repair", true, 0, "HTML Clean & Repair"},
        {"Look &&&Feel", true, 'F', "Look &Feel"},
        {"HTML Clean & Repair", false, 0, "HTML Clean  Repair"}, // "&" before a blank
        {"Trailing&", false, 0, "Trailing"},
        {"&Two &Mnemonics", false, 'T', "Two Mnemonics"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const Markup m = parseMarkup(row.text);
        EXPECT_EQ(m.valid, row.valid);
        EXPECT_EQ(m.mnemonic, row.mnemonic);
        EXPECT_EQ(m.plain, row.plain);
    }
}

TEST(TextChecks, ShortcutParserAcceptsPortableText)
{
    struct Row
    {
        const char *text;
        int modifiers;
        const char *key;
        bool canonical;
    };
    const Row rows[] = {
        {"F3", 0, "F3", true},
        {"Ctrl+F", Ctrl, "F", true},
        {"Ctrl+Shift+F", Ctrl | Shift, "F", true},
        {"Ctrl+Alt+S", Ctrl | Alt, "S", true},
        {"Shift+Ctrl+F", Ctrl | Shift, "F", false},
        {"Ctrl+Shift+Del", Ctrl | Shift, "Del", true},
        {"Ctrl+]", Ctrl, "]", true},
        {"Ctrl++", Ctrl, "+", true},
        {"Alt+Left", Alt, "Left", true},
        {"Shift+F35", Shift, "F35", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const auto s = parseShortcut(row.text);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->modifiers, row.modifiers);
        EXPECT_EQ(s->key, row.key);
        EXPECT_EQ(s->canonical, row.canonical);
    }
}

TEST(TextChecks, ShortcutParserRejectsMalformedText)
{
    const char *rows[] = {
        "",            // nothing
        "Ctrl",        // modifier without a key
        "Ctrl+",       // the same, with its separator
        "+F",          // empty modifier
        "Ctrl++F",     // empty modifier in the middle
        "Control+F",   // not a portable modifier name
        "Ctrl+Ctrl+F", // repeated modifier
        "Ctrl+f",      // letters are written in upper case
        "Ctrl+F0",     // no such function key
        "Ctrl+F36",    // beyond the function keys Qt knows
        "Ctrl+Delete", // the portable name is "Del"
        "Ctrl+K, Ctrl+C",
        "Ctrl + F",
    };
    for (const char *text : rows) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseShortcut(text).has_value());
    }
}

TEST(TextChecks, EditingKeysAreTheOnesTypingNeeds)
{
    for (const char *key : {"A", "]", "Space", "Tab", "Return", "Del", "Backspace", "Left", "Home"})
        EXPECT_TRUE(isEditingKey(key)) << key;
    for (const char *key : {"F1", "F12", "Pause", "Print"})
        EXPECT_FALSE(isEditingKey(key)) << key;
}

TEST(TextChecks, FormatSignatureListsConversions)
{
    struct Row
    {
        const char *format;
        std::optional<std::string> signature;
    };
    const Row rows[] = {
        {"Ln %2d Col %2d", "dd"},      {"%02d %s %d  %02d:%02d", "dsddd"},
        {"Save changes to %1?", "1"},  {"100%% done", ""},
        {"File Length: %X", "X"},      {"plain text", ""},
        {"rate 50%!", std::nullopt}, // "%!" is no conversion
        {"ends with %", std::nullopt}, {"%-2q", std::nullopt},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.format);
        EXPECT_EQ(formatSignature(row.format), row.signature);
    }
}

} // namespace
} // namespace pw::test
