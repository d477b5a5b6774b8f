// The desktop entry: written and removed in a scratch data folder, its command line, file types
// and icons checked the way a desktop reads them.
#include "desktop/engine/desktopentry.h"
#include "desktop/engine/desktopfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pw::desktop;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString keyValue(const QString &entry, const QString &key)
{
    const QRegularExpression line(QStringLiteral("^") + key + QStringLiteral("=(.*)$"),
                                  QRegularExpression::MultilineOption);
    return line.match(entry).captured(1);
}

} // namespace

TEST(DesktopEntry, InstallsQuotedCommandAndIconThenRemovesEverything)
{
    struct Row
    {
        QString executable;
        QString execLine; // as the Desktop Entry rules spell it
    };
    const Row rows[] = {
        {QStringLiteral("/usr/bin/penwright"), QStringLiteral("/usr/bin/penwright %F")},
        {QStringLiteral("/opt/Pen Wright/bin/penwright"),
         QStringLiteral("\"/opt/Pen Wright/bin/penwright\" %F")},
        // Quoting escapes " ` $ and \ with a backslash, % is doubled, and then the key file's
        // string escapes double every backslash.
        {QStringLiteral("/home/u/100%/$HOME/a\"b\\c `d`/penwright"),
         QStringLiteral("\"/home/u/100%%/\\\\$HOME/a\\\\\"b\\\\\\\\c \\\\`d\\\\`/penwright\" %F")},
        {QStringLiteral("/srv/caf\u00e9/penwright"), QStringLiteral("/srv/caf\u00e9/penwright %F")},
    };
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.executable.toStdString());
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString data = home.path();
        EXPECT_FALSE(isDesktopEntryInstalled(data));
        QString error;
        ASSERT_TRUE(installDesktopEntry(data, row.executable, &error)) << error.toStdString();
        EXPECT_TRUE(isDesktopEntryInstalled(data));

        const QString entryFile = data + QStringLiteral("/applications/penwright.desktop");
        const QString entry = QString::fromUtf8(readAll(entryFile));
        EXPECT_EQ(keyValue(entry, QStringLiteral("Exec")), row.execLine);
        EXPECT_EQ(keyValue(entry, QStringLiteral("Icon")), QStringLiteral("penwright"));
        const QStringList types =
            keyValue(entry, QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        EXPECT_TRUE(types.contains(QStringLiteral("text/plain")));
        EXPECT_TRUE(types.contains(QStringLiteral("text/x-csrc")));
        EXPECT_TRUE(types.contains(QStringLiteral("text/x-c++src")));
        EXPECT_TRUE(types.contains(QStringLiteral("application/xml")));
        if (!validator.isEmpty()) {
            QProcess validate;
            validate.setProcessChannelMode(QProcess::MergedChannels);
            validate.start(validator, {entryFile});
            ASSERT_TRUE(validate.waitForFinished(30000));
            EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
        }

        // The drawing and every rendering, each PNG as large as its folder says.
        EXPECT_TRUE(readAll(data + QStringLiteral("/icons/hicolor/scalable/apps/penwright.svg"))
                        .contains("<svg"));
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            SCOPED_TRACE(size);
            const QByteArray png =
                readAll(data + QStringLiteral("/icons/hicolor/%1x%1/apps/penwright.png").arg(size));
            ASSERT_GE(png.size(), 24);
            EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
            const auto be32 = [&png](int at) {
                return (uchar(png[at]) << 24) | (uchar(png[at + 1]) << 16) |
                       (uchar(png[at + 2]) << 8) | uchar(png[at + 3]);
            };
            EXPECT_EQ(be32(16), size); // IHDR width
            EXPECT_EQ(be32(20), size); // IHDR height
        }

        // Installing again replaces the files in place.
        ASSERT_TRUE(installDesktopEntry(data, row.executable, &error)) << error.toStdString();
        EXPECT_EQ(filesUnder(data).filter(QStringLiteral(".png")).size(), 8);

        ASSERT_TRUE(removeDesktopEntry(data, &error)) << error.toStdString();
        EXPECT_FALSE(isDesktopEntryInstalled(data));
        EXPECT_EQ(filesUnder(data), QStringList());
        EXPECT_TRUE(removeDesktopEntry(data, &error)); // nothing left to remove
    }
}

TEST(DesktopEntry, RefusesWhatCannotStandInAnEntryAndWritesNothing)
{
    const QString refused[] = {
        QStringLiteral("bin/penwright"),            // relative to an unknown folder
        QStringLiteral("/opt/a\nb/penwright"),      // a control character
        QStringLiteral("/opt/key=value/penwright"), // "=" may not be in the program's name
        QString(),
    };
    for (const QString &executable : refused) {
        SCOPED_TRACE(executable.toStdString());
        QTemporaryDir home;
        QString error;
        EXPECT_FALSE(installDesktopEntry(home.path(), executable, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(filesUnder(home.path()), QStringList());
    }
    QString error;
    EXPECT_FALSE(
        installDesktopEntry(QStringLiteral("relative/share"), QStringLiteral("/p"), &error));
    EXPECT_FALSE(removeDesktopEntry(QString(), &error));
}

TEST(DesktopEntry, RemovalKeepsOtherFilesAndFolders)
{
    QTemporaryDir home;
    const QString data = home.path();
    const QStringList others = {QStringLiteral("applications/other.desktop"),
                                QStringLiteral("icons/hicolor/48x48/apps/other.png")};
    for (const QString &other : others) {
        ASSERT_TRUE(QDir(data).mkpath(QFileInfo(other).path()));
        QFile file(data + QLatin1Char('/') + other);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QStringList before = filesUnder(data);
    QString error;
    ASSERT_TRUE(installDesktopEntry(data, QStringLiteral("/usr/bin/penwright"), &error));
    ASSERT_TRUE(removeDesktopEntry(data, &error)) << error.toStdString();
    EXPECT_EQ(filesUnder(data), before);
}

// A failed write leaves nothing of the new entry: here the entry's folder is a file.
TEST(DesktopEntry, FailedInstallLeavesNothingBehind)
{
    QTemporaryDir home;
    QFile blocker(home.filePath(QStringLiteral("applications")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    EXPECT_FALSE(installDesktopEntry(home.path(), QStringLiteral("/usr/bin/penwright"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("applications")));
    EXPECT_EQ(filesUnder(home.path()), QStringList{QStringLiteral("applications")});
    EXPECT_FALSE(isDesktopEntryInstalled(home.path()));
}

TEST(DesktopEntry, MimeTypesFromExtensions)
{
    struct Row
    {
        QStringList extensions;
        QStringList types;
    };
    const Row rows[] = {
        {{}, {QStringLiteral("text/plain")}},
        // Case does not matter; duplicates collapse; the result is sorted.
        {{QStringLiteral(".H"), QStringLiteral(".c"), QStringLiteral(".c")},
         {QStringLiteral("text/plain"), QStringLiteral("text/x-chdr"),
          QStringLiteral("text/x-csrc")}},
        // Extensions the database gives to something else claim nothing.
        {{QStringLiteral(".as"), QStringLiteral(".ts"), QStringLiteral(".svg")},
         {QStringLiteral("text/plain")}},
        {{QStringLiteral(".py")},
         {QStringLiteral("text/plain"), QStringLiteral("text/x-python"),
          QStringLiteral("text/x-python3")}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.extensions.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(mimeTypesForExtensions(row.extensions), row.types);
    }
}

// The build reads the language files' extensions; what it read must be what they say.
TEST(DesktopEntry, ShippedExtensionsAreThoseOfTheLanguageFiles)
{
    QStringList expected;
    const QRegularExpression element(QStringLiteral("<EXTENSION>([^<]*)</EXTENSION>"));
    QDirIterator it(QStringLiteral(PENWRIGHT_SOURCE_DIR "/languages/Config"),
                    {QStringLiteral("*.config")}, QDir::Files);
    while (it.hasNext()) {
        const QString text = QString::fromUtf8(readAll(it.next()));
        for (const QString &extension : element.match(text).captured(1).split(QLatin1Char(';'))) {
            const QString e = extension.trimmed().toLower();
            if (e.startsWith(QLatin1Char('.')) && !e.contains(QLatin1Char('*')) &&
                !expected.contains(e))
                expected << e;
        }
    }
    expected.sort();
    ASSERT_GT(expected.size(), 100);
    EXPECT_EQ(shippedExtensions(), expected);
    EXPECT_TRUE(shippedMimeTypes().contains(QStringLiteral("text/x-csrc")));
}

TEST(DesktopEntry, DefaultDataHomeFollowsXdgDataHome)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QString fallback = QDir::homePath() + QStringLiteral("/.local/share");
    struct Row
    {
        const char *value; // null: unset
        QString expected;
    };
    const Row rows[] = {
        {"/tmp/x/data/", QStringLiteral("/tmp/x/data")},
        {"relative/data", fallback}, // the base directory rules ignore relative paths
        {"", fallback},
        {nullptr, fallback},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.value ? row.value : "(unset)");
        if (row.value)
            qputenv("XDG_DATA_HOME", row.value);
        else
            qunsetenv("XDG_DATA_HOME");
        EXPECT_EQ(defaultDataHome(), row.expected);
    }
    qputenv("XDG_DATA_HOME", saved);
}
