// SPDX-License-Identifier: GPL-3.0-or-later
#include "address_retention.h"

#include <ctime>
#include <string>

namespace zorvat::rank {

namespace {

constexpr std::chrono::hours Interval { 1 };

} // namespace

AddressRetention::AddressRetention(SqlStore& store, int days, const RequestLog& log)
    : m_store(store)
    , m_kept(std::chrono::hours(24) * days)
    , m_log(log)
{
    if (days <= 0)
        return;
    m_thread = std::thread([this] {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            lock.unlock();
            forgetOld();
            lock.lock();
            m_wake.wait_for(lock, Interval, [this] { return m_stopping; });
        }
    });
}

AddressRetention::~AddressRetention()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void AddressRetention::forgetOld()
{
    // A store that does not answer now is asked again in an hour; the posts meanwhile do not wait
    // for this.
    try {
        const std::int64_t forgotten = m_store.forgetAddresses(std::time(nullptr) - m_kept.count());
        if (forgotten > 0)
            m_log.note("forgot the client addresses of " + std::to_string(forgotten) + " entries older than "
                + std::to_string(m_kept.count() / 86'400) + " days");
    } catch (const std::exception& e) {
        m_log.note(std::string("could not forget old client addresses: ") + e.what());
    }
}

} // namespace zorvat::rank
