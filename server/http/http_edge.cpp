// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_edge.h"

#include "error.h"
#include "http_session.h"

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>

#include <algorithm>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace zorvat::rank {

using namespace edge;
using tcp = asio::ip::tcp;

namespace {

// Connections turned away at once that are given a moment to read their 503; past these, a flood's
// new connections are closed on the spot so that they cost no descriptor for longer.
constexpr std::size_t MaxTurningAway = 16;

// The descriptors the system grants, shared out: a few for the server itself (standard streams,
// the listening socket, the network's own, the SQLite writer's files), up to three for each store
// thread (a SQLite reader's file and log, a PostgreSQL connection), one for each connection being
// turned away, the rest for connections. A flood of connections must never leave the store unable
// to open its files: a post it committed could then be answered as failed.
ConnectionLimits withinDescriptors(ConnectionLimits limits, const RequestLog& log)
{
    constexpr std::size_t Own = 32;
    rlimit limit {};
    getrlimit(RLIMIT_NOFILE, &limit);
    const std::size_t descriptors
        = limit.rlim_cur == RLIM_INFINITY ? std::size_t(1) << 20 : static_cast<std::size_t>(limit.rlim_cur);
    // The store threads take no more than half.
    const std::size_t forStore = descriptors / 2 > Own + MaxTurningAway ? descriptors / 2 - Own - MaxTurningAway : 0;
    const std::size_t storeThreads
        = std::clamp<std::size_t>(forStore / 3, 1, std::max<std::size_t>(limits.storeThreads, 1));
    const std::size_t taken = Own + MaxTurningAway + 3 * storeThreads;
    const std::size_t connections
        = std::clamp<std::size_t>(descriptors > taken ? descriptors - taken : 0, 1, limits.maxConnections);
    if (storeThreads < limits.storeThreads || connections < limits.maxConnections)
        log.note("at most " + std::to_string(connections) + " connections at once and " + std::to_string(storeThreads)
            + " store threads: the system grants " + std::to_string(descriptors) + " file descriptors");
    limits.storeThreads = storeThreads;
    limits.maxConnections = connections;
    return limits;
}

// The address as the log and the bounds name it; IPv4 clients of an IPv6 socket as IPv4.
std::string addressText(const tcp::endpoint& endpoint)
{
    const asio::ip::address address = endpoint.address();
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6()).to_string();
    return address.to_string();
}

bool outOfDescriptors(const beast::error_code& error)
{
    return error == asio::error::no_descriptors || error == boost::system::errc::too_many_files_open_in_system
        || error == asio::error::no_buffer_space || error == asio::error::no_memory;
}

} // namespace

EdgeState::EdgeState(const ConnectionLimits& limits, bool trustForwarded, HttpHandler& handler, const RequestLog& log,
    ServerMetrics& metrics)
    : limits(withinDescriptors(limits, log))
    , trustForwarded(trustForwarded)
    , handler(handler)
    , log(log)
    , metrics(metrics)
    , storeThreads(this->limits.storeThreads)
{
}

EdgeState::Admission EdgeState::admit(const std::string& address)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_perAddress.find(address);
    if (m_stopping || m_open >= limits.maxConnections
        || (it != m_perAddress.end() && it->second >= limits.maxPerAddress)) {
        if (m_turningAway >= MaxTurningAway)
            return Admission::Closed;
        ++m_turningAway;
        return Admission::TurnedAway;
    }
    ++m_perAddress[address];
    ++m_open;
    return Admission::Served;
}

void EdgeState::leave(const std::string& address, Admission admission)
{
    const std::lock_guard lock(m_mutex);
    if (admission == Admission::TurnedAway) {
        --m_turningAway;
        return;
    }
    const auto it = m_perAddress.find(address);
    --m_open;
    if (--it->second == 0)
        m_perAddress.erase(it);
}

bool EdgeState::beginRequest()
{
    const std::lock_guard lock(m_mutex);
    if (m_stopping)
        return false;
    ++m_inFlight;
    return true;
}

void EdgeState::endRequest()
{
    const std::lock_guard lock(m_mutex);
    if (--m_inFlight == 0 && m_stopping)
        network.stop();
}

bool EdgeState::stopping()
{
    const std::lock_guard lock(m_mutex);
    return m_stopping;
}

void EdgeState::stop()
{
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
    if (m_inFlight == 0)
        network.stop();
}

// Takes the connections: admits each within the bounds, turns the rest away at once.
class HttpEdge::Listener {
public:
    Listener(const ConnectionLimits& limits, bool trustForwarded, HttpHandler& handler, const RequestLog& log,
        ServerMetrics& metrics)
        : m_state(limits, trustForwarded, handler, log, metrics)
    {
    }

    int bind(const std::string& host, int port);
    void run();
    void stop();

private:
    void accept();
    void onAccepted(beast::error_code error, tcp::socket socket);
    void closeAtOnce(tcp::socket& socket, const std::string& address);

    EdgeState m_state;
    tcp::acceptor m_acceptor { m_state.network };
    asio::steady_timer m_retry { m_state.network };
    std::chrono::steady_clock::time_point m_nextPauseNote {};
};

int HttpEdge::Listener::bind(const std::string& host, int port)
{
    const std::string where = host + ":" + std::to_string(port);
    try {
        const tcp::endpoint endpoint(asio::ip::make_address(host), static_cast<unsigned short>(port));
        m_acceptor.open(endpoint.protocol());
        m_acceptor.set_option(tcp::acceptor::reuse_address(true));
        m_acceptor.bind(endpoint);
        m_acceptor.listen(asio::socket_base::max_listen_connections);
    } catch (const boost::system::system_error& e) {
        throw Error("cannot listen on " + where + ": " + e.code().message());
    }
    return m_acceptor.local_endpoint().port();
}

void HttpEdge::Listener::run()
{
    accept();
    // The network needs few threads: none of them ever waits for a client or for the store.
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> others;
    for (unsigned i = 1; i < threads; ++i)
        others.emplace_back([this] { m_state.network.run(); });
    m_state.network.run();
    for (std::thread& thread : others)
        thread.join();
    m_state.storeThreads.join();
}

void HttpEdge::Listener::stop()
{
    asio::post(m_state.network, [this] {
        beast::error_code ignored;
        m_acceptor.close(ignored);
        m_retry.cancel();
    });
    m_state.stop();
}

void HttpEdge::Listener::accept()
{
    m_acceptor.async_accept(asio::make_strand(m_state.network),
        [this](beast::error_code error, tcp::socket socket) { onAccepted(error, std::move(socket)); });
}

void HttpEdge::Listener::onAccepted(beast::error_code error, tcp::socket socket)
{
    if (error == asio::error::operation_aborted || !m_acceptor.is_open())
        return;
    if (outOfDescriptors(error)) {
        // The waiting connections stay queued in the system meanwhile; trying again at once would
        // only spin on the same refusal. Told once a minute at most: a flood would fill the journal.
        const auto now = std::chrono::steady_clock::now();
        if (now >= m_nextPauseNote) {
            m_state.log.note("accepting paused: " + error.message() + "; new connections wait in the system's queue");
            m_nextPauseNote = now + std::chrono::minutes(1);
        }
        m_retry.expires_after(std::chrono::milliseconds(100));
        m_retry.async_wait([this](beast::error_code error) {
            if (!error)
                accept();
        });
        return;
    }
    beast::error_code gone;
    const tcp::endpoint peer = error ? tcp::endpoint() : socket.remote_endpoint(gone);
    if (!error && !gone) {
        const std::string address = addressText(peer);
        const EdgeState::Admission admission = m_state.admit(address);
        if (admission == EdgeState::Admission::Closed)
            closeAtOnce(socket, address);
        else
            std::make_shared<Session>(m_state, std::move(socket), address, admission)->start();
    }
    accept();
}

void HttpEdge::Listener::closeAtOnce(tcp::socket& socket, const std::string& address)
{
    static const char answer[] = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nRetry-After: 5\r\n"
                                 "Connection: close\r\n\r\n";
    beast::error_code ignored;
    // Never waits: the listener serves every new connection.
    socket.non_blocking(true, ignored);
    socket.send(asio::buffer(answer, sizeof answer - 1), 0, ignored);
    socket.shutdown(tcp::socket::shutdown_send, ignored);
    // What the client already sent is read away, so that closing sends no reset that would
    // discard the answer before the client reads it.
    char discard[4096];
    for (int i = 0; i < 16 && socket.receive(asio::buffer(discard), 0, ignored) > 0; ++i) { }
    socket.close(ignored);
    m_state.log.request(address, "-", "-", 503, std::chrono::steady_clock::duration::zero());
    m_state.metrics.request(503);
}

HttpEdge::HttpEdge(const ConnectionLimits& limits, bool trustForwarded, HttpHandler& handler, const RequestLog& log,
    ServerMetrics& metrics)
    : m_listener(std::make_unique<Listener>(limits, trustForwarded, handler, log, metrics))
{
}

HttpEdge::~HttpEdge() = default;

int HttpEdge::bind(const std::string& host, int port)
{
    return m_listener->bind(host, port);
}

void HttpEdge::run()
{
    m_listener->run();
}

void HttpEdge::stop()
{
    m_listener->stop();
}

} // namespace zorvat::rank
