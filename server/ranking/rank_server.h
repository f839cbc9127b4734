// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry_store.h"
#include "http_edge.h"
#include "rank_service.h"
#include "rate_limiter.h"
#include "request_log.h"
#include "server_metrics.h"
#include "server_options.h"

#include <cstdio>

namespace zorvat::rank {

// The ranking server on one store: the ranking's pages behind the network edge.
class RankServer {
public:
    /** Serves `store` as `options` say, logging to `log` (standard error in the program). */
    RankServer(EntryStore& store, const ServerOptions& options, std::FILE* log);

    /** Binds the listening socket; throws Error when the address cannot be taken. Returns the port. */
    int bind();
    /** Serves until stop(); requests in flight are finished before it returns. */
    void run();
    /** Stops taking connections; safe from any thread. */
    void stop();

private:
    ServerOptions m_options;
    RequestLog m_log;
    RateLimiter m_limiter;
    ServerMetrics m_metrics;
    RankService m_service;
    HttpEdge m_edge;
};

} // namespace zorvat::rank
