// The per-user application key layer, pointed at a temporary INI file.
#include "settings/registrysettings.h"
#include "tests/settings/settingstestutil.h"

#include <QSettings>
#include <algorithm>

namespace pw {
namespace {

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_ini = m_dir.filePath(QStringLiteral("Penwright.conf"));
    }

    // A fresh instance each time, so every check reads what reached the file.
    RegistrySettings open() const { return RegistrySettings(m_ini); }
    const QString &ini() const { return m_ini; }

private:
    QTemporaryDir m_dir;
    QString m_ini;
};

const QStringList AwkwardPaths{
    QStringLiteral("/home/user/notes.txt"),
    QStringLiteral("/home/user/My Documents/a b.txt"),
    QStringLiteral("C:\\Users\\Ann\\Desktop\\x.txt"),
    QStringLiteral("/home/ünïcödé/日本語/файл.txt"),
    QStringLiteral("/tmp/100%/%2F literally/%5c.txt"),
    QStringLiteral("/odd/name=with;ini#chars[1].txt"),
    QStringLiteral(" /leading and trailing blanks "),
    QStringLiteral("/home/user/NOTES.txt"),
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
    EXPECT_FALSE(QSettings(ini(), QSettings::IniFormat)
                     .childGroups()
                     .contains(QStringLiteral("FilesToOpen")));
}

TEST_F(RegistryTest, FilesToOpenValueNamesDecodeToTheirData)
{
    open().addFileToOpen(QStringLiteral("/a/b%c\\d"));
    QSettings raw(ini(), QSettings::IniFormat);
    raw.beginGroup(QStringLiteral("FilesToOpen"));
    const QStringList keys = raw.childKeys();
    ASSERT_EQ(keys.size(), 1);
    EXPECT_EQ(RegistrySettings::decodeValueName(keys.first()), QStringLiteral("/a/b%c\\d"));
    EXPECT_EQ(raw.value(keys.first()).toString(), QStringLiteral("/a/b%c\\d"));
}

TEST(RegistryValueNames, EncodeSeparatorsAndPercentAndDecodeBack)
{
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("12"), QStringLiteral("12")},
        {QStringLiteral("/a/b.txt"), QStringLiteral("%2Fa%2Fb.txt")},
        {QStringLiteral("C:\\a b\\c"), QStringLiteral("C:%5Ca b%5Cc")},
        {QStringLiteral("%2F%%5C"), QStringLiteral("%252F%25%255C")},
        {QStringLiteral("/ü/日"), QStringLiteral("%2Fü%2F日")},
        {QString(), QString()},
    };
    for (const auto &[plain, encoded] : rows) {
        EXPECT_EQ(RegistrySettings::encodeValueName(plain), encoded);
        EXPECT_EQ(RegistrySettings::decodeValueName(encoded), plain);
    }
}

TEST_F(RegistryTest, MainWindowPlacementIsStoredByteExact)
{
    WindowPlacement p = WindowPlacement::fromGeometry(QRect(5, 6, 700, 500), true);
    open().setWindowPosition(p);
    QSettings raw(ini(), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Settings/Window Position")).toByteArray(), p.encode());
    const auto back = open().windowPosition();
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, p);
}

TEST_F(RegistryTest, PlacementOfAnyOtherSizeIsIgnored)
{
    {
        QSettings raw(ini(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Settings/Window Position"), QByteArray(43, '\0'));
        raw.setValue(QStringLiteral("FindDialog/WindowPlacement"), QByteArray(45, '\0'));
    }
    EXPECT_FALSE(open().windowPosition().has_value());
    EXPECT_FALSE(open().dialogPlacement(QStringLiteral("FindDialog")).has_value());
    EXPECT_FALSE(open().dialogPlacement(QStringLiteral("ReplaceDialog")).has_value());
}

TEST_F(RegistryTest, EachDialogKeepsItsOwnPlacement)
{
    const QStringList names{QStringLiteral("FindDialog"), QStringLiteral("ReplaceDialog"),
                            QStringLiteral("MacroDialog")};
    for (int i = 0; i < names.size(); ++i)
        open().setDialogPlacement(names[i],
                                  WindowPlacement::fromGeometry(QRect(i, i, 100 + i, 50), false));
    QSettings raw(ini(), QSettings::IniFormat);
    for (int i = 0; i < names.size(); ++i) {
        const auto p = open().dialogPlacement(names[i]);
        ASSERT_TRUE(p.has_value()) << names[i].toStdString();
        EXPECT_EQ(p->normalGeometry(), QRect(i, i, 100 + i, 50));
        EXPECT_EQ(raw.value(names[i] + QStringLiteral("/WindowPlacement")).toByteArray().size(),
                  44);
    }
}

TEST_F(RegistryTest, AppPathIsReadFromTheSettingsKey)
{
    EXPECT_EQ(open().appPath(), QString());
    {
        QSettings raw(ini(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Settings/AppPath"), QStringLiteral("/usr/lib/penwright"));
    }
    EXPECT_EQ(open().appPath(), QStringLiteral("/usr/lib/penwright"));
}

TEST_F(RegistryTest, BackupBookkeepingRoundTripsAndClears)
{
    EXPECT_EQ(open().nextBackupFolderId(), 0);
    open().setNextBackupFolderId(7);
    EXPECT_EQ(open().nextBackupFolderId(), 7);

    const QString doc = QStringLiteral("/home/u/My Files/report.txt");
    EXPECT_EQ(open().backupFolderValue(doc, -1), -1);
    open().setBackupFolderValue(doc, 3);
    open().setBackupFolderValue(QStringLiteral("3"), 12);
    EXPECT_EQ(open().backupFolderValue(doc, -1), 3);
    EXPECT_EQ(open().backupFolderValue(QStringLiteral("3"), 0), 12);

    open().removeBackupFolderValue(doc);
    EXPECT_EQ(open().backupFolderValue(doc, -1), -1);
    EXPECT_EQ(open().backupFolderValue(QStringLiteral("3"), 0), 12);
    open().removeAllBackupFolders();
    EXPECT_EQ(open().backupFolderValue(QStringLiteral("3"), 0), 0);
    EXPECT_EQ(open().nextBackupFolderId(), 7) << "the counter lives elsewhere";

    QSettings(ini(), QSettings::IniFormat)
        .setValue(QStringLiteral("BackupSettings/NextFolderId"), QStringLiteral("abc"));
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
    open().setRecentFiles({QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c"),
                           QStringLiteral("/d"), QStringLiteral("/e")});
    EXPECT_EQ(open().recentFiles(), (QStringList{QStringLiteral("/a"), QStringLiteral("/b"),
                                                 QStringLiteral("/c"), QStringLiteral("/d")}));
    open().setRecentFiles({QStringLiteral("/z")});
    EXPECT_EQ(open().recentFiles(), QStringList{QStringLiteral("/z")});
    QSettings raw(ini(), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Recent File List/File1")).toString(), QStringLiteral("/z"));
    EXPECT_FALSE(raw.contains(QStringLiteral("Recent File List/File2")));
}

} // namespace
} // namespace pw
