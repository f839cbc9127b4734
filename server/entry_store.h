// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvat::rank {

// The store could not do its job. The text is for the host's log; the player only learns to try later.
class StoreFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the ranking keeps its entries. Every call may come from many threads at once; a failure
// throws StoreFailure.
class EntryStore {
public:
    virtual ~EntryStore() = default;

    /** Stores the entry posted from client `address`; it is committed for good when this returns.
        Ties rank by earlier entry. */
    virtual Registration add(const Submission& entry, const std::string& address, std::int64_t unixTime) = 0;
    /** Stores many entries in one transaction (bringing in a ranking kept elsewhere). */
    virtual void addAll(const std::vector<Submission>& entries, std::int64_t unixTime) = 0;
    /** The best `limit` entries, best first, ranked 1, 2, ... and the count of all entries. */
    virtual Ranking top(std::int64_t limit) = 0;
    /** Returns when the store answers a trivial question; throws StoreFailure otherwise. */
    virtual void check() = 0;
};

} // namespace zorvat::rank
