// The settings file under damage, other writers, missing folders, batches and large contents.
#include "settings/xmlsettingsstore.h"
#include "tests/settings/settingstestutil.h"

#include <QDir>
#include <QFileInfo>
#include <thread>
#include <vector>

namespace pw {
namespace {

using test::freshCopy;
using test::readAll;
using test::settingsXml;
using test::writeAll;

const QString S = QStringLiteral("S");

class RobustnessTest : public test::SettingsFileTest
{
protected:
    QStringList folderEntries() const
    {
        return QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

struct DamagedCase
{
    const char *name;
    QByteArray content;
    friend void PrintTo(const DamagedCase &c, std::ostream *out) { *out << c.name; }
};

class DamagedFile : public test::SettingsFileTest, public ::testing::WithParamInterface<DamagedCase>
{
};

TEST_P(DamagedFile, ReadsAsDefaultsAndIsReplacedWholeByTheNextWrite)
{
    writeAll(settingsPath(), GetParam().content);
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.getInt(QStringLiteral("ViewSettings"), QStringLiteral("TabWidth"), 4), 4);
    EXPECT_EQ(store.getString(QStringLiteral("ViewSettings"), QStringLiteral("FontStyle"),
                              QStringLiteral("Courier New")),
              QStringLiteral("Courier New"));
    QStringList names;
    EXPECT_EQ(store.enumerateKeys(QStringLiteral("ViewSettings"), names), 0);
    QList<ExternalToolRecord> tools;
    EXPECT_EQ(store.readTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), tools), 0);

    ASSERT_TRUE(store.writeInt(QStringLiteral("GenSettings"), QStringLiteral("MDITabsActive"), 1));
    EXPECT_EQ(readAll(settingsPath()),
              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<appSettings>\n"
                         "    <GenSettings>\n"
                         "        <MDITabsActive><![CDATA[1]]></MDITabsActive>\n"
                         "    </GenSettings>\n"
                         "</appSettings>\n"));
}

QByteArray deeplyNested()
{
    QByteArray open, close;
    for (int i = 0; i < 5000; ++i) {
        open += "<d>";
        close += "</d>";
    }
    return settingsXml("<ViewSettings><TabWidth>8</TabWidth></ViewSettings>" + open + close);
}

const QByteArray Complete = settingsXml("    <ViewSettings>\n"
                                        "        <TabWidth><![CDATA[8]]></TabWidth>\n"
                                        "        <FontStyle><![CDATA[Mono]]></FontStyle>\n"
                                        "    </ViewSettings>\n"
                                        "    <ExternalTools>\n"
                                        "        <Tool icon=\"0\"><![CDATA[x]]></Tool>\n"
                                        "    </ExternalTools>\n");

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFile,
    ::testing::Values(
        DamagedCase{"truncated", Complete.left(Complete.size() / 2)},
        DamagedCase{"truncated_inside_cdata", Complete.left(Complete.indexOf("[8") + 2)},
        DamagedCase{"wrong_root", QByteArray("<?xml version=\"1.0\"?>\n<settings><ViewSettings>"
                                             "<TabWidth>8</TabWidth></ViewSettings></settings>\n")},
        DamagedCase{"empty_file", QByteArray("")},
        DamagedCase{"declaration_only", QByteArray("<?xml version=\"1.0\"?>\n")},
        DamagedCase{"plain_text", QByteArray("TabWidth=8\n")},
        DamagedCase{"binary", QByteArray("\x00\xff\xfe<\x01\x02", 6)},
        DamagedCase{"unclosed_root", QByteArray("<appSettings><ViewSettings><TabWidth>8"
                                                "</TabWidth></ViewSettings>")},
        DamagedCase{"too_deeply_nested", deeplyNested()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RobustnessTest, FileWithoutDeclarationIsReadAndGetsOneOnWrite)
{
    writeAll(settingsPath(), "<appSettings><S><k>5</k></S></appSettings>");
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.getInt(S, QStringLiteral("k"), 0), 5);
    ASSERT_TRUE(store.writeInt(S, QStringLiteral("j"), 6));
    EXPECT_TRUE(readAll(settingsPath()).startsWith("<?xml version=\"1.0\""));
    EXPECT_EQ(store.getInt(S, QStringLiteral("k"), 0), 5);
}

TEST_F(RobustnessTest, TwoStoresOnOneFileKeepEachOthersKeys)
{
    XmlSettingsStore first(settingsPath());
    XmlSettingsStore second(settingsPath());
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(first.writeInt(S, QStringLiteral("first%1").arg(i), i));
        ASSERT_TRUE(second.writeInt(S, QStringLiteral("second%1").arg(i), 10 + i));
    }
    XmlSettingsStore reader(freshCopy(settingsPath()));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(reader.getInt(S, QStringLiteral("first%1").arg(i), -1), i);
        EXPECT_EQ(reader.getInt(S, QStringLiteral("second%1").arg(i), -1), 10 + i);
    }
}

// Another program rewrites the file in place right after our write: same size, and quite
// possibly the same time stamp. The store must notice from the content.
TEST_F(RobustnessTest, ChangeByAnotherWriterWithinTheSameInstantIsSeen)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(S, QStringLiteral("a"), 1));
    QByteArray text = readAll(settingsPath());
    text.replace("<a><![CDATA[1]]></a>", "<a><![CDATA[2]]></a>");
    writeAll(settingsPath(), text);

    EXPECT_EQ(store.getInt(S, QStringLiteral("a"), 0), 2);
    ASSERT_TRUE(store.writeInt(S, QStringLiteral("b"), 3));
    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.getInt(S, QStringLiteral("a"), 0), 2);
    EXPECT_EQ(reader.getInt(S, QStringLiteral("b"), 0), 3);
}

TEST_F(RobustnessTest, KeysAddedByAnotherWriterSurviveOurNextWrite)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(S, QStringLiteral("ours"), 1));
    QByteArray text = readAll(settingsPath());
    text.replace("</appSettings>", "    <Theirs><k><![CDATA[9]]></k></Theirs>\n</appSettings>");
    writeAll(settingsPath(), text);

    ASSERT_TRUE(store.writeInt(S, QStringLiteral("ours2"), 2));
    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.getInt(QStringLiteral("Theirs"), QStringLiteral("k"), 0), 9);
    EXPECT_EQ(reader.getInt(S, QStringLiteral("ours"), 0), 1);
    EXPECT_EQ(reader.getInt(S, QStringLiteral("ours2"), 0), 2);
}

TEST_F(RobustnessTest, FileRemovedBehindTheStoreReadsAsDefaults)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(S, QStringLiteral("a"), 1));
    ASSERT_TRUE(QFile::remove(settingsPath()));
    EXPECT_EQ(store.getInt(S, QStringLiteral("a"), 7), 7);
}

TEST_F(RobustnessTest, ConcurrentWritersOnSeveralThreadsLoseNothing)
{
    constexpr int Threads = 4;
    constexpr int KeysEach = 25;
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t) {
        workers.emplace_back([this, t] {
            XmlSettingsStore store(settingsPath());
            for (int i = 0; i < KeysEach; ++i)
                store.writeInt(S, QStringLiteral("t%1_%2").arg(t).arg(i), t * 1000 + i);
        });
    }
    for (std::thread &w : workers)
        w.join();
    XmlSettingsStore reader(freshCopy(settingsPath()));
    QStringList names;
    EXPECT_EQ(reader.enumerateKeys(S, names), Threads * KeysEach);
    for (int t = 0; t < Threads; ++t) {
        for (int i = 0; i < KeysEach; ++i)
            EXPECT_EQ(reader.getInt(S, QStringLiteral("t%1_%2").arg(t).arg(i), -1), t * 1000 + i);
    }
}

TEST_F(RobustnessTest, WritesLeaveNoTemporaryOrLockFilesBehind)
{
    XmlSettingsStore store(settingsPath());
    for (int i = 0; i < 3; ++i)
        store.writeInt(S, QStringLiteral("k"), i);
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("AppSettings.xml")});
}

TEST_F(RobustnessTest, MissingFolderGivesDefaultsAndDropsWritesWithoutCreatingAnything)
{
    const QString missingFolder = folder() + QStringLiteral("/Brightmoor/Penwright");
    const QString path = missingFolder + QStringLiteral("/AppSettings.xml");
    XmlSettingsStore store(path);
    EXPECT_FALSE(store.writeInt(S, QStringLiteral("k"), 1));
    EXPECT_FALSE(store.writeString(S, QStringLiteral("s"), QStringLiteral("v")));
    EXPECT_FALSE(store.saveHistory(QStringLiteral("SearchHistory"), {QStringLiteral("x")}, 0));
    EXPECT_FALSE(store.writeTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"), {}));
    EXPECT_FALSE(store.writeLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_1"),
                                           QStringLiteral("l"), QStringLiteral("e")));
    EXPECT_EQ(store.getInt(S, QStringLiteral("k"), 5), 5);
    EXPECT_EQ(store.readString(S, QStringLiteral("s")), QString());
    EXPECT_EQ(store.loadHistory(QStringLiteral("SearchHistory")), HistoryList{});
    {
        XmlSettingsStore::Batch batch(store);
        store.writeInt(S, QStringLiteral("k"), 2);
        EXPECT_FALSE(batch.commit());
    }
    EXPECT_EQ(store.getInt(S, QStringLiteral("k"), 5), 5);
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("/Brightmoor")));
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(RobustnessTest, FolderInPlaceOfTheFileIsLeftAlone)
{
    ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("AppSettings.xml")));
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.getInt(S, QStringLiteral("k"), 5), 5);
    EXPECT_FALSE(store.writeInt(S, QStringLiteral("k"), 1));
    QStringList names;
    EXPECT_EQ(store.enumerateKeys(S, names), -1);
    EXPECT_TRUE(QFileInfo(settingsPath()).isDir());
}

TEST_F(RobustnessTest, OversizedFileIsNeitherParsedNorReplaced)
{
    {
        // Sparse: takes no disk space, but its size is far beyond anything a settings file holds.
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(300) * 1024 * 1024));
    }
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.getInt(S, QStringLiteral("k"), 5), 5);
    EXPECT_FALSE(store.writeInt(S, QStringLiteral("k"), 1));
    EXPECT_EQ(QFileInfo(settingsPath()).size(), qint64(300) * 1024 * 1024);
}

TEST_F(RobustnessTest, BatchSavesOnceAtTheEndAndReadsSeeItsWrites)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(S, QStringLiteral("before"), 1));
    const QByteArray initial = readAll(settingsPath());
    {
        XmlSettingsStore::Batch batch(store);
        for (int i = 0; i < 10; ++i)
            EXPECT_TRUE(store.writeInt(S, QStringLiteral("k%1").arg(i), i));
        {
            XmlSettingsStore::Batch inner(store);
            store.writeString(S, QStringLiteral("inner"), QStringLiteral("x"));
        }
        EXPECT_EQ(readAll(settingsPath()), initial) << "nothing reaches the disk mid-batch";
        EXPECT_EQ(store.getInt(S, QStringLiteral("k9"), -1), 9);
        EXPECT_EQ(store.readString(S, QStringLiteral("inner")), QStringLiteral("x"));
    }
    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.getInt(S, QStringLiteral("before"), -1), 1);
    EXPECT_EQ(reader.getInt(S, QStringLiteral("k9"), -1), 9);
    EXPECT_EQ(reader.readString(S, QStringLiteral("inner")), QStringLiteral("x"));
}

TEST_F(RobustnessTest, BatchKeepsWhatAnotherWriterSavedMeanwhile)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(S, QStringLiteral("a"), 1));
    XmlSettingsStore::Batch batch(store);
    store.writeInt(S, QStringLiteral("b"), 2);
    store.deleteKey(S, QStringLiteral("a"));
    QByteArray text = readAll(settingsPath());
    text.replace("</appSettings>", "    <Theirs><k><![CDATA[9]]></k></Theirs>\n</appSettings>");
    writeAll(settingsPath(), text);
    ASSERT_TRUE(batch.commit());

    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.getInt(QStringLiteral("Theirs"), QStringLiteral("k"), 0), 9);
    EXPECT_EQ(reader.getInt(S, QStringLiteral("b"), 0), 2);
    EXPECT_EQ(reader.getInt(S, QStringLiteral("a"), -1), -1);
}

TEST_F(RobustnessTest, HugeSectionsLoadCompletelyAndSurviveAWrite)
{
    constexpr int Count = 20000;
    QByteArray body = "<SearchHistory>";
    for (int i = 0; i < Count; ++i)
        body += "<value_" + QByteArray::number(i) + "><![CDATA[entry " + QByteArray::number(i) +
                "]]></value_" + QByteArray::number(i) + ">";
    body += "<Selected>19999</Selected></SearchHistory>\n";
    writeAll(settingsPath(), settingsXml(body));

    XmlSettingsStore store(settingsPath());
    const HistoryList history = store.loadHistory(QStringLiteral("SearchHistory"));
    ASSERT_EQ(history.entries.size(), Count);
    EXPECT_EQ(history.entries.last(), QStringLiteral("entry 19999"));
    EXPECT_EQ(history.selected, Count - 1);

    ASSERT_TRUE(store.writeInt(S, QStringLiteral("k"), 1));
    QStringList names;
    EXPECT_EQ(XmlSettingsStore(freshCopy(settingsPath()))
                  .enumerateKeys(QStringLiteral("SearchHistory"), names),
              Count + 1);
}

} // namespace
} // namespace pw
