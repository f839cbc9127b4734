// SPDX-License-Identifier: GPL-3.0-or-later
#include "html_pages.h"

#include "time_text.h"

namespace zorvat::rank {

namespace {

// The game's own colours; on a narrow screen each entry becomes a two-line card.
const char* const Style = R"(<style>
body{margin:0;padding:1em;background:#000;color:#c0c0c0;font-family:sans-serif;line-height:1.5}
h1{margin:.2em 0;color:#f00;text-align:center;font-size:2em}
h2{margin:.2em 0 1em;color:#fff;text-align:center;font-size:1.1em}
p{text-align:center}
a{color:#ff0}
table{margin:0 auto;border-collapse:collapse;max-width:60em;width:100%}
th,td{padding:.3em .5em;border-bottom:1px solid #333;text-align:left;vertical-align:top}
th{color:#fff;border-bottom:2px solid #666;white-space:nowrap}
td{overflow-wrap:anywhere}
.rank,.score,.play{text-align:right;white-space:nowrap}
.rank{color:#fff;font-weight:bold}
.name{color:#fff}
.score{color:#ff0}
.time{white-space:nowrap;font-size:.9em}
tr.new td{background:#303000}
.big{color:#ff0;font-size:1.6em;font-weight:bold}
@media (max-width:40em){
body{padding:.5em}
thead{display:none}
table,tbody,tr,td{display:block}
tr{display:grid;grid-template-columns:2.5em 1fr auto;column-gap:.5em;border-bottom:1px solid #333;padding:.3em 0}
td{border:0;padding:0}
.rank{grid-row:span 3}
.play::before{content:"プレイ "}
.play{grid-column:3;text-align:right;font-size:.9em}
.comment{grid-column:2/4}
.time{grid-column:2/4;color:#888}
tr.new{background:#303000}
tr.new td{background:none}
}
</style>)";

std::string pageStart(std::string_view title)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page.append(htmlEscaped(title)).append("</title>\n").append(Style).append("\n</head>\n<body>\n");
    page += "<h1>Zorvat</h1>\n";
    return page;
}

const char* const PageEnd = "</body>\n</html>\n";

std::string rankingLink(std::string_view base, std::int64_t newId)
{
    std::string link = htmlEscaped(base) + "/";
    if (newId > 0)
        link += "?new=" + std::to_string(newId) + "#e" + std::to_string(newId);
    return link;
}

} // namespace

std::string htmlEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string rankingPage(const Ranking& ranking, std::int64_t newId)
{
    std::string page = pageStart("Zorvat インターネット・ランキング");
    page += "<h2>インターネット・ランキング（全" + std::to_string(ranking.total) + "件）</h2>\n";
    if (ranking.entries.empty()) {
        page += "<p>まだ登録がありません。</p>\n";
        return page + PageEnd;
    }
    page += "<table>\n<thead><tr><th class=\"rank\">順位</th><th>名前</th><th class=\"score\">スコア</th>"
            "<th class=\"play\">プレイ回数</th><th>一言</th>"
            "<th>日時</th></tr></thead>\n<tbody>\n";
    for (const RankedEntry& e : ranking.entries) {
        const std::string id = std::to_string(e.id);
        page += "<tr id=\"e" + id + "\"" + (e.id == newId ? " class=\"new\"" : "") + ">";
        page += "<td class=\"rank\">" + std::to_string(e.rank) + "</td>";
        page += "<td class=\"name\">" + htmlEscaped(e.name) + "</td>";
        page += "<td class=\"score\">" + std::to_string(e.score) + "点</td>";
        page += "<td class=\"play\">" + std::to_string(e.play) + "</td>";
        page += "<td class=\"comment\">" + htmlEscaped(e.comment) + "</td>";
        // The host's own clock: the people who read the ranking live where it is hosted.
        page += "<td class=\"time\">" + timeText(e.time, "%Y/%m/%d %H:%M", Clock::Local) + "</td></tr>\n";
    }
    page += "</tbody>\n</table>\n";
    return page + PageEnd;
}

std::string registeredPage(const Registration& registration, const Submission& entry, std::string_view base)
{
    std::string page = pageStart("登録しました");
    page += "<h2>登録しました</h2>\n";
    page += "<p>" + htmlEscaped(entry.name) + " さん　" + std::to_string(entry.score) + "点</p>\n";
    page += "<p class=\"big\">" + std::to_string(registration.rank) + "位</p>\n";
    page += "<p>（全" + std::to_string(registration.total) + "件中）</p>\n";
    page += "<p><a href=\"" + rankingLink(base, registration.id) + "\">ランキングを見る</a></p>\n";
    return page + PageEnd;
}

std::string refusedPage(std::string_view reason, std::string_view base)
{
    std::string page = pageStart("登録できませんでした");
    page += "<h2>登録できませんでした</h2>\n";
    page += "<p>" + htmlEscaped(reason) + "</p>\n";
    page += "<p><a href=\"" + rankingLink(base, 0) + "\">ランキングを見る</a></p>\n";
    return page + PageEnd;
}

} // namespace zorvat::rank
