// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "connection_limits.h"
#include "request_log.h"
#include "worker_pool.h"

#include <httplib.h>

#include <map>
#include <mutex>
#include <string>

namespace zorvat::rank {

// The HTTP server with the ranking's limits on its connections: a bounded number served at once,
// a share of them per client address, a waiting line of bounded length, and deadlines on every
// request. The accepting thread admits each new connection itself, so that one past a limit gets
// a short 503 and is closed at once, however busy the workers are.
class RankHttpServer : public httplib::Server {
public:
    RankHttpServer(const ConnectionLimits& limits, const RequestLog& log);

    /** Lets the bound socket queue as many new connections as the system allows. */
    void widenBacklog();

private:
    class AcceptingQueue;

    bool process_and_close_socket(socket_t sock) override;
    void serve(socket_t sock, const std::string& address);
    bool admit(const std::string& address);
    void leave(const std::string& address);
    void turnAway(socket_t sock, const std::string& address);

    ConnectionLimits m_limits;
    const RequestLog& m_log;
    std::mutex m_mutex;
    std::map<std::string, std::size_t> m_perAddress;
    WorkerPool m_workers;
};

} // namespace zorvat::rank
