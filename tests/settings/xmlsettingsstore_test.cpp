// Values of the XML settings file: round trips, defaults, number parsing and the layout on disk.
#include "settings/xmlsettingsstore.h"
#include "tests/settings/settingstestutil.h"

#include <QDateTime>
#include <QFileInfo>
#include <climits>

namespace pw {
namespace {

using test::freshCopy;
using test::readAll;
using test::settingsXml;
using test::writeAll;

class XmlStoreTest : public test::SettingsFileTest
{
};

TEST_F(XmlStoreTest, FirstWriteCreatesTheFileWithSectionAndKeyElementsAndCdata)
{
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.getInt(QStringLiteral("ViewSettings"), QStringLiteral("TabWidth"), 4), 4);
    EXPECT_FALSE(QFileInfo::exists(settingsPath())) << "reading must not create the file";

    ASSERT_TRUE(store.writeInt(QStringLiteral("ViewSettings"), QStringLiteral("TabWidth"), 8));
    EXPECT_EQ(readAll(settingsPath()), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                                  "<appSettings>\n"
                                                  "    <ViewSettings>\n"
                                                  "        <TabWidth><![CDATA[8]]></TabWidth>\n"
                                                  "    </ViewSettings>\n"
                                                  "</appSettings>\n"));
    EXPECT_EQ(XmlSettingsStore(freshCopy(settingsPath())).getInt(settings::view::TabWidth), 8);
}

TEST_F(XmlStoreTest, NewSectionsAndKeysAreAppendedAndExistingOnesReplacedInPlace)
{
    XmlSettingsStore store(settingsPath());
    store.writeInt(QStringLiteral("A"), QStringLiteral("x"), 1);
    store.writeUInt(QStringLiteral("B"), QStringLiteral("y"), 4294967295u);
    store.writeString(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("text"));
    store.writeInt(QStringLiteral("A"), QStringLiteral("x"), -2);
    EXPECT_EQ(readAll(settingsPath()), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                                  "<appSettings>\n"
                                                  "    <A>\n"
                                                  "        <x><![CDATA[-2]]></x>\n"
                                                  "        <z><![CDATA[text]]></z>\n"
                                                  "    </A>\n"
                                                  "    <B>\n"
                                                  "        <y><![CDATA[4294967295]]></y>\n"
                                                  "    </B>\n"
                                                  "</appSettings>\n"));
}

class IntRoundTrip : public test::SettingsFileTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(IntRoundTrip, ReadsBackWhatWasWritten)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(QStringLiteral("S"), QStringLiteral("k"), GetParam()));
    EXPECT_EQ(XmlSettingsStore(freshCopy(settingsPath()))
                  .getInt(QStringLiteral("S"), QStringLiteral("k"), 77),
              GetParam());
}

INSTANTIATE_TEST_SUITE_P(Values, IntRoundTrip,
                         ::testing::Values(0, 1, -1, -2, 80, INT_MAX, INT_MIN));

class UIntRoundTrip : public test::SettingsFileTest, public ::testing::WithParamInterface<quint32>
{
};

TEST_P(UIntRoundTrip, ReadsBackWhatWasWritten)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeUInt(QStringLiteral("S"), QStringLiteral("k"), GetParam()));
    quint32 value = 12345;
    ASSERT_TRUE(XmlSettingsStore(freshCopy(settingsPath()))
                    .getUInt(QStringLiteral("S"), QStringLiteral("k"), value));
    EXPECT_EQ(value, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Values, UIntRoundTrip,
                         ::testing::Values(0u, 255u, 16711680u, 15651521u, 2147483648u,
                                           4294967295u));

struct StringCase
{
    const char *name;
    QString value;
    friend void PrintTo(const StringCase &c, std::ostream *out) { *out << c.name; }
};

class StringRoundTrip : public test::SettingsFileTest,
                        public ::testing::WithParamInterface<StringCase>
{
};

TEST_P(StringRoundTrip, ReadsBackExactlyAndKeepsTheFileReadable)
{
    {
        XmlSettingsStore store(settingsPath());
        ASSERT_TRUE(store.writeString(QStringLiteral("S"), QStringLiteral("k"), GetParam().value));
        ASSERT_TRUE(store.writeInt(QStringLiteral("S"), QStringLiteral("after"), 5));
    }
    // Damage to the file would lose the key written after it.
    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.readString(QStringLiteral("S"), QStringLiteral("k")), GetParam().value);
    EXPECT_EQ(reader.getInt(QStringLiteral("S"), QStringLiteral("after"), 0), 5);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StringRoundTrip,
    ::testing::Values(StringCase{"plain", QStringLiteral("Courier New")},
                      StringCase{"markup_characters",
                                 QStringLiteral("<a href=\"x\">&amp;</a> 'q'")},
                      StringCase{"cdata_terminator", QStringLiteral("before ]]> after ]]]]>>")},
                      StringCase{"carriage_returns", QStringLiteral("line1\r\nline2\rline3\n")},
                      StringCase{"only_blanks", QStringLiteral("   ")},
                      StringCase{"surrounding_blanks", QStringLiteral("  padded\t")},
                      StringCase{"control_character", QStringLiteral("a\x01"
                                                                     "b")},
                      StringCase{"non_ascii", QStringLiteral("Grüße – 日本語 – 😀")},
                      StringCase{"windows_path", QStringLiteral("C:\\Program Files\\Tool\\x.exe")},
                      StringCase{"regex", QStringLiteral("^\\s*(foo|bar)[0-9]+$")}),
    [](const auto &info) { return std::string(info.param.name); });

struct NumberTextCase
{
    const char *name;
    const char *text;
    int expected;
    friend void PrintTo(const NumberTextCase &c, std::ostream *out) { *out << c.name; }
};

class IntTextParsing : public test::SettingsFileTest,
                       public ::testing::WithParamInterface<NumberTextCase>
{
};

TEST_P(IntTextParsing, ReadsTheLeadingDecimalNumber)
{
    writeAll(settingsPath(),
             settingsXml(QByteArray("<S><k><![CDATA[") + GetParam().text + "]]></k></S>\n"));
    EXPECT_EQ(XmlSettingsStore(settingsPath()).getInt(QStringLiteral("S"), QStringLiteral("k"), 77),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, IntTextParsing,
                         ::testing::Values(NumberTextCase{"trailing_letters", "12abc", 12},
                                           NumberTextCase{"letters_only", "abc", 0},
                                           NumberTextCase{"negative", "-2", -2},
                                           NumberTextCase{"plus_sign", "+5", 5},
                                           NumberTextCase{"leading_blank", " 7", 7},
                                           NumberTextCase{"sign_only", "-", 0},
                                           NumberTextCase{"decimal_point", "3.9", 3},
                                           NumberTextCase{"hexadecimal", "0x10", 0},
                                           NumberTextCase{"too_large", "99999999999", INT_MAX},
                                           NumberTextCase{"too_small", "-99999999999", INT_MIN}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(XmlStoreTest, UnsignedTextFollowsTheSameLeadingDigitsRule)
{
    writeAll(settingsPath(), settingsXml("<S><colour>16711680px</colour><letters>abc</letters>"
                                         "<minus>-1</minus><huge>99999999999</huge></S>\n"));
    XmlSettingsStore store(settingsPath());
    quint32 value = 1;
    ASSERT_TRUE(store.getUInt(QStringLiteral("S"), QStringLiteral("colour"), value));
    EXPECT_EQ(value, 16711680u);
    ASSERT_TRUE(store.getUInt(QStringLiteral("S"), QStringLiteral("letters"), value));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(store.getUInt(QStringLiteral("S"), QStringLiteral("minus"), value));
    EXPECT_EQ(value, 4294967295u);
    ASSERT_TRUE(store.getUInt(QStringLiteral("S"), QStringLiteral("huge"), value));
    EXPECT_EQ(value, 4294967295u);
}

struct DefaultCase
{
    const char *name;
    QByteArray body; // inside appSettings; "" for no file at all
    friend void PrintTo(const DefaultCase &c, std::ostream *out) { *out << c.name; }
};

class MissingOrEmptyReadsDefault : public test::SettingsFileTest,
                                   public ::testing::WithParamInterface<DefaultCase>
{
};

TEST_P(MissingOrEmptyReadsDefault, EveryReaderFallsBack)
{
    if (!GetParam().body.isNull())
        writeAll(settingsPath(), settingsXml(GetParam().body));
    XmlSettingsStore store(settingsPath());
    const QString s = QStringLiteral("S");
    const QString k = QStringLiteral("k");
    EXPECT_EQ(store.getInt(s, k, 42), 42);
    quint32 value = 99;
    EXPECT_FALSE(store.getUInt(s, k, value));
    EXPECT_EQ(value, 99u) << "a failed unsigned read leaves the value alone";
    EXPECT_EQ(store.getString(s, k, QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_EQ(store.readString(s, k), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingOrEmptyReadsDefault,
    ::testing::Values(DefaultCase{"no_file", QByteArray()},
                      DefaultCase{"no_section", QByteArray("<Other><k>1</k></Other>\n")},
                      DefaultCase{"no_key", QByteArray("<S><other>1</other></S>\n")},
                      DefaultCase{"empty_cdata", QByteArray("<S><k><![CDATA[]]></k></S>\n")},
                      DefaultCase{"empty_element", QByteArray("<S><k/></S>\n")},
                      DefaultCase{"element_instead_of_text",
                                  QByteArray("<S><k><label>1</label></k></S>\n")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(XmlStoreTest, DescriptorShorthandsUseTheTableDefaults)
{
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.getInt(settings::view::LongLinePos), 80);
    EXPECT_EQ(store.getInt(settings::general::DefFInFExt), -2);
    EXPECT_EQ(store.getUInt(settings::view::CaretLineColour), 15651521u);
    EXPECT_EQ(store.getString(settings::general::DefExt), QStringLiteral("txt"));
    ASSERT_TRUE(store.writeUInt(settings::view::BraceHighlight, 0x00112233u));
    ASSERT_TRUE(store.writeString(settings::gen::Dictionary, QStringLiteral("de_DE")));
    EXPECT_EQ(store.getUInt(settings::view::BraceHighlight), 0x00112233u);
    EXPECT_EQ(store.getString(settings::gen::Dictionary), QStringLiteral("de_DE"));
}

TEST_F(XmlStoreTest, EmptyPathFailsEveryOperation)
{
    XmlSettingsStore store{QString()};
    const QString s = QStringLiteral("S");
    const QString k = QStringLiteral("k");
    EXPECT_FALSE(store.writeInt(s, k, 1));
    EXPECT_FALSE(store.writeUInt(s, k, 1));
    EXPECT_FALSE(store.writeString(s, k, QStringLiteral("v")));
    EXPECT_FALSE(store.writeLabelExtension(s, k, QStringLiteral("l"), QStringLiteral("e")));
    EXPECT_FALSE(store.writeTools(s, k, {ExternalToolRecord{}}));
    EXPECT_FALSE(store.saveHistory(s, {QStringLiteral("a")}, 0));
    EXPECT_FALSE(store.deleteKey(s, k));
    EXPECT_FALSE(store.deleteSection(s));
    EXPECT_EQ(store.getInt(s, k, 3), 3);
    EXPECT_EQ(store.getString(s, k, QStringLiteral("d")), QStringLiteral("d"));
    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(store.enumerateKeys(s, names), -1);
    EXPECT_TRUE(names.isEmpty());
    QList<ExternalToolRecord> tools;
    EXPECT_EQ(store.readTools(s, k, tools), -1);
    EXPECT_EQ(store.loadHistory(s), HistoryList{});
    EXPECT_EQ(store.buildFilterString(), QStringLiteral("All Files (*.*)|*.*||"));
}

TEST_F(XmlStoreTest, NamesThatAreNotXmlNamesAreRefusedAndLeaveTheFileAlone)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(QStringLiteral("S"), QStringLiteral("k"), 1));
    const QByteArray before = readAll(settingsPath());
    for (const QString &bad :
         {QStringLiteral(""), QStringLiteral("Window Position"), QStringLiteral("1st"),
          QStringLiteral("a<b"), QStringLiteral("a/b"), QStringLiteral("-x")}) {
        EXPECT_FALSE(store.writeInt(QStringLiteral("S"), bad, 2)) << bad.toStdString();
        EXPECT_FALSE(store.writeInt(bad, QStringLiteral("k"), 2)) << bad.toStdString();
    }
    EXPECT_FALSE(store.writeString(QStringLiteral("S"), QStringLiteral("k"),
                                   QStringLiteral("nul") + QChar(u'\0') + QStringLiteral("x")));
    EXPECT_EQ(readAll(settingsPath()), before);
    // Names XML does allow, including non-ASCII letters, work.
    EXPECT_TRUE(store.writeInt(QStringLiteral("_s.1-x"), QStringLiteral("Größe"), 3));
    EXPECT_EQ(store.getInt(QStringLiteral("_s.1-x"), QStringLiteral("Größe"), 0), 3);
}

TEST_F(XmlStoreTest, DeleteKeyRemovesOnlyThatKey)
{
    XmlSettingsStore store(settingsPath());
    store.writeInt(QStringLiteral("S"), QStringLiteral("a"), 1);
    store.writeInt(QStringLiteral("S"), QStringLiteral("b"), 2);
    EXPECT_TRUE(store.deleteKey(QStringLiteral("S"), QStringLiteral("a")));
    EXPECT_FALSE(store.deleteKey(QStringLiteral("S"), QStringLiteral("a")));
    EXPECT_FALSE(store.deleteKey(QStringLiteral("Nope"), QStringLiteral("b")));
    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.getInt(QStringLiteral("S"), QStringLiteral("a"), -1), -1);
    EXPECT_EQ(reader.getInt(QStringLiteral("S"), QStringLiteral("b"), -1), 2);
}

TEST_F(XmlStoreTest, DeleteKeyRemovesEveryCopyOfARepeatedKey)
{
    writeAll(settingsPath(), settingsXml("<S><a>1</a><a>2</a></S>\n"));
    XmlSettingsStore store(settingsPath());
    EXPECT_TRUE(store.deleteKey(QStringLiteral("S"), QStringLiteral("a")));
    EXPECT_EQ(store.getInt(QStringLiteral("S"), QStringLiteral("a"), -1), -1);
}

TEST_F(XmlStoreTest, DeleteSectionEmptiesTheSectionAndLeavesOthers)
{
    XmlSettingsStore store(settingsPath());
    store.writeInt(QStringLiteral("S"), QStringLiteral("a"), 1);
    store.writeInt(QStringLiteral("S"), QStringLiteral("b"), 2);
    store.writeInt(QStringLiteral("T"), QStringLiteral("a"), 3);
    EXPECT_TRUE(store.deleteSection(QStringLiteral("S")));
    EXPECT_FALSE(store.deleteSection(QStringLiteral("Nope")));
    XmlSettingsStore reader(freshCopy(settingsPath()));
    QStringList names;
    EXPECT_EQ(reader.enumerateKeys(QStringLiteral("S"), names), 0);
    EXPECT_EQ(reader.getInt(QStringLiteral("T"), QStringLiteral("a"), -1), 3);
}

TEST_F(XmlStoreTest, EnumerateKeysGivesDistinctNamesInFileOrder)
{
    writeAll(settingsPath(),
             settingsXml("<S><b>1</b><a>2</a><b>3</b><!-- note --><c/></S><T><x/></T>\n"));
    XmlSettingsStore store(settingsPath());
    QStringList names;
    EXPECT_EQ(store.enumerateKeys(QStringLiteral("S"), names), 3);
    EXPECT_EQ(names, (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(store.enumerateKeys(QStringLiteral("Missing"), names), 0);
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(XmlStoreTest, WritingKeepsContentTheStoreDoesNotKnow)
{
    writeAll(settingsPath(),
             settingsXml("    <!-- hand-written note -->\n"
                         "    <Custom attr=\"v\"><deep><er>text</er></deep></Custom>\n"));
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(QStringLiteral("S"), QStringLiteral("k"), 1));
    const QByteArray text = readAll(settingsPath());
    EXPECT_TRUE(text.contains("<!-- hand-written note -->"));
    EXPECT_TRUE(text.contains("<Custom attr=\"v\">"));
    EXPECT_TRUE(text.contains("<er>text</er>"));
}

TEST_F(XmlStoreTest, ValuesCdataCannotCarryAreWrittenAsEscapedText)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(
        store.writeString(QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("x]]>y")));
    ASSERT_TRUE(
        store.writeString(QStringLiteral("S"), QStringLiteral("b"), QStringLiteral("1\r\n2")));
    const QByteArray text = readAll(settingsPath());
    EXPECT_TRUE(text.contains("<a>x]]&gt;y</a>")) << text.constData();
    EXPECT_TRUE(text.contains("<b>1&#13;\n2</b>")) << text.constData();
}

TEST_F(XmlStoreTest, UnchangedValuesDoNotRewriteTheFile)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(QStringLiteral("S"), QStringLiteral("k"), 1));
    // Date the file back: a rewrite would give it the current time.
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(store.writeInt(QStringLiteral("S"), QStringLiteral("k"), 1));
    EXPECT_EQ(QFileInfo(settingsPath()).lastModified().toUTC(), old);
    ASSERT_TRUE(store.writeInt(QStringLiteral("S"), QStringLiteral("k"), 2));
    EXPECT_NE(QFileInfo(settingsPath()).lastModified().toUTC(), old);
    EXPECT_TRUE(readAll(settingsPath()).contains("<![CDATA[2]]>"));
}

} // namespace
} // namespace pw
