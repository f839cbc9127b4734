// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace zorvat::bench {

struct Load {
    double perSecond = 0;
    double p50Ms = 0;
    double p99Ms = 0;
    long failures = 0;
};

/** The request bytes that client `client` sends as its `i`th. */
using RequestText = std::function<std::string(int client, int i)>;

/** `clients` keep-alive connections to the loopback `port`, each sending its next request as soon
    as the last one is answered, for `duration`; a connection the server closes is opened again.
    Answers other than 200 count as failures. */
Load measure(int port, int clients, std::chrono::seconds duration, const RequestText& request);

/** A request as a browser sends it: `method` `target` HTTP/1.1, kept alive, with a form body. */
std::string requestText(const std::string& method, const std::string& target, const std::string& body = {});

} // namespace zorvat::bench
