// A folder whose listing stands still, as on a network mount that stopped answering.
#pragma once

#include "explorers/listingrunner.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>

namespace pw::test {

// While one lives, every listing of the folder waits until release(), or at most four seconds,
// so that a pane that waits for it fails its test rather than hanging it.
class HungListing
{
public:
    explicit HungListing(const QString &folder) : m_hold(m_held), m_path(QFile::encodeName(folder))
    {
        ListingRunner::setListingHook([this](const QByteArray &path) {
            if (path != m_path)
                return;
            ++m_listings;
            if (m_held.try_lock_for(std::chrono::seconds(4)))
                m_held.unlock();
        });
    }
    ~HungListing()
    {
        release();
        ListingRunner::setListingHook({});
    }
    HungListing(const HungListing &) = delete;
    HungListing &operator=(const HungListing &) = delete;

    // Whether a listing of the folder has started, and how many have.
    bool reading() const { return m_listings.load() > 0; }
    int listings() const { return m_listings.load(); }
    void release()
    {
        if (m_hold.owns_lock())
            m_hold.unlock();
    }

private:
    std::timed_mutex m_held;
    std::unique_lock<std::timed_mutex> m_hold;
    QByteArray m_path;
    std::atomic<int> m_listings = 0;
};

} // namespace pw::test
