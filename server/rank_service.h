// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry_store.h"
#include "rate_limiter.h"
#include "request_log.h"

#include <httplib.h>

#include <string>

namespace zorvat::rank {

inline constexpr std::size_t MaxBodyBytes = 8 * 1024;
inline constexpr std::int64_t PageEntries = 100;
/** The most entries one ranking.json answer lists, however many are asked for. */
inline constexpr std::int64_t MaxJsonEntries = 1000;

// The ranking's pages under one base folder: the post of the game's page, the ranking page and its JSON.
class RankService {
public:
    /** `base` is "" or a folder such as "/zorvat"; with `trustForwarded`, the client address is the
        last one the proxy in front added to X-Forwarded-For. */
    RankService(EntryStore& store, RateLimiter& limiter, const RequestLog& log, std::string base, bool trustForwarded);

    /** Installs the routes, the error pages and the request log on `server`. */
    void install(httplib::Server& server);

private:
    void post(const httplib::Request& req, httplib::Response& res);
    void page(const httplib::Request& req, httplib::Response& res);
    void json(const httplib::Request& req, httplib::Response& res);
    void refuse(httplib::Response& res, int status, const std::string& reason) const;
    std::string clientAddress(const httplib::Request& req) const;

    EntryStore& m_store;
    RateLimiter& m_limiter;
    const RequestLog& m_log;
    std::string m_base;
    bool m_trustForwarded;
};

/** The base folder as the routes use it: "" for "/", otherwise "/name" without a trailing "/";
    throws Error for a text that is no absolute path. */
std::string normalizedBase(const std::string& base);

} // namespace zorvat::rank
