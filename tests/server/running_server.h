// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rank_server.h"

#include <httplib.h>

#include <string>
#include <thread>

namespace zorvat::rank::testing {

// The ranking server on a free loopback port, serving from its own thread until destroyed.
class RunningServer {
public:
    RunningServer(EntryStore& store, ServerOptions options)
        : m_server(store, withFreePort(options), nullptr)
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
    httplib::Client client() const
    {
        httplib::Client client("127.0.0.1", m_port);
        client.set_read_timeout(30, 0);
        client.set_tcp_nodelay(true);
        return client;
    }

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
