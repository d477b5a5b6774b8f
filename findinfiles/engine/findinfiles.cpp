// The search of a folder tree: a pool of workers sharing one stack of folders and files to do,
// each worker listing folders and scanning files, results handed out in batches.
#include "findinfiles/engine/findinfiles.h"

#include "findinfiles/engine/filetypes.h"

#include <chrono>
#include <condition_variable>
#include <dirent.h>
#include <sys/stat.h>

namespace pw::fif {

namespace {

using Clock = std::chrono::steady_clock;

// A batch of results goes out once it holds this many lines or is this old, so the results
// window gets few large updates instead of one per line, yet the first results show at once.
constexpr std::size_t BatchLines = 512;
constexpr auto BatchAge = std::chrono::milliseconds(40);

// The folders a folder lies in, for telling a link that leads back up from one that leads
// elsewhere. Shared by the folder's entries while any of them waits to be done.
struct FolderChain
{
    dev_t device;
    ino_t inode;
    std::shared_ptr<const FolderChain> parent;
};

struct Task
{
    std::string path;
    std::shared_ptr<const FolderChain> parent; // folders only: the chain of the folder holding it
    bool folder = false;
};

std::string joinPath(const std::string &folder, const char *name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
    return path;
}

} // namespace

struct CFindInFiles::Search
{
    FindQuery query;
    FindCallback *callback = nullptr;
    std::atomic<bool> *running = nullptr;
    FileTypeFilter types;
    std::unique_ptr<search::SearchPattern> pattern;
    std::atomic<bool> stop{false};

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::vector<Task> tasks;
    int busy = 0;

    std::mutex callbackMutex;
    std::atomic<qint64> matches{0};
    std::atomic<qint64> filesWithMatches{0};
    std::atomic<qint64> filesSearched{0};

    void status(StatusKind kind, std::string path, std::string detail = {})
    {
        const std::lock_guard lock(callbackMutex);
        callback->onStatus({kind, std::move(path), std::move(detail)});
    }

    void run();
    void work();
    void listFolder(const Task &task, std::vector<Task> &found);
};

void CFindInFiles::Search::run()
{
    status(StatusKind::Searching, query.folder);
    pattern = std::make_unique<search::SearchPattern>(
        query.text, search::Options{query.matchCase, query.wholeWord, query.regExp}.flags());
    if (pattern->isValid()) {
        std::string root = query.folder;
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
        tasks.push_back({root, nullptr, true});
        int threads = query.threads > 0 ? query.threads
                                        : int(std::max(2u, std::thread::hardware_concurrency()));
        std::vector<std::thread> workers;
        for (int i = 1; i < threads; ++i)
            workers.emplace_back([this] { work(); });
        work();
        for (std::thread &worker : workers)
            worker.join();
    } else if (query.regExp && !query.text.isEmpty()) {
        status(StatusKind::InvalidPattern, {}, pattern->error().toStdString());
    }
    FindSummary summary{matches.load(), filesWithMatches.load(), filesSearched.load(),
                        stop.load()};
    const std::lock_guard lock(callbackMutex);
    // Not running any more from the finished call on, so that it may clean up or start anew.
    running->store(false);
    callback->onFinished(summary);
}

void CFindInFiles::Search::listFolder(const Task &task, std::vector<Task> &found)
{
    DIR *dir = ::opendir(task.path.c_str());
    if (!dir) {
        status(StatusKind::UnreadableFolder, task.path);
        return;
    }
    struct stat own {};
    if (::fstat(::dirfd(dir), &own) == 0) {
        for (const FolderChain *up = task.parent.get(); up; up = up->parent.get()) {
            if (up->device == own.st_dev && up->inode == own.st_ino) {
                ::closedir(dir);
                status(StatusKind::LinkLoop, task.path);
                return;
            }
        }
    }
    const auto chain = std::make_shared<const FolderChain>(
        FolderChain{own.st_dev, own.st_ino, task.parent});
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool isFolder = false;
        bool isFile = false;
        switch (entry->d_type) {
        case DT_DIR:
            isFolder = true;
            break;
        case DT_REG:
            isFile = true;
            break;
        case DT_LNK:
            if (!query.followLinks)
                continue;
            [[fallthrough]];
        case DT_UNKNOWN: {
            // Links are followed; a link to a folder above is caught when that folder is listed.
            struct stat target {};
            const std::string path = joinPath(task.path, name);
            const int got = query.followLinks ? ::stat(path.c_str(), &target)
                                              : ::lstat(path.c_str(), &target);
            if (got != 0)
                continue;
            isFolder = S_ISDIR(target.st_mode);
            isFile = S_ISREG(target.st_mode);
            break;
        }
        default: // devices, pipes and sockets are no text files
            break;
        }
        if (isFolder && query.subfolders)
            found.push_back({joinPath(task.path, name), chain, true});
        else if (isFile && types.matches(name))
            found.push_back({joinPath(task.path, name), nullptr, false});
    }
    ::closedir(dir);
}

void CFindInFiles::Search::work()
{
    search::SearchBudget budget(std::chrono::milliseconds(0), &stop);
    FileScanner scanner(*pattern, budget);
    std::vector<Hit> batch;
    std::vector<Task> found;
    Clock::time_point batchStart = Clock::now();
    auto flush = [&] {
        if (batch.empty())
            return;
        const std::lock_guard lock(callbackMutex);
        callback->onMatches(std::move(batch));
        batch.clear();
    };
    // Hits of the file under way that went out before it ended, and where its own hits start
    // in the batch.
    qint64 spilled = 0;
    std::size_t before = 0;
    scanner.setSpill(
        [&](std::vector<Hit> &hits) {
            spilled += qint64(hits.size() - before);
            before = 0;
            flush();
            batchStart = Clock::now();
        },
        BatchLines);

    std::unique_lock lock(queueMutex);
    while (true) {
        queueChanged.wait(lock, [&] { return stop || !tasks.empty() || busy == 0; });
        if (stop || tasks.empty())
            break;
        Task task = std::move(tasks.back());
        tasks.pop_back();
        ++busy;
        lock.unlock();

        if (task.folder) {
            listFolder(task, found);
        } else {
            before = batch.size();
            spilled = 0;
            const auto unsaved = query.unsaved.find(task.path);
            const FileScanner::Outcome outcome =
                unsaved != query.unsaved.end()
                    ? scanner.scanText(task.path, unsaved->second, batch)
                    : scanner.scanFile(task.path, batch);
            if (outcome == FileScanner::Outcome::Searched) {
                filesSearched.fetch_add(1, std::memory_order_relaxed);
                const qint64 found = spilled + qint64(batch.size() - before);
                if (found > 0) {
                    filesWithMatches.fetch_add(1, std::memory_order_relaxed);
                    matches.fetch_add(found, std::memory_order_relaxed);
                }
            } else if (outcome == FileScanner::Outcome::Unreadable) {
                status(StatusKind::UnreadableFile, task.path);
            }
            if (batch.size() >= BatchLines || (!batch.empty() && Clock::now() - batchStart >= BatchAge)) {
                flush();
                batchStart = Clock::now();
            }
        }

        lock.lock();
        --busy;
        if (!found.empty()) {
            tasks.insert(tasks.end(), std::make_move_iterator(found.begin()),
                         std::make_move_iterator(found.end()));
            found.clear();
            queueChanged.notify_all();
        } else if (tasks.empty() && busy == 0) {
            queueChanged.notify_all();
        }
    }
    lock.unlock();
    if (!stop)
        flush();
}

CFindInFiles::CFindInFiles() = default;

CFindInFiles::~CFindInFiles()
{
    stopSearch();
    if (m_thread.joinable())
        m_thread.join();
}

bool CFindInFiles::find(FindQuery query, FindCallback *callback)
{
    if (m_running.load() || !callback)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_search = std::make_unique<Search>();
    m_search->types = FileTypeFilter(query.fileTypes);
    m_search->query = std::move(query);
    m_search->callback = callback;
    m_search->running = &m_running;
    m_running = true;
    m_thread = std::thread([search = m_search.get()] { search->run(); });
    return true;
}

void CFindInFiles::stopSearch()
{
    if (m_search) {
        m_search->stop = true;
        const std::lock_guard lock(m_search->queueMutex);
        m_search->queueChanged.notify_all();
    }
}

void CFindInFiles::cleanup()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id() && !m_running) {
        m_thread.join();
        m_search.reset();
    }
}

} // namespace pw::fif
