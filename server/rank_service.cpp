// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_service.h"

#include "entry_rules.h"
#include "error.h"
#include "form_decoder.h"
#include "html_pages.h"
#include "ranking_json.h"
#include "refusal.h"

#include <chrono>
#include <regex>

namespace zorvat::rank {

namespace {

const char* const HtmlType = "text/html; charset=utf-8";
const char* const TryLater = "ただいま登録できません。しばらくしてから送信してください";

std::string regexEscaped(const std::string& text)
{
    static const std::string special = R"(\^$.|?*+()[]{})";
    std::string out;
    for (const char c : text) {
        if (special.find(c) != std::string::npos)
            out += '\\';
        out += c;
    }
    return out;
}

// A positive decimal count; anything else is 0. Counts too large to hold become `cap`.
std::int64_t positiveCount(const std::string& text, std::int64_t cap)
{
    if (text.empty())
        return 0;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = std::min(value * 10 + (c - '0'), cap + 1);
    }
    return std::min(value, cap);
}

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

} // namespace

std::string normalizedBase(const std::string& base)
{
    if (base.empty() || base.front() != '/')
        throw Error("--base must be an absolute path such as /zorvat: " + base);
    for (const char c : base) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F || c == '?' || c == '#' || c == '%')
            throw Error("--base must be a plain path without blanks, '?', '#' or '%': " + base);
    }
    std::string out = base;
    while (!out.empty() && out.back() == '/')
        out.pop_back();
    return out;
}

RankService::RankService(
    EntryStore& store, RateLimiter& limiter, const RequestLog& log, std::string base, bool trustForwarded)
    : m_store(store)
    , m_limiter(limiter)
    , m_log(log)
    , m_base(std::move(base))
    , m_trustForwarded(trustForwarded)
{
}

void RankService::install(httplib::Server& server)
{
    using Handler = httplib::Server::Handler;
    using Request = httplib::Request;
    using Response = httplib::Response;
    const std::string base = regexEscaped(m_base);
    server.Post(base + R"(/rank\.cgi)", Handler([this](const Request& req, Response& res) { post(req, res); }));
    server.Get(base + R"(/(rank\.cgi)?)", Handler([this](const Request& req, Response& res) { page(req, res); }));
    server.Get(base + R"(/ranking\.json)", Handler([this](const Request& req, Response& res) { json(req, res); }));
    if (!m_base.empty()) {
        server.Get(
            base, [this](const httplib::Request&, httplib::Response& res) { res.set_redirect(m_base + "/", 308); });
    }
    server.set_payload_max_length(MaxBodyBytes);
    server.set_default_headers({
        { "X-Content-Type-Options", "nosniff" },
        { "Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; frame-ancestors 'none'" },
        { "Referrer-Policy", "same-origin" },
    });
    server.set_error_handler(httplib::Server::HandlerWithResponse([this](const Request&, Response& res) {
        if (!res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        res.set_content(refusedPage(statusReason(res.status), m_base), HtmlType);
        return httplib::Server::HandlerResponse::Handled;
    }));
    server.set_exception_handler([this](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            m_log.note(std::string("unexpected failure: ") + e.what());
        } catch (...) {
            m_log.note("unexpected failure");
        }
        res.status = 500;
        res.set_content(refusedPage(statusReason(500), m_base), HtmlType);
    });
    server.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        m_log.request(clientAddress(req), req.method, req.path, res.status);
    });
}

std::string RankService::clientAddress(const httplib::Request& req) const
{
    if (m_trustForwarded && req.has_header("X-Forwarded-For")) {
        const std::string forwarded = req.get_header_value("X-Forwarded-For");
        const std::size_t comma = forwarded.rfind(',');
        std::string last = forwarded.substr(comma == std::string::npos ? 0 : comma + 1);
        last.erase(0, last.find_first_not_of(' '));
        last.erase(last.find_last_not_of(' ') + 1);
        if (!last.empty())
            return last;
    }
    return req.remote_addr;
}

void RankService::refuse(httplib::Response& res, int status, const std::string& reason) const
{
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(refusedPage(reason, m_base), HtmlType);
}

void RankService::post(const httplib::Request& req, httplib::Response& res)
{
    const std::string address = clientAddress(req);
    try {
        const FormCharset charset = formCharset(req.get_header_value("Content-Type"));
        const Submission entry = submissionFrom(decodeForm(req.body, charset));
        if (!m_limiter.acquire(address)) {
            res.set_header("Retry-After", "60");
            throw Refusal(429, "短い間に送信が続いています。しばらくしてから送信してください");
        }
        Registration registration;
        try {
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            registration = m_store.add(entry, address, std::chrono::duration_cast<std::chrono::seconds>(now).count());
        } catch (...) {
            m_limiter.release(address);
            throw;
        }
        res.set_header("Cache-Control", "no-store");
        res.set_content(registeredPage(registration, entry, m_base), HtmlType);
    } catch (const Refusal& refusal) {
        refuse(res, refusal.status(), refusal.what());
    } catch (const StoreFailure& failure) {
        m_log.note(failure.what());
        refuse(res, 503, TryLater);
    }
}

void RankService::page(const httplib::Request& req, httplib::Response& res)
{
    try {
        const std::int64_t newId = positiveCount(req.get_param_value("new"), INT64_MAX / 10);
        res.set_header("Cache-Control", "no-cache");
        res.set_content(rankingPage(m_store.top(PageEntries), newId), HtmlType);
    } catch (const StoreFailure& failure) {
        m_log.note(failure.what());
        refuse(res, 503, statusReason(503));
    }
}

void RankService::json(const httplib::Request& req, httplib::Response& res)
{
    const char* const jsonType = "application/json; charset=utf-8";
    std::int64_t limit = PageEntries;
    if (req.has_param("limit")) {
        limit = positiveCount(req.get_param_value("limit"), MaxJsonEntries);
        if (limit == 0) {
            res.status = 400;
            res.set_content("{\"error\":\"limit must be a positive number\"}\n", jsonType);
            return;
        }
    }
    try {
        res.set_header("Cache-Control", "no-cache");
        res.set_header("Access-Control-Allow-Origin", "*");
        res.set_content(rankingJson(m_store.top(limit)), jsonType);
    } catch (const StoreFailure& failure) {
        m_log.note(failure.what());
        res.status = 503;
        res.set_content("{\"error\":\"the ranking cannot be read now\"}\n", jsonType);
    }
}

} // namespace zorvat::rank
