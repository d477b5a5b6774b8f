// Replay: which recorded steps may reach the editing component, and with what arguments.
#pragma once

#include "macros/engine/macrorecorder.h"

#include <deque>

namespace pw {

// The editing component as replay sees it. Replay asks it for the text length to keep
// positions inside the document.
class MacroTarget
{
public:
    virtual ~MacroTarget() = default;
    virtual long send(unsigned int message, unsigned long wParam, long lParam) = 0;
    virtual long sendText(unsigned int message, unsigned long wParam, const char *text) = 0;
};

struct ReplayReport
{
    int replayed = 0;
    int skipped = 0;
    // 1-based number and message of the first skipped step, for the one report.
    int firstSkippedStep = 0;
    int firstSkippedMessage = 0;
};

// Whether replay sends the message at all: what the component's macro recording produces, and
// the string messages whose text cannot reach past its own end.
bool isReplayable(int message);

// Sends each replayable step in order; strings go as the step's own text, never as a number.
ReplayReport replayMacro(const std::deque<MacroStep> &steps, MacroTarget &target);

} // namespace pw
