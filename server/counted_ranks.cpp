// SPDX-License-Identifier: GPL-3.0-or-later
#include "counted_ranks.h"

#include <array>
#include <string>
#include <vector>

namespace zorvat::rank {

namespace {

constexpr int Levels = 4;
constexpr int BucketBits = 8;
// Rows per statement: a batch of posts is one statement, an import a few thousand.
constexpr std::size_t RowsPerStatement = 256;

std::string upsert(std::size_t rows)
{
    std::string sql = "INSERT INTO counts (level, bucket, n) VALUES ";
    for (std::size_t i = 0; i < rows; ++i) {
        const std::string p = std::to_string(3 * i + 1);
        sql += (i ? ", ($" : "($") + p + ", $" + std::to_string(3 * i + 2) + ", $" + std::to_string(3 * i + 3) + ")";
    }
    return sql + " ON CONFLICT (level, bucket) DO UPDATE SET n = counts.n + excluded.n RETURNING level, bucket, n";
}

const char* const Better
    = "SELECT "
      "(SELECT COALESCE(SUM(n), 0) FROM counts WHERE level = 0 AND bucket > $1 AND bucket <= $2) "
      "+ (SELECT COALESCE(SUM(n), 0) FROM counts WHERE level = 1 AND bucket > $3 AND bucket <= $4) "
      "+ (SELECT COALESCE(SUM(n), 0) FROM counts WHERE level = 2 AND bucket > $5 AND bucket <= $6) "
      "+ (SELECT COALESCE(SUM(n), 0) FROM counts WHERE level = 3 AND bucket > $7)";

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

std::int64_t CountedRanks::better(SqlSession& session, std::int32_t score)
{
    // At each level, the buckets above this score's own that share its bucket one level up.
    std::array<std::int64_t, 2 * Levels - 1> bounds {};
    for (int level = 0; level < Levels; ++level) {
        const std::int64_t own = std::int64_t(score) >> (BucketBits * level);
        bounds[static_cast<std::size_t>(2 * level)] = own;
        if (level + 1 < Levels)
            bounds[static_cast<std::size_t>(2 * level + 1)]
                = ((own >> BucketBits) << BucketBits) + (1 << BucketBits) - 1;
    }
    return session.integer(Better, std::vector<SqlValue>(bounds.begin(), bounds.end()));
}

std::int64_t CountedRanks::total(SqlSession& session)
{
    return session.integer("SELECT COALESCE(SUM(n), 0) FROM counts WHERE level = 3");
}

} // namespace zorvat::rank
