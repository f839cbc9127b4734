// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvat::rank::testing {

using Fields = std::vector<std::pair<std::string, std::string>>;

/** One answer as it came over the wire; status 0 when none came. */
struct HttpReply {
    int status = 0;
    Fields headers;
    std::string body;

    /** The first header called `name` (in any case); "" when there is none. */
    std::string header(std::string_view name) const;
};

// A plain HTTP/1.1 client on one TCP connection, for tests that must say exactly what goes over
// the wire (and what does not): any loopback source address, raw bytes, answers read one by one.
class HttpConnection {
public:
    /** Connects to `host`:`port` from `source` (any 127.x.y.z tells another client apart). */
    explicit HttpConnection(int port, const char* source = "127.0.0.1", const char* host = "127.0.0.1");
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;
    HttpConnection(HttpConnection&& other) noexcept;
    ~HttpConnection();

    /** Sends `bytes` whole; false when the server no longer takes them. */
    bool send(std::string_view bytes);
    /** Reads the next answer, waiting at most `wait`; `head` for the answer to a HEAD request. */
    HttpReply receive(std::chrono::milliseconds wait = std::chrono::seconds(30), bool head = false);
    /** Whether the server closes the connection within `wait`, reading away whatever it still sends. */
    bool closedWithin(std::chrono::milliseconds wait);
    /** Sends a request (with Host and, for a body, Content-Length) and reads its answer. */
    HttpReply request(
        const std::string& method, const std::string& target, const std::string& body = {}, const Fields& headers = {});

private:
    bool readMore(std::chrono::steady_clock::time_point deadline);

    int m_fd = -1;
    std::string m_received;
    bool m_ended = false;
};

/** A post of `body` to `target` on a new connection, a url-encoded form unless `headers` name another type. */
HttpReply postForm(int port, const std::string& target, const std::string& body, const Fields& headers = {});
/** A GET of `target` on a new connection. */
HttpReply get(int port, const std::string& target);

} // namespace zorvat::rank::testing
