// SPDX-License-Identifier: GPL-3.0-or-later
#include "rate_limiter.h"

#include <algorithm>

namespace zorvat::rank {

namespace {

constexpr std::chrono::minutes Window(1);

} // namespace

RateLimiter::RateLimiter(std::size_t perMinute, Clock clock)
    : m_perMinute(perMinute)
    , m_clock(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); }))
{
}

std::optional<RateLimiter::Place> RateLimiter::acquire(const std::string& address)
{
    if (m_perMinute == 0)
        return Place {};
    const auto now = m_clock();
    const std::lock_guard lock(m_mutex);
    forgetIdle(now);
    auto& times = m_posts[address];
    while (!times.empty() && now - times.front() >= Window)
        times.pop_front();
    if (times.size() >= m_perMinute)
        return std::nullopt;
    times.push_back(now);
    return Place { now };
}

void RateLimiter::release(const std::string& address, Place place)
{
    if (m_perMinute == 0)
        return;
    const std::lock_guard lock(m_mutex);
    const auto it = m_posts.find(address);
    if (it == m_posts.end())
        return;
    // Places taken at the same moment are alike; a later post's place stays until its own minute ends.
    auto& times = it->second;
    const auto taken = std::find(times.begin(), times.end(), place.at);
    if (taken != times.end())
        times.erase(taken);
}

std::size_t RateLimiter::addressCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_posts.size();
}

// Addresses that posted once and never again would otherwise be kept for ever.
void RateLimiter::forgetIdle(std::chrono::steady_clock::time_point now)
{
    if (now < m_nextSweep)
        return;
    m_nextSweep = now + Window;
    std::erase_if(
        m_posts, [&](const auto& entry) { return entry.second.empty() || now - entry.second.back() >= Window; });
}

} // namespace zorvat::rank
