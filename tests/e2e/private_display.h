// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace zorvat::e2e {

enum class WindowManagement { None, Openbox };

/** Starts a private X display (with a window manager if asked; its logs in `artefacts`, a folder
    made afresh), makes the application with the game's fonts on it and runs `test` there, which
    makes the test object and runs it: main() of every test that plays the game on screen. The
    test's exit code, or 1 when there is no display to be had. */
int onPrivateDisplay(
    int argc, char* argv[], const QString& artefacts, WindowManagement management, const std::function<int()>& test);

} // namespace zorvat::e2e
