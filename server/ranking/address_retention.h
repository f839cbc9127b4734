// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "request_log.h"
#include "sql_store.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zorvat::rank {

// The client address kept with each entry is personal data: the server needs it for the ten
// minutes in which a resend is recognised, and the host for a while longer to see where an
// offensive entry came from before banning it. Past `days` the server forgets it by itself,
// at start and every hour after.
class AddressRetention {
public:
    /** `days` 0 keeps every address until the host runs forget-addresses. */
    AddressRetention(SqlStore& store, int days, const RequestLog& log);
    AddressRetention(const AddressRetention&) = delete;
    AddressRetention& operator=(const AddressRetention&) = delete;
    ~AddressRetention();

private:
    void forgetOld();

    SqlStore& m_store;
    std::chrono::seconds m_kept;
    const RequestLog& m_log;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace zorvat::rank
