// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <string>
#include <sys/resource.h>
#include <vector>

namespace zorvat::rank::testing {

// The zorvat-rank program on a free loopback port of its own choosing, read off its first log line.
class ServerProcess {
public:
    /** `descriptors` > 0 starts it with no more file descriptors than that. */
    explicit ServerProcess(
        const QStringList& arguments, const QProcessEnvironment& environment = {}, rlim_t descriptors = 0);
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    ~ServerProcess();

    /** The port it listens on; 0 when it did not start. */
    int port();
    QProcess& process() { return m_process; }
    /** Everything it logged so far. */
    QByteArray log();
    /** Peak resident memory in MB, and user and system time in clock ticks, as the system counts them. */
    double peakMegabytes();
    long long cpuTicks();

private:
    std::vector<std::string> proc(const char* file);

    QProcess m_process;
    QByteArray m_log;
    int m_port = 0;
};

} // namespace zorvat::rank::testing
