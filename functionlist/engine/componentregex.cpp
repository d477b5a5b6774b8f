// Reads patterns in the editing component's regular-expression syntax, translates them to PCRE2
// and runs the component's line-by-line target search with them.
#include "functionlist/engine/componentregex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <bitset>
#include <cstdio>
#include <pcre2.h>
#include <vector>

namespace pw::functionlist {

bool isWordByte(unsigned char c)
{
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || c == '_';
}

namespace {

using ByteSet = std::bitset<256>;

// One element of a compiled pattern, in the component's terms.
struct Node
{
    enum Kind { Chars, LineStart, LineEnd, GroupOpen, GroupClose, WordStart, WordEnd, Ref, Fail };
    enum Repeat { Once, Star, Lazy, Optional };
    // How the component stores a Chars item: one byte, any byte, or a set of bytes.
    enum Step { OneByte, AnyByte, SetOfBytes };
    Kind kind = Chars;
    Step step = OneByte;
    ByteSet set;   // Chars: the bytes one step may consume
    int group = 0; // GroupOpen, GroupClose, Ref
    Repeat repeat = Once;
    bool nested = false; // a repeat applied to a repeated item: the component fails when it runs
    int size = 0;        // bytes the component's automaton spends on it
};

// Sizes of the component's automaton: its pattern-too-long check runs before each pattern
// character against this budget.
constexpr int AutomatonBytes = 4096;
constexpr int SetBytes = 32;
constexpr int AutomatonLimit = AutomatonBytes - SetBytes - 10;
constexpr int MaxGroups = 10;

void addWithCase(ByteSet &set, unsigned char c, bool matchCase)
{
    set.set(c);
    if (!matchCase) {
        if (c >= 'a' && c <= 'z')
            set.set(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            set.set(c - 'A' + 'a');
    }
}

int hexDigit(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The character after a backslash (p points at it): a single byte (returned) or a class (-1, with
// the bytes added to set). consumed tells how many extra pattern bytes the escape used.
int escapeValue(const std::string &pattern, std::size_t p, ByteSet &set, std::size_t &consumed)
{
    consumed = 0;
    if (p >= pattern.size())
        return '\\'; // a backslash at the end stands for itself
    const unsigned char c = static_cast<unsigned char>(pattern[p]);
    switch (c) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    case 'x': {
        const int hi = p + 1 < pattern.size() ? hexDigit(pattern[p + 1]) : -1;
        const int lo = p + 2 < pattern.size() ? hexDigit(pattern[p + 2]) : -1;
        if (hi < 0 || lo < 0)
            return 'x';
        consumed = 2;
        return hi * 16 + lo;
    }
    case 'd':
        for (int b = '0'; b <= '9'; ++b)
            set.set(std::size_t(b));
        return -1;
    case 'D':
        for (int b = 0; b < 256; ++b)
            if (b < '0' || b > '9')
                set.set(std::size_t(b));
        return -1;
    case 's':
        for (unsigned char b : {' ', '\t', '\n', '\r', '\f', '\v'})
            set.set(b);
        return -1;
    case 'S':
        for (int b = 0; b < 256; ++b)
            if (b != ' ' && !(b >= 0x09 && b <= 0x0D))
                set.set(std::size_t(b));
        return -1;
    case 'w':
        for (int b = 0; b < 256; ++b)
            if (isWordByte(static_cast<unsigned char>(b)))
                set.set(std::size_t(b));
        return -1;
    case 'W':
        for (int b = 0; b < 256; ++b)
            if (!isWordByte(static_cast<unsigned char>(b)))
                set.set(std::size_t(b));
        return -1;
    default:
        return c;
    }
}

// Reads a pattern into nodes the way the component compiles it; returns the component's error
// text, or an empty string when it accepts the pattern.
std::string readPattern(const std::string &pattern, bool matchCase, std::vector<Node> &nodes)
{
    if (pattern.empty())
        return "No previous regular expression";
    std::vector<int> openGroups; // group numbers, innermost last
    int nextGroup = 1;
    int used = 0;
    const std::size_t n = pattern.size();
    auto previous = [&]() -> Node * { return nodes.empty() ? nullptr : &nodes.back(); };
    for (std::size_t i = 0; i < n; ++i) {
        if (used > AutomatonLimit)
            return "Pattern too long";
        const unsigned char c = static_cast<unsigned char>(pattern[i]);
        Node node;
        switch (c) {
        case '.':
            node.set.set();
            node.step = Node::AnyByte;
            node.size = 1;
            break;
        case '^':
            if (i == 0) {
                node.kind = Node::LineStart;
                node.size = 1;
            } else {
                node.set.set(c);
                node.size = 2;
            }
            break;
        case '$':
            if (i + 1 == n) {
                node.kind = Node::LineEnd;
                node.size = 1;
            } else {
                node.set.set(c);
                node.size = 2;
            }
            break;
        case '[': {
            ByteSet set;
            std::size_t p = i + 1;
            bool negate = false;
            int prev = 0;
            if (p < n && pattern[p] == '^') {
                negate = true;
                ++p;
            }
            if (p < n && pattern[p] == '-') {
                prev = '-';
                set.set('-');
                ++p;
            }
            if (p < n && pattern[p] == ']') {
                prev = ']';
                set.set(']');
                ++p;
            }
            while (p < n && pattern[p] != ']') {
                const unsigned char pc = static_cast<unsigned char>(pattern[p]);
                if (pc == '-') {
                    if (prev < 0) {
                        // after a class escape a dash is itself
                        prev = '-';
                        set.set('-');
                    } else if (p + 1 < n) {
                        if (pattern[p + 1] != ']') {
                            const int low = prev + 1;
                            ++p;
                            int high = static_cast<unsigned char>(pattern[p]);
                            if (high == '\\') {
                                if (p + 1 >= n)
                                    return "Missing ]";
                                ++p;
                                std::size_t extra = 0;
                                high = escapeValue(pattern, p, set, extra);
                                p += extra;
                                if (high >= 0) {
                                    // an escaped character keeps its case whatever the option
                                    set.set(std::size_t(high));
                                    prev = high;
                                } else {
                                    prev = -1;
                                }
                            }
                            if (prev < 0) {
                                prev = '-';
                                set.set('-');
                            } else {
                                // The range end does not become the previous character: the
                                // component keeps the range start there.
                                for (int b = low; b <= high; ++b)
                                    addWithCase(set, static_cast<unsigned char>(b), matchCase);
                            }
                        } else {
                            prev = '-';
                            set.set('-');
                        }
                    } else {
                        return "Missing ]";
                    }
                } else if (pc == '\\' && p + 1 < n) {
                    ++p;
                    std::size_t extra = 0;
                    const int value = escapeValue(pattern, p, set, extra);
                    p += extra;
                    if (value >= 0) {
                        set.set(std::size_t(value));
                        prev = value;
                    } else {
                        prev = -1;
                    }
                } else {
                    prev = pc;
                    addWithCase(set, pc, matchCase);
                }
                ++p;
            }
            if (p >= n)
                return "Missing ]";
            node.set = negate ? ~set : set;
            node.step = Node::SetOfBytes;
            node.size = 1 + SetBytes;
            i = p;
            break;
        }
        case '*':
        case '+':
        case '?': {
            if (i == 0)
                return "Empty closure";
            Node *last = previous();
            if (last && last->kind == Node::Chars && !last->nested &&
                (last->repeat == Node::Star || last->repeat == Node::Lazy))
                continue; // a repeat after a repeat changes nothing
            if (!last || last->kind != Node::Chars)
                return "Illegal closure";
            if (c == '+') {
                Node copy = *last;
                nodes.push_back(copy);
                used += copy.size;
                last = previous();
            }
            if (last->repeat != Node::Once) {
                // The component wraps the repeated item once more and then fails on it at match
                // time.
                last->nested = true;
            } else if (c == '?') {
                last->repeat = Node::Optional;
            } else {
                last->repeat = (i + 1 < n && pattern[i + 1] == '?') ? Node::Lazy : Node::Star;
            }
            used += 2;
            continue;
        }
        case '\\': {
            ++i;
            const unsigned char e = i < n ? static_cast<unsigned char>(pattern[i]) : 0;
            if (e == '<') {
                node.kind = Node::WordStart;
                node.size = 1;
            } else if (e == '>') {
                if (previous() && previous()->kind == Node::WordStart)
                    return "Null pattern inside \\<\\>";
                node.kind = Node::WordEnd;
                node.size = 1;
            } else if (e >= '1' && e <= '9') {
                const int ref = e - '0';
                if (!openGroups.empty() && openGroups.back() == ref)
                    return "Cyclical reference";
                if (nextGroup <= ref)
                    return "Undetermined reference";
                node.kind = Node::Ref;
                node.group = ref;
                node.size = 2;
            } else {
                ByteSet set;
                std::size_t extra = 0;
                const int value = escapeValue(pattern, i, set, extra);
                i += extra;
                if (value >= 0) {
                    node.set.set(std::size_t(value));
                    node.size = 2;
                } else {
                    node.set = set;
                    node.step = Node::SetOfBytes;
                    node.size = 1 + SetBytes;
                }
            }
            break;
        }
        case '(':
            if (nextGroup >= MaxGroups)
                return "Too many () pairs";
            node.kind = Node::GroupOpen;
            node.group = nextGroup++;
            openGroups.push_back(node.group);
            node.size = 2;
            break;
        case ')':
            if (previous() && previous()->kind == Node::GroupOpen)
                return "Null pattern inside ()";
            if (openGroups.empty())
                return "Unmatched )";
            node.kind = Node::GroupClose;
            node.group = openGroups.back();
            openGroups.pop_back();
            node.size = 2;
            break;
        default:
            if (matchCase || !isWordByte(c)) {
                node.set.set(c);
                node.size = 2;
            } else {
                addWithCase(node.set, c, false);
                node.step = Node::SetOfBytes;
                node.size = 1 + SetBytes;
            }
            break;
        }
        used += node.size;
        nodes.push_back(node);
    }
    if (!openGroups.empty())
        return "Unmatched (";
    return {};
}

std::string hexByte(int b)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02x", b);
    return buffer;
}

// A set as a PCRE2 class. Line-end bytes never occur inside a searched line, so they are left
// out; that also keeps every match on one line.
std::string classOf(ByteSet set)
{
    set.reset('\r');
    set.reset('\n');
    if (set.none())
        return "[^\\x00-\\xff]";
    std::string out = "[";
    for (int b = 0; b < 256;) {
        if (!set.test(std::size_t(b))) {
            ++b;
            continue;
        }
        int e = b;
        while (e + 1 < 256 && set.test(std::size_t(e) + 1))
            ++e;
        out += hexByte(b);
        if (e > b)
            out += (e > b + 1 ? "-" : "") + hexByte(e);
        b = e + 1;
    }
    return out + "]";
}

const char WordClass[] = "[0-9A-Za-z_\\x80-\\xff]";

std::string translate(const std::vector<Node> &nodes)
{
    std::string out;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const Node &node = nodes[k];
        switch (node.kind) {
        case Node::Chars:
            out += classOf(node.set);
            if (node.nested) {
                // The component keeps the first repeat and fails when it reaches the second.
                switch (node.repeat) {
                case Node::Optional:
                    out += node.step == Node::SetOfBytes ? "*" : "?";
                    break;
                case Node::Star:
                    out += "*";
                    break;
                case Node::Lazy:
                    out += "*?";
                    break;
                case Node::Once:
                    break;
                }
                out += "(*FAIL)";
                break;
            }
            switch (node.repeat) {
            case Node::Once:
                break;
            case Node::Star:
                out += "*";
                break;
            case Node::Optional:
                // The component's zero-or-one step takes a whole run when the item is a set.
                out += node.step == Node::SetOfBytes ? "*" : "?";
                break;
            case Node::Lazy:
                // A lazy repeat that ends the pattern takes the longest run in the component.
                out += k + 1 == nodes.size() ? "*" : "*?";
                break;
            }
            break;
        case Node::LineStart:
            out += "^";
            break;
        case Node::LineEnd:
            out += "(?=[\\r\\n]|\\z)";
            break;
        case Node::GroupOpen:
            out += "(";
            break;
        case Node::GroupClose:
            out += ")";
            break;
        case Node::WordStart:
            // At the start of the searched range only the next character counts.
            out += std::string("(?:\\G|(?<!") + WordClass + "))(?=" + WordClass + ")";
            break;
        case Node::WordEnd:
            out += std::string("(?!\\G)(?<=") + WordClass + ")(?!" + WordClass + ")";
            break;
        case Node::Ref:
            out += "\\g{" + std::to_string(node.group) + "}";
            break;
        case Node::Fail:
            out += "(*FAIL)";
            break;
        }
    }
    return out;
}

} // namespace

struct ComponentRegex::Program
{
    pcre2_code *code = nullptr;
    ~Program()
    {
        if (code)
            pcre2_code_free(code);
    }
};

ComponentRegex::ComponentRegex(std::string_view pattern, bool matchCase)
    : m_pattern(pattern), m_matchCase(matchCase)
{
    std::vector<Node> nodes;
    m_error = readPattern(m_pattern, matchCase, nodes);
    if (!m_error.empty())
        return;
    m_bol = nodes.front().kind == Node::LineStart;
    m_eolOnly = nodes.size() == 1 && nodes.front().kind == Node::LineEnd;
    const std::size_t len = m_pattern.size();
    m_wholeLastLine = m_pattern[len - 1] == '$' && (len < 2 || m_pattern[len - 2] != '\\');
    m_translation = translate(nodes);

    pcre2_compile_context *cc = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(cc, PCRE2_NEWLINE_ANYCRLF);
    int code = 0;
    PCRE2_SIZE offset = 0;
    m_program = std::make_unique<Program>();
    m_program->code = pcre2_compile(
        reinterpret_cast<PCRE2_SPTR>(m_translation.data()), m_translation.size(),
        PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX | PCRE2_MATCH_UNSET_BACKREF, &code, &offset, cc);
    pcre2_compile_context_free(cc);
    if (!m_program->code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(code, message, sizeof message);
        m_error = "translation rejected: " + std::string(reinterpret_cast<char *>(message));
        m_program.reset();
        return;
    }
    // Without JIT support the interpreter gives the same answers, only slower.
    pcre2_jit_compile(m_program->code, PCRE2_JIT_COMPLETE);
    m_valid = true;
}

ComponentRegex::~ComponentRegex() = default;

struct RegexSearcher::Context
{
    pcre2_match_data *data = nullptr;
    pcre2_match_context *match = nullptr;
    pcre2_jit_stack *stack = nullptr;
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

RegexSearcher::RegexSearcher(const TextModel &text, const SearchLimits &limits)
    : m_text(text), m_context(std::make_unique<Context>())
{
    // Ten groups at most, plus the whole match.
    m_context->data = pcre2_match_data_create(MaxGroups + 1, nullptr);
    m_context->match = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(m_context->match, limits.matchLimit);
    pcre2_set_depth_limit(m_context->match, limits.depthLimit);
    pcre2_set_heap_limit(m_context->match, limits.heapLimitKiB);
    m_context->stack = pcre2_jit_stack_create(32 * 1024, limits.jitStackBytes, nullptr);
    if (m_context->stack)
        pcre2_jit_stack_assign(m_context->match, nullptr, m_context->stack);
}

RegexSearcher::~RegexSearcher() = default;

SearchOutcome RegexSearcher::run(const ComponentRegex &re, qsizetype from, qsizetype subjectEnd,
                                 bool anchored, Match &match)
{
    const int rc = pcre2_match(re.m_program->code, reinterpret_cast<PCRE2_SPTR>(m_text.data()),
                               PCRE2_SIZE(subjectEnd), PCRE2_SIZE(from),
                               anchored ? PCRE2_ANCHORED : 0, m_context->data, m_context->match);
    if (rc == PCRE2_ERROR_NOMATCH) {
        if (!anchored)
            m_scanned += subjectEnd - from;
        return SearchOutcome::NotFound;
    }
    if (rc < 0)
        return SearchOutcome::LimitExceeded;
    const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(m_context->data);
    match.start = qsizetype(ovector[0]);
    // A match ending inside a character takes the whole character.
    match.end = m_text.movePastCharacter(qsizetype(ovector[1]), false);
    m_scanned += match.end - from + 1;
    return SearchOutcome::Found;
}

// Whether the component would report a match that starts at start: it tries positions inside a
// line only (never at its end, where the line-end characters begin), except that a pattern
// anchored with "^" is tried once at each line start, empty lines included.
bool RegexSearcher::acceptable(const ComponentRegex &re, qsizetype start,
                               qsizetype subjectEnd) const
{
    const int line = m_text.lineFromPosition(start);
    if (re.startsAtLineStart())
        return start == m_text.positionFromLine(line);
    return start < std::min(m_text.lineEndPosition(line), subjectEnd);
}

SearchOutcome RegexSearcher::search(const ComponentRegex &re, qsizetype from, qsizetype subjectEnd,
                                    int lastLine, Match &match)
{
    qsizetype start = from;
    while (true) {
        const SearchOutcome outcome = run(re, start, subjectEnd, false, match);
        if (outcome != SearchOutcome::Found) {
            match = {};
            return outcome;
        }
        if (acceptable(re, match.start, subjectEnd))
            return SearchOutcome::Found;
        // Nothing else on that line can be reported; the component goes on with the next one.
        const int next = m_text.lineFromPosition(match.start) + 1;
        match = {};
        if (next > lastLine)
            return SearchOutcome::NotFound;
        start = m_text.positionFromLine(next);
        if (start > subjectEnd)
            return SearchOutcome::NotFound;
    }
}

SearchOutcome RegexSearcher::find(const ComponentRegex &re, qsizetype from, qsizetype to,
                                  Match &match)
{
    match = {};
    if (!re.isValid())
        return SearchOutcome::NotFound;
    const qsizetype length = m_text.length();
    from = std::clamp<qsizetype>(from, 0, length);
    to = std::clamp<qsizetype>(to, 0, length);
    // The component moves range ends that fall between "\r" and "\n" or inside a character
    // past them.
    from = m_text.movePastCharacter(from, true);
    to = m_text.movePastCharacter(to, true);
    if (from > to)
        return SearchOutcome::NotFound;

    const int firstLine = m_text.lineFromPosition(from);
    const int lastLine = m_text.lineFromPosition(to);
    qsizetype subjectEnd = to;
    int searchedLastLine = lastLine;
    if (re.needsWholeLastLine() && to != m_text.lineEndPosition(lastLine)) {
        if (firstLine == lastLine)
            return SearchOutcome::NotFound;
        searchedLastLine = lastLine - 1;
        subjectEnd = m_text.lineEndPosition(searchedLastLine);
    }
    if (re.isLineEndOnly()) {
        // The component answers an empty match at the end of the first line searched.
        const qsizetype at =
            firstLine == searchedLastLine ? subjectEnd : m_text.lineEndPosition(firstLine);
        match = {at, at};
        return SearchOutcome::Found;
    }

    // Only a match starting exactly at from can differ from an earlier search that started
    // before from and ran to the same end, because "\<" and "\>" treat the range start
    // specially.
    auto memo = m_memo.find(&re);
    if (memo != m_memo.end() && memo->second.to == to && memo->second.from <= from &&
        (!memo->second.match.found() || memo->second.match.start > from)) {
        Match here;
        const SearchOutcome outcome = run(re, from, subjectEnd, true, here);
        if (outcome == SearchOutcome::LimitExceeded)
            return outcome;
        if (outcome == SearchOutcome::Found && acceptable(re, here.start, subjectEnd)) {
            match = here;
            return SearchOutcome::Found;
        }
        match = memo->second.match;
        return match.found() ? SearchOutcome::Found : SearchOutcome::NotFound;
    }

    const SearchOutcome outcome = search(re, from, subjectEnd, searchedLastLine, match);
    if (outcome == SearchOutcome::LimitExceeded)
        return outcome;
    m_memo[&re] = Memo{from, to, match};
    return outcome;
}

const ComponentRegex &PatternCache::get(const std::string &pattern, bool matchCase)
{
    auto &slot = m_patterns[{pattern, matchCase}];
    if (!slot)
        slot = std::make_unique<ComponentRegex>(pattern, matchCase);
    return *slot;
}

} // namespace pw::functionlist
