// The editing component's rules for walking its text: UTF-8 characters as it classifies them,
// positions that may not split a character or a "\r\n" pair, and its line boundaries.
#pragma once

#include "editor/textsearch/textsearch.h"

namespace pw::search {

inline constexpr unsigned int ReplacementCharacter = 0xFFFD;

inline bool isTrailByte(unsigned char b)
{
    return b >= 0x80 && b < 0xC0;
}

// Bytes the component reads for a character starting with this byte.
int utf8BytesOfLead(unsigned char b);

struct Utf8Status
{
    int width = 1;
    // Not a well-formed character: overlong, surrogate, beyond U+10FFFF or truncated (width 1),
    // or a noncharacter such as U+FFFE (which keeps its full width).
    bool invalid = false;
};

// The component's classification of the len bytes at us (len from utf8BytesOfLead).
Utf8Status utf8Classify(const unsigned char *us, int len);
unsigned int utf8Decode(const unsigned char *us, int width);
// The character ending right at the end of the n bytes (n <= 4) as the component reads it
// backwards: U+FFFD when they do not end with a well-formed character.
unsigned int utf8CharacterEndingAt(const unsigned char *buf, int n);

// Read-only rules over one text; positions outside it read as byte 0.
class ComponentText
{
public:
    explicit ComponentText(const TextView &text) : m_text(text) {}

    qsizetype length() const { return m_text.length; }
    bool utf8() const { return m_text.utf8; }
    unsigned char at(qsizetype p) const
    {
        return p >= 0 && p < m_text.length ? static_cast<unsigned char>(m_text.data[p]) : 0;
    }
    const unsigned char *bytes(qsizetype p) const
    {
        return reinterpret_cast<const unsigned char *>(m_text.data) + p;
    }

    Utf8Status classifyAt(qsizetype p) const;
    // The well-formed character around pos (whose byte is a trail byte), as [start, end).
    bool goodCharacterAround(qsizetype pos, qsizetype &start, qsizetype &end) const;
    // MovePositionOutsideChar: a position inside a well-formed UTF-8 character moves to its end
    // (direction > 0) or start; with lineEnds, one between "\r" and "\n" moves past the pair or
    // before it. The result is clamped to the text.
    qsizetype moveOutsideCharacter(qsizetype pos, int direction, bool lineEnds = false) const;
    // NextPosition: one character on or back ("\r\n" counts as two).
    qsizetype nextPosition(qsizetype pos, int direction) const;
    // SCI_POSITIONAFTER.
    qsizetype positionAfter(qsizetype pos) const { return moveOutsideCharacter(pos + 1, 1, true); }
    // Whether a walk by characters from an earlier boundary stops at p; with wholeNoncharacters
    // the walk steps over a noncharacter in one go, as the case-insensitive search does.
    bool isCharacterStart(qsizetype p, bool wholeNoncharacters) const;

    // A position where a line starts (0, after "\n", or after a "\r" not followed by "\n").
    bool isLineStart(qsizetype p) const;
    // The start of the line holding p; a position between "\r" and "\n" belongs to the line the
    // pair ends.
    qsizetype lineStartOf(qsizetype p) const;
    // Whether p is the end of its line's text: the text end, or the first byte of a line end.
    bool isAtLineEnd(qsizetype p) const;
    // The start of the line after the line end sequence that starts at r.
    qsizetype afterLineEnd(qsizetype r) const
    {
        return at(r) == '\r' && at(r + 1) == '\n' ? r + 2 : r + 1;
    }
    // The first position at or after p holding "\r" or "\n", or the length. Repeated calls from
    // increasing positions on one line reuse the last scan.
    qsizetype lineEndFrom(qsizetype p) const;

private:
    const TextView &m_text;
    mutable qsizetype m_scanFrom = -1;
    mutable qsizetype m_scanResult = -1;
};

} // namespace pw::search
