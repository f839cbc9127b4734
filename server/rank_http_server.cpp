// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_http_server.h"

#include "deadline_stream.h"
#include "worker_pool.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorvat::rank {

// Runs each new connection's job at once on the accepting thread, where process_and_close_socket
// admits it and hands it to the workers; at the end it lets the workers finish.
class RankHttpServer::AcceptingQueue : public httplib::TaskQueue {
public:
    explicit AcceptingQueue(WorkerPool& workers)
        : m_workers(workers)
    {
    }
    void enqueue(std::function<void()> job) override { job(); }
    void shutdown() override { m_workers.shutdown(); }

private:
    WorkerPool& m_workers;
};

RankHttpServer::RankHttpServer(const ConnectionLimits& limits, const RequestLog& log)
    : m_limits(limits)
    , m_log(log)
    , m_workers(limits.maxConnections, limits.maxConnections)
{
    new_task_queue = [this] { return new AcceptingQueue(m_workers); };
}

void RankHttpServer::widenBacklog()
{
    // The library listens with a backlog of 5: a burst of new connections would overflow it and
    // wait a second for the client to try again.
    ::listen(svr_sock_, SOMAXCONN);
}

bool RankHttpServer::admit(const std::string& address)
{
    const std::lock_guard lock(m_mutex);
    std::size_t& count = m_perAddress[address];
    if (count >= m_limits.maxPerAddress)
        return false;
    ++count;
    return true;
}

void RankHttpServer::leave(const std::string& address)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_perAddress.find(address);
    if (--it->second == 0)
        m_perAddress.erase(it);
}

void RankHttpServer::turnAway(socket_t sock, const std::string& address)
{
    RequestLog::requestStarted();
    static const char answer[] = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nRetry-After: 5\r\n"
                                 "Connection: close\r\n\r\n";
    // Never waits: this runs on the accepting thread.
    [[maybe_unused]] const ssize_t sent = send(sock, answer, sizeof answer - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    m_log.request(address, "-", "-", 503);
}

bool RankHttpServer::process_and_close_socket(socket_t sock)
{
    const std::string address = peerAddress(sock);
    if (admit(address)) {
        if (m_workers.tryRun([this, sock, address] { serve(sock, address); }))
            return true;
        leave(address);
    }
    turnAway(sock, address);
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return false;
}

void RankHttpServer::serve(socket_t sock, const std::string& address)
{
    // Answers go out in several writes; waiting to fill packets would delay each by a round trip.
    const int on = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    DeadlineStream stream(sock, m_limits);
    const auto stopping = [this] { return svr_sock_ == INVALID_SOCKET; };
    for (std::size_t left = m_limits.maxRequestsPerConnection; left > 0; --left) {
        if (!stream.awaitRequest(stopping))
            break;
        stream.beginRequest();
        RequestLog::requestStarted();
        bool closed = false;
        if (!process_request(stream, left == 1 || stopping(), closed, nullptr) || closed)
            break;
    }
    leave(address);
    shutdown(sock, SHUT_RDWR);
    close(sock);
}

} // namespace zorvat::rank
