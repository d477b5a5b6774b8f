// TidyProfiles: where the option profiles live, and the defaults the program ships.
#pragma once

#include <QByteArray>
#include <QString>

namespace pw {

namespace TidyProfiles {

inline constexpr const char *HtmlClean = "html_clean.tidy";
inline constexpr const char *XhtmlClean = "xhtml_clean.tidy";
inline constexpr const char *XmlPrettyPrint = "xml_pretty_print.tidy";

// The program's folder of profiles: "Tidy" in the settings folder (beside the program in a
// portable copy, the per-user folder otherwise), with a trailing separator.
QString folder();
// The path of a profile in that folder, made from the shipped copy on first use: the copy beside
// the program when there is one, the built-in text otherwise. A profile that cannot be made is
// still named; runs then go with Tidy's defaults.
QString ensure(const char *name);
// The built-in text of a shipped profile; empty for other names.
QByteArray builtIn(const char *name);

} // namespace TidyProfiles

} // namespace pw
