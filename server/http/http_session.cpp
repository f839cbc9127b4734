// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_session.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

#include <atomic>

namespace zorvat::rank::edge {

namespace {

// What a closing connection still reads of a refused request, so that the refusal reaches a client
// that is still sending instead of being cut off by a reset.
constexpr std::size_t DrainBytes = 64 * 1024;
constexpr std::chrono::seconds DrainTime(1);

// A request that names its length twice is refused even when both agree: a proxy in front may have
// read another one, and browsers never send two. A list ("5, 5") counts as twice.
bool lengthIsAmbiguous(const http::request<http::string_body>& request)
{
    if (request.count(http::field::content_length) > 1)
        return true;
    const auto it = request.find(http::field::content_length);
    return it != request.end() && it->value().find(',') != std::string_view::npos;
}

} // namespace

Session::Session(EdgeState& state, asio::ip::tcp::socket socket, std::string peer, EdgeState::Admission admission)
    : m_state(state)
    , m_stream(std::move(socket))
    , m_buffer(state.limits.maxHeaderBytes + state.limits.maxBodyBytes)
    , m_peer(std::move(peer))
    , m_admission(admission)
    , m_queueTimer(m_stream.get_executor())
{
    // Answers go out as soon as they are written; waiting to fill packets would delay each by a round trip.
    beast::error_code ignored;
    m_stream.socket().set_option(asio::ip::tcp::no_delay(true), ignored);
    m_state.metrics.connectionOpened();
}

Session::~Session()
{
    if (m_inFlight)
        m_state.endRequest();
    m_state.metrics.connectionClosed();
    m_state.leave(m_peer, m_admission);
}

void Session::start()
{
    asio::dispatch(m_stream.get_executor(), [self = shared_from_this()] {
        if (self->m_admission == EdgeState::Admission::Served)
            self->readHeader();
        else
            self->refuse(503);
    });
}

void Session::readHeader()
{
    m_parser.emplace();
    m_parser->header_limit(static_cast<std::uint32_t>(m_state.limits.maxHeaderBytes));
    m_parser->body_limit(m_state.limits.maxBodyBytes);
    m_method.clear();
    m_path.clear();
    m_client = m_peer;
    // The whole request must arrive within the deadline, whatever pace the client keeps.
    m_stream.expires_after(m_state.limits.requestTimeout);
    http::async_read_header(m_stream, m_buffer, *m_parser,
        [self = shared_from_this()](beast::error_code error, std::size_t bytes) { self->onHeader(error, bytes); });
}

void Session::onHeader(beast::error_code error, std::size_t headerBytes)
{
    if (error)
        return failed(error);
    // The parser bounds the request line and the header lines each; the server's word is on both
    // together.
    if (headerBytes > m_state.limits.maxHeaderBytes)
        return refuse(431);
    m_arrived = std::chrono::steady_clock::now();
    const auto& request = m_parser->get();
    m_method = std::string(request.method_string());
    m_path = std::string(request.target().substr(0, request.target().find('?')));
    if (lengthIsAmbiguous(request))
        return refuse(400);
    if (m_parser->is_done())
        return onBody({});
    const auto proceed = [self = shared_from_this()](beast::error_code error, std::size_t) {
        if (error)
            return self->failed(error);
        http::async_read(self->m_stream, self->m_buffer, *self->m_parser,
            [self](beast::error_code error, std::size_t) { self->onBody(error); });
    };
    if (beast::iequals(request[http::field::expect], "100-continue")) {
        static const char continueLine[] = "HTTP/1.1 100 Continue\r\n\r\n";
        asio::async_write(m_stream, asio::buffer(continueLine, sizeof continueLine - 1), proceed);
    } else {
        proceed({}, 0);
    }
}

void Session::failed(beast::error_code error)
{
    if (error == http::error::header_limit || error == http::error::buffer_overflow)
        return refuse(431);
    if (error == http::error::body_limit)
        return refuse(413);
    // A client that went away, said nothing or ran out of time gets no answer: it would not read it.
    if (error == http::error::end_of_stream || error == http::error::partial_message
        || error.category() != beast::error_code(http::error::bad_target).category())
        return;
    refuse(400);
}

void Session::onBody(beast::error_code error)
{
    if (error)
        return failed(error);
    if (!m_state.beginRequest())
        return; // the server stops: the connection closes without taking the request
    m_inFlight = true;
    auto message = m_parser->release();
    HttpRequest request;
    request.method = m_method;
    const std::string_view target = message.target();
    const std::size_t question = target.find('?');
    if (!decodedPath(target.substr(0, question), request.path))
        return refuse(400);
    m_path = request.path;
    if (question != std::string_view::npos)
        request.query = std::string(target.substr(question + 1));
    for (const auto& field : message)
        request.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    request.body = std::move(message.body());
    request.peer = m_peer;
    if (m_state.trustForwarded)
        request.client = lastForwardedAddress(request.headers);
    if (request.client.empty())
        request.client = m_peer;
    m_client = request.client;
    m_version = message.version();
    m_head = message.method() == http::verb::head;
    m_keepAlive = message.keep_alive();
    // The store's calls carry their own deadlines; the answer gets a full allowance of its own.
    m_stream.expires_never();
    answerOffTheNetwork(std::move(request));
}

void Session::answerOffTheNetwork(HttpRequest request)
{
    // A request that waits too long for a store thread is answered 503 at once, whichever comes
    // first: its player has waited as long, and the store is plainly behind. The thread that
    // comes later leaves it alone, so it is never stored. With a thread free, nothing waits.
    auto claimed = std::make_shared<std::atomic<bool>>(false);
    const bool timed = m_state.storeJobs.fetch_add(1) >= m_state.limits.storeThreads;
    if (timed) {
        m_queueTimer.expires_after(m_state.limits.storeQueueWait);
        m_queueTimer.async_wait([self = shared_from_this(), claimed](beast::error_code error) {
            if (!error && !claimed->exchange(true))
                self->write(self->m_state.handler.refusal(503), false);
        });
    }
    asio::post(m_state.storeThreads, [self = shared_from_this(), request = std::move(request), claimed, timed] {
        EdgeState& state = self->m_state;
        if (claimed->exchange(true)) {
            --state.storeJobs;
            return;
        }
        if (timed)
            asio::post(self->m_stream.get_executor(), [self] { self->m_queueTimer.cancel(); });
        HttpAnswer answer;
        try {
            answer = state.handler.answer(request);
        } catch (const std::exception& e) {
            state.log.note(std::string("unexpected failure: ") + e.what());
            answer = state.handler.refusal(500);
        } catch (...) {
            state.log.note("unexpected failure");
            answer = state.handler.refusal(500);
        }
        --state.storeJobs;
        asio::post(self->m_stream.get_executor(),
            [self, answer = std::move(answer)]() mutable { self->write(std::move(answer), false); });
    });
}

void Session::refuse(int status)
{
    m_keepAlive = false;
    write(m_state.handler.refusal(status), true);
}

void Session::write(HttpAnswer answer, bool last)
{
    m_status = answer.status;
    m_response = {};
    m_response.version(m_version);
    m_response.result(static_cast<unsigned>(answer.status));
    m_response.set(http::field::content_type, answer.contentType);
    for (const auto& [name, value] : answer.headers)
        m_response.insert(name, value);
    // A HEAD request learns the length of what GET would send, without it.
    const std::size_t length = answer.body.size();
    if (!m_head)
        m_response.body() = std::move(answer.body);
    m_response.content_length(length);
    const bool keepAlive
        = !last && m_keepAlive && ++m_served < m_state.limits.maxRequestsPerConnection && !m_state.stopping();
    m_response.keep_alive(keepAlive);
    m_stream.expires_after(m_state.limits.requestTimeout);
    http::async_write(
        m_stream, m_response, [self = shared_from_this(), keepAlive](beast::error_code error, std::size_t) {
            self->onWritten(error, keepAlive);
        });
}

void Session::onWritten(beast::error_code error, bool keepAlive)
{
    const auto elapsed
        = m_method.empty() ? std::chrono::steady_clock::duration::zero() : std::chrono::steady_clock::now() - m_arrived;
    m_state.log.request(m_client, m_method, m_path, m_status, elapsed);
    m_state.metrics.request(m_status);
    m_response = {};
    if (m_inFlight) {
        m_inFlight = false;
        m_state.endRequest();
    }
    if (error)
        return;
    if (!keepAlive)
        return closeGracefully();
    // An idle connection keeps no buffer it no longer needs.
    if (m_buffer.size() == 0)
        m_buffer.shrink_to_fit();
    m_head = false;
    readHeader();
}

void Session::closeGracefully()
{
    beast::error_code ignored;
    m_stream.socket().shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    m_buffer.consume(m_buffer.size());
    m_stream.expires_after(DrainTime);
    drain(0);
}

void Session::drain(std::size_t drained)
{
    if (drained >= DrainBytes)
        return;
    m_stream.async_read_some(
        m_buffer.prepare(4096), [self = shared_from_this(), drained](beast::error_code error, std::size_t n) {
            if (!error)
                self->drain(drained + n);
        });
}

} // namespace zorvat::rank::edge
