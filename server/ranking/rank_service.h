// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "answer_cache.h"
#include "check_code.h"
#include "entry_store.h"
#include "http_message.h"
#include "rate_limiter.h"
#include "request_log.h"
#include "server_metrics.h"

#include <string>

namespace zorvat::rank {

inline constexpr std::int64_t PageEntries = 100;
/** The most entries one ranking.json answer lists, however many are asked for. */
inline constexpr std::int64_t MaxJsonEntries = 1000;

// The ranking's pages under one base folder: the post of the game's page, the ranking page, its
// JSON and the health check, and the metrics at the server's root for the host's own machine.
class RankService : public HttpHandler {
public:
    /** `base` is "/" or a folder such as "/zorvat"; `serveMetrics` serves GET /metrics to loopback peers. */
    RankService(EntryStore& store, RateLimiter& limiter, const RequestLog& log, ServerMetrics& metrics,
        const std::string& base, bool serveMetrics,
        InternetRank::CheckNumbers check = InternetRank::builtInCheckNumbers());

    HttpAnswer answer(const HttpRequest& request) override;
    HttpAnswer refusal(int status) const override;

private:
    HttpAnswer post(const HttpRequest& request);
    HttpAnswer page(const HttpRequest& request);
    HttpAnswer json(const HttpRequest& request);
    HttpAnswer health();
    /** The body `make` writes from the best `limit` entries, or the one kept under `key` while the
        store's version stays the same; throws StoreFailure. */
    template <class Make> std::string rankingBody(const std::string& key, std::int64_t limit, Make&& make);
    HttpAnswer refused(int status, const std::string& reason) const;
    HttpAnswer unavailable(const StoreFailure& failure, HttpAnswer answer) const;
    template <class Call> auto timed(ServerMetrics::StoreCall call, Call&& work);

    EntryStore& m_store;
    RateLimiter& m_limiter;
    const RequestLog& m_log;
    ServerMetrics& m_metrics;
    std::string m_base;
    bool m_metricsServed;
    InternetRank::CheckNumbers m_check;
    AnswerCache m_answers;
};

} // namespace zorvat::rank
