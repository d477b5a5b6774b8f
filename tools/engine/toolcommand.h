// A tool's command line made concrete: document variables, word splitting and the program's path.
#pragma once

#include "tools/engine/externaltool.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace pw {

// A file path cut the way the C runtime's path splitter cuts it, without a drive on this
// platform. Empty path, empty parts. "/src/a.txt" gives directory "/src/" (leading and trailing
// separator kept), name "a", extension ".txt"; "a.txt" gives an empty directory; the extension
// starts at the last dot of the final component ("x.tar.gz": name "x.tar", extension ".gz"; a
// name that is only ".bashrc" is all extension).
struct FileParts
{
    QString directory;
    QString name;
    QString extension;

    friend bool operator==(const FileParts &, const FileParts &) = default;
};
FileParts splitFilePath(const QString &path);

// The facts a tool's arguments may refer to.
struct ToolVariables
{
    QString filePath; // the active document's file, empty when there is none or it is untitled
    QString appDir;   // the program's current directory
};

// Splits argument text into words as a POSIX shell splits a command line, and nothing more:
// blanks (space, tab, newline) separate words; '...' keeps everything literally; "..." keeps
// everything but a backslash before one of  " \ $ `  or a newline; outside quotes a backslash
// keeps the next character literally and a backslash-newline vanishes. A quote left open runs
// to the end of the text, a backslash at the very end stays. Nothing else is special: no globs,
// no ";", "|", "&", "<", ">", "~", "#", "$(...)" or shell variables, so the words are exactly
// what the user typed. Never fails.
QStringList splitArguments(QStringView text);

// Splits the text into words as splitArguments does, then replaces the variables inside each
// word: "$FilePath", "$AppDir", "$FileName" (name and extension), "$FileExt" (with its dot),
// "$FileShortName" and "$FileDir" (see FileParts). Replacement is case-sensitive, of every
// occurrence, in quoted and unquoted text alike, except for a "$" written as \$ (outside single
// quotes), which stays literal. Replaced text is never scanned again and never split, so any
// file name reaches the program as the single word, or part of the word, the variable stood in.
// A word that has no quotes and becomes empty is dropped ($FilePath with no document gives no
// argument); a quoted one stays as an empty argument ("$FilePath" gives "").
QStringList expandArguments(QStringView argumentText, const ToolVariables &variables);

// Everything needed to start a tool: the program, its argument vector and where it runs.
struct ToolLaunch
{
    QString program;          // the tool's command exactly as typed: never split or expanded
    QStringList arguments;    // the expanded argument words
    QString workingDirectory; // the initial directory with "$AppDir" replaced; empty = ours

    friend bool operator==(const ToolLaunch &, const ToolLaunch &) = default;
};

// The launch of the tool for the variables: what running the tool from the Tools menu starts.
ToolLaunch expandTool(const ExternalTool &tool, const ToolVariables &variables);

// The file a launch would execute, found without a shell: a program holding a "/" is taken
// relative to the working directory (or ours when it is empty); any other is looked up in the
// folders of PATH only (no silent fall-back to the current directory). errorNumber is the errno the start would fail with
// (ENOENT for a missing program or working directory, ENOTDIR, EACCES for a file that is not
// executable or a directory), 0 when path is usable.
struct ResolvedProgram
{
    QString path; // absolute path of the executable, empty on failure
    int errorNumber = 0;
};
ResolvedProgram resolveProgram(const QString &program, const QString &workingDirectory);

} // namespace pw
