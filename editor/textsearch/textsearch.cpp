// The component's literal and regular-expression target searches over its text buffer: literal
// scans with memchr, regular expressions with the windowed PCRE2 matcher, and the component's
// rules about characters, words and lines applied around them.
#include "editor/textsearch/textsearch.h"

#include "editor/textsearch/componenttext.h"

#include <QChar>
#include <algorithm>
#include <cstring>

namespace pw::search {

namespace {

constexpr int BackwardRepeatLimit = 1000;
// A literal search asks the budget after about this many bytes of work.
constexpr qsizetype LiteralCheckBytes = 1 << 20;

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

// The text around a search start as the replaced text holds it: the leading bytes, then the
// text's own. A character or a "\r\n" pair may begin in the leading bytes and end in the text.
class AroundStart
{
public:
    AroundStart(const Leading &leading, const ComponentText &text, qsizetype start)
        : m_start(start), m_lead(leading.size)
    {
        std::memcpy(m_bytes, leading.bytes, std::size_t(m_lead));
        const qsizetype after = std::clamp<qsizetype>(text.length() - start, 0, Following);
        if (after > 0)
            std::memcpy(m_bytes + m_lead, text.bytes(start), std::size_t(after));
        m_view.data = m_bytes;
        m_view.length = m_lead + after;
        m_view.utf8 = text.utf8();
    }

    // Whether p (a text position) is close enough to the start to be answered here.
    bool covers(qsizetype p) const { return p >= m_start && p - m_start < Following - 4; }
    qsizetype moveOutsideCharacter(bool lineEnds) const
    {
        return m_start + ComponentText(m_view).moveOutsideCharacter(m_lead, 1, lineEnds) - m_lead;
    }
    bool isCharacterStart(qsizetype p, bool wholeNoncharacters) const
    {
        return ComponentText(m_view).isCharacterStart(m_lead + (p - m_start), wholeNoncharacters);
    }

private:
    static constexpr qsizetype Following = 12;
    char m_bytes[4 + Following];
    TextView m_view;
    qsizetype m_start;
    int m_lead;
};

} // namespace

// ---- The compiled pattern

SearchPattern::SearchPattern(QByteArray text, int flags, const CharClassTable &classes)
    : m_text(std::move(text)), m_flags(flags)
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
    m_program = std::make_unique<RegexProgram>(pattern, matchCase(),
                                               (m_flags & SearchFlag::Posix) != 0, classes,
                                               RangeStart::SubjectStart);
    if (!m_program->isValid()) {
        m_error = QString::fromStdString(m_program->error());
        return;
    }
    m_valid = true;
}

SearchPattern::~SearchPattern() = default;

// ---- The searcher

struct Searcher::Context
{
    ComponentText text;
    std::unique_ptr<RegexMatcher> matcher;
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
    // The last complete forward regular-expression search without leading bytes. A later search
    // towards the same end from a start in [start, match.start) can only differ by a match at
    // its own start: every other position was tried with the same text before and after it.
    struct Memo
    {
        bool valid = false;
        qsizetype start = -1;
        qsizetype end = -1;
        Match match;
    };
    Memo memo;
    qint64 literalScanned = 0;

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
        literalScanned += (found < 0 ? last : found) - from + 1;
        scan = {byte, from, last, found};
        return found;
    }

    explicit Context(const TextView &t) : text(t) {}
};

Searcher::Searcher(const TextView &text, const SearchPattern &pattern, SearchBudget *budget,
                   const SearchLimits &limits)
    : m_text(text), m_pattern(pattern), m_givenBudget(budget),
      m_context(std::make_unique<Context>(text))
{
    if (pattern.isRegex() && pattern.isValid())
        m_context->matcher = std::make_unique<RegexMatcher>(*pattern.m_program, limits);
}

Searcher::~Searcher() = default;

qsizetype Searcher::passedOver() const
{
    return m_context->matcher ? m_context->matcher->firstPassedOver() : -1;
}

qint64 Searcher::scannedBytes() const
{
    return m_context->literalScanned +
           (m_context->matcher ? m_context->matcher->bytesCovered() : 0);
}

SearchStatus Searcher::find(qsizetype start, qsizetype end, Match &match, const Leading *leading)
{
    match = {};
    m_stop = {};
    if (!m_pattern.isValid())
        return SearchStatus::InvalidPattern;
    if (m_givenBudget) {
        m_budget = m_givenBudget;
    } else {
        m_ownBudget.emplace();
        m_budget = &*m_ownBudget;
    }
    // Many searches answer without any scan (a lone "$", a remembered answer); a run of them
    // still asks the budget now and then.
    if ((++m_searches % 256 == 0 || m_budget->exhausted()) && !keepScanning(start))
        return SearchStatus::Stopped;
    if (!m_pattern.isRegex())
        return findLiteral(start, end, match, leading);
    m_context->matcher->resetPassedOver();
    const SearchStatus status = start <= end ? findRegexForward(start, end, match, leading)
                                             : findRegexBackward(start, end, match);
    if (status == SearchStatus::NotFound && passedOver() >= 0) {
        m_stop = {StopReason::HardPosition, passedOver()};
        return SearchStatus::Stopped;
    }
    return status;
}

bool Searcher::keepScanning(qsizetype pos)
{
    if (m_budget->keepGoing(pos))
        return true;
    m_stop = {m_budget->reason(), pos};
    return false;
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
    std::optional<AroundStart> around;
    if (leading && forward)
        around.emplace(*leading, c.text, start);
    const qsizetype startPos = around ? around->moveOutsideCharacter(false)
                                      : c.text.moveOutsideCharacter(start, direction);
    const qsizetype endPos = c.text.moveOutsideCharacter(end, direction);
    const qsizetype limitPos = std::max(startPos, endPos);
    const bool matchCase = m_pattern.matchCase();
    const bool utf8 = m_text.utf8;
    // The leading bytes describe what precedes the requested start only.
    const Leading *lead = startPos == start ? leading : nullptr;
    // Near the start, characters may begin in the leading bytes.
    auto characterStart = [&](qsizetype p, bool wholeNoncharacters) {
        return around && around->covers(p) ? around->isCharacterStart(p, wholeNoncharacters)
                                            : c.text.isCharacterStart(p, wholeNoncharacters);
    };

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
        if (wholeCharacters && !characterStart(pos + n, true))
            return false;
        return wordAt(pos, pos + n, pos == startPos ? lead : nullptr);
    };
    // Bytes compared or stepped over since the budget was last asked; a long needle on text that
    // nearly matches everywhere costs its length at every place.
    qsizetype work = 0;
    auto spend = [&](qsizetype bytes) { return (work += bytes) < LiteralCheckBytes; };

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
            if (characterStart(candidate, wholeNoncharacters) && accept(candidate)) {
                match = {candidate, candidate + n};
                return SearchStatus::Found;
            }
            pos = candidate + 1;
            if (!spend(n)) {
                work = 0;
                if (!keepScanning(pos))
                    return SearchStatus::Stopped;
            }
        }
        return SearchStatus::NotFound;
    }

    // Backwards: from the character before the start down to the end of the range.
    qsizetype pos = c.text.nextPosition(startPos, -1);
    const unsigned char first = foldAscii(s[0]);
    while (pos >= endPos) {
        const unsigned char here = c.text.at(pos);
        const bool candidate = matchCase ? here == s[0] : foldAscii(here) == first;
        if (candidate && accept(pos)) {
            match = {pos, pos + n};
            return SearchStatus::Found;
        }
        const qsizetype next = utf8 ? c.text.nextPosition(pos, -1) : (pos > 0 ? pos - 1 : 0);
        if (next == pos)
            break;
        pos = next;
        if (!spend(candidate ? n : 1)) {
            c.literalScanned += work;
            work = 0;
            if (!keepScanning(pos))
                return SearchStatus::Stopped;
        }
    }
    c.literalScanned += work;
    return SearchStatus::NotFound;
}

// ---- Regular expressions

SearchStatus Searcher::runProgram(qsizetype subjectStart, qsizetype subjectEnd, qsizetype offset,
                                  qsizetype lastStart, Match &match)
{
    Context &c = *m_context;
    const char *subject = reinterpret_cast<const char *>(c.text.bytes(subjectStart));
    switch (c.matcher->find(subject, subjectEnd - subjectStart, offset, lastStart, subjectStart,
                            *m_budget, match)) {
    case RegexMatcher::Result::Found:
        return SearchStatus::Found;
    case RegexMatcher::Result::NotFound:
        return SearchStatus::NotFound;
    case RegexMatcher::Result::Stopped:
        break;
    }
    m_stop = c.matcher->stopPoint();
    return SearchStatus::Stopped;
}

SearchStatus Searcher::findRegexForward(qsizetype start, qsizetype end, Match &match,
                                        const Leading *leading)
{
    Context &c = *m_context;
    const RegexTranslation &re = m_pattern.m_program->translation();
    // Both range ends move forward out of a character and out of a "\r\n" pair; what precedes
    // the start (the leading bytes when given) decides whether it sits inside such a pair.
    const int previous =
        leading ? (leading->size > 0 ? static_cast<unsigned char>(leading->bytes[leading->size - 1])
                                     : -1)
                : (start > 0 ? c.text.at(start - 1) : -1);
    qsizetype startPos = std::clamp<qsizetype>(start, 0, m_text.length);
    if (leading)
        startPos = AroundStart(*leading, c.text, startPos).moveOutsideCharacter(true);
    else
        startPos = c.text.moveOutsideCharacter(startPos, 1, true);
    const Leading *lead = startPos == start ? leading : nullptr;
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

    auto acceptable = [&](const Match &found) {
        if (re.lineStartAnchored)
            return found.start == subjectStart || c.text.isLineStart(found.start);
        return found.start < subjectEnd && c.text.at(found.start) != '\r' &&
               c.text.at(found.start) != '\n';
    };
    const qsizetype subjectLength = subjectEnd - subjectStart;
    Context::Memo &memo = c.memo;
    if (!leading && memo.valid && memo.end == endPos && memo.start <= startPos &&
        (!memo.match.found() || memo.match.start > startPos)) {
        Match here;
        const SearchStatus status = runProgram(subjectStart, subjectEnd, 0, 0, here);
        if (status == SearchStatus::Stopped)
            return status;
        if (status == SearchStatus::Found && acceptable(here)) {
            match = {here.start, c.text.moveOutsideCharacter(here.end, 1)};
            return SearchStatus::Found;
        }
        match = memo.match;
        return match.found() ? SearchStatus::Found : SearchStatus::NotFound;
    }
    auto remember = [&](SearchStatus status) {
        if (!leading && status != SearchStatus::Stopped && passedOver() < 0)
            memo = {true, startPos, endPos, match};
        else
            memo.valid = false;
        return status;
    };

    qsizetype offset = 0;
    while (true) {
        Match found;
        const SearchStatus status =
            runProgram(subjectStart, subjectEnd, offset, subjectLength, found);
        if (status != SearchStatus::Found)
            return remember(status);
        if (acceptable(found)) {
            match = {found.start, c.text.moveOutsideCharacter(found.end, 1)};
            return remember(SearchStatus::Found);
        }
        // Nothing else can start on that line: go on with the next one.
        if (found.start >= subjectEnd)
            return remember(SearchStatus::NotFound);
        const unsigned char here = c.text.at(found.start);
        const qsizetype next =
            (here == '\r' || here == '\n') ? c.text.afterLineEnd(found.start) : found.start + 1;
        if (next > subjectEnd)
            return remember(SearchStatus::NotFound);
        offset = next - subjectStart;
    }
}

// One line segment [bol, endp) as the component's matcher runs it: the first match starting
// in the segment, or at bol for a pattern anchored with "^".
SearchStatus Searcher::execute(qsizetype bol, qsizetype endp, Match &match)
{
    const RegexTranslation &re = m_pattern.m_program->translation();
    if (re.lineEndOnly) {
        match = {endp, endp};
        return SearchStatus::Found;
    }
    if (bol > endp || (bol == endp && !re.lineStartAnchored))
        return SearchStatus::NotFound;
    Match found;
    // An anchored pattern is tried at bol only.
    const SearchStatus status =
        runProgram(bol, endp, 0, re.lineStartAnchored ? 0 : endp - bol, found);
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
    const RegexTranslation &re = m_pattern.m_program->translation();
    minPos = std::clamp<qsizetype>(minPos, 0, m_text.length);
    // The regular-expression search moves both range ends forward out of a character and out of
    // a "\r\n" pair, whatever the direction.
    const qsizetype startPos = c.text.moveOutsideCharacter(minPos, 1, true);
    const qsizetype endPos = c.text.moveOutsideCharacter(maxPos, 1, true);

    const qsizetype lastLine = c.text.lineStartOf(endPos); // the line the backward range stops on
    qsizetype line = c.text.lineStartOf(startPos);
    const qsizetype firstLine = line;
    qint64 linesWalked = 0;
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
            if (status == SearchStatus::Stopped)
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
                        if (status == SearchStatus::Stopped)
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
        // Lines that need no PCRE2 call (empty ones, for a start) pass without the matcher
        // asking the budget.
        if (++linesWalked % 4096 == 0 && !keepScanning(line))
            return SearchStatus::Stopped;
    }
}

} // namespace pw::search
