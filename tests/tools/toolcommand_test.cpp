// Argument words, document variables and program lookup of a tool's command line.
#include "tools/engine/toolcommand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

namespace pw {
namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

QStringList words(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *w : list)
        out << s(w);
    return out;
}

TEST(SplitArguments, SplitsAsAShellWouldWithoutInterpretingAnything)
{
    const struct
    {
        const char *name;
        const char *text;
        QStringList expected;
    } rows[] = {
        {"blanks separate", "a b\t c\nd", words({"a", "b", "c", "d"})},
        {"nothing", "", {}},
        {"only blanks", " \t\n ", {}},
        {"double quotes keep blanks", "\"a  b\" c", words({"a  b", "c"})},
        {"single quotes keep everything", "'a \"b\" \\n $x'", words({"a \"b\" \\n $x"})},
        {"backslash keeps a blank", "a\\ b c", words({"a b", "c"})},
        {"backslash keeps a quote", "\\\"a\\'", words({"\"a'"})},
        {"escapes inside double quotes", "\"a\\\"b\\\\c\\$d\\`e\"", words({"a\"b\\c$d`e"})},
        {"other backslashes in double quotes stay", "\"a\\nb\\ c\"", words({"a\\nb\\ c"})},
        {"backslash in single quotes stays", "'a\\'", words({"a\\"})},
        {"empty quotes are an argument", "\"\" '' x", words({"", "", "x"})},
        {"quotes join with their word", "a\"\"b'c d'e", words({"abc de"})},
        {"shell syntax is plain text",
         "a;b|c>d<e&f *.txt ~ #x $(y) `z` $HOME && ||",
         words({"a;b|c>d<e&f", "*.txt", "~", "#x", "$(y)", "`z`", "$HOME", "&&", "||"})},
        {"open double quote runs to the end", "x \"a b", words({"x", "a b"})},
        {"open single quote runs to the end", "x 'a b", words({"x", "a b"})},
        {"backslash at the end stays", "a\\", words({"a\\"})},
        {"continued line joins", "a\\\nb", words({"ab"})},
        {"continued line between words", "a \\\n b", words({"a", "b"})},
        {"continued line in double quotes", "\"a\\\nb\"", words({"ab"})},
        {"non-ASCII text", "\"caf\xc3\xa9 \xf0\x9f\x98\x80\" \xe2\x82\xac",
         words({"caf\xc3\xa9 \xf0\x9f\x98\x80", "\xe2\x82\xac"})},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(splitArguments(s(row.text)), row.expected);
    }
}

TEST(SplitFilePath, CutsAsTheCRuntimePathSplitterDoes)
{
    const struct
    {
        const char *path;
        FileParts expected;
    } rows[] = {
        {"/src/a.txt", {s("/src/"), s("a"), s(".txt")}},
        {"a.txt", {s(""), s("a"), s(".txt")}},
        {"", {}},
        {"/w/x.tar.gz", {s("/w/"), s("x.tar"), s(".gz")}},
        {"/a.b/c", {s("/a.b/"), s("c"), s("")}},
        {"rel/dir/f", {s("rel/dir/"), s("f"), s("")}},
        {"/f.", {s("/"), s("f"), s(".")}},
        {"/home/.bashrc", {s("/home/"), s(""), s(".bashrc")}},
        {"/dir/", {s("/dir/"), s(""), s("")}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(splitFilePath(s(row.path)), row.expected);
    }
}

TEST(ExpandArguments, ReplacesEachVariableInsideItsWord)
{
    const ToolVariables doc{s("/home/u/src/x.tar.gz"), s("/work dir")};
    const ToolVariables bare{s("a.txt"), s("/work")};
    const ToolVariables none{QString(), s("/work")};
    const struct
    {
        const char *name;
        ToolVariables vars;
        const char *args;
        QStringList expected;
    } rows[] = {
        {"file path", doc, "$FilePath", words({"/home/u/src/x.tar.gz"})},
        {"short name and extension", doc, "$FileShortName$FileExt", words({"x.tar.gz"})},
        {"each part", doc, "$FileName $FileShortName $FileExt $FileDir",
         words({"x.tar.gz", "x.tar", ".gz", "/home/u/src/"})},
        {"app dir with a blank stays one word", doc, "-C $AppDir", words({"-C", "/work dir"})},
        {"inside a longer word", doc, "-o$FileShortName.o --in=$FilePath",
         words({"-ox.tar.o", "--in=/home/u/src/x.tar.gz"})},
        {"in quotes of both kinds", doc, "\"$FileExt x\" '$FileExt'", words({".gz x", ".gz"})},
        {"every occurrence", doc, "$FileExt$FileExt", words({".gz.gz"})},
        {"case-sensitive", doc, "$filepath $FILENAME", words({"$filepath", "$FILENAME"})},
        {"escaped dollar stays", doc, "\\$FileName \"\\$FileExt\"", words({"$FileName", "$FileExt"})},
        {"unknown names and lone dollars stay", doc, "$Foo $ a$", words({"$Foo", "$", "a$"})},
        {"path without a folder", bare, "$FileName [$FileDir] $FileDir",
         words({"a.txt", "[]"})},
        {"empty directory kept when quoted", bare, "\"$FileDir\"", words({""})},
        {"no document: file words vanish", none, "$FilePath $FileName $AppDir",
         words({"/work"})},
        {"no document: quoted file words stay empty", none, "\"$FilePath\" x", words({"", "x"})},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(expandArguments(s(row.args), row.vars), row.expected);
    }
}

TEST(ExpandArguments, AFileNameIsOneLiteralArgumentWhateverItHolds)
{
    const char *names[] = {
        "a; rm -rf ~.txt",
        "$(touch x).txt",
        "`touch y`.txt",
        "it's \"quoted\" x.txt",
        "back\\slash *.txt",
        "$FileDir.txt", // replaced text is not scanned again
        "two\nlines.txt",
        "-rf",
    };
    for (const char *name : names) {
        SCOPED_TRACE(name);
        const ToolVariables vars{QStringLiteral("/tmp/dir with blank/") + s(name), s("/w")};
        EXPECT_EQ(expandArguments(u"$FileName", vars), QStringList{s(name)});
        EXPECT_EQ(expandArguments(u"--file=$FilePath", vars),
                  QStringList{QStringLiteral("--file=") + vars.filePath});
        EXPECT_EQ(expandArguments(u"\"$FileShortName\"$FileExt", vars).size(), 1);
    }
}

TEST(ExpandTool, KeepsTheProgramAsTypedAndReplacesOnlyAppDirInTheDirectory)
{
    ExternalTool tool;
    tool.cmd = s("my tool $FileName");
    tool.args = s("-v \"$FileName\"");
    tool.dir = s("$AppDir/build/$FileDir");
    const ToolLaunch launch = expandTool(tool, {s("/p/q.c"), s("/app")});
    EXPECT_EQ(launch.program, s("my tool $FileName"));
    EXPECT_EQ(launch.arguments, words({"-v", "q.c"}));
    EXPECT_EQ(launch.workingDirectory, s("/app/build/$FileDir"));
}

class ResolveProgramTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString make(const char *name, bool executable)
    {
        const QString path = dir.filePath(s(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho hi\n");
        f.close();
        QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            perms |= QFile::ExeOwner;
        f.setPermissions(perms);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(ResolveProgramTest, FindsProgramsWithoutAShellAndNamesTheErrorNumber)
{
    const QString script = make("script", true);
    const QString plain = make("plain", false);
    const QString missingDir = dir.filePath(s("nowhere"));
    const struct
    {
        const char *name;
        QString program;
        QString workingDirectory;
        QString expectedPath; // empty: only checked to be absolute
        int expectedError;
    } rows[] = {
        {"on PATH", s("sh"), {}, {}, 0},
        {"absolute", script, {}, script, 0},
        {"relative to the working directory", s("./script"), dir.path(), script, 0},
        {"missing on PATH", s("penwright-no-such-program"), {}, {}, ENOENT},
        {"missing path", s("/nonexistent/tool"), {}, {}, ENOENT},
        {"empty", QString(), {}, {}, ENOENT},
        {"not executable", plain, {}, {}, EACCES},
        {"a directory", dir.path(), {}, {}, EACCES},
        {"missing working directory", s("sh"), missingDir, {}, ENOENT},
        {"working directory is a file", s("sh"), plain, {}, ENOTDIR},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const ResolvedProgram r = resolveProgram(row.program, row.workingDirectory);
        EXPECT_EQ(r.errorNumber, row.expectedError);
        if (row.expectedError) {
            EXPECT_TRUE(r.path.isEmpty());
        } else if (!row.expectedPath.isEmpty()) {
            EXPECT_EQ(r.path, row.expectedPath);
        } else {
            EXPECT_TRUE(QDir::isAbsolutePath(r.path)) << r.path.toStdString();
        }
    }
}

TEST_F(ResolveProgramTest, AProgramNameIsNeverTakenFromTheCurrentDirectory)
{
    make("penwright-local-tool", true);
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const ResolvedProgram r = resolveProgram(s("penwright-local-tool"), {});
    QDir::setCurrent(before);
    EXPECT_EQ(r.errorNumber, ENOENT);
}

} // namespace
} // namespace pw
