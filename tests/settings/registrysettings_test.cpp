// The per-user application key layer, pointed at a temporary INI file.
#include "settings/registrysettings.h"
#include "tests/settings/settingstestutil.h"

#include <QSettings>
#include <algorithm>

namespace pw {
namespace {

using namespace Qt::StringLiterals;

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_ini = m_dir.filePath(u"Penwright.conf"_s);
    }

    // A fresh instance each time, so every check reads what reached the file.
    RegistrySettings open() const { return RegistrySettings(m_ini); }
    const QString &ini() const { return m_ini; }

private:
    QTemporaryDir m_dir;
    QString m_ini;
};

const QStringList AwkwardPaths{
    u"/home/user/notes.txt"_s,
    u"/home/user/My Documents/a b.txt"_s,
    u"C:\\Users\\Ann\\Desktop\\x.txt"_s,
    u"/home/ünïcödé/日本語/файл.txt"_s,
    u"/tmp/100%/%2F literally/%5c.txt"_s,
    u"/odd/name=with;ini#chars[1].txt"_s,
    u" /leading and trailing blanks "_s,
    u"/home/user/NOTES.txt"_s,
};

TEST_F(RegistryTest, FilesToOpenKeepsEveryPathExactly)
{
    {
        RegistrySettings reg = open();
        EXPECT_FALSE(reg.hasFilesToOpen());
        for (const QString &path : AwkwardPaths)
            reg.addFileToOpen(path);
        reg.addFileToOpen(AwkwardPaths.first()); // the same path again is one value
        reg.addFileToOpen(QString());            // nothing to record
    }
    RegistrySettings reg = open();
    EXPECT_TRUE(reg.hasFilesToOpen());
    QStringList stored = reg.filesToOpen();
    QStringList expected = AwkwardPaths;
    std::sort(stored.begin(), stored.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(stored, expected);

    open().clearFilesToOpen();
    EXPECT_FALSE(open().hasFilesToOpen());
    EXPECT_FALSE(QSettings(ini(), QSettings::IniFormat).childGroups().contains(u"FilesToOpen"_s));
}

TEST(RegistryValueNames, EncodeSeparatorsAndPercentAndDecodeBack)
{
    const std::pair<QString, QString> rows[] = {
        {u"12"_s, u"12"_s},
        {u"/a/b.txt"_s, u"%2Fa%2Fb.txt"_s},
        {u"C:\\a b\\c"_s, u"C:%5Ca b%5Cc"_s},
        {u"%2F%%5C"_s, u"%252F%25%255C"_s},
        {u"/ü/日"_s, u"%2Fü%2F日"_s},
        {QString(), QString()},
    };
    for (const auto &[plain, encoded] : rows) {
        EXPECT_EQ(RegistrySettings::encodeValueName(plain), encoded);
        EXPECT_EQ(RegistrySettings::decodeValueName(encoded), plain);
    }
}

TEST_F(RegistryTest, PlacementsAreStoredByteExactOnePerDialogAndOtherSizesIgnored)
{
    const WindowPlacement main = WindowPlacement::fromGeometry(QRect(5, 6, 700, 500), true);
    open().setWindowPosition(main);
    const QStringList names{u"FindDialog"_s, u"ReplaceDialog"_s, u"MacroDialog"_s};
    for (int i = 0; i < names.size(); ++i)
        open().setDialogPlacement(names[i],
                                  WindowPlacement::fromGeometry(QRect(i, i, 100 + i, 50), false));
    {
        QSettings raw(ini(), QSettings::IniFormat);
        EXPECT_EQ(raw.value(u"Settings/Window Position"_s).toByteArray(), main.encode());
        EXPECT_EQ(raw.value(u"FindDialog/WindowPlacement"_s).toByteArray().size(), 44);
    }
    EXPECT_EQ(open().windowPosition(), main);
    for (int i = 0; i < names.size(); ++i) {
        const auto p = open().dialogPlacement(names[i]);
        ASSERT_TRUE(p.has_value()) << names[i].toStdString();
        EXPECT_EQ(p->normalGeometry(), QRect(i, i, 100 + i, 50));
    }

    {
        QSettings raw(ini(), QSettings::IniFormat);
        raw.setValue(u"Settings/Window Position"_s, QByteArray(43, '\0'));
        raw.setValue(u"FindDialog/WindowPlacement"_s, QByteArray(45, '\0'));
    }
    EXPECT_FALSE(open().windowPosition().has_value());
    EXPECT_FALSE(open().dialogPlacement(u"FindDialog"_s).has_value());
    EXPECT_FALSE(open().dialogPlacement(u"OtherDialog"_s).has_value());
}

TEST_F(RegistryTest, AppPathIsReadFromTheSettingsKey)
{
    EXPECT_EQ(open().appPath(), QString());
    {
        QSettings raw(ini(), QSettings::IniFormat);
        raw.setValue(u"Settings/AppPath"_s, u"/usr/lib/penwright"_s);
    }
    EXPECT_EQ(open().appPath(), u"/usr/lib/penwright"_s);
}

TEST_F(RegistryTest, BackupBookkeepingRoundTripsAndClears)
{
    EXPECT_EQ(open().nextBackupFolderId(), 0);
    open().setNextBackupFolderId(7);
    EXPECT_EQ(open().nextBackupFolderId(), 7);

    const QString doc = u"/home/u/My Files/report.txt"_s;
    EXPECT_EQ(open().backupFolderValue(doc, -1), -1);
    open().setBackupFolderValue(doc, 3);
    open().setBackupFolderValue(u"3"_s, 12);
    EXPECT_EQ(open().backupFolderValue(doc, -1), 3);
    EXPECT_EQ(open().backupFolderValue(u"3"_s, 0), 12);

    open().removeBackupFolderValue(doc);
    EXPECT_EQ(open().backupFolderValue(doc, -1), -1);
    EXPECT_EQ(open().backupFolderValue(u"3"_s, 0), 12);
    open().removeAllBackupFolders();
    EXPECT_EQ(open().backupFolderValue(u"3"_s, 0), 0);
    EXPECT_EQ(open().nextBackupFolderId(), 7) << "the counter lives elsewhere";

    QSettings(ini(), QSettings::IniFormat).setValue(u"BackupSettings/NextFolderId"_s, u"abc"_s);
    EXPECT_EQ(open().nextBackupFolderId(), 0) << "text that is no number";
}

TEST_F(RegistryTest, CommandBarsBlobRoundTripsByteExact)
{
    const QByteArray blob("\x00\x01\xff layout \n\r", 13);
    EXPECT_TRUE(open().commandBars().isEmpty());
    open().setCommandBars(blob);
    EXPECT_EQ(open().commandBars(), blob);
}

TEST_F(RegistryTest, RecentFilesKeepFourInOrder)
{
    open().setRecentFiles({u"/a"_s, u"/b"_s, u"/c"_s, u"/d"_s, u"/e"_s});
    EXPECT_EQ(open().recentFiles(), (QStringList{u"/a"_s, u"/b"_s, u"/c"_s, u"/d"_s}));
    open().setRecentFiles({u"/z"_s});
    EXPECT_EQ(open().recentFiles(), QStringList{u"/z"_s});
    QSettings raw(ini(), QSettings::IniFormat);
    EXPECT_EQ(raw.value(u"Recent File List/File1"_s).toString(), u"/z"_s);
    EXPECT_FALSE(raw.contains(u"Recent File List/File2"_s));
}

} // namespace
} // namespace pw
