// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace zorvat::rank {

// Accepted posts per minute per client address. A post takes a place before it is stored and
// gives that same place back when it is not stored after all, so concurrent posts cannot slip
// past the limit and a failed post costs the others from its address nothing.
class RateLimiter {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    /** A place taken by one post: the moment it was taken. */
    struct Place {
        std::chrono::steady_clock::time_point at;
    };

    /** `perMinute` 0 turns the limit off; `clock` tells the time (the steady clock when empty). */
    explicit RateLimiter(std::size_t perMinute, Clock clock = {});

    /** Takes a place for `address`; none when its posts of the last minute already reach the limit. */
    std::optional<Place> acquire(const std::string& address);
    /** Gives back `place`, taken for a post from `address` that was not stored. */
    void release(const std::string& address, Place place);
    /** The addresses followed at the moment (those with a post in the last minute, give or take),
        for the host's metrics. */
    std::size_t addressCount() const;

private:
    void forgetIdle(std::chrono::steady_clock::time_point now);

    std::size_t m_perMinute;
    Clock m_clock;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, std::deque<std::chrono::steady_clock::time_point>> m_posts;
    std::chrono::steady_clock::time_point m_nextSweep {};
};

} // namespace zorvat::rank
