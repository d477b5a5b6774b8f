// A tool's command line made concrete: document variables, word splitting and the program's path.
#include "tools/engine/toolcommand.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

namespace pw {

namespace {

bool isSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == u'/' || c == u'\\';
#else
    return c == u'/';
#endif
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// One word as typed, its quoting removed. A "$" the user escaped is remembered by position so
// that it is not taken for the start of a variable.
struct RawWord
{
    QString text;
    QList<qsizetype> literalDollars;
    bool quoted = false;
};

template<typename OnWord>
void scanWords(QStringView text, OnWord onWord)
{
    RawWord word;
    bool inWord = false;
    auto finishWord = [&] {
        if (inWord)
            onWord(word);
        word = RawWord();
        inWord = false;
    };
    auto appendEscaped = [&word](QChar c) {
        if (c == u'$')
            word.literalDollars.append(word.text.size());
        word.text.append(c);
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < n && text[i + 1] == u'\n') {
            i += 2; // a continued line joins the words around it
            continue;
        }
        if (isBlank(c)) {
            finishWord();
            ++i;
            continue;
        }
        inWord = true;
        if (c == u'\\') {
            if (i + 1 < n)
                appendEscaped(text[i + 1]);
            else
                word.text.append(c);
            i += 2;
        } else if (c == u'\'') {
            word.quoted = true;
            for (++i; i < n && text[i] != u'\''; ++i)
                word.text.append(text[i]);
            ++i;
        } else if (c == u'"') {
            word.quoted = true;
            for (++i; i < n && text[i] != u'"'; ++i) {
                if (text[i] == u'\\' && i + 1 < n) {
                    const QChar next = text[i + 1];
                    if (next == u'\n') {
                        ++i;
                        continue;
                    }
                    if (next == u'"' || next == u'\\' || next == u'$' || next == u'`') {
                        appendEscaped(next);
                        ++i;
                        continue;
                    }
                }
                word.text.append(text[i]);
            }
            ++i;
        } else {
            word.text.append(c);
            ++i;
        }
    }
    finishWord();
}

struct Variable
{
    QStringView name;
    QString value;
};

// One pass over the word: replaced text is appended, never looked at again.
QString substitute(const RawWord &word, const QList<Variable> &variables)
{
    if (!word.text.contains(u'$'))
        return word.text;
    QString out;
    out.reserve(word.text.size());
    const QStringView text(word.text);
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != u'$' || word.literalDollars.contains(i)) {
            out.append(c);
            ++i;
            continue;
        }
        const Variable *hit = nullptr;
        for (const Variable &v : variables) {
            if (text.sliced(i).startsWith(v.name)) {
                hit = &v;
                break;
            }
        }
        if (hit) {
            out.append(hit->value);
            i += hit->name.size();
        } else {
            out.append(c);
            ++i;
        }
    }
    return out;
}

} // namespace

FileParts splitFilePath(const QString &path)
{
    qsizetype cut = path.size();
    while (cut > 0 && !isSeparator(path[cut - 1]))
        --cut;
    FileParts parts;
    parts.directory = path.left(cut);
#ifdef Q_OS_WIN
    if (parts.directory.size() >= 2 && parts.directory[1] == u':')
        parts.directory.remove(0, 2);
#endif
    const QString file = path.mid(cut);
    const qsizetype dot = file.lastIndexOf(u'.');
    parts.name = dot < 0 ? file : file.left(dot);
    parts.extension = dot < 0 ? QString() : file.mid(dot);
    return parts;
}

QStringList splitArguments(QStringView text)
{
    QStringList words;
    scanWords(text, [&words](const RawWord &w) { words.append(w.text); });
    return words;
}

QStringList expandArguments(QStringView argumentText, const ToolVariables &variables)
{
    const FileParts parts = splitFilePath(variables.filePath);
    // Earlier names win where two could start at one place; no name here is a prefix of another,
    // so the order only mirrors the order the variables have always been documented in.
    const QList<Variable> table = {
        {u"$FilePath", variables.filePath},
        {u"$AppDir", variables.appDir},
        {u"$FileName", parts.name + parts.extension},
        {u"$FileExt", parts.extension},
        {u"$FileShortName", parts.name},
        {u"$FileDir", parts.directory},
    };
    QStringList words;
    scanWords(argumentText, [&](const RawWord &w) {
        QString word = substitute(w, table);
        if (!word.isEmpty() || w.quoted)
            words.append(std::move(word));
    });
    return words;
}

ToolLaunch expandTool(const ExternalTool &tool, const ToolVariables &variables)
{
    ToolLaunch launch;
    launch.program = tool.cmd;
    launch.arguments = expandArguments(tool.args, variables);
    launch.workingDirectory = tool.dir;
    launch.workingDirectory.replace(QStringLiteral("$AppDir"), variables.appDir);
    return launch;
}

ResolvedProgram resolveProgram(const QString &program, const QString &workingDirectory)
{
    if (!workingDirectory.isEmpty()) {
        const QFileInfo dir(workingDirectory);
        if (!dir.exists())
            return {{}, ENOENT};
        if (!dir.isDir())
            return {{}, ENOTDIR};
    }
    if (program.isEmpty())
        return {{}, ENOENT};
    bool hasFolder = program.contains(u'/');
#ifdef Q_OS_WIN
    hasFolder = hasFolder || program.contains(u'\\');
#endif
    if (!hasFolder) {
        const QString found = QStandardPaths::findExecutable(program);
        return found.isEmpty() ? ResolvedProgram{{}, ENOENT} : ResolvedProgram{found, 0};
    }
    const QDir base(workingDirectory.isEmpty() ? QDir::currentPath() : workingDirectory);
    const QFileInfo file(base, program);
    if (!file.exists())
        return {{}, ENOENT};
    if (file.isDir() || !file.isExecutable())
        return {{}, EACCES};
    return {file.absoluteFilePath(), 0};
}

} // namespace pw
