// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <string>

class QWidget;

namespace zorvat {

// Shows one error to the player; the shell's real one is a message box captioned "Zorvat".
using ErrorReporter = std::function<void(const QString& text)>;

/** The error's text as the box shows it: in the interface's language, and with a "." added when its last
    character sorts after "." in code page 932. */
QString errorBoxText(const std::string& utf8);
/** The standard error box: caption "Zorvat", error icon, one OK button; modal. */
void showErrorBox(const QString& text);

/** Runs one event handler; an error escaping it goes to `report` and the program goes on. */
template <typename Handler> void guarded(const ErrorReporter& report, Handler&& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        report(errorBoxText(e.what()));
    }
}

} // namespace zorvat
