// Deletion of superseded backup copies off the save's path.
#pragma once

#include <QString>

namespace pw::backup {

// Deleting a 100 MB copy frees tens of thousands of cached pages and its extents, which takes
// tens of milliseconds on ext4; a save need not wait for that. Removals run in order on one
// worker thread; a file that is already gone is no error, and a removal that fails leaves the
// file for the next load's prune. Where threads are not worth it the removal happens at once.
void removeFileLater(const QString &path);

// Blocks until every removal asked for so far has finished. Call before listing or deleting a
// folder that may hold such files. Not for a forked child whose parent had removals pending.
void waitForPendingRemovals();

} // namespace pw::backup
