// runTidy: one run of HTML Tidy over a document's text with an option profile.
#pragma once

#include <QByteArray>
#include <QString>

namespace pw {

// How the text's bytes are to be read: the editor holds UTF-8, or the bytes of the 8-bit code
// page for Ansi documents.
enum class TidyTextEncoding { Utf8, Ansi };

struct TidyRun
{
    // Tidy's last result: 0 clean, 1 warnings, 2 errors (output forced), below 0 severe.
    int rc = -1;
    QByteArray output;      // the cleaned text, in the encoding it came in; empty unless ok()
    QByteArray diagnostics; // Tidy's report
    bool ok() const { return rc >= 0; }
    // What the Tool Window shows: the report, or the severe-error line.
    QByteArray message() const;
};

// Runs Tidy with the options of profilePath (Tidy's defaults when it cannot be read) over text.
// The output keeps the text's encoding: UTF-8 in, UTF-8 out; text that is not valid UTF-8, and
// Ansi text, passes its bytes through unconverted, so nothing is replaced on the way.
TidyRun runTidy(const QByteArray &text, const QString &profilePath,
                TidyTextEncoding encoding = TidyTextEncoding::Utf8);

} // namespace pw
