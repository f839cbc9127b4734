// SPDX-License-Identifier: GPL-3.0-or-later
#include "trivial_server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>

#include <algorithm>
#include <vector>

namespace zorvat::bench {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

class Connection : public std::enable_shared_from_this<Connection> {
public:
    explicit Connection(tcp::socket socket)
        : m_stream(std::move(socket))
    {
        m_stream.socket().set_option(tcp::no_delay(true));
    }

    void read()
    {
        m_request = {};
        http::async_read(
            m_stream, m_buffer, m_request, [self = shared_from_this()](beast::error_code error, std::size_t) {
                if (!error)
                    self->answer();
            });
    }

private:
    void answer()
    {
        m_response = { http::status::ok, m_request.version() };
        m_response.set(http::field::content_type, "text/plain");
        m_response.body() = "ok\n";
        m_response.keep_alive(m_request.keep_alive());
        m_response.prepare_payload();
        http::async_write(m_stream, m_response, [self = shared_from_this()](beast::error_code error, std::size_t) {
            if (!error && self->m_response.keep_alive())
                self->read();
        });
    }

    beast::tcp_stream m_stream;
    beast::flat_buffer m_buffer;
    http::request<http::string_body> m_request;
    http::response<http::string_body> m_response;
};

} // namespace

class TrivialServer::Impl {
public:
    Impl()
        : m_acceptor(m_context, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0))
    {
        accept();
        const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
        for (unsigned i = 0; i < threads; ++i)
            m_threads.emplace_back([this] { m_context.run(); });
    }
    ~Impl()
    {
        m_context.stop();
        for (std::thread& thread : m_threads)
            thread.join();
    }

    int port() const { return m_acceptor.local_endpoint().port(); }

private:
    void accept()
    {
        m_acceptor.async_accept(asio::make_strand(m_context), [this](beast::error_code error, tcp::socket socket) {
            if (error)
                return;
            std::make_shared<Connection>(std::move(socket))->read();
            accept();
        });
    }

    asio::io_context m_context;
    tcp::acceptor m_acceptor;
    std::vector<std::thread> m_threads;
};

TrivialServer::TrivialServer()
    : m_impl(std::make_unique<Impl>())
{
}

TrivialServer::~TrivialServer() = default;

int TrivialServer::port() const
{
    return m_impl->port();
}

} // namespace zorvat::bench
