// CMFCScintilla::applyLanguage: colouring the text as a language record describes.
#include "settings/framesettings.h"
#include "editor/mfcscintilla.h"
#include "languages/engine/languagerecord.h"

namespace pw {

namespace {
// Up to this length the whole text is styled at once. Beyond it only the lines on screen are,
// and the component styles the rest as it comes into view, so a big file shows without waiting
// for its last line to be lexed.
constexpr long WholeTextStyleLimit = 1024 * 1024;
} // namespace

void CMFCScintilla::applyLanguage(const LanguageRecord &record, const FrameSettings &options)
{
    // A text nobody has styled yet (one just loaded) holds style 0 throughout; clearing it anyway
    // walks every byte on this thread, about a second per gigabyte.
    if (send(SCI_GETENDSTYLED) > 0)
        send(SCI_CLEARDOCUMENTSTYLE);

    send(SCI_STYLESETBACK, STYLE_DEFAULT, long(record.background));
    send(SCI_STYLESETBACK, STYLE_LINENUMBER, long(record.background));

    send(SCI_STYLESETFORE, STYLE_BRACEBAD, long(options.braceBadColour));
    send(SCI_STYLESETFORE, STYLE_BRACELIGHT, long(options.braceHighlight));
    send(SCI_STYLESETBOLD, STYLE_BRACELIGHT, 1);
    send(SCI_STYLESETBOLD, STYLE_BRACEBAD, 1);

    send(SCI_SETUSETABS, options.tabAsSpaces ? 0 : 1);
    send(SCI_SETINDENTATIONGUIDES, options.tabGuides ? SC_IV_REAL : SC_IV_NONE);
    send(SCI_SETTABWIDTH, options.tabWidth);
    send(SCI_SETINDENT, options.tabWidth);

    // A name the component does not know selects its null lexer: the text stays plain.
    sendText(SCI_SETLEXERLANGUAGE, 0, record.lexerName.toLatin1().constData());

    // No style-bits step: this component always keeps a full byte of style per character
    // (SCI_SETSTYLEBITS is an ignored leftover), so there is nothing to widen for the lexer.

    for (int i = 0; i < record.styleCount && i < LanguageRecord::MaxStyles; ++i) {
        const StyleEntry &entry = record.styles[size_t(i)];
        // A number outside the component's styles would make it grow its style table without
        // bound; such an entry colours nothing.
        if (entry.style < 0 || entry.style > STYLE_MAX)
            continue;
        send(SCI_STYLESETFORE, entry.style, long(entry.foreground));
        send(SCI_STYLESETBACK, entry.style, long(entry.background));
        send(SCI_STYLESETEOLFILLED, entry.style, entry.eolFilled ? 1 : 0);
    }

    for (int i = 0; i < record.keywordSetCount && i < LanguageRecord::MaxKeywordSets; ++i)
        sendText(SCI_SETKEYWORDS, i, toEditorBytes(record.keywordSets[size_t(i)]).constData());

    long end = -1;
    if (send(SCI_GETLENGTH) > WholeTextStyleLimit) {
        const long lastVisible = send(SCI_GETFIRSTVISIBLELINE) + send(SCI_LINESONSCREEN) + 1;
        end = send(SCI_GETLINEENDPOSITION, send(SCI_DOCLINEFROMVISIBLE, lastVisible));
    }
    send(SCI_COLOURISE, 0, end);
}

} // namespace pw
