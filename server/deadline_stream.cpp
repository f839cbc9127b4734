// SPDX-License-Identifier: GPL-3.0-or-later
#include "deadline_stream.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace zorvat::rank {

namespace {

void addressAndPort(const sockaddr_storage& addr, std::string& ip, int& port)
{
    char text[INET6_ADDRSTRLEN] = "";
    if (addr.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(addr);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (addr.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(addr);
        if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr))
            inet_ntop(AF_INET, &v6.sin6_addr.s6_addr[12], text, sizeof text);
        else
            inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

} // namespace

std::string peerAddress(int socket)
{
    sockaddr_storage addr {};
    socklen_t length = sizeof addr;
    std::string ip;
    int port = 0;
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
        addressAndPort(addr, ip, port);
    return ip;
}

DeadlineStream::DeadlineStream(int socket, const ConnectionLimits& limits)
    : m_socket(socket)
    , m_limits(limits)
{
    beginRequest();
}

void DeadlineStream::beginRequest()
{
    m_deadline = Clock::now() + m_limits.requestTimeout;
    m_answering = false;
}

std::chrono::milliseconds DeadlineStream::timeLeft() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
}

bool DeadlineStream::waitFor(short events, std::chrono::milliseconds wait) const
{
    pollfd fd { m_socket, events, 0 };
    int rc = 0;
    do {
        rc = poll(&fd, 1, static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0)));
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

bool DeadlineStream::is_readable() const
{
    if (m_begin < m_end)
        return true;
    const auto left = timeLeft();
    return left.count() > 0 && waitFor(POLLIN, std::min(left, m_limits.idleTimeout));
}

bool DeadlineStream::is_writable() const
{
    const auto left = timeLeft();
    return left.count() > 0 && waitFor(POLLOUT, std::min(left, m_limits.idleTimeout));
}

ssize_t DeadlineStream::read(char* ptr, size_t size)
{
    if (m_begin == m_end) {
        if (!is_readable())
            return -1;
        ssize_t n = 0;
        do {
            n = recv(m_socket, m_buffer, sizeof m_buffer, 0);
        } while (n < 0 && errno == EINTR);
        if (n <= 0)
            return n;
        m_begin = 0;
        m_end = static_cast<std::size_t>(n);
    }
    const std::size_t n = std::min(size, m_end - m_begin);
    std::memcpy(ptr, m_buffer + m_begin, n);
    m_begin += n;
    return static_cast<ssize_t>(n);
}

ssize_t DeadlineStream::write(const char* ptr, size_t size)
{
    // The answer gets a full allowance of its own, however long the store took.
    if (!m_answering) {
        m_answering = true;
        m_deadline = Clock::now() + m_limits.requestTimeout;
    }
    if (!is_writable())
        return -1;
    ssize_t n = 0;
    do {
        n = send(m_socket, ptr, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
}

void DeadlineStream::get_remote_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage addr {};
    socklen_t length = sizeof addr;
    if (getpeername(m_socket, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
        addressAndPort(addr, ip, port);
}

void DeadlineStream::get_local_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage addr {};
    socklen_t length = sizeof addr;
    if (getsockname(m_socket, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
        addressAndPort(addr, ip, port);
}

socket_t DeadlineStream::socket() const
{
    return m_socket;
}

} // namespace zorvat::rank
