// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_server.h"

#include "error.h"

namespace zorvat::rank {

RankServer::RankServer(EntryStore& store, const ServerOptions& options, std::FILE* log)
    : m_options(options)
    , m_log(log)
    , m_limiter(options.rateLimit)
    , m_service(store, m_limiter, m_log, options.base, options.trustForwarded)
    , m_http(options.limits, m_log)
{
    // The time limits are the connection's own (see RankHttpServer), not the library's.
    m_service.install(m_http);
}

int RankServer::bind()
{
    const std::string where = m_options.host + ":" + std::to_string(m_options.port);
    int port = m_options.port;
    if (port == 0)
        port = m_http.bind_to_any_port(m_options.host);
    else if (!m_http.bind_to_port(m_options.host, port))
        port = -1;
    if (port <= 0)
        throw Error("cannot listen on " + where);
    m_http.widenBacklog();
    m_log.note("zorvat-rank listening on " + m_options.host + ":" + std::to_string(port) + m_options.base + "/");
    return port;
}

void RankServer::run()
{
    m_http.listen_after_bind();
}

void RankServer::stop()
{
    m_http.stop();
}

} // namespace zorvat::rank
