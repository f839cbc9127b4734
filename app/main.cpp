#include "fonts.h"
#include "zorvat_app.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvat"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zorvat"));
    zorvat::installFontSubstitutes();
    QApplication::setFont(zorvat::gameFont(12));

    zorvat::ZorvatApp app;
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&app] { app.idle().uninstall(); });
    app.show();
    application.exec();
    // The game ends the same way whichever way its window was closed.
    return 0;
}
