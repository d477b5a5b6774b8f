// ListingRunner: a thread pool per pane whose hung listings never hold the pane or the program.
#include "explorers/listingrunner.h"

#include <QThreadPool>
#include <vector>

namespace pw {

namespace {

// The pools of runners that went while a listing of theirs still ran, freed once their listings
// have ended. Never destroyed itself: at exit a hung listing must not hold the process.
void releasePool(std::unique_ptr<QThreadPool> pool)
{
    static auto *const orphans = new std::vector<std::unique_ptr<QThreadPool>>;
    std::erase_if(*orphans,
                  [](const std::unique_ptr<QThreadPool> &p) { return p->waitForDone(0); });
    pool->clear();
    if (!pool->waitForDone(0))
        orphans->push_back(std::move(pool));
}

std::mutex g_hookLock;
std::function<void(const QByteArray &)> g_listingHook;

std::function<void(const QByteArray &)> listingHook()
{
    std::lock_guard lock(g_hookLock);
    return g_listingHook;
}

} // namespace

ListingRunner::ListingRunner(QObject *owner)
    : m_pool(std::make_unique<QThreadPool>()), m_reply(std::make_shared<Reply>())
{
    // Threads of its own, made with the rights the program has when the pane is made; enough
    // that a few folders which never answer leave room for the others.
    m_pool->setMaxThreadCount(8);
    m_reply->owner = owner;
}

ListingRunner::~ListingRunner()
{
    // What a listing posted before this point is dropped with the owner's posted events.
    {
        std::lock_guard lock(m_reply->lock);
        m_reply->owner = nullptr;
    }
    releasePool(std::move(m_pool));
}

void ListingRunner::start(const QByteArray &path, std::function<void()> work,
                          std::function<void()> done)
{
    m_pool->start([reply = m_reply, path, work = std::move(work), done = std::move(done)] {
        if (const auto hook = listingHook())
            hook(path);
        work();
        std::lock_guard lock(reply->lock);
        if (QObject *owner = reply->owner)
            QMetaObject::invokeMethod(owner, done, Qt::QueuedConnection);
    });
}

void ListingRunner::setListingHook(std::function<void(const QByteArray &path)> hook)
{
    std::lock_guard lock(g_hookLock);
    g_listingHook = std::move(hook);
}

} // namespace pw
