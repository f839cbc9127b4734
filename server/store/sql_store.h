// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "address_bans.h"
#include "batch_writer.h"
#include "entry_store.h"
#include "sql_session.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zorvat::rank {

/** How long the store waits for anything before it gives up with StoreFailure: together well
    within the 6 s in which a player must get an answer. */
struct StoreTimeouts {
    std::chrono::milliseconds connect { 3000 }; // opening a PostgreSQL connection (whole seconds, at least 2)
    std::chrono::milliseconds statement { 3500 }; // one PostgreSQL statement
    std::chrono::milliseconds lock { 3000 }; // a lock held by another connection or process
    std::chrono::milliseconds queue { 2000 }; // the writer, a pooled connection
};

// The ranking's rules in SQL that both stores share: posts stored with their rank, the ranking,
// and the host's chores. A store of either kind adds its connections and transactions.
class SqlStore : public EntryStore {
public:
    Registration add(const Submission& entry, const std::string& address, std::int64_t unixTime) override;
    Ranking top(std::int64_t limit) override;
    void check() override;
    std::optional<std::int64_t> version() override;
    std::optional<std::string> banned(const std::string& address) override;

    /** The newest entries first, shown or hidden, whose name contains `nameText` ("" for any),
        at most `limit` (0 for all), with their ranks and addresses. */
    std::vector<RankedEntry> list(const std::string& nameText = {}, std::int64_t limit = 0);
    /** The ids among `ids` that name no stored entry, each once, in increasing order. */
    std::vector<std::int64_t> missing(const std::vector<std::int64_t>& ids);
    /** Takes the entries out of the ranking, or brings them back; returns how many changed. */
    std::int64_t hide(const std::vector<std::int64_t>& ids);
    std::int64_t unhide(const std::vector<std::int64_t>& ids);
    /** Deletes the entries for good; returns how many there were. */
    std::int64_t remove(const std::vector<std::int64_t>& ids);

    /** Forgets the client address of the entries posted before `unixTime`; returns how many. The
        address is personal data, needed only for a resend's ten minutes and for the host's bans. */
    std::int64_t forgetAddresses(std::int64_t unixTime);

    /** Bans posts from an address or a block; a ban on the same block again replaces its reason. */
    void ban(const std::string& addressOrBlock, const std::string& reason, std::int64_t unixTime);
    /** Lifts the ban; false when there was none. */
    bool unban(const std::string& addressOrBlock);
    std::vector<Ban> bans();

    /** Every entry, oldest first, with address and hidden flag and no rank: what import takes. */
    std::vector<RankedEntry> exportEntries();
    /** Stores the entries, oldest (lowest id) first, in a store that holds none; their ids are new,
        their order, times, addresses and hidden flags are kept. Throws StoreRefusal for a store that
        holds entries. */
    void import(std::vector<RankedEntry> entries);
    /** Writes a consistent copy of the store to `file` while posts go on; throws StoreRefusal where
        the store's own tools must do it. */
    virtual void backup(const std::string& file) = 0;

protected:
    using Work = std::function<void(SqlSession&)>;

    /** Runs `work` in one transaction that sees one moment of the store. */
    virtual void read(const Work& work) = 0;
    /** Runs `work`, one statement, which sees one moment of the store by itself: a store that can
        spares it a transaction of its own. */
    virtual void readStatement(const Work& work) { read(work); }
    /** Runs `work` in one transaction that writes; `unbounded` lifts the time-outs (import, schema). */
    virtual void write(const Work& work, bool unbounded = false) = 0;

    /** Brings the schema up to date and starts the writer that commits the posts arriving together,
        at most `maxBatch` at a time; stores call it once their connections are ready. */
    void startWriting(std::size_t maxBatch, std::chrono::milliseconds queueWait);
    /** Commits the posts still queued and stops the writer; a store's destructor calls it first,
        while its connections are still there. */
    void stopWriting();
    /** Stores a batch of posts within the writer's transaction and computes their answers there, so
        that nothing can fail between the commit and the answers. */
    std::vector<Registration> commitPosts(SqlSession& session, const std::vector<const Post*>& posts);

private:
    std::int64_t setHidden(const std::vector<std::int64_t>& ids, bool hidden);
    std::shared_ptr<const AddressBans> currentBans(bool reload);

    std::unique_ptr<BatchWriter> m_batches;
    std::mutex m_bansMutex;
    std::shared_ptr<const AddressBans> m_bans;
    std::chrono::steady_clock::time_point m_bansLoaded;
    bool m_bansReloading = false;
};

} // namespace zorvat::rank
