// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace zorvat::rank {

// What the host watches the server by, counted from every thread and read in Prometheus' text
// format: requests by status, posts by outcome, how long the store takes, connections open.
class ServerMetrics {
public:
    enum class StoreCall { Add, Top, Check };

    /** Counts an answered request. */
    void request(int status);
    /** Counts a post of the game's page: 200 accepted, otherwise refused with that status. */
    void post(int status);
    /** Counts a call to the store that took `elapsed`, whether it answered or failed. */
    void storeCall(StoreCall call, std::chrono::steady_clock::duration elapsed);
    void connectionOpened();
    void connectionClosed();

    /** Everything in the text format; `rateLimitedAddresses` is the rate limiter's current count. */
    std::string text(std::size_t rateLimitedAddresses) const;

private:
    static constexpr std::array<double, 13> Bounds { 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5,
        10 };
    struct Histogram {
        std::array<std::atomic<std::uint64_t>, Bounds.size() + 1> counts {};
        std::atomic<std::uint64_t> microseconds = 0;
    };

    mutable std::mutex m_mutex;
    std::map<int, std::uint64_t> m_requests;
    std::map<int, std::uint64_t> m_posts;
    std::array<Histogram, 3> m_store;
    std::atomic<std::int64_t> m_connections = 0;
};

} // namespace zorvat::rank
