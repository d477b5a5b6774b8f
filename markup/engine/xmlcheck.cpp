// checkXml: tinyxml2 over the document's bytes, its first error told the way the program shows it.
#include "markup/engine/xmlcheck.h"

#include "resources/resources.h"
#include "resources/stringids.h"

#include <algorithm>
#include <tinyxml2.h>

namespace pw {

namespace {

int firstColumnOfLine(const QByteArray &text, int line)
{
    qsizetype pos = 0;
    for (int l = 1; l < line && pos >= 0; ++l) {
        pos = text.indexOf('\n', pos);
        if (pos >= 0)
            ++pos;
    }
    if (pos < 0)
        return 1;
    int column = 1;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
        ++column;
    }
    return column;
}

} // namespace

QString XmlCheck::message() const
{
    if (wellFormed)
        return QString::fromUtf8(res::string(Str::XmlWellFormed));
    return QString::asprintf(res::string(Str::XmlParseError), line, column,
                             description.toUtf8().constData());
}

XmlCheck checkXml(const QByteArray &text)
{
    XmlCheck check;
    tinyxml2::XMLDocument doc;
    // The length is given, so a zero byte inside the text does not end it early.
    const tinyxml2::XMLError error = doc.Parse(text.constData(), size_t(text.size()));
    if (error == tinyxml2::XML_SUCCESS) {
        check.wellFormed = true;
        return check;
    }
    // An error before any line was read (an empty or blank text) is at the very start.
    check.line = std::max(1, doc.ErrorLineNum());
    check.column = doc.ErrorLineNum() < 1 ? 1 : firstColumnOfLine(text, check.line);
    check.description = QString::fromUtf8(doc.ErrorStr());
    return check;
}

} // namespace pw
