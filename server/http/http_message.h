// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvat::rank {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// A whole request as the connection read it, within the server's limits.
struct HttpRequest {
    std::string method;
    std::string path; // the target's path with its escapes undone
    std::string query; // what follows '?' in the target, as sent
    HttpHeaders headers; // in the order sent, names as sent
    std::string body;
    std::string peer; // the address at the other end of the connection
    std::string client; // the address that counts: the peer, or the one the trusted proxy names

    /** The value of the first header called `name` (in any case); "" when there is none. */
    std::string header(std::string_view name) const;
};

// The answer to one request.
struct HttpAnswer {
    int status = 200;
    std::string contentType;
    HttpHeaders headers;
    std::string body;
};

// What the connections hand their requests to.
class HttpHandler {
public:
    virtual ~HttpHandler() = default;

    /** The answer to `request`; may wait for the store, so it never runs on a connection's thread. */
    virtual HttpAnswer answer(const HttpRequest& request) = 0;
    /** The answer for a request the connection refused itself (400, 413, 431, 500, 503); never waits. */
    virtual HttpAnswer refusal(int status) const = 0;
};

/** The target's path with its "%XX" escapes undone; false for a broken escape or an escaped NUL. */
bool decodedPath(std::string_view path, std::string& out);

/** The last address of all X-Forwarded-For lines taken together: the one the proxy in front added
    itself, whatever the client wrote before it; "" when there is none. */
std::string lastForwardedAddress(const HttpHeaders& headers);

/** Whether `address` (as the connection names its peer) is this machine's own loopback address. */
bool isLoopback(std::string_view address);

} // namespace zorvat::rank
