// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranking_json.h"

#include "time_text.h"

#include <cstdio>

namespace zorvat::rank {

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
        json += "{\"rank\":" + std::to_string(e.rank) + ",\"name\":" + jsonString(e.name) + ",\"score\":"
            + std::to_string(e.score) + ",\"play\":" + std::to_string(e.play) + ",\"comment\":" + jsonString(e.comment)
            + ",\"time\":\"" + timeText(e.time, "%Y-%m-%dT%H:%M:%SZ", Clock::Utc) + "\"}";
    }
    return json + "]}\n";
}

} // namespace zorvat::rank
