// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_server.h"

namespace zorvat::rank {

RankServer::RankServer(EntryStore& store, const ServerOptions& options, std::FILE* log)
    : m_options(options)
    , m_log(log)
    , m_limiter(options.rateLimit)
    , m_service(store, m_limiter, m_log, m_metrics, options.base, options.metrics, options.check)
    , m_edge(options.limits, options.trustForwarded, m_service, m_log, m_metrics)
{
}

int RankServer::bind()
{
    const int port = m_edge.bind(m_options.host, m_options.port);
    const bool v6 = m_options.host.find(':') != std::string::npos;
    const std::string host = v6 ? "[" + m_options.host + "]" : m_options.host;
    m_log.note("zorvat-rank listening on " + host + ":" + std::to_string(port) + m_options.base + "/");
    return port;
}

void RankServer::run()
{
    m_edge.run();
}

void RankServer::stop()
{
    m_edge.stop();
}

} // namespace zorvat::rank
