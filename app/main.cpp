// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"
#include "pictures.h"
#include "zorvat_app.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The application title; the window title is its own, so no display name is appended to it.
    QApplication::setApplicationName(QStringLiteral("Zorvat"));
    QApplication::setDesktopFileName(QStringLiteral("org.zorvat.Zorvat"));
    QApplication::setWindowIcon(zorvat::Pictures::appIcon());
    zorvat::installFontSubstitutes();
    QApplication::setFont(zorvat::gameFont(12));

    zorvat::ZorvatApp app;
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&app] { app.idle().uninstall(); });
    app.show();
    application.exec();
    // The game ends the same way whichever way its window was closed.
    return 0;
}
