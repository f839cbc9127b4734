// SPDX-License-Identifier: GPL-3.0-or-later
#include "store_schema.h"

#include "entry_store.h"

#include <array>
#include <string>

namespace zorvat::rank::schema {

namespace {

// Each step as it was released: a step is never edited once a store may have taken it; a change
// is a new step. {identity} and {keyOrdered} stand for the dialect's spelling.
const std::array<const char*, 6> Steps = {
    // 1: the first release's tables, which had no version; on such a store this step changes nothing.
    R"(
CREATE TABLE IF NOT EXISTS entries (
  id {identity},
  score INTEGER NOT NULL,
  play INTEGER NOT NULL,
  name TEXT NOT NULL,
  comment TEXT NOT NULL,
  created BIGINT NOT NULL);
CREATE INDEX IF NOT EXISTS entries_by_rank ON entries (score DESC, id);
CREATE TABLE IF NOT EXISTS scores (
  score INTEGER PRIMARY KEY,
  n BIGINT NOT NULL))",

    // 2: the client address of each entry, for bans and for finding the entry that a resend repeats.
    R"(
ALTER TABLE entries ADD COLUMN address TEXT NOT NULL DEFAULT '';
CREATE INDEX entries_resent ON entries (address, score, play, created))",

    // 3: entries the host hid, and shown entries counted per score and per score >> 4, >> 8, ...
    // >> 28, so that a rank or the total sums a few dozen rows whatever the scores are.
    R"(
ALTER TABLE entries ADD COLUMN hidden INTEGER NOT NULL DEFAULT 0;
DROP INDEX entries_by_rank;
CREATE INDEX entries_shown ON entries (score DESC, id) WHERE hidden = 0;
CREATE TABLE counts (
  level INTEGER NOT NULL,
  bucket BIGINT NOT NULL,
  n BIGINT NOT NULL,
  PRIMARY KEY (level, bucket)){keyOrdered};
INSERT INTO counts (level, bucket, n) SELECT 0, score, COUNT(*) FROM entries GROUP BY score;
INSERT INTO counts (level, bucket, n) SELECT 1, bucket >> 4, SUM(n) FROM counts WHERE level = 0 GROUP BY bucket >> 4;
INSERT INTO counts (level, bucket, n) SELECT 2, bucket >> 4, SUM(n) FROM counts WHERE level = 1 GROUP BY bucket >> 4;
INSERT INTO counts (level, bucket, n) SELECT 3, bucket >> 4, SUM(n) FROM counts WHERE level = 2 GROUP BY bucket >> 4;
INSERT INTO counts (level, bucket, n) SELECT 4, bucket >> 4, SUM(n) FROM counts WHERE level = 3 GROUP BY bucket >> 4;
INSERT INTO counts (level, bucket, n) SELECT 5, bucket >> 4, SUM(n) FROM counts WHERE level = 4 GROUP BY bucket >> 4;
INSERT INTO counts (level, bucket, n) SELECT 6, bucket >> 4, SUM(n) FROM counts WHERE level = 5 GROUP BY bucket >> 4;
INSERT INTO counts (level, bucket, n) SELECT 7, bucket >> 4, SUM(n) FROM counts WHERE level = 6 GROUP BY bucket >> 4;
DROP TABLE scores)",

    // 4: bans on addresses and blocks of them.
    R"(
CREATE TABLE bans (
  prefix TEXT PRIMARY KEY,
  reason TEXT NOT NULL,
  created BIGINT NOT NULL))",

    // 5: the entries whose client address is still kept, by age, for the server that forgets old
    // addresses every hour without reading the whole ranking.
    R"(
CREATE INDEX entries_addressed ON entries (created) WHERE address <> '')",

    // 6: how many times the host took entries out of the ranking or brought them back, so that a
    // server can tell that the ranking it showed last still stands.
    R"(
CREATE TABLE store_state (
  moderations BIGINT NOT NULL);
INSERT INTO store_state (moderations) VALUES (0))",
};

std::string spelled(const SqlDialect& dialect, std::string sql)
{
    for (const auto& [token, text] : { std::pair<std::string, const char*> { "{identity}", dialect.identity },
             std::pair<std::string, const char*> { "{keyOrdered}", dialect.keyOrdered } }) {
        for (auto at = sql.find(token); at != std::string::npos; at = sql.find(token, at))
            sql.replace(at, token.size(), text);
    }
    return sql;
}

} // namespace

int latestVersion()
{
    return static_cast<int>(Steps.size());
}

void migrate(SqlSession& session)
{
    const SqlDialect& dialect = session.dialect();
    if (*dialect.schemaLock)
        session.execute(dialect.schemaLock);
    session.execute("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    const auto version = session.integer("SELECT COALESCE(MAX(version), 0) FROM schema_version");
    if (version > latestVersion()) {
        throw StoreRefusal("the ranking store has schema version " + std::to_string(version)
            + ", written by a later zorvat-rank; this one knows versions up to " + std::to_string(latestVersion())
            + ": run the later zorvat-rank");
    }
    if (version == latestVersion())
        return;
    for (auto step = version; step < latestVersion(); ++step)
        session.execute(spelled(dialect, Steps[static_cast<std::size_t>(step)]));
    session.execute("DELETE FROM schema_version");
    session.query("INSERT INTO schema_version (version) VALUES ($1)", { std::int64_t(latestVersion()) });
}

} // namespace zorvat::rank::schema
