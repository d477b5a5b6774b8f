// CMFCScintilla's editing algorithms: bookmarks, block comments, auto-indent, braces, clipboard
// append.
#include "framework/messages.h"
#include "editor/mfcscintilla.h"
#include "resources/stringids.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <cstring>

namespace pw {
namespace {
bool isBrace(int ch)
{
    return ch == '(' || ch == ')' || ch == '[' || ch == ']' || ch == '{' || ch == '}';
}
constexpr int kPythonLexer = 2;
constexpr int kPythonOperatorStyle = 10;
constexpr long kLongestCommentedLine = 1000;
} // namespace

void CMFCScintilla::toggleBookmark(long line)
{
    if (line < 0)
        line = send(SCI_LINEFROMPOSITION, send(SCI_GETCURRENTPOS));
    if (send(SCI_MARKERGET, line) & BookmarkMask)
        send(SCI_MARKERDELETE, line, BookmarkMarker);
    else
        send(SCI_MARKERADD, line, BookmarkMarker);
}

bool CMFCScintilla::gotoBookmark(bool forward, bool extend)
{
    const long caret = send(SCI_GETCURRENTPOS);
    const long line = send(SCI_LINEFROMPOSITION, caret);
    const long anchor = send(SCI_GETANCHOR);
    long found = forward ? send(SCI_MARKERNEXT, line + 1, BookmarkMask)
                         : send(SCI_MARKERPREVIOUS, line - 1, BookmarkMask);
    if (found < 0)
        found = forward ? send(SCI_MARKERNEXT, 0, BookmarkMask)
                        : send(SCI_MARKERPREVIOUS, send(SCI_GETLINECOUNT), BookmarkMask);
    if (found < 0 || found == line) {
        showMessage(this, MessageIcon::Exclamation, Str::NoMoreBookmarks);
        return false;
    }
    send(SCI_ENSUREVISIBLEENFORCEPOLICY, found);
    send(SCI_GOTOLINE, found);
    if (extend)
        send(SCI_SETANCHOR, anchor);
    return true;
}

std::vector<std::pair<long, int>> CMFCScintilla::lineMarkers() const
{
    std::vector<std::pair<long, int>> markers;
    for (long line = send(SCI_MARKERNEXT, 0, -1); line >= 0;
         line = send(SCI_MARKERNEXT, line + 1, -1))
        markers.emplace_back(line, int(send(SCI_MARKERGET, line)));
    return markers;
}

void CMFCScintilla::restoreLineMarkers(const std::vector<std::pair<long, int>> &markers)
{
    auto wanted = markers.begin();
    // Lines that gained markers they did not have lose them; the others get their own back.
    for (long line = send(SCI_MARKERNEXT, 0, -1); line >= 0;
         line = send(SCI_MARKERNEXT, line + 1, -1)) {
        while (wanted != markers.end() && wanted->first < line)
            ++wanted;
        if (wanted == markers.end() || wanted->first != line)
            send(SCI_MARKERDELETE, line, -1);
    }
    for (const auto &[line, set] : markers) {
        if (send(SCI_MARKERGET, line) == set)
            continue;
        send(SCI_MARKERDELETE, line, -1);
        send(SCI_MARKERADDSET, line, set);
    }
}

void CMFCScintilla::commentLines(bool comment, const QByteArray &marker)
{
    long s = send(SCI_GETSELECTIONSTART);
    long e = send(SCI_GETSELECTIONEND);
    const bool caretAtStart = send(SCI_GETCURRENTPOS) < e;
    const long firstLine = send(SCI_LINEFROMPOSITION, s);
    long lastLine = send(SCI_LINEFROMPOSITION, e);
    const QByteArray prefix = marker + ' ';
    // A selection ending at the very start of a line does not take that line in.
    if (lastLine > firstLine && e == send(SCI_POSITIONFROMLINE, lastLine))
        --lastLine;

    {
        // Comments add and remove no lines, so nobody needs them reported one by one.
        QuietChanges quiet(this);
        const qsizetype markerLength = marker.size();
        for (long line = firstLine; line <= lastLine; ++line) {
            const long start = send(SCI_POSITIONFROMLINE, line);
            const long end = send(SCI_GETLINEENDPOSITION, line);
            if (end - start >= kLongestCommentedLine)
                continue;
            if (comment) {
                sendText(SCI_INSERTTEXT, start, prefix.constData());
                e += prefix.size();
                continue;
            }
            if (end - start < markerLength)
                continue;
            // Only the marker and the blank after it are read, never the whole line.
            const long look = std::min(long(markerLength) + 1, end - start);
            const auto *head =
                reinterpret_cast<const char *>(send(SCI_GETRANGEPOINTER, start, look));
            if (!head || std::memcmp(head, marker.constData(), std::size_t(markerLength)) != 0)
                continue;
            const long removed = look > markerLength && head[markerLength] == ' '
                                     ? long(prefix.size())
                                     : long(markerLength);
            if (removed == 0)
                continue;
            send(SCI_DELETERANGE, start, removed);
            e -= removed;
            if (line == firstLine)
                s -= removed;
        }
    }

    const long firstStart = send(SCI_POSITIONFROMLINE, firstLine);
    if (s < firstStart) {
        s = firstStart;
        if (s >= e - marker.size() + 1)
            e = firstStart;
    }
    if (caretAtStart) {
        send(SCI_GOTOPOS, e);
        send(SCI_SETCURRENTPOS, s);
    } else {
        send(SCI_SETSEL, s, e);
    }
}

void CMFCScintilla::autoIndent(int character, bool nest)
{
    const long caretLine = send(SCI_LINEFROMPOSITION, send(SCI_GETCURRENTPOS));
    long previous = std::max(caretLine - 1, 0L);
    const long eol = send(SCI_GETEOLMODE);
    const bool newLine = (character == '\n' && (eol == SC_EOL_CRLF || eol == SC_EOL_LF)) ||
                         (character == '\r' && eol == SC_EOL_CR);
    if (newLine) {
        while (previous > 0 && send(SCI_LINELENGTH, previous) == 0)
            --previous;
        long indent = send(SCI_GETLINEINDENTATION, previous);
        if (nest) {
            // The previous line opens a block when the last brace on it is an opening one.
            const QByteArray text = getLineText(previous);
            for (qsizetype i = text.size() - 1; i >= 0; --i) {
                if (text[i] == '}')
                    break;
                if (text[i] == '{') {
                    const long step = send(SCI_GETINDENT);
                    indent += step > 0 ? step : send(SCI_GETTABWIDTH);
                    break;
                }
            }
        }
        if (indent > 0) {
            send(SCI_SETLINEINDENTATION, caretLine, indent);
            send(SCI_SETEMPTYSELECTION, send(SCI_GETLINEINDENTPOSITION, caretLine));
        }
        return;
    }
    if (character == '}') {
        // The brace just typed has no style yet, and a brace matches only one of its own style:
        // colour what is not coloured yet up to it before looking for the opening brace.
        const long styled = send(SCI_GETENDSTYLED);
        send(SCI_COLOURISE, send(SCI_POSITIONFROMLINE, send(SCI_LINEFROMPOSITION, styled)),
             send(SCI_GETLINEENDPOSITION, caretLine));
        long brace = -1;
        long opposite = -1;
        // Both braces found is what counts here, whatever side of the caret the match lies.
        findMatchingBrace(brace, opposite, false);
        if (brace >= 0 && opposite >= 0) {
            const long matchLine = send(SCI_LINEFROMPOSITION, opposite);
            if (matchLine < caretLine)
                send(SCI_SETLINEINDENTATION, caretLine, send(SCI_GETLINEINDENTATION, matchLine));
        }
    }
}

bool CMFCScintilla::findMatchingBrace(long &braceAtCaret, long &braceOpposite, bool sloppy) const
{
    braceAtCaret = -1;
    braceOpposite = -1;
    const long caret = send(SCI_GETCURRENTPOS);
    const long length = send(SCI_GETLENGTH);
    const bool python = send(SCI_GETLEXER) == kPythonLexer;
    bool colonMode = false;
    bool isAfter = false;
    if (length > 0 && caret > 0 && send(SCI_POSITIONBEFORE, caret) == caret - 1) {
        const int before = int(send(SCI_GETCHARAT, caret - 1)) & 0xFF;
        const int style = int(send(SCI_GETSTYLEAT, caret - 1)) & 0x1F;
        if (isBrace(before))
            braceAtCaret = caret - 1;
        if (python && before == ':' && style == kPythonOperatorStyle) {
            braceAtCaret = caret - 1;
            colonMode = true;
        }
    }
    if (sloppy && length > 0 && braceAtCaret < 0 && caret < length &&
        send(SCI_POSITIONAFTER, caret) == caret + 1) {
        const int after = int(send(SCI_GETCHARAT, caret)) & 0xFF;
        const int style = int(send(SCI_GETSTYLEAT, caret)) & 0x1F;
        if (isBrace(after) && style == 0) {
            braceAtCaret = caret;
            isAfter = true;
        }
        if (python && after == ':' && style == kPythonOperatorStyle) {
            braceAtCaret = caret;
            isAfter = true;
            colonMode = true;
        }
    }
    if (braceAtCaret < 0)
        return false;
    if (colonMode) {
        const long line = send(SCI_LINEFROMPOSITION, braceAtCaret);
        braceOpposite = send(SCI_GETLINEENDPOSITION, send(SCI_GETLASTCHILD, line, -1));
    } else {
        braceOpposite = send(SCI_BRACEMATCH, braceAtCaret, 0);
    }
    return braceOpposite > braceAtCaret ? !isAfter : isAfter;
}

void CMFCScintilla::highlightBraces()
{
    long brace = -1;
    long opposite = -1;
    findMatchingBrace(brace, opposite, false);
    if (brace != -1 && opposite == -1) {
        send(SCI_BRACEBADLIGHT, brace);
        send(SCI_SETHIGHLIGHTGUIDE, 0);
        return;
    }
    send(SCI_BRACEHIGHLIGHT, brace, opposite);
    const long caret = send(SCI_GETCURRENTPOS);
    long colA = send(SCI_GETCOLUMN, brace >= 0 ? brace : caret);
    long colB = send(SCI_GETCOLUMN, opposite >= 0 ? opposite : caret);
    if (brace >= 0 && (send(SCI_GETCHARAT, brace) & 0xFF) == ':') {
        const long lineStart = send(SCI_LINEFROMPOSITION, brace);
        const long indent = send(SCI_GETINDENT);
        colA = send(SCI_GETCOLUMN, send(SCI_GETLINEINDENTPOSITION, lineStart));
        const long colNext = send(SCI_GETCOLUMN, send(SCI_GETLINEINDENTPOSITION, lineStart + 1));
        if (colNext - indent > 1)
            colA = colNext - indent;
        if (colB == 0)
            colB = colA;
    }
    send(SCI_SETHIGHLIGHTGUIDE, std::min(colA, colB));
}

void CMFCScintilla::copyAppend()
{
    if (!hasSelection())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasText())
        return;
    clipboard->setText(data->text() + fromEditorBytes(getSelectedText()));
}

void CMFCScintilla::cutAppend()
{
    copyAppend();
    sendText(SCI_REPLACESEL, 0, "");
}

} // namespace pw
