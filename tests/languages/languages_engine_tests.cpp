// Language records and list: colour texts, file reading rules, loading, lookups and selection.
#include "languages/engine/languagefile.h"
#include "languages/engine/languagelist.h"
#include "tests/languages/languagetestutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pw;
using namespace Qt::StringLiterals;
using namespace pw::test;

namespace {

// The window colour is process-wide; tests that change it put it back.
struct WindowColourScope
{
    explicit WindowColourScope(quint32 colour) : m_old(windowColour()) { setWindowColour(colour); }
    ~WindowColourScope() { setWindowColour(m_old); }
    quint32 m_old;
};

LanguageRecord parse(const QByteArray &xml)
{
    std::optional<LanguageRecord> record = parseLanguageFile(xml, u"/x.config"_s);
    EXPECT_TRUE(record.has_value()) << xml.constData();
    return record.value_or(LanguageRecord());
}

} // namespace

TEST(ColourText, ReadsAsTheRulesSay)
{
    const WindowColourScope scope(0x123456);
    const struct
    {
        const char *text;
        quint32 colour;
    } rows[] = {
        {"#FF0000", 0x0000FF},   // red is the low byte
        {"#316AC5", 0xC56A31},   //
        {"#abcdef", 0xEFCDAB},   // lower case digits
        {"#FFF", 0x000FFF},      // lone F is 15, missing blue is 0
        {"#GG0000", 0x000000},   // a group starting with a non-digit is 0
        {"#1G2H3I", 0x030201},   // reading stops at the first non-digit
        {"x00FF00", 0x00FF00},   // the first character is skipped whatever it is
        {"#0x1234", 0x341200},   // a "0x" group reads as 0
        {"#12", 0x000012},       //
        {"#", 0x000000},         //
        {"#FFFFFFFF", 0xFFFFFF}, // characters beyond the three groups are ignored
        {"", 0x123456},          // empty is the window colour
    };
    for (const auto &row : rows)
        EXPECT_EQ(textToColour(QString::fromLatin1(row.text)), row.colour) << row.text;
}

TEST(ColourText, WritesUpperCaseAndRoundTrips)
{
    EXPECT_EQ(colourToText(0xC56A31), u"#316AC5"_s);
    EXPECT_EQ(colourToText(0x0A0B0C), u"#0C0B0A"_s);
    EXPECT_EQ(colourToText(0xFF123456), u"#563412"_s) << "the high byte is not colour";
    for (quint32 c : {0x000001u, 0x010000u, 0xFFFFFFu, 0x808080u, 0x00FF7Fu})
        EXPECT_EQ(textToColour(colourToText(c)), c);
}

TEST(LanguageRecord, MatchesExtensionByWholeTokenIgnoringCase)
{
    const struct
    {
        const char *extensions;
        const char *extension;
        bool matches;
    } rows[] = {
        {".CPP;.h", ".cpp", true}, {".c;.h", ".H", true}, {".cpp ;.h", ".cpp", false},
        {".cpp", "cpp", false},    {".*", ".c", false},   {".*;.txt", ".*", true},
        {".c;;.h", "", false},     {"", "", false},       {".c;.cc", ".c", true},
        {".cc", ".c", false},      {".c", ".cc", false},  {".tar.gz;.gz", ".gz", true},
        {".h;", ".h", true},
    };
    for (const auto &row : rows) {
        LanguageRecord record;
        record.extensions = QString::fromLatin1(row.extensions);
        EXPECT_EQ(record.matchesExtension(QString::fromLatin1(row.extension)), row.matches)
            << row.extensions << " vs " << row.extension;
    }
}

TEST(LanguageRecord, EditsMarkModifiedAndIgnoreUnusedStyles)
{
    LanguageRecord record;
    record.addStyle(u"A"_s, 1, u"#000000"_s, u"#FFFFFF"_s, false);
    record.setForeground(1, 0x112233);
    record.setBackground(-1, 0x112233);
    EXPECT_FALSE(record.modified) << "index 1 is not a style in use";
    EXPECT_EQ(record.styles[1].foreground, 0u);

    record.setForeground(0, 0x112233);
    EXPECT_TRUE(record.modified);
    EXPECT_EQ(record.styles[0].foreground, 0x112233u);
    for (auto edit : {+[](LanguageRecord &r) { r.setBackground(0, 0x445566); },
                      +[](LanguageRecord &r) { r.setDefaultBackground(0x778899); },
                      +[](LanguageRecord &r) { r.setDefault(true); }}) {
        LanguageRecord copy = record;
        copy.modified = false;
        edit(copy);
        EXPECT_TRUE(copy.modified);
    }
}

TEST(LanguageFile, ReadsEveryElement)
{
    const LanguageRecord record = parse(R"(<?xml version="1.0"?>
<PROPERTIES>
  <MENU>SQL</MENU>
  <EXTENSION>.sql;.ddl</EXTENSION>
  <LEXER>sql</LEXER>
  <LEXERID>17</LEXERID>
  <AUTONEST>Y</AUTONEST>
  <BACKGROUND>#F0F0F0</BACKGROUND>
  <DEFAULT>N</DEFAULT>
  <KEYWORDS><KEYWORD>select from</KEYWORD><KEYWORD>int</KEYWORD></KEYWORDS>
  <COLOURS>
    <COLOUR STYLE="5" HEXFORE="#0000FF" HEXBACK="#FFFFFF" EOLFILLED="False">Keyword</COLOUR>
    <COLOUR STYLE="12" HEXFORE="#000000" HEXBACK="#FFE4E1" EOLFILLED="True">Unclosed</COLOUR>
  </COLOURS>
  <COMMENT><GROUPSTART>/*</GROUPSTART><GROUPEND>*/</GROUPEND><LINE>--</LINE></COMMENT>
</PROPERTIES>)");
    EXPECT_EQ(record.menuLabel, u"SQL"_s);
    EXPECT_EQ(record.extensions, u".sql;.ddl"_s);
    EXPECT_EQ(record.lexerName, u"sql"_s);
    EXPECT_EQ(record.lexerId, 17);
    EXPECT_TRUE(record.autoNest);
    EXPECT_FALSE(record.isDefault);
    EXPECT_EQ(record.background, 0xF0F0F0u);
    ASSERT_EQ(record.keywordSetCount, 2);
    EXPECT_EQ(record.keywordSets[0], u"select from"_s);
    EXPECT_EQ(record.keywordSets[1], u"int"_s);
    ASSERT_EQ(record.styleCount, 2);
    EXPECT_EQ(record.styles[0], (StyleEntry{0xFF0000, 0xFFFFFF, 5, u"Keyword"_s, false}));
    EXPECT_EQ(record.styles[1], (StyleEntry{0x000000, 0xE1E4FF, 12, u"Unclosed"_s, true}));
    EXPECT_EQ(record.blockCommentStart, u"/*"_s);
    EXPECT_EQ(record.blockCommentEnd, u"*/"_s);
    EXPECT_EQ(record.lineComment, u"--"_s);
    EXPECT_EQ(record.filePath, u"/x.config"_s);
    EXPECT_FALSE(record.modified);
}

TEST(LanguageFile, FlagsAndNumbersReadAsTheRulesSay)
{
    const struct
    {
        const char *element;
        bool autoNest;
        bool isDefault;
        int lexerId;
    } rows[] = {
        {"", false, false, -1}, // absent: no function-list rules
        {"<AUTONEST>y</AUTONEST><DEFAULT>Y</DEFAULT>", true, true, -1},
        {"<AUTONEST>yes</AUTONEST><DEFAULT> Y</DEFAULT>", false, false, -1},
        {"<AUTONEST>N</AUTONEST><DEFAULT>1</DEFAULT>", false, false, -1},
        {"<LEXERID> 42</LEXERID>", false, false, 42},
        {"<LEXERID>-3</LEXERID>", false, false, -3},
        {"<LEXERID>7abc</LEXERID>", false, false, 7},
        {"<LEXERID>abc</LEXERID>", false, false, -1},
        {"<LEXERID></LEXERID>", false, false, -1},
        {"<LEXERID>99999999999</LEXERID>", false, false, 2147483647},
        {"<MENU><B>bold</B></MENU><LEXERID><B>5</B></LEXERID>", false, false, -1},
    };
    for (const auto &row : rows) {
        const LanguageRecord record = parse(languageXml("", "", row.element));
        EXPECT_EQ(record.autoNest, row.autoNest) << row.element;
        EXPECT_EQ(record.isDefault, row.isDefault) << row.element;
        EXPECT_EQ(record.lexerId, row.lexerId) << row.element;
    }
}

TEST(LanguageFile, ColourElementsNeedStyleAndForeground)
{
    const WindowColourScope scope(0xABCDEF);
    const LanguageRecord record = parse(R"(<PROPERTIES><COLOURS>
  <COLOUR STYLE="1" HEXFORE="#010203">No back</COLOUR>
  <COLOUR HEXFORE="#010203">No style</COLOUR>
  <COLOUR STYLE="2">No fore</COLOUR>
  <COLOUR STYLE="" HEXFORE="#010203">Empty style</COLOUR>
  <COLOUR STYLE="12abc" HEXFORE="#010203" EOLFILLED="true">Lower-case true</COLOUR>
  <COLOUR STYLE="x" HEXFORE="#010203" EOLFILLED="True"/>
</COLOURS></PROPERTIES>)");
    ASSERT_EQ(record.styleCount, 3);
    EXPECT_EQ(record.styles[0].background, 0xABCDEFu) << "no HEXBACK is the window colour";
    EXPECT_EQ(record.styles[0].foreground, 0x030201u);
    EXPECT_EQ(record.styles[1].style, 12) << "leading digits only";
    EXPECT_FALSE(record.styles[1].eolFilled) << "only True exactly fills the line";
    EXPECT_EQ(record.styles[2].style, 0) << "no digits gives 0";
    EXPECT_TRUE(record.styles[2].name.isEmpty());
    EXPECT_TRUE(record.styles[2].eolFilled);
}

TEST(LanguageFile, KeywordWithoutContentTakesNoSetNumber)
{
    const LanguageRecord record = parse(R"(<PROPERTIES><KEYWORDS>
  <KEYWORD>first</KEYWORD>
  <KEYWORD/>
  <KEYWORD></KEYWORD>
  <KEYWORD>second</KEYWORD>
  <KEYWORD><!-- kept, as an empty set --></KEYWORD>
  <KEYWORD>fourth</KEYWORD>
</KEYWORDS><COLOURS><COLOUR STYLE="0" HEXFORE="#000000">D</COLOUR></COLOURS></PROPERTIES>)");
    ASSERT_EQ(record.keywordSetCount, 4);
    EXPECT_EQ(record.keywordSets[0], u"first"_s);
    EXPECT_EQ(record.keywordSets[1], u"second"_s);
    EXPECT_TRUE(record.keywordSets[2].isEmpty());
    EXPECT_EQ(record.keywordSets[3], u"fourth"_s);
}

TEST(LanguageFile, ExtraStylesAndKeywordSetsAreIgnored)
{
    QByteArray xml = "<PROPERTIES><KEYWORDS>";
    for (int i = 0; i < 12; ++i)
        xml += "<KEYWORD>set" + QByteArray::number(i) + "</KEYWORD>";
    xml += "</KEYWORDS><COLOURS>";
    for (int i = 0; i < 300; ++i)
        xml += "<COLOUR STYLE=\"" + QByteArray::number(i % 256) + "\" HEXFORE=\"#000000\">s" +
               QByteArray::number(i) + "</COLOUR>";
    xml += "</COLOURS></PROPERTIES>";
    const LanguageRecord record = parse(xml);
    EXPECT_EQ(record.keywordSetCount, 9);
    EXPECT_EQ(record.keywordSets[8], u"set8"_s);
    EXPECT_EQ(record.styleCount, 255);
    EXPECT_EQ(record.styles[254].name, u"s254"_s);
}

TEST(LanguageFile, UnusableFilesAreSkippedWithADiagnostic)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
    } rows[] = {
        {"not well-formed", "<PROPERTIES><COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000\">x"},
        {"no COLOUR", "<PROPERTIES><MENU>X</MENU></PROPERTIES>"},
        {"no usable COLOUR", "<PROPERTIES><COLOURS><COLOUR STYLE=\"0\">x</COLOUR>"
                             "</COLOURS></PROPERTIES>"},
        {"other root", "<LANGUAGE><COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000000\">x</COLOUR>"
                       "</COLOURS></LANGUAGE>"},
        {"binary", languageXml("A", ".a") + QByteArray("\0\x01\x02", 3)},
        {"empty", ""},
        {"not XML", "just some text"},
    };
    for (const auto &row : rows) {
        QString error;
        EXPECT_FALSE(parseLanguageFile(row.bytes, u"/p/x.config"_s, &error)) << row.name;
        EXPECT_TRUE(error.startsWith(QStringLiteral("Could not load config file '/p/x.config'. "
                                                    "Error='")))
            << row.name << ": " << error.toStdString();
    }
}

TEST(LanguageList, LoadsInFileNameOrderAndSkipsWhatItCannotUse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Case is ignored in the order: a plain sort would put "B" before "a".
    ASSERT_TRUE(writeFile(dir.filePath(u"B.config"_s), languageXml("B", ".b")));
    ASSERT_TRUE(writeFile(dir.filePath(u"a.config"_s), languageXml("A", ".a")));
    ASSERT_TRUE(writeFile(dir.filePath(u"c.config"_s), languageXml("C", ".c")));
    ASSERT_TRUE(writeFile(dir.filePath(u"broken.config"_s), "<PROPERTIES>"));
    QByteArray huge = languageXml("Huge", ".huge");
    huge.insert(huge.indexOf("<MENU>"), "<!--" + QByteArray(MaxLanguageFileSize, 'x') + "-->");
    ASSERT_TRUE(writeFile(dir.filePath(u"huge.config"_s), huge));
    ASSERT_TRUE(writeFile(dir.filePath(u"d.xml"_s), languageXml("D", ".d")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.config"_s));

    LanguageList list;
    EXPECT_TRUE(list.load(dir.path()));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.get(0).menuLabel, u"A"_s);
    EXPECT_EQ(list.get(1).menuLabel, u"B"_s);
    EXPECT_EQ(list.get(2).menuLabel, u"C"_s);
    EXPECT_EQ(list.get(0).filePath, dir.filePath(u"a.config"_s));
    ASSERT_EQ(list.loadErrors().size(), 2);
    EXPECT_TRUE(list.loadErrors()[0].contains(u"broken.config"_s));
    EXPECT_TRUE(list.loadErrors()[1].contains(u"too large"_s));

    // Replace stores a copy at that position and ignores positions outside the list.
    LanguageRecord edited = list.get(1);
    edited.setForeground(0, 0x00FF00);
    list.replace(1, edited);
    list.replace(3, LanguageRecord::fallback());
    edited.setForeground(0, 0x0000FF);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.get(1).styles[0].foreground, 0x00FF00u);
    EXPECT_TRUE(list.get(1).modified);
    EXPECT_FALSE(list.get(0).modified);

    // A reload without a folder reads the same folder again, from scratch.
    ASSERT_TRUE(QFile::remove(dir.filePath(u"B.config"_s)));
    EXPECT_TRUE(list.load());
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.folder(), dir.path());
}

TEST(LanguageList, MissingOrEmptyFolderGivesAnEmptyList)
{
    QTemporaryDir dir;
    LanguageList list;
    EXPECT_FALSE(list.load(dir.path())) << "no language file in the folder";
    ASSERT_TRUE(writeFile(dir.filePath(u"a.config"_s), languageXml("A", ".a")));
    ASSERT_TRUE(list.load(dir.path()));
    ASSERT_EQ(list.count(), 1);

    EXPECT_FALSE(list.load(dir.filePath(u"missing"_s)));
    EXPECT_EQ(list.count(), 0) << "a load always clears the list first";
    QTemporaryDir empty;
    EXPECT_FALSE(list.load(empty.path()));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.indexOfDefault(), 0);
    EXPECT_EQ(list.get(0), LanguageRecord::fallback()) << "positions outside the list";
    EXPECT_EQ(list.get(-1), LanguageRecord::fallback());

    // Files that are all unusable still count as found.
    ASSERT_TRUE(writeFile(empty.filePath(u"x.config"_s), "not xml"));
    EXPECT_TRUE(list.load(empty.path()));
    EXPECT_EQ(list.count(), 0);
}

TEST(LanguageList, IndexOfDefault)
{
    const struct
    {
        const char *name;
        std::vector<QByteArray> extras; // one language file each, in name order
        int expected;
    } rows[] = {
        {"first of two defaults", {"", "<DEFAULT>Y</DEFAULT>", "<DEFAULT>Y</DEFAULT>"}, 1},
        {"default before the catch-all", {"<EXTENSION>.*</EXTENSION>", "<DEFAULT>y</DEFAULT>"}, 1},
        {"no default: first catch-all",
         {"", "<EXTENSION>.c;.*</EXTENSION>", "<EXTENSION>.*</EXTENSION>"},
         1},
        {"neither: the first language", {"", ""}, 0},
    };
    for (const auto &row : rows) {
        QTemporaryDir dir;
        for (size_t i = 0; i < row.extras.size(); ++i) {
            QByteArray xml = "<PROPERTIES><MENU>L" + QByteArray::number(int(i)) + "</MENU>" +
                             row.extras[i] +
                             "<COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000000\">D</COLOUR>"
                             "</COLOURS></PROPERTIES>";
            ASSERT_TRUE(writeFile(dir.filePath(u"%1.config"_s.arg(i)), xml));
        }
        LanguageList list;
        list.load(dir.path());
        ASSERT_EQ(list.count(), int(row.extras.size())) << row.name;
        EXPECT_EQ(list.indexOfDefault(), row.expected) << row.name;
    }
}

TEST(LanguageSelection, FirstLanguageClaimingTheExtensionWins)
{
    QTemporaryDir dir;
    const auto language = [&](const char *file, const QByteArray &extensions, int id,
                              bool isDefault = false) {
        const QByteArray extra = "<LEXERID>" + QByteArray::number(id) + "</LEXERID>" +
                                 (isDefault ? "<DEFAULT>Y</DEFAULT>" : "");
        ASSERT_TRUE(
            writeFile(dir.filePath(QLatin1String(file)), languageXml(file, extensions, extra)));
    };
    language("1-c.config", ".c;.h", 2);
    language("2-cpp.config", ".cpp;.h", 3);
    language("3-text.config", ".*;.txt", 40, true);
    LanguageList list;
    list.load(dir.path());
    ASSERT_EQ(list.count(), 3);

    const struct
    {
        const char *extension;
        int index;
        std::optional<int> lexerId;
    } rows[] = {
        {".h", 0, 2},             // two languages list ".h": the earlier one wins
        {".CPP", 1, 3},           // case is ignored
        {".TXT", 2, 40},          // notes.TXT is text
        {".py", 2, std::nullopt}, // unclaimed: the default, number left as it was
        {"", 2, std::nullopt},    // a new document
        {".*", 2, 40},            //
    };
    for (const auto &row : rows) {
        const LanguageChoice choice =
            chooseLanguageByExtension(list, QString::fromLatin1(row.extension));
        EXPECT_EQ(choice.index, row.index) << row.extension;
        EXPECT_EQ(choice.lexerId, row.lexerId) << row.extension;
    }

    const LanguageList empty;
    const LanguageChoice none = chooseLanguageByExtension(empty, u".c"_s);
    EXPECT_EQ(none.index, 0);
    EXPECT_FALSE(none.lexerId);
}
