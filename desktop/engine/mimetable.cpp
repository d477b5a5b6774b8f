// The reviewed extension-to-MIME table and the file types the shipped languages give the entry.
#include "desktop/engine/desktopfile.h"

#include <algorithm>

namespace pw::desktop {

namespace {

struct ExtensionType
{
    const char *extension;
    const char *mimeType;
};

// Names as the shared MIME database (shared-mime-info) registers them. An extension appears only
// where its type is text the editor is the right tool for: extensions the database gives to
// something else (".as" spreadsheets, ".ts" video streams, ".vb" and ".wsc" game images, ".pls"
// playlists, ".cl" OpenCL, ".me" troff) and non-text or viewer-first types (SVG images, feeds,
// map data) are left out on purpose, so the program never offers itself for files it would only
// show as markup.
constexpr ExtensionType kTable[] = {
    // plain text
    {".txt", "text/plain"},
    {".log", "text/x-log"},
    {".nfo", "text/x-nfo"},
    // C family
    {".c", "text/x-csrc"},
    {".h", "text/x-chdr"},
    {".cpp", "text/x-c++src"},
    {".cxx", "text/x-c++src"},
    {".cc", "text/x-c++src"},
    {".c++", "text/x-c++src"},
    {".hpp", "text/x-c++hdr"},
    {".hxx", "text/x-c++hdr"},
    {".hh", "text/x-c++hdr"},
    {".h++", "text/x-c++hdr"},
    {".m", "text/x-objcsrc"},
    {".mm", "text/x-objc++src"},
    {".cs", "text/x-csharp"},
    {".java", "text/x-java"},
    // build and patch files
    {".cmake", "text/x-cmake"},
    {".mk", "text/x-makefile"},
    {".mak", "text/x-makefile"},
    {".diff", "text/x-patch"},
    {".patch", "text/x-patch"},
    {".rej", "text/x-reject"},
    // other compiled languages
    {".f", "text/x-fortran"},
    {".for", "text/x-fortran"},
    {".f90", "text/x-fortran"},
    {".f95", "text/x-fortran"},
    {".pas", "text/x-pascal"},
    {".v", "text/x-verilog"},
    {".sv", "text/x-svsrc"},
    {".svh", "text/x-svhdr"},
    {".vhd", "text/x-vhdl"},
    {".vhdl", "text/x-vhdl"},
    // scripting languages
    {".py", "text/x-python"},
    {".py", "text/x-python3"},
    {".pyi", "text/x-python3"},
    {".pl", "application/x-perl"},
    {".pm", "application/x-perl"},
    {".pod", "application/x-perl"},
    {".rb", "application/x-ruby"},
    {".php", "application/x-php"},
    {".php3", "application/x-php"},
    {".php4", "application/x-php"},
    {".php5", "application/x-php"},
    {".phps", "application/x-php"},
    {".sh", "application/x-shellscript"},
    {".lua", "text/x-lua"},
    {".tcl", "text/tcl"},
    {".tk", "text/tcl"},
    {".js", "application/javascript"},
    {".mjs", "application/javascript"},
    {".es", "application/ecmascript"},
    {".vbs", "text/vbscript"},
    {".lisp", "text/x-common-lisp"},
    {".asd", "text/x-common-lisp"},
    {".el", "text/x-emacs-lisp"},
    {".sql", "application/sql"},
    // markup, style and data
    {".html", "text/html"},
    {".htm", "text/html"},
    {".xhtml", "application/xhtml+xml"},
    {".xht", "application/xhtml+xml"},
    {".asp", "application/x-asp"},
    {".css", "text/css"},
    {".xml", "application/xml"},
    {".xsd", "application/xml"},
    {".xsl", "application/xslt+xml"},
    {".xslt", "application/xslt+xml"},
    {".dtd", "application/xml-dtd"},
    {".xliff", "application/xliff+xml"},
    {".xlf", "application/xliff+xml"},
    {".ui", "application/x-designer"},
    {".json", "application/json"},
    {".yml", "application/x-yaml"},
    {".yaml", "application/x-yaml"},
    {".md", "text/markdown"},
    {".markdown", "text/markdown"},
    {".mkd", "text/markdown"},
    {".tex", "text/x-tex"},
    {".sty", "text/x-tex"},
    {".ltx", "text/x-tex"},
    {".dtx", "text/x-tex"},
    {".ins", "text/x-tex"},
    // settings
    {".reg", "text/x-ms-regedit"},
    {".desktop", "application/x-desktop"},
};

} // namespace

QStringList mimeTypesForExtensions(const QStringList &extensions)
{
    QStringList types{QStringLiteral("text/plain")};
    for (const QString &extension : extensions) {
        const QString lower = extension.toLower();
        for (const ExtensionType &row : kTable) {
            if (lower == QLatin1String(row.extension))
                types << QLatin1String(row.mimeType);
        }
    }
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
    return types;
}

QStringList shippedMimeTypes()
{
    static const QStringList types = mimeTypesForExtensions(shippedExtensions());
    return types;
}

} // namespace pw::desktop
