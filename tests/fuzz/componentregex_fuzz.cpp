// Fuzzes the component-regex engine: random pattern, flags, range and subject through the
// translator, the windowed searcher and the Replace All planner. Besides crashes and hangs it
// checks the engine's own promises: where the windows of start positions fall changes no answer,
// the two ways of running a program agree on word edges at the range start, and a plan applied
// batch by batch gives the whole plan's text.
#include "editor/textsearch/regexprogram.h"
#include "editor/textsearch/replaceplanner.h"
#include "editor/textsearch/textsearch.h"

#include <cstdint>
#include <cstdlib>

using namespace pw::search;

namespace {

// Input: flags, pattern length, range start and end (in 256ths of the subject), replacement
// length, then the pattern, the replacement and the subject.
struct Input
{
    int flags = 0;
    bool utf8 = false;
    bool backwards = false;
    QByteArray pattern;
    QByteArray replacement;
    QByteArray subject;
    qsizetype start = 0;
    qsizetype end = 0;
};

bool decode(const uint8_t *data, size_t size, Input &in)
{
    if (size < 5)
        return false;
    const uint8_t f = data[0];
    in.flags = ((f & 1) ? SearchFlag::MatchCase : 0) | ((f & 2) ? SearchFlag::Posix : 0) |
               ((f & 4) ? SearchFlag::WholeWord : 0) | ((f & 8) ? 0 : SearchFlag::RegExp) |
               ((f & 16) ? SearchFlag::WordStart : 0);
    in.utf8 = f & 32;
    in.backwards = f & 64;
    const size_t patternLength = data[1] % 48;
    const size_t replacementLength = data[4] % 8;
    size_t at = 5;
    if (size < at + patternLength + replacementLength)
        return false;
    in.pattern = QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(patternLength));
    at += patternLength;
    in.replacement =
        QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(replacementLength));
    at += replacementLength;
    in.subject = QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(size - at));
    const qsizetype length = in.subject.size();
    in.start = length * data[2] / 255;
    in.end = length * data[3] / 255;
    if (in.start > in.end)
        std::swap(in.start, in.end);
    return true;
}

// The first match in [start, end) with the given window limit; Stopped answers are dropped.
bool searchWith(const Input &in, const SearchPattern &pattern, qsizetype maxWindow, Match &match)
{
    const TextView view{in.subject.constData(), in.subject.size(), in.utf8};
    SearchLimits limits;
    limits.maxWindow = maxWindow;
    SearchBudget budget(std::chrono::milliseconds(200));
    Searcher searcher(view, pattern, &budget, limits);
    const SearchStatus status = in.backwards ? searcher.find(in.end, in.start, match)
                                             : searcher.find(in.start, in.end, match);
    return status != SearchStatus::Stopped && searcher.passedOver() < 0;
}

void checkWindows(const Input &in, const SearchPattern &pattern)
{
    Match reference;
    if (!searchWith(in, pattern, qsizetype(1) << 40, reference))
        return;
    for (const qsizetype window : {qsizetype(1), qsizetype(3), SearchLimits{}.maxWindow}) {
        Match other;
        if (searchWith(in, pattern, window, other) && !(other == reference))
            std::abort();
    }
}

// A program for a subject that starts at the range start, and one for the whole text with the
// range start as the start offset, find the same first match (the "^" anchor aside, which the
// searcher handles around the program).
void checkRangeStart(const Input &in)
{
    if (!(in.flags & SearchFlag::RegExp) || in.pattern.startsWith('^'))
        return;
    const std::string_view text(in.pattern.constData(), std::size_t(in.pattern.size()));
    const bool matchCase = in.flags & SearchFlag::MatchCase;
    const bool posix = in.flags & SearchFlag::Posix;
    const RegexProgram fromStart(text, matchCase, posix, defaultCharClasses(),
                                 RangeStart::SubjectStart);
    const RegexProgram whole(text, matchCase, posix, defaultCharClasses(),
                             RangeStart::StartOffset);
    if (fromStart.isValid() != whole.isValid())
        std::abort();
    if (!fromStart.isValid())
        return;
    const qsizetype length = in.subject.size();
    Match a, b;
    SearchBudget budget(std::chrono::milliseconds(200));
    RegexMatcher subjectMatcher(fromStart);
    const auto ra = subjectMatcher.find(in.subject.constData() + in.start, length - in.start, 0,
                                        length - in.start, in.start, budget, a);
    RegexMatcher wholeMatcher(whole);
    const auto rb = wholeMatcher.find(in.subject.constData(), length, in.start, length, 0,
                                      budget, b);
    if (ra == RegexMatcher::Result::Stopped || rb == RegexMatcher::Result::Stopped ||
        subjectMatcher.firstPassedOver() >= 0)
        return;
    if (!(a == b))
        std::abort();
}

// The planner handed out one hit at a time and applied in place gives the whole plan's text.
void checkPlanner(const Input &in, const SearchPattern &pattern)
{
    const TextView original{in.subject.constData(), in.subject.size(), in.utf8};
    SearchBudget wholeBudget(std::chrono::milliseconds(200));
    wholeBudget.setPassOverHardPositions(false);
    const ReplacePlan plan =
        planReplaceAll(original, pattern, in.start, in.end, in.replacement, &wholeBudget);
    if (plan.status == SearchStatus::Stopped)
        return;
    QByteArray expected = in.subject;
    qsizetype shift = 0;
    for (const Match &hit : plan.hits) {
        expected.replace(hit.start + shift, hit.length(), in.replacement);
        shift += in.replacement.size() - hit.length();
    }
    QByteArray document = in.subject;
    TextView view{document.constData(), document.size(), in.utf8};
    SearchBudget budget(std::chrono::milliseconds(200));
    budget.setPassOverHardPositions(false);
    ReplacePlanner planner(view, pattern, in.start, in.end, in.replacement, &budget);
    std::vector<Match> hits;
    while (planner.next(hits, 2)) {
        qsizetype applied = 0;
        for (const Match &hit : hits) {
            document.replace(hit.start + applied, hit.length(), in.replacement);
            applied += in.replacement.size() - hit.length();
        }
        view = {document.constData(), document.size(), in.utf8};
        planner.applied(view, applied);
    }
    if (planner.status() == SearchStatus::Stopped)
        return;
    if (planner.status() != plan.status)
        std::abort();
    if (plan.status == SearchStatus::Found &&
        (document != expected || planner.caret() != plan.caret ||
         planner.scopeEnd() != plan.scopeEnd))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in;
    if (!decode(data, size, in))
        return 0;
    const SearchPattern pattern(in.pattern, in.flags);
    if (!pattern.isValid() && (in.flags & SearchFlag::RegExp) && !in.pattern.isEmpty() &&
        pattern.error().startsWith(QLatin1String("translation refused")))
        std::abort(); // the translation must always be a program PCRE2 accepts
    checkRangeStart(in);
    if (!pattern.isValid())
        return 0;
    checkWindows(in, pattern);
    checkPlanner(in, pattern);
    return 0;
}
