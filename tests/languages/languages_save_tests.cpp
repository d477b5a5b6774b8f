// Writing a language's colours back: only DEFAULT, BACKGROUND and COLOUR colours change.
#include "languages/engine/languagefile.h"
#include "tests/languages/languagetestutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pw;
using namespace Qt::StringLiterals;
using namespace pw::test;

namespace {

// A file with the things an author leaves in it: comments, odd spacing, single quotes,
// unknown elements and attributes, entities and CRLF line ends.
const QByteArray Original =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!-- my own colours -->\r\n"
    "<PROPERTIES>\r\n"
    "\t<MENU>C &amp; co</MENU>\r\n"
    "\t<EXTENSION>.c;.h</EXTENSION>\r\n"
    "\t<LEXER>cpp</LEXER>   <!-- trailing note -->\r\n"
    "\t<LEXERID>2</LEXERID>\r\n"
    "\t<BACKGROUND>#ffffff</BACKGROUND>\r\n"
    "\t<DEFAULT>  n  </DEFAULT>\r\n"
    "\t<KEYWORDS>\r\n"
    "\t\t<KEYWORD>int  char\r\n  void</KEYWORD>\r\n"
    "\t</KEYWORDS>\r\n"
    "\t<COLOURS author='me'>\r\n"
    "\t\t<COLOUR  STYLE = '5'  HEXFORE='#0000ff'   HEXBACK=\"#fFfFfF\" EOLFILLED='False' "
    "NOTE=\"kept\">Keyword</COLOUR>\r\n"
    "\t\t<COLOUR STYLE=\"1\" HEXFORE=\"#008000\">Comment</COLOUR>\r\n"
    "\t\t<COLOUR STYLE=\"6\" HEXFORE=\"#A31515\" HEXBACK=\"#FFFFFF\">Not a style</COLOUR>\r\n"
    "\t</COLOURS>\r\n"
    "\t<COMMENT><LINE>//</LINE></COMMENT>\r\n"
    "</PROPERTIES>\r\n";

QString writeTemp(QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(u"lang.config"_s);
    EXPECT_TRUE(writeFile(path, bytes));
    return path;
}

LanguageRecord load(const QString &path)
{
    std::optional<LanguageRecord> record = readLanguageFile(path);
    EXPECT_TRUE(record.has_value());
    return record.value_or(LanguageRecord());
}

} // namespace

TEST(LanguageSave, ChangesOnlyTheColourValuesAndKeepsEveryOtherByte)
{
    QTemporaryDir dir;
    const QString path = writeTemp(dir, Original);
    LanguageRecord record = load(path);
    ASSERT_EQ(record.styleCount, 3);
    record.setForeground(0, textToColour(u"#112233"_s));
    record.setBackground(1, textToColour(u"#445566"_s));
    record.styles[1].eolFilled = true;
    record.styles[2].name = u"Renamed"_s; // its element no longer matches a style
    record.setDefault(true);
    record.setDefaultBackground(textToColour(u"#F0F0F0"_s));
    ASSERT_TRUE(record.save());

    QByteArray expected = Original;
    expected.replace("<BACKGROUND>#ffffff</BACKGROUND>", "<BACKGROUND>#F0F0F0</BACKGROUND>");
    expected.replace("<DEFAULT>  n  </DEFAULT>", "<DEFAULT>Y</DEFAULT>");
    expected.replace("HEXFORE='#0000ff'   HEXBACK=\"#fFfFfF\" EOLFILLED='False'",
                     "HEXFORE='#112233'   HEXBACK=\"#FFFFFF\" EOLFILLED='False'");
    expected.replace("<COLOUR STYLE=\"1\" HEXFORE=\"#008000\">",
                     "<COLOUR STYLE=\"1\" HEXFORE=\"#008000\" HEXBACK=\"#445566\" "
                     "EOLFILLED=\"True\">");
    EXPECT_EQ(readFile(path), expected);
}

TEST(LanguageSave, AddsMissingDefaultAndBackgroundAsLastChildren)
{
    QTemporaryDir dir;
    const QByteArray original = "<PROPERTIES>\n"
                                "    <MENU>X</MENU>\n"
                                "    <COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000000\" "
                                "HEXBACK=\"#FFFFFF\" EOLFILLED=\"False\">D</COLOUR></COLOURS>\n"
                                "</PROPERTIES>\n";
    const QString path = writeTemp(dir, original);
    LanguageRecord record = load(path);
    ASSERT_TRUE(record.save());
    const QByteArray expected = "<PROPERTIES>\n"
                                "    <MENU>X</MENU>\n"
                                "    <COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000000\" "
                                "HEXBACK=\"#FFFFFF\" EOLFILLED=\"False\">D</COLOUR></COLOURS>\n"
                                "    <DEFAULT>N</DEFAULT>\n"
                                "    <BACKGROUND>#FFFFFF</BACKGROUND>\n"
                                "</PROPERTIES>\n";
    EXPECT_EQ(readFile(path), expected);
}

TEST(LanguageSave, FillsEmptyAndSelfClosingElements)
{
    QTemporaryDir dir;
    const QString path =
        writeTemp(dir, "<PROPERTIES><DEFAULT/><BACKGROUND a=\"1\" /><COLOURS><COLOUR STYLE=\"0\" "
                       "HEXFORE=\"#000000\">D</COLOUR></COLOURS></PROPERTIES>");
    LanguageRecord record = load(path);
    record.setDefault(true);
    ASSERT_TRUE(record.save());
    EXPECT_EQ(readFile(path),
              QByteArray("<PROPERTIES><DEFAULT>Y</DEFAULT><BACKGROUND a=\"1\" >#FFFFFF</BACKGROUND>"
                         "<COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000000\" HEXBACK=\"#FFFFFF\" "
                         "EOLFILLED=\"False\">D</COLOUR></COLOURS></PROPERTIES>"));
}

TEST(LanguageSave, DuplicateNamesAllTakeTheFirstStylesColours)
{
    QTemporaryDir dir;
    const QString path = writeTemp(dir, "<PROPERTIES><COLOURS>"
                                        "<COLOUR STYLE=\"1\" HEXFORE=\"#000001\">Same</COLOUR>"
                                        "<COLOUR STYLE=\"2\" HEXFORE=\"#000002\">Same</COLOUR>"
                                        "<COLOUR STYLE=\"3\" HEXFORE=\"#000003\">same</COLOUR>"
                                        "</COLOURS></PROPERTIES>");
    LanguageRecord record = load(path);
    ASSERT_EQ(record.styleCount, 3);
    record.setForeground(0, 0x0000AA);
    record.setForeground(1, 0x0000BB);
    ASSERT_TRUE(record.save());
    const LanguageRecord reread = load(path);
    EXPECT_EQ(reread.styles[0].foreground, 0x0000AAu);
    EXPECT_EQ(reread.styles[1].foreground, 0x0000AAu) << "the first style of that name counts";
    EXPECT_EQ(reread.styles[2].foreground, 0x030000u) << "names match case-sensitively";
    EXPECT_EQ(reread.styles[1].style, 2) << "style numbers are never written";
}

// A file that is gone, damaged or not a language file any more is never written over.
TEST(LanguageSave, WritesNothingForAMissingOrBrokenFile)
{
    QTemporaryDir dir;
    const QString path = writeTemp(dir, Original);
    LanguageRecord record = load(path);
    record.setDefault(true);
    const QByteArray contents[] = {Original.left(Original.size() / 2),
                                   Original + QByteArray("\0", 1),
                                   "<OTHER><DEFAULT>N</DEFAULT></OTHER>"};
    for (const QByteArray &content : contents) {
        ASSERT_TRUE(writeFile(path, content));
        EXPECT_FALSE(record.save());
        EXPECT_EQ(readFile(path), content);
    }
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(record.save());
    EXPECT_FALSE(QFile::exists(path)) << "a deleted file is not created again";
    record.filePath = dir.path();
    EXPECT_FALSE(record.save()) << "a folder is no language file";
}

TEST(LanguageSave, PatchedTextMeansWhatTheXmlLibraryWouldWrite)
{
    // Layouts the in-place edit must get right or hand over to the library's printing: either
    // way the result reads back with the new values and the old everything else.
    const QByteArray layouts[] = {
        "<!DOCTYPE PROPERTIES [ <!ENTITY x \"y\"> ]><PROPERTIES><COLOURS><COLOUR STYLE=\"0\" "
        "HEXFORE=\"#000000\">D</COLOUR></COLOURS></PROPERTIES>",
        "<PROPERTIES><DEFAULT><![CDATA[N]]></DEFAULT><COLOURS><COLOUR STYLE=\"0\" "
        "HEXFORE=\"#000000\"><![CDATA[D]]></COLOUR></COLOURS></PROPERTIES>",
        "<PROPERTIES><DEFAULT>N<X/>more</DEFAULT><COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000000\""
        ">D</COLOUR><COLOUR STYLE=\"1\" HEXFORE=\"#0000FF\" HEXFORE2=\"x>y\">K</COLOUR>"
        "</COLOURS></PROPERTIES>",
        "<PROPERTIES><COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000000\">D</COLOUR></COLOURS>"
        "<COLOURS><COLOUR STYLE=\"0\" HEXFORE=\"#000000\">D</COLOUR></COLOURS></PROPERTIES>",
    };
    for (const QByteArray &layout : layouts) {
        std::optional<LanguageRecord> record = parseLanguageFile(layout, u"/x"_s);
        ASSERT_TRUE(record) << layout.constData();
        record->setForeground(0, 0x563412);
        record->setDefault(true);
        const std::optional<QByteArray> patched = patchLanguageColours(layout, *record);
        ASSERT_TRUE(patched) << layout.constData();
        std::optional<LanguageRecord> reread = parseLanguageFile(*patched, u"/x"_s);
        ASSERT_TRUE(reread) << patched->constData();
        EXPECT_EQ(reread->styles[0].foreground, 0x563412u) << patched->constData();
        EXPECT_TRUE(reread->isDefault) << patched->constData();
        EXPECT_EQ(reread->styleCount, record->styleCount);
    }
}
