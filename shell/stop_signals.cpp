// SPDX-License-Identifier: GPL-3.0-or-later
#include "stop_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorvat {

namespace {

constexpr int Handled[] = { SIGTERM, SIGHUP, SIGINT };

// The two ends of the socket pair: the handler writes, the event loop reads.
int g_ends[2] = { -1, -1 };

extern "C" void onStopSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request: one more byte would say nothing new.
    [[maybe_unused]] const ssize_t written = ::write(g_ends[0], &byte, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_ends) != 0)
        return;
    const auto* notifier = new QSocketNotifier(g_ends[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &StopSignals::readPending);
    struct sigaction action { };
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Calls under way, a save's among them, go on as if nothing had come.
    action.sa_flags = SA_RESTART;
    for (const int signal : Handled)
        ::sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals()
{
    for (const int signal : Handled)
        std::signal(signal, SIG_DFL);
    for (int& end : g_ends) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void StopSignals::readPending()
{
    char bytes[16];
    while (::read(g_ends[1], bytes, sizeof bytes) > 0) { }
    if (m_received)
        return;
    m_received = true;
    Q_EMIT stopRequested();
}

} // namespace zorvat
