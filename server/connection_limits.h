// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>

namespace zorvat::rank {

// How much of the server one client may hold, and for how long.
struct ConnectionLimits {
    /** Connections served at once (one thread each); as many more may wait, the rest are turned away. */
    std::size_t maxConnections = 64;
    /** Connections served at once for one client address, so that one address cannot take them all. */
    std::size_t maxPerAddress = 8;
    /** Time for a whole request to arrive, and again for its answer to leave: a client that trickles
        its bytes is dropped when it runs out. */
    std::chrono::milliseconds requestTimeout { 10'000 };
    /** Longest wait for a single read or write, and for the next request on a kept-alive connection. */
    std::chrono::milliseconds idleTimeout { 5'000 };
    /** Requests served on one connection before it is closed. */
    std::size_t maxRequestsPerConnection = 100;
};

} // namespace zorvat::rank
