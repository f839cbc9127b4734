// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <thread>

namespace zorvat::bench {

// The least an HTTP server on the ranking server's network library can do: read each request and
// answer a fixed 200, on as many network threads. What the ranking server adds costs what it
// loses against this.
class TrivialServer {
public:
    /** Listens on a free loopback port and serves until destroyed. */
    TrivialServer();
    TrivialServer(const TrivialServer&) = delete;
    TrivialServer& operator=(const TrivialServer&) = delete;
    ~TrivialServer();

    int port() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace zorvat::bench
