// Replay: the messages a macro may send, and arguments that stay inside the text and the step.
#include "macros/engine/macroreplay.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pw {

namespace {

// Numbers of the component's messages this file handles by name.
enum Message : int {
    AddText = 2001,
    InsertText = 2003,
    GetLength = 2006,
    GotoLine = 2024,
    GotoPos = 2025,
    GetLineCount = 2154,
    ReplaceSel = 2170,
    AppendText = 2282,
    SearchAnchor = 2366,
    SearchNext = 2367,
    SearchPrev = 2368,
    SetSelectionMode = 2422,
};

// What the component's macro recording reports besides text: clearing, selecting, moving,
// clipboard and the keyboard commands. None of them reads memory through its arguments.
constexpr std::array<int, 15> EditingMessages{2004, 2013, 2024, 2025, 2177, 2178, 2179, 2180,
                                              2354, 2366, 2404, 2422, 2469, 2518, 2519};
// Keyboard commands, as inclusive ranges.
constexpr std::array<std::pair<int, int>, 11> KeyboardRanges{{{2300, 2324},
                                                              {2326, 2332},
                                                              {2335, 2349},
                                                              {2390, 2393},
                                                              {2395, 2396},
                                                              {2413, 2416},
                                                              {2426, 2442},
                                                              {2450, 2455},
                                                              {2619, 2621},
                                                              {2628, 2629},
                                                              {2652, 2653}}};
// The string messages recording produces. The rest of the table is left out: the target
// messages act on a range that earlier steps may have left past the end of the text, the styling,
// font and width ones index the component's style arrays or count cells, and the character-class
// and whole-text ones are settings rather than edits.
constexpr std::array<int, 6> TextMessages{AddText,    InsertText, ReplaceSel,
                                          AppendText, SearchNext, SearchPrev};

// Whole word, match case, word start, and the component's own regular expressions with or
// without POSIX groups. The C++ library's expressions are left out: a crafted pattern can make
// them recurse until the stack runs out.
constexpr unsigned long SearchFlags = 0x2 | 0x4 | 0x100000 | 0x200000 | 0x400000;

bool inTable(const auto &table, int message)
{
    return std::find(table.begin(), table.end(), message) != table.end();
}

void sendText(const MacroStep &step, MacroTarget &target)
{
    const char *text = step.text.c_str();
    const unsigned long size = step.text.size();
    switch (step.message) {
    case AddText:
    case AppendText:
        target.sendText(unsigned(step.message), size, text);
        break;
    case InsertText: {
        // All ones is "at the caret"; any other position is kept inside the text.
        long position = -1;
        if (step.wParam != 0xFFFFFFFFu)
            position = std::min<long>(long(step.wParam), target.send(GetLength, 0, 0));
        target.sendText(unsigned(step.message), static_cast<unsigned long>(position), text);
        break;
    }
    case SearchNext:
    case SearchPrev:
        // The search starts at the anchor, which earlier steps may have left past the end of
        // the text; the selection is where a recorded search had set it.
        target.send(SearchAnchor, 0, 0);
        target.sendText(unsigned(step.message), step.wParam & SearchFlags, text);
        break;
    default:
        target.sendText(unsigned(step.message), 0, text);
        break;
    }
}

void sendNumbers(const MacroStep &step, MacroTarget &target)
{
    unsigned long wParam = step.wParam;
    switch (step.message) {
    case GotoPos:
        wParam = std::min<unsigned long>(wParam, target.send(GetLength, 0, 0));
        break;
    case GotoLine:
        wParam = std::min<unsigned long>(wParam, target.send(GetLineCount, 0, 0));
        break;
    case SetSelectionMode:
        wParam = wParam <= 3 ? wParam : 0;
        break;
    default:
        break;
    }
    target.send(unsigned(step.message), wParam, step.lParam);
}

} // namespace

bool isReplayable(int message)
{
    if (inTable(EditingMessages, message) || inTable(TextMessages, message))
        return true;
    return std::any_of(KeyboardRanges.begin(), KeyboardRanges.end(), [message](const auto &r) {
        return message >= r.first && message <= r.second;
    });
}

ReplayReport replayMacro(const std::deque<MacroStep> &steps, MacroTarget &target)
{
    ReplayReport report;
    int number = 0;
    for (const MacroStep &step : steps) {
        ++number;
        if (!isReplayable(step.message)) {
            if (report.skipped++ == 0) {
                report.firstSkippedStep = number;
                report.firstSkippedMessage = step.message;
            }
            continue;
        }
        if (inTable(TextMessages, step.message))
            sendText(step, target);
        else
            sendNumbers(step, target);
        ++report.replayed;
    }
    return report;
}

} // namespace pw
