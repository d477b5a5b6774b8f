// The small rules of find and replace: line-end escapes, the seed text, the history lists,
// completion in the search boxes and the Go To Line number.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pw::search {

// Every "^n" becomes the document's line end for its end-of-line mode (0 "\r\n", 1 "\r",
// 2 "\n"; any other mode reads as "\r\n").
QByteArray expandLineEnds(const QByteArray &text, int eolMode);

// The text that seeds a search.
enum class SeedMode {
    Seed, // Find... and Replace...: an empty selection falls back to the remembered text
    Quick // Find Next and Find Previous
};
inline constexpr qsizetype SeedMaxBytes = 99;

struct Seed
{
    QByteArray text;
    // Whether text becomes the remembered "LastSelectedValue" (an empty text too).
    bool remember = false;
};

// The selection cut to its first 99 bytes (UTF-8 text is cut before a character that would be
// split); when that is empty in seed mode, the remembered text, which then stays as it is.
Seed seedText(const QByteArray &selection, SeedMode mode, const QByteArray &remembered, bool utf8);

// History lists, newest first; only the first 50 entries are ever stored.
inline constexpr int HistoryLimit = 50;

// The index of the first entry equal to text under cs, or -1.
int findHistoryEntry(const QStringList &entries, const QString &text, Qt::CaseSensitivity cs);

// The entries a history list stores: the first 50, empty ones left out by the store.
QStringList historyToStore(const QStringList &entries);

// Completion while typing: the first entry that begins with the typed text ignoring case,
// looked for from the second entry to the last and then the first; -1 when none does or
// nothing is typed.
int completionEntry(const QStringList &entries, const QString &typed);

// Go To Line: the field's value read as its leading decimal digits (0 when there are none;
// numbers too large for an int read as the largest int).
int parseLineNumber(const QString &field);

// The line SCI_GOTOLINE is given for a line number counted from 1, clamped the way the component
// clamps it: below the first line to line 0, past the last to lineCount (whose start is the end
// of the text, on the last line).
qint64 gotoLineIndex(qint64 number, qint64 lineCount);

} // namespace pw::search
