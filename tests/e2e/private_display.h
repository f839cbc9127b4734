// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>

#include <functional>

namespace zorvat::e2e {

/** Starts a private X display of `screen` size (its log in `artefacts`, a folder made afresh),
    makes the application with the game's fonts on it and runs `test` there, which makes the
    test object and runs it; the test's exit code, or 1 when there is no display to be had. */
int onPrivateDisplay(int argc, char* argv[], QSize screen, const QString& artefacts, const std::function<int()>& test);

} // namespace zorvat::e2e
