// SPDX-License-Identifier: GPL-3.0-or-later
#include "answer_cache.h"

namespace zorvat::rank {

AnswerCache::AnswerCache(std::size_t maxBytes)
    : m_maxBytes(maxBytes)
{
}

std::optional<std::string> AnswerCache::find(const std::string& key, std::int64_t version) const
{
    const std::lock_guard lock(m_mutex);
    if (version != m_version)
        return std::nullopt;
    const auto it = m_bodies.find(key);
    if (it == m_bodies.end())
        return std::nullopt;
    return it->second;
}

void AnswerCache::keep(const std::string& key, std::int64_t version, const std::string& body)
{
    const std::lock_guard lock(m_mutex);
    // A body read at an older version may already be out of date: it is not kept, and it does not
    // drop what was made since.
    if (version < m_version || body.size() > m_maxBytes)
        return;
    if (version > m_version || m_bytes + body.size() > m_maxBytes) {
        m_bodies.clear();
        m_bytes = 0;
        m_version = version;
    }
    const auto [it, added] = m_bodies.try_emplace(key, body);
    if (added)
        m_bytes += body.size();
}

} // namespace zorvat::rank
