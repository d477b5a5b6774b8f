// Helpers of the language tests: language files written into temporary folders.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace pw::test {

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A well-formed language file with one style, MENU menu and EXTENSION extensions, plus extra
// elements inside PROPERTIES.
inline QByteArray languageXml(const QByteArray &menu, const QByteArray &extensions,
                              const QByteArray &extra = {})
{
    return "<?xml version=\"1.0\"?>\n<PROPERTIES>\n  <MENU>" + menu + "</MENU>\n  <EXTENSION>" +
           extensions + "</EXTENSION>\n" + extra +
           "  <COLOURS>\n    <COLOUR STYLE=\"0\" HEXFORE=\"#000000\">Default</COLOUR>\n"
           "  </COLOURS>\n</PROPERTIES>\n";
}

} // namespace pw::test
