// SpellRun: walks a text piece by piece through a checker, keeping hits right as words change.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pw::spell {

// The text being checked, as the editor numbers it: byte positions, lines from 0, and line ends
// that do not include the line break.
class SpellText
{
public:
    virtual ~SpellText() = default;
    virtual qint64 length() const = 0;
    virtual int lineCount() const = 0;
    // Of line == lineCount(): the end of the text.
    virtual qint64 lineStart(int line) const = 0;
    virtual qint64 lineEnd(int line) const = 0;
    virtual int lineOf(qint64 position) const = 0;
    // The bytes from..to (from <= to, both within the text).
    virtual void copy(qint64 from, qint64 to, char *out) const = 0;
};

// Plain bytes, with line breaks of all three kinds (CR LF, CR, LF) as the editor sees them.
class ByteText final : public SpellText
{
public:
    explicit ByteText(QByteArray bytes);
    qint64 length() const override { return m_bytes.size(); }
    int lineCount() const override { return int(m_starts.size()); }
    qint64 lineStart(int line) const override;
    qint64 lineEnd(int line) const override;
    int lineOf(qint64 position) const override;
    void copy(qint64 from, qint64 to, char *out) const override;
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    std::vector<qint64> m_starts;
};

// A misspelling within the last text handed over: offset and length in bytes; length 0 is none.
struct SpellToken
{
    qint64 offset = 0;
    qint64 length = 0;
};

// What finds the misspellings of one piece (Aspell's document checker, or a test's stand-in).
class TokenSource
{
public:
    virtual ~TokenSource() = default;
    // A new piece, zero-terminated; it stays valid until the next call.
    virtual void process(const char *text) = 0;
    // The next misspelling of the piece.
    virtual SpellToken next() = 0;
};

// A misspelt word in the text, where it is now.
struct SpellHit
{
    qint64 position = 0;
    qint64 length = 0;
};

struct RunControl
{
    // Called before each piece with the position it starts at.
    std::function<void(qint64 position)> progress;
    // Set to stop between pieces.
    const std::atomic<bool> *cancel = nullptr;
};

// One check of a text, or of the lines of a selection. Each piece is a run of whole lines (or of
// the selection's part of its first and last line); hits are reported in order, and words changed
// before the next hit move it by the difference.
class SpellRun
{
public:
    SpellRun(const SpellText &text, TokenSource &checker) : m_text(text), m_checker(checker) {}

    // The selection the run checks; equal ends check the whole text. Read at the first next().
    void setSelection(qint64 start, qint64 end);
    // The next misspelling. Not interactive: what is pending in the current piece is dropped and
    // the search starts with the next piece. Empty at the end, or when stopped.
    std::optional<SpellHit> next(bool interactive, const RunControl &control = {});
    // The word just reported was replaced, its length changing by delta bytes.
    void changed(qint64 delta);

    bool stopped() const { return m_stopped; }
    qint64 rangeStart() const { return m_rangeStart; }
    qint64 rangeEnd() const { return m_rangeEnd; }

private:
    void setUpRange();
    void formPiece();

    const SpellText &m_text;
    TokenSource &m_checker;
    qint64 m_selectionStart = 0;
    qint64 m_selectionEnd = 0;
    bool m_started = false;
    bool m_stopped = false;
    int m_firstLine = 0;
    int m_lastLine = 0;
    int m_currentLine = 0;
    qint64 m_rangeStart = 0;
    qint64 m_rangeEnd = 0;
    qint64 m_pieceStart = 0;
    qint64 m_pieceEnd = 0;
    std::string m_pieceBuffer;
    qint64 m_shift = 0;
    SpellToken m_token;
};

} // namespace pw::spell
