// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace zorvat::testing {

// Holds one resource limit lowered for the length of a scope. Under a lowered file-size limit
// a write past it fails as on a full disk, instead of the system ending the test.
class LoweredLimit {
public:
    LoweredLimit(int resource, rlim_t soft)
        : m_resource(resource)
    {
        if (m_resource == RLIMIT_FSIZE)
            m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered {};
        m_held = ::getrlimit(m_resource, &m_saved) == 0;
        lowered = m_saved;
        lowered.rlim_cur = soft;
        m_held = m_held && ::setrlimit(m_resource, &lowered) == 0;
    }
    ~LoweredLimit()
    {
        ::setrlimit(m_resource, &m_saved);
        if (m_resource == RLIMIT_FSIZE)
            std::signal(SIGXFSZ, m_oldHandler);
    }
    LoweredLimit(const LoweredLimit&) = delete;
    LoweredLimit& operator=(const LoweredLimit&) = delete;

    /** True when the limit was lowered. */
    bool held() const { return m_held; }

private:
    int m_resource;
    rlimit m_saved {};
    bool m_held = false;
    void (*m_oldHandler)(int) = SIG_DFL;
};

} // namespace zorvat::testing
