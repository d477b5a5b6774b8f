// xmlWellFormedMessage: the XML well-formedness check and the one line it reports.
#pragma once

#include <QByteArray>
#include <QString>

namespace pw {

struct XmlCheck
{
    bool wellFormed = false;
    int line = 0;   // from 1
    int column = 0; // from 1
    QString description;
    // "** document is well formed **", or "Line: %d Col: %d Error parsing xml := '%s'."
    QString message() const;
};

// Parses text as an XML document. tinyxml2 reports the line of an error but not its column, so
// the column is that of the first character on that line which is not blank.
XmlCheck checkXml(const QByteArray &text);

} // namespace pw
