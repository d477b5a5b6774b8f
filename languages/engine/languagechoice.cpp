// Choosing a file's language: extension, whole file name, then the clues of the first line.
#include "languages/engine/languagechoice.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace pw {

namespace {

// The extension each common interpreter or editor mode name stands for. Going through an
// extension keeps the choice inside the language files: whoever edits them moves these too.
struct HintExtension
{
    const char *hint;
    const char *extension;
};

constexpr HintExtension kHints[] = {
    {"sh", ".sh"},         {"bash", ".sh"},         {"zsh", ".sh"},
    {"ksh", ".sh"},        {"dash", ".sh"},         {"ash", ".sh"},
    {"mksh", ".sh"},       {"shell-script", ".sh"}, {"shell", ".sh"},
    {"python", ".py"},     {"py", ".py"},           {"pypy", ".py"},
    {"perl", ".pl"},       {"cperl", ".pl"},        {"ruby", ".rb"},
    {"tcl", ".tcl"},       {"tclsh", ".tcl"},       {"wish", ".tcl"},
    {"expect", ".tcl"},    {"jimsh", ".tcl"},       {"lua", ".lua"},
    {"luajit", ".lua"},    {"node", ".js"},         {"nodejs", ".js"},
    {"js", ".js"},         {"javascript", ".js"},   {"xml", ".xml"},
    {"nxml", ".xml"},      {"html", ".html"},       {"c", ".c"},
    {"c++", ".cpp"},       {"cpp", ".cpp"},         {"make", ".mk"},
    {"makefile", ".mk"},   {"gmake", ".mk"},        {"cmake", ".cmake"},
    {"yaml", ".yml"},      {"markdown", ".md"},     {"json", ".json"},
    {"conf", ".ini"},      {"dosini", ".ini"},      {"ini", ".ini"},
    {"emacs-lisp", ".el"}, {"lisp", ".lisp"},       {"tex", ".tex"},
    {"latex", ".tex"},     {"plaintex", ".tex"},    {"typescript", ".ts"},
    {"pwsh", ".ps1"},      {"powershell", ".ps1"},  {"php", ".php"},
    {"sql", ".sql"},       {"fortran", ".f90"},     {"f90", ".f90"},
    {"pascal", ".pas"},    {"diff", ".diff"},       {"dockerfile", ".sh"},
    {"java", ".java"},     {"css", ".css"},         {"text", ".txt"},
};

// "python3.11" -> "python", "tclsh8.6" -> "tclsh": the program, whatever its version.
QString withoutVersion(QString word)
{
    while (!word.isEmpty() && (word.back().isDigit() || word.back() == u'.' || word.back() == u'-'))
        word.chop(1);
    return word;
}

QString hintOfShebang(const QString &line)
{
    const QStringList words =
        line.mid(2).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    QString program = words.front().section(u'/', -1);
    if (program == u"env") {
        program.clear();
        // env's own options ("-S", "-i") and variable settings come before the program.
        for (qsizetype i = 1; i < words.size(); ++i) {
            if (words[i].startsWith(u'-') || words[i].contains(u'='))
                continue;
            program = words[i].section(u'/', -1);
            break;
        }
    }
    return withoutVersion(program.toLower());
}

QString hintOfEmacs(const QString &line)
{
    const qsizetype open = line.indexOf(QLatin1String("-*-"));
    if (open < 0)
        return {};
    const qsizetype close = line.indexOf(QLatin1String("-*-"), open + 3);
    if (close < 0)
        return {};
    const QString inner = line.mid(open + 3, close - open - 3).trimmed();
    if (!inner.contains(u':'))
        return inner.toLower();
    for (const QString &pair : inner.split(u';', Qt::SkipEmptyParts)) {
        const QString key = pair.section(u':', 0, 0).trimmed();
        if (key.compare(QLatin1String("mode"), Qt::CaseInsensitive) == 0)
            return pair.section(u':', 1).trimmed().toLower();
    }
    return {};
}

QString hintOfVim(const QString &line)
{
    static const QRegularExpression modeline(
        QStringLiteral("(?:^|\\s)(?:vim?|ex):\\s*(?:set?\\s+)?(.*)$"));
    const QRegularExpressionMatch found = modeline.match(line);
    if (!found.hasMatch())
        return {};
    static const QRegularExpression type(
        QStringLiteral("(?:^|[\\s:])(?:ft|filetype|syntax|syn)=([A-Za-z0-9_+.-]+)"));
    const QRegularExpressionMatch setting = type.match(found.captured(1));
    return setting.hasMatch() ? setting.captured(1).toLower() : QString();
}

} // namespace

QString firstLineOf(const QByteArray &head)
{
    QString text;
    if (head.startsWith("\xFF\xFE"))
        text = QStringDecoder(QStringDecoder::Utf16LE).decode(head.mid(2));
    else if (head.startsWith("\xFE\xFF"))
        text = QStringDecoder(QStringDecoder::Utf16BE).decode(head.mid(2));
    else if (head.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(head.mid(3));
    else
        text = QString::fromUtf8(head);
    // A plain scan: a regular expression refuses text with unpaired surrogates, which a
    // mislabelled UTF-16 head decodes to, and would then report no line end at all.
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != u'\n' && text.at(end) != u'\r')
        ++end;
    return text.left(end);
}

QString readFirstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return firstLineOf(file.read(FirstLineBytes));
}

QString languageHintOf(const QString &firstLine)
{
    if (firstLine.startsWith(QLatin1String("#!")))
        return hintOfShebang(firstLine);
    const QString trimmed = firstLine.trimmed();
    if (trimmed.startsWith(QLatin1String("<?xml")))
        return QStringLiteral("xml");
    if (trimmed.startsWith(QLatin1String("<!DOCTYPE html"), Qt::CaseInsensitive))
        return QStringLiteral("html");
    const QString emacs = hintOfEmacs(firstLine);
    return emacs.isEmpty() ? hintOfVim(firstLine) : emacs;
}

int indexOfHint(const LanguageList &list, const QString &hint)
{
    if (hint.isEmpty())
        return -1;
    // Emacs names its modes "python-mode" at times, and "sh-mode" means the same as "sh".
    QString key = hint;
    if (key.endsWith(QLatin1String("-mode")))
        key.chop(5);
    for (const HintExtension &entry : kHints) {
        if (key == QLatin1String(entry.hint)) {
            const int index = list.indexOfExtension(QLatin1String(entry.extension));
            if (index >= 0)
                return index;
            break;
        }
    }
    const int labelled = list.indexOfMenuLabel(key);
    if (labelled >= 0)
        return labelled;
    return list.indexOfExtension(QLatin1Char('.') + key);
}

LanguageChoice chooseLanguage(const LanguageList &list, const QString &path,
                              const QString &firstLine)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString extension = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    const int byExtension = list.indexOfExtension(extension);
    int index = byExtension;
    if (index < 0 || list.get(index).matchesExtension(QStringLiteral(".*"))) {
        index = list.indexOfFileName(info.fileName());
        if (index < 0)
            index = indexOfHint(list, languageHintOf(firstLine));
        if (index < 0)
            index = byExtension;
    }
    if (index < 0)
        return chooseLanguageByExtension(list, QString());
    return LanguageChoice{index, list.get(index).lexerId};
}

} // namespace pw
