// The list explorer's three tables (HTML tags, HTML entities, character codes) and their insertion.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace pw::explorers {

enum class ListKind { HtmlTags = 0, HtmlEntities = 1, AsciiCodes = 2 };
constexpr int ListKindCount = 3;

// Both texts are Windows-1252 bytes, as the lists have always held them.
struct ListEntry
{
    QByteArray display;
    QByteArray insertion;
};

const std::vector<ListEntry> &listTable(ListKind kind);

// Windows-1252 decoding; the five unassigned bytes map to the control characters of the same value.
QString fromWindows1252(const QByteArray &bytes);

// The bytes a double click hands to the editor's InsertTemplate: the insertion text as it is for
// a document that holds Windows-1252 bytes, or turned into UTF-8 so a code above 127 stays one
// valid character in a UTF-8 document.
QByteArray insertionBytes(const ListEntry &entry, bool utf8Document);

// Replaces every "<%REPLACE%>" by the selection, as the editor's InsertTemplate does.
QByteArray expandTemplate(const QByteArray &insertion, const QByteArray &selection);

} // namespace pw::explorers
