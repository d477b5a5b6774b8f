// Folder listings on threads of their own, reported back on the owner's thread.
#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

class QThreadPool;

namespace pw {

// A folder can take seconds to list (a hundred thousand entries) or never answer (a dead network
// mount), so no pane lists one on its own thread. Each runner has threads of its own; when it
// goes, listings under way are let go, not waited for, and their results are dropped.
class ListingRunner
{
public:
    // Results are delivered on owner's thread, and never after owner or the runner is gone.
    explicit ListingRunner(QObject *owner);
    ~ListingRunner();
    ListingRunner(const ListingRunner &) = delete;
    ListingRunner &operator=(const ListingRunner &) = delete;

    // Runs work (which lists path) on one of the runner's threads, then done on the owner's.
    void start(const QByteArray &path, std::function<void()> work, std::function<void()> done);

    // Tests hold a listing here to stand for a folder that does not answer; it runs on the
    // listing's thread before the listing, with the folder's path.
    static void setListingHook(std::function<void(const QByteArray &path)> hook);

private:
    struct Reply
    {
        std::mutex lock;
        QObject *owner = nullptr;
    };

    std::unique_ptr<QThreadPool> m_pool;
    std::shared_ptr<Reply> m_reply;
};

} // namespace pw
