// Replace All's edits on the component: hits joined into few large edits, and a record of them
// played back either way for Undo and Redo.
#pragma once

#include "editor/textsearch/textsearch.h"

#include <string>
#include <vector>

namespace pw {

class CMFCScintilla;

namespace search {
class ReplaceRecord;
}

// Every edit costs the component a fixed amount of bookkeeping (position look-ups in the line
// table, and an undo record where it keeps one), so Replace All joins neighbouring hits into one
// edit that rewrites the text between them too. What the rewritten text carries goes with it: marks
// (Mark All) on it would vanish, so with any mark each hit is its own edit; bookmarks and folds
// belong to lines, so while there are any, edits never reach across a line end.
enum class Grouping { None, WithinLines, AcrossLines };

// How the editor's edits may be joined, from what its text carries now.
Grouping groupingFor(const CMFCScintilla *ed);

// Applies one batch of hits (positions in the editor's text as it is) as grouped edits, each
// hit taking the replacement; joined keeps its capacity from one call to the next. The caller
// has made the run quiet.
void applyBatch(CMFCScintilla *ed, Grouping grouping, const search::TextView &view,
                const std::vector<search::Match> &hits, const QByteArray &with,
                std::string &joined);

// Plays a Replace All's record on the editor's text: undo puts back what every hit held, redo
// replaces it again. The text must be as the other direction left it. Edits are joined as
// groupingFor allows now; the caller has made the run quiet and decides what the component's
// own undo record keeps. The caret goes to the first changed place (undo) or past the last.
void replayRecord(CMFCScintilla *ed, const search::ReplaceRecord &record, bool undo);

} // namespace pw
