// The settings file under damage, other writers, unusable places, batches and large contents.
#include "settings/xmlsettingsstore.h"
#include "tests/settings/settingstestutil.h"

#include <QDir>
#include <QFileInfo>
#include <functional>
#include <thread>
#include <vector>

namespace pw {
namespace {

using namespace Qt::StringLiterals;
using test::freshCopy;
using test::readAll;
using test::settingsXml;
using test::writeAll;

const QString S = u"S"_s;

class RobustnessTest : public test::SettingsFileTest
{
protected:
    QStringList folderEntries() const
    {
        return QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Another program appends a section to the file behind the store's back.
    void addForeignSection()
    {
        QByteArray text = readAll(settingsPath());
        text.replace("</appSettings>", "    <Theirs><k><![CDATA[9]]></k></Theirs>\n</appSettings>");
        writeAll(settingsPath(), text);
    }
};

QByteArray deeplyNested()
{
    return settingsXml("<ViewSettings><TabWidth>8</TabWidth></ViewSettings>" +
                       QByteArray("<d>").repeated(5000) + QByteArray("</d>").repeated(5000));
}

TEST_F(RobustnessTest, DamagedFileReadsAsEmptyAndIsReplacedWholeByTheNextWrite)
{
    const QByteArray complete = settingsXml("    <ViewSettings>\n"
                                            "        <TabWidth><![CDATA[8]]></TabWidth>\n"
                                            "    </ViewSettings>\n"
                                            "    <ExternalTools>\n"
                                            "        <Tool icon=\"0\"><![CDATA[x]]></Tool>\n"
                                            "    </ExternalTools>\n");
    const std::pair<const char *, QByteArray> rows[] = {
        {"truncated", complete.left(complete.size() / 2)},
        {"truncated inside CDATA", complete.left(complete.indexOf("[8") + 2)},
        {"wrong root", "<?xml version=\"1.0\"?>\n<settings><ViewSettings><TabWidth>8</TabWidth>"
                       "</ViewSettings></settings>\n"},
        {"empty file", ""},
        {"declaration only", "<?xml version=\"1.0\"?>\n"},
        {"plain text", "TabWidth=8\n"},
        {"binary", QByteArray("\x00\xff\xfe<\x01\x02", 6)},
        {"unclosed root", "<appSettings><ViewSettings><TabWidth>8</TabWidth></ViewSettings>"},
        {"too deeply nested", deeplyNested()},
    };
    for (const auto &[name, content] : rows) {
        SCOPED_TRACE(name);
        writeAll(settingsPath(), content);
        XmlSettingsStore store(freshCopy(settingsPath()));
        EXPECT_EQ(store.getInt(u"ViewSettings"_s, u"TabWidth"_s, 4), 4);
        QStringList names;
        EXPECT_EQ(store.enumerateKeys(u"ViewSettings"_s, names), 0);
        QList<ExternalToolRecord> tools;
        EXPECT_EQ(store.readTools(u"ExternalTools"_s, u"Tool"_s, tools), 0);
        ASSERT_TRUE(store.writeInt(u"GenSettings"_s, u"MDITabsActive"_s, 1));
        EXPECT_EQ(readAll(store.path()),
                  settingsXml("    <GenSettings>\n"
                              "        <MDITabsActive><![CDATA[1]]></MDITabsActive>\n"
                              "    </GenSettings>\n"));
    }
}

TEST_F(RobustnessTest, FileWithoutDeclarationIsReadAndGetsOneOnWrite)
{
    writeAll(settingsPath(), "<appSettings><S><k>5</k></S></appSettings>");
    XmlSettingsStore store(settingsPath());
    EXPECT_EQ(store.getInt(S, u"k"_s, 0), 5);
    ASSERT_TRUE(store.writeInt(S, u"j"_s, 6));
    EXPECT_TRUE(readAll(settingsPath()).startsWith("<?xml version=\"1.0\""));
    EXPECT_EQ(XmlSettingsStore(freshCopy(settingsPath())).getInt(S, u"k"_s, 0), 5);
}

// Another program rewrites the file in place right after our write: same size, and quite possibly
// the same time stamp. The store must notice from the content, and keep what it added.
TEST_F(RobustnessTest, ChangesByAnotherWriterAreSeenAndSurviveOurNextWrite)
{
    XmlSettingsStore store(settingsPath());
    XmlSettingsStore second(settingsPath());
    ASSERT_TRUE(store.writeInt(S, u"a"_s, 1));
    ASSERT_TRUE(second.writeInt(S, u"other"_s, 7));
    QByteArray text = readAll(settingsPath());
    text.replace("<a><![CDATA[1]]></a>", "<a><![CDATA[2]]></a>");
    writeAll(settingsPath(), text);
    EXPECT_EQ(store.getInt(S, u"a"_s, 0), 2);
    addForeignSection();
    ASSERT_TRUE(store.writeInt(S, u"b"_s, 3));

    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.getInt(S, u"a"_s, 0), 2);
    EXPECT_EQ(reader.getInt(S, u"b"_s, 0), 3);
    EXPECT_EQ(reader.getInt(S, u"other"_s, 0), 7);
    EXPECT_EQ(reader.getInt(u"Theirs"_s, u"k"_s, 0), 9);

    ASSERT_TRUE(QFile::remove(settingsPath()));
    EXPECT_EQ(store.getInt(S, u"a"_s, -1), -1) << "a file removed behind the store";
}

TEST_F(RobustnessTest, ConcurrentWritersOnSeveralThreadsLoseNothingAndLeaveNoTemporaryFiles)
{
    constexpr int Threads = 4;
    constexpr int KeysEach = 25;
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t) {
        workers.emplace_back([this, t] {
            XmlSettingsStore store(settingsPath());
            for (int i = 0; i < KeysEach; ++i)
                store.writeInt(S, u"t%1_%2"_s.arg(t).arg(i), t * 1000 + i);
        });
    }
    for (std::thread &w : workers)
        w.join();
    EXPECT_EQ(folderEntries(), QStringList{u"AppSettings.xml"_s});
    XmlSettingsStore reader(freshCopy(settingsPath()));
    QStringList names;
    EXPECT_EQ(reader.enumerateKeys(S, names), Threads * KeysEach);
    for (int t = 0; t < Threads; ++t) {
        for (int i = 0; i < KeysEach; ++i)
            EXPECT_EQ(reader.getInt(S, u"t%1_%2"_s.arg(t).arg(i), -1), t * 1000 + i);
    }
}

// Places no settings file can be written: every write fails, reads give their defaults, and the
// place is left as it was.
TEST_F(RobustnessTest, UnusablePlacesGiveDefaultsAndRefuseWrites)
{
    const std::pair<const char *, std::function<QString()>> rows[] = {
        {"empty path", [] { return QString(); }},
        {"folder that cannot be made",
         [&] {
             QFile blocker(folder() + u"/Brightmoor"_s);
             return blocker.open(QIODevice::WriteOnly)
                        ? folder() + u"/Brightmoor/Penwright/AppSettings.xml"_s
                        : QString();
         }},
        {"folder in place of the file",
         [&] { return QDir(folder()).mkdir(u"AppSettings.xml"_s) ? settingsPath() : QString(); }},
        {"oversized file",
         [&] {
             // Sparse: no disk space taken, but far beyond anything a settings file holds.
             QFile file(settingsPath());
             return file.open(QIODevice::WriteOnly) && file.resize(qint64(300) << 20)
                        ? settingsPath()
                        : QString();
         }},
    };
    for (const auto &[name, make] : rows) {
        SCOPED_TRACE(name);
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        const QString path = make();
        const QStringList before = folderEntries();
        XmlSettingsStore store(path);
        EXPECT_FALSE(store.writeInt(S, u"k"_s, 1));
        EXPECT_FALSE(store.writeString(S, u"s"_s, u"v"_s));
        EXPECT_FALSE(store.saveHistory(u"SearchHistory"_s, {u"x"_s}, 0));
        EXPECT_FALSE(store.writeTools(u"ExternalTools"_s, u"Tool"_s, {}));
        EXPECT_FALSE(store.writeLabelExtension(u"FileFilter"_s, u"entry_1"_s, u"l"_s, u"e"_s));
        {
            XmlSettingsStore::Batch batch(store);
            const bool accepted = store.writeInt(S, u"k"_s, 2);
            EXPECT_FALSE(accepted && batch.commit()) << "a batch cannot claim what never got saved";
        }
        EXPECT_EQ(store.getInt(S, u"k"_s, 5), 5);
        EXPECT_EQ(store.getString(S, u"s"_s, u"d"_s), u"d"_s);
        EXPECT_EQ(store.loadHistory(u"SearchHistory"_s), HistoryList{});
        EXPECT_EQ(folderEntries(), before);
        EXPECT_FALSE(QFileInfo(folder() + u"/Brightmoor"_s).isDir());
        if (QFileInfo(path).isFile()) {
            EXPECT_EQ(QFileInfo(path).size(), qint64(300) << 20);
        }
    }
}

TEST_F(RobustnessTest, BatchSavesOnceAtTheEndAndReadsSeeItsWrites)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(S, u"before"_s, 1));
    const QByteArray initial = readAll(settingsPath());
    {
        XmlSettingsStore::Batch batch(store);
        for (int i = 0; i < 10; ++i)
            EXPECT_TRUE(store.writeInt(S, u"k%1"_s.arg(i), i));
        {
            XmlSettingsStore::Batch inner(store);
            store.writeString(S, u"inner"_s, u"x"_s);
        }
        EXPECT_EQ(readAll(settingsPath()), initial) << "nothing reaches the disk mid-batch";
        EXPECT_EQ(store.getInt(S, u"k9"_s, -1), 9);
        EXPECT_EQ(store.readString(S, u"inner"_s), u"x"_s);
    }
    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.getInt(S, u"before"_s, -1), 1);
    EXPECT_EQ(reader.getInt(S, u"k9"_s, -1), 9);
    EXPECT_EQ(reader.readString(S, u"inner"_s), u"x"_s);
}

TEST_F(RobustnessTest, BatchKeepsWhatAnotherWriterSavedMeanwhile)
{
    XmlSettingsStore store(settingsPath());
    ASSERT_TRUE(store.writeInt(S, u"a"_s, 1));
    XmlSettingsStore::Batch batch(store);
    store.writeInt(S, u"b"_s, 2);
    store.deleteKey(S, u"a"_s);
    addForeignSection();
    ASSERT_TRUE(batch.commit());

    XmlSettingsStore reader(freshCopy(settingsPath()));
    EXPECT_EQ(reader.getInt(u"Theirs"_s, u"k"_s, 0), 9);
    EXPECT_EQ(reader.getInt(S, u"b"_s, 0), 2);
    EXPECT_EQ(reader.getInt(S, u"a"_s, -1), -1);
}


// An installed program has no installer here to make its per-user folder: the first write does.
TEST_F(RobustnessTest, TheFirstWriteMakesTheMissingFolder)
{
    QDir(folder()).removeRecursively();
    const QString path = folder() + u"/Brightmoor/Penwright/AppSettings.xml"_s;
    XmlSettingsStore store(path);
    EXPECT_EQ(store.getInt(S, u"k"_s, 5), 5) << "reading makes nothing";
    EXPECT_FALSE(QFileInfo::exists(folder() + u"/Brightmoor"_s));
    ASSERT_TRUE(store.writeInt(S, u"k"_s, 1));
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_EQ(XmlSettingsStore(path).getInt(S, u"k"_s, 5), 1);
}

} // namespace
} // namespace pw
