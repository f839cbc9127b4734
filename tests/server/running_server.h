// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rank_server.h"

#include <cstdio>
#include <string>
#include <thread>

namespace zorvat::rank::testing {

// The ranking server on a free loopback port, serving from its own thread until destroyed.
class RunningServer {
public:
    /** Logs to `log` when given. */
    RunningServer(EntryStore& store, ServerOptions options, std::FILE* log = nullptr)
        : m_server(store, withFreePort(options), log)
        , m_port(m_server.bind())
        , m_thread([this] { m_server.run(); })
    {
    }
    RunningServer(const RunningServer&) = delete;
    RunningServer& operator=(const RunningServer&) = delete;
    ~RunningServer()
    {
        m_server.stop();
        m_thread.join();
    }

    int port() const { return m_port; }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

private:
    static ServerOptions withFreePort(ServerOptions options)
    {
        options.host = "127.0.0.1";
        options.port = 0;
        return options;
    }

    RankServer m_server;
    int m_port;
    std::thread m_thread;
};

} // namespace zorvat::rank::testing
