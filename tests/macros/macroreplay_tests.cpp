// The replay filter: which steps reach the component, with which arguments, and the report.
#include "macros/engine/macroreplay.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace pw;

namespace {

struct Call
{
    unsigned message;
    unsigned long wParam;
    long lParam;      // numeric sends
    std::string text; // text sends
    bool viaText;
    friend bool operator==(const Call &, const Call &) = default;
};

// Records what replay sends; answers the length and line count of a 10-byte, 3-line text.
class FakeComponent : public MacroTarget
{
public:
    long send(unsigned int message, unsigned long wParam, long lParam) override
    {
        if (message == 2006)
            return 10;
        if (message == 2154)
            return 3;
        calls.push_back({message, wParam, lParam, {}, false});
        return 0;
    }
    long sendText(unsigned int message, unsigned long wParam, const char *text) override
    {
        calls.push_back({message, wParam, 0, text, true});
        return 0;
    }
    std::vector<Call> calls;
};

} // namespace

TEST(MacroReplay, StepsGoOutWithSafeArguments)
{
    struct Case
    {
        MacroStep step;
        std::vector<Call> sent;
    };
    const Case cases[] = {
        {{2170, 55, 0, "ab"}, {{2170, 0, 0, "ab", true}}},
        // Lengths come from the text itself, not from the file.
        {{2001, 4000, 0, "xy"}, {{2001, 2, 0, "xy", true}}},
        {{2282, 4000, 0, "xyz"}, {{2282, 3, 0, "xyz", true}}},
        // Positions stay inside the text; all ones is "at the caret".
        {{2003, 4000, 0, "i"}, {{2003, 10, 0, "i", true}}},
        {{2003, 0xFFFFFFFFu, 0, "i"}, {{2003, static_cast<unsigned long>(-1L), 0, "i", true}}},
        {{2003, 4, 0, "i"}, {{2003, 4, 0, "i", true}}},
        {{2025, 4000, 0, ""}, {{2025, 10, 0, "", false}}},
        {{2024, 4000, 0, ""}, {{2024, 3, 0, "", false}}},
        {{2422, 77, 0, ""}, {{2422, 0, 0, "", false}}},
        // A search starts from the selection, whatever anchor earlier steps left.
        {{2367, 6, 0, "needle"}, {{2366, 0, 0, "", false}, {2367, 6, 0, "needle", true}}},
        // The C++ library's expressions (0x800000) are not asked for.
        {{2368, 0xA00004, 0, "a+"}, {{2366, 0, 0, "", false}, {2368, 0x200004, 0, "a+", true}}},
        // Commands keep their numbers.
        {{2306, 0, 5, ""}, {{2306, 0, 5, "", false}}},
        {{2329, 1, -2, ""}, {{2329, 1, -2, "", false}}},
    };
    std::deque<MacroStep> steps;
    std::vector<Call> expected;
    for (const Case &c : cases) {
        steps.push_back(c.step);
        expected.insert(expected.end(), c.sent.begin(), c.sent.end());
    }
    FakeComponent component;
    const ReplayReport report = replayMacro(steps, component);
    EXPECT_EQ(report.replayed, int(std::size(cases)));
    EXPECT_EQ(report.skipped, 0);
    ASSERT_EQ(component.calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(component.calls[i], expected[i]) << "call " << i;
}

TEST(MacroReplay, MessagesRecordingCannotProduceAreSkippedAndReported)
{
    // Styling, fonts and widths index the component's arrays; 2002 reads cells by a count; the
    // target messages (2194) act on a range earlier steps may have left past the text;
    // 2182 and 2161 write through a pointer; 0 and negative numbers are not messages at all.
    const std::deque<MacroStep> steps{{2170, 0, 0, "a"},   {2056, 300, 0, "Courier"},
                                      {2306, 0, 0, ""},    {2182, 100, 4096, ""},
                                      {2002, 9, 0, "xx"},  {0, 0, 0, ""},
                                      {-5, 0, 0, ""},      {2073, 9, 0, "s"},
                                      {2276, 999, 0, "w"}, {2161, 0, 1, ""}};
    FakeComponent component;
    const ReplayReport report = replayMacro(steps, component);
    EXPECT_EQ(report.replayed, 2);
    EXPECT_EQ(report.skipped, 8);
    EXPECT_EQ(report.firstSkippedStep, 2);
    EXPECT_EQ(report.firstSkippedMessage, 2056);
    ASSERT_EQ(component.calls.size(), 2u);
    EXPECT_EQ(component.calls[0].message, 2170u);
    EXPECT_EQ(component.calls[1].message, 2306u);
    for (int message : {2182, 2161, 2194, 2195, 2197, 2181, 2002, 2073, 2276, 2056, 0, 3001, 2999})
        EXPECT_FALSE(isReplayable(message)) << message;
}
