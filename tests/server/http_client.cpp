// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorvat::rank::testing {

using Clock = std::chrono::steady_clock;

std::string HttpReply::header(std::string_view name) const
{
    for (const auto& [field, value] : headers) {
        if (field.size() == name.size() && strncasecmp(field.data(), name.data(), name.size()) == 0)
            return value;
    }
    return {};
}

HttpConnection::HttpConnection(int port, const char* source, const char* host)
{
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from {};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source, &from.sin_addr);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, host, &to.sin_addr);
    const int on = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0
        || connect(m_fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

HttpConnection::HttpConnection(HttpConnection&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_received(std::move(other.m_received))
    , m_ended(other.m_ended)
{
}

HttpConnection::~HttpConnection()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool HttpConnection::send(std::string_view bytes)
{
    while (m_fd >= 0 && !bytes.empty()) {
        const ssize_t n = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return m_fd >= 0;
}

bool HttpConnection::readMore(Clock::time_point deadline)
{
    if (m_fd < 0 || m_ended)
        return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd fd { m_fd, POLLIN, 0 };
    if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0)
        return false;
    char buffer[65536];
    const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
        m_ended = true;
        return false;
    }
    m_received.append(buffer, static_cast<std::size_t>(n));
    return true;
}

HttpReply HttpConnection::receive(std::chrono::milliseconds wait, bool head)
{
    const auto deadline = Clock::now() + wait;
    HttpReply reply;
    std::size_t end = 0;
    for (;;) {
        while ((end = m_received.find("\r\n\r\n")) == std::string::npos) {
            if (!readMore(deadline))
                return {};
        }
        // An interim "100 Continue" is followed by the real answer.
        if (m_received.rfind("HTTP/1.1 1", 0) != 0)
            break;
        m_received.erase(0, end + 4);
    }
    const std::string top = m_received.substr(0, end);
    m_received.erase(0, end + 4);
    reply.status = std::atoi(top.substr(top.find(' ') + 1, 3).c_str());
    for (std::size_t at = top.find("\r\n"); at != std::string::npos;) {
        const std::size_t next = top.find("\r\n", at + 2);
        const std::string line = top.substr(at + 2, next == std::string::npos ? next : next - at - 2);
        const std::size_t colon = line.find(':');
        reply.headers.emplace_back(line.substr(0, colon), line.substr(line.find_first_not_of(' ', colon + 1)));
        at = next;
    }
    if (head)
        return reply;
    const std::string length = reply.header("Content-Length");
    if (length.empty()) {
        while (readMore(deadline)) { }
        reply.body = std::move(m_received);
        m_received.clear();
        return reply;
    }
    const auto size = static_cast<std::size_t>(std::stoull(length));
    while (m_received.size() < size) {
        if (!readMore(deadline))
            return {};
    }
    reply.body = m_received.substr(0, size);
    m_received.erase(0, size);
    return reply;
}

bool HttpConnection::closedWithin(std::chrono::milliseconds wait)
{
    const auto deadline = Clock::now() + wait;
    while (readMore(deadline)) { }
    return m_ended;
}

HttpReply HttpConnection::request(
    const std::string& method, const std::string& target, const std::string& body, const Fields& headers)
{
    std::string text = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (const auto& [name, value] : headers)
        text += name + ": " + value + "\r\n";
    if (!body.empty() || method == "POST")
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    if (!send(text + "\r\n" + body))
        return {};
    return receive(std::chrono::seconds(30), method == "HEAD");
}

HttpReply postForm(int port, const std::string& target, const std::string& body, const Fields& headers)
{
    Fields fields = headers;
    if (HttpReply { 0, headers, {} }.header("Content-Type").empty())
        fields.emplace_back("Content-Type", "application/x-www-form-urlencoded");
    return HttpConnection(port).request("POST", target, body, fields);
}

HttpReply get(int port, const std::string& target)
{
    return HttpConnection(port).request("GET", target);
}

} // namespace zorvat::rank::testing
