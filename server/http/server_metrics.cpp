// SPDX-License-Identifier: GPL-3.0-or-later
#include "server_metrics.h"

#include <algorithm>
#include <cstdio>

namespace zorvat::rank {

namespace {

// Why a post was refused, by the status that carried the refusal.
const char* refusalReason(int status)
{
    switch (status) {
    case 400:
        return "invalid";
    case 403:
        return "banned";
    case 413:
        return "too_large";
    case 415:
        return "unsupported";
    case 429:
        return "rate_limited";
    case 503:
        return "store_unavailable";
    default:
        return "other";
    }
}

const char* const StoreCallNames[] = { "add", "top", "check" };

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

void ServerMetrics::request(int status)
{
    const std::lock_guard lock(m_mutex);
    ++m_requests[status];
}

void ServerMetrics::post(int status)
{
    const std::lock_guard lock(m_mutex);
    ++m_posts[status];
}

void ServerMetrics::storeCall(StoreCall call, std::chrono::steady_clock::duration elapsed)
{
    Histogram& histogram = m_store[static_cast<std::size_t>(call)];
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const auto bucket = std::lower_bound(Bounds.begin(), Bounds.end(), seconds) - Bounds.begin();
    ++histogram.counts[static_cast<std::size_t>(bucket)];
    histogram.microseconds += static_cast<std::uint64_t>(
        std::max<std::int64_t>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count(), 0));
}

void ServerMetrics::connectionOpened()
{
    ++m_connections;
}

void ServerMetrics::connectionClosed()
{
    --m_connections;
}

std::string ServerMetrics::text(std::size_t rateLimitedAddresses) const
{
    std::string out;
    {
        const std::lock_guard lock(m_mutex);
        out += "# HELP zorvat_rank_requests_total Requests answered, by HTTP status.\n"
               "# TYPE zorvat_rank_requests_total counter\n";
        for (const auto& [status, count] : m_requests)
            out += "zorvat_rank_requests_total{status=\"" + std::to_string(status) + "\"} " + std::to_string(count)
                + "\n";
        std::uint64_t accepted = 0;
        std::map<std::string, std::uint64_t> refused { { "invalid", 0 }, { "rate_limited", 0 },
            { "store_unavailable", 0 } };
        for (const auto& [status, count] : m_posts) {
            if (status == 200)
                accepted += count;
            else
                refused[refusalReason(status)] += count;
        }
        out += "# HELP zorvat_rank_posts_accepted_total Posts of the game's ranking page stored.\n"
               "# TYPE zorvat_rank_posts_accepted_total counter\n"
               "zorvat_rank_posts_accepted_total "
            + std::to_string(accepted) + "\n";
        out += "# HELP zorvat_rank_posts_refused_total Posts of the game's ranking page refused, by reason.\n"
               "# TYPE zorvat_rank_posts_refused_total counter\n";
        for (const auto& [reason, count] : refused)
            out += "zorvat_rank_posts_refused_total{reason=\"" + reason + "\"} " + std::to_string(count) + "\n";
    }
    out += "# HELP zorvat_rank_store_seconds Time the store took to answer, by call.\n"
           "# TYPE zorvat_rank_store_seconds histogram\n";
    for (std::size_t call = 0; call < m_store.size(); ++call) {
        const std::string label = std::string("zorvat_rank_store_seconds_bucket{call=\"") + StoreCallNames[call];
        std::uint64_t cumulative = 0;
        for (std::size_t b = 0; b <= Bounds.size(); ++b) {
            cumulative += m_store[call].counts[b];
            const std::string bound = b < Bounds.size() ? number(Bounds[b]) : "+Inf";
            out += label + "\",le=\"" + bound + "\"} " + std::to_string(cumulative) + "\n";
        }
        const std::string name = StoreCallNames[call];
        out += "zorvat_rank_store_seconds_sum{call=\"" + name + "\"} "
            + std::to_string(static_cast<double>(m_store[call].microseconds) / 1e6) + "\n";
        out += "zorvat_rank_store_seconds_count{call=\"" + name + "\"} " + std::to_string(cumulative) + "\n";
    }
    out += "# HELP zorvat_rank_open_connections Client connections open now.\n"
           "# TYPE zorvat_rank_open_connections gauge\n"
           "zorvat_rank_open_connections "
        + std::to_string(m_connections.load()) + "\n";
    out += "# HELP zorvat_rank_rate_limited_addresses Client addresses the post rate limit follows now.\n"
           "# TYPE zorvat_rank_rate_limited_addresses gauge\n"
           "zorvat_rank_rate_limited_addresses "
        + std::to_string(rateLimitedAddresses) + "\n";
    return out;
}

} // namespace zorvat::rank
