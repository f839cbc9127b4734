// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>

namespace zorvat::testing {

// A real window manager on a private X display, as a player's desktop has one: it frames
// every window with a border and a title bar, places it and gives it the keyboard.
class WindowManager {
public:
    WindowManager() = default;
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    /** Starts openbox on `display` and waits until it manages the screen; false (and error()) when it does not. */
    bool start(const QString& display, const QString& logFile);
    QString error() const { return m_error; }

private:
    bool managing(const QString& display);

    QProcess m_process;
    QString m_error;
};

} // namespace zorvat::testing
