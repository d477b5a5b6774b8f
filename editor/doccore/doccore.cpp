// Text rules of the text document that need no editor: title decoration, file filters, Save As
// names.
#include "editor/doccore/doccore.h"

#include <algorithm>

namespace pw::doc {

QString decorateTitle(const QString &title, bool modified, bool readOnly)
{
    QString result = title;
    const qsizetype marker = result.indexOf(QStringLiteral("[Read Only]"));
    if (marker >= 0)
        result = result.left(std::max<qsizetype>(marker - 1, 0));
    if (result.endsWith(QLatin1Char('*')))
        result.chop(1);
    if (readOnly)
        result += QStringLiteral(" [Read Only]");
    else if (modified)
        result += QLatin1Char('*');
    return result;
}

QString plainTitle(const QString &title)
{
    QString result = title;
    result.remove(QLatin1Char('*'));
    return result;
}

std::vector<FileFilter> parseFilterString(const QString &filters)
{
    std::vector<FileFilter> result;
    const QStringList parts = filters.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            break;
        result.push_back({parts[i], parts[i + 1]});
    }
    return result;
}

QString toQtFilter(const FileFilter &filter)
{
    QString patterns = filter.pattern;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // "*.*" means every file; here many have no dot at all (Makefile, README, scripts).
    QStringList list = patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString &pattern : list)
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    patterns = list.join(QLatin1Char(' '));
    QString label = filter.label;
    // Labels usually carry their patterns already ("Text (*.txt)"); Qt reads the patterns from the
    // last parentheses, so replace them rather than add a second pair.
    const qsizetype open = label.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && label.endsWith(QLatin1Char(')')))
        label = label.left(open).trimmed();
    return label + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
}

QString defaultExtension(const QString &pattern)
{
    const qsizetype dot = pattern.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    qsizetype semicolon = pattern.indexOf(QLatin1Char(';'), dot);
    if (semicolon < 0)
        semicolon = pattern.size();
    return pattern.mid(dot + 1, semicolon - dot - 1);
}

QString applyDefaultExtension(const QString &path, const QString &extension)
{
    // Only the file's own name counts: a dot in a folder name ("~/.config/notes") is no
    // extension.
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')),
                                     path.lastIndexOf(QLatin1Char('\\')));
    if (extension.isEmpty() || extension == QLatin1String("*") ||
        path.indexOf(QLatin1Char('.'), slash + 1) >= 0)
        return path;
    return path + QLatin1Char('.') + extension;
}

QString storedDefaultExtension(const QString &filterText)
{
    const qsizetype dot = filterText.lastIndexOf(QLatin1Char('.'));
    QString ext = dot < 0 ? filterText : filterText.mid(dot);
    ext.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('.'));
    return ext;
}

} // namespace pw::doc
