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

    /** Writes the line of a request answered `elapsed` after it arrived. */
    void request(std::string_view address, std::string_view method, std::string_view path, int status,
        std::chrono::steady_clock::duration elapsed) const;
    /** Writes a line about the server itself; line breaks in `text` become blanks. */
    void note(std::string_view text) const;

private:
    void line(std::string_view text) const;

    std::FILE* m_out;
};

} // namespace zorvat::rank
