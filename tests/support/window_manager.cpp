// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_manager.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace zorvat::testing {

namespace {

constexpr int StartTimeoutMs = 30000;

} // namespace

WindowManager::~WindowManager()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool WindowManager::managing(const QString& display)
{
    // A managing window manager names its check window on the root window.
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral("xprop"), { QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK") });
    return probe.waitForFinished(5000) && probe.exitCode() == 0 && probe.readAllStandardOutput().contains("window id");
}

bool WindowManager::start(const QString& display, const QString& logFile)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    m_process.setProcessEnvironment(env);
    m_process.setStandardOutputFile(logFile);
    m_process.setStandardErrorFile(logFile, QIODevice::Append);
    // The window manager goes with the test, however the test ends.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(QStringLiteral("openbox"), { QStringLiteral("--sm-disable") });
    if (!m_process.waitForStarted(StartTimeoutMs)) {
        m_error = QStringLiteral("openbox did not start (is it installed? scripts/setup.sh test installs it): %1")
                      .arg(m_process.errorString());
        return false;
    }
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!managing(display)) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning) {
            m_error = QStringLiteral("openbox did not take the screen (see %1)").arg(logFile);
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

} // namespace zorvat::testing
