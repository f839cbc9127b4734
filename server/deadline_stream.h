// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "connection_limits.h"

#include <httplib.h>

#include <chrono>
#include <string>

namespace zorvat::rank {

// A client connection as the HTTP library reads and writes it. Every wait is bounded by the idle
// timeout and by the time left for the request (or its answer), so a client that sends or reads
// one byte a second cannot hold the connection for long.
class DeadlineStream : public httplib::Stream {
public:
    DeadlineStream(int socket, const ConnectionLimits& limits);

    /** Starts the clock of the next request. */
    void beginRequest();
    /** Waits for the first byte of a next request; false when none comes within the idle timeout or
        `stopping` turns true meanwhile. */
    template <class Stopping> bool awaitRequest(Stopping&& stopping);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override;

private:
    using Clock = std::chrono::steady_clock;

    bool waitFor(short events, std::chrono::milliseconds wait) const;
    std::chrono::milliseconds timeLeft() const;

    int m_socket;
    ConnectionLimits m_limits;
    Clock::time_point m_deadline;
    bool m_answering = false;
    char m_buffer[4096];
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

template <class Stopping> bool DeadlineStream::awaitRequest(Stopping&& stopping)
{
    // Checked in short steps so that a stopping server lets go of idle connections at once.
    constexpr std::chrono::milliseconds Step(100);
    for (auto waited = std::chrono::milliseconds(0); waited < m_limits.idleTimeout; waited += Step) {
        if (stopping())
            return false;
        if (m_begin < m_end || waitFor(0x001 /* POLLIN */, Step))
            return true;
    }
    return false;
}

/** The text form of a socket's peer address (IPv4 addresses mapped into IPv6 shown as IPv4). */
std::string peerAddress(int socket);

} // namespace zorvat::rank
