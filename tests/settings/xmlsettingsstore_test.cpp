// Values of the XML settings file: the layout on disk, round trips, number parsing and deletion.
#include "settings/xmlsettingsstore.h"
#include "tests/settings/settingstestutil.h"

#include <QDateTime>
#include <QFileInfo>
#include <climits>

namespace pw {
namespace {

using namespace Qt::StringLiterals;
using test::freshCopy;
using test::readAll;
using test::settingsXml;
using test::writeAll;

using XmlStoreTest = test::SettingsFileTest;

TEST_F(XmlStoreTest, WritesSectionsAndKeysAsIndentedElementsWithCdataInFirstUseOrder)
{
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.getInt(u"ViewSettings"_s, u"TabWidth"_s, 4), 4);
    EXPECT_FALSE(QFileInfo::exists(settingsPath())) << "reading must not create the file";
    ASSERT_TRUE(store.writeInt(u"A"_s, u"x"_s, 1));
    store.writeUInt(u"B"_s, u"y"_s, 4294967295u);
    store.writeString(u"A"_s, u"z"_s, u"text"_s);
    store.writeInt(u"A"_s, u"x"_s, -2); // replaced in place
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

TEST_F(XmlStoreTest, ValuesReadBackExactly)
{
    const int ints[] = {0, 1, -1, 80, INT_MAX, INT_MIN};
    const quint32 uints[] = {0u, 16711680u, 2147483648u, 4294967295u};
    const QString texts[] = {u"<a href=\"x\">&amp;</a> 'q'"_s,
                             u"before ]]> after ]]]]>>"_s,
                             u"line1\r\nline2\rline3\n"_s,
                             u"   "_s,
                             u"  padded\t"_s,
                             u"a\x01b"_s,
                             u"Grüße – 日本語 – 😀"_s,
                             u"C:\\Program Files\\x.exe"_s};
    {
        XmlSettingsStore store(settingsPath());
        for (int i = 0; i < int(std::size(ints)); ++i)
            ASSERT_TRUE(store.writeInt(u"I"_s, u"k%1"_s.arg(i), ints[i]));
        for (int i = 0; i < int(std::size(uints)); ++i)
            ASSERT_TRUE(store.writeUInt(u"U"_s, u"k%1"_s.arg(i), uints[i]));
        for (int i = 0; i < int(std::size(texts)); ++i)
            ASSERT_TRUE(store.writeString(u"S"_s, u"k%1"_s.arg(i), texts[i]));
    }
    // What CDATA cannot carry is written as escaped text.
    const QByteArray onDisk = readAll(settingsPath());
    EXPECT_TRUE(onDisk.contains("<k1>before ]]&gt; after ]]]]&gt;&gt;</k1>")) << onDisk.constData();
    EXPECT_TRUE(onDisk.contains("<k2>line1&#13;\nline2&#13;line3\n</k2>")) << onDisk.constData();
    XmlSettingsStore reader(freshCopy(settingsPath()));
    for (int i = 0; i < int(std::size(ints)); ++i)
        EXPECT_EQ(reader.getInt(u"I"_s, u"k%1"_s.arg(i), 77), ints[i]);
    for (int i = 0; i < int(std::size(uints)); ++i) {
        quint32 value = 12345;
        EXPECT_TRUE(reader.getUInt(u"U"_s, u"k%1"_s.arg(i), value));
        EXPECT_EQ(value, uints[i]);
    }
    for (int i = 0; i < int(std::size(texts)); ++i)
        EXPECT_EQ(reader.readString(u"S"_s, u"k%1"_s.arg(i)), texts[i]);
}

TEST_F(XmlStoreTest, NumbersAreReadFromTheLeadingDecimalDigits)
{
    const struct
    {
        const char *text;
        int asInt;
        quint32 asUInt;
    } rows[] = {
        {"12abc", 12, 12},
        {"abc", 0, 0},
        {"-2", -2, 4294967294u}, // as strtoul wraps it
        {"+5", 5, 5},
        {" 7", 7, 7},
        {"-", 0, 0},
        {"3.9", 3, 3},
        {"0x10", 0, 0},
        {"16711680px", 16711680, 16711680},
        {"99999999999", INT_MAX, 4294967295u},
        {"-99999999999", INT_MIN, 4294967295u},
    };
    for (const auto &row : rows) {
        XmlSettingsStore &store =
            storeWith(QByteArray("<S><k><![CDATA[") + row.text + "]]></k></S>");
        EXPECT_EQ(store.getInt(u"S"_s, u"k"_s, 77), row.asInt) << row.text;
        quint32 value = 1;
        EXPECT_TRUE(store.getUInt(u"S"_s, u"k"_s, value)) << row.text;
        EXPECT_EQ(value, row.asUInt) << row.text;
    }
}

TEST_F(XmlStoreTest, MissingOrEmptyValuesReadAsTheDefault)
{
    const QByteArray bodies[] = {
        "<Other><k>1</k></Other>",        "<S><other>1</other></S>",
        "<S><k><![CDATA[]]></k></S>",     "<S><k/></S>",
        "<S><k><label>1</label></k></S>", // an element instead of text
    };
    for (const QByteArray &body : bodies) {
        XmlSettingsStore &store = storeWith(body);
        EXPECT_EQ(store.getInt(u"S"_s, u"k"_s, 42), 42) << body.constData();
        quint32 value = 99;
        EXPECT_FALSE(store.getUInt(u"S"_s, u"k"_s, value)) << body.constData();
        EXPECT_EQ(value, 99u) << "a failed unsigned read leaves the value alone";
        EXPECT_EQ(store.getString(u"S"_s, u"k"_s, u"dflt"_s), u"dflt"_s) << body.constData();
        EXPECT_EQ(store.readString(u"S"_s, u"k"_s), QString()) << body.constData();
    }
}

TEST_F(XmlStoreTest, NamesThatAreNotXmlNamesAreRefusedAndLeaveTheFileAlone)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(u"S"_s, u"k"_s, 1));
    const QByteArray before = readAll(settingsPath());
    for (const QString &bad :
         {u""_s, u"Window Position"_s, u"1st"_s, u"a<b"_s, u"a/b"_s, u"-x"_s}) {
        EXPECT_FALSE(store.writeInt(u"S"_s, bad, 2)) << bad;
        EXPECT_FALSE(store.writeInt(bad, u"k"_s, 2)) << bad;
    }
    EXPECT_FALSE(store.writeString(u"S"_s, u"k"_s, u"nul"_s + QChar(u'\0') + u"x"_s));
    EXPECT_EQ(readAll(settingsPath()), before);
    EXPECT_TRUE(store.writeInt(u"_s.1-x"_s, u"Größe"_s, 3)) << "XML allows these";
    EXPECT_EQ(store.getInt(u"_s.1-x"_s, u"Größe"_s, 0), 3);
}

TEST_F(XmlStoreTest, KeysAreListedOnceInFileOrderAndDeletedWithEveryCopy)
{
    XmlSettingsStore &store =
        storeWith("<S><b>2</b><a>1</a><!-- note --><b>3</b><c/><a>3</a></S><T><a>4</a></T>");
    QStringList names;
    EXPECT_EQ(store.enumerateKeys(u"S"_s, names), 3);
    EXPECT_EQ(names, (QStringList{u"b"_s, u"a"_s, u"c"_s}));
    EXPECT_EQ(store.enumerateKeys(u"Missing"_s, names), 0);
    EXPECT_TRUE(names.isEmpty());

    EXPECT_TRUE(store.deleteKey(u"S"_s, u"a"_s));
    EXPECT_FALSE(store.deleteKey(u"S"_s, u"a"_s));
    EXPECT_FALSE(store.deleteKey(u"Nope"_s, u"b"_s));
    EXPECT_EQ(XmlSettingsStore(freshCopy(store.path())).getInt(u"S"_s, u"a"_s, -1), -1);
    EXPECT_EQ(store.getInt(u"S"_s, u"b"_s, -1), 2);

    EXPECT_TRUE(store.deleteSection(u"S"_s));
    EXPECT_FALSE(store.deleteSection(u"Nope"_s));
    XmlSettingsStore reader(freshCopy(store.path()));
    EXPECT_EQ(reader.enumerateKeys(u"S"_s, names), 0);
    EXPECT_EQ(reader.getInt(u"T"_s, u"a"_s, -1), 4);
}

TEST_F(XmlStoreTest, WritingKeepsContentTheStoreDoesNotKnow)
{
    XmlSettingsStore &store =
        storeWith("    <!-- hand-written note -->\n"
                  "    <Custom attr=\"v\"><deep><er>text</er></deep></Custom>\n");
    ASSERT_TRUE(store.writeInt(u"S"_s, u"k"_s, 1));
    const QByteArray text = readAll(store.path());
    EXPECT_TRUE(text.contains("<!-- hand-written note -->"));
    EXPECT_TRUE(text.contains("<Custom attr=\"v\">") && text.contains("<er>text</er>"))
        << text.constData();
}

TEST_F(XmlStoreTest, UnchangedValuesDoNotRewriteTheFile)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(u"S"_s, u"k"_s, 1));
    // Date the file back: a rewrite would give it the current time.
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(store.writeInt(u"S"_s, u"k"_s, 1));
    EXPECT_EQ(QFileInfo(settingsPath()).lastModified().toUTC(), old);
    ASSERT_TRUE(store.writeInt(u"S"_s, u"k"_s, 2));
    EXPECT_TRUE(readAll(settingsPath()).contains("<![CDATA[2]]>"));
}

} // namespace
} // namespace pw
