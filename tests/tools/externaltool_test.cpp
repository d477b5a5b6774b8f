// The tool list in the settings file: what loadTools reports, the stored layout, the defaults.
#include "tools/engine/externaltool.h"
#include "tools/engine/toolcommand.h"

#include "settings/xmlsettingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pw {
namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

ExternalTool tool(const char *name, const char *cmd, const char *args, const char *dir, int type,
                  int icon)
{
    ExternalTool t;
    t.name = QString::fromUtf8(name);
    t.cmd = QString::fromUtf8(cmd);
    t.args = QString::fromUtf8(args);
    t.dir = QString::fromUtf8(dir);
    t.type = type;
    t.icon = icon;
    return t;
}

class ToolListTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path() const { return dir.filePath(QStringLiteral("AppSettings.xml")); }
    QTemporaryDir dir;
};

TEST_F(ToolListTest, LoadReportsFoundAbsentAndUnusable)
{
    const struct
    {
        const char *name;
        QByteArray file; // empty: no file at all
        ToolLoadResult expected;
        qsizetype tools; // appended
    } rows[] = {
        {"no settings file", {}, ToolLoadResult::Absent, 0},
        {"file without the section",
         "<appSettings><GenSettings><a><![CDATA[1]]></a></GenSettings></appSettings>",
         ToolLoadResult::Absent, 0},
        {"malformed file reads as empty", "<appSettings><ExternalTools>", ToolLoadResult::Absent, 0},
        {"empty section", "<appSettings><ExternalTools/></appSettings>", ToolLoadResult::Found, 0},
        {"section with tools and other elements",
         "<appSettings><ExternalTools><Tool cmd=\"make\" type=\"1\"><![CDATA[Make]]></Tool>"
         "<Other/><Tool/></ExternalTools></appSettings>",
         ToolLoadResult::Found, 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(path());
        if (!row.file.isEmpty())
            writeFile(path(), row.file);
        XmlSettingsStore store(path());
        ToolList tools{tool("Kept", "k", "", "", 0, 0)}; // loading appends
        EXPECT_EQ(loadTools(store, tools), row.expected);
        EXPECT_EQ(tools.size(), row.tools + 1);
    }

    XmlSettingsStore unusable{QString()};
    ToolList tools;
    EXPECT_EQ(loadTools(unusable, tools), ToolLoadResult::Unusable);
}

TEST_F(ToolListTest, SaveWritesTheElementLayoutAndRoundTrips)
{
    const ToolList tools{tool("Build & <run>", "make", "-C \"$FileDir\"", "$AppDir", 0, 8000),
                         tool("Open", "xdg-open", "$FileDir", "", 2, 0)};
    {
        XmlSettingsStore store(path());
        ASSERT_TRUE(store.writeInt(QStringLiteral("GenSettings"), QStringLiteral("x"), 5));
        ASSERT_TRUE(saveTools(store, {tool("Old", "old", "", "", 1, 0)}));
        ASSERT_TRUE(saveTools(store, tools)); // replaces, does not add
    }
    const QByteArray file = readFile(path());
    EXPECT_TRUE(file.contains("    <ExternalTools>\n        <Tool icon=\"8000\" "
                              "args=\"-C &quot;$FileDir&quot;\" dir=\"$AppDir\" cmd=\"make\" "
                              "type=\"0\"><![CDATA[Build & <run>]]></Tool>\n"))
        << file.constData();
    EXPECT_FALSE(file.contains("Old"));
    XmlSettingsStore store(path());
    ToolList loaded;
    ASSERT_EQ(loadTools(store, loaded), ToolLoadResult::Found);
    EXPECT_EQ(loaded, tools);
    EXPECT_EQ(store.getInt(QStringLiteral("GenSettings"), QStringLiteral("x"), 0), 5);

    // An empty list still leaves the section, so the next start does not bring the defaults back.
    ASSERT_TRUE(saveTools(store, {}));
    loaded.clear();
    EXPECT_EQ(loadTools(store, loaded), ToolLoadResult::Found);
    EXPECT_TRUE(loaded.isEmpty());
}

TEST(DefaultTools, RunTheUsersShellAndOpenTheDocumentsFolder)
{
    const QByteArray savedShell = qgetenv("SHELL");
    for (const char *shell : {"/usr/bin/fish", ""}) {
        SCOPED_TRACE(shell);
        qputenv("SHELL", shell);
        ToolList tools;
        appendDefaultTools(tools);
        ASSERT_EQ(tools.size(), 2);
        EXPECT_EQ(tools[0].cmd, *shell ? QString::fromUtf8(shell) : QStringLiteral("/bin/sh"));
        EXPECT_EQ(outputModeOf(tools[0]), ToolOutputMode::OutputWindow);
        EXPECT_EQ(outputModeOf(tools[1]), ToolOutputMode::RunExternally);

        const ToolLaunch withDoc = expandTool(tools[1], {QStringLiteral("/a b/c.txt"), {}});
        EXPECT_EQ(withDoc.program, QStringLiteral("xdg-open"));
        EXPECT_EQ(withDoc.arguments, QStringList{QStringLiteral("/a b/")});
        EXPECT_TRUE(expandTool(tools[1], {}).arguments.isEmpty());
    }
    qputenv("SHELL", savedShell);
}

} // namespace
} // namespace pw
