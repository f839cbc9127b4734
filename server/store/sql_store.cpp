// SPDX-License-Identifier: GPL-3.0-or-later
#include "sql_store.h"

#include "counted_ranks.h"
#include "sql_store_rows.h"
#include "store_schema.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace zorvat::rank {

namespace {

// A post repeated within this many seconds from the same address is the player sending again
// after an answer that never came, not a new game.
constexpr std::int64_t ResendWindow = 600;

const char* const TopEntries = "SELECT id, score, play, name, comment, created FROM entries WHERE hidden = 0 "
                               "ORDER BY score DESC, id LIMIT $1";
const char* const InsertUnlessResent
    = "INSERT INTO entries (score, play, name, comment, created, address) "
      "SELECT CAST($1 AS INTEGER), CAST($2 AS INTEGER), CAST($3 AS TEXT), CAST($4 AS TEXT), CAST($5 AS BIGINT), "
      "CAST($6 AS TEXT) WHERE NOT EXISTS (SELECT 1 FROM entries WHERE address = $6 AND score = $1 AND play = $2 "
      "AND created >= $7 AND name = $3 AND comment = $4) RETURNING id";
const char* const FindResent = "SELECT id FROM entries WHERE address = $1 AND score = $2 AND play = $3 "
                               "AND created >= $4 AND name = $5 AND comment = $6 ORDER BY id LIMIT 1";

bool sameGame(const Post& a, const Post& b)
{
    return a.address == b.address && a.entry.score == b.entry.score && a.entry.play == b.entry.play
        && a.entry.name == b.entry.name && a.entry.comment == b.entry.comment
        && std::abs(a.time - b.time) <= ResendWindow;
}

} // namespace

RankedEntry listedEntry(const SqlRow& row)
{
    RankedEntry e;
    e.id = integerOf(row[0]);
    e.score = static_cast<std::int32_t>(integerOf(row[1]));
    e.play = static_cast<std::int32_t>(integerOf(row[2]));
    e.name = textOf(row[3]);
    e.comment = textOf(row[4]);
    e.time = integerOf(row[5]);
    if (row.size() > 6) {
        e.address = textOf(row[6]);
        e.hidden = integerOf(row[7]) != 0;
    }
    return e;
}

void SqlStore::startWriting(std::size_t maxBatch, std::chrono::milliseconds queueWait)
{
    write([](SqlSession& session) { schema::migrate(session); }, true);
    m_batches = std::make_unique<BatchWriter>(
        [this](const std::vector<const Post*>& posts) {
            std::vector<Registration> answers;
            write([&](SqlSession& session) { answers = commitPosts(session, posts); });
            return answers;
        },
        maxBatch, queueWait);
}

void SqlStore::stopWriting()
{
    m_batches.reset();
}

Registration SqlStore::add(const Submission& entry, const std::string& address, std::int64_t unixTime)
{
    return m_batches->submit({ entry, address, unixTime });
}

std::vector<Registration> SqlStore::commitPosts(SqlSession& session, const std::vector<const Post*>& posts)
{
    const std::size_t count = posts.size();
    std::vector<Registration> answers(count);
    std::vector<std::size_t> repeats(count, count); // the earlier post of this batch that one repeats
    CountedRanks::Changes added;
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = 0; j < i && repeats[i] == count; ++j) {
            if (repeats[j] == count && sameGame(*posts[i], *posts[j]))
                repeats[i] = j;
        }
        if (repeats[i] == count)
            CountedRanks::count(added, posts[i]->entry.score, 1);
    }
    // Counted before stored: the count rows stay locked until the commit, so a writer of another
    // process with the same score waits here, and the resend check below sees its entry.
    std::map<std::int64_t, std::int64_t> counted = CountedRanks::apply(session, added);
    CountedRanks::Changes withdrawn;
    std::vector<bool> fresh(count, false);
    std::map<std::int64_t, std::int64_t> freshOfScore;
    for (std::size_t i = 0; i < count; ++i) {
        if (repeats[i] != count)
            continue;
        const Post& post = *posts[i];
        const Submission& e = post.entry;
        const std::int64_t since = post.time - ResendWindow;
        const auto inserted = session.query(InsertUnlessResent,
            { std::int64_t(e.score), std::int64_t(e.play), e.name, e.comment, post.time, post.address, since });
        if (!inserted.empty()) {
            answers[i].id = integerOf(inserted[0][0]);
            fresh[i] = true;
            ++freshOfScore[e.score];
            continue;
        }
        answers[i].id = session.integer(
            FindResent, { post.address, std::int64_t(e.score), std::int64_t(e.play), since, e.name, e.comment });
        answers[i].resent = true;
        CountedRanks::count(withdrawn, e.score, -1);
        --counted[e.score];
    }
    CountedRanks::apply(session, withdrawn);

    // Ranked once the whole batch is counted, so that each answer holds at the commit.
    const std::int64_t total = CountedRanks::total(session);
    std::map<std::int32_t, std::int64_t> betterThan;
    const auto better = [&](std::int32_t score) {
        const auto it = betterThan.find(score);
        return it != betterThan.end() ? it->second
                                      : betterThan.emplace(score, CountedRanks::better(session, score)).first->second;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t score = posts[i]->entry.score;
        if (repeats[i] != count) {
            answers[i] = answers[repeats[i]];
            answers[i].resent = true;
            continue;
        }
        answers[i].total = total;
        if (fresh[i]) {
            // The batch's new entries of one score are the latest of that score, in id order.
            answers[i].rank = better(score) + counted[score] - --freshOfScore[score];
        } else {
            answers[i].rank
                = better(score) + session.integer(EqualAndEarlier, { std::int64_t(score), answers[i].id }) + 1;
        }
    }
    return answers;
}

Ranking SqlStore::top(std::int64_t limit)
{
    Ranking ranking;
    read([&](SqlSession& session) {
        ranking.entries.clear();
        for (const SqlRow& row : session.query(TopEntries, { std::max<std::int64_t>(limit, 0) })) {
            ranking.entries.push_back(listedEntry(row));
            ranking.entries.back().rank = static_cast<std::int64_t>(ranking.entries.size());
        }
        ranking.total = CountedRanks::total(session);
    });
    return ranking;
}

std::optional<std::int64_t> SqlStore::version()
{
    std::int64_t version = 0;
    readStatement([&](SqlSession& session) { version = CountedRanks::version(session); });
    return version;
}

void SqlStore::check()
{
    read([](SqlSession& session) { CountedRanks::total(session); });
}

} // namespace zorvat::rank
