// SPDX-License-Identifier: GPL-3.0-or-later
#include "private_display.h"

#include "fonts.h"
#include "game_screen.h"
#include "translation.h"
#include "window_manager.h"
#include "x_server.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

namespace zorvat::e2e {

int onPrivateDisplay(
    int argc, char* argv[], const QString& artefacts, WindowManagement management, const std::function<int()>& test)
{
    QDir(artefacts).removeRecursively();
    QDir().mkpath(artefacts);
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        std::fprintf(stderr, "xdotool is needed to play the game (scripts/setup.sh installs it)\n");
        return 1;
    }

    testing::XServer display;
    if (!display.start(ScreenSize, QDir(artefacts).filePath(QStringLiteral("xvfb.log")))) {
        std::fprintf(stderr, "%s\n", qPrintable(display.error()));
        return 1;
    }
    testing::WindowManager windowManager;
    if (management == WindowManagement::Openbox
        && !windowManager.start(display.display(), QDir(artefacts).filePath(QStringLiteral("openbox.log")))) {
        std::fprintf(stderr, "%s\n", qPrintable(windowManager.error()));
        return 1;
    }
    // The test, the game and the input tool all meet on the private display, and nothing
    // of a desktop the test was started from (session bus, input method, theme, scaling)
    // comes in between: the game and the test's own reference drawings must look alike.
    qputenv("DISPLAY", display.display().toUtf8());
    qputenv("QT_QPA_PLATFORM", "xcb");
    for (const char* name : { "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "QT_IM_MODULE", "XMODIFIERS",
             "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "QT_SCALE_FACTOR", "SESSION_MANAGER" })
        qunsetenv(name);

    QApplication application(argc, argv);
    installFontSubstitutes();
    QApplication::setFont(gameFont(12));
    // The reference drawings speak the game's language, as they share its fonts.
    const Translation translation(chooseLanguage());
    return test();
}

} // namespace zorvat::e2e
