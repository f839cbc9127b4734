// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace zorvat::rank {

// The store could not do its job, or not in time. The text is for the host's log; the player only
// learns to try later.
class StoreFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The store will not do what it was asked (an import into a store that holds entries, a store made
// by a later zorvat-rank, a ban that names no address). Trying again will not help; the text says
// why, for the host.
class StoreRefusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the ranking keeps its entries. Every call may come from many threads at once and returns
// or fails within a few seconds; a failure throws StoreFailure.
class EntryStore {
public:
    virtual ~EntryStore() = default;

    /** Stores the entry posted from client `address`; it is committed for good when this returns,
        and nothing is stored when it throws. Ties rank by earlier entry. A post that repeats one
        from the same address in the last ten minutes stores nothing and is answered with the
        entry stored then. */
    virtual Registration add(const Submission& entry, const std::string& address, std::int64_t unixTime) = 0;
    /** The best `limit` shown entries, best first, ranked 1, 2, ... and the count of all shown entries. */
    virtual Ranking top(std::int64_t limit) = 0;
    /** A number that grows whenever what top() answers may have changed, by this process or
        another, so that an answer made from top() may be kept until it does; cheaper than top().
        None when the store cannot tell, and every answer is made anew. */
    virtual std::optional<std::int64_t> version() { return std::nullopt; }
    /** Returns when the store answers a trivial question about the ranking; throws StoreFailure otherwise. */
    virtual void check() = 0;
    /** The reason given for the ban that covers `address`, if one does. Cheap enough for every post:
        bans made by another process are seen within a few seconds. */
    virtual std::optional<std::string> banned(const std::string& address) = 0;
};

} // namespace zorvat::rank
