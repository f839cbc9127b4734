// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>

#include <sys/types.h>

namespace zorvat::testing {

// A private virtual X display for one run of the game: the test's own screen, keyboard
// and mouse, on a display number that nobody else uses at the moment.
class XServer {
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    /** Starts the server with one screen of `size` at 24 bits and 96 dpi; false (and error()) when it does not come up.
     */
    bool start(QSize size, const QString& logFile);
    /** The display name, ":N". */
    QString display() const { return m_display; }
    QString error() const { return m_error; }

private:
    void stop();

    pid_t m_pid = -1;
    QString m_display;
    QString m_error;
};

} // namespace zorvat::testing
