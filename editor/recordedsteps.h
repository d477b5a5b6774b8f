// Undo steps whose text the editor keeps itself, in a form far smaller than the component's.
#pragma once

#include <QtGlobal>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>

namespace pw {

class CMFCScintilla;

namespace search {
class ReplaceRecord;
}

// The component's undo record keeps every removed and every inserted byte, so one Replace All
// with a hit at every character of a 100 MB text would hold 200 MB. Such a step is made with the
// component's undo collection off, and the component's history gets a placeholder (a container
// action with a token) in its place. When Undo or Redo reaches the placeholder the component only
// reports it; the step is then played from its record, again without collection. Everything else
// in the history (the save point, the steps before and after, redo being dropped by a new edit)
// stays the component's.
//
// Undo and Redo must come through CMFCScintilla (its undo(), redo(), send() or a key press),
// which watch for the placeholder's report; a step in an undo group cannot be held here.
class RecordedSteps
{
public:
    explicit RecordedSteps(CMFCScintilla *editor);
    ~RecordedSteps();
    RecordedSteps(const RecordedSteps &) = delete;
    RecordedSteps &operator=(const RecordedSteps &) = delete;

    // Whether a step can be held now: the component collects undo and no undo group is open.
    bool available() const;
    // The changes of record were just made with undo collection off; they become one step.
    void add(std::unique_ptr<search::ReplaceRecord> record);

    // Sends an undo or redo message (or runs a key press), then plays the recorded step the
    // component reported, if any. Returns what the message returned.
    template <typename Run> auto watch(Run run)
    {
        const bool watching = begin();
        auto result = run();
        end(watching);
        return result;
    }

    // The component reported a modification; containers are the placeholders.
    void notified(int type, int token);
    // An undo group was opened or closed on the component.
    void groupOpened() { ++m_groupDepth; }
    void groupClosed() { m_groupDepth = std::max(m_groupDepth - 1, 0); }
    // The history is gone (emptied, or another document attached).
    void clear();
    // Text changed: a step that was undone and can no longer be redone is dropped.
    void contentChanged();

    std::size_t heldBytes() const;
    std::size_t size() const { return m_steps.size(); }

private:
    struct Step
    {
        std::unique_ptr<search::ReplaceRecord> record;
        bool undone = false;
    };

    bool begin();
    void end(bool watching);
    void dropUndone();

    CMFCScintilla *m_editor;
    std::map<int, Step> m_steps;
    int m_nextToken = 1;
    int m_undone = 0;
    int m_groupDepth = 0;
    bool m_watching = false;
    long m_maskBefore = 0;
    struct Report
    {
        int token;
        bool undo;
    };
    std::optional<Report> m_report;
};

} // namespace pw
