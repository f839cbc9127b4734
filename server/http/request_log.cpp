// SPDX-License-Identifier: GPL-3.0-or-later
#include "request_log.h"

#include <string>

namespace zorvat::rank {

namespace {

// A path is the client's text: control characters and blanks would let it forge or break a line.
void appendSafe(std::string& out, std::string_view text)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '%') {
            static const char hex[] = "0123456789ABCDEF";
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
}

} // namespace

RequestLog::RequestLog(std::FILE* out)
    : m_out(out)
{
}

void RequestLog::request(std::string_view address, std::string_view method, std::string_view path, int status,
    std::chrono::steady_clock::duration elapsed) const
{
    const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
    std::string text;
    appendSafe(text, address.empty() ? "-" : address);
    text += ' ';
    appendSafe(text, method.empty() ? "-" : method);
    text += ' ';
    appendSafe(text, path.empty() ? "-" : path);
    char tail[48];
    std::snprintf(tail, sizeof tail, " %d %.1f", status, ms);
    line(text + tail);
}

void RequestLog::note(std::string_view text) const
{
    // A store's error message may run over several lines; the journal keeps one entry per line.
    std::string flat(text);
    while (!flat.empty() && (flat.back() == '\n' || flat.back() == '\r'))
        flat.pop_back();
    for (char& c : flat) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    }
    line(flat);
}

void RequestLog::line(std::string_view text) const
{
    if (!m_out)
        return;
    // One write per line, so that lines of concurrent requests never interleave.
    std::string whole(text);
    whole += '\n';
    std::fwrite(whole.data(), 1, whole.size(), m_out);
    std::fflush(m_out);
}

} // namespace zorvat::rank
