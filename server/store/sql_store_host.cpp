// SPDX-License-Identifier: GPL-3.0-or-later
// The host's chores on the store: listing, hiding and removing entries, forgetting addresses, bans,
// export and import.
#include "sql_store.h"

#include "counted_ranks.h"
#include "sql_store_rows.h"

#include <algorithm>
#include <climits>

namespace zorvat::rank {

namespace {

// Bans made by another process (the host's command, another server) take effect within this.
constexpr auto BansReload = std::chrono::seconds(2);
constexpr std::size_t ImportRows = 256;

const char* const Listed = "SELECT id, score, play, name, comment, created, address, hidden FROM entries ";

std::string insertRows(std::size_t rows)
{
    std::string sql = "INSERT INTO entries (score, play, name, comment, created, address, hidden) VALUES ";
    for (std::size_t i = 0; i < rows; ++i) {
        sql += i ? ", (" : "(";
        for (std::size_t c = 1; c <= 7; ++c)
            sql.append(1, '$').append(std::to_string(7 * i + c)).append(c < 7 ? ", " : ")");
    }
    return sql;
}

std::vector<std::int64_t> sortedOnce(std::vector<std::int64_t> ids)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

} // namespace

std::vector<RankedEntry> SqlStore::list(const std::string& nameText, std::int64_t limit)
{
    std::vector<RankedEntry> entries;
    read([&](SqlSession& session) {
        entries.clear();
        const std::string sql
            = std::string(Listed) + "WHERE " + session.dialect().position + "(name, $1) > 0 ORDER BY id DESC LIMIT $2";
        for (const SqlRow& row : session.query(sql, { nameText, limit > 0 ? limit : INT64_MAX })) {
            RankedEntry e = listedEntry(row);
            if (!e.hidden) {
                e.rank = CountedRanks::better(session, e.score)
                    + session.integer(EqualAndEarlier, { std::int64_t(e.score), e.id }) + 1;
            }
            entries.push_back(std::move(e));
        }
    });
    return entries;
}

std::vector<std::int64_t> SqlStore::missing(const std::vector<std::int64_t>& ids)
{
    std::vector<std::int64_t> absent;
    read([&](SqlSession& session) {
        absent.clear();
        for (const std::int64_t id : sortedOnce(ids)) {
            if (session.query("SELECT id FROM entries WHERE id = $1", { id }).empty())
                absent.push_back(id);
        }
    });
    return absent;
}

std::int64_t SqlStore::hide(const std::vector<std::int64_t>& ids)
{
    return setHidden(ids, true);
}

std::int64_t SqlStore::unhide(const std::vector<std::int64_t>& ids)
{
    return setHidden(ids, false);
}

std::int64_t SqlStore::setHidden(const std::vector<std::int64_t>& ids, bool hidden)
{
    std::int64_t changed = 0;
    write([&](SqlSession& session) {
        changed = 0;
        CountedRanks::Changes changes;
        for (const std::int64_t id : sortedOnce(ids)) {
            const auto rows
                = session.query("UPDATE entries SET hidden = $1 WHERE id = $2 AND hidden <> $1 RETURNING score",
                    { std::int64_t(hidden), id });
            if (!rows.empty()) {
                CountedRanks::count(changes, static_cast<std::int32_t>(integerOf(rows[0][0])), hidden ? -1 : 1);
                ++changed;
            }
        }
        CountedRanks::apply(session, changes);
        if (changed > 0)
            CountedRanks::moderated(session);
    });
    return changed;
}

std::int64_t SqlStore::remove(const std::vector<std::int64_t>& ids)
{
    std::int64_t removed = 0;
    write([&](SqlSession& session) {
        removed = 0;
        CountedRanks::Changes changes;
        for (const std::int64_t id : sortedOnce(ids)) {
            const auto rows = session.query("DELETE FROM entries WHERE id = $1 RETURNING score, hidden", { id });
            if (rows.empty())
                continue;
            if (integerOf(rows[0][1]) == 0)
                CountedRanks::count(changes, static_cast<std::int32_t>(integerOf(rows[0][0])), -1);
            ++removed;
        }
        CountedRanks::apply(session, changes);
        if (removed > 0)
            CountedRanks::moderated(session);
    });
    return removed;
}

std::int64_t SqlStore::forgetAddresses(std::int64_t unixTime)
{
    // A few thousand entries a transaction, so that the posts arriving meanwhile wait no longer for
    // the writer than for any other batch, however many addresses a first run finds to forget.
    constexpr std::int64_t Chunk = 2000;
    std::int64_t forgotten = 0;
    for (std::int64_t changed = Chunk; changed == Chunk;) {
        write([&](SqlSession& session) {
            changed = session.integer("SELECT COUNT(*) FROM (SELECT id FROM entries WHERE created < $1 AND "
                                      "address <> '' LIMIT $2) AS old",
                { unixTime, Chunk });
            session.query("UPDATE entries SET address = '' WHERE id IN (SELECT id FROM entries WHERE created < $1 "
                          "AND address <> '' LIMIT $2)",
                { unixTime, Chunk });
        });
        forgotten += changed;
    }
    return forgotten;
}

void SqlStore::ban(const std::string& addressOrBlock, const std::string& reason, std::int64_t unixTime)
{
    const std::string prefix = AddressBans::canonical(addressOrBlock);
    write([&](SqlSession& session) {
        session.query("INSERT INTO bans (prefix, reason, created) VALUES ($1, $2, $3) ON CONFLICT (prefix) "
                      "DO UPDATE SET reason = excluded.reason, created = excluded.created",
            { prefix, reason, unixTime });
    });
    currentBans(true);
}

bool SqlStore::unban(const std::string& addressOrBlock)
{
    const std::string prefix = AddressBans::canonical(addressOrBlock);
    bool lifted = false;
    write([&](SqlSession& session) {
        lifted = !session.query("DELETE FROM bans WHERE prefix = $1 RETURNING prefix", { prefix }).empty();
    });
    currentBans(true);
    return lifted;
}

std::vector<Ban> SqlStore::bans()
{
    std::vector<Ban> bans;
    read([&](SqlSession& session) {
        bans.clear();
        for (const SqlRow& row : session.query("SELECT prefix, reason, created FROM bans ORDER BY prefix"))
            bans.push_back({ textOf(row[0]), textOf(row[1]), integerOf(row[2]) });
    });
    return bans;
}

std::optional<std::string> SqlStore::banned(const std::string& address)
{
    if (const Ban* ban = currentBans(false)->match(address))
        return ban->reason;
    return std::nullopt;
}

std::shared_ptr<const AddressBans> SqlStore::currentBans(bool reload)
{
    const auto now = std::chrono::steady_clock::now();
    {
        const std::lock_guard lock(m_bansMutex);
        // One thread reloads a stale list; the others go on with the one they have meanwhile.
        if (m_bans && !reload && (now - m_bansLoaded < BansReload || m_bansReloading))
            return m_bans;
        m_bansReloading = true;
    }
    std::shared_ptr<const AddressBans> loaded;
    try {
        loaded = std::make_shared<const AddressBans>(bans());
    } catch (...) {
        const std::lock_guard lock(m_bansMutex);
        m_bansReloading = false;
        throw;
    }
    const std::lock_guard lock(m_bansMutex);
    m_bansReloading = false;
    m_bans = loaded;
    m_bansLoaded = now;
    return loaded;
}

std::vector<RankedEntry> SqlStore::exportEntries()
{
    std::vector<RankedEntry> entries;
    read([&](SqlSession& session) {
        entries.clear();
        for (const SqlRow& row : session.query(std::string(Listed) + "ORDER BY id"))
            entries.push_back(listedEntry(row));
    });
    return entries;
}

void SqlStore::import(std::vector<RankedEntry> entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    write(
        [&](SqlSession& session) {
            if (session.integer("SELECT COUNT(*) FROM (SELECT id FROM entries LIMIT 1) AS any_entry") > 0)
                throw StoreRefusal("entries are imported into an empty store only, and this one holds entries");
            std::vector<SqlValue> params;
            const auto flush = [&] {
                if (!params.empty())
                    session.query(insertRows(params.size() / 7), params);
                params.clear();
            };
            for (const RankedEntry& e : entries) {
                params.insert(params.end(),
                    { std::int64_t(e.score), std::int64_t(e.play), e.name, e.comment, e.time, e.address,
                        std::int64_t(e.hidden) });
                if (params.size() == 7 * ImportRows)
                    flush();
            }
            flush();
            CountedRanks::recount(session);
            CountedRanks::moderated(session);
        },
        true);
}

} // namespace zorvat::rank
