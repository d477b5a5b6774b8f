// The only place that compiles the component's regular expressions for PCRE2, and the windowed
// matcher that keeps a search's work bounded and stoppable.
#include "editor/textsearch/regexprogram.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <pcre2.h>

namespace pw::search {

namespace {

using Clock = SearchBudget::Clock;

constexpr qsizetype InitialWindow = 512;
// A call this short lets the next window double; a longer one than SlowCall shrinks it towards
// TargetCall.
constexpr auto FastCall = std::chrono::microseconds(2000);
constexpr auto SlowCall = std::chrono::microseconds(8000);
constexpr auto TargetCall = std::chrono::microseconds(4000);

// The offset just past the line end at or after pos, or past the subject's end.
qsizetype nextLineStart(const char *subject, qsizetype length, qsizetype pos)
{
    for (qsizetype p = pos; p < length; ++p) {
        if (subject[p] == '\n')
            return p + 1;
        if (subject[p] == '\r')
            return p + 1 < length && subject[p + 1] == '\n' ? p + 2 : p + 1;
    }
    return length + 1;
}

struct JitStackFree
{
    void operator()(pcre2_jit_stack *stack) const { pcre2_jit_stack_free(stack); }
};

// The JIT stack of the calling thread, of the given greatest size. Creating one maps its whole
// size, so a stack per matcher made the many small searches of a function-list parse spend a
// third of their time in mmap and munmap. A thread runs one match at a time, so its matchers
// may share one stack; PCRE2 asks for it at the start of each match on the matching thread.
pcre2_jit_stack *threadJitStack(void *bytes)
{
    thread_local std::map<std::size_t, std::unique_ptr<pcre2_jit_stack, JitStackFree>> stacks;
    const std::size_t size = *static_cast<const std::size_t *>(bytes);
    auto &stack = stacks[size];
    if (!stack)
        stack.reset(pcre2_jit_stack_create(32 * 1024, size, nullptr));
    return stack.get(); // null: PCRE2 uses its own 32 KiB on the machine stack
}

} // namespace

struct RegexProgram::Code
{
    pcre2_code *code = nullptr;
    ~Code()
    {
        if (code)
            pcre2_code_free(code);
    }
};

RegexProgram::RegexProgram(std::string_view pattern, bool matchCase, bool posix,
                           const CharClassTable &classes, RangeStart rangeStart)
    : m_translation(translateComponentRegex(pattern, matchCase, posix, classes, rangeStart)),
      m_code(std::make_unique<Code>())
{
    if (!m_translation.valid) {
        m_error = m_translation.error;
        return;
    }
    pcre2_compile_context *compile = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(compile, PCRE2_NEWLINE_ANYCRLF);
    int code = 0;
    PCRE2_SIZE offset = 0;
    const std::string &source = m_translation.pcre;
    // PCRE2_USE_OFFSET_LIMIT lets the matcher cap the start positions of one call without
    // cutting the subject short, which would change what lookaheads and "$" see.
    m_code->code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(),
                      PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX | PCRE2_MATCH_UNSET_BACKREF |
                          PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_USE_OFFSET_LIMIT,
                      &code, &offset, compile);
    pcre2_compile_context_free(compile);
    if (!m_code->code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(code, message, sizeof message);
        m_error = "translation refused: " + std::string(reinterpret_cast<char *>(message));
        return;
    }
    // Without JIT support the interpreter gives the same answers, only slower.
    pcre2_jit_compile(m_code->code, PCRE2_JIT_COMPLETE);
    m_valid = true;
}

RegexProgram::~RegexProgram() = default;

struct RegexMatcher::Context
{
    pcre2_match_data *data = nullptr;
    pcre2_match_context *match = nullptr;
    std::size_t jitStackBytes = 0;
    ~Context()
    {
        if (data)
            pcre2_match_data_free(data);
        if (match)
            pcre2_match_context_free(match);
    }
};

RegexMatcher::RegexMatcher(const RegexProgram &program, const SearchLimits &limits)
    : m_program(program), m_context(std::make_unique<Context>()),
      m_maxWindow(std::max<qsizetype>(limits.maxWindow, 1)),
      m_window(std::min(InitialWindow, m_maxWindow))
{
    if (!program.isValid())
        return;
    m_context->data = pcre2_match_data_create_from_pattern(program.m_code->code, nullptr);
    m_context->match = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(m_context->match, limits.matchLimit);
    pcre2_set_heap_limit(m_context->match, limits.heapLimitKiB);
    m_context->jitStackBytes = limits.jitStackBytes;
    pcre2_jit_stack_assign(m_context->match, threadJitStack, &m_context->jitStackBytes);
}

RegexMatcher::~RegexMatcher() = default;

RegexMatcher::Result RegexMatcher::find(const char *subject, qsizetype length, qsizetype from,
                                        qsizetype lastStart, qsizetype base, SearchBudget &budget,
                                        Match &match)
{
    match = {};
    if (!m_program.isValid())
        return Result::NotFound;
    Context &c = *m_context;
    lastStart = std::min(lastStart, length);
    // "\G" stands for the range start: every call must start there.
    const bool oneCall = m_program.translation().rangeStart == RangeStart::StartOffset;
    // After a call that ran out of its match limit, the positions it covered are tried one by
    // one up to here, to find the one that needs too much and go on after it.
    qsizetype oneByOneUntil = -1;
    qsizetype pos = from;
    // The clock is read after calls that found nothing: a search whose first call finds its
    // match (most searches of a Replace All) costs no reading, and the first call of each search
    // goes unmeasured for the window size.
    std::optional<Clock::time_point> before;
    while (pos <= lastStart) {
        if (budget.exhausted()) {
            m_stop = {budget.reason(), base + pos};
            return Result::Stopped;
        }
        const bool oneByOne = pos <= oneByOneUntil;
        const qsizetype window = oneCall ? lastStart - pos + 1 : oneByOne ? 1 : m_window;
        const qsizetype last = std::min(lastStart, pos + window - 1);
        pcre2_set_offset_limit(c.match, PCRE2_SIZE(last));
        const int rc = pcre2_match(m_program.m_code->code, reinterpret_cast<PCRE2_SPTR>(subject),
                                   PCRE2_SIZE(length), PCRE2_SIZE(pos), 0, c.data, c.match);
        if (rc >= 0) {
            const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(c.data);
            // The match's own bytes count too: a long match costs what a long scan does.
            m_tried += qint64(std::max(ovector[0], ovector[1])) - pos + 1;
            match = {base + qsizetype(ovector[0]), base + qsizetype(ovector[1])};
            return Result::Found;
        }
        const Clock::time_point after = Clock::now();
        if (rc == PCRE2_ERROR_NOMATCH) {
            m_tried += last - pos + 1;
            if (!oneByOne && before) {
                const auto took = after - *before;
                if (took < FastCall)
                    m_window = std::min(m_window * 2, m_maxWindow);
                else if (took > SlowCall)
                    m_window =
                        std::max<qsizetype>(1, qsizetype(double(m_window) * TargetCall / took));
            }
            pos = last + 1;
        } else if (!oneByOne && !oneCall && window > 1) {
            // The match limit, the heap or the JIT stack ran out at one of the positions.
            oneByOneUntil = last;
            m_window = std::min(InitialWindow, m_maxWindow);
        } else {
            // This position alone needs too much (for one call, some position of it).
            m_tried += 1;
            if (m_firstPassedOver < 0)
                m_firstPassedOver = base + pos;
            if (oneCall || !budget.passOverHardPositions()) {
                m_stop = {StopReason::HardPosition, base + pos};
                return Result::Stopped;
            }
            // The rest of its line goes with it: each later start would begin afresh, without
            // what PCRE2 learnt from the earlier ones, and most likely cost as much. No match
            // crosses a line end, so the search goes on at the next line.
            pos = nextLineStart(subject, length, pos);
        }
        if (!budget.keepGoing(base + pos, after)) {
            m_stop = {budget.reason(), base + pos};
            return Result::Stopped;
        }
        before = after;
    }
    return Result::NotFound;
}

} // namespace pw::search
