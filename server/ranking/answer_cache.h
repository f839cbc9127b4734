// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace zorvat::rank {

// The ranking's pages as last made, each under its key (the page with the entry it marks, the JSON
// with its limit), for as long as the store's version stays the same: a page is then answered
// without reading the ranking or writing its markup again. The bodies kept together stay within a
// bound, so that a client asking for every limit in turn costs no more memory than one page.
class AnswerCache {
public:
    explicit AnswerCache(std::size_t maxBytes);

    /** The body kept under `key` for `version`; none when it was made for another version or never. */
    std::optional<std::string> find(const std::string& key, std::int64_t version) const;
    /** Keeps `body`, made from the store at `version` or later, unless a later version is known. */
    void keep(const std::string& key, std::int64_t version, const std::string& body);

private:
    const std::size_t m_maxBytes;
    mutable std::mutex m_mutex;
    std::int64_t m_version = -1;
    std::unordered_map<std::string, std::string> m_bodies;
    std::size_t m_bytes = 0;
};

} // namespace zorvat::rank
