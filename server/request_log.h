// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdio>
#include <string_view>

namespace zorvat::rank {

// One line per request on a stream (standard error for the host's journal): client address,
// method, path, status and milliseconds. Nothing the player typed is ever written.
class RequestLog {
public:
    explicit RequestLog(std::FILE* out);

    /** Notes that a request starts on this thread now. */
    static void requestStarted();
    /** Writes the line of the request that this thread is serving. */
    void request(std::string_view address, std::string_view method, std::string_view path, int status) const;
    /** Writes a line about the server itself. */
    void note(std::string_view text) const;

private:
    void line(std::string_view text) const;

    std::FILE* m_out;
};

} // namespace zorvat::rank
