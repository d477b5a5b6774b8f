// The desktop entry's text and the quoting rules of its command line.
#include "desktop/engine/desktopfile.h"

#include "resources/artwork.h"

#include <QDir>
#include <algorithm>

namespace pw::desktop {

namespace {

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// Values of string type keep a backslash only as the start of an escape.
QString escapeString(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return escaped;
}

} // namespace

QString execArgument(const QString &argument)
{
    if (argument.isEmpty() || hasControlCharacter(argument))
        return {};
    static const QString reserved = QStringLiteral(" \"'\\><~|&;$*?#()`");
    const bool quote =
        std::any_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); });
    QString text;
    text.reserve(argument.size() + 8);
    for (QChar c : argument) {
        if (quote && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                      c == QLatin1Char('\\')))
            text += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            text += QLatin1Char('%'); // a lone % would start a field code
        text += c;
    }
    if (quote)
        text = QLatin1Char('"') + text + QLatin1Char('"');
    return escapeString(text);
}

QString desktopEntryText(const QString &executable)
{
    // The program is named by a full path or by a bare name looked up on PATH; a relative path
    // would depend on whatever folder the desktop starts it from. "=" may not appear in it.
    if (executable.contains(QLatin1Char('=')) || executable.startsWith(QLatin1Char(' ')) ||
        (executable.contains(QLatin1Char('/')) && !QDir::isAbsolutePath(executable)))
        return {};
    const QString exec = execArgument(executable);
    if (exec.isEmpty())
        return {};
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.4\n"
                                  "Name=Penwright\n"
                                  "GenericName=Text Editor\n"
                                  "Comment=Edit text and source code, many documents at once\n"
                                  "Keywords=text;editor;source;code;programming;\n");
    text += QStringLiteral("Exec=") + exec + QStringLiteral(" %F\n");
    text += QStringLiteral("TryExec=") + escapeString(executable) + QLatin1Char('\n');
    text += QStringLiteral("Icon=") + QLatin1String(artwork::IconName) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n"
                           "StartupNotify=true\n"
                           "Categories=Utility;TextEditor;\n");
    text += QStringLiteral("MimeType=") + shippedMimeTypes().join(QLatin1Char(';')) +
            QStringLiteral(";\n");
    return text;
}

} // namespace pw::desktop
