// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace zorvat {

// Turns SIGTERM, SIGHUP and SIGINT (a logout, "kill", Ctrl+C in a terminal) into a request to end
// the program the way "終了" does. The handler only writes a byte into a socket pair; the event
// loop reads it, and the event loop never runs in the middle of a save, so a save under way
// finishes first. One at a time: the handlers are the process's own.
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    /** Gives the three signals back their default handling. */
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    /** True once one of the signals has come. */
    bool received() const { return m_received; }

Q_SIGNALS:
    /** One of the signals has come; the program should end. */
    void stopRequested();

private:
    void readPending();

    bool m_received = false;
};

} // namespace zorvat
