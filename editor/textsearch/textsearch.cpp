// The component's literal and regular-expression target searches over its text buffer: literal
// scans with memchr, regular expressions with PCRE2, and the component's rules about characters,
// words and lines applied around them.
#include "editor/textsearch/textsearch.h"

#include "editor/textsearch/componenttext.h"
#include "editor/textsearch/regexsyntax.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <QChar>
#include <algorithm>
#include <cstring>
#include <pcre2.h>

namespace pw::search {

namespace {

constexpr int BackwardRepeatLimit = 1000;

// Whole-word classes of characters beyond ASCII in UTF-8 text follow their Unicode category.
CharClass unicodeClass(unsigned int character)
{
    switch (QChar::category(char32_t(character))) {
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return CharClass::NewLine;
    case QChar::Separator_Space:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return CharClass::Space;
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return CharClass::Word;
    default:
        return CharClass::Punctuation;
    }
}

unsigned char foldAscii(unsigned char b)
{
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

} // namespace

// ---- The compiled pattern

struct SearchPattern::Program
{
    RegexTranslation regex;
    pcre2_code *code = nullptr;
    ~Program()
    {
        if (code)
            pcre2_code_free(code);
    }
};

SearchPattern::SearchPattern(QByteArray text, int flags, const CharClassTable &classes)
    : m_text(std::move(text)), m_flags(flags), m_program(std::make_unique<Program>())
{
    if (m_text.isEmpty()) {
        m_error = QStringLiteral("empty search text");
        return;
    }
    if (!isRegex()) {
        m_valid = true;
        return;
    }
    const std::string_view pattern(m_text.constData(), std::size_t(m_text.size()));
    m_program->regex =
        translateComponentRegex(pattern, matchCase(), (m_flags & SearchFlag::Posix) != 0, classes);
    if (!m_program->regex.valid) {
        m_error = QString::fromStdString(m_program->regex.error);
        return;
    }
    pcre2_compile_context *compile = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(compile, PCRE2_NEWLINE_ANYCRLF);
    int code = 0;
    PCRE2_SIZE offset = 0;
    const std::string &source = m_program->regex.pcre;
    m_program->code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(),
                      PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX | PCRE2_MATCH_UNSET_BACKREF |
                          PCRE2_NEVER_UTF | PCRE2_NEVER_UCP,
                      &code, &offset, compile);
    pcre2_compile_context_free(compile);
    if (!m_program->code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(code, message, sizeof message);
        m_error = QStringLiteral("translation refused: ") +
                  QString::fromUtf8(reinterpret_cast<const char *>(message));
        return;
    }
    // Without JIT support the interpreter gives the same answers, only slower.
    pcre2_jit_compile(m_program->code, PCRE2_JIT_COMPLETE);
    m_valid = true;
}

SearchPattern::~SearchPattern() = default;

// ---- The searcher

struct Searcher::Context
{
    ComponentText text;
    pcre2_match_data *data = nullptr;
    pcre2_match_context *match = nullptr;
    pcre2_jit_stack *stack = nullptr;
    // The start of the line holding a range end, kept for that range end.
    qsizetype lastLineOf = -1;
    qsizetype lastLineStart = -1;
    // The last memchr answer for each case of a literal's first byte. A byte that is rare in
    // the text would otherwise be looked for up to the range end by every search of a run.
    struct ByteScan
    {
        int byte = -1;
        qsizetype from = -1;
        qsizetype last = -1;
        qsizetype found = -1;
    };
    ByteScan scans[2];

    // The first position in [from, last] holding byte, or -1.
    qsizetype nextByte(int slot, unsigned char byte, qsizetype from, qsizetype last)
    {
        if (from > last)
            return -1;
        ByteScan &scan = scans[slot];
        if (scan.byte == byte && scan.last == last && from >= scan.from &&
            (scan.found < 0 || from <= scan.found))
            return scan.found;
        const void *hit = std::memchr(text.bytes(from), byte, std::size_t(last - from + 1));
        const qsizetype found = hit ? static_cast<const unsigned char *>(hit) - text.bytes(0) : -1;
        scan = {byte, from, last, found};
        return found;
    }

    explicit Context(const TextView &t) : text(t) {}
    ~Context()
    {
        if (data)
            pcre2_match_data_free(data);
        if (match)
            pcre2_match_context_free(match);
        if (stack)
            pcre2_jit_stack_free(stack);
    }
};

Searcher::Searcher(const TextView &text, const SearchPattern &pattern, const SearchLimits &limits)
    : m_text(text), m_pattern(pattern), m_context(std::make_unique<Context>(text))
{
    if (!pattern.isRegex() || !pattern.isValid())
        return;
    m_context->data = pcre2_match_data_create_from_pattern(pattern.m_program->code, nullptr);
    m_context->match = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(m_context->match, limits.matchLimit);
    pcre2_set_heap_limit(m_context->match, limits.heapLimitKiB);
    m_context->stack = pcre2_jit_stack_create(32 * 1024, limits.jitStackBytes, nullptr);
    if (m_context->stack)
        pcre2_jit_stack_assign(m_context->match, nullptr, m_context->stack);
}

Searcher::~Searcher() = default;

SearchStatus Searcher::find(qsizetype start, qsizetype end, Match &match, const Leading *leading)
{
    match = {};
    if (!m_pattern.isValid())
        return SearchStatus::InvalidPattern;
    if (!m_pattern.isRegex())
        return findLiteral(start, end, match, leading);
    if (start <= end)
        return findRegexForward(start, end, match, leading);
    return findRegexBackward(start, end, match);
}

// ---- Words

int Searcher::classOfCharacter(unsigned int character) const
{
    if (!m_text.utf8 || character < 0x80)
        return int(m_text.classes[character & 0xFF]);
    return int(unicodeClass(character));
}

int Searcher::classAfter(qsizetype pos) const
{
    const Context &c = *m_context;
    const unsigned char lead = c.text.at(pos);
    if (!m_text.utf8 || lead < 0x80)
        return classOfCharacter(lead);
    const Utf8Status status = c.text.classifyAt(pos);
    return classOfCharacter(status.invalid ? ReplacementCharacter
                                           : utf8Decode(c.text.bytes(pos), status.width));
}

int Searcher::classBefore(qsizetype pos, const Leading *leading) const
{
    const Context &c = *m_context;
    unsigned char buffer[4];
    int n = 0;
    if (leading) {
        n = leading->size;
        for (int i = 0; i < n; ++i)
            buffer[i] = static_cast<unsigned char>(leading->bytes[i]);
    } else {
        const qsizetype from = std::max<qsizetype>(0, pos - 4);
        for (qsizetype p = from; p < pos; ++p)
            buffer[n++] = c.text.at(p);
    }
    if (n == 0)
        return classOfCharacter(0);
    if (!m_text.utf8)
        return classOfCharacter(buffer[n - 1]);
    return classOfCharacter(utf8CharacterEndingAt(buffer, n));
}

bool Searcher::wordStartAt(qsizetype pos, const Leading *leading) const
{
    const bool atDocumentStart = leading ? leading->atStart : pos <= 0;
    if (atDocumentStart)
        return true;
    const int here = classAfter(pos);
    const int before = classBefore(pos, leading);
    return (here == int(CharClass::Word) || here == int(CharClass::Punctuation)) && here != before;
}

bool Searcher::wordEndAt(qsizetype pos) const
{
    if (pos <= 0)
        return false;
    if (pos >= m_text.length)
        return true;
    const int here = classAfter(pos);
    const int before = classBefore(pos, nullptr);
    return (before == int(CharClass::Word) || before == int(CharClass::Punctuation)) &&
           before != here;
}

bool Searcher::wordAt(qsizetype start, qsizetype end, const Leading *leading) const
{
    const int flags = m_pattern.flags();
    const bool word = flags & SearchFlag::WholeWord;
    const bool wordStart = flags & SearchFlag::WordStart;
    if (!word && !wordStart)
        return true;
    // Either option is enough when both are set.
    return (word && start < end && wordStartAt(start, leading) && wordEndAt(end)) ||
           (wordStart && wordStartAt(start, leading));
}

// ---- Literal search

SearchStatus Searcher::findLiteral(qsizetype start, qsizetype end, Match &match,
                                   const Leading *leading)
{
    Context &c = *m_context;
    const QByteArray &needle = m_pattern.text();
    const qsizetype n = needle.size();
    const auto *s = reinterpret_cast<const unsigned char *>(needle.constData());
    const bool forward = start <= end;
    const int direction = forward ? 1 : -1;
    const qsizetype startPos = c.text.moveOutsideCharacter(start, direction);
    const qsizetype endPos = c.text.moveOutsideCharacter(end, direction);
    const qsizetype limitPos = std::max(startPos, endPos);
    const bool matchCase = m_pattern.matchCase();
    const bool utf8 = m_text.utf8;
    // The leading bytes describe what precedes the requested start only.
    const Leading *lead = startPos == start ? leading : nullptr;

    auto equalAt = [&](qsizetype pos) {
        const unsigned char *t = c.text.bytes(pos);
        if (matchCase)
            return std::memcmp(t, s, std::size_t(n)) == 0;
        for (qsizetype i = 0; i < n; ++i)
            if (foldAscii(t[i]) != foldAscii(s[i]))
                return false;
        return true;
    };
    // A case-insensitive UTF-8 comparison takes whole characters of the text.
    const bool wholeCharacters = utf8 && !matchCase;
    auto accept = [&](qsizetype pos) {
        if (pos + n > limitPos || !equalAt(pos))
            return false;
        if (wholeCharacters && !c.text.isCharacterStart(pos + n, true))
            return false;
        return wordAt(pos, pos + n, pos == startPos ? lead : nullptr);
    };

    if (forward) {
        const qsizetype last = limitPos - n; // the last start that still fits
        const unsigned char first = s[0];
        const unsigned char other = matchCase                        ? first
                                    : (first >= 'a' && first <= 'z') ? first - 'a' + 'A'
                                    : (first >= 'A' && first <= 'Z') ? first - 'A' + 'a'
                                                                     : first;
        // The text walks by characters; a case-insensitive walk treats noncharacters whole.
        const bool wholeNoncharacters = !matchCase;
        // The next place of each case of the first byte, found by memchr and kept until passed.
        qsizetype nextFirst = -1;
        qsizetype nextOther = -1;
        bool firstDone = false;
        bool otherDone = other == first;
        qsizetype pos = startPos;
        while (true) {
            if (!firstDone && nextFirst < pos) {
                nextFirst = c.nextByte(0, first, pos, last);
                firstDone = nextFirst < 0;
            }
            if (!otherDone && nextOther < pos) {
                nextOther = c.nextByte(1, other, pos, last);
                otherDone = nextOther < 0;
            }
            qsizetype candidate = firstDone ? -1 : nextFirst;
            if (!otherDone && (candidate < 0 || nextOther < candidate))
                candidate = nextOther;
            if (candidate < 0)
                break;
            if (c.text.isCharacterStart(candidate, wholeNoncharacters) && accept(candidate)) {
                match = {candidate, candidate + n};
                return SearchStatus::Found;
            }
            pos = candidate + 1;
        }
        return SearchStatus::NotFound;
    }

    // Backwards: from the character before the start down to the end of the range.
    qsizetype pos = c.text.nextPosition(startPos, -1);
    const unsigned char first = foldAscii(s[0]);
    while (pos >= endPos) {
        const unsigned char here = c.text.at(pos);
        if ((matchCase ? here == s[0] : foldAscii(here) == first) && accept(pos)) {
            match = {pos, pos + n};
            return SearchStatus::Found;
        }
        const qsizetype next = utf8 ? c.text.nextPosition(pos, -1) : (pos > 0 ? pos - 1 : 0);
        if (next == pos)
            break;
        pos = next;
    }
    return SearchStatus::NotFound;
}

// ---- Regular expressions

SearchStatus Searcher::runProgram(qsizetype subjectStart, qsizetype subjectEnd, qsizetype offset,
                                  Match &match)
{
    Context &c = *m_context;
    const int rc = pcre2_match(
        m_pattern.m_program->code, reinterpret_cast<PCRE2_SPTR>(c.text.bytes(subjectStart)),
        PCRE2_SIZE(subjectEnd - subjectStart), PCRE2_SIZE(offset), 0, c.data, c.match);
    if (rc == PCRE2_ERROR_NOMATCH)
        return SearchStatus::NotFound;
    if (rc < 0)
        return SearchStatus::LimitExceeded;
    const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(c.data);
    match = {subjectStart + qsizetype(ovector[0]), subjectStart + qsizetype(ovector[1])};
    return SearchStatus::Found;
}

SearchStatus Searcher::findRegexForward(qsizetype start, qsizetype end, Match &match,
                                        const Leading *leading)
{
    Context &c = *m_context;
    const RegexTranslation &re = m_pattern.m_program->regex;
    // Both range ends move forward out of a character and out of a "\r\n" pair; what precedes
    // the start (the leading bytes when given) decides whether it sits inside such a pair.
    const int previous =
        leading ? (leading->size > 0 ? static_cast<unsigned char>(leading->bytes[leading->size - 1])
                                     : -1)
                : (start > 0 ? c.text.at(start - 1) : -1);
    qsizetype startPos = std::clamp<qsizetype>(start, 0, m_text.length);
    const Leading *lead = leading;
    if (previous == '\r' && c.text.at(startPos) == '\n' && startPos < m_text.length) {
        ++startPos;
        lead = nullptr;
    } else {
        startPos = c.text.moveOutsideCharacter(startPos, 1, true);
        if (startPos != start)
            lead = nullptr;
    }
    const qsizetype endPos = c.text.moveOutsideCharacter(end, 1, true);
    if (startPos > endPos)
        return SearchStatus::NotFound;
    const bool startsLine = lead ? (lead->atStart || previous == '\n' ||
                                    (previous == '\r' && c.text.at(startPos) != '\n'))
                                 : c.text.isLineStart(startPos);

    // The line end that closes the start's line, and whether the range ends on that line.
    const qsizetype firstEnd = c.text.lineEndFrom(startPos);
    const qsizetype secondLine =
        firstEnd >= m_text.length ? m_text.length + 1 : c.text.afterLineEnd(firstEnd);
    const bool oneLine = endPos < secondLine;
    const bool endsAtLineEnd = c.text.isAtLineEnd(endPos);

    if (re.lineEndOnly) {
        // The end of the first line searched, unless that line is also the last one and the
        // range stops short of its end.
        if (!oneLine) {
            match = {firstEnd, firstEnd};
            return SearchStatus::Found;
        }
        if (!endsAtLineEnd)
            return SearchStatus::NotFound;
        match = {endPos, endPos};
        return SearchStatus::Found;
    }

    qsizetype subjectStart = startPos;
    if (re.lineStartAnchored && !startsLine) {
        if (oneLine)
            return SearchStatus::NotFound;
        subjectStart = secondLine;
    }
    qsizetype subjectEnd = endPos;
    if (re.needsWholeLastLine && !endsAtLineEnd) {
        if (oneLine)
            return SearchStatus::NotFound;
        if (c.lastLineOf != endPos) {
            c.lastLineOf = endPos;
            c.lastLineStart = c.text.lineStartOf(endPos);
        }
        const qsizetype lastLineStart = c.lastLineStart;
        if (lastLineStart <= subjectStart)
            return SearchStatus::NotFound;
        // The line before the last one ends before its line end characters.
        subjectEnd = lastLineStart - 1;
        if (c.text.at(subjectEnd) == '\n' && subjectEnd > 0 && c.text.at(subjectEnd - 1) == '\r')
            --subjectEnd;
    }
    if (subjectStart > subjectEnd)
        return SearchStatus::NotFound;

    qsizetype offset = 0;
    while (true) {
        Match found;
        const SearchStatus status = runProgram(subjectStart, subjectEnd, offset, found);
        if (status != SearchStatus::Found)
            return status;
        bool acceptable;
        if (re.lineStartAnchored)
            acceptable = found.start == subjectStart || c.text.isLineStart(found.start);
        else
            acceptable = found.start < subjectEnd && c.text.at(found.start) != '\r' &&
                         c.text.at(found.start) != '\n';
        if (acceptable) {
            match = {found.start, c.text.moveOutsideCharacter(found.end, 1)};
            return SearchStatus::Found;
        }
        // Nothing else can start on that line: go on with the next one.
        if (found.start >= subjectEnd)
            return SearchStatus::NotFound;
        const unsigned char here = c.text.at(found.start);
        const qsizetype next =
            (here == '\r' || here == '\n') ? c.text.afterLineEnd(found.start) : found.start + 1;
        if (next > subjectEnd)
            return SearchStatus::NotFound;
        offset = next - subjectStart;
    }
}

// One line segment [bol, endp) as the component's matcher runs it: the first match starting
// in the segment, or at bol for a pattern anchored with "^".
SearchStatus Searcher::execute(qsizetype bol, qsizetype endp, Match &match)
{
    const RegexTranslation &re = m_pattern.m_program->regex;
    if (re.lineEndOnly) {
        match = {endp, endp};
        return SearchStatus::Found;
    }
    if (bol > endp || (bol == endp && !re.lineStartAnchored))
        return SearchStatus::NotFound;
    Match found;
    const SearchStatus status = runProgram(bol, endp, 0, found);
    if (status != SearchStatus::Found)
        return status;
    if (re.lineStartAnchored ? found.start != bol : found.start >= endp)
        return SearchStatus::NotFound;
    match = found;
    return SearchStatus::Found;
}

SearchStatus Searcher::findRegexBackward(qsizetype minPos, qsizetype maxPos, Match &match)
{
    Context &c = *m_context;
    const RegexTranslation &re = m_pattern.m_program->regex;
    minPos = std::clamp<qsizetype>(minPos, 0, m_text.length);
    // The regular-expression search moves both range ends forward out of a character and out of
    // a "\r\n" pair, whatever the direction.
    const qsizetype startPos = c.text.moveOutsideCharacter(minPos, 1, true);
    const qsizetype endPos = c.text.moveOutsideCharacter(maxPos, 1, true);

    const qsizetype lastLine = c.text.lineStartOf(endPos); // the line the backward range stops on
    qsizetype line = c.text.lineStartOf(startPos);
    const qsizetype firstLine = line;
    while (true) {
        qsizetype startOfLine = line;
        qsizetype endOfLine = c.text.lineEndFrom(line);
        bool skip = false;
        if (line == lastLine) {
            if (endPos != startOfLine && re.lineStartAnchored)
                skip = true;
            startOfLine = endPos;
        }
        if (!skip && line == firstLine) {
            if (startPos != endOfLine && re.needsWholeLastLine)
                skip = true;
            endOfLine = startPos;
        }
        if (!skip) {
            Match found;
            SearchStatus status = execute(startOfLine, endOfLine, found);
            if (status == SearchStatus::LimitExceeded)
                return status;
            if (status == SearchStatus::Found) {
                qsizetype pos = found.start;
                qsizetype matchEnd = c.text.moveOutsideCharacter(found.end, 1);
                qsizetype length = matchEnd - pos;
                if (!re.lineStartAnchored) {
                    // The last match on the line that ends before the start wins.
                    int repeats = BackwardRepeatLimit;
                    bool success = true;
                    while (success && matchEnd <= endOfLine && repeats-- > 0) {
                        Match later;
                        status = execute(pos + 1, endOfLine, later);
                        if (status == SearchStatus::LimitExceeded)
                            return status;
                        success = status == SearchStatus::Found && later.end <= minPos;
                        if (!success)
                            break;
                        if (later.start == pos && later.end == matchEnd)
                            break; // the same answer again until the repeat limit runs out
                        pos = later.start;
                        length = later.end - later.start;
                        matchEnd = later.end;
                    }
                }
                match = {pos, pos + length};
                return SearchStatus::Found;
            }
        }
        if (line <= lastLine || line == 0)
            return SearchStatus::NotFound;
        line = c.text.lineStartOf(line - 1);
    }
}

} // namespace pw::search
