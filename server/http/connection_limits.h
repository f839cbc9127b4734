// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>

namespace zorvat::rank {

// How much of the server one client may hold, and for how long.
struct ConnectionLimits {
    /** Connections open at once, all addresses together. An idle or slow connection holds no
        thread, only a descriptor and its few kilobytes of buffer; past the bound, and past the
        descriptors the system grants, a new connection gets a short 503 and is closed. */
    std::size_t maxConnections = 2048;
    /** Connections open at once for one client address, so that one address cannot take them all. */
    std::size_t maxPerAddress = 8;
    /** Time for a whole request to arrive, and again for its answer to leave: a client that trickles
        its bytes is dropped when it runs out, and so is a kept-alive connection that sends nothing. */
    std::chrono::milliseconds requestTimeout { 10'000 };
    /** Requests served on one connection before it is closed. */
    std::size_t maxRequestsPerConnection = 100;
    /** Request line and header lines together (431 beyond); the game's page sends well under 1 KB. */
    std::size_t maxHeaderBytes = 16 * 1024;
    /** Request body (413 beyond); the game's page posts a few hundred bytes. */
    std::size_t maxBodyBytes = 8 * 1024;
    /** Threads that wait for the store, so that a slow store never stalls the connections; as many
        posts as these may share one SQLite commit. */
    std::size_t storeThreads = 32;
    /** Longest a whole request waits for a store thread before it is answered 503 without one;
        with the store's own deadlines, the bound on how long a player waits for an answer. */
    std::chrono::milliseconds storeQueueWait { 1'000 };
};

} // namespace zorvat::rank
