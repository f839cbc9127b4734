// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_service.h"

#include "base_path.h"
#include "decimal_number.h"
#include "entry_rules.h"
#include "form_decoder.h"
#include "html_pages.h"
#include "ranking_json.h"
#include "refusal.h"

#include <chrono>
#include <limits>

namespace zorvat::rank {

namespace {

const char* const HtmlType = "text/html; charset=utf-8";
const char* const JsonType = "application/json; charset=utf-8";
const char* const TextType = "text/plain; charset=utf-8";
const char* const MetricsType = "text/plain; version=0.0.4; charset=utf-8";
const char* const TryLater = "ただいま登録できません。しばらくしてから送信してください";
// A store that did not answer is mostly back within seconds: a lock released, a restart done.
const char* const StoreRetrySeconds = "5";

const char* statusReason(int status)
{
    switch (status) {
    case 404:
        return "ページが見つかりません";
    case 405:
        return "この方法では受け付けていません";
    case 413:
        return "送信内容が大きすぎます";
    case 414:
    case 431:
        return "リクエストが長すぎます";
    case 503:
        return "ただいま混み合っています。しばらくしてからお試しください";
    default:
        return status >= 500 ? "サーバーでエラーが起きました" : "リクエストが正しくありません";
    }
}

// A link with a stray '%' still shows the ranking: a query that is no form reads as no fields.
FormFields queryFields(const std::string& query)
{
    try {
        return decodeForm(query, FormCharset::Utf8);
    } catch (const Refusal&) {
        return {};
    }
}

const std::string* queryValue(const FormFields& fields, const char* name)
{
    const auto it = fields.find(name);
    return it == fields.end() ? nullptr : &it->second;
}

// Every answer keeps browsers from guessing its type, from framing the pages into another site and
// from telling other sites which ranking page a player came from.
HttpAnswer houseAnswer(int status, const char* type, std::string body)
{
    HttpAnswer answer;
    answer.status = status;
    answer.contentType = type;
    answer.body = std::move(body);
    answer.headers = {
        { "X-Content-Type-Options", "nosniff" },
        { "Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; frame-ancestors 'none'" },
        { "Referrer-Policy", "same-origin" },
    };
    return answer;
}

HttpAnswer notAllowed(HttpAnswer answer, const char* allowed)
{
    answer.headers.emplace_back("Allow", allowed);
    return answer;
}

} // namespace

RankService::RankService(EntryStore& store, RateLimiter& limiter, const RequestLog& log, ServerMetrics& metrics,
    const std::string& base, bool serveMetrics, InternetRank::CheckNumbers check)
    : m_store(store)
    , m_limiter(limiter)
    , m_log(log)
    , m_metrics(metrics)
    , m_base(normalizedBase(base))
    , m_metricsServed(serveMetrics)
    , m_check(check)
    , m_answers(4 << 20)
{
}

// Times a store call for the metrics, whether it answers or throws.
template <class Call> auto RankService::timed(ServerMetrics::StoreCall call, Call&& work)
{
    struct Timer {
        ServerMetrics& metrics;
        ServerMetrics::StoreCall call;
        std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
        ~Timer() { metrics.storeCall(call, std::chrono::steady_clock::now() - start); }
    } timer { m_metrics, call };
    return work();
}

HttpAnswer RankService::answer(const HttpRequest& request)
{
    const bool reading = request.method == "GET" || request.method == "HEAD";
    const std::string& path = request.path;
    if (path == m_base + "/rank.cgi") {
        if (request.method == "POST")
            return post(request);
        return reading ? page(request) : notAllowed(refusal(405), "GET, HEAD, POST");
    }
    if (path == m_base + "/")
        return reading ? page(request) : notAllowed(refusal(405), "GET, HEAD");
    if (path == m_base + "/ranking.json")
        return reading ? json(request) : notAllowed(refusal(405), "GET, HEAD");
    if (path == m_base + "/healthz")
        return reading ? health() : notAllowed(refusal(405), "GET, HEAD");
    if (!m_base.empty() && path == m_base) {
        if (!reading)
            return notAllowed(refusal(405), "GET, HEAD");
        HttpAnswer answer = houseAnswer(308, HtmlType, {});
        answer.headers.emplace_back("Location", m_base + "/");
        return answer;
    }
    // The metrics tell about the server's traffic: only for the host's own machine, as the
    // connection itself shows it, whatever a forwarded address claims. A proxy on the same machine
    // connects from loopback too: a request it forwards for a player elsewhere is not the host's.
    if (m_metricsServed && path == "/metrics" && isLoopback(request.peer) && isLoopback(request.client)) {
        if (!reading)
            return notAllowed(refusal(405), "GET, HEAD");
        return houseAnswer(200, MetricsType, m_metrics.text(m_limiter.addressCount()));
    }
    return refusal(404);
}

HttpAnswer RankService::refusal(int status) const
{
    HttpAnswer answer = refused(status, statusReason(status));
    if (status == 503)
        answer.headers.emplace_back("Retry-After", StoreRetrySeconds);
    return answer;
}

HttpAnswer RankService::refused(int status, const std::string& reason) const
{
    HttpAnswer answer = houseAnswer(status, HtmlType, refusedPage(reason, m_base));
    answer.headers.emplace_back("Cache-Control", "no-store");
    return answer;
}

HttpAnswer RankService::unavailable(const StoreFailure& failure, HttpAnswer answer) const
{
    m_log.note(std::string("store failure: ") + failure.what());
    answer.headers.emplace_back("Retry-After", StoreRetrySeconds);
    return answer;
}

HttpAnswer RankService::post(const HttpRequest& request)
{
    const std::string& address = request.client;
    try {
        // Before the rate limiter: a banned client's posts take no place from the others'.
        if (m_store.banned(address))
            throw Refusal(403, "このアドレスからの送信は受け付けていません");
        const FormCharset charset = formCharset(request.header("Content-Type"));
        const Submission entry = submissionFrom(decodeForm(request.body, charset), m_check);
        const std::optional<RateLimiter::Place> place = m_limiter.acquire(address);
        if (!place)
            throw Refusal(429, "短い間に送信が続いています。しばらくしてから送信してください");
        Registration registration;
        try {
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            registration = timed(ServerMetrics::StoreCall::Add, [&] {
                return m_store.add(entry, address, std::chrono::duration_cast<std::chrono::seconds>(now).count());
            });
        } catch (...) {
            m_limiter.release(address, *place);
            throw;
        }
        // Stored for good: nothing from here on may refuse or fail, or the player would be told to
        // send again a post that is already in. The store has counted everything the page shows.
        m_metrics.post(200);
        HttpAnswer answer = houseAnswer(200, HtmlType, registeredPage(registration, entry, m_base));
        answer.headers.emplace_back("Cache-Control", "no-store");
        return answer;
    } catch (const Refusal& refusal) {
        m_metrics.post(refusal.status());
        HttpAnswer answer = refused(refusal.status(), refusal.what());
        if (refusal.status() == 429)
            answer.headers.emplace_back("Retry-After", "60");
        return answer;
    } catch (const StoreFailure& failure) {
        m_metrics.post(503);
        return unavailable(failure, refused(503, TryLater));
    }
}

template <class Make> std::string RankService::rankingBody(const std::string& key, std::int64_t limit, Make&& make)
{
    return timed(ServerMetrics::StoreCall::Top, [&] {
        // The version is read before the ranking: a body kept under it is as new as the version or newer.
        const std::optional<std::int64_t> version = m_store.version();
        if (version) {
            if (std::optional<std::string> kept = m_answers.find(key, *version))
                return std::move(*kept);
        }
        std::string body = make(m_store.top(limit));
        if (version)
            m_answers.keep(key, *version, body);
        return body;
    });
}

HttpAnswer RankService::page(const HttpRequest& request)
{
    const FormFields query = queryFields(request.query);
    const std::string* newText = queryValue(query, "new");
    const auto newId = static_cast<std::int64_t>(
        newText ? decimalNumber(*newText, std::numeric_limits<std::int64_t>::max()).value_or(0) : 0);
    try {
        HttpAnswer answer = houseAnswer(200, HtmlType,
            rankingBody("page " + std::to_string(newId), PageEntries,
                [&](const Ranking& ranking) { return rankingPage(ranking, newId); }));
        answer.headers.emplace_back("Cache-Control", "no-cache");
        return answer;
    } catch (const StoreFailure& failure) {
        return unavailable(failure, refused(503, statusReason(503)));
    }
}

HttpAnswer RankService::json(const HttpRequest& request)
{
    const FormFields query = queryFields(request.query);
    std::int64_t limit = PageEntries;
    if (const std::string* limitText = queryValue(query, "limit")) {
        limit = static_cast<std::int64_t>(decimalNumber(*limitText, MaxJsonEntries).value_or(0));
        if (limit == 0)
            return houseAnswer(400, JsonType, "{\"error\":\"limit must be a positive number\"}\n");
    }
    try {
        HttpAnswer answer = houseAnswer(200, JsonType,
            rankingBody(
                "json " + std::to_string(limit), limit, [](const Ranking& ranking) { return rankingJson(ranking); }));
        answer.headers.emplace_back("Cache-Control", "no-cache");
        answer.headers.emplace_back("Access-Control-Allow-Origin", "*");
        return answer;
    } catch (const StoreFailure& failure) {
        return unavailable(failure, houseAnswer(503, JsonType, "{\"error\":\"the ranking cannot be read now\"}\n"));
    }
}

HttpAnswer RankService::health()
{
    try {
        timed(ServerMetrics::StoreCall::Check, [&] { m_store.check(); });
        HttpAnswer answer = houseAnswer(200, TextType, "ok\n");
        answer.headers.emplace_back("Cache-Control", "no-store");
        return answer;
    } catch (const StoreFailure& failure) {
        HttpAnswer answer = houseAnswer(503, TextType, "store unavailable\n");
        answer.headers.emplace_back("Cache-Control", "no-store");
        return unavailable(failure, std::move(answer));
    }
}

} // namespace zorvat::rank
