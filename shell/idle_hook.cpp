// SPDX-License-Identifier: GPL-3.0-or-later
#include "idle_hook.h"

#include <QTimer>

#include <algorithm>

namespace zorvat {

IdleHook::IdleHook(Step step, ErrorReporter report, int periodMs, QObject* parent)
    : QObject(parent)
    , m_step(std::move(step))
    , m_report(std::move(report))
    , m_periodMs(periodMs)
{
    m_clock.start();
}

IdleHook::~IdleHook() = default;

void IdleHook::install()
{
    m_installed = true;
    m_nextDueMs = m_clock.elapsed();
    arm(m_depth);
}

void IdleHook::uninstall()
{
    m_installed = false;
    for (QTimer* timer : m_timers)
        timer->stop();
}

QTimer* IdleHook::timerAt(int level)
{
    while (static_cast<int>(m_timers.size()) <= level) {
        const int newLevel = static_cast<int>(m_timers.size());
        auto* timer = new QTimer(this);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, newLevel] { tick(newLevel); });
        m_timers.push_back(timer);
    }
    return m_timers[static_cast<std::size_t>(level)];
}

void IdleHook::arm(int level)
{
    if (!m_installed)
        return;
    const qint64 wait = std::max<qint64>(0, m_nextDueMs - m_clock.elapsed());
    timerAt(level)->start(static_cast<int>(wait));
}

void IdleHook::disarm(int level)
{
    if (level < static_cast<int>(m_timers.size()))
        m_timers[static_cast<std::size_t>(level)]->stop();
}

void IdleHook::tick(int level)
{
    if (!m_installed)
        return;
    if (m_suspended > 0) {
        m_deferredLevel = level;
        return;
    }
    m_nextDueMs = m_clock.elapsed() + m_periodMs;
    m_depth = level + 1;
    arm(level + 1);
    bool IdleDone = true;
    try {
        m_step(IdleDone);
    } catch (const std::exception& e) {
        disarm(level + 1);
        Suspend still(*this);
        m_report(errorBoxText(e.what()));
    }
    disarm(level + 1);
    m_depth = level;
    // IdleDone stays true only after a failed step; the next step then waits one period
    // like any other, so a step that keeps failing cannot flood the screen with boxes
    // faster than the player can close them.
    arm(level);
}

IdleHook::Suspend::Suspend(IdleHook& hook)
    : m_hook(hook)
{
    ++m_hook.m_suspended;
}

IdleHook::Suspend::~Suspend()
{
    if (--m_hook.m_suspended == 0 && m_hook.m_deferredLevel >= 0) {
        const int level = m_hook.m_deferredLevel;
        m_hook.m_deferredLevel = -1;
        m_hook.arm(level);
    }
}

} // namespace zorvat
