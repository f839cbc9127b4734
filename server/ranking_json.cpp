// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranking_json.h"

#include <cstdio>
#include <ctime>

namespace zorvat::rank {

namespace {

std::string utcTimestamp(std::int64_t unixTime)
{
    const std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm tm {};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

} // namespace

std::string jsonString(std::string_view utf8)
{
    std::string out = "\"";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || c == '<' || c == '>' || c == '&') {
            // Escaped as well the characters that would let the text close a script block it is pasted into.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string rankingJson(const Ranking& ranking)
{
    std::string json = "{\"total\":" + std::to_string(ranking.total) + ",\"entries\":[";
    bool first = true;
    for (const RankedEntry& e : ranking.entries) {
        json += first ? "\n" : ",\n";
        first = false;
        json += "{\"rank\":" + std::to_string(e.rank) + ",\"name\":" + jsonString(e.name)
            + ",\"score\":" + std::to_string(e.score) + ",\"play\":" + std::to_string(e.play)
            + ",\"comment\":" + jsonString(e.comment) + ",\"time\":\"" + utcTimestamp(e.time) + "\"}";
    }
    return json + "]}\n";
}

} // namespace zorvat::rank
