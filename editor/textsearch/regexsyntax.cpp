// Reads a pattern the way the editing component compiles it and writes the PCRE2 program that
// finds the same matches on one line of text.
#include "editor/textsearch/regexsyntax.h"

#include <bitset>
#include <cstdio>
#include <vector>

namespace pw::search {

namespace {

using ByteSet = std::bitset<256>;

// One compiled element, in the component's terms.
struct Item
{
    enum Kind { Chars, LineStart, LineEnd, GroupOpen, GroupClose, WordStart, WordEnd, Ref, Broken };
    // The component's repeat operators: "*" greedy, "*?" lazy, "?" optional.
    enum Repeat { Once, Greedy, Lazy, Optional };
    Kind kind = Chars;
    ByteSet bytes;
    // Stored as a byte set rather than a single byte or "any byte": the component's optional
    // repeat then consumes a whole run.
    bool storedAsSet = false;
    Repeat repeat = Once;
    // For Broken: the repeat operator wrapped around an optional item. The component accepts it
    // and fails whenever matching reaches it.
    Repeat outer = Once;
    int group = 0;
    // Bytes of the component's automaton the item takes, closure overhead included.
    int size = 0;
};

// The component's automaton holds 4096 bytes; before each pattern byte it checks that a set
// (32 bytes) and a little more still fit.
constexpr int AutomatonLimit = 4096 - 32 - 10;
constexpr int MaxGroups = 10; // group numbers 1..9
constexpr int SetSize = 1 + 32;

bool isWordByte(const CharClassTable &classes, unsigned char c)
{
    return classes[c] == CharClass::Word;
}

void addWithCase(ByteSet &set, unsigned char c, bool matchCase)
{
    set.set(c);
    if (matchCase)
        return;
    if (c >= 'a' && c <= 'z')
        set.set(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
        set.set(c - 'A' + 'a');
}

int hexDigit(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The escape whose letter is at pattern[p]: a byte (returned) or a class (-1, bytes added to set).
// extra is the number of further pattern bytes the escape used.
int escapeValue(std::string_view pattern, std::size_t p, const CharClassTable &classes,
                ByteSet &set, std::size_t &extra)
{
    extra = 0;
    if (p >= pattern.size())
        return '\\';
    const auto c = static_cast<unsigned char>(pattern[p]);
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
        const int high = p + 1 < pattern.size() ? hexDigit(pattern[p + 1]) : -1;
        const int low = p + 2 < pattern.size() ? hexDigit(pattern[p + 2]) : -1;
        if (high < 0 || low < 0)
            return 'x';
        extra = 2;
        return high * 16 + low;
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
            if (b != ' ' && (b < 0x09 || b > 0x0D))
                set.set(std::size_t(b));
        return -1;
    case 'w':
    case 'W':
        for (int b = 0; b < 256; ++b)
            if (isWordByte(classes, static_cast<unsigned char>(b)) == (c == 'w'))
                set.set(std::size_t(b));
        return -1;
    default:
        return c;
    }
}

// "[...]" starting at pattern[open] == '['; on success end is the index of the closing ']'.
std::string readSet(std::string_view pattern, std::size_t open, bool matchCase,
                    const CharClassTable &classes, ByteSet &result, std::size_t &end)
{
    const std::size_t n = pattern.size();
    std::size_t p = open + 1;
    ByteSet set;
    bool negate = false;
    int previous = 0; // the last single byte, -1 after a class escape
    if (p < n && pattern[p] == '^') {
        negate = true;
        ++p;
    }
    if (p < n && pattern[p] == '-') {
        previous = '-';
        set.set('-');
        ++p;
    }
    if (p < n && pattern[p] == ']') {
        previous = ']';
        set.set(']');
        ++p;
    }
    while (p < n && pattern[p] != ']') {
        const auto c = static_cast<unsigned char>(pattern[p]);
        if (c == '-') {
            if (previous < 0) {
                // after a class escape a dash is itself
                previous = '-';
                set.set('-');
            } else if (p + 1 >= n) {
                return "Missing ]";
            } else if (pattern[p + 1] == ']') {
                previous = '-';
                set.set('-');
            } else {
                const int low = previous + 1;
                ++p;
                int high = static_cast<unsigned char>(pattern[p]);
                if (high == '\\') {
                    if (p + 1 >= n)
                        return "Missing ]";
                    ++p;
                    std::size_t extra = 0;
                    high = escapeValue(pattern, p, classes, set, extra);
                    p += extra;
                    if (high >= 0) {
                        // an escaped byte never folds case
                        set.set(std::size_t(high));
                        previous = high;
                    } else {
                        previous = -1;
                    }
                }
                if (previous < 0) {
                    previous = '-';
                    set.set('-');
                } else {
                    // The range end does not become the previous byte: the range start stays.
                    for (int b = low; b <= high; ++b)
                        addWithCase(set, static_cast<unsigned char>(b), matchCase);
                }
            }
        } else if (c == '\\' && p + 1 < n) {
            ++p;
            std::size_t extra = 0;
            const int value = escapeValue(pattern, p, classes, set, extra);
            p += extra;
            if (value >= 0) {
                set.set(std::size_t(value));
                previous = value;
            } else {
                previous = -1;
            }
        } else {
            previous = c;
            addWithCase(set, c, matchCase);
        }
        ++p;
    }
    if (p >= n)
        return "Missing ]";
    result = negate ? ~set : set;
    end = p;
    return {};
}

// Reads the pattern into items as the component compiles it; returns the component's error text,
// empty when it accepts the pattern.
std::string readPattern(std::string_view pattern, bool matchCase, bool posix,
                        const CharClassTable &classes, std::vector<Item> &items)
{
    const std::size_t n = pattern.size();
    if (n == 0)
        return "No previous regular expression";
    std::vector<int> open; // open group numbers, innermost last
    int nextGroup = 1;
    int used = 0;
    int previous = -1; // index of the item the next repeat applies to
    auto push = [&](Item item) {
        used += item.size;
        items.push_back(item);
        previous = int(items.size()) - 1;
    };
    auto openGroup = [&]() -> std::string {
        if (nextGroup >= MaxGroups)
            return posix ? "Too many () pairs" : "Too many \\(\\) pairs";
        Item item;
        item.kind = Item::GroupOpen;
        item.group = nextGroup++;
        item.size = 2;
        open.push_back(item.group);
        push(item);
        return {};
    };
    auto closeGroup = [&]() -> std::string {
        if (previous >= 0 && items[std::size_t(previous)].kind == Item::GroupOpen)
            return posix ? "Null pattern inside ()" : "Null pattern inside \\(\\)";
        if (open.empty())
            return posix ? "Unmatched )" : "Unmatched \\)";
        Item item;
        item.kind = Item::GroupClose;
        item.group = open.back();
        item.size = 2;
        open.pop_back();
        push(item);
        return {};
    };
    auto byteItem = [](int value) {
        Item item;
        item.bytes.set(std::size_t(value));
        item.size = 2;
        return item;
    };
    auto setItem = [](const ByteSet &bytes) {
        Item item;
        item.bytes = bytes;
        item.storedAsSet = true;
        item.size = SetSize;
        return item;
    };

    for (std::size_t i = 0; i < n; ++i) {
        if (used > AutomatonLimit)
            return "Pattern too long";
        const auto c = static_cast<unsigned char>(pattern[i]);
        switch (c) {
        case '.': {
            Item item;
            item.bytes.set();
            item.size = 1;
            push(item);
            break;
        }
        case '^':
            if (i == 0) {
                Item item;
                item.kind = Item::LineStart;
                item.size = 1;
                push(item);
            } else {
                push(byteItem(c));
            }
            break;
        case '$':
            if (i + 1 == n) {
                Item item;
                item.kind = Item::LineEnd;
                item.size = 1;
                push(item);
            } else {
                push(byteItem(c));
            }
            break;
        case '[': {
            ByteSet set;
            std::size_t end = i;
            const std::string error = readSet(pattern, i, matchCase, classes, set, end);
            if (!error.empty())
                return error;
            push(setItem(set));
            i = end;
            break;
        }
        case '*':
        case '+':
        case '?': {
            if (i == 0)
                return "Empty closure";
            Item &last = items[std::size_t(previous)];
            const bool wrapsRepeat = (last.kind == Item::Chars && last.repeat != Item::Once &&
                                      last.repeat != Item::Optional) ||
                                     (last.kind == Item::Broken && last.outer != Item::Optional);
            if (wrapsRepeat)
                break; // "**" is "*": the component leaves a repeated item alone
            if (last.kind != Item::Chars && last.kind != Item::Broken)
                return "Illegal closure";
            Item::Repeat repeat = Item::Greedy;
            if (c == '?')
                repeat = Item::Optional;
            else if (i + 1 < n && pattern[i + 1] == '?')
                repeat = Item::Lazy;
            if (c == '+') {
                const Item copy = last;
                push(copy);
            }
            Item &target = items[std::size_t(previous)];
            if (target.kind == Item::Broken || target.repeat == Item::Optional) {
                target.kind = Item::Broken;
                target.outer = repeat;
            } else {
                target.repeat = repeat;
            }
            target.size += 2;
            used += 2;
            break;
        }
        case '\\': {
            ++i;
            const auto e = i < n ? static_cast<unsigned char>(pattern[i]) : 0;
            if (e == '<') {
                Item item;
                item.kind = Item::WordStart;
                item.size = 1;
                push(item);
            } else if (e == '>') {
                if (previous >= 0 && items[std::size_t(previous)].kind == Item::WordStart)
                    return "Null pattern inside \\<\\>";
                Item item;
                item.kind = Item::WordEnd;
                item.size = 1;
                push(item);
            } else if (e >= '1' && e <= '9') {
                const int ref = e - '0';
                if (!open.empty() && open.back() == ref)
                    return "Cyclical reference";
                if (nextGroup <= ref)
                    return "Undetermined reference";
                Item item;
                item.kind = Item::Ref;
                item.group = ref;
                item.size = 2;
                push(item);
            } else if (!posix && e == '(') {
                const std::string error = openGroup();
                if (!error.empty())
                    return error;
            } else if (!posix && e == ')') {
                const std::string error = closeGroup();
                if (!error.empty())
                    return error;
            } else {
                ByteSet set;
                std::size_t extra = 0;
                const int value = escapeValue(pattern, i, classes, set, extra);
                i += extra;
                push(value >= 0 ? byteItem(value) : setItem(set));
            }
            break;
        }
        default:
            if (posix && c == '(') {
                const std::string error = openGroup();
                if (!error.empty())
                    return error;
            } else if (posix && c == ')') {
                const std::string error = closeGroup();
                if (!error.empty())
                    return error;
            } else if (matchCase || !isWordByte(classes, c)) {
                push(byteItem(c));
            } else {
                ByteSet set;
                addWithCase(set, c, false);
                push(setItem(set));
            }
            break;
        }
    }
    if (!open.empty())
        return posix ? "Unmatched (" : "Unmatched \\(";
    return {};
}

std::string hexByte(int b)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02x", b);
    return buffer;
}

// A byte set as a PCRE2 item. Line-end bytes never occur inside a searched line, so they are
// dropped; that also keeps every match on one line.
std::string pcreClass(ByteSet set)
{
    set.reset('\r');
    set.reset('\n');
    if (set.none())
        return "(*FAIL)";
    if (set.count() == 1) {
        for (int b = 0; b < 256; ++b)
            if (set.test(std::size_t(b)))
                return hexByte(b);
    }
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

std::string translate(const std::vector<Item> &items, const CharClassTable &classes,
                      RangeStart rangeStart)
{
    ByteSet wordBytes;
    for (int b = 0; b < 256; ++b)
        if (isWordByte(classes, static_cast<unsigned char>(b)))
            wordBytes.set(std::size_t(b));
    wordBytes.reset('\r');
    wordBytes.reset('\n');
    const std::string word =
        wordBytes.none() ? std::string("[^\\x00-\\xff]") : pcreClass(wordBytes);

    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const Item &item = items[k];
        switch (item.kind) {
        case Item::Chars: {
            const std::string one = pcreClass(item.bytes);
            if (one == "(*FAIL)") {
                // Zero repeats of an impossible byte still match.
                out += item.repeat == Item::Once ? one : std::string();
                break;
            }
            out += one;
            switch (item.repeat) {
            case Item::Once:
                break;
            case Item::Greedy:
                out += "*";
                break;
            case Item::Lazy:
                // With nothing after it the component keeps the longest run.
                out += k + 1 == items.size() ? "*" : "*?";
                break;
            case Item::Optional:
                out += item.storedAsSet ? "*" : "?";
                break;
            }
            break;
        }
        case Item::Broken:
            out += "(*FAIL)";
            break;
        case Item::LineStart:
            out += "^";
            break;
        case Item::LineEnd:
            out += "(?=[\\r\\n]|\\z)";
            break;
        case Item::GroupOpen:
            out += "(";
            break;
        case Item::GroupClose:
            out += ")";
            break;
        case Item::WordStart:
            if (rangeStart == RangeStart::StartOffset)
                out += "(?:\\G|(?<!" + word + "))(?=" + word + ")";
            else
                out += "(?<!" + word + ")(?=" + word + ")";
            break;
        case Item::WordEnd:
            if (rangeStart == RangeStart::StartOffset)
                out += "(?!\\G)";
            out += "(?<=" + word + ")(?!" + word + ")";
            break;
        case Item::Ref:
            out += "\\g{" + std::to_string(item.group) + "}";
            break;
        }
    }
    return out;
}

} // namespace

RegexTranslation translateComponentRegex(std::string_view pattern, bool matchCase, bool posix,
                                         const CharClassTable &classes, RangeStart rangeStart)
{
    RegexTranslation result;
    result.rangeStart = rangeStart;
    std::vector<Item> items;
    result.error = readPattern(pattern, matchCase, posix, classes, items);
    if (!result.error.empty())
        return result;
    result.valid = true;
    result.lineStartAnchored = items.front().kind == Item::LineStart;
    result.lineEndOnly = items.size() == 1 && items.front().kind == Item::LineEnd;
    const std::size_t n = pattern.size();
    result.needsWholeLastLine = pattern[n - 1] == '$' && (n < 2 || pattern[n - 2] != '\\');
    result.pcre = translate(items, classes, rangeStart);
    return result;
}

} // namespace pw::search
