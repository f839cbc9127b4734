// SPDX-License-Identifier: GPL-3.0-or-later
#include "counted_ranks.h"

#include <array>
#include <string>
#include <vector>

namespace zorvat::rank {

namespace {

constexpr int Levels = 8;
constexpr int BucketBits = 4;
constexpr std::int64_t LastInBucket = (1 << BucketBits) - 1;
// Rows per statement: a batch of posts is one statement.
constexpr std::size_t RowsPerStatement = 256;

std::string upsert(std::size_t rows)
{
    std::string sql = "INSERT INTO counts (level, bucket, n) VALUES ";
    for (std::size_t i = 0; i < rows; ++i) {
        sql += (i ? ", ($" : "($") + std::to_string(3 * i + 1) + ", $" + std::to_string(3 * i + 2) + ", $"
            + std::to_string(3 * i + 3) + ")";
    }
    return sql + " ON CONFLICT (level, bucket) DO UPDATE SET n = counts.n + excluded.n RETURNING level, bucket, n";
}

// At each level, the buckets above a score's own that share its bucket one level up; at the top,
// every bucket above its own.
std::string betterSql()
{
    std::string sql = "SELECT 0";
    for (int level = 0; level < Levels; ++level) {
        const std::string own = std::to_string(2 * level + 1);
        sql += " + (SELECT COALESCE(SUM(n), 0) FROM counts WHERE level = " + std::to_string(level) + " AND bucket > $"
            + own + (level + 1 < Levels ? " AND bucket <= $" + std::to_string(2 * level + 2) : std::string()) + ")";
    }
    return sql;
}

} // namespace

void CountedRanks::count(Changes& changes, std::int32_t score, std::int64_t change)
{
    for (int level = 0; level < Levels; ++level)
        changes[{ level, std::int64_t(score) >> (BucketBits * level) }] += change;
}

std::map<std::int64_t, std::int64_t> CountedRanks::apply(SqlSession& session, const Changes& changes)
{
    std::map<std::int64_t, std::int64_t> scores;
    std::vector<SqlValue> params;
    const auto flush = [&] {
        if (params.empty())
            return;
        for (const SqlRow& row : session.query(upsert(params.size() / 3), params)) {
            if (integerOf(row[0]) == 0)
                scores[integerOf(row[1])] = integerOf(row[2]);
        }
        params.clear();
    };
    for (const auto& [key, change] : changes) {
        if (change == 0)
            continue;
        params.insert(params.end(), { std::int64_t(key.first), key.second, change });
        if (params.size() == 3 * RowsPerStatement)
            flush();
    }
    flush();
    return scores;
}

void CountedRanks::recount(SqlSession& session)
{
    session.execute("DELETE FROM counts");
    session.execute("INSERT INTO counts (level, bucket, n) SELECT 0, score, COUNT(*) FROM entries WHERE hidden = 0 "
                    "GROUP BY score");
    const std::string shift = " >> " + std::to_string(BucketBits);
    for (int level = 1; level < Levels; ++level) {
        session.execute("INSERT INTO counts (level, bucket, n) SELECT " + std::to_string(level) + ", bucket" + shift
            + ", SUM(n) FROM counts WHERE level = " + std::to_string(level - 1) + " GROUP BY bucket" + shift);
    }
}

std::int64_t CountedRanks::better(SqlSession& session, std::int32_t score)
{
    static const std::string sql = betterSql();
    std::array<std::int64_t, 2 * Levels - 1> bounds {};
    for (int level = 0; level < Levels; ++level) {
        const std::int64_t own = std::int64_t(score) >> (BucketBits * level);
        bounds[static_cast<std::size_t>(2 * level)] = own;
        if (level + 1 < Levels)
            bounds[static_cast<std::size_t>(2 * level + 1)] = ((own >> BucketBits) << BucketBits) + LastInBucket;
    }
    return session.integer(sql, std::vector<SqlValue>(bounds.begin(), bounds.end()));
}

void CountedRanks::moderated(SqlSession& session)
{
    session.execute("UPDATE store_state SET moderations = moderations + 1");
}

std::int64_t CountedRanks::version(SqlSession& session)
{
    // Totals stay below 2^40 and moderations below 2^23: a moderation outweighs any total, so the
    // number grows when a deletion lowers the total.
    static const std::string sql = "SELECT (SELECT moderations FROM store_state) * 1099511627776 + "
                                   "(SELECT COALESCE(SUM(n), 0) FROM counts WHERE level = "
        + std::to_string(Levels - 1) + ")";
    return session.integer(sql);
}

std::int64_t CountedRanks::total(SqlSession& session)
{
    static const std::string sql = "SELECT COALESCE(SUM(n), 0) FROM counts WHERE level = " + std::to_string(Levels - 1);
    return session.integer(sql);
}

} // namespace zorvat::rank
