// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "connection_limits.h"
#include "request_log.h"

#include <httplib.h>

#include <map>
#include <mutex>
#include <string>

namespace zorvat::rank {

// The HTTP server with the ranking's limits on its connections: a bounded number served at once,
// a share of them per client address, a waiting line of bounded length, and deadlines on every
// request. Connections past a limit get a short 503 and are closed.
class RankHttpServer : public httplib::Server {
public:
    RankHttpServer(const ConnectionLimits& limits, const RequestLog& log);

    /** Lets the bound socket queue as many new connections as the system allows. */
    void widenBacklog();

private:
    bool process_and_close_socket(socket_t sock) override;
    bool admit(const std::string& address);
    void leave(const std::string& address);
    void turnAway(socket_t sock, const std::string& address);

    ConnectionLimits m_limits;
    const RequestLog& m_log;
    std::mutex m_mutex;
    std::map<std::string, std::size_t> m_perAddress;
};

} // namespace zorvat::rank
