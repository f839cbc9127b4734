// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "connection_limits.h"
#include "http_message.h"
#include "request_log.h"
#include "server_metrics.h"

#include <memory>
#include <string>

namespace zorvat::rank {

// The server's face to the network: takes connections within the limits, reads requests whole
// within their deadline and hands each to `handler` on a thread of its own, so that neither slow
// clients nor a slow store hold up anyone else. A few threads serve every connection.
class HttpEdge {
public:
    /** With `trustForwarded`, a request's client is the last X-Forwarded-For address. */
    HttpEdge(const ConnectionLimits& limits, bool trustForwarded, HttpHandler& handler, const RequestLog& log,
        ServerMetrics& metrics);
    HttpEdge(const HttpEdge&) = delete;
    HttpEdge& operator=(const HttpEdge&) = delete;
    ~HttpEdge();

    /** Listens on `host`:`port` (0: any free port); returns the port. Throws Error when it cannot. */
    int bind(const std::string& host, int port);
    /** Serves until stop(); requests in flight are answered before it returns. */
    void run();
    /** Stops taking connections and requests; safe from any thread. */
    void stop();

private:
    class Listener;
    std::unique_ptr<Listener> m_listener;
};

} // namespace zorvat::rank
