// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The connection handling's own header: only the edge's two source files include it, so that the
// rest of the server compiles without the network library.
#include "connection_limits.h"
#include "http_message.h"
#include "request_log.h"
#include "server_metrics.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace zorvat::rank::edge {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

// What the listener and all its connections share: the limits, the threads, the counts of
// connections per address and of requests in flight.
class EdgeState {
    // First, so that they outlive the connections that the threads below still hold when they end.
    std::mutex m_mutex;
    std::unordered_map<std::string, std::size_t> m_perAddress;
    std::size_t m_open = 0;
    std::size_t m_turningAway = 0;
    std::size_t m_inFlight = 0;
    bool m_stopping = false;

public:
    EdgeState(const ConnectionLimits& limits, bool trustForwarded, HttpHandler& handler, const RequestLog& log,
        ServerMetrics& metrics);

    /** How a connection is taken: served; turned away with a 503 that it is given time to read;
        or, past even the bound on those, closed at once after a 503 that may not reach it. */
    enum class Admission { Served, TurnedAway, Closed };
    /** Counts a new connection from `address` in. */
    Admission admit(const std::string& address);
    /** Counts a connection from `address` out. */
    void leave(const std::string& address, Admission admission);
    /** Counts a whole request in as it goes to be answered; false once the server stops. */
    bool beginRequest();
    /** Counts it out once its answer has left; the last one out of a stopping server stops the network. */
    void endRequest();
    bool stopping();
    /** Takes no new requests; the network stops as soon as no request is in flight. */
    void stop();

    const ConnectionLimits limits;
    const bool trustForwarded;
    HttpHandler& handler;
    const RequestLog& log;
    ServerMetrics& metrics;
    asio::io_context network;
    asio::thread_pool storeThreads;
    /** Requests handed to the store threads and not yet answered by them. */
    std::atomic<std::size_t> storeJobs = 0;
};

// One client connection: reads each request whole within the limits and the deadline, has the
// store threads answer it and writes the answer; refuses what breaks the rules once, and closes.
class Session : public std::enable_shared_from_this<Session> {
public:
    /** A connection admitted as `admission` (Served or TurnedAway). */
    Session(EdgeState& state, asio::ip::tcp::socket socket, std::string peer, EdgeState::Admission admission);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    void start();

private:
    void readHeader();
    void onHeader(beast::error_code error, std::size_t headerBytes);
    void onBody(beast::error_code error);
    void failed(beast::error_code error);
    void answerOffTheNetwork(HttpRequest request);
    void write(HttpAnswer answer, bool last);
    void onWritten(beast::error_code error, bool keepAlive);
    void refuse(int status);
    void closeGracefully();
    void drain(std::size_t drained);

    EdgeState& m_state;
    beast::tcp_stream m_stream;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::string_body>> m_parser;
    http::response<http::string_body> m_response;
    std::string m_peer;
    EdgeState::Admission m_admission;
    asio::steady_timer m_queueTimer;
    std::string m_client;
    std::string m_method;
    std::string m_path;
    unsigned m_version = 11;
    bool m_head = false;
    bool m_keepAlive = false;
    bool m_inFlight = false;
    int m_status = 0;
    std::size_t m_served = 0;
    std::chrono::steady_clock::time_point m_arrived;
};

} // namespace zorvat::rank::edge
