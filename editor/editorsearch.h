// EditorSearch: finding, replacing and marking in one editor's text, as every search command runs.
#pragma once

#include "editor/textsearch/textsearch.h"

#include <QByteArray>
#include <QString>

namespace pw {

class CMFCScintilla;
class Host;

// How a search ended. Stopped means part of the text was never searched: the user stopped the
// run, or a regular expression needed more work than one search may do (reason says which).
enum class SearchOutcome { Found, NotFound, Stopped, InvalidPattern };

struct SearchResult
{
    SearchOutcome outcome = SearchOutcome::NotFound;
    // Found: where the match (Find) or the next match (Replace) starts. Stopped: the position
    // the search had reached (for a start position that needed too much backtracking, that
    // position).
    qint64 position = -1;
    // Replace All: how many were replaced.
    qint64 count = 0;
    // Stopped and InvalidPattern: what to tell the user.
    QString reason;
    // Stopped: why.
    search::StopReason stopReason = search::StopReason::Budget;

    bool found() const { return outcome == SearchOutcome::Found; }
};

// Every search sets the component's search flags from its options here, and nowhere else. Texts
// are in the editor's bytes with "^n" already expanded.
class EditorSearch
{
public:
    // host, when given, shows the progress of runs longer than a moment and lets the user stop
    // them. Every command draws on one budget in proportion to the text's size
    // (search::SearchBudget::timeForText), so none runs without end.
    EditorSearch(CMFCScintilla *editor, Host *host);

    // From the selection downwards (or upwards), then once more from the other end with wrap:
    // the match is selected with its lines made visible.
    SearchResult findNext(const QByteArray &text, const search::Options &options, bool up,
                          bool wrap);
    // Replaces the selection (what the previous step found) when replaceSelection, then finds
    // the next match downwards with wrap.
    SearchResult replaceNext(const QByteArray &text, const QByteArray &replacement,
                             const search::Options &options, bool replaceSelection);
    // Replaces every match, the replacement taken literally, in the document or in the whole
    // lines of a non-empty selection, as one undo step. The caret goes where the component's own
    // loop would leave it; with inSelection, the replaced lines are selected. The hits are
    // planned and applied a batch at a time, so memory stays small whatever their number; a run
    // that stops (Stop, the budget, a position with too much backtracking) is undone, leaving
    // the text as it was.
    SearchResult replaceAll(const QByteArray &text, const QByteArray &replacement,
                            const search::Options &options, bool inSelection);
    // Toggles the bookmark of every match's line, opening folds that hide a match.
    SearchResult markAll(const QByteArray &text, const search::Options &options);

private:
    void applyFlags(const search::Options &options);

    CMFCScintilla *m_editor;
    Host *m_host;
};

} // namespace pw
