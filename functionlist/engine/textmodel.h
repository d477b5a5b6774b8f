// A read-only copy of a document's text with the editing component's notions of line, position,
// line end and brace matching.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace pw::functionlist {

// Positions are byte offsets from 0 to length(); lines are counted from 0. Lines end at "\r\n",
// "\r" or "\n", as the component splits them, so a text always has at least one line and a text
// ending with a line end has an empty last line.
class TextModel
{
public:
    // utf8: the component holds the text as UTF-8 (code page 65001) rather than single bytes.
    explicit TextModel(QByteArray text, bool utf8 = false);

    const QByteArray &text() const { return m_text; }
    bool isUtf8() const { return m_utf8; }
    const char *data() const { return m_text.constData(); }
    qsizetype length() const { return m_text.size(); }
    // The byte at pos, or 0 outside the text (as the component answers).
    char charAt(qsizetype pos) const { return pos >= 0 && pos < length() ? m_text.at(pos) : 0; }

    int lineCount() const { return int(m_lineStarts.size()); }
    // The line holding pos; positions past the end belong to the last line, positions inside a
    // "\r\n" pair to the line it ends.
    int lineFromPosition(qsizetype pos) const;
    // Start of a line; length() for lines past the last.
    qsizetype positionFromLine(int line) const;
    // Position just before the line's end characters.
    qsizetype lineEndPosition(int line) const;

    // The partner of the bracket at pos ("()", "[]", "{}" or "<>"), counting only brackets of the
    // same kind and nothing else (every character has the same style here); -1 when the
    // character is no bracket or has no partner.
    qsizetype braceMatch(qsizetype pos) const;

    // A position inside a well-formed UTF-8 character moves to the character's end (UTF-8 text
    // only); with lineEnds, a position between "\r" and "\n" moves past the "\n". Positions are
    // clamped to [0, length()].
    qsizetype movePastCharacter(qsizetype pos, bool lineEnds) const;

private:
    void buildBracePartners() const;

    QByteArray m_text;
    bool m_utf8 = false;
    std::vector<qsizetype> m_lineStarts;
    // Built on first use, for the bracket bytes only (a table per text byte cost a quarter of a
    // parse): the positions of the paired brackets, ascending, and each one's partner.
    mutable std::vector<std::int32_t> m_bracket;
    mutable std::vector<std::int32_t> m_partner;
    mutable bool m_partnersBuilt = false;
};

} // namespace pw::functionlist
