// Text rules of the text document that need no editor: title decoration, file filters, Save As
// names.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace pw::doc {

// The window title of a document: " [Read Only]" when read-only, otherwise "*" when modified.
// Any decoration already on the title is removed first, so the call is idempotent.
QString decorateTitle(const QString &title, bool modified, bool readOnly);
// The title with every "*" removed (for proposed file names and temporary-file prefixes).
QString plainTitle(const QString &title);

// One entry of a filter string in the "label|pattern|label|pattern||" form.
struct FileFilter
{
    QString label;
    QString pattern; // e.g. "*.cpp;*.h"
};
std::vector<FileFilter> parseFilterString(const QString &filters);
// The same filter in Qt's file dialog form: "label (*.cpp *.h)"; a label that already ends with
// its patterns in parentheses keeps them once.
QString toQtFilter(const FileFilter &filter);

// The default extension of a filter pattern: the text between its first "." and first ";"
// ("*.cpp;*.h" gives "cpp", "*.*" gives "*"); empty when the pattern has no ".".
QString defaultExtension(const QString &pattern);
// Save As: a path without any "." takes the filter's default extension, unless it is "*".
QString applyDefaultExtension(const QString &path, const QString &extension);
// The "DefExt" setting of a filter: its text from the last "." on, without "(", ")" and ".".
QString storedDefaultExtension(const QString &filterText);

} // namespace pw::doc
