// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_load.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace zorvat::bench {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using Clock = std::chrono::steady_clock;

namespace {

// One client: a keep-alive connection, opened again whenever the server closes it.
class Client {
public:
    explicit Client(int port)
        : m_endpoint(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port))
    {
    }

    /** The answer's status; 0 when the request could not be sent or answered. */
    int send(const std::string& request)
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            beast::error_code error;
            if (!m_socket) {
                m_socket.emplace(m_context);
                m_socket->connect(m_endpoint, error);
                m_socket->set_option(asio::ip::tcp::no_delay(true), error);
                m_buffer.clear();
            }
            asio::write(*m_socket, asio::buffer(request), error);
            http::response<http::string_body> response;
            if (!error)
                http::read(*m_socket, m_buffer, response, error);
            if (!error) {
                if (!response.keep_alive())
                    m_socket.reset();
                return static_cast<int>(response.result_int());
            }
            // A kept-alive connection the server has just closed: once more on a new one.
            m_socket.reset();
        }
        return 0;
    }

private:
    asio::io_context m_context;
    asio::ip::tcp::endpoint m_endpoint;
    std::optional<asio::ip::tcp::socket> m_socket;
    beast::flat_buffer m_buffer;
};

} // namespace

Load measure(int port, int clients, std::chrono::seconds duration, const RequestText& request)
{
    std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
    std::atomic<long> failures = 0;
    const auto end = Clock::now() + duration;
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            Client client(port);
            for (int i = 0; Clock::now() < end; ++i) {
                const std::string text = request(c, i);
                const auto start = Clock::now();
                const int status = client.send(text);
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                if (status == 200)
                    latencies[static_cast<std::size_t>(c)].push_back(ms);
                else
                    ++failures;
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    std::vector<double> all;
    for (const auto& l : latencies)
        all.insert(all.end(), l.begin(), l.end());
    std::sort(all.begin(), all.end());
    const auto at = [&](double q) { return all.empty() ? 0.0 : all[static_cast<std::size_t>(q * (all.size() - 1))]; };
    return { static_cast<double>(all.size()) / std::chrono::duration<double>(duration).count(), at(0.5), at(0.99),
        failures.load() };
}

std::string requestText(const std::string& method, const std::string& target, const std::string& body)
{
    std::string text = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!body.empty())
        text += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size())
            + "\r\n";
    return text + "\r\n" + body;
}

} // namespace zorvat::bench
