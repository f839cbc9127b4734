// SPDX-License-Identifier: GPL-3.0-or-later
#include "x_server.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zorvat::testing {

namespace {

constexpr int StartTimeoutMs = 30000;

// Reads the display number that the server writes once it accepts connections.
bool readDisplayNumber(int fd, std::string& number)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(StartTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p { fd, POLLIN, 0 };
        const int ready = ::poll(&p, 1, 200);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n == 0)
            return false;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (c == '\n')
            return !number.empty();
        number += c;
    }
    return false;
}

} // namespace

XServer::~XServer()
{
    stop();
}

bool XServer::start(QSize size, const QString& logFile)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        m_error = QStringLiteral("no pipe for the X server's display number");
        return false;
    }
    ::fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
    const std::string log = logFile.toStdString();
    const std::string fd = std::to_string(pipeFds[1]);
    const std::string screen = std::to_string(size.width()) + "x" + std::to_string(size.height()) + "x24";

    m_pid = ::fork();
    if (m_pid == 0) {
        // The server goes with the test, however the test ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
        }
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-dpi", "96", "-nolisten",
            "tcp", "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (m_pid < 0) {
        ::close(pipeFds[0]);
        m_error = QStringLiteral("could not start Xvfb");
        return false;
    }
    std::string number;
    const bool up = readDisplayNumber(pipeFds[0], number);
    ::close(pipeFds[0]);
    if (!up) {
        stop();
        m_error = QStringLiteral("Xvfb did not come up (is it installed? see %1)").arg(logFile);
        return false;
    }
    m_display = QStringLiteral(":") + QString::fromStdString(number);
    return true;
}

void XServer::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(m_pid, nullptr, WNOHANG) != 0) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

} // namespace zorvat::testing
