// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "error_box.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <vector>

class QTimer;

namespace zorvat {

// Drives the game's idle step. The game moves one frame per idle call with no clock of
// its own, so the hook paces the calls to at least IdlePeriodMs apart instead of spinning
// a core: a 233-frame zoom cycle then lasts about 2.8 s.
//
// A modal box opened from inside an idle step runs its own loop, and Qt never delivers a
// timer to its own handler while that handler is still running. So each nesting level of
// idle calls has a timer of its own: the step at level n arms level n + 1 before it runs,
// and the box's loop keeps the screens moving.
class IdleHook : public QObject {
    Q_OBJECT
public:
    static constexpr int IdlePeriodMs = 12;
    using Step = std::function<void(bool& IdleDone)>;

    IdleHook(Step step, ErrorReporter report, int periodMs = IdlePeriodMs, QObject* parent = nullptr);
    ~IdleHook() override;

    /** Starts calling the step; the last thing start-up does. */
    void install();
    /** Stops for good (the program is ending). */
    void uninstall();

    // Keeps idle calls out while it lives: for handling pending messages and for the
    // error box, behind which the screens stand still.
    class Suspend {
    public:
        explicit Suspend(IdleHook& hook);
        ~Suspend();
        Suspend(const Suspend&) = delete;
        Suspend& operator=(const Suspend&) = delete;

    private:
        IdleHook& m_hook;
    };

private:
    void tick(int level);
    void arm(int level);
    void disarm(int level);
    QTimer* timerAt(int level);

    Step m_step;
    ErrorReporter m_report;
    int m_periodMs;
    std::vector<QTimer*> m_timers;
    QElapsedTimer m_clock;
    qint64 m_nextDueMs = 0;
    int m_depth = 0; // idle steps running right now, more than one inside a modal box
    int m_suspended = 0;
    int m_deferredLevel = -1;
    bool m_installed = false;
};

} // namespace zorvat
