// CFindInFiles: searches the files of a folder tree on worker threads and reports matching lines,
// status events and the end of the search through a callback object.
#pragma once

#include "findinfiles/engine/filescanner.h"

#include <QByteArray>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace pw::fif {

struct FindQuery
{
    QByteArray text; // the search text as the editor holds it (UTF-8)
    std::string fileTypes = "*.*";
    std::string folder;
    bool subfolders = false;
    bool matchCase = false;
    bool wholeWord = false;
    bool regExp = false;
    // Open documents with unsaved changes, by the full path the walk builds (folder + "/" +
    // names): their text in the editor, searched instead of the file.
    std::unordered_map<std::string, std::string> unsaved;
    // Whether links to files and folders are followed (a link back up is then reported and
    // skipped); without, links are passed over as ripgrep and grep -r pass them over.
    bool followLinks = true;
    // Worker threads; 0 for one per processor, at least two.
    int threads = 0;
};

enum class StatusKind {
    Searching,        // path: the folder
    UnreadableFolder, // path: a folder that could not be listed
    LinkLoop,         // path: a folder link leading back to a folder it lies in
    UnreadableFile,   // path: a file that could not be read
    InvalidPattern,   // detail: why the regular expression is refused
};

struct FindStatus
{
    StatusKind kind;
    std::string path;
    std::string detail;
};

struct FindSummary
{
    qint64 matches = 0;          // matching lines
    qint64 filesWithMatches = 0;
    qint64 filesSearched = 0;    // text files whose content was searched
    bool stopped = false;
};

// Calls come from the search's own threads, one at a time (never two at once).
class FindCallback
{
public:
    virtual ~FindCallback() = default;
    virtual void onStatus(const FindStatus &status) = 0;
    // Matching lines in batches; the lines of one file arrive together and in order.
    virtual void onMatches(std::vector<Hit> &&hits) = 0;
    // The last call of a search.
    virtual void onFinished(const FindSummary &summary) = 0;
};

class CFindInFiles
{
public:
    CFindInFiles();
    // Stops a running search and waits for its threads.
    ~CFindInFiles();
    CFindInFiles(const CFindInFiles &) = delete;
    CFindInFiles &operator=(const CFindInFiles &) = delete;

    // Starts a search and returns at once; false (and nothing is called back) while another one
    // runs. The callback must stay alive until its onFinished call has returned.
    bool find(FindQuery query, FindCallback *callback);
    // Asks a running search to end; its onFinished follows within about 100 ms.
    void stopSearch();
    // Releases the threads of a search that has finished. Safe from the onFinished call itself
    // (the threads are then released by the next find or the destructor).
    void cleanup();
    bool isRunning() const { return m_running.load(); }

private:
    struct Search;

    std::unique_ptr<Search> m_search;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
};

} // namespace pw::fif
